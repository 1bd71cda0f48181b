// Model files made byte by byte for the tests: a small description and its file bytes, with
// every count and section open to being made wrong on purpose.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TestVertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct TestModel {
    char magic[4] = {'U', 'Z', 'Q', '1'};
    uint32_t version = 2;
    uint32_t frames = 1;
    std::vector<uint32_t> indices;        // as written: three per triangle
    std::vector<TestVertex> vertices;     // frames x vertices per frame
    std::vector<std::string> tagNames;    // written NUL-padded (or cut) to 16 bytes
    std::vector<std::array<float, 16>> tagMatrices;  // frames x tags
    uint32_t weightFlag = 0;
    std::vector<uint32_t> weightWords;  // written as they are: per vertex a count, then two words a pair
    std::vector<std::array<float, 4>> spheres;
    std::vector<std::array<float, 15>> boxes;

    // Header counts written instead of the real ones when set.
    int64_t triangleCountOverride = -1;
    int64_t vertexCountOverride = -1;
    int64_t tagCountOverride = -1;
    int64_t sphereCountOverride = -1;
    int64_t boxCountOverride = -1;

    uint32_t VerticesPerFrame() const { return frames ? static_cast<uint32_t>(vertices.size() / frames) : 0; }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        auto u32 = [&out](uint32_t value) {
            for (int shift = 0; shift < 32; shift += 8)
                out.push_back(static_cast<uint8_t>(value >> shift));
        };
        auto f32 = [&u32](float value) {
            uint32_t bits;
            memcpy(&bits, &value, 4);
            u32(bits);
        };
        auto count = [](int64_t override, size_t real) {
            return override >= 0 ? static_cast<uint32_t>(override) : static_cast<uint32_t>(real);
        };
        out.insert(out.end(), magic, magic + 4);
        u32(version);
        for (int i = 0; i < 64; ++i)
            out.push_back(static_cast<uint8_t>(i));
        u32(frames);
        u32(count(triangleCountOverride, indices.size() / 3));
        u32(count(vertexCountOverride, VerticesPerFrame()));
        u32(count(tagCountOverride, tagNames.size()));
        u32(weightFlag);
        for (const uint32_t index : indices)
            u32(index);
        for (const TestVertex& v : vertices) {
            for (const float value : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v})
                f32(value);
        }
        for (const std::string& name : tagNames) {
            char padded[16] = {};
            memcpy(padded, name.data(), name.size() < 16 ? name.size() : 16);
            out.insert(out.end(), padded, padded + 16);
        }
        for (const auto& matrix : tagMatrices) {
            for (const float value : matrix)
                f32(value);
        }
        if (weightFlag) {
            for (const uint32_t word : weightWords)
                u32(word);
        }
        if (version > 1) {
            u32(count(sphereCountOverride, spheres.size()));
            u32(count(boxCountOverride, boxes.size()));
            for (const auto& sphere : spheres) {
                for (const float value : sphere)
                    f32(value);
            }
            for (const auto& box : boxes) {
                for (const float value : box)
                    f32(value);
            }
        }
        return out;
    }
};

inline std::array<float, 16> TranslationRows(float x, float y, float z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

// A square in the xy plane facing the viewer, two frames: the second one moved by (2, 4, 6),
// its normals turned to +x and its uvs halved. Two tags, one named with all 16 characters,
// a sphere and a box.
inline TestModel TwoFrameSquare() {
    TestModel model;
    model.frames = 2;
    model.indices = {0, 1, 2, 2, 1, 3};
    const TestVertex first[4] = {{-1, 1, 0, 0, 0, -1, 0, 0},
                                 {1, 1, 0, 0, 0, -1, 1, 0},
                                 {-1, -1, 0, 0, 0, -1, 0, 1},
                                 {1, -1, 0, 0, 0, -1, 1, 1}};
    for (const TestVertex& v : first)
        model.vertices.push_back(v);
    for (const TestVertex& v : first)
        model.vertices.push_back({v.x + 2, v.y + 4, v.z + 6, 1, 0, 0, v.u / 2, v.v / 2});
    model.tagNames = {"Gear", "SixteenCharsLong"};
    model.tagMatrices = {TranslationRows(0, 0, 0), TranslationRows(1, 2, 3), TranslationRows(0, 0, 1),
                         TranslationRows(4, 5, 6)};
    model.spheres = {{0, 0, 0, 1}};
    model.boxes = {{5, 0, 0, 1, 2, 0.5f, 1, 0, 0, 0, 1, 0, 0, 0, 1}};
    return model;
}
