#include "engine/sound/SoundDeviceOpenAL.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/LogFile.h"
#include "engine/sound/Sound.h"

namespace {

bool AlFormat(int format, ALenum* out) {
    switch (format) {
    case CSound::kMono8:
        *out = AL_FORMAT_MONO8;
        return true;
    case CSound::kMono16:
        *out = AL_FORMAT_MONO16;
        return true;
    case CSound::kStereo8:
        *out = AL_FORMAT_STEREO8;
        return true;
    case CSound::kStereo16:
        *out = AL_FORMAT_STEREO16;
        return true;
    default:
        return false;
    }
}

uint32_t FrameBytes(int format) {
    return format == CSound::kMono8 ? 1 : (format == CSound::kStereo16 ? 4 : 2);
}

}  // namespace

CSoundDeviceOpenAL::~CSoundDeviceOpenAL() {
    Release();
}

void CSoundDeviceOpenAL::Log(const char* text) {
    if (m_pLog)
        m_pLog->Write(text);
}

CSoundDeviceOpenAL::Voice* CSoundDeviceOpenAL::VoiceAt(int voice) {
    if (voice < 0 || voice >= static_cast<int>(m_Voices.size()))
        return nullptr;
    // Every call works in this device's context, also when another device made its own.
    if (m_pContext && alcGetCurrentContext() != m_pContext)
        alcMakeContextCurrent(m_pContext);
    return &m_Voices[static_cast<size_t>(voice)];
}

uint32_t CSoundDeviceOpenAL::ChunkSize() const {
    const uint32_t size = static_cast<uint32_t>(std::max(m_nBitsPerSample / 4, 1)) *
                          static_cast<uint32_t>(std::max(m_nSampleRate, 1)) * 4;
    return std::max<uint32_t>(size, 4096);
}

void CSoundDeviceOpenAL::GrowScratch(uint32_t size) {
    if (m_Scratch.size() < size)
        m_Scratch.resize(size);
}

int CSoundDeviceOpenAL::Init(int /*b3DPossible*/, CViewport* /*viewport*/, int /*zero*/, int /*channels*/,
                             int samplesPerSecond, int bitsPerSample, CLogFile* log) {
    Release();
    m_pLog = log;
    m_nSampleRate = samplesPerSecond;
    m_nBitsPerSample = bitsPerSample;
    Log("creating SoundDevice...\n");
    m_pDevice = alcOpenDevice("DirectSound");
    if (!m_pDevice)
        m_pDevice = alcOpenDevice(nullptr);
    if (!m_pDevice) {
        Log("\tCould not open AL Sound Device.\n");
        Log("failed creating SoundDevice...\n");
        return 0;
    }
    const ALCint attributes[] = {ALC_FREQUENCY, samplesPerSecond, 0};
    m_pContext = alcCreateContext(m_pDevice, attributes);
    if (!m_pContext) {
        Log("\tCould not create AL Context.\n");
        Log("failed creating SoundDevice...\n");
        return 0;
    }
    // A failure here is recorded against no device, so only the result tells.
    if (alcMakeContextCurrent(m_pContext) != ALC_TRUE) {
        Log("\tCould not make AL Context current.\n");
        Log("failed creating SoundDevice...\n");
        return 0;
    }
    m_Voices.clear();
    for (int i = 0; i < kVoiceCount; ++i) {
        Voice voice{nullptr, 0, 0, 0, 0, 0, 0};
        alGenBuffers(1, &voice.nBuffer1);
        alGenBuffers(1, &voice.nBuffer2);
        alGenSources(1, &voice.nSource);
        m_Voices.push_back(voice);
    }
    Log("SoundDevice ok\n");
    m_Scratch.assign(m_nScratchCapacity, 0);
    return 1;
}

// A source must let go of its buffers (stopped, then no buffer attached) before they can be
// deleted: otherwise every re-preparation would leave two buffers behind.
static void DeleteVoiceObjects(CSoundDeviceOpenAL::Voice* voice) {
    alSourceStop(voice->nSource);
    alSourcei(voice->nSource, AL_BUFFER, 0);
    alDeleteSources(1, &voice->nSource);
    alDeleteBuffers(1, &voice->nBuffer1);
    alDeleteBuffers(1, &voice->nBuffer2);
}

void CSoundDeviceOpenAL::Release() {
    if (m_pContext) {
        alcMakeContextCurrent(m_pContext);
        for (Voice& voice : m_Voices)
            DeleteVoiceObjects(&voice);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_pContext);
        m_pContext = nullptr;
    }
    if (m_pDevice) {
        alcCloseDevice(m_pDevice);
        m_pDevice = nullptr;
    }
    m_Voices.clear();
    m_Scratch.clear();
    m_Scratch.shrink_to_fit();
}

void CSoundDeviceOpenAL::ReplaceBuffers(Voice* voice) {
    DeleteVoiceObjects(voice);
    alGenBuffers(1, &voice->nBuffer1);
    alGenBuffers(1, &voice->nBuffer2);
    alGenSources(1, &voice->nSource);
}

bool CSoundDeviceOpenAL::Upload(ALuint buffer, CSound* sound, uint32_t size) {
    ALenum format;
    if (!AlFormat(sound->GetFormat(), &format) || sound->GetSampleRate() <= 0)
        return false;
    // Whole sample frames only.
    size -= size % FrameBytes(sound->GetFormat());
    alBufferData(buffer, format, m_Scratch.data(), static_cast<ALsizei>(size), sound->GetSampleRate());
    return true;
}

uint32_t CSoundDeviceOpenAL::FillChunk(Voice* voice, uint32_t size, bool* ended) {
    *ended = false;
    GrowScratch(size);
    uint8_t* out = m_Scratch.data();
    const int first = voice->pSound->Read(out, voice->nPosition, static_cast<int>(size));
    uint32_t got = first > 0 ? static_cast<uint32_t>(first) : 0;
    voice->nPosition += static_cast<int>(got);
    if (got == size)
        return got;
    if (voice->bLoop) {
        // Round again from the start; a sound with nothing in it ends instead of looping on.
        while (got < size) {
            voice->pSound->Rewind();
            const int more = voice->pSound->Read(out + got, 0, static_cast<int>(size - got));
            if (more <= 0) {
                *ended = true;
                break;
            }
            got += static_cast<uint32_t>(more);
            voice->nPosition = more;
        }
    } else {
        *ended = true;
    }
    memset(out + got, 0, size - got);
    return got;
}

int CSoundDeviceOpenAL::PrepareVoice(CSound* sound, int bStream, int voice, int bLoop) {
    if (!sound || m_Voices.empty())
        return -1;
    const bool anyVoice = voice == kAnyVoice;
    if (anyVoice) {
        voice = -1;
        for (int i = 0; i < static_cast<int>(m_Voices.size()); ++i) {
            if (!IsPlaying(i) && !m_Voices[static_cast<size_t>(i)].bStreaming) {
                voice = i;
                break;
            }
        }
        if (voice < 0)
            return -1;
    }
    Voice* record = VoiceAt(voice);
    if (!record)
        return -1;
    // A whole sound asked again on the voice that holds it plays the upload it has; a voice
    // found free, or one asked to stream, is prepared anew.
    if (!anyVoice && !bStream && record->pSound == sound && !record->bStreaming)
        return voice;
    ALenum format;
    if (!AlFormat(sound->GetFormat(), &format))
        return -1;
    const uint32_t chunk = ChunkSize();
    const int dataSize = sound->GetDataSize();
    const uint32_t size = bStream ? 2 * chunk : static_cast<uint32_t>(std::max(dataSize, 0));
    GrowScratch(size);

    record->pSound = sound;
    record->bStreaming = bStream ? 1 : 0;
    record->nPosition = 0;  // streaming starts at the first byte
    record->bLoop = bLoop ? 1 : 0;
    ReplaceBuffers(record);

    if (bStream) {
        ALuint filled[2];
        ALsizei count = 0;
        for (ALuint buffer : {record->nBuffer1, record->nBuffer2}) {
            bool ended = false;
            const uint32_t got = FillChunk(record, chunk, &ended);
            if (got == 0 && ended && count > 0)
                break;
            Upload(buffer, sound, chunk);
            filled[count++] = buffer;
            if (ended)
                break;
        }
        alSourceQueueBuffers(record->nSource, count, filled);
        return voice;
    }
    const int read = sound->Read(m_Scratch.data(), 0, static_cast<int>(size));
    Upload(record->nBuffer1, sound, read > 0 ? static_cast<uint32_t>(read) : 0);
    return voice;
}

int CSoundDeviceOpenAL::Play(int voice, CSound* sound, int bLoop, int bStream) {
    if (!sound)
        return -1;
    if (voice == kRestartAll) {
        for (int i = 0; i < static_cast<int>(m_Voices.size()); ++i) {
            Voice* record = VoiceAt(i);
            if (!record->pSound || IsPlaying(i) || record->bStreaming)
                continue;
            // A paused source takes no buffer; the voice starts over anyway.
            alSourceStop(record->nSource);
            alSourcei(record->nSource, AL_BUFFER, static_cast<ALint>(record->nBuffer1));
            alSourcei(record->nSource, AL_LOOPING, bLoop == 1 ? AL_TRUE : AL_FALSE);
            alSourcePlay(record->nSource);
            record->bLoop = bLoop ? 1 : 0;
        }
        return kRestartAll;
    }
    if (voice != kAnyVoice && !VoiceAt(voice))
        return -1;
    const int prepared = PrepareVoice(sound, bStream, voice, bLoop);
    Voice* record = VoiceAt(prepared);
    if (!record)
        return -1;
    if (!record->bStreaming) {
        // A reused voice may still be playing, and a playing source takes no buffer.
        alSourceStop(record->nSource);
        alSourcei(record->nSource, AL_BUFFER, static_cast<ALint>(record->nBuffer1));
        alSourcei(record->nSource, AL_LOOPING, bLoop == 1 ? AL_TRUE : AL_FALSE);
    }
    alSourcePlay(record->nSource);
    record->bLoop = bLoop ? 1 : 0;
    return prepared;
}

int CSoundDeviceOpenAL::Stop(int voice, int bRewind) {
    Voice* record = VoiceAt(voice);
    if (!record || !record->pSound)
        return 0;
    alSourceStop(record->nSource);
    if (bRewind) {
        alSourceRewind(record->nSource);
        record->pSound->Rewind();
    }
    return 1;
}

int CSoundDeviceOpenAL::StopSound(CSound* sound, int bRewind) {
    if (!sound)
        return 0;
    for (int i = 0; i < static_cast<int>(m_Voices.size()); ++i) {
        if (m_Voices[static_cast<size_t>(i)].pSound == sound && !Stop(i, bRewind))
            return 0;
    }
    return 1;
}

int CSoundDeviceOpenAL::Pause(int voice) {
    Voice* record = VoiceAt(voice);
    if (!record)
        return 0;
    if (record->pSound && IsPlaying(voice))
        alSourcePause(record->nSource);
    return 1;
}

int CSoundDeviceOpenAL::Resume(int voice) {
    Voice* record = VoiceAt(voice);
    if (!record)
        return 0;
    if (record->pSound && !IsPlaying(voice))
        alSourcePlay(record->nSource);
    return 1;
}

int CSoundDeviceOpenAL::SetFrequency(int voice, int hertz) {
    Voice* record = VoiceAt(voice);
    if (!record || !record->pSound)
        return 0;
    float pitch = 1.0f;
    if (hertz != 0) {
        const int rate = record->pSound->GetSampleRate();
        pitch = rate > 0 ? static_cast<float>(hertz) / static_cast<float>(rate) : 0.0f;
        if (!(pitch > 0.0f))
            pitch = 0.001f;
    }
    alSourcef(record->nSource, AL_PITCH, pitch);
    return 1;
}

int CSoundDeviceOpenAL::SetPan(int voice, int pan) {
    Voice* record = VoiceAt(voice);
    if (!record || !record->pSound)
        return 0;
    const float x = static_cast<float>(pan) / 10000.0f;
    const ALfloat position[3] = {x, 0.0f, -x};
    alSourcefv(record->nSource, AL_POSITION, position);
    return 1;
}

int CSoundDeviceOpenAL::SetVolume(int voice, int volume) {
    Voice* record = VoiceAt(voice);
    if (!record || !record->pSound)
        return 0;
    const float gain = 1.0f - std::fabs(static_cast<float>(volume) / 10000.0f);
    alSourcef(record->nSource, AL_GAIN, std::clamp(gain, 0.0f, 1.0f));
    return 1;
}

int CSoundDeviceOpenAL::IsPlaying(int voice) {
    Voice* record = VoiceAt(voice);
    if (!record)
        return 0;
    ALint state = AL_STOPPED;
    alGetSourcei(record->nSource, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING ? 1 : 0;
}

int CSoundDeviceOpenAL::IsStreaming(int voice) {
    Voice* record = VoiceAt(voice);
    return record ? record->bStreaming : 0;
}

int CSoundDeviceOpenAL::IsSoundPlaying(CSound* sound) {
    const int voice = sound ? FindVoice(sound) : -1;
    return voice >= 0 ? IsPlaying(voice) : 0;
}

int CSoundDeviceOpenAL::IsSoundStreaming(CSound* sound) {
    const int voice = sound ? FindVoice(sound) : -1;
    return voice >= 0 ? IsStreaming(voice) : 0;
}

int CSoundDeviceOpenAL::FindVoice(CSound* sound) {
    if (!sound)
        return 0;
    for (int i = 0; i < static_cast<int>(m_Voices.size()); ++i) {
        if (m_Voices[static_cast<size_t>(i)].pSound == sound)
            return i;
    }
    return -1;
}

CSound* CSoundDeviceOpenAL::GetVoiceSound(int voice) {
    Voice* record = VoiceAt(voice);
    return record ? record->pSound : nullptr;
}

int CSoundDeviceOpenAL::Update() {
    const uint32_t chunk = ChunkSize();
    GrowScratch(chunk);
    int serviced = 0;
    for (int i = 0; i < static_cast<int>(m_Voices.size()); ++i) {
        Voice* record = VoiceAt(i);
        // This voice's own state: the sound may also sit, stopped, on an earlier voice.
        if (!record->bStreaming || !record->pSound || !IsPlaying(i))
            continue;
        ALint processed = 0;
        alGetSourcei(record->nSource, AL_BUFFERS_PROCESSED, &processed);
        if (processed < 1)
            continue;
        serviced = 1;
        ALuint buffer = 0;
        alSourceUnqueueBuffers(record->nSource, 1, &buffer);
        bool ended = false;
        const uint32_t got = FillChunk(record, chunk, &ended);
        if (got == 0 && ended) {
            // The stream has run out: nothing more is queued for this voice.
            if (processed > 1)
                alSourceUnqueueBuffers(record->nSource, 1, &buffer);
            continue;
        }
        Upload(buffer, record->pSound, chunk);
        alSourceQueueBuffers(record->nSource, 1, &buffer);
    }
    return serviced;
}
