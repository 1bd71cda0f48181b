// Drawing one object: its mesh through the shader passes under the device's world stack, a
// camera-facing billboard, and the debug view of its bounding volumes and connection points.
#include "game/app/3DObject.h"

#include "engine/core/MatrixStack.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/Shader.h"

namespace {

constexpr uint32_t kDebugColor = 0xffffff00;
constexpr int kDebugSphereSegments = 32;
// The edge of the cube marking a connection point and the end of its direction.
constexpr float kMarkerSize = 0.2f;
constexpr uint32_t kBillboardColor = 0xffffffff;

const CVector3 kUnitAxes[3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};

void DrawMarker(CRenderDevice* device, const CVector3& at) {
    const CVector3 half(kMarkerSize / 2.0f, kMarkerSize / 2.0f, kMarkerSize / 2.0f);
    device->DrawBox(&at, &half, kUnitAxes, kDebugColor);
}

}  // namespace

const CMatrix& C3DObject::PushWorld() const {
    CMatrixStack* stack = m_pDevice->m_pWorldStack;
    if (!stack) {
        // A device without a stack (never started) still draws at the object's place.
        m_pDevice->SetTransform(kTransformWorld, &m_mWorld);
        return m_mWorld;
    }
    stack->Push();
    CMatrix top;
    CMatrix::Multiply(&top, m_mWorld, stack->GetTop());
    stack->SetTop(top);
    m_pDevice->SetTransform(kTransformWorld, &stack->GetTop());
    return stack->GetTop();
}

void C3DObject::PopWorld() const {
    CMatrixStack* stack = m_pDevice->m_pWorldStack;
    if (stack)
        stack->Pop();
    m_pDevice->SetTransform(kTransformWorld, stack ? &stack->GetTop() : &CMatrix::Identity());
}

int C3DObject::DrawMesh(CModel* model, bool bSimple) {
    const bool bMirrored = IsMirrored();
    if (bMirrored)
        m_pDevice->SetRenderState(kRenderCullMode, kCullClockwise);
    const bool bOneFrame = bSimple ? m_fFrameBlend == 0.0f : m_nFrameA == m_nFrameB;
    const int drawn = bOneFrame ? model->Draw(m_pDevice, bSimple ? 0 : m_nFrameA)
                                : model->BlendFrames(m_pDevice, m_nFrameA, m_nFrameB, m_fFrameBlend);
    if (bMirrored)
        m_pDevice->SetRenderState(kRenderCullMode, kCullCounterClockwise);
    return drawn;
}

void C3DObject::DrawBillboard(double time) {
    // Without a camera there is nothing to face.
    if (!m_pShader || !m_pDevice->m_pCamera)
        return;
    const bool bMirrored = m_fBillboardWidth < 0.0f;
    m_pDevice->SetRenderState(kRenderDepthWrite, 0);
    for (uint32_t i = 0; i < m_pShader->GetPassCount(); ++i) {
        const CShaderPass* pass = m_pShader->GetPass(i);
        m_pShader->Apply(pass, &time);
        if (bMirrored)
            m_pDevice->SetRenderState(kRenderCullMode, kCullClockwise);
        m_pDevice->DrawBillboard(&m_vPos, m_fBillboardWidth / 2.0f, m_fBillboardHeight / 2.0f, kBillboardColor,
                                 m_pDevice->m_pCamera);
        if (bMirrored)
            m_pDevice->SetRenderState(kRenderCullMode, kCullCounterClockwise);
        m_pShader->ResetShaderStates(pass);
    }
    m_pDevice->SetRenderState(kRenderDepthWrite, 1);
}

void C3DObject::DrawDebug(CModel* model) {
    m_pDevice->SetRenderState(kRenderLighting, 0);
    // The volumes are in model space, under the object's matrix.
    for (uint32_t i = 0; i < model->m_nSpheres; ++i)
        m_pDevice->DrawSphere(&model->m_pSpheres[i].vCentre, model->m_pSpheres[i].fRadius, kDebugColor,
                              kDebugSphereSegments);
    for (uint32_t i = 0; i < model->m_nBoxes; ++i) {
        const COrientedBox& box = model->m_pBoxes[i];
        m_pDevice->DrawBox(&box.vCentre, &box.vHalfExtents, box.vAxes, kDebugColor);
    }
    // The points are already in world space.
    if (m_nPoints > 0) {
        m_pDevice->SetTransform(kTransformWorld, &CMatrix::Identity());
        for (int i = 0; i < m_nPoints; ++i) {
            const ConnectionPoint& point = m_pPoints[i];
            DrawMarker(m_pDevice, point.m_vWorldPos);
            DrawMarker(m_pDevice, CVector3(point.m_vWorldPos.x + point.m_vWorldDir.x,
                                           point.m_vWorldPos.y + point.m_vWorldDir.y,
                                           point.m_vWorldPos.z + point.m_vWorldDir.z));
        }
    }
    m_pDevice->SetRenderState(kRenderLighting, 1);
}

int C3DObject::Draw(int debug, double time) {
    if (!m_pDevice)
        return 1;
    if (m_bBillboard) {
        DrawBillboard(time);
        return 1;
    }
    CModel* model = GetModel();
    // A resource whose model never loaded has nothing to draw.
    if (!model || !model->IsValid())
        return 1;
    PushWorld();
    if (!m_bZEnable)
        m_pDevice->SetRenderState(kRenderDepthTest, 0);
    if (!m_pShader) {
        m_pDevice->SetRenderState(kRenderLighting, 0);
        DrawMesh(model, false);
        m_pDevice->SetRenderState(kRenderLighting, 1);
    } else {
        for (uint32_t i = 0; i < m_pShader->GetPassCount(); ++i) {
            const CShaderPass* pass = m_pShader->GetPass(i);
            m_pShader->Apply(pass, &time);
            DrawMesh(model, false);
            m_pShader->ResetShaderStates(pass);
        }
    }
    if (!m_bZEnable)
        m_pDevice->SetRenderState(kRenderDepthTest, 1);
    if (debug == 1)
        DrawDebug(model);
    PopWorld();
    return 1;
}

int C3DObject::DrawSimple(double time) {
    CModel* model = GetModel();
    if (!m_pDevice || !m_bVisible || m_bBillboard || !m_pShader || !model || !model->IsValid())
        return 0;
    PushWorld();
    for (uint32_t i = 0; i < m_pShader->GetPassCount(); ++i) {
        const CShaderPass* pass = m_pShader->GetPass(i);
        m_pShader->Apply(pass, &time);
        DrawMesh(model, true);
        m_pShader->ResetShaderStates(pass);
    }
    PopWorld();
    return 1;
}
