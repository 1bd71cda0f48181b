#include "engine/sound/ScriptSound.h"

#include <cstring>

#include "engine/core/ValueScript.h"
#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "engine/sound/SoundWave.h"

namespace {

const char kNoFile[] = "Err::NoSoundFile";

// Whether the first occurrence of the extension ends the name; its first character is
// compared without regard to case, the rest exactly.
bool EndsWithExtension(const char* name, const char* extension) {
    const size_t length = strlen(extension);
    for (const char* p = name; *p; ++p) {
        const char first = (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p - 'A' + 'a') : *p;
        if (first == extension[0] && strncmp(p + 1, extension + 1, length - 1) == 0)
            return p[length] == 0;
    }
    return false;
}

}  // namespace

CScriptSound::~CScriptSound() {
    FreeSound();
}

int CScriptSound::Load(CValueScript* block, CSoundDevice* device, CSoundHandler* handler) {
    if (!block)
        return 0;
    m_pDevice = device;
    m_pHandler = handler;
    m_sName = block->m_sName;
    const CDynString& type = block->GetString("Type", "Err::NoSoundType");
    if (strcmp(type.GetText(), "TOLPSOUND_SOUND_2D") == 0)
        return LoadSound2D(block);
    if (strcmp(type.GetText(), "TOLPSOUND_MUSIC") == 0)
        return LoadMusic(block);
    if (strcmp(type.GetText(), "Err::NoSoundType") == 0)
        return 0;
    return 1;
}

int CScriptSound::LoadFile(CValueScript* block, int kind) {
    m_nKind = kind;
    m_bLoop = static_cast<int>(block->GetFloat("Loop", 0.0f));
    const CDynString file(block->GetString("File", kNoFile));
    if (strcmp(file.GetText(), kNoFile) == 0)
        return 0;
    FreeSound();
    if (EndsWithExtension(file.GetText(), ".ogg"))
        m_pSound = new CSoundOgg;
    else if (EndsWithExtension(file.GetText(), ".wav"))
        m_pSound = new CSoundWave;
    else
        return 0;
    if (!m_pSound->Open(file.GetText(), 1)) {
        FreeSound();
        return 0;
    }
    return 1;
}

int CScriptSound::LoadSound2D(CValueScript* block) {
    if (!LoadFile(block, kSound2D))
        return 0;
    m_nVolumeMin = static_cast<int>(block->GetFloat("VolumeMin", -10000.0f));
    m_nVolumeMax = static_cast<int>(block->GetFloat("VolumeMax", 0.0f));
    m_nFrequency = static_cast<int>(block->GetFloat("Frequency", 0.0f));
    m_bSound2DLoaded = 1;
    return 1;
}

int CScriptSound::LoadMusic(CValueScript* block) {
    if (!LoadFile(block, kMusic))
        return 0;
    m_bMusicLoaded = 1;
    return 1;
}

int CScriptSound::Play(int voice, int bStream) {
    if (!m_pHandler || !m_pHandler->m_nSoundEnabled || !m_pDevice || !m_pSound)
        return -1;
    const int played = m_pDevice->Play(voice, m_pSound, m_bLoop != 0, bStream);
    if (played >= 0)
        AddVoice(played);
    ApplyVolume();
    SetFrequency(m_nFrequency, played);
    return played;
}

void CScriptSound::Stop(int voice) {
    if (!m_pDevice)
        return;
    PurgeVoices();
    if (voice != -1) {
        m_pDevice->Stop(voice, 1);
        return;
    }
    for (const int listed : m_Voices)
        m_pDevice->Stop(listed, 1);
}

void CScriptSound::SetVolume(float scale) {
    if (!m_bSound2DLoaded)
        return;
    m_fVolumeScale = scale;
    ApplyVolume();
}

void CScriptSound::SetFrequency(int hertz, int voice) {
    if (!m_bSound2DLoaded || !m_pDevice)
        return;
    m_nFrequency = hertz;
    PurgeVoices();
    for (const int listed : m_Voices) {
        if (listed == voice)
            m_pDevice->SetFrequency(listed, hertz);
    }
}

void CScriptSound::ApplyVolume() {
    if (!m_pDevice || !m_pHandler)
        return;
    const float master = static_cast<float>(m_pHandler->m_nMasterVolume);
    const int volume = -10000 - static_cast<int>((-10000.0f - master) * m_fVolumeScale);
    PurgeVoices();
    for (const int listed : m_Voices)
        m_pDevice->SetVolume(listed, volume);
}

int CScriptSound::IsStreaming() {
    return m_Voices.empty() || !m_pDevice ? 0 : m_pDevice->IsStreaming(m_Voices.front());
}

int CScriptSound::IsVoicePlaying(int voice) {
    return m_pDevice ? m_pDevice->IsPlaying(voice) : 0;
}

void CScriptSound::PurgeVoices() {
    if (!m_pDevice)
        return;
    for (size_t i = m_Voices.size(); i-- > 0;) {
        if (m_pDevice->GetVoiceSound(m_Voices[i]) != m_pSound)
            m_Voices.erase(m_Voices.begin() + static_cast<long>(i));
    }
}

int CScriptSound::AddVoice(int voice) {
    for (size_t i = 0; i < m_Voices.size(); ++i) {
        if (m_Voices[i] == voice)
            return static_cast<int>(i);
    }
    m_Voices.push_back(voice);
    return static_cast<int>(m_Voices.size() - 1);
}

void CScriptSound::FreeSound() {
    if (!m_pSound)
        return;
    if (m_pDevice)
        m_pDevice->StopSound(m_pSound, 0);
    m_pSound->Close();
    delete m_pSound;
    m_pSound = nullptr;
}
