// The silent sound device that stands in when no sound output can start: every operation
// is harmless, and the game runs without sound.
#pragma once

#include "engine/sound/SoundDevice.h"

class CSoundDeviceNull : public CSoundDevice {
public:
    int Init(int, CViewport*, int, int, int, int, CLogFile*) override { return 1; }
    void Release() override {}
    int Play(int, CSound*, int, int) override { return 0; }
    int StopSound(CSound*, int) override { return 1; }
    int Stop(int, int) override { return 1; }
    int Pause(int) override { return 1; }
    int Resume(int) override { return 1; }
    int SetFrequency(int, int) override { return 1; }
    int SetPan(int, int) override { return 1; }
    int SetVolume(int, int) override { return 1; }
    int IsPlaying(int) override { return 1; }
    int IsSoundPlaying(CSound*) override { return 1; }
    int IsStreaming(int) override { return 1; }
    int IsSoundStreaming(CSound*) override { return 1; }
    int FindVoice(CSound*) override { return 0; }
    CSound* GetVoiceSound(int) override { return nullptr; }
    int Update() override { return 1; }
};
