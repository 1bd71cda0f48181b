#include "tests/support/SceneWindow.h"

#include <cstddef>

#include "bench/GameCamera.h"
#include "engine/core/Matrix.h"
#include "winapi/d3d9/D3D9TestHooks.h"

bool CSceneWindow::Start(int width, int height) {
    Stop();
    m_nWidth = width;
    m_nHeight = height;
    if (!m_Viewport.Create(nullptr, width, height, 0))
        return false;
    m_bStarted = true;
    if (!m_Device.Init(&m_Viewport, width, height, 32, 0, 0, 0, 4096, 4096, 256, nullptr, 0))
        return false;
    SetUpGameCamera(&m_Camera);
    return m_Camera.Apply(&m_Device) == 1 && m_Device.m_nDepthFormat == kFormatD24S8;
}

void CSceneWindow::Stop() {
    if (!m_bStarted)
        return;
    m_Device.Shutdown();
    m_Viewport.Close();
    m_bStarted = false;
}

PixelFrame CSceneWindow::Grab() {
    PixelFrame frame;
    if (!winapi::d3d::ReadBackBuffer(m_Device.m_pDevice, &frame.pixels, &frame.width, &frame.height) ||
        frame.width != m_nWidth || frame.height != m_nHeight) {
        frame.pixels.assign(static_cast<size_t>(m_nWidth) * m_nHeight, 0);
        frame.width = m_nWidth;
        frame.height = m_nHeight;
    }
    return frame;
}

void CSceneWindow::Project(const CVector3& world, float* x, float* y) const {
    CMatrix viewProjection;
    CMatrix::Multiply(&viewProjection, m_Camera.m_View, m_Camera.m_Projection);
    CVector3 clip;
    viewProjection.TransformPoint(&clip, world);
    *x = (clip.x + 1.0f) * 0.5f * static_cast<float>(m_nWidth);
    *y = (1.0f - clip.y) * 0.5f * static_cast<float>(m_nHeight);
}

void CSceneWindow::PixelRay(float x, float y, CVector3* origin, CVector3* direction) const {
    CMatrix viewProjection, inverse;
    CMatrix::Multiply(&viewProjection, m_Camera.m_View, m_Camera.m_Projection);
    viewProjection.Inverse(&inverse);
    const float clipX = x / static_cast<float>(m_nWidth) * 2.0f - 1.0f;
    const float clipY = 1.0f - y / static_cast<float>(m_nHeight) * 2.0f;
    CVector3 nearPoint, farPoint;
    inverse.TransformPoint(&nearPoint, CVector3(clipX, clipY, 0.0f));
    inverse.TransformPoint(&farPoint, CVector3(clipX, clipY, 1.0f));
    *origin = nearPoint;
    farPoint.Subtract(direction, nearPoint);
}
