#include "engine/graphics/Camera.h"

#include <cmath>

#include "engine/graphics/QuaternionOps.h"
#include "engine/graphics/RenderDevice.h"

CCamera::CCamera() : m_pFrustum(new CFrustum) {
    m_Projection.SetIdentity();
    m_View.SetIdentity();
}

CCamera::~CCamera() {
    delete m_pFrustum;
}

void CCamera::Setup(float x, float y, float z, float qx, float qy, float qz, float qw, float nearPlane,
                    float farPlane, float targetDistance, float fieldOfView, float aspect, uint32_t projection) {
    m_vPosition = CVector3(x, y, z);
    m_qOrientation = CQuaternion{qx, qy, qz, qw};
    m_fNear = nearPlane;
    m_fFar = farPlane;
    m_fTargetDistance = targetDistance;
    m_fFieldOfView = fieldOfView;
    m_fAspect = aspect;
    m_nProjection = projection;
    m_vTarget = CVector3(0.0f, 0.0f, 1.0f);
    m_vUp = CVector3(0.0f, 1.0f, 0.0f);
    m_bTargetChanged = 0;
    BuildMatrices();
}

// The look-at rotation without its translation becomes the orientation.
void CCamera::OrientTowardsTarget() {
    CMatrix lookAt;
    lookAt.SetLookAt(m_vPosition, m_vTarget, m_vUp, 1);
    CMatrix translation;
    translation.SetTranslationVector(m_vPosition);
    CMatrix rotation;
    CMatrix::Multiply(&rotation, lookAt, translation);
    rotation.GetQuaternion(&m_qOrientation);
    // The matrix-to-quaternion read and the quaternion-to-matrix build use
    // opposite handedness, so the stored orientation is the conjugate:
    // otherwise a target off the view axis would be turned away from.
    m_qOrientation.x = -m_qOrientation.x;
    m_qOrientation.y = -m_qOrientation.y;
    m_qOrientation.z = -m_qOrientation.z;
    CVector3 offset;
    m_fTargetDistance = m_vTarget.Subtract(&offset, m_vPosition)->Length();
}

void CCamera::BuildMatrices() {
    CMatrix translation;
    translation.SetTranslation(-m_vPosition.x, -m_vPosition.y, -m_vPosition.z);
    if (m_bTargetChanged) {
        OrientTowardsTarget();
        m_bTargetChanged = 0;
    }
    CMatrix rotation;
    QuaternionToMatrix(&rotation, m_qOrientation);
    CMatrix::Multiply(&m_View, translation, rotation);

    if (m_nProjection == 0) {
        m_Projection.SetPerspective(m_fFieldOfView, m_fAspect, m_fNear, m_fFar, 1);
    } else {
        const float q = std::cos(m_fFieldOfView * 0.5f) / std::sin(m_fFieldOfView * 0.5f);
        const float r = q / m_fAspect;
        for (float& element : m_Projection.m_f)
            element = 0.0f;
        m_Projection.At(0, 0) = 2.0f / r;
        m_Projection.At(1, 1) = 2.0f / q;
        m_Projection.At(2, 2) = 1.0f / (m_fFar - m_fNear);
        m_Projection.At(2, 3) = m_fFar / (m_fFar - m_fNear);
        m_Projection.At(3, 3) = 1.0f;
    }
    m_bDirty = 0;
    m_bBuilt = 1;
}

int CCamera::Apply(CRenderDevice* device) {
    if (!device)
        return 0;
    if (m_bDirty)
        BuildMatrices();
    device->SetTransform(kTransformView, &m_View);
    return device->SetTransform(kTransformProjection, &m_Projection);
}

void CCamera::SetTarget(const CVector3& target) {
    m_vTarget = target;
    m_bTargetChanged = 1;
    m_bDirty = 1;
}

void CCamera::SetEye(const CVector3& position) {
    m_vPosition = position;
    m_bDirty = 1;
}
