// Turns a model description into the model file: every part built and placed in every
// frame, exact duplicate vertices welded (over all frames, so hard edges keep their flat
// normals), tags sorted by name without regard to case, then written as a version-2 "UZQ1"
// file, little-endian, field by field.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/model/ModelSource.h"

// What keeps any description's model small enough to build at once; the vertex limit is
// what 16-bit indices reach.
constexpr uint32_t kMaxTriangles = 1u << 18;
constexpr uint64_t kMaxFrameTriangles = 1u << 19;  // triangles times frames
constexpr uint32_t kMaxVertices = 65536;

struct CBuiltModel {
    struct Tag {
        std::string name;
        std::vector<std::array<float, 16>> matrices;  // one per frame
    };

    uint32_t frames = 0;
    uint32_t vertexCount = 0;      // per frame
    std::vector<uint32_t> indices;  // three per triangle
    std::vector<float> vertices;    // frames x vertexCount x (position, normal, u, v)
    std::vector<Tag> tags;
    std::vector<std::array<float, 4>> spheres;  // centre, radius
    std::vector<std::array<float, 15>> boxes;   // centre, half extents, three unit axes
};

// false with a message when a part cannot be built or the model grows past the limits.
bool BuildModel(const CModelSource& source, CBuiltModel* model, std::string* error);
std::vector<uint8_t> WriteModelBytes(const CBuiltModel& model);
// Parse, build and write in one step.
bool MakeModelFromText(const std::string& text, std::vector<uint8_t>* bytes, std::string* error);
