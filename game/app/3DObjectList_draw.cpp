// The scene-object list's drawing: the render passes in their order and the stencil shadow pass.
#include "game/app/3DObjectList.h"

#include "engine/core/MatrixStack.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/ShadowVolumePass.h"
#include "game/app/3DObject.h"
#include "game/app/ListNodes_local.h"

namespace {

// Passes from this number on are drawn only when asked for by number.
constexpr uint32_t kFirstPassOnRequest = 10;

// The object's volume, made for its current model at first use; none when it cannot be made.
CShadowVolume* ShadowVolumeOf(C3DObject* object) {
    CModel* model = object->GetModel();
    if (!model)
        return nullptr;
    CShadowVolume* volume = &object->m_ShadowVolume;
    if (volume->m_pModel == model)
        return volume;
    if (!volume->Create(object->m_pDevice, model))
        return nullptr;
    object->m_bMatrixChanged = 1;
    return volume;
}

// The volume for the shadow light in the object's space under the device's current world
// matrix, from the frame it shows.
int RebuildShadowVolume(C3DObject* object, CShadowVolume* volume, const CMatrix& world) {
    CVector3 light;
    ShadowLightInObjectSpace(world, object->m_fShadowLength, &light);
    if (object->m_nFrameA != object->m_nFrameB)
        return volume->BuildBlended(light, object->m_nFrameA, object->m_nFrameB, object->m_fFrameBlend);
    if (object->m_nFrameA == 0)
        return volume->Build(light);
    return volume->BuildBlended(light, object->m_nFrameA, object->m_nFrameA, 0.0f);
}

}  // namespace

uint32_t C3DObjectList::DrawObjectsOfPass(double time, uint32_t pass) {
    uint32_t highest = 0;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        C3DObject* object = ObjectOf(node);
        if (!object->m_bVisible)
            continue;
        if (object->m_nRenderPass == pass)
            m_nDrawn += static_cast<uint32_t>(object->Draw(m_bDebugDraw, time));
        else if (object->m_nRenderPass < kFirstPassOnRequest && object->m_nRenderPass > highest)
            highest = object->m_nRenderPass;
    }
    return highest;
}

void C3DObjectList::DrawPass(double time, uint32_t pass) {
    m_nDrawn = 0;
    const uint32_t highest = DrawObjectsOfPass(time, pass);
    if (pass != 0)
        return;
    for (uint32_t next = 1; next <= highest; ++next)
        DrawObjectsOfPass(time, next);
}

void C3DObjectList::DrawShadowVolumes() {
    if (!m_pDevice || m_pDevice->m_nDepthFormat != kFormatD24S8)
        return;
    m_nShadowsBuilt = 0;
    BeginShadowVolumes(m_pDevice);
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        C3DObject* object = ObjectOf(node);
        if (!object->m_bVisible || object->m_bBillboard || !object->m_bCastShadow || !object->m_pDevice)
            continue;
        CShadowVolume* volume = ShadowVolumeOf(object);
        if (!volume)
            continue;
        const CMatrix& world = object->PushWorld();
        if (object->m_bMatrixChanged) {
            // A failed build leaves the flag up, to be tried again next frame.
            if (RebuildShadowVolume(object, volume, world)) {
                object->m_bMatrixChanged = 0;
                ++m_nShadowsBuilt;
            }
        }
        DrawShadowVolumeCounted(m_pDevice, volume, object->IsMirrored());
        object->PopWorld();
    }
    EndShadowVolumes(m_pDevice);
}
