#include "game/app/3DObject.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Shader.h"

namespace {

// 2 pi as the angles have always been wrapped with: a float widened to double.
constexpr double kFullTurn = 6.2831854820251465;

float WrapAngle(float angle) {
    return static_cast<float>(std::fmod(static_cast<double>(angle), kFullTurn));
}

bool SameVector(const CVector3& a, const CVector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

}  // namespace

C3DObject::C3DObject(CRenderDevice* device, M3DOMObject* owner) : m_pDevice(device), m_pOwner(owner) {
    m_mWorld.SetIdentity();
}

C3DObject::~C3DObject() {
    SetShader(nullptr);
    FreePoints();
}

C3DObject* C3DObject::Clone(M3DOMObject* owner, CNamedEntryList* entries) const {
    auto* clone = new C3DObject(m_pDevice, owner);
    clone->m_pGfx = m_pGfx;
    clone->m_bBillboard = m_bBillboard;
    clone->m_fBillboardWidth = m_fBillboardWidth;
    clone->m_fBillboardHeight = m_fBillboardHeight;
    clone->m_bDynShadow = m_bDynShadow;
    clone->m_bCastShadow = m_bCastShadow;
    clone->m_fShadowLength = m_fShadowLength;
    clone->m_bZEnable = m_bZEnable;
    clone->m_bHit = m_bHit;
    clone->m_fFrameBlend = m_fFrameBlend;
    clone->m_nFrameA = m_nFrameA;
    clone->m_nFrameB = m_nFrameB;
    clone->m_fValue = m_fValue;
    clone->m_bVisible = m_bVisible;
    clone->m_nRenderPass = m_nRenderPass;
    clone->m_mWorld = m_mWorld;
    clone->m_nID = m_nID;
    memcpy(clone->m_szName, m_szName, sizeof m_szName);
    clone->m_vPos = m_vPos;
    clone->m_vPosRel = m_vPosRel;
    clone->m_vRot = m_vRot;
    clone->m_vOwnRot = m_vOwnRot;
    clone->m_vScale = m_vScale;
    clone->m_vOwnScale = m_vOwnScale;
    clone->m_pShader = m_pShader;
    if (m_bShaderOwned)
        clone->CopyShader();
    clone->BuildConnectionPoints(entries);
    clone->m_bMatrixChanged = 1;
    return clone;
}

void C3DObject::UpdateMatrix() {
    m_vRot.x = WrapAngle(m_vRot.x);
    m_vRot.y = WrapAngle(m_vRot.y);
    m_vRot.z = WrapAngle(m_vRot.z);
    const CVector3 scale(m_vOwnScale.x * m_vScale.x, m_vOwnScale.y * m_vScale.y, m_vOwnScale.z * m_vScale.z);

    CMatrix step;
    m_mWorld.SetScale(scale.x, scale.y, scale.z);
    step.SetRotationX(m_vRot.x);
    CMatrix::Multiply(&m_mWorld, m_mWorld, step);
    step.SetRotationZ(m_vRot.z);
    CMatrix::Multiply(&m_mWorld, m_mWorld, step);
    step.SetRotationY(m_vRot.y);
    CMatrix::Multiply(&m_mWorld, m_mWorld, step);
    step.SetTranslation(m_vPos.x, m_vPos.y, m_vPos.z);
    CMatrix::Multiply(&m_mWorld, m_mWorld, step);

    // Only a turn or a new size changes the shadow's shape; a move does not.
    if (m_bDynShadow && (!SameVector(m_vRot, m_vLastRot) || !SameVector(scale, m_vLastScale)))
        m_bMatrixChanged = 1;
    m_vLastRot = m_vRot;
    m_vLastScale = scale;
}

void C3DObject::SetShader(CShader* shader) {
    if (shader == m_pShader)
        return;
    if (m_bShaderOwned)
        delete m_pShader;
    m_bShaderOwned = 0;
    m_pShader = shader;
}

void C3DObject::CopyShader() {
    if (!m_pShader)
        return;
    // The copy is made before the old one goes, since it may be the source.
    auto* copy = new CShader(m_pDevice);
    copy->Assign(*m_pShader);
    copy->m_pDevice = m_pDevice;
    if (m_bShaderOwned)
        delete m_pShader;
    m_pShader = copy;
    m_bShaderOwned = 1;
}

void C3DObject::SetFrame(uint32_t frame) {
    m_nFrameA = m_nFrameB = frame;
    m_fFrameBlend = static_cast<float>(frame);
}

CModel* C3DObject::GetModel() const {
    return m_pGfx ? m_pGfx->GetModel() : nullptr;
}

int C3DObject::RayPick(const CVector3& origin, const CVector3& direction, float* distance) const {
    const CModel* model = m_bBillboard ? nullptr : GetModel();
    if (!model) {
        if (distance)
            *distance = FLT_MAX;
        return 0;
    }
    float nearest = FLT_MAX;
    const int hit = model->RayPick(origin, direction, m_mWorld, &nearest);
    if (distance)
        *distance = nearest;
    return hit;
}

int C3DObject::Collide(const CFrustum& frustum) const {
    const CModel* model = m_bBillboard ? nullptr : GetModel();
    return model ? model->CollideVolume(m_mWorld, frustum) : 0;
}

int C3DObject::Touches(const C3DObject* a, const C3DObject* b, float excludeValue) {
    if (!a || !b)
        return 0;
    const CModel* modelA = a->GetModel();
    const CModel* modelB = b->GetModel();
    if (!modelA || !modelB)
        return 0;
    if (a->m_fValue == excludeValue || b->m_fValue == excludeValue || a->m_fValue == kNeverTouches ||
        b->m_fValue == kNeverTouches)
        return 0;
    return modelA->CollideModel(a->m_mWorld, modelB, b->m_mWorld);
}

int C3DObject::GetBounds(CVector3* min, CVector3* max) const {
    CModel* model = GetModel();
    if (!model || !min || !max)
        return 0;
    // The model writes nothing when it cannot read its vertices.
    CVector3 low(FLT_MAX, FLT_MAX, FLT_MAX);
    CVector3 high(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    model->GetBounds(&low, &high, 0);
    if (low.x > high.x)
        return 0;
    low.Add(min, m_vPos);
    high.Add(max, m_vPos);
    return 1;
}
