// The engine's 4x4 single-precision matrix in the row-vector convention: a point is
// transformed as p x M, and the translation sits in elements 12, 13 and 14. Element 4r + c
// is row r, column c. The default constructor writes nothing.
#pragma once

#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

class CMatrix {
public:
    CMatrix() = default;

    static const CMatrix& Identity();

    void SetIdentity();
    void SetScale(float sx, float sy, float sz);
    void SetTranslation(float x, float y, float z);
    void SetTranslationVector(const CVector3& v);
    void SetRotationX(float angle);
    void SetRotationY(float angle);
    void SetRotationZ(float angle);
    void Transpose();
    // out = a x b: a applied first, then b. out may be a or b.
    static CMatrix* Multiply(CMatrix* out, const CMatrix& a, const CMatrix& b);

    // (p, 1) x M, divided by the resulting w.
    CVector3* TransformPoint(CVector3* out, const CVector3& p) const;
    // (p, 1) x M without the division; the w is returned through `w`.
    CVector3* TransformPointW(CVector3* out, const CVector3& p, float* w) const;
    // v x the upper 3x3 part: turned and scaled, not moved.
    CVector3* TransformVector(CVector3* out, const CVector3& v) const;

    // The general inverse (adjugate over determinant): 1, or 0 with out set to the identity
    // when the determinant is 0 or not finite.
    int Inverse(CMatrix* out) const;

    void SetFromQuaternion(const CQuaternion& q);
    // The rotation part as a unit quaternion.
    void GetQuaternion(CQuaternion* q) const;

    // A perspective projection; fov is the vertical field of view in radians.
    void SetPerspective(float fov, float aspect, float nearPlane, float farPlane, int bLeftHanded);
    // A view matrix looking from eye towards at.
    void SetLookAt(const CVector3& eye, const CVector3& at, const CVector3& up, int bLeftHanded);

    float& At(int row, int column) { return m_f[4 * row + column]; }
    float At(int row, int column) const { return m_f[4 * row + column]; }

    float m_f[16];
};

// The free form of CMatrix::TransformPoint.
CVector3* TransformPoint(CVector3* out, const CVector3& p, const CMatrix& m);
