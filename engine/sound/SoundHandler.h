// Owns the named sounds of a sound script, the master volume and the sound-enabled word.
#pragma once

#include "engine/core/Class.h"
#include "engine/core/PointerList.h"

class CScriptSound;
class CSoundDevice;

class CSoundHandler : public CObject {
    DECLARE_RUNTIME_CLASS(CSoundHandler)

public:
    CSoundHandler() = default;
    ~CSoundHandler() override;

    int Init(CSoundDevice* device);
    // Every block of the script in file order; the first that fails ends loading with 0 and
    // keeps what was loaded before it. A missing script is created empty, as every value script.
    int LoadScript(const char* path);
    CScriptSound* Find(const char* name) const;
    void SetVolume(int master);
    // Stops every sound; streamed ones (music) only with bWithMusic.
    void StopAll(int bWithMusic);
    void DeleteAll();

    CPointerList* m_pSounds = nullptr;
    CSoundDevice* m_pDevice = nullptr;
    int m_nMasterVolume = 0;
    int m_nSoundEnabled = 0;
};
