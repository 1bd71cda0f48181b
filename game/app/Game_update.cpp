// The application's per-frame update: the music kept alive, input to the interface, the
// render device and the window watched, the Pause key with its muting, the scene in fixed
// steps, the controller and the frame rate.
#include "engine/core/Timer.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/gui/Wnd.h"
#include "engine/platform/InputDevice.h"
#include "engine/platform/Viewport.h"
#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/EmitterList.h"
#include "game/app/Game.h"
#include "game/flow/RODAGame.h"

namespace {

// The scene advances in steps of this many seconds, whatever the frame rate.
constexpr double kFixedStep = 0.01;
// The sound handler's master volume while the game is paused or its window disabled.
constexpr int kSilentVolume = -10000;
// The DirectInput code of the Pause key.
constexpr int kPauseKey = 0xC5;
// The pointer never stands left of this column.
constexpr int32_t kPointerMinX = 10;

// Neither paused nor in a disabled window: time passes and the interface hears the input.
bool SceneRuns(const CGame& game) {
    return !game.m_bPaused && game.m_bWindowEnabled;
}

}  // namespace

int CGame::Update(double dt) {
    m_bUseElapsedTime = 1;

    // A music stream the device stopped on its own is started again. Without a stream there
    // is nothing to look for: the device would answer with voice 0, whatever plays there.
    CSound* music = m_pController ? m_pController->m_pMusicStream : nullptr;
    if (m_nMusic != 0 && music && !m_pSoundDevice->IsSoundPlaying(music)) {
        const int voice = m_pSoundDevice->FindVoice(music);
        if (voice >= 0)
            m_pSoundDevice->Resume(voice);
    }

    m_pInputDevice->Update(m_pTimer->GetElapsed());

    if (SceneRuns(*this)) {
        for (auto* node = m_pInputDevice->m_Events.m_pHead; node; node = node->m_pNext)
            m_pRootWindow->DispatchEvent(&node->m_data);
        if (!m_pRootWindow->Update(dt))
            return 0;
    }

    // The device check of the engine's own update, without its sound refill: the fixed steps
    // refill the streams.
    TrackDeviceState(m_pRenderDevice->CheckDevice());

    const bool onStartScreen = m_pController && m_pController->m_bStartScreen;
    const int32_t windowEnabled = m_pViewport->IsEnabled();
    if (windowEnabled != m_bWindowEnabled) {
        m_bWindowEnabled = windowEnabled;
        if (!onStartScreen && m_pSoundHandler)
            m_pSoundHandler->SetVolume(windowEnabled ? m_nSoundFXVol : kSilentVolume);
    }

    for (auto* node = m_pInputDevice->m_Events.m_pHead; node; node = node->m_pNext) {
        const CInputEvent& event = node->m_data;
        if (event.m_nType != CInputDevice::kKeyUp || event.m_nParam != kPauseKey || onStartScreen)
            continue;
        m_bPaused = !m_bPaused;
        if (m_pSoundHandler)
            m_pSoundHandler->SetVolume(m_bPaused ? kSilentVolume : m_nSoundFXVol);
    }

    m_fStepAccumulator += dt;
    if (m_fStepAccumulator > kFixedStep) {
        double consumed = 0.0;
        do {
            FixedStep(SceneRuns(*this) ? kFixedStep : 0.0);
            consumed += kFixedStep;
        } while (m_fStepAccumulator - kFixedStep >= consumed);
        m_fStepAccumulator -= consumed;
    }

    if (m_pController)
        m_pController->Update(SceneRuns(*this) ? dt : 0.0);

    const float now = m_pTimer->GetElapsed();
    ++m_nRateFrames;
    if (now - m_fRateTime > 1.0f) {
        m_fFramesPerSecond = static_cast<float>(m_nRateFrames) / (now - m_fRateTime);
        m_nRateFrames = 0;
        m_fRateTime = now;
    }
    return 1;
}

int CGame::FixedStep(double step) {
    m_pSoundDevice->Update();

    POINT pointer = {};
    m_pInputDevice->GetMousePos(&pointer);
    const int32_t maxX = static_cast<int32_t>(m_pRenderDevice->m_nWidth) - 1;
    const int32_t maxY = static_cast<int32_t>(m_pRenderDevice->m_nHeight) - 1;
    m_nPointerX = pointer.x < kPointerMinX ? kPointerMinX : pointer.x;
    if (m_nPointerX > maxX)
        m_nPointerX = maxX;
    m_nPointerY = pointer.y < 0 ? 0 : pointer.y;
    if (m_nPointerY > maxY)
        m_nPointerY = maxY;

    m_fTotalStepTime += step;
    m_fStepTime = step;
    m_fSceneClock += step;

    if (m_pWorld) {
        m_pWorld->m_pInstanceTree->UpdateAll();
        if (SceneRuns(*this))
            m_pWorld->m_pEmitters->Update(step);
    }
    if (m_pController)
        m_pController->Step();
    return 1;
}
