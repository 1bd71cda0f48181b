// The stencil that a shadow pass leaves, made visible and read back: the application's
// darkening and a probe of the stencil value of every pixel (the render device has no
// stencil read-back).
#pragma once

#include <vector>

class CRenderDevice;
class CSceneWindow;

// A pixel whose stencil value is none of those the probe tells apart (or that the probe's
// quads did not reach).
constexpr int kStencilUnknown = -1;

// The application's darkening: half-transparent black over the window wherever the stencil
// holds 1 or more.
void DarkenShadows(CRenderDevice* device, int width, int height);
// The stencil value of every pixel, rows top first: 0 to 3, 254, 255 or kStencilUnknown. Call
// it inside a scene, which it ends; it overwrites the colour buffer.
std::vector<int> ReadStencil(CSceneWindow* scene);
