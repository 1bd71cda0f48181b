#include "game/machines/PhysicsChain.h"

#include <cstdlib>

#include "engine/core/OutOfMemory.h"
#include "engine/graphics/RenderDevice.h"
#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsMath_local.h"

namespace {

constexpr dReal kSegmentDensity = 0.25;
constexpr dReal kSegmentWidth = 0.25;
constexpr dReal kSegmentDepth = 0.1;
constexpr uint32_t kPointsPerSegment = 8;
constexpr float kDebugHalfSize = 0.05f;
constexpr uint32_t kDebugColor = 0xFFFFFFFF;

void* AllocateZeroed(size_t count, size_t size) {
    void* memory = calloc(count, size);
    if (!memory)
        OutOfMemory(count * size);
    return memory;
}

// A dynamic anchor lends its ODE body, and so does a static one that says so.
dBodyID AnchorOf(const CPhysicsBody* body) {
    if (!body || !body->m_Body)
        return nullptr;
    return !body->m_bStatic || body->m_bJointWhenStatic ? body->m_Body : nullptr;
}

// A body removed from the world: its end of the rope is no longer drawn.
bool IsRemovedDynamic(const CPhysicsBody* body) {
    return body && !body->m_bStatic && !body->m_Body;
}

}  // namespace

CPhysicsChain::~CPhysicsChain() {
    Release();
}

void CPhysicsChain::Release() {
    for (uint32_t i = 0; i < m_nSegments; ++i)
        dBodyDestroy(m_pSegments[i]);
    free(m_pSegments);
    m_pSegments = nullptr;
    m_nSegments = 0;
    // The group takes its joints with it.
    if (m_JointGroup)
        dJointGroupDestroy(m_JointGroup);
    m_JointGroup = nullptr;
    free(m_pJoints);
    m_pJoints = nullptr;
}

int CPhysicsChain::Build(dWorldID world, const CVector3& start, const CVector3& end, CPhysicsBody* startBody,
                         CPhysicsBody* endBody, uint32_t n) {
    if (!world || !physics::IsFinite(start) || !physics::IsFinite(end) || n >= kMaxSegments)
        return 0;
    // The next run builds the rope again: the old segments and joints go first.
    Release();
    m_vStart = start;
    m_vEnd = end;
    m_pStartBody = startBody;
    m_pEndBody = endBody;
    dBodyID startAnchor = AnchorOf(startBody);
    dBodyID endAnchor = AnchorOf(endBody);

    m_nSegments = n + 1;
    CVector3 d;
    end.Subtract(&d, start);
    const float length = d.Length();
    const float segmentLength = length / static_cast<float>(m_nSegments);
    CVector3 u(0.0f, 0.0f, 0.0f);
    if (length > 0.0f)
        u = CVector3(d.x / length, d.y / length, d.z / length);
    auto along = [&](float steps) {
        const float t = steps * segmentLength;
        return CVector3(start.x + u.x * t, start.y + u.y * t, start.z + u.z * t);
    };

    m_pSegments = static_cast<dBodyID*>(AllocateZeroed(m_nSegments, sizeof(dBodyID)));
    dMass mass;
    dMassSetZero(&mass);
    for (uint32_t i = 0; i < m_nSegments; ++i) {
        m_pSegments[i] = dBodyCreate(world);
        const CVector3 p = along(static_cast<float>(i) + 0.5f);
        dBodySetPosition(m_pSegments[i], p.x, p.y, p.z);
        dMassSetBox(&mass, kSegmentDensity, kSegmentWidth, kSegmentWidth, kSegmentDepth);
        dBodySetMass(m_pSegments[i], &mass);
    }

    m_JointGroup = dJointGroupCreate(0);
    m_pJoints = static_cast<dJointID*>(AllocateZeroed(m_nSegments + 1, sizeof(dJointID)));
    auto join = [&](uint32_t slot, dBodyID first, dBodyID second, const CVector3& at) {
        if (m_pJoints[slot])
            dJointDestroy(m_pJoints[slot]);
        dJointID joint = dJointCreateBall(world, m_JointGroup);
        dJointAttach(joint, first, second);
        dJointSetBallAnchor(joint, at.x, at.y, at.z);
        m_pJoints[slot] = joint;
    };
    join(0, startAnchor, m_pSegments[0], start);
    join(m_nSegments, m_pSegments[n], endAnchor, end);
    for (uint32_t i = 0; i < n; ++i)
        join(i + 1, m_pSegments[i], m_pSegments[i + 1], along(static_cast<float>(i + 1)));
    return 1;
}

void CPhysicsChain::BuildPath(CPointArray* out, const CVector3& start, const CVector3& end, float z) {
    const CVector3 zero(0.0f, 0.0f, 0.0f);
    m_Spline.m_nKeys = 0;
    m_Spline.m_bDirty = 1;
    if (!IsRemovedDynamic(m_pStartBody))
        m_Spline.AddKey(CVector3(start.x, start.y, z), zero, zero, 1);
    for (uint32_t i = 0; i < m_nSegments; ++i) {
        const dReal* p = dBodyGetPosition(m_pSegments[i]);
        m_Spline.AddKey(CVector3(static_cast<float>(p[0]), static_cast<float>(p[1]), z), zero, zero, 0);
    }
    if (m_pEndBody && !IsRemovedDynamic(m_pEndBody))
        m_Spline.AddKey(CVector3(end.x, end.y, z), zero, zero, 0);
    m_Spline.ComputeTangents();
    if (!out)
        return;
    // The caller's array holds the last frame's curve.
    out->m_nCount = 0;
    m_Spline.Sample(out, kPointsPerSegment);
}

void CPhysicsChain::DrawDebug(CRenderDevice* device, float z, CCamera* camera) const {
    if (!device)
        return;
    for (uint32_t i = 0; i < m_nSegments; ++i) {
        const dReal* p = dBodyGetPosition(m_pSegments[i]);
        const CVector3 where(static_cast<float>(p[0]), static_cast<float>(p[1]), z);
        device->DrawBillboard(&where, kDebugHalfSize, kDebugHalfSize, kDebugColor, camera);
    }
}
