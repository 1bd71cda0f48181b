// What the device actually mixes: OpenAL Soft's wave driver writes the output to the file that
// the configuration named by ALSOFT_CONF gives, and sox turns it back into plain samples.
#include "engine/sound/SoundDeviceOpenAL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/sound/SoundOgg.h"
#include "engine/sound/SoundWave.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kDeviceRate = 22050;

// The "file" of the [wave] block in OpenAL Soft's configuration; empty when there is none.
std::string WaveOutputPath() {
    const char* config = getenv("ALSOFT_CONF");
    if (!config)
        return "";
    std::istringstream lines(ReadText(config));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (line.rfind("file", 0) != 0 || equals == std::string::npos)
            continue;
        const size_t start = line.find_first_not_of(" \t", equals + 1);
        return start == std::string::npos ? "" : line.substr(start);
    }
    return "";
}

// The output as mono 16-bit samples at the device rate, without dither so silence stays zero.
std::vector<int16_t> DecodeOutput(const std::string& wavPath, const std::string& rawPath) {
    if (!RunTool("sox -D '" + wavPath + "' -r " + std::to_string(kDeviceRate) +
                 " -c 1 -b 16 -e signed-integer -t raw '" + rawPath + "'"))
        return {};
    const std::vector<unsigned char> bytes = ReadBytes(rawPath);
    std::vector<int16_t> samples(bytes.size() / 2);
    memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

struct Loudness {
    int peak = 0;
    // Between the first and the last sample of at least half the peak.
    size_t begin = 0;
    size_t end = 0;
    int signChanges = 0;
};

Loudness Measure(const std::vector<int16_t>& samples) {
    Loudness result;
    for (int16_t sample : samples)
        result.peak = std::max(result.peak, std::abs(static_cast<int>(sample)));
    if (result.peak == 0)
        return result;
    const auto loud = [&](int16_t sample) { return 2 * std::abs(static_cast<int>(sample)) >= result.peak; };
    while (!loud(samples[result.begin]))
        ++result.begin;
    result.end = samples.size();
    while (!loud(samples[result.end - 1]))
        --result.end;
    for (size_t i = result.begin + 1; i < result.end; ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++result.signChanges;
    }
    return result;
}

struct OutputCase {
    const char* name;
    bool ogg;
    ToneFormat tone;
    int bStream;
    int volume;
    bool audible;
};

std::unique_ptr<CSound> OpenTone(const OutputCase& row, const TempDir& dir) {
    const std::string path = dir.File(row.ogg ? "tone.ogg" : "tone.wav");
    if (row.ogg) {
        auto ogg = std::make_unique<CSoundOgg>();
        if (!MakeToneOgg(path, row.tone) || !ogg->Open(path.c_str(), 1))
            return nullptr;
        return ogg;
    }
    auto wave = std::make_unique<CSoundWave>();
    if (!MakeToneWav(path, row.tone) || !wave->Open(path.c_str(), 1))
        return nullptr;
    return wave;
}

TEST(SoundDeviceOutputTest, LoopingTonesReachTheMixedOutputAtTheirPitch) {
    const std::string outputPath = WaveOutputPath();
    if (outputPath.empty())
        GTEST_SKIP() << "needs ALSOFT_DRIVERS=wave and ALSOFT_CONF naming a [wave] file";

    // Whole cycles in each tone, so that looping joins them seamlessly.
    const OutputCase rows[] = {
        {"WAV at half the device rate", false, ToneFormat{11025, 1, 16, 0.2, 440.0}, 0, 0, true},
        {"Ogg streamed", true, ToneFormat{16000, 1, 16, 0.25, 660.0}, 1, 0, true},
        {"WAV at three quarters gain", false, ToneFormat{22050, 1, 16, 0.2, 550.0}, 0, -2500, true},
        {"WAV turned down fully", false, ToneFormat{22050, 1, 16, 0.2, 440.0}, 0, -10000, false},
    };
    for (const OutputCase& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        std::unique_ptr<CSound> sound = OpenTone(row, dir);
        ASSERT_NE(sound, nullptr);
        std::remove(outputPath.c_str());

        {
            CSoundDeviceOpenAL device;
            ASSERT_EQ(device.Init(0, nullptr, 0, 2, kDeviceRate, 16, nullptr), 1);
            const int voice = device.Play(CSoundDevice::kAnyVoice, sound.get(), 1, row.bStream);
            ASSERT_EQ(voice, 0);
            ASSERT_EQ(device.SetVolume(voice, row.volume), 1);
            // The driver mixes in real time: half a second of frames.
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
            while (std::chrono::steady_clock::now() < end) {
                device.Update();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            EXPECT_EQ(device.IsPlaying(voice), 1);
            device.Release();
        }

        const std::vector<int16_t> samples = DecodeOutput(outputPath, dir.File("output.raw"));
        ASSERT_GT(samples.size(), static_cast<size_t>(kDeviceRate / 4)) << "the driver wrote too little";
        const Loudness loudness = Measure(samples);
        if (!row.audible) {
            EXPECT_EQ(loudness.peak, 0);
            continue;
        }
        // sox's tones peak at half of full scale, OpenAL Soft mixes a centred mono voice into
        // each side at about 0.6 of that, and the volume scales it on.
        const double expectedPeak = 0.5 * 32767 * 0.6 * (1.0 + row.volume / 10000.0);
        EXPECT_GT(loudness.peak, expectedPeak * 0.85);
        EXPECT_LT(loudness.peak, expectedPeak * 1.15);
        const double seconds = static_cast<double>(loudness.end - loudness.begin) / kDeviceRate;
        ASSERT_GT(seconds, 0.1) << "too little of the tone reached the output";
        EXPECT_NEAR(loudness.signChanges / 2.0 / seconds, row.tone.hertz, row.tone.hertz * 0.02);
    }
}

}  // namespace
