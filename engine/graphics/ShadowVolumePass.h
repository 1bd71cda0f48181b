// The device steps of the stencil shadow pass, written once for the scene-object list and for
// the tests that draw volumes themselves: the states before the volumes, the two counting
// draws of one volume, the states after, and the light taken into an object's space.
#pragma once

#include "engine/core/Matrix.h"
#include "engine/core/Vector3.h"

class CRenderDevice;
class CShadowVolume;

// The direction every shadow is cast along, in world space (not normalised).
extern const CVector3 kShadowLightDirection;

// Depth writes off, stencil on, flat shading, blending that leaves the colour buffer as it
// is, and a stencil test that always passes and keeps on failure.
void BeginShadowVolumes(CRenderDevice* device);
// Draws the volume under the current world transform twice, so that front faces count up
// and back faces down: a mirrored object's faces turn the other way, so it swaps the culls.
// Counter-clockwise culling is in force afterwards. 0 when a draw fails.
int DrawShadowVolumeCounted(CRenderDevice* device, CShadowVolume* volume, bool bMirrored);
// The world transform back to the top of the device's matrix stack, gouraud shading, depth
// writes on, stencil and blending off.
void EndShadowVolumes(CRenderDevice* device);
// The shadow light in the space of an object under objectMatrix, scaled by -length: the
// vector CShadowVolume::Build takes. A direction, so it goes through the inverse without its
// translation. 0 for a matrix without an inverse (the world light is then taken as it is).
int ShadowLightInObjectSpace(const CMatrix& objectMatrix, float length, CVector3* out);
