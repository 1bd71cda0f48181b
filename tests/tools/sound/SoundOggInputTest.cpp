// make_sound encoding WAV files that sox writes as Ogg Vorbis: the rate, the channels and the
// length kept, oggdec agreeing, and the sound itself kept within what a lossy codec changes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"
#include "tests/tools/sound/SoundToolChecks.h"

namespace {

// The root of the mean square difference between two sounds, over full scale.
double RelativeError(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += (a[i] - b[i]) * static_cast<double>(a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(a.size())) / 32768.0;
}

TEST(MakeSound, EncodesAWaveAsOggKeepingRateChannelsAndLength) {
    const ToneFormat kTones[] = {
        {22050, 1, 16, 0.5, 440.0},
        {44100, 2, 16, 0.3, 300.0},
        {11025, 1, 8, 0.4, 500.0},
        {48000, 2, 8, 0.2, 1000.0},
    };
    TempDir dir;
    for (const ToneFormat& tone : kTones) {
        SCOPED_TRACE(std::to_string(tone.sampleRate) + " Hz, " + std::to_string(tone.channels) + " channels, " +
                     std::to_string(tone.bits) + " bits");
        const std::string source = dir.File("voice.wav");
        ASSERT_TRUE(MakeToneWav(source, tone)) << "is sox installed?";
        // The recipe's path starts at the recipe's folder, wherever the tool runs.
        WriteText(dir.File("voice.txt"), "# a voice clip\ninput \"voice.wav\"\n");
        const std::string ogg = dir.File("voice.ogg");
        ASSERT_EQ(MakeSound(dir.File("voice.txt"), ogg), 0);

        const CEngineSound wave = ReadWithSoundWave(source);
        const CEngineSound decoded = ReadWithSoundOgg(ogg);
        EXPECT_EQ(decoded.rate, tone.sampleRate);
        EXPECT_EQ(decoded.channels, tone.channels);
        EXPECT_EQ(decoded.samples.size(), wave.samples.size());
        EXPECT_EQ(OggdecSampleCount(ogg), static_cast<long>(wave.samples.size()));
        EXPECT_EQ(wave.samples, SoxSamples(source)) << "the engine reads the source as sox does";
        EXPECT_LT(RelativeError(wave.samples, decoded.samples), 0.02) << "the same tone after encoding";
    }
}

}  // namespace
