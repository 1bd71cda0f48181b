// The engine's sound output: a fixed set of voices, each playing one sound from a buffer
// holding all of it or streamed through two buffers that Update refills once per frame.
// Volumes are hundredths of a decibel (-10000 silent to 0), pan -10000 (left) to 10000.
#pragma once

#include "engine/core/Class.h"

class CLogFile;
class CSound;
class CViewport;

class CSoundDevice : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CSoundDevice)

public:
    // Voice arguments of Play: -2 picks a free voice; -3 restarts every stopped voice.
    enum { kAnyVoice = -2, kRestartAll = -3 };

    virtual int Init(int b3DPossible, CViewport* viewport, int zero, int channels, int samplesPerSecond,
                     int bitsPerSample, CLogFile* log) = 0;
    virtual void Release() = 0;
    // The voice the sound plays on, or -1 (or -3 for kRestartAll).
    virtual int Play(int voice, CSound* sound, int bLoop, int bStream) = 0;
    virtual int StopSound(CSound* sound, int bRewind) = 0;
    virtual int Stop(int voice, int bRewind) = 0;
    virtual int Pause(int voice) = 0;
    virtual int Resume(int voice) = 0;
    virtual int SetFrequency(int voice, int hertz) = 0;
    virtual int SetPan(int voice, int pan) = 0;
    virtual int SetVolume(int voice, int volume) = 0;
    virtual int IsPlaying(int voice) = 0;
    virtual int IsSoundPlaying(CSound* sound) = 0;
    virtual int IsStreaming(int voice) = 0;
    virtual int IsSoundStreaming(CSound* sound) = 0;
    virtual int FindVoice(CSound* sound) = 0;
    virtual CSound* GetVoiceSound(int voice) = 0;
    virtual int Update() = 0;
};
