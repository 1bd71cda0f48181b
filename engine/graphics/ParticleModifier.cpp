#include "engine/graphics/ParticleModifier.h"

#include "engine/graphics/ParticleSystem.h"

CParticleModifier::CParticleModifier() : m_pSystems(new CPointerList(0, 8)) {}

CParticleModifier::~CParticleModifier() {
    while (m_pSystems->m_pHead)
        static_cast<CParticleSystem*>(m_pSystems->m_pHead->m_data)->DetachModifier(this);
    delete m_pSystems;
    m_pSystems = nullptr;
}
