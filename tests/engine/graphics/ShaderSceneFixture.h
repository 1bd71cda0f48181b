// What the shader and shadow tests share beyond the scene window: textures written by
// ImageMagick's convert and the scene-object list's shadow pass over a list of volumes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/Matrix.h"

class CRenderDevice;
class CShadowVolume;

// A TGA file of width x height texels (0xAARRGGBB, rows top first) written by convert from a
// PAM picture; false with what convert said when it fails.
bool WriteTgaWithConvert(const std::string& path, int width, int height,
                         const std::function<uint32_t(int x, int y)>& texel, std::string* diagnostics);

// One shadow-casting object of a scene: its volume (created for its model), its world matrix
// and whether it is mirrored (the scene-object list's test: a negative x scale or own y scale).
struct CShadowCaster {
    CShadowVolume* pVolume;
    CMatrix world;
    bool bMirrored;
};

// The scene-object list's stencil shadow pass through the engine's shared steps: each volume
// rebuilt for the shadow light taken into its object's space and scaled by -length, and
// drawn counting under its world matrix. false when a build or a draw fails.
bool DrawShadowVolumes(CRenderDevice* device, const std::vector<CShadowCaster>& casters, float length);
