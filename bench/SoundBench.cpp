// The sound device's frame update with all 16 voices streaming music: the frame that finds
// every voice's first buffer played refills one chunk for each (read, upload, queue again),
// and the common frame finds nothing to do. Runs on OpenAL Soft's null output.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sound/SoundDeviceOpenAL.h"
#include "engine/sound/SoundOgg.h"

namespace {

// The game's device settings.
constexpr int kDeviceRate = 22050;
constexpr int kDeviceBits = 16;

// Music already in memory, so that reading is one copy and the device's own cost shows.
class CMemorySound : public CSound {
public:
    explicit CMemorySound(int dataSize) : m_data(static_cast<size_t>(dataSize)) {
        for (size_t i = 0; i < m_data.size(); ++i)
            m_data[i] = static_cast<uint8_t>(i * 7);
    }
    int Open(const char*, int) override { return 1; }
    void Close() override {}
    int GetBitsPerSample() override { return 16; }
    int GetSampleRate() override { return 22050; }
    int GetFileSize() override { return GetDataSize(); }
    int GetDataSize() override { return static_cast<int>(m_data.size()); }
    int GetFormat() override { return kStereo16; }
    int Read(void* destination, int position, int size) override {
        const int delivered = std::max(0, std::min(size, GetDataSize() - position));
        memcpy(destination, m_data.data() + position, static_cast<size_t>(delivered));
        return delivered;
    }
    void Rewind() override {}

private:
    std::vector<uint8_t> m_data;
};

// An Ogg Vorbis tone made by sox and oggenc for the run, if those tools are there.
class OggTone {
public:
    OggTone() {
        char folder[] = "/tmp/brenlow-sound-bench-XXXXXX";
        if (!mkdtemp(folder))
            return;
        m_folder = folder;
        m_wav = m_folder + "/tone.wav";
        const std::string ogg = m_folder + "/tone.ogg";
        const std::string command = "sox -n -r 22050 -c 2 -b 16 -e signed-integer '" + m_wav +
                                    "' synth 10 sine 440 sine 660 vol 0.5 && oggenc -Q -o '" + ogg + "' '" + m_wav +
                                    "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0)
            m_path = ogg;
    }
    ~OggTone() {
        if (m_folder.empty())
            return;
        std::remove(m_wav.c_str());
        std::remove((m_folder + "/tone.ogg").c_str());
        std::remove(m_folder.c_str());
    }

    // Empty when the tone could not be made.
    const std::string& Path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_wav;
    std::string m_path;
};

const std::string& OggTonePath() {
    static const OggTone tone;
    return tone.Path();
}

std::unique_ptr<CSound> MakeMemorySound() {
    // A little over three chunks, so that the voices also wrap round while looping.
    return std::make_unique<CMemorySound>(1100000);
}

std::unique_ptr<CSound> MakeOggSound() {
    auto ogg = std::make_unique<CSoundOgg>();
    if (OggTonePath().empty() || !ogg->Open(OggTonePath().c_str(), 1))
        return nullptr;
    return ogg;
}

// A device with every voice streaming its own looping sound; false (and the benchmark
// skipped) when that cannot be set up.
bool StartStreams(benchmark::State& state, CSoundDeviceOpenAL& device,
                  const std::function<std::unique_ptr<CSound>()>& makeSound,
                  std::vector<std::unique_ptr<CSound>>* sounds) {
    if (!device.Init(0, nullptr, 0, 2, kDeviceRate, kDeviceBits, nullptr)) {
        state.SkipWithError("no OpenAL device opened");
        return false;
    }
    for (int voice = 0; voice < CSoundDeviceOpenAL::kVoiceCount; ++voice) {
        sounds->push_back(makeSound());
        if (!sounds->back()) {
            state.SkipWithError("no sound (sox and oggenc are needed for the Ogg Vorbis case)");
            return false;
        }
        if (device.Play(voice, sounds->back().get(), 1, 1) != voice) {
            state.SkipWithError("a voice would not stream");
            return false;
        }
    }
    return true;
}

// Moves every source to the start of its second buffer, so that the first counts as played:
// the state a frame meets once a chunk's worth of time has passed.
void FinishFirstBuffers(CSoundDeviceOpenAL& device) {
    const ALint chunkFrames = static_cast<ALint>(device.ChunkSize() / 4);
    for (const CSoundDeviceOpenAL::Voice& voice : device.m_Voices)
        alSourcei(voice.nSource, AL_SAMPLE_OFFSET, chunkFrames);
}

void RefillEveryVoice(benchmark::State& state, const std::function<std::unique_ptr<CSound>()>& makeSound) {
    CSoundDeviceOpenAL device;
    std::vector<std::unique_ptr<CSound>> sounds;
    if (!StartStreams(state, device, makeSound, &sounds))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        FinishFirstBuffers(device);
        state.ResumeTiming();
        if (device.Update() != 1) {
            state.SkipWithError("Update refilled nothing");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * CSoundDeviceOpenAL::kVoiceCount *
                            static_cast<int64_t>(device.ChunkSize()));
}

void BM_UpdateRefillsSixteenMemoryStreams(benchmark::State& state) {
    RefillEveryVoice(state, MakeMemorySound);
}
BENCHMARK(BM_UpdateRefillsSixteenMemoryStreams)->Unit(benchmark::kMillisecond);

void BM_UpdateRefillsSixteenOggStreams(benchmark::State& state) {
    RefillEveryVoice(state, MakeOggSound);
}
BENCHMARK(BM_UpdateRefillsSixteenOggStreams)->Unit(benchmark::kMillisecond);

// A chunk lasts seconds, so most frames only ask each source how far it got.
void BM_UpdateWithNothingToRefill(benchmark::State& state) {
    CSoundDeviceOpenAL device;
    std::vector<std::unique_ptr<CSound>> sounds;
    if (!StartStreams(state, device, MakeMemorySound, &sounds))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(device.Update());
}
BENCHMARK(BM_UpdateWithNothingToRefill);

}  // namespace

int main(int argc, char** argv) {
    // OpenAL Soft reads these once, at its first call: no sound card needed, and no chatter.
    setenv("ALSOFT_DRIVERS", "null", 1);
    setenv("ALSOFT_LOGLEVEL", "0", 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
