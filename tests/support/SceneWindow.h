// A window with the Direct3D 9 render device on it (a depth buffer with stencil) under the
// game's camera, read back pixel by pixel: what the pixel tests of shaders, shadows and
// scene objects draw on.
#pragma once

#include "engine/core/Vector3.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/PixelFrame.h"

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
    // The back buffer; all black when it cannot be read.
    PixelFrame Grab();

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
