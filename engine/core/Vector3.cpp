#include "engine/core/Vector3.h"

#include <cmath>

CVector3* CVector3::Add(CVector3* out, const CVector3& b) const {
    *out = CVector3(x + b.x, y + b.y, z + b.z);
    return out;
}

CVector3* CVector3::Subtract(CVector3* out, const CVector3& b) const {
    *out = CVector3(x - b.x, y - b.y, z - b.z);
    return out;
}

CVector3* CVector3::AddAssign(CVector3* out, const CVector3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    *out = *this;
    return out;
}

CVector3* CVector3::ScaleAssign(CVector3* out, float s) {
    x *= s;
    y *= s;
    z *= s;
    *out = *this;
    return out;
}

CVector3* CVector3::Cross(CVector3* out, const CVector3& b) const {
    *out = CVector3(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
    return out;
}

CVector3* CVector3::Normalize(CVector3* out) {
    const float length = Length();
    if (length > 0.0f) {
        const float inverse = 1.0f / length;
        x *= inverse;
        y *= inverse;
        z *= inverse;
    }
    *out = *this;
    return out;
}

float CVector3::Length() const {
    return sqrtf(x * x + y * y + z * z);
}
