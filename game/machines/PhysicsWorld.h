// The machines' ODE world: the bodies of an experiment's elements in a hash space, contacts
// that become physical only when the contact handler accepts them, hinges with motors and
// stops, cone-shaped force fields and explosion pushes. The controller holds exactly one.
#pragma once

#include <ode/ode.h>

#include <cstdint>

#include "engine/core/PooledList.h"
#include "engine/core/Vector3.h"

class CForceCone;
class CMatrix;
class CModel;
class CPhysicsBody;
class CRenderDevice;

// What the contact handler learns of one touching pair.
struct PhysicsContactInfo {
    CPhysicsBody* pBodyA;  // has an ODE body on its shapes
    CPhysicsBody* pBodyB;  // may be static
    CVector3 vNormal;      // of the first contact point, z 0
    CVector3 vPosition;    // the mean of the contact points, z 0
    CVector3 vVelocityB;
    CVector3 vVelocityA;
    float fNormalSpeed;   // A's velocity along the normal: negative when A moves in
    float fPointSpeedSq;  // A's squared speed at the position
    dMass massA;
    dMass massB;
};

// Non-zero makes the contact physical. Runs inside the step: it must not add or remove
// bodies (the world ignores such calls then).
typedef int (*PhysicsContactHandler)(PhysicsContactInfo* info);

// A cone pushing the dynamic bodies whose field mask shares a bit with its mask.
struct CPhysicsForceField {
    CForceCone* pCone;  // not owned
    float fFactor;
    uint32_t nMask;
};

class CPhysicsWorld {
public:
    explicit CPhysicsWorld(PhysicsContactHandler handler = nullptr);
    virtual ~CPhysicsWorld();
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    // Gravity (0, y, 0); a value that is not finite is ignored.
    void SetGravity(float y);
    // A body from the model's shapes placed by the transform (null: identity); category -1
    // picks 0 for static and 1 for dynamic bodies. None while the world steps.
    CPhysicsBody* AddBody(CModel* model, void* owner, int bStatic, const CMatrix* transform, int category,
                          uint32_t fieldMask);
    // Takes a body of the world out of the simulation; the object stays valid (without ODE
    // parts) until the world goes. Nothing for another body or while the world steps.
    void RemoveBody(CPhysicsBody* body);
    // Deletes the bodies, hinges and force fields of the level; the world is inactive after.
    void Clear();
    // Active when any body is dynamic.
    void UpdateActive();

    // A hinge about z at the anchor between two bodies (a null or static one is the static
    // world), its motor braking with the given force; with bStops, stops at lo and hi. Null
    // for arguments that are not finite or a body joined to itself.
    dJointID AddHinge(CPhysicsBody* a, CPhysicsBody* b, const CVector3& anchor, float fmax, int bStops, float lo,
                      float hi);
    static void SetHingeMotor(dJointID joint, float fmax, float velocity);
    static float GetHingeAngle(dJointID joint);

    void AddForceField(CForceCone* cone, float factor, uint32_t mask);
    // The factor of the cone's first entry; nothing when it has none.
    void SetForceFieldFactor(CForceCone* cone, float factor);
    // Pushes every dynamic body away from the centre, weaker towards the radius.
    void ApplyExplosion(const CVector3& centre, float strength, float radius);

    // One step: force fields, collisions through the contact handler, 20 quick-step
    // iterations, then every body back to the board plane. Nothing for a step that is not
    // positive (as a float) or in an inactive world.
    void Step(double dt);
    void DrawDebug(CRenderDevice* device);

    // ODE's near callback; data is the world.
    static void NearCallback(void* data, dGeomID o1, dGeomID o2);

    dWorldID m_World;
    dSpaceID m_Space;
    dJointGroupID m_ContactGroup;  // emptied after every step
    dJointGroupID m_HingeGroup;
    CPooledList<CPhysicsBody*>* m_pBodies;         // owned
    CPooledList<CPhysicsBody*>* m_pRemovedBodies;  // owned; kept until the world goes
    int m_bActive = 0;
    PhysicsContactHandler m_pfnContactHandler;
    CPooledList<CPhysicsForceField>* m_pForceFields;
    float m_fGravityY = -9.81f;
    int m_bStepping = 0;           // set during a step
    int m_bPrecisionMatches = 0;   // the library is the double-precision build the layer expects

private:
    void ApplyForceFields();
};
