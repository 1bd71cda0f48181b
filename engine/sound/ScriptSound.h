// One named sound effect or music piece from a sound script block: its sound data, its loop
// flag, volume range and playback frequency, and the device voices it was started on.
#pragma once

#include <vector>

#include "engine/core/Class.h"
#include "engine/core/DynString.h"

class CSound;
class CSoundDevice;
class CSoundHandler;
class CValueScript;

class CScriptSound : public CObject {
    DECLARE_RUNTIME_CLASS(CScriptSound)

public:
    enum EKind { kSound2D = 1, kMusic = 3 };

    CScriptSound() = default;
    ~CScriptSound() override;

    // 1 when loaded, or for a block of an unknown "Type" (which stays silent); 0 for a block
    // without a type or whose file cannot be used.
    int Load(CValueScript* block, CSoundDevice* device, CSoundHandler* handler);
    int LoadSound2D(CValueScript* block);
    int LoadMusic(CValueScript* block);
    // The device voice it plays on, or -1 (nothing when the handler's sound is off).
    int Play(int voice, int bStream);
    // Stops one listed voice, or every one for -1.
    void Stop(int voice);
    void SetVolume(float scale);
    void SetFrequency(int hertz, int voice);
    // Sets the handler's master volume, scaled by this sound's scale, on every listed voice.
    void ApplyVolume();
    int IsStreaming();
    int IsVoicePlaying(int voice);
    // Forgets listed voices that the device has given to other sounds since.
    void PurgeVoices();
    int AddVoice(int voice);
    void FreeSound();

    CDynString m_sName;
    int m_nKind = 0;
    int m_bSound2DLoaded = 0;
    int m_bMusicLoaded = 0;
    int m_bLoop = 0;
    int m_nVolumeMin = -10000;
    int m_nVolumeMax = 0;
    int m_nFrequency = 0;
    float m_fVolumeScale = 1.0f;
    CSound* m_pSound = nullptr;
    CSoundDevice* m_pDevice = nullptr;
    CSoundHandler* m_pHandler = nullptr;
    std::vector<int> m_Voices;

private:
    int LoadFile(CValueScript* block, int kind);
};
