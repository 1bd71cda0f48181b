// A particle system: a fixed array of particles that are emitted, aged, shaped by the attached
// modifiers, moved and drawn as camera-facing quads. The live particles are the first m_nLive
// of the array; emission draws its random values from a table filled once at Init.
#pragma once

#include <cstdint>

#include "engine/core/PointerList.h"
#include "engine/graphics/ParticleObject.h"

class CCamera;
class CParticleModifier;
class CRenderDevice;

struct CParticle {
    CVector3 vPosition;
    uint32_t nColor;  // in the device's colour byte order (PackColor)
    float fSize;
    CVector3 vVelocity;
    double dLife;  // remaining seconds
};

class CParticleSystem : public CParticleObject {
public:
    static constexpr uint32_t kRandomCount = 1024;

    CParticleSystem();
    ~CParticleSystem() override;

    // Sets up a newly emitted particle in its slot.
    virtual void InitParticle(CParticle* particle) = 0;

    // Frees the particles, detaches every modifier, resets place, orientation and the emission
    // values (1.0, variances 0, nothing carried), switches emission on and allocates `capacity`
    // particles; then seeds the program's random generator with `seed` and fills the random
    // table from it. 0 when the particles cannot be allocated.
    int Init(uint32_t capacity, uint32_t seed);
    // Emits, ages, modifies and moves the particles by *dt seconds.
    void Step(const double* dt);
    // Draws every live particle as a width x height quad scaled by its size, facing the camera,
    // from the device's position-colour pool in one triangle list. Seen by the game's camera
    // the quads wind counter-clockwise and their v runs bottom-up (a texture shows upside down
    // beside a billboard's): the emitter passes draw them with culling off (kRenderCullMode 0,
    // back to 2 after) and set texture and blending themselves. 0 without drawing when 6
    // vertices a particle do not fit the pool; 1 with nothing to draw.
    int Render(CRenderDevice* device, float width, float height, CCamera* camera);

    // Links the system and the modifier both ways; the modifier is not owned.
    void AttachModifier(CParticleModifier* modifier);
    // Removes every link between the system and the modifier.
    void DetachModifier(CParticleModifier* modifier);
    void DetachAllModifiers();

    // The next value of the random table, 0 to 1; the index wraps after the table's end.
    float NextRandom();
    // Where a particle sits in the array; modifiers vary their effect by it.
    uint32_t GetSlotIndex(const CParticle* particle) const;

    // R_z(z) x (R_y(y) x R_x(x)): the turn about x first, then y, then z.
    static CQuaternion RotationFromAngles(float y, float x, float z);
    // A colour 0xAARRGGBB in the byte order the render device wants in vertex data.
    static uint32_t PackColor(uint32_t argb);

    CPointerList* m_pModifiers;
    uint32_t m_nCapacity = 0;
    uint32_t m_nLive = 0;
    CParticle* m_pParticles = nullptr;
    float m_fRandom[kRandomCount];
    uint32_t m_nRandomIndex = 0;
    int m_bEmitting = 0;
    float m_fLife = 1.0f;
    float m_fLifeVar = 0.0f;  // kept for the game's set-up; the emitters do not use it
    float m_fRate = 1.0f;     // particles a second
    float m_fCarry = 0.0f;    // the part of a particle carried to the next step
    float m_fSize = 1.0f;
    float m_fSizeVar = 0.0f;
    float m_fSpeed = 1.0f;
    float m_fSpeedVar = 0.0f;

protected:
    // v turned by the rotation q.
    static CVector3 Rotate(const CQuaternion& q, const CVector3& v);

private:
    void ResetEmission();
};
