#include "game/machines/PhysicsBody.h"

#include <cmath>

#include "engine/graphics/RenderDevice.h"
#include "game/machines/PhysicsMath_local.h"

namespace {

constexpr uint32_t kDebugColor = 0xFF7F7F7F;
constexpr int kDebugSphereSegments = 16;
// A pin's hinge barely turns: the body hangs at the point.
constexpr dReal kPinStop = 0.01;

}  // namespace

CPhysicsBody::CPhysicsBody() {
    m_mTransform.SetIdentity();
}

CPhysicsBody::~CPhysicsBody() {
    ReleaseOde();
}

void CPhysicsBody::GetPosition(CVector3* out) const {
    if (out && HasShapes())
        *out = physics::ToVector(dBodyGetPosition(m_Body));
}

void CPhysicsBody::GetLinearVelocity(CVector3* out) const {
    if (out && HasShapes())
        *out = physics::ToVector(dBodyGetLinearVel(m_Body));
}

void CPhysicsBody::GetRotation(CMatrix* out) const {
    if (!out)
        return;
    out->SetIdentity();
    if (!HasShapes())
        return;
    // ODE turns column vectors; the engine turns row vectors, so its matrix is the transpose.
    const dReal* r = dBodyGetRotation(m_Body);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            out->At(column, row) = static_cast<float>(r[4 * row + column]);
    }
}

float CPhysicsBody::GetAngleZ() const {
    if (!HasShapes())
        return 0.0f;
    CMatrix rotation;
    GetRotation(&rotation);
    CVector3 d;
    rotation.TransformVector(&d, CVector3(0.0f, 1.0f, 0.0f));
    return physics::AngleOfYAxis(d.x, d.y, d.z);
}

void CPhysicsBody::SetPosition(const CVector3& position) {
    if (IsMovable() && physics::IsFinite(position))
        dBodySetPosition(m_Body, position.x, position.y, 0.0);
}

void CPhysicsBody::SetLinearVelocity(const CVector3& velocity) {
    if (IsMovable() && physics::IsFinite(velocity))
        dBodySetLinearVel(m_Body, velocity.x, velocity.y, velocity.z);
}

void CPhysicsBody::AddForce(const CVector3& force) {
    if (IsMovable() && std::isfinite(force.x) && std::isfinite(force.y))
        dBodyAddForce(m_Body, force.x, force.y, 0.0);
}

void CPhysicsBody::AddForceAtPos(const CVector3& force, const CVector3& point) {
    if (IsMovable() && std::isfinite(force.x) && std::isfinite(force.y) && std::isfinite(point.x) &&
        std::isfinite(point.y))
        dBodyAddForceAtPos(m_Body, force.x, force.y, 0.0, point.x, point.y, 0.0);
}

void CPhysicsBody::GetMass(dMass* out) const {
    if (!out)
        return;
    dMassSetZero(out);
    if (HasShapes())
        dBodyGetMass(m_Body, out);
}

void CPhysicsBody::EnableGeoms(int bEnable) {
    for (uint32_t i = 0; i < m_nGeoms; ++i) {
        if (bEnable)
            dGeomEnable(m_pTransforms[i]);
        else
            dGeomDisable(m_pTransforms[i]);
    }
}

void CPhysicsBody::Pin(int bEnable, const CVector3* anchor) {
    if (!bEnable) {
        if (m_PinJoint)
            dJointDestroy(m_PinJoint);
        m_PinJoint = nullptr;
        return;
    }
    if (!m_Body || !m_World || (anchor && !physics::IsFinite(*anchor)))
        return;
    // A second pin replaces the first instead of holding the body twice.
    if (m_PinJoint)
        dJointDestroy(m_PinJoint);
    dJointID joint;
    if (anchor) {
        joint = dJointCreateHinge(m_World, nullptr);
        dJointAttach(joint, m_Body, nullptr);
        dJointSetHingeAnchor(joint, anchor->x, anchor->y, anchor->z);
        dJointSetHingeAxis(joint, 0.0, 0.0, 1.0);
        dJointSetHingeParam(joint, dParamLoStop, -kPinStop);
        dJointSetHingeParam(joint, dParamHiStop, kPinStop);
    } else {
        joint = dJointCreateFixed(m_World, nullptr);
        dJointAttach(joint, m_Body, nullptr);
        dJointSetFixed(joint);
    }
    m_PinJoint = joint;
}

void CPhysicsBody::PostStep() {
    if (!IsMovable())
        return;
    const dReal* position = dBodyGetPosition(m_Body);
    dBodySetPosition(m_Body, position[0], position[1], 0.0);

    // Only the turn about z is kept. A body turned half round about x or y has no such
    // part left; it is set upright rather than handing ODE a zero quaternion.
    const dReal* q = dBodyGetQuaternion(m_Body);
    const dReal w = q[0];
    const dReal z = q[3];
    const dReal norm = std::sqrt(w * w + z * z);
    dQuaternion flat = {1.0, 0.0, 0.0, 0.0};
    if (norm > 0.0 && std::isfinite(norm)) {
        flat[0] = w / norm;
        flat[3] = z / norm;
    }
    dBodySetQuaternion(m_Body, flat);

    const dReal spin = dBodyGetAngularVel(m_Body)[2];
    dBodySetAngularVel(m_Body, 0.0, 0.0, spin);

    // For the next step.
    if (std::isfinite(m_vConstantForce.x) && std::isfinite(m_vConstantForce.y))
        dBodyAddForce(m_Body, m_vConstantForce.x, m_vConstantForce.y, 0.0);
    const dReal* velocity = dBodyGetLinearVel(m_Body);
    const dReal dampX = -velocity[0] * m_fLinearDamping;
    const dReal dampY = -velocity[1] * m_fLinearDamping;
    if (std::isfinite(dampX) && std::isfinite(dampY))
        dBodyAddForce(m_Body, dampX, dampY, 0.0);
    const dReal dampSpin = -spin * m_fAngularDamping;
    if (std::isfinite(dampSpin))
        dBodyAddTorque(m_Body, 0.0, 0.0, dampSpin);
}

void CPhysicsBody::DrawDebug(CRenderDevice* device) const {
    if (!device)
        return;
    for (uint32_t i = 0; i < m_nGeoms; ++i) {
        // The holder's placement (the body's, or the origin for scenery) with the shape's
        // offset on it.
        const dReal* holderPosition = dGeomGetPosition(m_pTransforms[i]);
        const dReal* holderRotation = dGeomGetRotation(m_pTransforms[i]);
        const dReal* shapePosition = dGeomGetPosition(m_pGeoms[i]);
        const dReal* shapeRotation = dGeomGetRotation(m_pGeoms[i]);
        dVector3 centre;
        dMatrix3 rotation;
        dMultiply0_331(centre, holderRotation, shapePosition);
        dMultiply0_333(rotation, holderRotation, shapeRotation);
        const CVector3 where(static_cast<float>(centre[0] + holderPosition[0]),
                             static_cast<float>(centre[1] + holderPosition[1]),
                             static_cast<float>(centre[2] + holderPosition[2]));
        switch (dGeomGetClass(m_pGeoms[i])) {
        case dSphereClass:
            device->DrawSphere(&where, static_cast<float>(dGeomSphereGetRadius(m_pGeoms[i])), kDebugColor,
                               kDebugSphereSegments);
            break;
        case dBoxClass: {
            dVector3 lengths;
            dGeomBoxGetLengths(m_pGeoms[i], lengths);
            const CVector3 half(static_cast<float>(lengths[0] / 2), static_cast<float>(lengths[1] / 2),
                                static_cast<float>(lengths[2] / 2));
            CVector3 axes[3];
            for (int k = 0; k < 3; ++k) {
                axes[k] = CVector3(static_cast<float>(rotation[k]), static_cast<float>(rotation[4 + k]),
                                   static_cast<float>(rotation[8 + k]));
            }
            device->DrawBox(&where, &half, axes, kDebugColor);
            break;
        }
        default:
            break;
        }
    }
}
