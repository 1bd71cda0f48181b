#include "engine/core/Matrix.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kHalfPi = 1.57079637f;

float Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

}  // namespace

const CMatrix& CMatrix::Identity() {
    static const CMatrix identity = [] {
        CMatrix m;
        m.SetIdentity();
        return m;
    }();
    return identity;
}

void CMatrix::SetIdentity() {
    memset(m_f, 0, sizeof m_f);
    m_f[0] = m_f[5] = m_f[10] = m_f[15] = 1.0f;
}

void CMatrix::SetScale(float sx, float sy, float sz) {
    SetIdentity();
    m_f[0] = sx;
    m_f[5] = sy;
    m_f[10] = sz;
}

void CMatrix::SetTranslation(float x, float y, float z) {
    SetIdentity();
    m_f[12] = x;
    m_f[13] = y;
    m_f[14] = z;
}

void CMatrix::SetTranslationVector(const CVector3& v) {
    SetTranslation(v.x, v.y, v.z);
}

void CMatrix::SetRotationX(float angle) {
    SetIdentity();
    const float c = cosf(angle);
    const float s = sinf(angle);
    m_f[5] = c;
    m_f[6] = s;
    m_f[9] = -s;
    m_f[10] = c;
}

void CMatrix::SetRotationY(float angle) {
    SetIdentity();
    const float c = cosf(angle);
    const float s = sinf(angle);
    m_f[0] = c;
    m_f[2] = -s;
    m_f[8] = s;
    m_f[10] = c;
}

void CMatrix::SetRotationZ(float angle) {
    SetIdentity();
    const float c = cosf(angle);
    const float s = sinf(angle);
    m_f[0] = c;
    m_f[1] = s;
    m_f[4] = -s;
    m_f[5] = c;
}

void CMatrix::Transpose() {
    for (int r = 0; r < 4; ++r) {
        for (int c = r + 1; c < 4; ++c) {
            const float t = At(r, c);
            At(r, c) = At(c, r);
            At(c, r) = t;
        }
    }
}

CMatrix* CMatrix::Multiply(CMatrix* out, const CMatrix& a, const CMatrix& b) {
    CMatrix product;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            product.At(r, c) = a.At(r, 0) * b.At(0, c) + a.At(r, 1) * b.At(1, c) +
                               a.At(r, 2) * b.At(2, c) + a.At(r, 3) * b.At(3, c);
        }
    }
    *out = product;
    return out;
}

CVector3* CMatrix::TransformPointW(CVector3* out, const CVector3& p, float* w) const {
    const CVector3 result(p.x * m_f[0] + p.y * m_f[4] + p.z * m_f[8] + m_f[12],
                          p.x * m_f[1] + p.y * m_f[5] + p.z * m_f[9] + m_f[13],
                          p.x * m_f[2] + p.y * m_f[6] + p.z * m_f[10] + m_f[14]);
    *w = p.x * m_f[3] + p.y * m_f[7] + p.z * m_f[11] + m_f[15];
    *out = result;
    return out;
}

CVector3* CMatrix::TransformPoint(CVector3* out, const CVector3& p) const {
    float w;
    TransformPointW(out, p, &w);
    out->x /= w;
    out->y /= w;
    out->z /= w;
    return out;
}

CVector3* CMatrix::TransformVector(CVector3* out, const CVector3& v) const {
    *out = CVector3(v.x * m_f[0] + v.y * m_f[4] + v.z * m_f[8],
                    v.x * m_f[1] + v.y * m_f[5] + v.z * m_f[9],
                    v.x * m_f[2] + v.y * m_f[6] + v.z * m_f[10]);
    return out;
}

CVector3* TransformPoint(CVector3* out, const CVector3& p, const CMatrix& m) {
    return m.TransformPoint(out, p);
}

int CMatrix::Inverse(CMatrix* out) const {
    const float* a = m_f;
    // 2x2 minors of the top two rows (s) and the bottom two rows (c).
    const float s0 = a[0] * a[5] - a[4] * a[1];
    const float s1 = a[0] * a[6] - a[4] * a[2];
    const float s2 = a[0] * a[7] - a[4] * a[3];
    const float s3 = a[1] * a[6] - a[5] * a[2];
    const float s4 = a[1] * a[7] - a[5] * a[3];
    const float s5 = a[2] * a[7] - a[6] * a[3];
    const float c5 = a[10] * a[15] - a[14] * a[11];
    const float c4 = a[9] * a[15] - a[13] * a[11];
    const float c3 = a[9] * a[14] - a[13] * a[10];
    const float c2 = a[8] * a[15] - a[12] * a[11];
    const float c1 = a[8] * a[14] - a[12] * a[10];
    const float c0 = a[8] * a[13] - a[12] * a[9];
    const float determinant = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (determinant == 0.0f || !std::isfinite(determinant)) {
        out->SetIdentity();
        return 0;
    }
    const float adjugate[16] = {
        a[5] * c5 - a[6] * c4 + a[7] * c3,    -a[1] * c5 + a[2] * c4 - a[3] * c3,
        a[13] * s5 - a[14] * s4 + a[15] * s3, -a[9] * s5 + a[10] * s4 - a[11] * s3,
        -a[4] * c5 + a[6] * c2 - a[7] * c1,   a[0] * c5 - a[2] * c2 + a[3] * c1,
        -a[12] * s5 + a[14] * s2 - a[15] * s1, a[8] * s5 - a[10] * s2 + a[11] * s1,
        a[4] * c4 - a[5] * c2 + a[7] * c0,    -a[0] * c4 + a[1] * c2 - a[3] * c0,
        a[12] * s4 - a[13] * s2 + a[15] * s0, -a[8] * s4 + a[9] * s2 - a[11] * s0,
        -a[4] * c3 + a[5] * c1 - a[6] * c0,   a[0] * c3 - a[1] * c1 + a[2] * c0,
        -a[12] * s3 + a[13] * s1 - a[14] * s0, a[8] * s3 - a[9] * s1 + a[10] * s0,
    };
    for (int i = 0; i < 16; ++i)
        out->m_f[i] = adjugate[i] / determinant;
    return 1;
}

void CMatrix::SetFromQuaternion(const CQuaternion& q) {
    memset(m_f, 0, sizeof m_f);
    m_f[0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    m_f[1] = 2.0f * (q.x * q.y + q.w * q.z);
    m_f[2] = 2.0f * (q.x * q.z - q.w * q.y);
    m_f[4] = 2.0f * (q.x * q.y - q.w * q.z);
    m_f[5] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
    m_f[6] = 2.0f * (q.y * q.z + q.w * q.x);
    m_f[8] = 2.0f * (q.x * q.z + q.w * q.y);
    m_f[9] = 2.0f * (q.y * q.z - q.w * q.x);
    m_f[10] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    m_f[15] = 1.0f;
}

void CMatrix::GetQuaternion(CQuaternion* q) const {
    const float trace = m_f[0] + m_f[5] + m_f[10];
    if (trace > 0.0f) {
        float s = sqrtf(trace + 1.0f);
        q->w = 0.5f * s;
        s = 0.5f / s;
        q->x = (m_f[6] - m_f[9]) * s;
        q->y = (m_f[8] - m_f[2]) * s;
        q->z = (m_f[1] - m_f[4]) * s;
        return;
    }
    // The axis of the largest diagonal element, x before y before z on ties.
    int i = 0;
    if (At(1, 1) > At(0, 0))
        i = 1;
    if (At(2, 2) > At(i, i))
        i = 2;
    const int j = (i + 1) % 3;
    const int k = (j + 1) % 3;
    float components[3] = {0.0f, 0.0f, 0.0f};
    float w = 0.0f;
    float s = sqrtf(At(i, i) - At(j, j) - At(k, k) + 1.0f);
    components[i] = 0.5f * s;
    if (s != 0.0f) {
        s = 0.5f / s;
        w = (At(j, k) - At(k, j)) * s;
        components[j] = (At(i, j) + At(j, i)) * s;
        components[k] = (At(i, k) + At(k, i)) * s;
    }
    q->x = components[0];
    q->y = components[1];
    q->z = components[2];
    q->w = w;
}

void CMatrix::SetPerspective(float fov, float aspect, float nearPlane, float farPlane, int bLeftHanded) {
    memset(m_f, 0, sizeof m_f);
    const float h = tanf(kHalfPi - fov * 0.5f);
    m_f[5] = h;
    m_f[0] = h / aspect;
    if (bLeftHanded) {
        m_f[10] = farPlane / (farPlane - nearPlane);
        m_f[11] = 1.0f;
        m_f[14] = -nearPlane * farPlane / (farPlane - nearPlane);
    } else {
        m_f[10] = farPlane / (nearPlane - farPlane);
        m_f[11] = -1.0f;
        m_f[14] = nearPlane * farPlane / (nearPlane - farPlane);
    }
}

void CMatrix::SetLookAt(const CVector3& eye, const CVector3& at, const CVector3& up, int bLeftHanded) {
    CVector3 zAxis;
    (bLeftHanded ? at.Subtract(&zAxis, eye) : eye.Subtract(&zAxis, at))->Normalize(&zAxis);
    CVector3 xAxis;
    up.Cross(&xAxis, zAxis)->Normalize(&xAxis);
    CVector3 yAxis;
    zAxis.Cross(&yAxis, xAxis);
    const CVector3* axes[3] = {&xAxis, &yAxis, &zAxis};
    for (int c = 0; c < 3; ++c) {
        At(0, c) = axes[c]->x;
        At(1, c) = axes[c]->y;
        At(2, c) = axes[c]->z;
        At(3, c) = -Dot(*axes[c], eye);
        At(c, 3) = 0.0f;
    }
    m_f[15] = 1.0f;
}
