// The physical rope of a rope connection: a row of small ODE bodies on ball joints hung
// between the two bodies it connects. The segments have no shapes, so the rope pulls on its
// anchors but passes through everything; the connection list draws it through the spline.
// A chain must go before the world its segments live in.
#pragma once

#include <ode/ode.h>

#include <cstdint>

#include "engine/core/PointArray.h"
#include "engine/core/Spline.h"
#include "engine/core/Vector3.h"

class CCamera;
class CPhysicsBody;
class CRenderDevice;

class CPhysicsChain {
public:
    // The most segments a chain takes; callers use a handful.
    static constexpr uint32_t kMaxSegments = 1024;

    CPhysicsChain() = default;
    virtual ~CPhysicsChain();
    CPhysicsChain(const CPhysicsChain&) = delete;
    CPhysicsChain& operator=(const CPhysicsChain&) = delete;

    // n + 1 segments from start to end, joined to each other and to the two bodies (a null,
    // static or removed body is the static world). Any previous rope goes first. 0, with
    // nothing changed, without a world, for points that are not finite or n from kMaxSegments.
    int Build(dWorldID world, const CVector3& start, const CVector3& end, CPhysicsBody* startBody,
              CPhysicsBody* endBody, uint32_t n);
    // The rope's curve through its ends and segments at height z, sampled into out (emptied
    // first) with 8 points per segment.
    void BuildPath(CPointArray* out, const CVector3& start, const CVector3& end, float z);
    // A white camera-facing quad at every segment.
    void DrawDebug(CRenderDevice* device, float z, CCamera* camera) const;

    dBodyID* m_pSegments = nullptr;
    dJointID* m_pJoints = nullptr;  // start joint, inner joints, end joint
    dJointGroupID m_JointGroup = nullptr;
    uint32_t m_nSegments = 0;
    CVector3 m_vStart{0.0f, 0.0f, 0.0f};
    CVector3 m_vEnd{0.0f, 0.0f, 0.0f};
    CPhysicsBody* m_pStartBody = nullptr;  // not owned
    CPhysicsBody* m_pEndBody = nullptr;    // not owned
    CSpline m_Spline;

private:
    void Release();
};
