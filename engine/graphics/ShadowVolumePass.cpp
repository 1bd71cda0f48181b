#include "engine/graphics/ShadowVolumePass.h"

#include "engine/core/MatrixStack.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/ShadowVolume.h"

const CVector3 kShadowLightDirection(0.4f, -0.5f, 1.0f);

void BeginShadowVolumes(CRenderDevice* device) {
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
}

int DrawShadowVolumeCounted(CRenderDevice* device, CShadowVolume* volume, bool bMirrored) {
    int drawn = 1;
    if (!bMirrored) {
        device->SetRenderState(kRenderStencilPass, kStencilIncrement);
        drawn &= volume->Draw(device) ? 1 : 0;
        device->SetRenderState(kRenderStencilPass, kStencilDecrement);
        device->SetRenderState(kRenderCullMode, kCullClockwise);
        drawn &= volume->Draw(device) ? 1 : 0;
        device->SetRenderState(kRenderCullMode, kCullCounterClockwise);
    } else {
        device->SetRenderState(kRenderStencilPass, kStencilIncrement);
        device->SetRenderState(kRenderCullMode, kCullClockwise);
        drawn &= volume->Draw(device) ? 1 : 0;
        device->SetRenderState(kRenderCullMode, kCullCounterClockwise);
        device->SetRenderState(kRenderStencilPass, kStencilDecrement);
        drawn &= volume->Draw(device) ? 1 : 0;
    }
    return drawn;
}

void EndShadowVolumes(CRenderDevice* device) {
    // A device never started has no stack: its top reads as the identity.
    const CMatrix& world = device->m_pWorldStack ? device->m_pWorldStack->GetTop() : CMatrix::Identity();
    device->SetTransform(kTransformWorld, &world);
    device->SetRenderState(kRenderShadeMode, kShadeGouraud);
    device->SetRenderState(kRenderDepthWrite, 1);
    device->SetRenderState(kRenderStencilEnable, 0);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
}

int ShadowLightInObjectSpace(const CMatrix& objectMatrix, float length, CVector3* out) {
    CMatrix inverse;
    const int inverted = objectMatrix.Inverse(&inverse);
    CVector3 light;
    inverse.TransformVector(&light, kShadowLightDirection);
    *out = CVector3(-length * light.x, -length * light.y, -length * light.z);
    return inverted;
}
