// An oriented box: centre, half extents along its three axes, and the three unit axes.
// 15 floats in this order, as the model file stores its bounding boxes.
#pragma once

#include "engine/core/Vector3.h"

struct COrientedBox {
    CVector3 vCentre;
    CVector3 vHalfExtents;
    CVector3 vAxes[3];
};

static_assert(sizeof(COrientedBox) == 15 * sizeof(float));
