#include "tests/engine/graphics/ShaderSceneFixture.h"

#include <cstdio>
#include <cstdlib>

#include "bench/GameCamera.h"
#include "engine/core/Matrix.h"
#include "engine/graphics/ShadowVolume.h"
#include "tests/support/TempDir.h"
#include "winapi/d3d9/D3D9TestHooks.h"

bool WriteTgaWithConvert(const std::string& path, int width, int height,
                         const std::function<uint32_t(int x, int y)>& texel, std::string* diagnostics) {
    char header[160];
    snprintf(header, sizeof header, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width,
             height);
    std::string bytes = header;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t argb = texel(x, y);
            for (const int shift : {16, 8, 0, 24})
                bytes.push_back(static_cast<char>((argb >> shift) & 0xFF));
        }
    }
    const std::string picture = path + ".pam";
    const std::string errors = path + ".err";
    WriteText(picture, bytes);
    const std::string command = "convert '" + picture + "' '" + path + "' 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    *diagnostics = "convert exited with " + std::to_string(status) + ": " + ReadText(errors);
    std::remove(picture.c_str());
    std::remove(errors.c_str());
    return status == 0 && FileExists(path);
}

bool DrawShadowVolumes(CRenderDevice* device, const std::vector<CShadowCaster>& casters, const CVector3& light,
                       float length) {
    device->SetRenderState(kRenderDepthWrite, 0);
    device->SetRenderState(kRenderStencilEnable, 1);
    device->SetRenderState(kRenderShadeMode, kShadeFlat);
    device->SetRenderState(kRenderAlphaBlendEnable, 1);
    device->SetRenderState(kRenderSourceBlend, kBlendZero);
    device->SetRenderState(kRenderDestinationBlend, kBlendOne);
    device->SetRenderState(kRenderStencilCompare, kCompareAlways);
    device->SetRenderState(kRenderStencilFail, kStencilKeep);
    device->SetRenderState(kRenderStencilDepthFail, kStencilKeep);
    device->SetRenderState(kRenderStencilReference, 1);
    device->SetRenderState(kRenderStencilMask, 0xFFFFFFFF);
    device->SetRenderState(kRenderStencilWriteMask, 0xFFFFFFFF);
    bool built = true;
    for (const CShadowCaster& caster : casters) {
        CMatrix inverse;
        caster.world.Inverse(&inverse);
        CVector3 objectLight;
        inverse.TransformVector(&objectLight, light);
        built = caster.pVolume->Build(CVector3(-length * objectLight.x, -length * objectLight.y,
                                               -length * objectLight.z)) == 1 &&
                built;
        device->SetTransform(kTransformWorld, &caster.world);
        if (!caster.bMirrored) {
            device->SetRenderState(kRenderStencilPass, kStencilIncrement);
            caster.pVolume->Draw(device);
            device->SetRenderState(kRenderStencilPass, kStencilDecrement);
            device->SetRenderState(kRenderCullMode, kCullClockwise);
            caster.pVolume->Draw(device);
            device->SetRenderState(kRenderCullMode, kCullCounterClockwise);
        } else {
            device->SetRenderState(kRenderStencilPass, kStencilIncrement);
            device->SetRenderState(kRenderCullMode, kCullClockwise);
            caster.pVolume->Draw(device);
            device->SetRenderState(kRenderCullMode, kCullCounterClockwise);
            device->SetRenderState(kRenderStencilPass, kStencilDecrement);
            caster.pVolume->Draw(device);
        }
    }
    device->SetTransform(kTransformWorld, &CMatrix::Identity());
    device->SetRenderState(kRenderShadeMode, kShadeGouraud);
    device->SetRenderState(kRenderDepthWrite, 1);
    device->SetRenderState(kRenderStencilEnable, 0);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
    return built;
}

void DarkenShadows(CRenderDevice* device, int width, int height) {
    device->SetRenderState(kRenderDepthTest, 0);
    device->SetRenderState(kRenderStencilEnable, 1);
    device->SetRenderState(kRenderAlphaBlendEnable, 1);
    device->SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
    device->SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
    device->SetTextureStageState(0, kStageAlphaArgument1, 2);  // texture
    device->SetTextureStageState(0, kStageAlphaArgument2, 0);  // diffuse
    device->SetTextureStageState(0, kStageAlphaOperation, kOpModulate);
    device->SetRenderState(kRenderStencilReference, 1);
    device->SetRenderState(kRenderStencilCompare, kCompareLessEqual);
    device->SetRenderState(kRenderStencilPass, kStencilKeep);
    device->DrawQuad2D(0.0f, 0.0f, 0.5f, static_cast<float>(width), static_cast<float>(height), 0x80000000, 0.0f, 0.0f,
                       1.0f, 1.0f);
    device->SetTextureStageState(0, kStageAlphaOperation, kOpSelectArgument1);
    device->SetRenderState(kRenderDepthTest, 1);
    device->SetRenderState(kRenderStencilEnable, 0);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
}

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

CFrame CSceneWindow::Grab() {
    CFrame frame;
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
