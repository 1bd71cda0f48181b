#include "tools/model/Primitives.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMinLength = 1e-4;
constexpr double kMaxLength = 1e4;

struct CPrimitiveInfo {
    const char* name;
    EPrimitive kind;
    std::vector<CPrimitiveParameter> parameters;
};

const std::vector<CPrimitiveInfo>& Primitives() {
    static const std::vector<CPrimitiveInfo> table = {
        {"box", EPrimitive::kBox, {{"size", 3, {1.0, 1.0, 1.0}, kMinLength, kMaxLength, false}}},
        {"plank",
         EPrimitive::kPlank,
         {{"size", 3, {3.0, 0.25, 0.5}, kMinLength, kMaxLength, false},
          {"bevel", 1, {0.04}, 0.0, kMaxLength, false}}},
        {"sphere",
         EPrimitive::kSphere,
         {{"radius", 1, {0.5}, kMinLength, kMaxLength, false},
          {"segments", 1, {24}, 3, 256, true},
          {"rings", 1, {12}, 2, 256, true}}},
        {"cylinder",
         EPrimitive::kCylinder,
         {{"radius", 1, {0.5}, kMinLength, kMaxLength, false},
          {"length", 1, {1.0}, kMinLength, kMaxLength, false},
          {"segments", 1, {24}, 3, 256, true},
          {"hole", 1, {0.0}, 0.0, kMaxLength, false}}},
        {"cone",
         EPrimitive::kCone,
         {{"radius", 1, {0.5}, kMinLength, kMaxLength, false},
          {"length", 1, {1.0}, kMinLength, kMaxLength, false},
          {"segments", 1, {24}, 3, 256, true}}},
        {"torus",
         EPrimitive::kTorus,
         {{"radius", 1, {0.5}, kMinLength, kMaxLength, false},
          {"tube", 1, {0.15}, kMinLength, kMaxLength, false},
          {"segments", 1, {24}, 3, 256, true},
          {"sides", 1, {12}, 3, 256, true}}},
        {"gear",
         EPrimitive::kGear,
         {{"radius", 1, {0.5}, kMinLength, kMaxLength, false},
          {"teeth", 1, {12}, 3, 256, true},
          {"depth", 1, {0.1}, kMinLength, kMaxLength, false},
          {"length", 1, {0.25}, kMinLength, kMaxLength, false},
          {"hole", 1, {0.0}, 0.0, kMaxLength, false}}},
        {"arrow",
         EPrimitive::kArrow,
         {{"length", 1, {1.0}, kMinLength, kMaxLength, false},
          {"radius", 1, {0.03}, kMinLength, kMaxLength, false},
          {"head", 1, {0.25}, kMinLength, kMaxLength, false},
          {"headradius", 1, {0.08}, kMinLength, kMaxLength, false},
          {"segments", 1, {12}, 3, 256, true}}},
    };
    return table;
}

const CPrimitiveInfo& Info(EPrimitive kind) {
    for (const CPrimitiveInfo& info : Primitives()) {
        if (info.kind == kind)
            return info;
    }
    return Primitives().front();
}

// The numbers of a named parameter start here in the description's values; -1 when unknown.
int Offset(EPrimitive kind, const char* name, const CPrimitiveParameter** parameter) {
    int offset = 0;
    for (const CPrimitiveParameter& p : Info(kind).parameters) {
        if (strcmp(p.name, name) == 0) {
            if (parameter)
                *parameter = &p;
            return offset;
        }
        offset += p.count;
    }
    return -1;
}

double Get(const CPrimitiveDescription& description, const char* name, int component = 0) {
    const int offset = Offset(description.kind, name, nullptr);
    return offset < 0 ? 0.0 : description.values[static_cast<size_t>(offset + component)];
}

int GetCount(const CPrimitiveDescription& description, const char* name) {
    return static_cast<int>(Get(description, name));
}

// ---------------------------------------------------------------------------------------------
// Emitting triangles

CMeshVertex Vertex(const CVec3d& position, const CVec3d& normal, double u, double v) {
    CMeshVertex vertex;
    vertex.position = position;
    vertex.normal = normal;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// Turned so that its front face looks along `outward` (clockwise as seen from there);
// a triangle without area draws nothing and is left out.
void AddTriangle(CMesh* mesh, const CMeshVertex& a, const CMeshVertex& b, const CMeshVertex& c,
                 const CVec3d& outward) {
    const CVec3d face = Cross(b.position - a.position, c.position - a.position);
    if (Dot(face, face) == 0.0)
        return;
    if (Dot(face, outward) < 0.0)
        mesh->push_back(CMeshTriangle{{a, c, b}});
    else
        mesh->push_back(CMeshTriangle{{a, b, c}});
}

// A four-cornered patch as two triangles: top-left, top-right, bottom-left, bottom-right.
void AddQuad(CMesh* mesh, const CMeshVertex& tl, const CMeshVertex& tr, const CMeshVertex& bl,
             const CMeshVertex& br, const CVec3d& outward) {
    AddTriangle(mesh, tl, tr, bl, outward);
    AddTriangle(mesh, bl, tr, br, outward);
}

// A flat rectangle seen from outside: right and down are half its width and height along
// the directions that look right and down to a viewer facing it.
void AddFace(CMesh* mesh, const CVec3d& centre, const CVec3d& right, const CVec3d& down) {
    const CVec3d outward = Normalized(Cross(right, down));
    AddQuad(mesh, Vertex(centre - right - down, outward, 0.0, 0.0), Vertex(centre + right - down, outward, 1.0, 0.0),
            Vertex(centre - right + down, outward, 0.0, 1.0), Vertex(centre + right + down, outward, 1.0, 1.0),
            outward);
}

void BuildBox(double w, double h, double d, CMesh* mesh) {
    const double x = w / 2;
    const double y = h / 2;
    const double z = d / 2;
    // Each face as a viewer in front of it sees it: the front looks at the default camera.
    AddFace(mesh, {0, 0, -z}, {x, 0, 0}, {0, -y, 0});  // front
    AddFace(mesh, {0, 0, z}, {-x, 0, 0}, {0, -y, 0});  // back
    AddFace(mesh, {x, 0, 0}, {0, 0, z}, {0, -y, 0});   // right
    AddFace(mesh, {-x, 0, 0}, {0, 0, -z}, {0, -y, 0}); // left
    AddFace(mesh, {0, y, 0}, {x, 0, 0}, {0, 0, -z});   // top, the far edge up
    AddFace(mesh, {0, -y, 0}, {x, 0, 0}, {0, 0, z});   // bottom, the near edge up
}

// ---------------------------------------------------------------------------------------------
// Outlines in the xy plane extruded along z

struct COutlinePoint {
    double x;
    double y;
    CVec3d normal;  // used on smooth outlines
};

// The outline (counter-clockwise about the origin, which it surrounds) from z = -length/2
// (the front, facing the viewer) to +length/2, closed by caps or, with a hole, by rings
// round a smooth inner wall. Smooth outlines shade round; the others keep a flat normal
// per edge.
void Extrude(const std::vector<COutlinePoint>& outline, bool smooth, double length, double hole, CMesh* mesh) {
    const size_t n = outline.size();
    const double front = -length / 2;
    const double back = length / 2;
    double perimeter = 0.0;
    double minX = outline[0].x, maxX = outline[0].x, minY = outline[0].y, maxY = outline[0].y;
    for (size_t k = 0; k < n; ++k) {
        const COutlinePoint& p = outline[k];
        const COutlinePoint& q = outline[(k + 1) % n];
        perimeter += std::hypot(q.x - p.x, q.y - p.y);
        minX = std::fmin(minX, p.x);
        maxX = std::fmax(maxX, p.x);
        minY = std::fmin(minY, p.y);
        maxY = std::fmax(maxY, p.y);
    }
    // Caps are mapped over the outline's bounds; the back one mirrored, as it is seen from behind.
    auto capVertex = [&](double x, double y, double z, bool isFront) {
        const double u = (x - minX) / (maxX - minX);
        return Vertex({x, y, z}, {0, 0, isFront ? -1.0 : 1.0}, isFront ? u : 1.0 - u, (maxY - y) / (maxY - minY));
    };
    auto inner = [&](const COutlinePoint& p) {
        const double scale = hole / std::hypot(p.x, p.y);
        return COutlinePoint{p.x * scale, p.y * scale, Normalized({-p.x, -p.y, 0.0})};
    };

    double walked = 0.0;
    for (size_t k = 0; k < n; ++k) {
        const COutlinePoint& p = outline[k];
        const COutlinePoint& q = outline[(k + 1) % n];
        const double step = std::hypot(q.x - p.x, q.y - p.y);
        const double u0 = walked / perimeter;
        walked += step;
        const double u1 = k + 1 == n ? 1.0 : walked / perimeter;
        const CVec3d edgeNormal = Normalized({q.y - p.y, p.x - q.x, 0.0});
        const CVec3d np = smooth ? p.normal : edgeNormal;
        const CVec3d nq = smooth ? q.normal : edgeNormal;
        AddQuad(mesh, Vertex({p.x, p.y, front}, np, u0, 0.0), Vertex({q.x, q.y, front}, nq, u1, 0.0),
                Vertex({p.x, p.y, back}, np, u0, 1.0), Vertex({q.x, q.y, back}, nq, u1, 1.0), np + nq);

        for (const bool isFront : {true, false}) {
            const double z = isFront ? front : back;
            const CVec3d outward{0, 0, isFront ? -1.0 : 1.0};
            if (hole <= 0.0) {
                AddTriangle(mesh, capVertex(0.0, 0.0, z, isFront), capVertex(p.x, p.y, z, isFront),
                            capVertex(q.x, q.y, z, isFront), outward);
            } else {
                const COutlinePoint ip = inner(p);
                const COutlinePoint iq = inner(q);
                AddQuad(mesh, capVertex(ip.x, ip.y, z, isFront), capVertex(iq.x, iq.y, z, isFront),
                        capVertex(p.x, p.y, z, isFront), capVertex(q.x, q.y, z, isFront), outward);
            }
        }
        if (hole > 0.0) {
            const COutlinePoint ip = inner(p);
            const COutlinePoint iq = inner(q);
            AddQuad(mesh, Vertex({ip.x, ip.y, front}, ip.normal, u0, 0.0),
                    Vertex({iq.x, iq.y, front}, iq.normal, u1, 0.0), Vertex({ip.x, ip.y, back}, ip.normal, u0, 1.0),
                    Vertex({iq.x, iq.y, back}, iq.normal, u1, 1.0), ip.normal + iq.normal);
        }
    }
}

// The angle of step j of n round a circle; the last step closes exactly on the first.
double Turn(int j, int n) {
    return 2.0 * kPi * static_cast<double>(j % n) / static_cast<double>(n);
}

std::vector<COutlinePoint> Circle(double radius, int segments) {
    std::vector<COutlinePoint> outline;
    for (int j = 0; j < segments; ++j) {
        const double a = Turn(j, segments);
        outline.push_back({radius * std::cos(a), radius * std::sin(a), {std::cos(a), std::sin(a), 0.0}});
    }
    return outline;
}

void BuildPlank(double w, double h, double d, double bevel, CMesh* mesh) {
    const double x = w / 2;
    const double y = h / 2;
    std::vector<COutlinePoint> outline;
    const CVec3d none{0, 0, 0};
    if (bevel > 0.0) {
        outline = {{-x + bevel, -y, none}, {x - bevel, -y, none}, {x, -y + bevel, none}, {x, y - bevel, none},
                   {x - bevel, y, none},   {-x + bevel, y, none}, {-x, y - bevel, none}, {-x, -y + bevel, none}};
    } else {
        outline = {{-x, -y, none}, {x, -y, none}, {x, y, none}, {-x, y, none}};
    }
    Extrude(outline, false, d, 0.0, mesh);
}

void BuildGear(double radius, int teeth, double depth, double length, double hole, CMesh* mesh) {
    const double root = radius - depth;
    const double period = 2.0 * kPi / teeth;
    // A tooth rises over the first sixth of its period and falls back by the half; the root
    // runs straight to the next tooth.
    const double shape[4][2] = {{0.0, root}, {0.15, radius}, {0.35, radius}, {0.5, root}};
    std::vector<COutlinePoint> outline;
    for (int t = 0; t < teeth; ++t) {
        for (const auto& corner : shape) {
            const double a = period * (t + corner[0]);
            outline.push_back({corner[1] * std::cos(a), corner[1] * std::sin(a), {0, 0, 0}});
        }
    }
    Extrude(outline, false, length, hole, mesh);
}

void BuildSphere(double radius, int segments, int rings, CMesh* mesh) {
    // Poles on y; u runs round from the back and crosses the front (u = 0.5) to the right.
    auto point = [&](int i, int j) {
        const double theta = kPi * i / rings;
        const double phi = Turn(j, segments) + kPi / 2;
        const CVec3d n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
        return Vertex(n * radius, n, static_cast<double>(j) / segments, static_cast<double>(i) / rings);
    };
    auto pole = [&](bool top, int j) {
        const CVec3d n{0.0, top ? 1.0 : -1.0, 0.0};
        return Vertex(n * radius, n, (j + 0.5) / segments, top ? 0.0 : 1.0);
    };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            if (i == 0) {
                const CMeshVertex bl = point(1, j);
                const CMeshVertex br = point(1, j + 1);
                AddTriangle(mesh, pole(true, j), br, bl, bl.normal + br.normal);
            } else if (i == rings - 1) {
                const CMeshVertex tl = point(i, j);
                const CMeshVertex tr = point(i, j + 1);
                AddTriangle(mesh, tl, tr, pole(false, j), tl.normal + tr.normal);
            } else {
                const CMeshVertex tl = point(i, j);
                const CMeshVertex tr = point(i, j + 1);
                AddQuad(mesh, tl, tr, point(i + 1, j), point(i + 1, j + 1), tl.normal + tr.normal);
            }
        }
    }
}

// Axis on z: the base circle at the front (z = -length/2), the tip at the back.
void BuildCone(double radius, double length, int segments, CMesh* mesh) {
    const double front = -length / 2;
    const double slant = std::hypot(radius, length);
    auto sideNormal = [&](double a) {
        return CVec3d{length * std::cos(a) / slant, length * std::sin(a) / slant, radius / slant};
    };
    std::vector<COutlinePoint> base = Circle(radius, segments);
    for (int j = 0; j < segments; ++j) {
        const double a0 = Turn(j, segments);
        const double a1 = Turn(j + 1, segments);
        const COutlinePoint& p = base[static_cast<size_t>(j)];
        const COutlinePoint& q = base[static_cast<size_t>((j + 1) % segments)];
        const double u0 = static_cast<double>(j) / segments;
        const double u1 = static_cast<double>(j + 1) / segments;
        const CVec3d n0 = sideNormal(a0);
        const CVec3d n1 = sideNormal(a1);
        const CVec3d tipNormal = sideNormal(a0 + kPi / segments);
        AddTriangle(mesh, Vertex({p.x, p.y, front}, n0, u0, 1.0), Vertex({q.x, q.y, front}, n1, u1, 1.0),
                    Vertex({0, 0, -front}, tipNormal, (u0 + u1) / 2, 0.0), n0 + n1);
        auto capVertex = [&](double x, double y) {
            return Vertex({x, y, front}, {0, 0, -1}, 0.5 + x / (2 * radius), 0.5 - y / (2 * radius));
        };
        AddTriangle(mesh, capVertex(0, 0), capVertex(p.x, p.y), capVertex(q.x, q.y), {0, 0, -1});
    }
}

// The ring lies in the xy plane round the z axis.
void BuildTorus(double radius, double tube, int segments, int sides, CMesh* mesh) {
    auto point = [&](int i, int j) {
        const double phi = Turn(j, segments);
        const double psi = Turn(i, sides);
        const CVec3d n{std::cos(psi) * std::cos(phi), std::cos(psi) * std::sin(phi), std::sin(psi)};
        const CVec3d centre{radius * std::cos(phi), radius * std::sin(phi), 0.0};
        return Vertex(centre + n * tube, n, static_cast<double>(j) / segments, static_cast<double>(i) / sides);
    };
    for (int i = 0; i < sides; ++i) {
        for (int j = 0; j < segments; ++j) {
            const CMeshVertex tl = point(i, j);
            const CMeshVertex tr = point(i, j + 1);
            const CMeshVertex bl = point(i + 1, j);
            const CMeshVertex br = point(i + 1, j + 1);
            AddQuad(mesh, tl, tr, bl, br, tl.normal + tr.normal + bl.normal + br.normal);
        }
    }
}

void Append(CMesh* mesh, const CMesh& part, const CMat4& matrix) {
    for (const CMeshTriangle& triangle : part) {
        CMeshTriangle moved;
        for (int c = 0; c < 3; ++c)
            moved.corners[c] = TransformVertex(triangle.corners[c], matrix);
        mesh->push_back(moved);
    }
}

// Along +x from -length/2 (the tail) to +length/2 (the tip): a round shaft and a cone.
void BuildArrow(double length, double radius, double head, double headRadius, int segments, CMesh* mesh) {
    const double shaft = length - head;
    CMesh part;
    Extrude(Circle(radius, segments), true, shaft, 0.0, &part);
    // A quarter turn about y takes the shapes' z axis to x.
    const CMat4 alongX = CMat4::Rotation(1, 90.0);
    Append(mesh, part, alongX.Then(CMat4::Translation(-length / 2 + shaft / 2, 0, 0)));
    part.clear();
    BuildCone(headRadius, head, segments, &part);
    Append(mesh, part, alongX.Then(CMat4::Translation(length / 2 - head / 2, 0, 0)));
}

}  // namespace

bool FindPrimitive(const std::string& name, EPrimitive* kind) {
    for (const CPrimitiveInfo& info : Primitives()) {
        if (name == info.name) {
            *kind = info.kind;
            return true;
        }
    }
    return false;
}

CPrimitiveDescription DefaultPrimitive(EPrimitive kind) {
    CPrimitiveDescription description;
    description.kind = kind;
    for (const CPrimitiveParameter& p : Info(kind).parameters) {
        for (int c = 0; c < p.count; ++c)
            description.values.push_back(p.defaults[c]);
    }
    return description;
}

bool SetPrimitiveParameter(CPrimitiveDescription* description, const std::string& name, const std::vector<double>& values,
                           std::string* error) {
    const CPrimitiveParameter* parameter = nullptr;
    const int offset = Offset(description->kind, name.c_str(), &parameter);
    if (offset < 0) {
        *error = std::string("a ") + Info(description->kind).name + " has no parameter \"" + name + "\"";
        return false;
    }
    if (static_cast<int>(values.size()) != parameter->count) {
        *error = "\"" + name + "\" takes " + std::to_string(parameter->count) +
                 (parameter->count == 1 ? " number" : " numbers");
        return false;
    }
    for (int c = 0; c < parameter->count; ++c) {
        const double value = values[static_cast<size_t>(c)];
        if (!(value >= parameter->minimum && value <= parameter->maximum) ||
            (parameter->integer && value != std::floor(value))) {
            char range[96];
            snprintf(range, sizeof range, "%s%g to %g", parameter->integer ? "a whole number from " : "",
                     parameter->minimum, parameter->maximum);
            *error = "\"" + name + "\" must be " + range;
            return false;
        }
        description->values[static_cast<size_t>(offset + c)] = value;
    }
    return true;
}

bool BuildPrimitive(const CPrimitiveDescription& description, CMesh* mesh, std::string* error) {
    switch (description.kind) {
    case EPrimitive::kBox:
        BuildBox(Get(description, "size", 0), Get(description, "size", 1), Get(description, "size", 2), mesh);
        return true;
    case EPrimitive::kPlank: {
        const double w = Get(description, "size", 0);
        const double h = Get(description, "size", 1);
        const double bevel = Get(description, "bevel");
        if (!(2 * bevel < std::fmin(w, h))) {
            *error = "the bevel must be less than half the plank's width and height";
            return false;
        }
        BuildPlank(w, h, Get(description, "size", 2), bevel, mesh);
        return true;
    }
    case EPrimitive::kSphere:
        BuildSphere(Get(description, "radius"), GetCount(description, "segments"), GetCount(description, "rings"), mesh);
        return true;
    case EPrimitive::kCylinder: {
        const double radius = Get(description, "radius");
        const double hole = Get(description, "hole");
        if (!(hole < radius)) {
            *error = "the hole must be smaller than the radius";
            return false;
        }
        Extrude(Circle(radius, GetCount(description, "segments")), true, Get(description, "length"), hole, mesh);
        return true;
    }
    case EPrimitive::kCone:
        BuildCone(Get(description, "radius"), Get(description, "length"), GetCount(description, "segments"), mesh);
        return true;
    case EPrimitive::kTorus:
        if (!(Get(description, "tube") < Get(description, "radius"))) {
            *error = "the tube must be thinner than the radius";
            return false;
        }
        BuildTorus(Get(description, "radius"), Get(description, "tube"), GetCount(description, "segments"), GetCount(description, "sides"), mesh);
        return true;
    case EPrimitive::kGear: {
        const double radius = Get(description, "radius");
        const double depth = Get(description, "depth");
        const double hole = Get(description, "hole");
        if (!(depth < radius) || !(hole < radius - depth)) {
            *error = "the teeth must be shallower than the radius and the hole inside their roots";
            return false;
        }
        BuildGear(radius, GetCount(description, "teeth"), depth, Get(description, "length"), hole, mesh);
        return true;
    }
    case EPrimitive::kArrow: {
        const double length = Get(description, "length");
        const double head = Get(description, "head");
        if (!(head < length)) {
            *error = "the head must be shorter than the arrow";
            return false;
        }
        BuildArrow(length, Get(description, "radius"), head, Get(description, "headradius"), GetCount(description, "segments"), mesh);
        return true;
    }
    }
    *error = "unknown primitive";
    return false;
}

CMeshVertex TransformVertex(const CMeshVertex& vertex, const CMat4& matrix) {
    CMeshVertex out = vertex;
    out.position = matrix.TransformPoint(vertex.position);
    const CVec3d normal = matrix.TransformNormal(vertex.normal);
    if (Dot(normal, normal) > 0.0)
        out.normal = Normalized(normal);
    return out;
}
