#include "engine/sound/SoundDeviceOpenAL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/LogFile.h"
#include "engine/sound/ScriptSound.h"
#include "engine/sound/SoundClasses.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "engine/sound/SoundWave.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"

namespace {

// The device mixes at a low rate with 8-bit chunks, so a streamed chunk is 64000 bytes: a
// sixth of a second of the fast stereo sounds below, which keeps streaming tests short.
constexpr int kDeviceRate = 8000;
constexpr int kDeviceBits = 8;
constexpr int kChunk = (kDeviceBits / 4) * kDeviceRate * 4;
constexpr int kStreamRate = 96000;

// A sound that makes up its bytes (never silence) and records what the device asks of it.
class CRecordingSound : public CSound {
public:
    struct Call {
        bool rewind;
        int position;
        int size;
        bool operator==(const Call&) const = default;
    };
    static Call ReadAt(int position, int size) { return {false, position, size}; }
    static Call RewindCall() { return {true, 0, 0}; }

    CRecordingSound(int format, int rate, int dataSize) : m_format(format), m_rate(rate), m_dataSize(dataSize) {}

    int Open(const char*, int) override { return 1; }
    void Close() override {}
    int GetBitsPerSample() override { return m_format == kMono8 || m_format == kStereo8 ? 8 : 16; }
    int GetSampleRate() override { return m_rate; }
    int GetFileSize() override { return m_dataSize; }
    int GetDataSize() override { return m_dataSize; }
    int GetFormat() override { return m_format; }
    int Read(void* destination, int position, int size) override {
        Record({false, position, size});
        const int delivered = std::max(0, std::min(size, m_dataSize - position));
        memset(destination, kPattern, static_cast<size_t>(delivered));
        return delivered;
    }
    void Rewind() override { Record(RewindCall()); }

    const std::vector<Call>& Calls() const { return m_calls; }
    int ReadCount() const {
        return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(), [](const Call& c) { return !c.rewind; }));
    }
    int RewindCount() const { return static_cast<int>(m_calls.size()) - ReadCount(); }

    static constexpr uint8_t kPattern = 0x5a;

private:
    void Record(const Call& call) {
        // A device stuck reading must end the test, not hang it.
        if (m_calls.size() > 10000)
            throw std::runtime_error("the device keeps asking for data");
        m_calls.push_back(call);
    }

    int m_format;
    int m_rate;
    int m_dataSize;
    std::vector<Call> m_calls;
};

// Every open OpenAL Soft device mixes on a thread of its own.
size_t ThreadCount() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<size_t>(std::distance(begin(tasks), end(tasks)));
}

// A joined thread can linger in the task list for a moment, so this waits a while for the
// count to come down to at most `limit`, and gives the last count seen.
size_t ThreadCountSettledTo(size_t limit) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    size_t count = ThreadCount();
    while (count > limit && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        count = ThreadCount();
    }
    return count;
}

class SoundDeviceOpenALTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_device.Init(0, nullptr, 0, 2, kDeviceRate, kDeviceBits, nullptr), 1); }

    ALuint Source(int voice) const { return m_device.m_Voices[static_cast<size_t>(voice)].nSource; }

    ALint SourceInt(int voice, ALenum parameter) const {
        ALint value = -1;
        alGetSourcei(Source(voice), parameter, &value);
        return value;
    }

    // Calls Update as the game's frame loop does until `done` holds; false when a generous
    // time runs out first. `serviced` counts the Updates that refilled something.
    template <typename Done>
    bool PumpUntil(Done done, int* serviced = nullptr) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            const int result = m_device.Update();
            EXPECT_TRUE(result == 0 || result == 1) << result;
            if (serviced)
                *serviced += result;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    bool PumpUntilStopped(int voice, int* serviced = nullptr) {
        return PumpUntil([&] { return !m_device.IsPlaying(voice); }, serviced);
    }

    CSoundDeviceOpenAL m_device;
};

TEST_F(SoundDeviceOpenALTest, InitOpensTheDefaultDeviceAtTheRequestedRateWithSixteenVoices) {
    TempDir dir;
    const std::string logPath = dir.File("sound.log");
    CLogFile log(logPath.c_str());
    const size_t threadsWithOneDevice = ThreadCount();
    ASSERT_EQ(m_device.Init(0, nullptr, 0, 2, 22050, 16, &log), 1);
    // Init released the device of the fixture's Init first.
    EXPECT_EQ(ThreadCountSettledTo(threadsWithOneDevice), threadsWithOneDevice);
    EXPECT_EQ(ReadText(logPath), "creating SoundDevice...\nSoundDevice ok\n");

    ALCint frequency = 0;
    alcGetIntegerv(m_device.m_pDevice, ALC_FREQUENCY, 1, &frequency);
    EXPECT_EQ(frequency, 22050);
    EXPECT_EQ(alcGetCurrentContext(), m_device.m_pContext);
    EXPECT_EQ(m_device.m_Scratch.size(), CSoundDeviceOpenAL::kInitialScratch);

    ASSERT_EQ(m_device.m_Voices.size(), 16u);
    std::vector<ALuint> buffers;
    std::vector<ALuint> sources;
    for (const CSoundDeviceOpenAL::Voice& voice : m_device.m_Voices) {
        EXPECT_EQ(voice.pSound, nullptr);
        EXPECT_EQ(alIsSource(voice.nSource), AL_TRUE);
        EXPECT_EQ(alIsBuffer(voice.nBuffer1), AL_TRUE);
        EXPECT_EQ(alIsBuffer(voice.nBuffer2), AL_TRUE);
        buffers.insert(buffers.end(), {voice.nBuffer1, voice.nBuffer2});
        sources.push_back(voice.nSource);
    }
    std::sort(buffers.begin(), buffers.end());
    std::sort(sources.begin(), sources.end());
    EXPECT_EQ(std::unique(buffers.begin(), buffers.end()), buffers.end());
    EXPECT_EQ(std::unique(sources.begin(), sources.end()), sources.end());
    EXPECT_EQ(alGetError(), AL_NO_ERROR);

    // A second Init starts over from a released device.
    ASSERT_EQ(m_device.Init(0, nullptr, 0, 2, 11025, 8, &log), 1);
    EXPECT_EQ(ReadText(logPath), "creating SoundDevice...\nSoundDevice ok\ncreating SoundDevice...\nSoundDevice ok\n");
    alcGetIntegerv(m_device.m_pDevice, ALC_FREQUENCY, 1, &frequency);
    EXPECT_EQ(frequency, 11025);
    EXPECT_EQ(m_device.m_Voices.size(), 16u);
    EXPECT_EQ(ThreadCountSettledTo(threadsWithOneDevice), threadsWithOneDevice);
    m_device.Release();
    EXPECT_LT(ThreadCountSettledTo(threadsWithOneDevice - 1), threadsWithOneDevice);
}

TEST_F(SoundDeviceOpenALTest, ReleasedDeviceHasNoVoicesLeft) {
    CRecordingSound sound(CSound::kMono16, 22050, 1000);
    ASSERT_EQ(m_device.Play(0, &sound, 1, 0), 0);
    m_device.Release();
    EXPECT_EQ(m_device.m_pContext, nullptr);
    EXPECT_EQ(m_device.m_pDevice, nullptr);
    EXPECT_EQ(m_device.Play(CSoundDevice::kAnyVoice, &sound, 0, 0), -1);
    EXPECT_EQ(m_device.IsPlaying(0), 0);
    EXPECT_EQ(m_device.Update(), 0);
    m_device.Release();
}

// Each voice operation, with what it gives for a voice index outside 0..15 and for a voice
// that holds no sound yet.
struct VoiceCall {
    const char* name;
    int (*call)(CSoundDeviceOpenAL& device, int voice, CSound* sound);
    int outside;
    int empty;
};

const VoiceCall kVoiceCalls[] = {
    {"Stop", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.Stop(v, 1); }, 0, 0},
    {"Pause", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.Pause(v); }, 0, 1},
    {"Resume", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.Resume(v); }, 0, 1},
    {"SetFrequency", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.SetFrequency(v, 11025); }, 0, 0},
    {"SetPan", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.SetPan(v, 5000); }, 0, 0},
    {"SetVolume", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.SetVolume(v, -5000); }, 0, 0},
    {"IsPlaying", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.IsPlaying(v); }, 0, 0},
    {"IsStreaming", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.IsStreaming(v); }, 0, 0},
    {"GetVoiceSound", [](CSoundDeviceOpenAL& d, int v, CSound*) { return d.GetVoiceSound(v) ? 1 : 0; }, 0, 0},
};

TEST_F(SoundDeviceOpenALTest, VoiceOperationsRefuseVoicesOutsideTheSixteen) {
    CRecordingSound playing(CSound::kMono16, 22050, 1000);
    ASSERT_EQ(m_device.Play(0, &playing, 1, 0), 0);
    const int outside[] = {-1, CSoundDevice::kAnyVoice, CSoundDevice::kRestartAll, 16, 1000, INT_MIN, INT_MAX};
    for (const VoiceCall& row : kVoiceCalls) {
        for (int voice : outside) {
            SCOPED_TRACE(std::string(row.name) + " on voice " + std::to_string(voice));
            EXPECT_EQ(row.call(m_device, voice, &playing), row.outside);
        }
    }
    CRecordingSound sound(CSound::kMono16, 22050, 1000);
    for (int voice : {-1, 16, 1000, INT_MIN})
        EXPECT_EQ(m_device.Play(voice, &sound, 0, 0), -1) << voice;
    EXPECT_EQ(sound.ReadCount(), 0);
    EXPECT_EQ(m_device.IsPlaying(0), 1);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundDeviceOpenALTest, VoiceWithoutASoundHasNothingToChange) {
    for (const VoiceCall& row : kVoiceCalls) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.call(m_device, 5, nullptr), row.empty);
    }
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundDeviceOpenALTest, NoSoundAndUnheldSounds) {
    for (int voice : std::initializer_list<int>{0, CSoundDevice::kAnyVoice, CSoundDevice::kRestartAll, 16})
        EXPECT_EQ(m_device.Play(voice, nullptr, 0, 0), -1) << voice;
    EXPECT_EQ(m_device.StopSound(nullptr, 0), 0);
    EXPECT_EQ(m_device.StopSound(nullptr, 1), 0);
    EXPECT_EQ(m_device.IsSoundPlaying(nullptr), 0);
    EXPECT_EQ(m_device.IsSoundStreaming(nullptr), 0);
    EXPECT_EQ(m_device.FindVoice(nullptr), 0);

    CRecordingSound unheld(CSound::kMono16, 22050, 1000);
    EXPECT_EQ(m_device.StopSound(&unheld, 1), 1);
    EXPECT_EQ(unheld.RewindCount(), 0);
    EXPECT_EQ(m_device.IsSoundPlaying(&unheld), 0);
    EXPECT_EQ(m_device.IsSoundStreaming(&unheld), 0);
    EXPECT_EQ(m_device.FindVoice(&unheld), -1);
}

TEST_F(SoundDeviceOpenALTest, PlaysEachWaveFormatWholeToItsEnd) {
    struct Row {
        int channels;
        int bits;
        int format;
    };
    const Row rows[] = {
        {1, 8, CSound::kMono8},
        {1, 16, CSound::kMono16},
        {2, 8, CSound::kStereo8},
        {2, 16, CSound::kStereo16},
    };
    TempDir dir;
    CSoundWave waves[std::size(rows)];
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(std::to_string(row.channels) + " channels, " + std::to_string(row.bits) + " bits");
        const std::string path = dir.File("tone" + std::to_string(i) + ".wav");
        ASSERT_TRUE(MakeToneWav(path, ToneFormat{22050, row.channels, row.bits, 0.1, 440.0}));
        CSoundWave& wave = waves[i];
        ASSERT_EQ(wave.Open(path.c_str(), 1), 1);
        ASSERT_EQ(wave.GetFormat(), row.format);

        const int voice = m_device.Play(CSoundDevice::kAnyVoice, &wave, 0, 0);
        ASSERT_EQ(voice, 0);
        EXPECT_EQ(m_device.GetVoiceSound(voice), &wave);
        EXPECT_EQ(m_device.FindVoice(&wave), voice);
        EXPECT_EQ(m_device.IsStreaming(voice), 0);
        EXPECT_EQ(m_device.IsSoundStreaming(&wave), 0);

        const ALuint buffer = m_device.m_Voices[static_cast<size_t>(voice)].nBuffer1;
        ALint size = 0, frequency = 0, channels = 0, bits = 0;
        alGetBufferi(buffer, AL_SIZE, &size);
        alGetBufferi(buffer, AL_FREQUENCY, &frequency);
        alGetBufferi(buffer, AL_CHANNELS, &channels);
        alGetBufferi(buffer, AL_BITS, &bits);
        EXPECT_EQ(size, wave.GetDataSize());
        EXPECT_EQ(frequency, 22050);
        EXPECT_EQ(channels, row.channels);
        EXPECT_EQ(bits, row.bits);
        EXPECT_EQ(SourceInt(voice, AL_BUFFER), static_cast<ALint>(buffer));
        EXPECT_EQ(SourceInt(voice, AL_LOOPING), AL_FALSE);

        EXPECT_TRUE(PumpUntilStopped(voice)) << "a tenth of a second of sound never ended";
        EXPECT_EQ(m_device.IsSoundPlaying(&wave), 0);
        // The voice keeps the sound, and is free for the next row.
        EXPECT_EQ(m_device.GetVoiceSound(voice), &wave);
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
    }
}

TEST_F(SoundDeviceOpenALTest, UploadsWholeSampleFramesOfAShortRead) {
    struct Row {
        int format;
        int delivered;
        int uploaded;
    };
    const Row rows[] = {
        {CSound::kMono16, 1001, 1000},
        {CSound::kStereo16, 1003, 1000},
        {CSound::kStereo8, 1001, 1000},
        {CSound::kMono8, 1001, 1001},
        {CSound::kMono16, 1, 0},
    };
    std::vector<std::unique_ptr<CRecordingSound>> sounds;
    for (const Row& row : rows) {
        SCOPED_TRACE("format " + std::to_string(row.format) + ", " + std::to_string(row.delivered) + " bytes");
        sounds.push_back(std::make_unique<CRecordingSound>(row.format, 22050, row.delivered));
        ASSERT_EQ(m_device.Play(2, sounds.back().get(), 0, 0), 2);
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
        ALint size = -1;
        alGetBufferi(m_device.m_Voices[2].nBuffer1, AL_SIZE, &size);
        EXPECT_EQ(size, row.uploaded);
        m_device.Stop(2, 0);
    }
}

TEST_F(SoundDeviceOpenALTest, ReplayingASoundOnTheVoiceHoldingItReusesTheUpload) {
    CRecordingSound first(CSound::kMono16, 22050, 4000);
    CRecordingSound second(CSound::kMono16, 22050, 4000);
    ASSERT_EQ(m_device.Play(3, &first, 0, 0), 3);
    ASSERT_EQ(m_device.IsPlaying(3), 1);
    ASSERT_EQ(m_device.Play(3, &first, 1, 0), 3);
    EXPECT_EQ(first.ReadCount(), 1);
    EXPECT_EQ(m_device.IsPlaying(3), 1);
    EXPECT_EQ(SourceInt(3, AL_LOOPING), AL_TRUE);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);

    // Once another sound took the voice, or on another voice, the sound is read again.
    ASSERT_EQ(m_device.Play(3, &second, 0, 0), 3);
    ASSERT_EQ(m_device.Play(3, &first, 0, 0), 3);
    EXPECT_EQ(first.ReadCount(), 2);
    ASSERT_EQ(m_device.Play(4, &first, 0, 0), 4);
    EXPECT_EQ(first.ReadCount(), 3);

    // A stream always starts over.
    CRecordingSound streamed(CSound::kStereo16, kStreamRate, 10 * kChunk);
    ASSERT_EQ(m_device.Play(5, &streamed, 0, 1), 5);
    ASSERT_EQ(m_device.Play(5, &streamed, 0, 1), 5);
    using C = CRecordingSound;
    EXPECT_EQ(streamed.Calls(), (std::vector<C::Call>{C::ReadAt(0, kChunk), C::ReadAt(kChunk, kChunk),
                                                      C::ReadAt(0, kChunk), C::ReadAt(kChunk, kChunk)}));
}

TEST_F(SoundDeviceOpenALTest, PreparingAVoiceThatHoldsTheSoundWholeFollowsTheStreamingAsked) {
    using C = CRecordingSound;
    constexpr int kWholeSize = 3 * kChunk;
    const std::vector<C::Call> streamed = {C::ReadAt(0, kChunk), C::ReadAt(kChunk, kChunk)};
    const std::vector<C::Call> whole = {C::ReadAt(0, kWholeSize)};
    const struct {
        const char* name;
        int voice;
        int stream;
        std::vector<C::Call> reads;  // what preparing the voice again reads
    } rows[] = {
        {"any voice, streamed", CSoundDevice::kAnyVoice, 1, streamed},
        {"any voice, whole", CSoundDevice::kAnyVoice, 0, whole},
        {"its own voice, streamed", 0, 1, streamed},
        {"its own voice, whole: the upload is kept", 0, 0, {}},
    };
    std::vector<std::unique_ptr<CRecordingSound>> sounds;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sounds.push_back(std::make_unique<CRecordingSound>(CSound::kStereo16, kStreamRate, kWholeSize));
        CRecordingSound* sound = sounds.back().get();
        // Voice 0 holds the sound whole and is not playing: the first voice free for any voice.
        ASSERT_EQ(m_device.PrepareVoice(sound, 0, 0, 0), 0);
        ASSERT_EQ(sound->Calls(), whole);
        ASSERT_EQ(m_device.IsPlaying(0), 0);

        ASSERT_EQ(m_device.PrepareVoice(sound, row.stream, row.voice, 0), 0);
        EXPECT_EQ(std::vector<C::Call>(sound->Calls().begin() + 1, sound->Calls().end()), row.reads);
        EXPECT_EQ(m_device.IsStreaming(0), row.stream);
        EXPECT_EQ(m_device.GetVoiceSound(0), sound);
        EXPECT_EQ(SourceInt(0, AL_BUFFERS_QUEUED), row.stream ? 2 : 0);
        ALint size = -1;
        alGetBufferi(m_device.m_Voices[0].nBuffer1, AL_SIZE, &size);
        EXPECT_EQ(size, row.stream ? kChunk : kWholeSize);
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
    }
}

TEST_F(SoundDeviceOpenALTest, AnyVoiceTakesTheFirstVoiceNeitherPlayingNorStreaming) {
    std::vector<std::unique_ptr<CRecordingSound>> sounds;
    for (int i = 0; i < 16; ++i) {
        sounds.push_back(std::make_unique<CRecordingSound>(CSound::kMono16, 22050, 4000));
        const int stream = i == 3 ? 1 : 0;
        EXPECT_EQ(m_device.Play(CSoundDevice::kAnyVoice, sounds.back().get(), 1, stream), i);
    }
    CRecordingSound extra(CSound::kMono16, 22050, 4000);
    EXPECT_EQ(m_device.Play(CSoundDevice::kAnyVoice, &extra, 0, 0), -1);
    EXPECT_EQ(extra.ReadCount(), 0);

    // A stopped voice is free, unless it streams.
    ASSERT_EQ(m_device.Stop(3, 0), 1);
    ASSERT_EQ(m_device.Stop(7, 0), 1);
    EXPECT_EQ(m_device.IsStreaming(3), 1);
    EXPECT_EQ(m_device.Play(CSoundDevice::kAnyVoice, &extra, 0, 0), 7);
    EXPECT_EQ(m_device.GetVoiceSound(7), &extra);
    EXPECT_EQ(m_device.Play(CSoundDevice::kAnyVoice, &extra, 0, 0), -1);
}

TEST_F(SoundDeviceOpenALTest, RestartAllRestartsStoppedVoicesHoldingASound) {
    CRecordingSound stopped(CSound::kMono16, 22050, 4000);
    CRecordingSound playing(CSound::kMono16, 22050, 4000);
    CRecordingSound streamed(CSound::kStereo16, kStreamRate, 10 * kChunk);
    ASSERT_EQ(m_device.Play(0, &stopped, 0, 0), 0);
    ASSERT_EQ(m_device.Play(1, &playing, 1, 0), 1);
    ASSERT_EQ(m_device.Play(2, &streamed, 0, 1), 2);
    CRecordingSound paused(CSound::kMono16, 22050, 4000);
    ASSERT_EQ(m_device.Play(3, &paused, 0, 0), 3);
    m_device.Stop(0, 0);
    m_device.Stop(2, 0);
    m_device.Pause(3);

    CRecordingSound any(CSound::kMono16, 22050, 4000);
    EXPECT_EQ(m_device.Play(CSoundDevice::kRestartAll, &any, 1, 0), CSoundDevice::kRestartAll);
    EXPECT_EQ(m_device.IsPlaying(0), 1);
    EXPECT_EQ(SourceInt(0, AL_LOOPING), AL_TRUE);
    EXPECT_EQ(SourceInt(0, AL_BUFFER), static_cast<ALint>(m_device.m_Voices[0].nBuffer1));
    EXPECT_EQ(m_device.IsPlaying(1), 1);
    EXPECT_EQ(m_device.IsPlaying(2), 0);
    EXPECT_EQ(m_device.IsPlaying(3), 1);
    EXPECT_EQ(SourceInt(3, AL_LOOPING), AL_TRUE);
    EXPECT_EQ(m_device.IsPlaying(4), 0);
    EXPECT_EQ(m_device.GetVoiceSound(4), nullptr);
    EXPECT_EQ(any.ReadCount(), 0);
    EXPECT_EQ(stopped.ReadCount(), 1);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundDeviceOpenALTest, StopRewindsTheSoundOnlyWhenAsked) {
    CRecordingSound sound(CSound::kMono16, 22050, 4000);
    CRecordingSound other(CSound::kMono16, 22050, 4000);
    ASSERT_EQ(m_device.Play(2, &sound, 1, 0), 2);
    EXPECT_EQ(m_device.Stop(2, 0), 1);
    EXPECT_EQ(SourceInt(2, AL_SOURCE_STATE), AL_STOPPED);
    EXPECT_EQ(sound.RewindCount(), 0);
    EXPECT_EQ(m_device.Stop(2, 1), 1);
    EXPECT_EQ(SourceInt(2, AL_SOURCE_STATE), AL_INITIAL);
    EXPECT_EQ(sound.RewindCount(), 1);

    // StopSound stops every voice holding the sound, and no other.
    ASSERT_EQ(m_device.Play(2, &sound, 1, 0), 2);
    ASSERT_EQ(m_device.Play(5, &sound, 1, 0), 5);
    ASSERT_EQ(m_device.Play(6, &other, 1, 0), 6);
    EXPECT_EQ(m_device.IsSoundPlaying(&sound), 1);
    EXPECT_EQ(m_device.StopSound(&sound, 1), 1);
    EXPECT_EQ(m_device.IsPlaying(2), 0);
    EXPECT_EQ(m_device.IsPlaying(5), 0);
    EXPECT_EQ(m_device.IsPlaying(6), 1);
    EXPECT_EQ(sound.RewindCount(), 3);
    EXPECT_EQ(m_device.StopSound(&other, 0), 1);
    EXPECT_EQ(m_device.IsSoundPlaying(&other), 0);
    EXPECT_EQ(other.RewindCount(), 0);
}

TEST_F(SoundDeviceOpenALTest, PauseHoldsAndResumeContinues) {
    CRecordingSound sound(CSound::kMono16, 22050, 4000);
    ASSERT_EQ(m_device.Play(4, &sound, 1, 0), 4);
    EXPECT_EQ(m_device.Pause(4), 1);
    EXPECT_EQ(SourceInt(4, AL_SOURCE_STATE), AL_PAUSED);
    EXPECT_EQ(m_device.IsPlaying(4), 0);
    EXPECT_EQ(m_device.Resume(4), 1);
    EXPECT_EQ(SourceInt(4, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(m_device.Resume(4), 1);
    EXPECT_EQ(SourceInt(4, AL_SOURCE_STATE), AL_PLAYING);
}

TEST_F(SoundDeviceOpenALTest, FrequencyVolumeAndPanReachTheVoiceSource) {
    CRecordingSound sound(CSound::kMono16, 22050, 4000);
    ASSERT_EQ(m_device.Play(6, &sound, 1, 0), 6);
    const ALuint source = Source(6);
    ALfloat value = -1.0f;

    const struct { int hertz; float pitch; } pitches[] = {
        {22050, 1.0f}, {11025, 0.5f}, {44100, 2.0f}, {0, 1.0f}, {-1, 0.001f}, {-44100, 0.001f},
    };
    for (const auto& row : pitches) {
        SCOPED_TRACE("hertz " + std::to_string(row.hertz));
        alSourcef(source, AL_PITCH, 0.3f);
        EXPECT_EQ(m_device.SetFrequency(6, row.hertz), 1);
        alGetSourcef(source, AL_PITCH, &value);
        EXPECT_NEAR(value, row.pitch, 1e-6);
    }

    const struct { int volume; float gain; } gains[] = {
        {0, 1.0f}, {-10000, 0.0f}, {-5000, 0.5f}, {-2500, 0.75f}, {-10001, 0.0f}, {-20000, 0.0f}, {INT_MIN, 0.0f},
    };
    for (const auto& row : gains) {
        SCOPED_TRACE("volume " + std::to_string(row.volume));
        alSourcef(source, AL_GAIN, 0.3f);
        EXPECT_EQ(m_device.SetVolume(6, row.volume), 1);
        alGetSourcef(source, AL_GAIN, &value);
        EXPECT_NEAR(value, row.gain, 1e-6);
    }

    const struct { int pan; float x; } pans[] = {{0, 0.0f}, {10000, 1.0f}, {-10000, -1.0f}, {2500, 0.25f}};
    for (const auto& row : pans) {
        SCOPED_TRACE("pan " + std::to_string(row.pan));
        const ALfloat away[3] = {9.0f, 9.0f, 9.0f};
        alSourcefv(source, AL_POSITION, away);
        EXPECT_EQ(m_device.SetPan(6, row.pan), 1);
        ALfloat position[3] = {-1.0f, -1.0f, -1.0f};
        alGetSourcefv(source, AL_POSITION, position);
        EXPECT_NEAR(position[0], row.x, 1e-6);
        EXPECT_NEAR(position[1], 0.0f, 1e-6);
        EXPECT_NEAR(position[2], -row.x, 1e-6);
    }
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundDeviceOpenALTest, StreamChunksFollowTheDeviceRateAndBits) {
    const struct { int rate; int bits; int chunk; } rows[] = {
        {8000, 8, 64000}, {11025, 8, 88200}, {22050, 16, 352800}, {44100, 16, 705600},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.rate) + " Hz, " + std::to_string(row.bits) + " bits");
        ASSERT_EQ(m_device.Init(0, nullptr, 0, 2, row.rate, row.bits, nullptr), 1);
        CRecordingSound sound(CSound::kStereo16, kStreamRate, 10 * row.chunk);
        ASSERT_EQ(m_device.Play(1, &sound, 0, 1), 1);
        EXPECT_EQ(m_device.IsStreaming(1), 1);
        EXPECT_EQ(m_device.IsSoundStreaming(&sound), 1);
        using C = CRecordingSound;
        EXPECT_EQ(sound.Calls(), (std::vector<C::Call>{C::ReadAt(0, row.chunk), C::ReadAt(row.chunk, row.chunk)}));
        EXPECT_EQ(SourceInt(1, AL_BUFFERS_QUEUED), 2);
        for (ALuint buffer : {m_device.m_Voices[1].nBuffer1, m_device.m_Voices[1].nBuffer2}) {
            ALint size = 0;
            alGetBufferi(buffer, AL_SIZE, &size);
            EXPECT_EQ(size, row.chunk);
        }
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
    }
}

TEST_F(SoundDeviceOpenALTest, StreamRefillsChunkByChunkAndEndsWithASilencePaddedChunk) {
    // Four and a half chunks: the last chunk is half sound, half silence.
    CRecordingSound sound(CSound::kStereo16, kStreamRate, 4 * kChunk + kChunk / 2);
    EXPECT_EQ(m_device.Update(), 0);
    ASSERT_EQ(m_device.Play(0, &sound, 0, 1), 0);

    bool sawPaddedChunk = false;
    int serviced = 0;
    const bool ended = PumpUntil(
        [&] {
            if (!sawPaddedChunk && sound.ReadCount() == 5) {
                sawPaddedChunk = true;
                const std::vector<uint8_t>& chunk = m_device.m_Scratch;
                EXPECT_EQ(std::count(chunk.begin(), chunk.begin() + kChunk / 2, CRecordingSound::kPattern), kChunk / 2);
                EXPECT_EQ(std::count(chunk.begin() + kChunk / 2, chunk.begin() + kChunk, 0), kChunk / 2);
            }
            return !m_device.IsPlaying(0);
        },
        &serviced);
    ASSERT_TRUE(ended) << "the stream never ended; reads: " << sound.ReadCount();
    EXPECT_TRUE(sawPaddedChunk);

    using C = CRecordingSound;
    const std::vector<C::Call> expected = {C::ReadAt(0, kChunk),          C::ReadAt(kChunk, kChunk),
                                           C::ReadAt(2 * kChunk, kChunk), C::ReadAt(3 * kChunk, kChunk),
                                           C::ReadAt(4 * kChunk, kChunk), C::ReadAt(4 * kChunk + kChunk / 2, kChunk)};
    EXPECT_EQ(sound.Calls(), expected);
    EXPECT_EQ(serviced, 4);

    // Nothing is refilled once the stream has run out.
    for (int frame = 0; frame < 20; ++frame)
        EXPECT_EQ(m_device.Update(), 0);
    EXPECT_EQ(sound.Calls().size(), expected.size());
    EXPECT_EQ(m_device.IsStreaming(0), 1);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundDeviceOpenALTest, LoopingStreamWrapsToTheStartAndReplaysFromByteZero) {
    CRecordingSound sound(CSound::kStereo16, kStreamRate, 2 * kChunk + kChunk / 2);
    ASSERT_EQ(m_device.Play(0, &sound, 1, 1), 0);
    ASSERT_TRUE(PumpUntil([&] { return sound.Calls().size() >= 9; })) << "reads: " << sound.ReadCount();
    EXPECT_EQ(m_device.IsPlaying(0), 1);

    using C = CRecordingSound;
    const std::vector<C::Call> expected = {
        C::ReadAt(0, kChunk),
        C::ReadAt(kChunk, kChunk),
        C::ReadAt(2 * kChunk, kChunk),  // half a chunk left: the rest comes from the start
        C::RewindCall(),
        C::ReadAt(0, kChunk / 2),
        C::ReadAt(kChunk / 2, kChunk),
        C::ReadAt(kChunk + kChunk / 2, kChunk),
        C::ReadAt(2 * kChunk + kChunk / 2, kChunk),  // at the very end: nothing before wrapping
        C::RewindCall(),
    };
    ASSERT_GE(sound.Calls().size(), expected.size());
    EXPECT_EQ(std::vector<C::Call>(sound.Calls().begin(), sound.Calls().begin() + 9), expected);

    ASSERT_EQ(m_device.Stop(0, 0), 1);
    const size_t before = sound.Calls().size();
    ASSERT_EQ(m_device.Play(0, &sound, 1, 1), 0);
    ASSERT_GT(sound.Calls().size(), before);
    EXPECT_EQ(sound.Calls()[before], C::ReadAt(0, kChunk));
}

TEST_F(SoundDeviceOpenALTest, LoopingStreamOfASoundWithoutDataRunsOut) {
    CRecordingSound empty(CSound::kStereo16, kStreamRate, 0);
    ASSERT_EQ(m_device.Play(0, &empty, 1, 1), 0);
    EXPECT_EQ(SourceInt(0, AL_BUFFERS_QUEUED), 1);
    EXPECT_TRUE(PumpUntilStopped(0));
    const size_t calls = empty.Calls().size();
    EXPECT_LE(calls, 6u);
    for (int frame = 0; frame < 20; ++frame)
        EXPECT_EQ(m_device.Update(), 0);
    EXPECT_EQ(empty.Calls().size(), calls);
}

TEST_F(SoundDeviceOpenALTest, StreamRefillsAlsoWhenTheSoundSitsStoppedOnAnEarlierVoice) {
    CRecordingSound sound(CSound::kStereo16, kStreamRate, 3 * kChunk);
    ASSERT_EQ(m_device.Play(0, &sound, 0, 0), 0);
    m_device.Stop(0, 0);
    const int readsBefore = sound.ReadCount();
    ASSERT_EQ(m_device.Play(1, &sound, 0, 1), 1);
    int serviced = 0;
    ASSERT_TRUE(PumpUntilStopped(1, &serviced));
    EXPECT_GE(serviced, 1);
    ASSERT_GT(sound.ReadCount(), readsBefore + 2);
    EXPECT_EQ(sound.Calls()[static_cast<size_t>(readsBefore) + 2], CRecordingSound::ReadAt(2 * kChunk, kChunk));
}

TEST_F(SoundDeviceOpenALTest, StreamsAnOggSeveralChunksLongToItsEnd) {
    TempDir dir;
    const std::string path = dir.File("music.ogg");
    // 192000 bytes a second: four and a half chunks.
    ASSERT_TRUE(MakeToneOgg(path, ToneFormat{48000, 2, 16, 1.5, 330.0}));
    CSoundOgg ogg;
    ASSERT_EQ(ogg.Open(path.c_str(), 1), 1);
    ASSERT_GT(ogg.GetDataSize(), 4 * kChunk);

    const int voice = m_device.Play(CSoundDevice::kAnyVoice, &ogg, 0, 1);
    ASSERT_EQ(voice, 0);
    EXPECT_EQ(m_device.IsSoundStreaming(&ogg), 1);
    int serviced = 0;
    EXPECT_TRUE(PumpUntilStopped(voice, &serviced));
    // Chunks three to five, then the one that finds the end.
    EXPECT_EQ(serviced, 4);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundDeviceOpenALTest, ReplayingAVoiceManyTimesLeavesNoBuffersBehind) {
    CRecordingSound first(CSound::kMono16, 22050, 4000);
    CRecordingSound second(CSound::kStereo8, 11025, 3000);
    CRecordingSound streamed(CSound::kStereo16, kStreamRate, 10 * kChunk);
    auto freshBufferName = [] {
        ALuint name = 0;
        alGenBuffers(1, &name);
        alDeleteBuffers(1, &name);
        return name;
    };

    ASSERT_EQ(m_device.Play(0, &first, 1, 0), 0);
    const ALuint nameAfterOnePlay = freshBufferName();
    for (int i = 0; i < 500; ++i) {
        CSound* sound = i % 5 == 4 ? static_cast<CSound*>(&streamed) : i % 2 ? &second : &first;
        // Still playing when replaced, so the source holds its buffers.
        ASSERT_EQ(m_device.Play(0, sound, 1, sound == &streamed), 0);
        ASSERT_EQ(alGetError(), AL_NO_ERROR) << "play " << i;
    }
    EXPECT_LE(freshBufferName(), nameAfterOnePlay);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST(SoundClassesTest, DevicesAndSoundsAreCreatableByName) {
    RegisterSoundClasses();
    struct Row {
        const char* name;
        CClass* parent;
        bool (*isExpected)(CObject*);
    };
    const Row rows[] = {
        {"CSoundDeviceOpenAL", CSoundDevice::GetStaticClass(),
         [](CObject* o) { return dynamic_cast<CSoundDeviceOpenAL*>(o) != nullptr; }},
        {"CSoundWave", CSound::GetStaticClass(), [](CObject* o) { return dynamic_cast<CSoundWave*>(o) != nullptr; }},
        {"CSoundOgg", CSound::GetStaticClass(), [](CObject* o) { return dynamic_cast<CSoundOgg*>(o) != nullptr; }},
        {"CScriptSound", CObject::GetStaticClass(),
         [](CObject* o) { return dynamic_cast<CScriptSound*>(o) != nullptr; }},
        {"CSoundHandler", CObject::GetStaticClass(),
         [](CObject* o) { return dynamic_cast<CSoundHandler*>(o) != nullptr; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CClass* record = CClass::FindClass(row.name);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->m_pParent, row.parent);
        CObject* object = record->CreateObject();
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->m_pClass, record);
        EXPECT_TRUE(row.isExpected(object));
        delete object;
    }
    EXPECT_NE(CClass::FindClass("CSoundDevice"), nullptr);
    EXPECT_NE(CClass::FindClass("CSound"), nullptr);
    // The silent device is made directly, never by name.
    EXPECT_EQ(CClass::FindClass("CSoundDeviceNull"), nullptr);
}

}  // namespace
