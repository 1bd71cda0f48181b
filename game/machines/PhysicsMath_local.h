// Helpers of the physics layer at its boundary with ODE: the engine keeps its data in floats,
// ODE works in doubles, and Debian's ODE aborts the process on a bad argument, so values are
// checked here before they cross.
#pragma once

#include <ode/ode.h>

#include <cmath>

#include "engine/core/Vector3.h"

static_assert(sizeof(dReal) == sizeof(double), "the layer is written against the double-precision ODE");

namespace physics {

inline bool IsFinite(float value) {
    return std::isfinite(value);
}

inline bool IsFinite(const CVector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The angle of a turned y axis in the board plane, as the machines measure it: the arc
// cosine of its y over its length, negative when it leans to negative x. The quotient is
// clamped, since rounding can push it past 1; a zero or broken axis has angle 0.
inline float AngleOfYAxis(float x, float y, float z = 0.0f) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0f) || !std::isfinite(length))
        return 0.0f;
    float cosine = y / length;
    if (cosine > 1.0f)
        cosine = 1.0f;
    if (cosine < -1.0f)
        cosine = -1.0f;
    const float angle = std::acos(cosine);
    return x < 0.0f ? -angle : angle;
}

// The rotation about z by an angle in that measure, laid out for ODE (rows 4 reals wide):
// it turns the y axis to (sin a, cos a), as the object's matrix does.
inline void RotationAboutZ(dMatrix3 r, float angle) {
    const dReal c = std::cos(static_cast<dReal>(angle));
    const dReal s = std::sin(static_cast<dReal>(angle));
    r[0] = c;
    r[1] = s;
    r[2] = 0;
    r[3] = 0;
    r[4] = -s;
    r[5] = c;
    r[6] = 0;
    r[7] = 0;
    r[8] = 0;
    r[9] = 0;
    r[10] = 1;
    r[11] = 0;
}

inline CVector3 ToVector(const dReal* v) {
    return CVector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

}  // namespace physics
