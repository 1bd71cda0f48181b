// The model tool's procedural shapes, each centred on the origin in the engine's left-handed
// frame (x right, y up, the viewer looking along +z): triangles whose front faces turn
// clockwise as seen from outside, outward normals (flat on hard edges, smooth on round
// surfaces) and texture coordinates with (0, 0) at the top-left texel.
#pragma once

#include <string>
#include <vector>

#include "tools/model/Mat4.h"

enum class EPrimitive { kBox, kPlank, kSphere, kCylinder, kCone, kTorus, kGear, kArrow };

// One named parameter of a primitive: its count of numbers, defaults and range.
struct CPrimitiveParameter {
    const char* name;
    int count;
    double defaults[3];
    double minimum;  // inclusive
    double maximum;  // inclusive
    bool integer;
};

struct CPrimitiveDescription {
    EPrimitive kind = EPrimitive::kBox;
    std::vector<double> values;  // every parameter's numbers, in table order
};

struct CMeshVertex {
    CVec3d position;
    CVec3d normal;
    double u = 0.0;
    double v = 0.0;
};

struct CMeshTriangle {
    CMeshVertex corners[3];
};

using CMesh = std::vector<CMeshTriangle>;

// The primitive a name stands for ("box", "plank", "sphere", "cylinder", "cone", "torus",
// "gear", "arrow"); false for any other.
bool FindPrimitive(const std::string& name, EPrimitive* kind);
// The primitive with every parameter at its default.
CPrimitiveDescription DefaultPrimitive(EPrimitive kind);
// Sets one parameter from its numbers; false with a message for an unknown name, a wrong
// count or a value out of range.
bool SetPrimitiveParameter(CPrimitiveDescription* description, const std::string& name, const std::vector<double>& values,
                           std::string* error);

// The triangles of a primitive; false with a message when its parameters do not make a
// shape (a hole wider than the wheel, a bevel wider than the plank).
bool BuildPrimitive(const CPrimitiveDescription& description, CMesh* mesh, std::string* error);

// A vertex moved by a matrix: the position as a point, the normal as a surface normal
// (kept as it was when the matrix flattens it away).
CMeshVertex TransformVertex(const CMeshVertex& vertex, const CMat4& matrix);
