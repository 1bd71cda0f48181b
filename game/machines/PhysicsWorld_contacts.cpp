// The near callback: every touching pair goes to the contact handler, which decides whether
// it becomes physical.
#include <cmath>
#include <cstring>
#include <utility>

#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsMath_local.h"
#include "game/machines/PhysicsWorld.h"

namespace {

constexpr int kMaxContacts = 4;
constexpr dReal kBounceVelocity = 0.01;

// Surface values come from fields the element passes write; ODE gets none it cannot use.
dReal NonNegative(float value) {
    return value >= 0.0f ? value : 0.0f;  // also for a value that is not a number
}

// Restitution beyond 1 would feed energy in at every touch.
dReal Restitution(float value) {
    return value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f;
}

dReal FiniteOrZero(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

CVector3 PlaneVelocity(dBodyID body) {
    if (!body)
        return CVector3(0.0f, 0.0f, 0.0f);
    const dReal* v = dBodyGetLinearVel(body);
    return CVector3(static_cast<float>(v[0]), static_cast<float>(v[1]), 0.0f);
}

}  // namespace

void CPhysicsWorld::NearCallback(void* data, dGeomID o1, dGeomID o2) {
    auto* world = static_cast<CPhysicsWorld*>(data);
    dBodyID bodyA = dGeomGetBody(o1);
    dBodyID bodyB = dGeomGetBody(o2);
    if (!bodyA) {
        if (!bodyB)
            return;
        std::swap(o1, o2);
        std::swap(bodyA, bodyB);
    }
    auto* a = static_cast<CPhysicsBody*>(dGeomGetData(o1));
    auto* b = static_cast<CPhysicsBody*>(dGeomGetData(o2));
    if (!a || !b)
        return;

    // Category 2 passes through static scenery.
    const unsigned long categoryA = dGeomGetCategoryBits(o1);
    const unsigned long categoryB = dGeomGetCategoryBits(o2);
    if ((categoryA == 0 && (categoryB == 0 || categoryB == 2)) || (categoryA == 2 && categoryB == 0))
        return;

    dContact contacts[kMaxContacts];
    memset(contacts, 0, sizeof contacts);
    for (dContact& contact : contacts) {
        contact.surface.mode = dContactApprox1 | dContactMotion1 | dContactBounce;
        contact.surface.mu = NonNegative(a->m_fFriction);
        contact.surface.mu2 = 0.0;
        contact.surface.bounce = Restitution(a->m_fBounce);
        contact.surface.bounce_vel = kBounceVelocity;
        contact.surface.motion1 = FiniteOrZero(b->m_fConveyorSpeed);
    }
    if ((a->m_nNoCollideId != 0 && a->m_nNoCollideId == b->m_nNoCollideWith) ||
        (b->m_nNoCollideId != 0 && b->m_nNoCollideId == a->m_nNoCollideWith))
        return;

    const int count = dCollide(o1, o2, kMaxContacts, &contacts[0].geom, sizeof(dContact));
    if (count <= 0)
        return;

    PhysicsContactInfo info;
    info.pBodyA = a;
    info.pBodyB = b;
    info.vNormal = CVector3(static_cast<float>(contacts[0].geom.normal[0]),
                            static_cast<float>(contacts[0].geom.normal[1]), 0.0f);
    dReal sumX = 0.0;
    dReal sumY = 0.0;
    for (int i = 0; i < count; ++i) {
        sumX += contacts[i].geom.pos[0];
        sumY += contacts[i].geom.pos[1];
    }
    info.vPosition = CVector3(static_cast<float>(sumX / count), static_cast<float>(sumY / count), 0.0f);
    info.vVelocityB = PlaneVelocity(bodyB);
    info.vVelocityA = PlaneVelocity(bodyA);
    info.fNormalSpeed = info.vNormal.x * info.vVelocityA.x + info.vNormal.y * info.vVelocityA.y;
    dVector3 pointVelocity;
    dBodyGetPointVel(bodyA, info.vPosition.x, info.vPosition.y, 0.0, pointVelocity);
    info.fPointSpeedSq = static_cast<float>(pointVelocity[0] * pointVelocity[0] + pointVelocity[1] * pointVelocity[1] +
                                            pointVelocity[2] * pointVelocity[2]);
    a->GetMass(&info.massA);
    b->GetMass(&info.massB);

    if (!world->m_pfnContactHandler || !world->m_pfnContactHandler(&info))
        return;
    for (int i = 0; i < count; ++i) {
        dJointID joint = dJointCreateContact(world->m_World, world->m_ContactGroup, &contacts[i]);
        dJointAttach(joint, bodyA, bodyB);
    }
}
