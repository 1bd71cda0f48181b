// What the shader and shadow tests share: textures written by ImageMagick's convert and a
// window with the Direct3D 9 render device (a depth buffer with stencil) under the game's
// camera, read back pixel by pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/Matrix.h"
#include "engine/core/Vector3.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/ViewportWin32.h"

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

// The scene-object list's stencil shadow pass: the stencil states set before the volumes, each
// volume rebuilt for the light taken into its object's space and scaled by -length, drawn
// twice (incrementing, then decrementing with clockwise culling; a mirrored object swaps the
// culls), and the states put back afterwards. false when a build fails.
bool DrawShadowVolumes(CRenderDevice* device, const std::vector<CShadowCaster>& casters, const CVector3& light,
                       float length);
// The application's darkening: half-transparent black over the window wherever the stencil
// holds 1 or more.
void DarkenShadows(CRenderDevice* device, int width, int height);

// A read-back frame; colours without alpha (the back buffer has none).
struct CFrame {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

class CSceneWindow {
public:
    CSceneWindow() = default;
    CSceneWindow(const CSceneWindow&) = delete;
    CSceneWindow& operator=(const CSceneWindow&) = delete;
    ~CSceneWindow() { Stop(); }

    // A window of that size and a 32-bit device on it (D24S8) with the game's camera applied:
    // eye 12.8 in front of the origin, 30 degrees field of view, aspect 4:3.
    bool Start(int width, int height);
    void Stop();
    CFrame Grab();

    // Where a world point lands on the window, in pixels (y downwards).
    void Project(const CVector3& world, float* x, float* y) const;
    // The world ray through a point of the window: from the near plane, towards the far one.
    void PixelRay(float x, float y, CVector3* origin, CVector3* direction) const;

    CViewportWin32 m_Viewport;
    CRenderDeviceDX9 m_Device;
    CCamera m_Camera;
    int m_nWidth = 0;
    int m_nHeight = 0;

private:
    bool m_bStarted = false;
};
