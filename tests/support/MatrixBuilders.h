// Matrices built in one expression, for test tables.
#pragma once

#include "engine/core/Matrix.h"

inline CMatrix Translation(float x, float y, float z) {
    CMatrix m;
    m.SetTranslation(x, y, z);
    return m;
}

inline CMatrix Scale(float x, float y, float z) {
    CMatrix m;
    m.SetScale(x, y, z);
    return m;
}

inline CMatrix RotationZ(float angle) {
    CMatrix m;
    m.SetRotationZ(angle);
    return m;
}
