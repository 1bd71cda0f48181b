// One physical 3D object of a machine element: a compound of the sphere and box shapes of
// its model, placed by the object's matrix, on one ODE body. Dynamic bodies are held to the
// board plane (z = 0, turning only about z) after every step; static ones are scenery whose
// shapes stay where they were built.
#pragma once

#include <ode/ode.h>

#include <cstdint>

#include "engine/core/Matrix.h"
#include "engine/core/Vector3.h"

class CModel;
class CPhysicsWorld;
class CRenderDevice;

class CPhysicsBody {
public:
    CPhysicsBody();
    virtual ~CPhysicsBody();
    CPhysicsBody(const CPhysicsBody&) = delete;
    CPhysicsBody& operator=(const CPhysicsBody&) = delete;

    // Stores the arguments, creates the ODE body and builds the shapes; a null transform is
    // the identity, category -1 picks 0 (static) or 1 (dynamic).
    void Build(CModel* model, void* owner, int bStatic, const CMatrix* transform, dWorldID world, dSpaceID space,
               int category);
    // Builds the shapes again as static or dynamic, from the given matrix or the stored one.
    // Nothing for a removed body or while the world steps.
    void Rebuild(int bStatic, const CMatrix* transform);
    // Builds the shapes again with another density; a density that is not positive and
    // finite is ignored, and so is the call on a removed body or while the world steps.
    void SetDensity(float density);

    // Position and velocity of the ODE body (static bodies too); out untouched without shapes.
    void GetPosition(CVector3* out) const;
    void GetLinearVelocity(CVector3* out) const;
    // The body's rotation in the engine's row-vector convention, no translation.
    void GetRotation(CMatrix* out) const;
    // The angle of the body's turned y axis: negative when it leans to negative x; 0 without
    // shapes.
    float GetAngleZ() const;

    // These do nothing on a static body, a body without shapes or with values that are not
    // finite; z is dropped where the board plane says so.
    void SetPosition(const CVector3& position);
    void SetLinearVelocity(const CVector3& velocity);
    void AddForce(const CVector3& force);
    void AddForceAtPos(const CVector3& force, const CVector3& point);

    // The body's ODE mass; zero without shapes.
    void GetMass(dMass* out) const;
    void EnableGeoms(int bEnable);
    // bEnable 0 frees the pin. Otherwise a pin replaces the previous one: with an anchor a
    // hinge about z to the static world that barely turns, without one a fixed joint.
    void Pin(int bEnable, const CVector3* anchor);
    // Holds a dynamic body to the board plane and adds its constant force and damping for
    // the next step.
    void PostStep();
    // Wire outlines of the shapes where they are.
    void DrawDebug(CRenderDevice* device) const;

    // Destroys the shapes, the pin and the ODE body and clears their handles; the object
    // stays valid and does nothing afterwards.
    void ReleaseOde();
    int HasShapes() const { return m_Body && m_nGeoms > 0 ? 1 : 0; }

    CModel* m_pModel = nullptr;
    void* m_pOwner = nullptr;  // the element the body belongs to; the contact handler reads it
    int m_bStatic = 0;
    CMatrix m_mTransform;  // the placement at build time
    dWorldID m_World = nullptr;
    dSpaceID m_Space = nullptr;
    float m_fDensity = 1.0f;
    dBodyID m_Body = nullptr;
    dGeomID* m_pGeoms = nullptr;       // the sphere and box shapes, in no space
    dGeomID* m_pTransforms = nullptr;  // the transforms in the space that hold them
    uint32_t m_nGeoms = 0;
    float m_fBounce = 0.0f;    // when this body is the first of a pair
    float m_fFriction = 0.0f;  // when this body is the first of a pair
    float m_fLinearDamping = 0.0f;
    float m_fAngularDamping = 0.0f;
    CVector3 m_vConstantForce{0.0f, 0.0f, 0.0f};  // added every step; z is ignored
    float m_fConveyorSpeed = 0.0f;  // surface speed given to bodies touching this one second
    int m_nCategory = -1;           // category bits of the shapes; -1 automatic
    CPhysicsWorld* m_pWorld = nullptr;
    uint32_t m_nFieldMask = 0;  // tested against a force field's mask
    dJointID m_PinJoint = nullptr;
    int m_bJointWhenStatic = 0;  // a static body that still lends its ODE body to joints
    int m_nNoCollideId = 0;      // a pair is ignored when one's id is the other's with
    int m_nNoCollideWith = 0;

private:
    void BuildShapes();
    void DestroyShapes();
    int IsMovable() const { return !m_bStatic && HasShapes(); }
};
