// Pulls particles down along -y at a constant rate.
#pragma once

#include "engine/graphics/ParticleModifier.h"

class CParticleGravityModifier : public CParticleModifier {
public:
    enum EMode { kModeDown = 1 };

    void Apply(CParticle* particle, const double* dt, CParticleSystem* system) override;

    float m_fRate = 1.0f;  // change of the vertical speed a second
    int m_nMode = kModeDown;
};
