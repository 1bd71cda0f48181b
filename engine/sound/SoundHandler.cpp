#include "engine/sound/SoundHandler.h"

#include <cstring>

#include "engine/core/ValueScript.h"
#include "engine/sound/ScriptSound.h"

CSoundHandler::~CSoundHandler() {
    DeleteAll();
    delete m_pSounds;
}

int CSoundHandler::Init(CSoundDevice* device) {
    if (!m_pSounds)
        m_pSounds = new CPointerList(1, 1);
    m_pDevice = device;
    return 1;
}

int CSoundHandler::LoadScript(const char* path) {
    if (!m_pSounds)
        Init(m_pDevice);
    CPointerList blocks(1, 1);
    if (!CValueScript::LoadAll(path, &blocks))
        return 0;
    int result = 1;
    for (auto* node = blocks.m_pHead; node; node = node->m_pNext) {
        auto* block = static_cast<CValueScript*>(node->m_data);
        if (result) {
            auto* sound = new CScriptSound;
            if (sound->Load(block, m_pDevice, this)) {
                m_pSounds->Append(sound);
            } else {
                delete sound;
                result = 0;
            }
        }
        delete block;
    }
    return result;
}

CScriptSound* CSoundHandler::Find(const char* name) const {
    if (!name || !m_pSounds)
        return nullptr;
    for (auto* node = m_pSounds->m_pHead; node; node = node->m_pNext) {
        auto* sound = static_cast<CScriptSound*>(node->m_data);
        if (strcmp(sound->m_sName.GetText(), name) == 0)
            return sound;
    }
    return nullptr;
}

void CSoundHandler::SetVolume(int master) {
    m_nMasterVolume = master;
    if (!m_pSounds)
        return;
    for (auto* node = m_pSounds->m_pHead; node; node = node->m_pNext)
        static_cast<CScriptSound*>(node->m_data)->ApplyVolume();
}

void CSoundHandler::StopAll(int bWithMusic) {
    if (!m_pSounds)
        return;
    for (auto* node = m_pSounds->m_pHead; node; node = node->m_pNext) {
        auto* sound = static_cast<CScriptSound*>(node->m_data);
        if (!sound->IsStreaming() || bWithMusic)
            sound->Stop(-1);
    }
}

void CSoundHandler::DeleteAll() {
    if (!m_pSounds)
        return;
    for (auto* node = m_pSounds->m_pHead; node; node = node->m_pNext)
        delete static_cast<CScriptSound*>(node->m_data);
    m_pSounds->RemoveAll();
}
