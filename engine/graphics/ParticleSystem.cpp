#include "engine/graphics/ParticleSystem.h"

#include <cmath>
#include <new>

#include "engine/core/Matrix.h"
#include "engine/core/Random.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/ParticleModifier.h"
#include "engine/graphics/QuaternionOps.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/VertexBuffer.h"

namespace {

// The position-colour pool's vertex: position, colour, two texture coordinate pairs.
struct ParticleVertex {
    float x, y, z;
    uint32_t color;
    float u0, v0, u1, v1;
};
static_assert(sizeof(ParticleVertex) == 32);

constexpr uint32_t kVerticesPerParticle = 6;

// Drops every node of the list that holds `item`.
void RemoveEvery(CPointerList* list, void* item) {
    CPointerList::Node* node = list->m_pHead;
    while (node) {
        CPointerList::Node* next = node->m_pNext;
        if (node->m_data == item)
            list->RemoveAt(CPointerList::Position{list, node});
        node = next;
    }
}

}  // namespace

CParticleSystem::CParticleSystem() : m_pModifiers(new CPointerList(0, 8)) {
    for (float& value : m_fRandom)
        value = 0.0f;
}

CParticleSystem::~CParticleSystem() {
    DetachAllModifiers();
    delete m_pModifiers;
    m_pModifiers = nullptr;
    delete[] m_pParticles;
}

int CParticleSystem::Init(uint32_t capacity, uint32_t seed) {
    delete[] m_pParticles;
    m_pParticles = nullptr;
    m_nCapacity = 0;
    m_nLive = 0;
    DetachAllModifiers();
    m_vPosition = CVector3(0.0f, 0.0f, 0.0f);
    m_qOrientation = CQuaternion{0.0f, 0.0f, 0.0f, 1.0f};
    ResetEmission();
    m_bEmitting = 1;
    m_pParticles = new (std::nothrow) CParticle[capacity];
    if (!m_pParticles)
        return 0;
    m_nCapacity = capacity;
    SeedRandomNumbers(seed);
    for (float& value : m_fRandom)
        value = static_cast<float>(NextRandomNumber()) / static_cast<float>(kRandomMax);
    m_nRandomIndex = 0;
    return 1;
}

void CParticleSystem::ResetEmission() {
    m_fLife = 1.0f;
    m_fLifeVar = 0.0f;
    m_fRate = 1.0f;
    m_fCarry = 0.0f;
    m_fSize = 1.0f;
    m_fSizeVar = 0.0f;
    m_fSpeed = 1.0f;
    m_fSpeedVar = 0.0f;
}

void CParticleSystem::Step(const double* dt) {
    if (!dt)
        return;
    const double step = *dt;

    if (m_bEmitting) {
        // Counted in floating point and clamped before the conversion, so that no rate
        // (huge, infinite, negative, not a number) can overflow the count or the array.
        const double amount = static_cast<double>(m_fRate) * step + static_cast<double>(m_fCarry);
        double whole = 0.0;
        m_fCarry = 0.0f;
        if (amount > 0.0) {
            whole = std::floor(amount);
            if (std::isfinite(amount))
                m_fCarry = static_cast<float>(amount - whole);
        }
        const double room = static_cast<double>(m_nCapacity - m_nLive);
        const uint32_t count = static_cast<uint32_t>(whole < room ? whole : room);
        for (uint32_t i = m_nLive; i < m_nLive + count; ++i)
            InitParticle(&m_pParticles[i]);
        m_nLive += count;
    } else {
        m_fCarry = 0.0f;
    }

    uint32_t i = 0;
    while (i < m_nLive) {
        CParticle* particle = &m_pParticles[i];
        particle->dLife -= step;
        if (!(particle->dLife >= 0.0)) {
            // The last live particle takes the slot and is aged in this same pass.
            --m_nLive;
            if (i < m_nLive)
                *particle = m_pParticles[m_nLive];
            continue;
        }
        for (CPointerList::Node* node = m_pModifiers->m_pHead; node; node = node->m_pNext)
            static_cast<CParticleModifier*>(node->m_data)->Apply(particle, dt, this);
        particle->vPosition.x += static_cast<float>(particle->vVelocity.x * step);
        particle->vPosition.y += static_cast<float>(particle->vVelocity.y * step);
        particle->vPosition.z += static_cast<float>(particle->vVelocity.z * step);
        ++i;
    }
}

int CParticleSystem::Render(CRenderDevice* device, float width, float height, CCamera* camera) {
    if (!device || !camera)
        return 0;
    CVertexBuffer* pool = device->m_pPoolPCT2;
    const uint64_t vertexCount = uint64_t{kVerticesPerParticle} * m_nLive;
    if (!pool || vertexCount > device->m_nPCT2Count)
        return 0;
    if (m_nLive == 0)
        return 1;

    // The quad's axes: the camera's turn undone, as billboards face the camera.
    const CQuaternion& q = camera->m_qOrientation;
    CMatrix facing;
    QuaternionToMatrix(&facing, CQuaternion{-q.x, -q.y, -q.z, q.w});
    CVector3 right;
    CVector3 up;
    facing.TransformVector(&right, CVector3(width * 0.5f, 0.0f, 0.0f));
    facing.TransformVector(&up, CVector3(0.0f, height * 0.5f, 0.0f));

    void* data = nullptr;
    if (!pool->Lock(0, static_cast<uint32_t>(vertexCount * sizeof(ParticleVertex)), &data, kLockDiscard) || !data)
        return 0;
    auto* v = static_cast<ParticleVertex*>(data);
    // Corners as multiples of right and up, with their texture coordinates.
    static const float kCorners[kVerticesPerParticle][4] = {
        {-1.0f, -1.0f, 0.0f, 0.0f}, {1.0f, -1.0f, 1.0f, 0.0f}, {-1.0f, 1.0f, 0.0f, 1.0f},
        {1.0f, -1.0f, 1.0f, 0.0f},  {1.0f, 1.0f, 1.0f, 1.0f},  {-1.0f, 1.0f, 0.0f, 1.0f},
    };
    for (uint32_t i = 0; i < m_nLive; ++i) {
        const CParticle& particle = m_pParticles[i];
        for (const auto& corner : kCorners) {
            const float a = corner[0] * particle.fSize;
            const float b = corner[1] * particle.fSize;
            *v++ = ParticleVertex{particle.vPosition.x + a * right.x + b * up.x,
                                  particle.vPosition.y + a * right.y + b * up.y,
                                  particle.vPosition.z + a * right.z + b * up.z,
                                  particle.nColor,
                                  corner[2],
                                  corner[3],
                                  0.0f,
                                  0.0f};
        }
    }
    pool->Unlock();
    device->SetVertexBuffer(0, pool, 0);
    return device->DrawPrimitive(kPrimitiveTriangleList, 0, 2 * m_nLive);
}

void CParticleSystem::AttachModifier(CParticleModifier* modifier) {
    if (!modifier)
        return;
    m_pModifiers->Append(modifier);
    modifier->m_pSystems->Append(this);
}

void CParticleSystem::DetachModifier(CParticleModifier* modifier) {
    if (!modifier)
        return;
    RemoveEvery(m_pModifiers, modifier);
    RemoveEvery(modifier->m_pSystems, this);
}

void CParticleSystem::DetachAllModifiers() {
    while (m_pModifiers->m_pHead)
        DetachModifier(static_cast<CParticleModifier*>(m_pModifiers->m_pHead->m_data));
}

float CParticleSystem::NextRandom() {
    if (m_nRandomIndex >= kRandomCount)
        m_nRandomIndex = 0;
    return m_fRandom[m_nRandomIndex++];
}

uint32_t CParticleSystem::GetSlotIndex(const CParticle* particle) const {
    return static_cast<uint32_t>(particle - m_pParticles);
}

CQuaternion CParticleSystem::RotationFromAngles(float y, float x, float z) {
    const CVector3 xAxis(1.0f, 0.0f, 0.0f);
    const CVector3 yAxis(0.0f, 1.0f, 0.0f);
    const CVector3 zAxis(0.0f, 0.0f, 1.0f);
    CQuaternion aboutX;
    CQuaternion aboutY;
    CQuaternion aboutZ;
    QuaternionFromAxisAngle(&aboutX, &xAxis, x);
    QuaternionFromAxisAngle(&aboutY, &yAxis, y);
    QuaternionFromAxisAngle(&aboutZ, &zAxis, z);
    CQuaternion yx;
    QuaternionMultiply(aboutY, &yx, aboutX);
    CQuaternion result;
    QuaternionMultiply(aboutZ, &result, yx);
    return result;
}

uint32_t CParticleSystem::PackColor(uint32_t argb) {
    if (g_nColorByteOrder != 1)
        return argb;
    return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

CVector3 CParticleSystem::Rotate(const CQuaternion& q, const CVector3& v) {
    CMatrix turn;
    turn.SetFromQuaternion(q);
    CVector3 out;
    turn.TransformVector(&out, v);
    return out;
}
