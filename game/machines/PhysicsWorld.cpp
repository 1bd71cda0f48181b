#include "game/machines/PhysicsWorld.h"

#include <cmath>
#include <initializer_list>

#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "game/machines/ForceCone.h"
#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsMath_local.h"

namespace {

constexpr int kSolverIterations = 20;
// A single-precision ODE's default, which the tuning of the machines assumes; Debian's
// double-precision library would default to 1e-10.
constexpr dReal kConstraintForceMixing = 1e-5;
constexpr dReal kErrorReduction = 0.2;
constexpr float kEarthGravity = -9.81f;

// The ODE body a joint takes from a body: a static one (unless it lends its body) and a
// removed one are the static world.
dBodyID JointBodyOf(const CPhysicsBody* body) {
    if (!body || !body->m_Body)
        return nullptr;
    return !body->m_bStatic || body->m_bJointWhenStatic ? body->m_Body : nullptr;
}

bool IsHinge(dJointID joint) {
    return joint && dJointGetType(joint) == dJointTypeHinge;
}

}  // namespace

CPhysicsWorld::CPhysicsWorld(PhysicsContactHandler handler) : m_pfnContactHandler(handler) {
    // Paired with the dCloseODE of the destructor; ODE counts the pairs.
    dInitODE2(0);
    m_bPrecisionMatches = dCheckConfiguration("ODE_double_precision") ? 1 : 0;
    // The quick-step solver shuffles its rows with ODE's one process-wide seed: starting
    // every world (and every run, in Clear) from the same seed makes runs repeat exactly.
    dRandSetSeed(0);
    m_World = dWorldCreate();
    m_Space = dHashSpaceCreate(nullptr);
    m_ContactGroup = dJointGroupCreate(0);
    m_HingeGroup = dJointGroupCreate(0);
    dWorldSetCFM(m_World, kConstraintForceMixing);
    dWorldSetERP(m_World, kErrorReduction);
    SetGravity(kEarthGravity);
    m_pBodies = new CPooledList<CPhysicsBody*>(8, 8);
    m_pRemovedBodies = new CPooledList<CPhysicsBody*>(8, 8);
    m_pForceFields = new CPooledList<CPhysicsForceField>(4, 4);
}

CPhysicsWorld::~CPhysicsWorld() {
    dJointGroupDestroy(m_ContactGroup);
    dJointGroupDestroy(m_HingeGroup);
    for (CPooledList<CPhysicsBody*>* list : {m_pBodies, m_pRemovedBodies}) {
        for (auto* node = list->m_pHead; node; node = node->m_pNext)
            delete node->m_data;
        delete list;
    }
    dSpaceDestroy(m_Space);
    dWorldDestroy(m_World);
    dCloseODE();
    delete m_pForceFields;
}

void CPhysicsWorld::SetGravity(float y) {
    if (!std::isfinite(y))
        return;
    dWorldSetGravity(m_World, 0.0, y, 0.0);
    m_fGravityY = y;
}

CPhysicsBody* CPhysicsWorld::AddBody(CModel* model, void* owner, int bStatic, const CMatrix* transform, int category,
                                     uint32_t fieldMask) {
    if (m_bStepping)
        return nullptr;
    auto* body = new CPhysicsBody();
    body->Build(model, owner, bStatic, transform, m_World, m_Space, category);
    body->m_pWorld = this;
    body->m_nFieldMask = fieldMask;
    if (!bStatic)
        m_bActive = 1;
    m_pBodies->Append(body);
    return body;
}

void CPhysicsWorld::RemoveBody(CPhysicsBody* body) {
    if (!body || m_bStepping)
        return;
    for (auto* node = m_pBodies->m_pHead; node; node = node->m_pNext) {
        if (node->m_data != body)
            continue;
        body->ReleaseOde();
        m_pRemovedBodies->Append(body);
        m_pBodies->RemoveAt({m_pBodies, node});
        return;
    }
}

void CPhysicsWorld::Clear() {
    if (m_bStepping)
        return;
    for (auto* node = m_pBodies->m_pHead; node; node = node->m_pNext)
        delete node->m_data;
    m_pBodies->Empty();
    // The level's hinges go with its bodies.
    dJointGroupEmpty(m_HingeGroup);
    m_pForceFields->Empty();
    m_bActive = 0;
    dRandSetSeed(0);
}

void CPhysicsWorld::UpdateActive() {
    m_bActive = 0;
    for (auto* node = m_pBodies->m_pHead; node; node = node->m_pNext) {
        if (!node->m_data->m_bStatic) {
            m_bActive = 1;
            return;
        }
    }
}

dJointID CPhysicsWorld::AddHinge(CPhysicsBody* a, CPhysicsBody* b, const CVector3& anchor, float fmax, int bStops,
                                 float lo, float hi) {
    if (!physics::IsFinite(anchor) || !std::isfinite(fmax) || (bStops && (!std::isfinite(lo) || !std::isfinite(hi))))
        return nullptr;
    dBodyID first = JointBodyOf(a);
    dBodyID second = JointBodyOf(b);
    // ODE refuses a joint between a body and itself.
    if (first && first == second)
        return nullptr;
    dJointID joint = dJointCreateHinge(m_World, m_HingeGroup);
    dJointAttach(joint, first, second);
    dJointSetHingeAnchor(joint, anchor.x, anchor.y, anchor.z);
    dJointSetHingeAxis(joint, 0.0, 0.0, 1.0);
    // Target speed 0: the motor brakes with this force until the element drives it.
    dJointSetHingeParam(joint, dParamFMax, fmax);
    if (bStops) {
        dJointSetHingeParam(joint, dParamLoStop, lo);
        dJointSetHingeParam(joint, dParamHiStop, hi);
    }
    return joint;
}

void CPhysicsWorld::SetHingeMotor(dJointID joint, float fmax, float velocity) {
    if (!IsHinge(joint) || !std::isfinite(fmax) || !std::isfinite(velocity))
        return;
    dJointSetHingeParam(joint, dParamFMax, fmax);
    dJointSetHingeParam(joint, dParamVel, velocity);
}

float CPhysicsWorld::GetHingeAngle(dJointID joint) {
    return IsHinge(joint) ? static_cast<float>(dJointGetHingeAngle(joint)) : 0.0f;
}

void CPhysicsWorld::AddForceField(CForceCone* cone, float factor, uint32_t mask) {
    m_pForceFields->Append(CPhysicsForceField{cone, factor, mask});
}

void CPhysicsWorld::SetForceFieldFactor(CForceCone* cone, float factor) {
    for (auto* node = m_pForceFields->m_pHead; node; node = node->m_pNext) {
        if (node->m_data.pCone == cone) {
            node->m_data.fFactor = factor;
            return;
        }
    }
}

void CPhysicsWorld::ApplyExplosion(const CVector3& centre, float strength, float radius) {
    UpdateActive();
    if (!m_bActive || !physics::IsFinite(centre) || !std::isfinite(strength) || std::isnan(radius))
        return;
    for (auto* node = m_pBodies->m_pHead; node; node = node->m_pNext) {
        CPhysicsBody* body = node->m_data;
        if (body->m_bStatic || !body->HasShapes())
            continue;
        CVector3 position;
        body->GetPosition(&position);
        CVector3 offset;
        position.Subtract(&offset, centre);
        const float distance = offset.Length();
        CVector3 direction(0.0f, 0.0f, 0.0f);
        float falloff = 1.0f;
        if (distance != 0.0f) {
            direction = CVector3(offset.x / distance, offset.y / distance, offset.z / distance);
            falloff = 1.0f - distance / radius;
            falloff = falloff < 0.0f ? 0.0f : (falloff > 1.0f ? 1.0f : falloff);
        }
        const float push = strength * falloff;
        body->AddForceAtPos(CVector3(direction.x * push, direction.y * push, direction.z * push), position);
    }
}

void CPhysicsWorld::ApplyForceFields() {
    for (auto* field = m_pForceFields->m_pHead; field; field = field->m_pNext) {
        const CPhysicsForceField& entry = field->m_data;
        if (!entry.pCone)
            continue;
        for (auto* node = m_pBodies->m_pHead; node; node = node->m_pNext) {
            CPhysicsBody* body = node->m_data;
            if (body->m_bStatic || !body->HasShapes() || !(body->m_nFieldMask & entry.nMask))
                continue;
            CVector3 position;
            body->GetPosition(&position);
            float strength;
            CVector3 direction;
            if (!entry.pCone->InfluenceBody(&position, &strength, &direction))
                continue;
            const float push = strength * entry.fFactor * entry.pCone->m_fStrength;
            body->AddForce(CVector3(direction.x * push, direction.y * push, 0.0f));
        }
    }
}

void CPhysicsWorld::Step(double dt) {
    if (dt == 0.0 || !m_bActive || m_bStepping || !m_bPrecisionMatches)
        return;
    // ODE works with the step the engine's float would have, and aborts on one that is not
    // positive: a negative or broken step leaves the world as it is.
    const float step = static_cast<float>(dt);
    if (!(step > 0.0f) || !std::isfinite(step))
        return;
    m_bStepping = 1;
    ApplyForceFields();
    dSpaceCollide(m_Space, this, &CPhysicsWorld::NearCallback);
    dWorldSetQuickStepNumIterations(m_World, kSolverIterations);
    dWorldQuickStep(m_World, step);
    dJointGroupEmpty(m_ContactGroup);
    for (auto* node = m_pBodies->m_pHead; node; node = node->m_pNext)
        node->m_data->PostStep();
    m_bStepping = 0;
}

void CPhysicsWorld::DrawDebug(CRenderDevice* device) {
    if (!device)
        return;
    device->SetRenderState(kRenderLighting, 0);
    for (auto* node = m_pBodies->m_pHead; node; node = node->m_pNext)
        node->m_data->DrawDebug(device);
    device->SetRenderState(kRenderLighting, 1);
}
