// Rays, circles and boxes against spheres and oriented boxes, for picking, visibility and
// overlap of models and elements.
#pragma once

#include "engine/core/Matrix.h"
#include "engine/core/OrientedBox.h"
#include "engine/core/Vector3.h"

// One slab of a ray-box test on the ray's parametric interval: narrows [tEnter, tExit] by the
// plane pair, 0 when the ray misses the slab.
int ClipRaySlab(float denominator, float numerator, float* tEnter, float* tExit);

// The distance along the ray (in units of its direction) to the box: the entry, or the exit
// when the ray starts inside. 0 when it misses or nothing constrains it.
int RayIntersectsBox(const COrientedBox& box, const CVector3& origin, const CVector3& direction, float* t);

// The nearer of the two crossings, also behind the origin; a tangent touch only ahead of it.
int RayIntersectsSphere(float radius, const CVector3& centre, const CVector3& origin, const CVector3& direction,
                        float* t);

// The sphere placed by the matrix (radius scaled by the image of the unit x vector).
int RayPickSphere(float radius, const CVector3& centre, const CMatrix& matrix, const CVector3& origin,
                  const CVector3& direction, float* t);

// The box placed by the matrix: unit axes and scaled half extents.
void TransformBox(COrientedBox* out, const COrientedBox& box, const CMatrix& matrix);

int RayPickBox(const COrientedBox& box, const CMatrix& matrix, const CVector3& origin, const CVector3& direction,
               float* t);

// Whether a circle in the XY plane touches the box's rectangle (its first two axes).
int CircleOverlapsBoxXY(const COrientedBox& box, float radius, const CVector3& point);

// Whether the rectangles of two boxes (their first two axes) overlap in their common plane.
int BoxesOverlapXY(const COrientedBox& a, const COrientedBox& b);
