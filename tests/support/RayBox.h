// Where a ray meets an axis-aligned box: the geometry the pixel tests work their expected
// pictures out with.
#pragma once

#include <algorithm>
#include <cmath>

#include "engine/core/Vector3.h"

// An axis-aligned box in world space.
struct Box {
    CVector3 centre;
    CVector3 half;
};

// Where the ray (t > 0) first meets the box and through which axis's faces it enters (-1 when
// it starts inside); t < 0 when it misses.
struct BoxHit {
    float t;
    int axis;
};

inline BoxHit RayBox(const CVector3& origin, const CVector3& direction, const Box& box) {
    float enter = 0.0f;
    float leave = 1e30f;
    int axisIn = -1;
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    const float c[3] = {box.centre.x, box.centre.y, box.centre.z};
    const float h[3] = {box.half.x, box.half.y, box.half.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(d[axis]) < 1e-9f) {
            if (std::fabs(o[axis] - c[axis]) > h[axis])
                return {-1.0f, -1};
            continue;
        }
        float t0 = (c[axis] - h[axis] - o[axis]) / d[axis];
        float t1 = (c[axis] + h[axis] - o[axis]) / d[axis];
        if (t0 > t1)
            std::swap(t0, t1);
        if (t0 > enter) {
            enter = t0;
            axisIn = axis;
        }
        leave = std::min(leave, t1);
    }
    return enter <= leave ? BoxHit{enter, axisIn} : BoxHit{-1.0f, -1};
}
