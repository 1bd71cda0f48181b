// The root of particle systems and particle modifiers: a place and an orientation.
#pragma once

#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

class CParticleObject {
public:
    CParticleObject() = default;
    CParticleObject(const CParticleObject&) = delete;
    CParticleObject& operator=(const CParticleObject&) = delete;
    virtual ~CParticleObject() = default;

    CVector3 m_vPosition{0.0f, 0.0f, 0.0f};
    CQuaternion m_qOrientation{0.0f, 0.0f, 0.0f, 1.0f};
};
