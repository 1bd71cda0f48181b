#include "engine/graphics/ParticleEmitter.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// A unit direction from an elevation above the xz plane and an azimuth about y.
CVector3 Direction(float elevation, float azimuth) {
    const float c = std::cos(elevation);
    return CVector3(c * std::cos(azimuth), std::sin(elevation), c * std::sin(azimuth));
}

}  // namespace

void CParticleEmitter::InitParticle(CParticle* particle) {
    CVector3 offset(0.0f, 0.0f, 0.0f);
    switch (m_nShape) {
    case kShapeBox: {
        const float x = (2.0f * NextRandom() - 1.0f) * m_vExtent.x * 0.5f;
        const float y = (2.0f * NextRandom() - 1.0f) * m_vExtent.y * 0.5f;
        const float z = (2.0f * NextRandom() - 1.0f) * m_vExtent.z * 0.5f;
        offset = CVector3(x, y, z);
        break;
    }
    case kShapeSphere: {
        const float radius = NextRandom() * m_vExtent.x;
        const float elevation = NextRandom() * kPi - kPi * 0.5f;
        const float azimuth = NextRandom() * 2.0f * kPi;
        const CVector3 direction = Direction(elevation, azimuth);
        offset = CVector3(direction.x * radius, direction.y * radius, direction.z * radius);
        break;
    }
    case kShapeCylinder: {
        const float radius = NextRandom() * m_vExtent.x;
        const float azimuth = NextRandom() * 2.0f * kPi;
        const float height = (2.0f * NextRandom() - 1.0f) * m_vExtent.y * 0.5f;
        offset = CVector3(radius * std::cos(azimuth), height, radius * std::sin(azimuth));
        break;
    }
    default:
        break;
    }
    const CVector3 placed = Rotate(m_qOrientation, offset);
    particle->vPosition = CVector3(m_vPosition.x + placed.x, m_vPosition.y + placed.y, m_vPosition.z + placed.z);

    const float speed = (1.0f - NextRandom() * m_fSpeedVar) * m_fSpeed;
    CVector3 direction;
    if (m_bRandomDirection) {
        // Any way at all: the orientation would change nothing.
        const float elevation = NextRandom() * kPi - kPi * 0.5f;
        const float azimuth = NextRandom() * 2.0f * kPi;
        direction = Direction(elevation, azimuth);
    } else {
        direction = Rotate(m_qOrientation, m_vDirection);
    }
    particle->vVelocity = CVector3(direction.x * speed, direction.y * speed, direction.z * speed);

    particle->fSize = (1.0f - NextRandom() * m_fSizeVar) * m_fSize;
    particle->dLife = m_fLife;
    particle->nColor = PackColor(m_nColor);
}
