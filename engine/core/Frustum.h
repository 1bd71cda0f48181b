// A convex volume bounded by planes, with box and sphere tests. Something counts as outside
// only when it lies wholly behind one plane; a volume without planes holds everything.
#pragma once

#include "engine/core/OrientedBox.h"
#include "engine/core/PlaneList.h"

class CFrustum {
public:
    CFrustum();
    CFrustum(const CFrustum&) = delete;
    CFrustum& operator=(const CFrustum&) = delete;
    virtual ~CFrustum();

    int IsBoxVisible(const COrientedBox& box) const;
    int IsSphereVisible(float x, float y, float z, float radius) const;

    CPlaneList* m_pPlanes;
};
