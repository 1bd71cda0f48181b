// The eye of the 3D view: a position and an orientation (or a target the orientation turns
// towards), the projection, and the view and projection matrices built from them.
#pragma once

#include <cstdint>

#include "engine/core/Frustum.h"
#include "engine/core/Matrix.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

class CRenderDevice;

class CCamera {
public:
    CCamera();
    CCamera(const CCamera&) = delete;
    CCamera& operator=(const CCamera&) = delete;
    virtual ~CCamera();

    // Stores the values (target (0, 0, 1), up (0, 1, 0)) and builds the matrices.
    void Setup(float x, float y, float z, float qx, float qy, float qz, float qw, float nearPlane, float farPlane,
               float targetDistance, float fieldOfView, float aspect, uint32_t projection);
    void BuildMatrices();
    // Rebuilds when dirty, then gives the device its view and projection.
    int Apply(CRenderDevice* device);
    // The orientation turns towards a new target at the next build.
    void SetTarget(const CVector3& target);
    // Moves the eye and keeps the orientation.
    void SetEye(const CVector3& position);

    CVector3 m_vPosition{0.0f, 0.0f, 0.0f};
    CVector3 m_vTarget{0.0f, 0.0f, 1.0f};
    CVector3 m_vUp{0.0f, 1.0f, 0.0f};
    CQuaternion m_qOrientation{0.0f, 0.0f, 0.0f, 1.0f};
    float m_fNear = 0.0f;
    float m_fFar = 0.0f;
    float m_fTargetDistance = 0.0f;
    float m_fFieldOfView = 0.0f;
    float m_fAspect = 0.0f;
    uint32_t m_nProjection = 0;  // 0 perspective, otherwise orthographic
    uint32_t m_bDirty = 0;
    uint32_t m_bBuilt = 0;
    uint32_t m_bTargetChanged = 0;
    CMatrix m_Projection;
    CMatrix m_View;
    CFrustum* m_pFrustum;

private:
    void OrientTowardsTarget();
};
