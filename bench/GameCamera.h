// The game's camera: 30 degrees field of view at 4:3, the eye 12.8 in front of the origin on
// the view axis, looking at it. Shared by the benchmarks and the tests that draw through it.
#pragma once

#include "engine/core/Vector3.h"
#include "engine/graphics/Camera.h"

inline void SetUpGameCamera(CCamera* camera) {
    camera->Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.1f, 1000.0f, 40.0f, 0.5235988f, 1.3333334f, 0);
    camera->SetEye(CVector3(0.0f, 0.0f, -12.8f));
    camera->SetTarget(CVector3(0.0f, 0.0f, 0.0f));
}
