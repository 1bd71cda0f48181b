#include "tools/model/ModelBuilder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "engine/graphics/ModelFile.h"
#include "tools/model/ModelText.h"

namespace {

constexpr int kFloatsPerVertex = 8;

// Both zeros as one, so that welding sees them as the same number.
float ToFloat(double value) {
    const float f = static_cast<float>(value);
    return f == 0.0f ? 0.0f : f;
}

bool StoreVertex(const CMeshVertex& v, float* out) {
    const double values[kFloatsPerVertex] = {v.position.x, v.position.y, v.position.z, v.normal.x,
                                             v.normal.y,   v.normal.z,   v.u,          v.v};
    for (int i = 0; i < kFloatsPerVertex; ++i) {
        out[i] = ToFloat(values[i]);
        if (!std::isfinite(out[i]))
            return false;
    }
    return true;
}

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

// Every corner of every part in every frame: corners[frame] holds 8 floats per corner.
bool PlaceParts(const CModelSource& source, std::vector<std::vector<float>>* corners, std::string* error) {
    const uint32_t frames = source.frames;
    corners->assign(frames, {});
    uint64_t triangles = 0;
    for (const CPartSource& part : source.parts) {
        const std::string where = "part at line " + std::to_string(part.line) + ": ";
        CMesh mesh;
        std::string message;
        if (!BuildPrimitive(part.primitive, &mesh, &message)) {
            *error = where + message;
            return false;
        }
        triangles += mesh.size();
        if (triangles > kMaxTriangles || triangles * frames > kMaxFrameTriangles) {
            *error = where + "the model has more than " + std::to_string(kMaxTriangles) + " triangles, or " +
                     std::to_string(kMaxFrameTriangles) + " over all frames";
            return false;
        }
        // One winding for all frames, as they share the triangles: a part may not be
        // mirrored in some frames only.
        int handedness = 0;
        for (uint32_t f = 0; f < frames; ++f) {
            const double determinant = part.placement.InFrame(f).Determinant3();
            const int sign = determinant > 0.0 ? 1 : (determinant < 0.0 ? -1 : 0);
            if (sign != 0 && handedness != 0 && sign != handedness) {
                *error = where + "a part cannot be mirrored in some frames only";
                return false;
            }
            if (sign != 0)
                handedness = sign;
        }
        for (uint32_t f = 0; f < frames; ++f) {
            const CMat4 matrix = part.placement.InFrame(f);
            // A hidden part shrinks to its origin: its triangles lose their area.
            const CVec3d origin = matrix.TransformPoint({0, 0, 0});
            std::vector<float>& out = (*corners)[f];
            for (const CMeshTriangle& triangle : mesh) {
                const int order[3] = {0, handedness < 0 ? 2 : 1, handedness < 0 ? 1 : 2};
                for (const int c : order) {
                    CMeshVertex v = TransformVertex(triangle.corners[c], matrix);
                    if (part.hidden[f])
                        v.position = origin;
                    out.resize(out.size() + kFloatsPerVertex);
                    if (!StoreVertex(v, &out[out.size() - kFloatsPerVertex])) {
                        *error = where + "its placement gives a point that is not a finite number";
                        return false;
                    }
                }
            }
        }
    }
    return true;
}

// Welds corners that are the same in every frame, keeping the first one's place.
bool Weld(const std::vector<std::vector<float>>& corners, CBuiltModel* model, std::string* error) {
    const size_t frames = corners.size();
    const size_t count = corners[0].size() / kFloatsPerVertex;
    const size_t keyBytes = frames * kFloatsPerVertex * sizeof(float);
    std::unordered_map<std::string, uint32_t> seen;
    std::vector<size_t> firstCorner;
    std::string key(keyBytes, '\0');
    model->indices.reserve(count);
    for (size_t c = 0; c < count; ++c) {
        for (size_t f = 0; f < frames; ++f)
            memcpy(&key[f * kFloatsPerVertex * sizeof(float)], &corners[f][c * kFloatsPerVertex],
                   kFloatsPerVertex * sizeof(float));
        const auto [place, added] = seen.emplace(key, static_cast<uint32_t>(firstCorner.size()));
        if (added) {
            if (firstCorner.size() == kMaxVertices) {
                *error = "the model has more than " + std::to_string(kMaxVertices) +
                         " distinct vertices, more than 16-bit indices reach";
                return false;
            }
            firstCorner.push_back(c);
        }
        model->indices.push_back(place->second);
    }
    model->vertexCount = static_cast<uint32_t>(firstCorner.size());
    model->vertices.reserve(frames * firstCorner.size() * kFloatsPerVertex);
    for (size_t f = 0; f < frames; ++f) {
        for (const size_t c : firstCorner) {
            const float* v = &corners[f][c * kFloatsPerVertex];
            model->vertices.insert(model->vertices.end(), v, v + kFloatsPerVertex);
        }
    }
    return true;
}

void PutU32(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out->push_back(static_cast<uint8_t>(value >> shift));
}

void PutFloat(std::vector<uint8_t>* out, float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

}  // namespace

CMat4 CPlacement::InFrame(uint32_t frame) const {
    CMat4 matrix = base;
    for (const FrameStep& step : frameSteps) {
        if (frame < step.frames.size() && step.frames[frame])
            matrix = matrix.Then(step.matrix);
    }
    return matrix;
}

bool BuildModel(const CModelSource& source, CBuiltModel* model, std::string* error) {
    *model = CBuiltModel{};
    if (source.frames == 0 || source.frames > kMaxFrames) {
        *error = "a model has 1 to " + std::to_string(kMaxFrames) + " frames";
        return false;
    }
    model->frames = source.frames;
    std::vector<std::vector<float>> corners;
    if (!PlaceParts(source, &corners, error))
        return false;
    if (corners[0].empty()) {
        *error = "the model has no triangles";
        return false;
    }
    if (!Weld(corners, model, error))
        return false;

    for (const CTagSource& tag : source.tags) {
        CBuiltModel::Tag built;
        built.name = tag.name;
        for (uint32_t f = 0; f < source.frames; ++f) {
            const CMat4 matrix = tag.placement.InFrame(f);
            std::array<float, 16> values;
            for (int i = 0; i < 16; ++i) {
                values[static_cast<size_t>(i)] = ToFloat(matrix.m[static_cast<size_t>(i)]);
                if (!std::isfinite(values[static_cast<size_t>(i)])) {
                    *error = "tag \"" + tag.name + "\": its matrix holds a number that is not finite";
                    return false;
                }
            }
            built.matrices.push_back(values);
        }
        model->tags.push_back(built);
    }
    std::stable_sort(model->tags.begin(), model->tags.end(), [](const CBuiltModel::Tag& a, const CBuiltModel::Tag& b) {
        return Lower(a.name) < Lower(b.name);
    });

    for (const CSphereSource& sphere : source.spheres)
        model->spheres.push_back({ToFloat(sphere.centre.x), ToFloat(sphere.centre.y), ToFloat(sphere.centre.z),
                                  ToFloat(sphere.radius)});
    for (const CBoxSource& box : source.boxes) {
        // Turned about z: the first two axes in the board plane, the third on z.
        const CMat4 turn = CMat4::Rotation(2, box.angleDegrees);
        model->boxes.push_back({ToFloat(box.centre.x), ToFloat(box.centre.y), ToFloat(box.centre.z),
                                ToFloat(box.halfExtents.x), ToFloat(box.halfExtents.y), ToFloat(box.halfExtents.z),
                                ToFloat(turn.At(0, 0)), ToFloat(turn.At(0, 1)), 0.0f, ToFloat(turn.At(1, 0)),
                                ToFloat(turn.At(1, 1)), 0.0f, 0.0f, 0.0f, 1.0f});
    }
    return true;
}

std::vector<uint8_t> WriteModelBytes(const CBuiltModel& model) {
    std::vector<uint8_t> out(modelfile::kMagic, modelfile::kMagic + sizeof modelfile::kMagic);
    PutU32(&out, modelfile::kVersionWithVolumes);
    out.insert(out.end(), modelfile::kReservedSize, 0);
    PutU32(&out, model.frames);
    PutU32(&out, static_cast<uint32_t>(model.indices.size() / 3));
    PutU32(&out, model.vertexCount);
    PutU32(&out, static_cast<uint32_t>(model.tags.size()));
    PutU32(&out, 0);  // no weight lists
    for (const uint32_t index : model.indices)
        PutU32(&out, index);
    for (const float value : model.vertices)
        PutFloat(&out, value);
    for (const CBuiltModel::Tag& tag : model.tags) {
        char name[modelfile::kTagNameSize] = {};
        memcpy(name, tag.name.data(), std::min(tag.name.size(), sizeof name));
        out.insert(out.end(), name, name + sizeof name);
    }
    for (uint32_t f = 0; f < model.frames; ++f) {
        for (const CBuiltModel::Tag& tag : model.tags) {
            for (const float value : tag.matrices[f])
                PutFloat(&out, value);
        }
    }
    PutU32(&out, static_cast<uint32_t>(model.spheres.size()));
    PutU32(&out, static_cast<uint32_t>(model.boxes.size()));
    for (const auto& sphere : model.spheres) {
        for (const float value : sphere)
            PutFloat(&out, value);
    }
    for (const auto& box : model.boxes) {
        for (const float value : box)
            PutFloat(&out, value);
    }
    return out;
}

bool MakeModelFromText(const std::string& text, std::vector<uint8_t>* bytes, std::string* error) {
    CModelSource source;
    CBuiltModel model;
    if (!ParseModelText(text, &source, error) || !BuildModel(source, &model, error))
        return false;
    *bytes = WriteModelBytes(model);
    return true;
}
