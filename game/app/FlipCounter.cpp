#include "game/app/FlipCounter.h"

#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/ScriptKey.h"
#include "winapi/base/WinRandom.h"

namespace {

// The C run-time's largest random number, as a factor.
constexpr float kRandomScale = 0.0000305185f;
// A roller turns up to this share of the given speed slower, so that the digits do not flap
// in step.
constexpr float kSpeedSpread = 0.125f;

int32_t Mod10(int32_t value) {
    return (value % 10 + 10) % 10;
}

}  // namespace

CFlipCounter::CFlipCounter(M3DOMWorld* world, M3DOMObject* parent, int32_t count, float step, float turnSpeed,
                           int32_t bCountUp, const char* rollerScript)
    : m_pParent(parent), m_nCount(count), m_fTurnSpeed(turnSpeed), m_nDirection(bCountUp ? 1 : -1) {
    if (m_pParent) {
        m_pParent->m_bRelative = 1;
        M3DOMScripter* scripter = world ? world->m_pScripter : nullptr;
        for (int32_t i = 0; i < m_nCount; ++i) {
            if (scripter)
                scripter->LoadScript(m_pParent, rollerScript, kScriptKey, kScriptKeyLength);
            M3DOMObject* roller = m_pParent->GetChild(i);
            if (!roller)
                continue;
            roller->m_vPosRel.x += static_cast<float>(i) * step;
            roller->ResetMoveTarget();
            const float r = static_cast<float>(winapi::rand());
            roller->m_fValF = m_fTurnSpeed - r * (m_fTurnSpeed * kSpeedSpread) * kRandomScale;
        }
    }
    Reset();
}

M3DOMObject* CFlipCounter::Roller(int32_t i) const {
    M3DOMObject* roller = m_pParent ? m_pParent->GetChild(i) : nullptr;
    if (!roller || !roller->GetO(kObjectsPerRoller - 1))
        return nullptr;
    return roller;
}

int32_t CFlipCounter::FrameOfDigit(int32_t digit) const {
    return Mod10(m_nDirection * digit);
}

int32_t CFlipCounter::NextDigit(int32_t digit) const {
    return Mod10(m_nDirection + digit);
}

void CFlipCounter::SetVisible(int32_t visible) {
    if (m_pParent)
        m_pParent->SetVisible(visible);
    m_bShown = visible;
}

void CFlipCounter::Reset() {
    for (int32_t i = 0; i < m_nCount; ++i) {
        M3DOMObject* roller = Roller(i);
        if (!roller)
            continue;
        roller->GetO(kUpperHalf)->SetFrame(0);
        roller->GetO(kLowerHalf)->SetFrame(9);
        C3DObject* flap = roller->GetO(kFlap);
        flap->SetFrame(0);
        flap->m_bVisible = 0;
        flap->m_fValue = 0.0f;
        // Over the upper half, showing the same face, should the counter be shown again.
        flap->m_vOwnRot.x = 0.0f;
        roller->m_nValN = 0;
    }
}

void CFlipCounter::PlaceRollers() {
    m_pParent->m_pTree->UpdateTransforms(m_pParent);
}

void CFlipCounter::UpdateRoller(M3DOMObject* roller, int32_t target, double dt) {
    C3DObject* flap = roller->GetO(kFlap);
    const int32_t next = NextDigit(roller->m_nValN);
    if (flap->m_fValue == 0.0f) {
        if (roller->m_nValN == target)
            return;
        flap->m_bVisible = 1;
        flap->m_fValue = 1.0f;
        flap->m_vOwnRot.x = kFlapStart;
        flap->SetFrame(static_cast<uint32_t>(FrameOfDigit(roller->m_nValN)));
        roller->GetO(kUpperHalf)->SetFrame(static_cast<uint32_t>(FrameOfDigit(next)));
        PlaceRollers();
        return;
    }
    flap->m_vOwnRot.x -= static_cast<float>(roller->m_fValF * dt);
    if (flap->m_vOwnRot.x >= kFlapEnd)
        return;
    roller->GetO(kLowerHalf)->SetFrame(static_cast<uint32_t>(FrameOfDigit(roller->m_nValN)));
    roller->m_nValN = next;
    flap->m_bVisible = 0;
    flap->m_fValue = 0.0f;
    PlaceRollers();
}

void CFlipCounter::Update(double dt, unsigned value) {
    if (!m_bShown || m_nCount < 1 || !m_pParent)
        return;
    for (int32_t i = m_nCount - 1; i >= 0; --i) {
        const int32_t target = static_cast<int32_t>(value % 10);
        value /= 10;
        if (M3DOMObject* roller = Roller(i))
            UpdateRoller(roller, target, dt);
    }
}
