// The sound device over OpenAL: 16 voices of one source and two buffers each; streamed sounds
// keep both buffers queued and are refilled chunk by chunk in Update.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <vector>

#include "engine/sound/SoundDevice.h"

class CSoundDeviceOpenAL : public CSoundDevice {
    DECLARE_RUNTIME_CLASS(CSoundDeviceOpenAL)

public:
    static constexpr int kVoiceCount = 16;
    static constexpr uint32_t kInitialScratch = 1048576;

    struct Voice {
        CSound* pSound;  // not owned; none when free
        int bStreaming;
        int nPosition;   // where the next read starts
        ALuint nBuffer1;
        ALuint nBuffer2;
        ALuint nSource;
        int bLoop;
    };

    CSoundDeviceOpenAL() = default;
    ~CSoundDeviceOpenAL() override;

    int Init(int b3DPossible, CViewport* viewport, int zero, int channels, int samplesPerSecond, int bitsPerSample,
             CLogFile* log) override;
    void Release() override;
    int Play(int voice, CSound* sound, int bLoop, int bStream) override;
    int StopSound(CSound* sound, int bRewind) override;
    int Stop(int voice, int bRewind) override;
    int Pause(int voice) override;
    int Resume(int voice) override;
    int SetFrequency(int voice, int hertz) override;
    int SetPan(int voice, int pan) override;
    int SetVolume(int voice, int volume) override;
    int IsPlaying(int voice) override;
    int IsSoundPlaying(CSound* sound) override;
    int IsStreaming(int voice) override;
    int IsSoundStreaming(CSound* sound) override;
    int FindVoice(CSound* sound) override;
    CSound* GetVoiceSound(int voice) override;
    int Update() override;

    // Takes a voice for the sound and uploads it (streamed: its first two chunks); -1 when no
    // voice is free or the format cannot be played.
    int PrepareVoice(CSound* sound, int bStream, int voice, int bLoop);
    // Bytes of one streamed chunk, from the device's rate and bits.
    uint32_t ChunkSize() const;

    CLogFile* m_pLog = nullptr;
    ALCdevice* m_pDevice = nullptr;
    ALCcontext* m_pContext = nullptr;
    std::vector<uint8_t> m_Scratch;
    uint32_t m_nScratchCapacity = kInitialScratch;
    int m_nSampleRate = 0;
    int m_nBitsPerSample = 0;
    std::vector<Voice> m_Voices;

private:
    Voice* VoiceAt(int voice);
    void Log(const char* text);
    void GrowScratch(uint32_t size);
    // Fills `size` bytes of the scratch buffer from the voice's position on; returns the
    // bytes read (looping voices wrap round and fill it all, unless the sound has no data).
    uint32_t FillChunk(Voice* voice, uint32_t size, bool* ended);
    bool Upload(ALuint buffer, CSound* sound, uint32_t size);
    void ReplaceBuffers(Voice* voice);
};
