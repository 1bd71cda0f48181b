#include "engine/graphics/ParticleGravityModifier.h"

#include "engine/graphics/ParticleSystem.h"

void CParticleGravityModifier::Apply(CParticle* particle, const double* dt, CParticleSystem* /*system*/) {
    if (m_bEnabled && m_nMode == kModeDown)
        particle->vVelocity.y -= static_cast<float>(m_fRate * *dt);
}
