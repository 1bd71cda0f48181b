#include "tools/model/Mat4.h"

#include <cmath>

CVec3d Normalized(const CVec3d& v) {
    const double length = std::sqrt(Dot(v, v));
    return length > 0.0 ? v * (1.0 / length) : v;
}

CMat4 CMat4::Identity() {
    CMat4 out;
    out.m[0] = out.m[5] = out.m[10] = out.m[15] = 1.0;
    return out;
}

CMat4 CMat4::Translation(double x, double y, double z) {
    CMat4 out = Identity();
    out.m[12] = x;
    out.m[13] = y;
    out.m[14] = z;
    return out;
}

CMat4 CMat4::Scale(double x, double y, double z) {
    CMat4 out = Identity();
    out.m[0] = x;
    out.m[5] = y;
    out.m[10] = z;
    return out;
}

CMat4 CMat4::Rotation(int axis, double degrees) {
    double c;
    double s;
    const double quarters = degrees / 90.0;
    if (quarters == std::floor(quarters) && std::fabs(quarters) < 1e9) {
        // Exact values keep axis-aligned parts free of rounding noise.
        static const double kCos[4] = {1.0, 0.0, -1.0, 0.0};
        static const double kSin[4] = {0.0, 1.0, 0.0, -1.0};
        const int quarter = static_cast<int>(std::fmod(quarters, 4.0) + 4.0) % 4;
        c = kCos[quarter];
        s = kSin[quarter];
    } else {
        const double radians = degrees * 3.14159265358979323846 / 180.0;
        c = std::cos(radians);
        s = std::sin(radians);
    }
    CMat4 out = Identity();
    switch (axis) {
    case 0:
        out.m[5] = c;
        out.m[6] = s;
        out.m[9] = -s;
        out.m[10] = c;
        break;
    case 1:
        out.m[0] = c;
        out.m[2] = -s;
        out.m[8] = s;
        out.m[10] = c;
        break;
    default:
        out.m[0] = c;
        out.m[1] = s;
        out.m[4] = -s;
        out.m[5] = c;
        break;
    }
    return out;
}

CMat4 CMat4::FromRows(const double* values) {
    CMat4 out;
    for (int i = 0; i < 16; ++i)
        out.m[i] = values[i];
    return out;
}

CMat4 CMat4::Then(const CMat4& next) const {
    CMat4 out;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += At(r, k) * next.At(k, c);
            out.m[4 * r + c] = sum;
        }
    }
    return out;
}

CVec3d CMat4::TransformPoint(const CVec3d& p) const {
    double out[4];
    for (int c = 0; c < 4; ++c)
        out[c] = p.x * At(0, c) + p.y * At(1, c) + p.z * At(2, c) + At(3, c);
    // A w of 0 gives no finite point, which the builder refuses.
    if (out[3] != 1.0)
        return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
    return {out[0], out[1], out[2]};
}

double CMat4::Determinant3() const {
    return At(0, 0) * (At(1, 1) * At(2, 2) - At(1, 2) * At(2, 1)) -
           At(0, 1) * (At(1, 0) * At(2, 2) - At(1, 2) * At(2, 0)) +
           At(0, 2) * (At(1, 0) * At(2, 1) - At(1, 1) * At(2, 0));
}

CVec3d CMat4::TransformNormal(const CVec3d& n) const {
    // Rows of the 3x3 part; the images of two surface tangents are crossed, so the
    // cofactor matrix carries a normal the way the surface moves.
    const CVec3d r0{At(0, 0), At(0, 1), At(0, 2)};
    const CVec3d r1{At(1, 0), At(1, 1), At(1, 2)};
    const CVec3d r2{At(2, 0), At(2, 1), At(2, 2)};
    const CVec3d c0 = Cross(r1, r2);
    const CVec3d c1 = Cross(r2, r0);
    const CVec3d c2 = Cross(r0, r1);
    const CVec3d out = c0 * n.x + c1 * n.y + c2 * n.z;
    return Determinant3() < 0.0 ? out * -1.0 : out;
}
