// What a model text describes: the frame count, the mesh parts (a primitive placed by its
// transforms, with extra transforms and hiding per frame), the named tags and the bounding
// spheres and boxes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/model/Mat4.h"
#include "tools/model/Primitives.h"

// Limits that keep any text's model small enough to build at once.
constexpr uint32_t kMaxFrames = 256;
constexpr uint32_t kMaxTagNameLength = 16;

// A placement: the transforms given in order, then in each frame the frame's own steps.
struct CPlacement {
    struct FrameStep {
        std::vector<uint8_t> frames;  // one flag per frame
        CMat4 matrix;
    };

    CMat4 base = CMat4::Identity();
    std::vector<FrameStep> frameSteps;

    CMat4 InFrame(uint32_t frame) const;
};

struct CPartSource {
    CPrimitiveDescription primitive;
    CPlacement placement;
    std::vector<uint8_t> hidden;  // one flag per frame: the part collapses to its origin
    int line = 0;
};

struct CTagSource {
    std::string name;
    CPlacement placement;
};

struct CSphereSource {
    CVec3d centre;
    double radius = 0.0;
};

// A box in the board plane: turned about z by the angle, its third axis on z.
struct CBoxSource {
    CVec3d centre;
    CVec3d halfExtents;
    double angleDegrees = 0.0;
};

struct CModelSource {
    uint32_t frames = 1;
    std::vector<CPartSource> parts;
    std::vector<CTagSource> tags;
    std::vector<CSphereSource> spheres;
    std::vector<CBoxSource> boxes;
};
