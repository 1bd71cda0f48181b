#include "game/machines/ForceCone.h"

#include <cmath>
#include <cstdint>

#include "engine/core/Matrix.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/VertexBuffer.h"
#include "game/machines/PhysicsMath_local.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr uint32_t kOutlineColor = 0xFFFFFF00;

// One vertex of the device's position-colour pool.
struct OutlineVertex {
    float x, y, z;
    uint32_t color;
    float u0, v0, u1, v1;
};
static_assert(sizeof(OutlineVertex) == 32);

CVector3 TurnedAboutZ(const CVector3& v, float angle) {
    CMatrix rotation;
    rotation.SetRotationZ(angle);
    CVector3 out;
    rotation.TransformVector(&out, v);
    return out;
}

}  // namespace

int CForceCone::Evaluate(float dx, float dy, float dz, float ax, float ay, float az, float* strength,
                         CVector3* dir) const {
    float s = 0.0f;
    CVector3 direction = m_vAxis;
    int inside = 0;
    const float q = dx * dx + dy * dy + dz * dz;
    if (!(q < m_fMinDistSq) && !(q > m_fMaxDistSq)) {
        const float distance = std::sqrt(q);
        const float axisLength = std::sqrt(ax * ax + ay * ay + az * az);
        float cosine = (dx * ax + dy * ay + dz * az) / (distance * axisLength);
        if (cosine > 1.0f)
            cosine = 1.0f;
        if (cosine < -1.0f)
            cosine = -1.0f;
        const float theta = std::acos(cosine);
        if (!(theta > m_fHalfAngle)) {
            const float angular = theta * m_fAngleScale;
            s = (1.0f - angular * angular) * (1.0f - (q - m_fMinDistSq) * m_fInvRange);
            // At the apex, with a zero half-angle or with no range the terms are not numbers:
            // that point is not in the field.
            if (std::isfinite(s)) {
                if (s < 0.0f)
                    s = 0.0f;
                if (s > 1.0f)
                    s = 1.0f;
                if (distance != 0.0f)
                    direction = CVector3(dx / distance, dy / distance, dz / distance);
                inside = 1;
            } else {
                s = 0.0f;
            }
        }
    }
    if (strength)
        *strength = s;
    if (dir)
        *dir = direction;
    return inside;
}

int CForceCone::Influence(const CVector3* point, float* strength, CVector3* dir) const {
    if (!point)
        return Evaluate(NAN, 0.0f, 0.0f, m_vAxis.x, m_vAxis.y, m_vAxis.z, strength, dir);
    return Evaluate(point->x - m_vApex.x, point->y - m_vApex.y, point->z - m_vApex.z, m_vAxis.x, m_vAxis.y,
                    m_vAxis.z, strength, dir);
}

int CForceCone::InfluenceBody(const CVector3* point, float* strength, CVector3* dir) const {
    if (!point)
        return Evaluate(NAN, 0.0f, 0.0f, m_vAxis.x, m_vAxis.y, 0.0f, strength, dir);
    return Evaluate(point->x - m_vApex.x, point->y - m_vApex.y, 0.0f, m_vAxis.x, m_vAxis.y, 0.0f, strength, dir);
}

void CForceCone::UpdateTransform() {
    // The 90 is added to the radian half-angle as a plain number: that is what places the
    // candle flames' apex where their particles expect it.
    const float r = std::tan(m_fHalfAngle + 90.0f) * m_fLength;
    const CVector3 offset = TurnedAboutZ(CVector3(r, 0.0f, 0.0f), m_fAngle);
    m_vApex = CVector3(m_vAnchor.x + offset.x, m_vAnchor.y + offset.y, m_vAnchor.z + offset.z);
    const float inner = std::fabs(r);
    m_fReach = m_fReach - m_fMinDist + inner;
    m_fMinDist = inner;
    m_fMinDistSq = r * r;
    m_fMaxDistSq = m_fReach * m_fReach;
    m_fInvRange = 1.0f / (m_fMaxDistSq - m_fMinDistSq);
}

void CForceCone::SetReach(float r) {
    if (!physics::IsFinite(r))
        return;
    m_fReach = r + m_fMinDist;
    m_fMaxDistSq = m_fReach * m_fReach;
    m_fInvRange = 1.0f / (m_fMaxDistSq - m_fMinDistSq);
}

void CForceCone::SetAngle(float angle) {
    if (!physics::IsFinite(angle))
        return;
    m_fAngle = angle;
    m_vAxis = TurnedAboutZ(CVector3(1.0f, 0.0f, 0.0f), angle);
    UpdateTransform();
}

void CForceCone::SetDirection(const CVector3* direction) {
    if (!direction || !physics::IsFinite(*direction))
        return;
    const float length = direction->Length();
    float angle = 0.0f;
    if (length > 0.0f && std::isfinite(length)) {
        float cosine = direction->x / length;
        if (cosine > 1.0f)
            cosine = 1.0f;
        if (cosine < -1.0f)
            cosine = -1.0f;
        angle = std::acos(cosine);
        if (direction->y < 0.0f)
            angle = -angle;
    }
    SetAngle(angle);
}

void CForceCone::SetOpeningAngle(float degrees) {
    if (!physics::IsFinite(degrees))
        return;
    m_fHalfAngle = degrees * kDegreesToRadians;
    m_fAngleScale = 1.0f / m_fHalfAngle;
    UpdateTransform();
}

void CForceCone::SetPosition(const CVector3* anchor) {
    if (!anchor || !physics::IsFinite(*anchor))
        return;
    m_vApex = CVector3(m_vApex.x + anchor->x - m_vAnchor.x, m_vApex.y + anchor->y - m_vAnchor.y,
                       m_vApex.z + anchor->z - m_vAnchor.z);
    m_vAnchor = *anchor;
}

void CForceCone::Draw(CRenderDevice* device) const {
    constexpr uint32_t kVertices = 5;
    if (!device || !device->m_pPoolPCT2 || device->m_nPCT2Count < kVertices)
        return;
    const CVector3 upper = TurnedAboutZ(CVector3(1.0f, 0.0f, 0.0f), m_fAngle + m_fHalfAngle);
    const CVector3 lower = TurnedAboutZ(CVector3(1.0f, 0.0f, 0.0f), m_fAngle - m_fHalfAngle);
    auto along = [&](const CVector3& edge, float distance) {
        return CVector3(m_vApex.x + edge.x * distance, m_vApex.y + edge.y * distance, m_vApex.z + edge.z * distance);
    };
    // Along one edge from the reach to the apex and back out along the other; the inner
    // points mark where the field begins.
    const CVector3 points[kVertices] = {along(upper, m_fReach), along(upper, m_fMinDist), m_vApex,
                                        along(lower, m_fMinDist), along(lower, m_fReach)};
    void* data = nullptr;
    if (!device->m_pPoolPCT2->Lock(0, kVertices * sizeof(OutlineVertex), &data, kLockDiscard) || !data)
        return;
    auto* vertices = static_cast<OutlineVertex*>(data);
    for (uint32_t i = 0; i < kVertices; ++i)
        vertices[i] = OutlineVertex{points[i].x, points[i].y, points[i].z, kOutlineColor, 0.0f, 0.0f, 0.0f, 0.0f};
    device->m_pPoolPCT2->Unlock();
    device->SetTexture(0, nullptr);
    device->SetVertexBuffer(0, device->m_pPoolPCT2, 0);
    device->DrawPrimitive(kPrimitiveLineStrip, 0, kVertices - 1);
}
