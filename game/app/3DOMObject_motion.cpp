// Object motion: every node steps towards its target at its velocity, follows its parent when
// placed relative to it, turns by its angular velocity and hands its placement to its objects.
// Single precision throughout but for the angle wrap.
#include "game/app/3DOMObject.h"

#include <cmath>

#include "game/app/3DObject.h"

namespace {

// 2 pi as the angles have always been wrapped with: a float widened to double.
constexpr double kFullTurn = 6.2831854820251465;
// Nearer than this a node stands on its target.
constexpr float kOnTarget = 0.00001f;

float WrapAngle(float angle) {
    return static_cast<float>(std::fmod(static_cast<double>(angle), kFullTurn));
}

float LengthOf(const CVector3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

CVector3 Offset(const CVector3& offset, const CVector3& scale, bool scaled) {
    if (!scaled)
        return offset;
    return CVector3(offset.x * scale.x, offset.y * scale.y, offset.z * scale.z);
}

CVector3 Sum(const CVector3& a, const CVector3& b) {
    return CVector3(a.x + b.x, a.y + b.y, a.z + b.z);
}

}  // namespace

void M3DOMObject::UpdateTransform(M3DOMObject* parent) {
    if (m_bHold)
        return;
    m_nFrameMark = 0;
    const float frameTime = m_pFrameTime ? static_cast<float>(*m_pFrameTime) : 0.0f;

    CVector3& position = m_bRelative ? m_vPosRel : m_vPos;
    const CVector3& target = m_bRelative ? m_vTargetRel : m_vTarget;
    if (m_fVelocity != 0.0f) {
        m_bArrived = 0;
        m_vMoveDir = CVector3(target.x - position.x, target.y - position.y, target.z - position.z);
        const float distance = LengthOf(m_vMoveDir);
        if (distance < kOnTarget) {
            m_vMoveDir = CVector3(0.0f, 0.0f, 0.0f);
            m_bArrived = 1;
            position = target;
        } else {
            const CVector3 unit(m_vMoveDir.x / distance, m_vMoveDir.y / distance, m_vMoveDir.z / distance);
            const float step = frameTime * m_fVelocity;
            if (distance > LengthOf(CVector3(unit.x * step, unit.y * step, unit.z * step))) {
                m_vMoveDir = unit;
                m_bArrived = 0;
            } else {
                m_vMoveDir = CVector3(0.0f, 0.0f, 0.0f);
                position = target;
                m_bArrived = 1;
            }
            position.x += step * m_vMoveDir.x;
            position.y += step * m_vMoveDir.y;
            position.z += step * m_vMoveDir.z;
        }
    }

    if (parent) {
        if (m_bRelative) {
            const bool scaled = !m_bUnscaledOffsets;
            m_vPos = Sum(parent->m_vPos, Offset(m_vPosRel, m_vScale, scaled));
            m_vTarget = Sum(parent->m_vTarget, Offset(m_vTargetRel, m_vScale, scaled));
        }
        if (m_bRotRel)
            m_vRot = Sum(parent->m_vRot, m_vRotRel);
    }

    m_vRot.x = WrapAngle(m_vRot.x + frameTime * m_vAngularVelocity.x);
    m_vRot.y = WrapAngle(m_vRot.y + frameTime * m_vAngularVelocity.y);
    m_vRot.z = WrapAngle(m_vRot.z + frameTime * m_vAngularVelocity.z);

    UpdateChildren();
    PlaceOs();
}

void M3DOMObject::UpdateChildren() {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        static_cast<M3DOMObject*>(node->m_data)->UpdateTransform(this);
}

void M3DOMObject::PlaceOs() {
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext) {
        auto* o = static_cast<C3DObject*>(node->m_data);
        // The object's offset is scaled with the node but not turned with it.
        o->m_vPos = Sum(m_vPos, Offset(o->m_vPosRel, m_vScale, true));
        o->m_vRot = Sum(m_vRot, o->m_vOwnRot);
        o->m_vScale = m_vScale;
    }
}

void M3DOMObject::SetScale(float x, float y, float z, int setOwn) {
    const CVector3 scale(x, y, z);
    if (setOwn)
        m_vScale = scale;
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext)
        static_cast<C3DObject*>(node->m_data)->m_vScale = scale;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        static_cast<M3DOMObject*>(node->m_data)->SetScale(x, y, z, 1);
}

void M3DOMObject::ResetMoveTarget() {
    if (m_bRelative)
        m_vTargetRel = m_vPosRel;
    else
        m_vTarget = m_vPos;
}
