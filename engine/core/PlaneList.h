// A pooled list of planes a·x + b·y + c·z + d = 0, the faces of a convex volume.
#pragma once

#include "engine/core/PooledList.h"

struct CPlane {
    float a;
    float b;
    float c;
    float d;
};

class CPlaneList : public CPooledList<CPlane> {
public:
    using CPooledList::CPooledList;
};
