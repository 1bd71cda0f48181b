#include "engine/graphics/QuaternionOps.h"

#include <cmath>

CMatrix* QuaternionToMatrix(CMatrix* out, const CQuaternion& q) {
    const float x = q.x;
    const float y = q.y;
    const float z = q.z;
    const float w = q.w;
    const float m[16] = {
        1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y - w * z),        2.0f * (w * y + x * z),        0.0f,
        2.0f * (w * z + x * y),        1.0f - 2.0f * (z * z + x * x), 2.0f * (z * y - w * x),        0.0f,
        2.0f * (z * x - w * y),        2.0f * (z * y + w * x),        1.0f - 2.0f * (y * y + x * x), 0.0f,
        0.0f,                          0.0f,                          0.0f,                          1.0f,
    };
    for (int i = 0; i < 16; ++i)
        out->m_f[i] = m[i];
    return out;
}

CQuaternion* QuaternionMultiply(const CQuaternion& q1, CQuaternion* out, const CQuaternion& q2) {
    const CQuaternion product{
        q1.w * q2.x + q1.x * q2.w + q1.y * q2.z - q1.z * q2.y,
        q1.w * q2.y + q1.y * q2.w + q1.z * q2.x - q1.x * q2.z,
        q1.w * q2.z + q1.z * q2.w + q1.x * q2.y - q1.y * q2.x,
        q1.w * q2.w - q1.x * q2.x - q1.y * q2.y - q1.z * q2.z,
    };
    *out = product;
    return out;
}

CQuaternion* QuaternionFromAxisAngle(CQuaternion* out, const CVector3* axis, float angle) {
    CVector3 unit = *axis;
    unit.Normalize(&unit);
    const float s = sinf(angle * 0.5f);
    *out = CQuaternion{unit.x * s, unit.y * s, unit.z * s, cosf(angle * 0.5f)};
    return out;
}
