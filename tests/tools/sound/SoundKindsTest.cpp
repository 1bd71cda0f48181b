// Every kind of sound make_sound makes, short, as WAV and as Ogg Vorbis: what soxi reads of
// the WAV files, CSoundWave's samples against sox's, CSoundOgg's and oggdec's decoding of the
// Ogg files; none clipped, none silent, effects ending at 0, loops without a jump at the seam;
// and the same bytes from the same recipe.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/tools/sound/SoundToolChecks.h"

namespace {

constexpr int kRate = 22050;
// Far above what dither or a silent mix would show, far below the default peak (0.8 of full
// scale).
constexpr int kAudible = 8000;

struct CSoundCase {
    const char* name;
    const char* recipe;
    double seconds;  // as the recipe's lengths, starts, beats and tempo add up
    bool bLoop;
};

const CSoundCase kCases[] = {
    {"noise burst", "layer noise\nlength 0.2\nenvelope 0 0.2 3\n", 0.2, false},
    {"explosion: low pass swept down",
     "seed 5\nlayer noise\nlength 0.5\nfilter lowpass 4000 150\nenvelope 0.01 0.45 2\n", 0.5, false},
    {"hiss: high pass", "layer noise\nlength 0.1\nfilter highpass 3000\n", 0.1, false},
    {"whoosh: band pass swept up", "layer noise\nlength 0.3\nfilter bandpass 300 3000\nenvelope 0.1 0.2\n", 0.3, false},
    {"sine blip sliding down", "layer tone\npitch 1200 600\nlength 0.08\n", 0.08, false},
    {"square click", "layer tone\nwave square\npitch 2000\nlength 0.02\nenvelope 0.001 0.015\n", 0.02, false},
    {"saw buzz", "layer tone\nwave saw\npitch E3\nlength 0.15\n", 0.15, false},
    {"triangle beep", "layer tone\nwave triangle\npitch C6\nlength 0.1\n", 0.1, false},
    {"fm bell", "layer fm\npitch A5\nratio 1.4\nindex 4\nlength 0.6\nenvelope 0.002 0.55 3\n", 0.6, false},
    {"jingle of tones with a rest", "layer tone\ntempo 300\nnote C5 1\nnote rest 0.5\nnote E5 1\nnote G5 1.5\n",
     4.0 * 60 / 300, false},
    {"jingle of fm notes over a bass",
     "layer fm\ntempo 240\nratio 2\nindex 1.5\nnote G4 1\nnote C5 2\n"
     "layer tone\nwave triangle\nstart 0.3\ntempo 240\nnote C3 2\n",
     0.3 + 2.0 * 60 / 240, false},
    {"impact: layers mixed past full scale",
     "layer noise\nlength 0.3\nfilter lowpass 800\nenvelope 0 0.3 4\n"
     "layer tone\npitch 80 40\nlength 0.25\nenvelope 0 0.25\n"
     "layer tone\npitch 80 40\nlength 0.25\nenvelope 0 0.25\nstart 0.05\n",
     0.3, false},
    {"motor loop: saw and band-passed noise",
     "loop 0.25\nlayer tone\nwave saw\npitch 97\nlayer noise\nfilter bandpass 500\ngain 0.3\n", 0.25, true},
    {"vacuum loop: low-passed noise", "loop 0.2\nlayer noise\nfilter lowpass 400\n", 0.2, true},
    {"gramophone loop: fm", "volume 0.5\nloop 0.3\nlayer fm\npitch 333\nratio 0.5\nindex 2\n", 0.3, true},
};

size_t SampleCount(const CSoundCase& sound) {
    return static_cast<size_t>(sound.seconds * kRate + 0.5);
}

// The case's recipe made into "sound<extension>" in the folder; its path, or empty when the
// tool fails.
std::string Make(const TempDir& dir, const CSoundCase& sound, const char* extension) {
    const std::string recipe = dir.File("sound.txt");
    const std::string out = dir.File(std::string("sound") + extension);
    WriteText(recipe, sound.recipe);
    return MakeSound(recipe, out) == 0 ? out : std::string();
}

// Mono at the tool's rate, the length the recipe adds up to, neither silent nor clipped.
void ExpectTheRecipesSound(const CEngineSound& read, const CSoundCase& sound) {
    EXPECT_EQ(read.rate, kRate);
    EXPECT_EQ(read.channels, 1);
    EXPECT_EQ(read.bits, 16);
    EXPECT_EQ(read.samples.size(), SampleCount(sound));
    EXPECT_GT(Peak(read.samples), kAudible) << "not silent";
    EXPECT_LT(LongestFullScaleRun(read.samples), 2u) << "not clipped";
}

TEST(MakeSound, EveryKindWritesAWaveSoxAndTheEngineRead) {
    TempDir dir;
    for (const CSoundCase& sound : kCases) {
        SCOPED_TRACE(sound.name);
        const std::string wav = Make(dir, sound, ".wav");
        ASSERT_FALSE(wav.empty());
        EXPECT_EQ(Soxi(wav), "22050 1 16 " + std::to_string(SampleCount(sound)));
        const std::vector<int16_t> sox = SoxSamples(wav);
        const CEngineSound engine = ReadWithSoundWave(wav);
        ExpectTheRecipesSound(engine, sound);
        ASSERT_EQ(engine.samples, sox) << "the engine reads what sox reads, sample for sample";
        if (sound.bLoop) {
            const int seam = std::abs(sox.front() - sox.back());
            EXPECT_LE(seam, LargestStep(sox)) << "the last sample leads into the first";
        } else {
            EXPECT_EQ(sox.back(), 0) << "the envelope ends at 0";
        }
    }
}

TEST(MakeSound, EveryKindWritesAnOggTheEngineAndOggdecDecode) {
    TempDir dir;
    for (const CSoundCase& sound : kCases) {
        SCOPED_TRACE(sound.name);
        const std::string ogg = Make(dir, sound, ".ogg");
        ASSERT_FALSE(ogg.empty());
        ExpectTheRecipesSound(ReadWithSoundOgg(ogg), sound);
        EXPECT_EQ(OggdecSampleCount(ogg), static_cast<long>(SampleCount(sound)));
    }
}

TEST(MakeSound, TheSameRecipeGivesTheSameBytes) {
    TempDir dir;
    const std::string recipe =
        "seed 12\nlayer noise\nlength 0.3\nfilter bandpass 200 2000\n"
        "layer fm\ntempo 200\nnote D5 1\nnote A5 1\n";
    WriteText(dir.File("sound.txt"), recipe);
    WriteText(dir.File("reseeded.txt"), "seed 13" + recipe.substr(recipe.find('\n')));
    for (const char* extension : {".wav", ".ogg"}) {
        SCOPED_TRACE(extension);
        const std::string first = dir.File(std::string("first") + extension);
        const std::string second = dir.File(std::string("second") + extension);
        const std::string reseeded = dir.File(std::string("reseeded") + extension);
        ASSERT_EQ(MakeSound(dir.File("sound.txt"), first), 0);
        ASSERT_EQ(MakeSound(dir.File("sound.txt"), second), 0);
        ASSERT_EQ(MakeSound(dir.File("reseeded.txt"), reseeded), 0);
        EXPECT_EQ(ReadBytes(first), ReadBytes(second));
        EXPECT_NE(ReadBytes(first), ReadBytes(reseeded)) << "another seed, other noise";
    }
}

}  // namespace
