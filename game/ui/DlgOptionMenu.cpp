#include "game/ui/DlgOptionMenu.h"

#include <cstdint>

#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "game/app/Game.h"
#include "game/flow/RODAGame.h"

namespace {

// The mixer's scale starts at silence where the settings' hundredths of a decibel start.
constexpr uint32_t kCDVolumeOffset = 10000;

// A stream's volume lives on the voice that plays it; a stream that plays on none keeps none.
void SetStreamVolume(CSoundDevice* device, CSound* stream, int volume) {
    if (!stream)
        return;
    const int voice = device->FindVoice(stream);
    if (voice >= 0)
        device->SetVolume(voice, volume);
}

}  // namespace

void CDlgOptionMenu::Apply() {
    auto* game = dynamic_cast<CGame*>(m_pGame);
    if (!game || !game->m_pSoundDevice)
        return;
    CSoundDevice* device = game->m_pSoundDevice;
    if (CSoundHandler* handler = game->m_pSoundHandler) {
        handler->m_nSoundEnabled = game->m_nSoundFX;
        handler->SetVolume(game->m_nSoundFXVol);
    }
    if (RODAGame* controller = game->m_pController) {
        SetStreamVolume(device, controller->m_pMusicStream, game->m_nMusicGameVol);
        SetStreamVolume(device, controller->m_pVoiceStream, game->m_nSpeechVol);
    }
    // Unsigned, so that a setting near the top of its range wraps instead of overflowing.
    const uint32_t cdVolume = static_cast<uint32_t>(game->m_nMusicCDVol) + kCDVolumeOffset;
    game->m_CDAudio.SetVolume(static_cast<uint16_t>(cdVolume));
}
