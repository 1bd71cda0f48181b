// The game's light: white, directional, shining down, to the right and away from the camera.
// The scene-object list casts its stencil shadows along the same direction, so a picture that
// lights its models with this light shows lit faces that agree with the shadows. Shared by the
// benchmarks and the tests that draw under it.
#pragma once

#include "engine/core/Vector3.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderTypes.h"

// The way the light shines, as the shadow volumes take it (not normalised).
inline const CVector3 kGameLightDirection(0.4f, -0.5f, 1.0f);

// Diffuse white only: a picture sets its own ambient level.
inline CLight GameLight() {
    CLight light{};
    light.nType = kLightDirectional;
    light.Diffuse = CColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    CVector3 direction = kGameLightDirection;
    direction.Normalize(&light.vDirection);
    light.fAttenuation0 = 1.0f;
    return light;
}
