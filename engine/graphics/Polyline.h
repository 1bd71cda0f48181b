// A drawable path of points, open or closed, drawn as a flat ribbon that faces the eye: the
// belts, cables, ropes, fuzes and arcs of the machines, and paths picked with the mouse.
#pragma once

#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/PointArray.h"

class CRenderDevice;

class CPolyline : public CObject {
    DECLARE_RUNTIME_CLASS(CPolyline)

public:
    CPolyline() = default;
    ~CPolyline() override;

    // Two vertices a point (plus the first two again when closed) from the device's
    // position-colour pool, drawn as one triangle strip; v is 1 on the left of the path and 0
    // on its right, u the length along it. 0 without drawing for fewer than 2 points or when
    // the vertices do not fit the pool.
    int Draw(CRenderDevice* device, const CVector3* eye, float width, uint32_t color);
    // The box of the points in x and y (z that of the first point); nothing for no points.
    void ComputeBounds();
    // Whether the rectangle spanned by a and b meets the bounds in x and y; touching counts.
    int OverlapsBox(const CVector3* a, const CVector3* b) const;
    // The smallest squared distance in the xy plane from (x, y) to a segment of the path; the
    // largest float when there is no segment.
    float DistanceToPoint(float x, float y) const;

    CPointArray m_Points;
    int m_bClosed = 0;
    CVector3 m_vMin{0.0f, 0.0f, 0.0f};
    CVector3 m_vMax{0.0f, 0.0f, 0.0f};
};
