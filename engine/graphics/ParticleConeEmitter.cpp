#include "engine/graphics/ParticleConeEmitter.h"

#include "engine/graphics/QuaternionOps.h"

void CParticleConeEmitter::InitParticle(CParticle* particle) {
    const float angleA = 2.0f * (NextRandom() - 0.5f) * m_fSpreadA + m_fAngleA;
    const float angleB = 2.0f * (NextRandom() - 0.5f) * m_fSpreadB + m_fAngleB;
    const CVector3 yAxis(0.0f, 1.0f, 0.0f);
    const CVector3 zAxis(0.0f, 0.0f, 1.0f);
    CQuaternion aboutY;
    CQuaternion aboutZ;
    QuaternionFromAxisAngle(&aboutY, &yAxis, angleA);
    QuaternionFromAxisAngle(&aboutZ, &zAxis, angleB);
    // The turn about y first, then about z, then the system's orientation.
    CQuaternion cone;
    QuaternionMultiply(aboutZ, &cone, aboutY);
    CQuaternion turn;
    QuaternionMultiply(m_qOrientation, &turn, cone);
    const float speed = (1.0f - NextRandom() * m_fSpeedVar) * m_fSpeed;
    particle->vVelocity = Rotate(turn, CVector3(0.0f, 0.0f, speed));
    particle->vPosition = m_vPosition;
    particle->dLife = m_fLife;
    particle->fSize = (1.0f - NextRandom() * m_fSizeVar) * m_fSize;
    particle->nColor = PackColor(m_nColor);
}
