// A modifier changes the live particles of the systems it is attached to, once a step each.
// One modifier serves any number of systems; it detaches itself from them when destroyed.
#pragma once

#include "engine/core/PointerList.h"
#include "engine/graphics/ParticleObject.h"

struct CParticle;
class CParticleSystem;

class CParticleModifier : public CParticleObject {
public:
    CParticleModifier();
    ~CParticleModifier() override;

    // `particle` lies in `system`'s array (GetSlotIndex gives its slot).
    virtual void Apply(CParticle* particle, const double* dt, CParticleSystem* system) = 0;

    CPointerList* m_pSystems;
    int m_bEnabled = 1;
};
