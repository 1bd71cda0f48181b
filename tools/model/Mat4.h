// The model tool's 4x4 matrix in double precision, in the engine's row-vector convention
// (a point is p x M, the translation in the fourth row), so that written matrices read
// back as the engine's CMatrix.
#pragma once

#include <array>

struct CVec3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline CVec3d operator+(const CVec3d& a, const CVec3d& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline CVec3d operator-(const CVec3d& a, const CVec3d& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline CVec3d operator*(const CVec3d& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double Dot(const CVec3d& a, const CVec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline CVec3d Cross(const CVec3d& a, const CVec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// The unit vector, or the vector itself when it has no length.
CVec3d Normalized(const CVec3d& v);

class CMat4 {
public:
    static CMat4 Identity();
    static CMat4 Translation(double x, double y, double z);
    static CMat4 Scale(double x, double y, double z);
    // About the x (0), y (1) or z (2) axis, turning as the engine's SetRotationX/Y/Z do;
    // whole quarter turns are exact.
    static CMat4 Rotation(int axis, double degrees);
    // Sixteen values, row after row.
    static CMat4 FromRows(const double* values);

    // this first, then next.
    CMat4 Then(const CMat4& next) const;
    CVec3d TransformPoint(const CVec3d& p) const;
    // The normal of a surface moved by this matrix (the cofactors of the 3x3 part, turned
    // round for a mirroring matrix), not normalised.
    CVec3d TransformNormal(const CVec3d& n) const;
    // The determinant of the 3x3 part: negative for a mirroring matrix.
    double Determinant3() const;

    double At(int row, int column) const { return m[4 * row + column]; }

    std::array<double, 16> m{};
};
