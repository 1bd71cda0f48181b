#include "engine/graphics/BoundingVolumes.h"

#include <cfloat>
#include <cmath>

namespace {

float Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float HalfExtent(const COrientedBox& box, int axis) {
    return axis == 0 ? box.vHalfExtents.x : (axis == 1 ? box.vHalfExtents.y : box.vHalfExtents.z);
}

void SetHalfExtent(COrientedBox* box, int axis, float value) {
    (axis == 0 ? box->vHalfExtents.x : (axis == 1 ? box->vHalfExtents.y : box->vHalfExtents.z)) = value;
}

}  // namespace

int ClipRaySlab(float denominator, float numerator, float* tEnter, float* tExit) {
    if (denominator > 0.0f) {
        if (numerator > denominator * *tExit)
            return 0;
        if (numerator > denominator * *tEnter)
            *tEnter = numerator / denominator;
        return 1;
    }
    if (denominator < 0.0f) {
        if (numerator > denominator * *tEnter)
            return 0;
        if (numerator > denominator * *tExit)
            *tExit = numerator / denominator;
        return 1;
    }
    return numerator <= 0.0f ? 1 : 0;
}

int RayIntersectsBox(const COrientedBox& box, const CVector3& origin, const CVector3& direction, float* t) {
    CVector3 d;
    origin.Subtract(&d, box.vCentre);
    float tEnter = 0.0f;
    float tExit = FLT_MAX;
    for (int k = 0; k < 3; ++k) {
        const float a = Dot(d, box.vAxes[k]);
        const float b = Dot(direction, box.vAxes[k]);
        const float h = HalfExtent(box, k);
        if (!ClipRaySlab(b, -a - h, &tEnter, &tExit) || !ClipRaySlab(-b, a - h, &tEnter, &tExit))
            return 0;
    }
    if (tEnter == 0.0f && tExit == FLT_MAX)
        return 0;
    if (tEnter > 0.0f) {
        *t = (tExit == FLT_MAX || tEnter < tExit) ? tEnter : tExit;
    } else if (tExit != FLT_MAX) {
        *t = tExit;
    }
    return 1;
}

int RayIntersectsSphere(float radius, const CVector3& centre, const CVector3& origin, const CVector3& direction,
                        float* t) {
    CVector3 d;
    origin.Subtract(&d, centre);
    const float a = Dot(direction, direction);
    const float b = Dot(d, direction);
    const float disc = b * b - a * (Dot(d, d) - radius * radius);
    if (disc < 0.0f)
        return 0;
    if (disc > 0.0f) {
        const float root = sqrtf(disc);
        const float t1 = (-b - root) / a;
        const float t2 = (root - b) / a;
        *t = t1 < t2 ? t1 : t2;
        return 1;
    }
    // A zero-length ray lands here too: its 0/0 is not a distance ahead.
    const float touch = -b / a;
    if (!(touch >= 0.0f))
        return 0;
    *t = touch;
    return 1;
}

int RayPickSphere(float radius, const CVector3& centre, const CMatrix& matrix, const CVector3& origin,
                  const CVector3& direction, float* t) {
    CVector3 placed;
    matrix.TransformPoint(&placed, centre);
    CVector3 unitX;
    matrix.TransformVector(&unitX, CVector3(1.0f, 0.0f, 0.0f));
    return RayIntersectsSphere(radius * unitX.Length(), placed, origin, direction, t);
}

void TransformBox(COrientedBox* out, const COrientedBox& box, const CMatrix& matrix) {
    COrientedBox result;
    matrix.TransformPoint(&result.vCentre, box.vCentre);
    for (int k = 0; k < 3; ++k) {
        CVector3 axis;
        matrix.TransformVector(&axis, box.vAxes[k]);
        const float length = axis.Length();
        SetHalfExtent(&result, k, HalfExtent(box, k) * length);
        result.vAxes[k] = CVector3(axis.x / length, axis.y / length, axis.z / length);
    }
    *out = result;
}

int RayPickBox(const COrientedBox& box, const CMatrix& matrix, const CVector3& origin, const CVector3& direction,
               float* t) {
    COrientedBox placed;
    TransformBox(&placed, box, matrix);
    return RayIntersectsBox(placed, origin, direction, t);
}

int CircleOverlapsBoxXY(const COrientedBox& box, float radius, const CVector3& point) {
    const CVector3& axis = box.vAxes[1];
    float angle = acosf(axis.y / axis.Length());
    if (axis.x > 0.0f)
        angle = -angle;
    // Turn the point about the centre by -angle, into the box's own frame.
    const float c = cosf(-angle);
    const float s = sinf(-angle);
    const float px = point.x - box.vCentre.x;
    const float py = point.y - box.vCentre.y;
    const float x = box.vCentre.x + px * c - py * s;
    const float y = box.vCentre.y + px * s + py * c;
    const float h0 = box.vHalfExtents.x;
    const float h1 = box.vHalfExtents.y;
    const float dx = x < box.vCentre.x - h0 ? box.vCentre.x - h0 - x : (x > box.vCentre.x + h0 ? x - box.vCentre.x - h0 : 0.0f);
    const float dy = y < box.vCentre.y - h1 ? box.vCentre.y - h1 - y : (y > box.vCentre.y + h1 ? y - box.vCentre.y - h1 : 0.0f);
    return radius * radius >= dx * dx + dy * dy ? 1 : 0;
}

int BoxesOverlapXY(const COrientedBox& a, const COrientedBox& b) {
    CVector3 d;
    b.vCentre.Subtract(&d, a.vCentre);
    const float c00 = fabsf(Dot(a.vAxes[0], b.vAxes[0]));
    const float c01 = fabsf(Dot(a.vAxes[0], b.vAxes[1]));
    const float c10 = fabsf(Dot(a.vAxes[1], b.vAxes[0]));
    const float c11 = fabsf(Dot(a.vAxes[1], b.vAxes[1]));
    const float ah0 = a.vHalfExtents.x;
    const float ah1 = a.vHalfExtents.y;
    const float bh0 = b.vHalfExtents.x;
    const float bh1 = b.vHalfExtents.y;
    if (fabsf(Dot(d, a.vAxes[0])) > c00 * bh0 + c01 * bh1 + ah0)
        return 0;
    if (fabsf(Dot(d, a.vAxes[1])) > c10 * bh0 + c11 * bh1 + ah1)
        return 0;
    if (fabsf(Dot(d, b.vAxes[0])) > c10 * ah1 + c00 * ah0 + bh0)
        return 0;
    if (fabsf(Dot(d, b.vAxes[1])) > c11 * ah1 + c01 * ah0 + bh1)
        return 0;
    return 1;
}
