// The cone emitter: particles leave the system's position in a random direction within two
// angle ranges, A about the y axis and B about the z axis, each a centre and a spread to
// either side. A = B = pi/2 without spread sends them along +y.
#pragma once

#include <cstdint>
#include <numbers>

#include "engine/graphics/ParticleSystem.h"

class CParticleConeEmitter : public CParticleSystem {
public:
    void InitParticle(CParticle* particle) override;

    float m_fAngleA = std::numbers::pi_v<float> / 8.0f;
    float m_fAngleB = 0.0f;
    float m_fSpreadA = 0.0f;
    float m_fSpreadB = std::numbers::pi_v<float>;
    uint32_t m_nColor = 0xFFFFFFFF;  // 0xAARRGGBB
};
