// The standard emitter: particles start at random in a box, sphere or cylinder about the
// system's position and leave along one direction (or a random one), all in one colour.
#pragma once

#include <cstdint>

#include "engine/graphics/ParticleSystem.h"

class CParticleEmitter : public CParticleSystem {
public:
    enum EShape { kShapeBox = 1, kShapeSphere = 2, kShapeCylinder = 3 };

    void InitParticle(CParticle* particle) override;

    CVector3 m_vExtent{1.0f, 1.0f, 1.0f};     // box sides; x is the sphere's and cylinder's radius
    CVector3 m_vDirection{0.0f, 1.0f, 0.0f};  // before the system's orientation
    int m_nShape = kShapeBox;                  // another value emits from the position itself
    uint32_t m_nColor = 0xFFFFFFFF;            // 0xAARRGGBB
    int m_bRandomDirection = 0;
};
