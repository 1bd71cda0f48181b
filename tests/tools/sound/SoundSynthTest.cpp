// The synthesiser's sound against what its recipes ask for, worked out in the test: pitches
// counted in cycles, notes in their time slots, filters by how rough their noise is, the
// mix's peak at the volume however loud the layers add up, starts and loops.
#include "tools/sound/SoundSynth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/sound/SoundRecipe.h"
#include "tools/sound/SoundRecipeWords.h"

namespace {

constexpr double kRate = 22050.0;

std::vector<int16_t> Synthesise(const std::string& text) {
    CSoundRecipe recipe;
    int line = 0;
    std::string error;
    EXPECT_TRUE(ParseSoundRecipe(text, &recipe, &line, &error)) << line << ": " << error;
    std::vector<int16_t> samples;
    EXPECT_TRUE(SynthesiseSound(recipe, &samples, &line, &error)) << line << ": " << error;
    return samples;
}

size_t At(double seconds) {
    return static_cast<size_t>(std::lround(seconds * kRate));
}

// Upward zero crossings between two times: whole cycles of a pitched sound.
int Cycles(const std::vector<int16_t>& samples, double from, double to) {
    int cycles = 0;
    for (size_t i = At(from) + 1; i < At(to) && i < samples.size(); ++i)
        cycles += samples[i - 1] < 0 && samples[i] >= 0 ? 1 : 0;
    return cycles;
}

// How far a sample moves on against how far the sound swings: 2 sin(pi f / rate) for a sine
// of f hertz, so low sounds are smooth and high ones rough.
double Roughness(const std::vector<int16_t>& samples) {
    double steps = 0.0;
    double level = 0.0;
    for (size_t i = 1; i < samples.size(); ++i) {
        const double step = samples[i] - samples[i - 1];
        steps += step * step;
        level += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(steps / level);
}

TEST(SoundSynth, NoteNamesAreEqualTemperedFromA440) {
    const struct {
        const char* name;
        double hertz;
    } kNotes[] = {{"A4", 440.0},     {"A5", 880.0},     {"A0", 27.5},     {"C4", 261.6256},
                  {"C#5", 554.3653}, {"Bb3", 233.0819}, {"E2", 82.40689}, {"G8", 6271.927}};
    for (const auto& note : kNotes) {
        double hertz = 0.0;
        EXPECT_TRUE(ReadNoteName(note.name, &hertz)) << note.name;
        EXPECT_NEAR(hertz, note.hertz, note.hertz * 1e-6) << note.name;
    }
    for (const char* bad : {"H4", "A9", "a4", "A#", "A##4", "Ax4", "4", ""}) {
        double hertz = 0.0;
        EXPECT_FALSE(ReadNoteName(bad, &hertz)) << bad;
    }
}

TEST(SoundSynth, PitchesAreWhatTheRecipeAsks) {
    const struct {
        const char* name;
        const char* recipe;
        double from, to;  // seconds
        double cycles;    // worked out from the pitch
    } kCases[] = {
        {"sine", "layer tone\npitch 441\nlength 1\n", 0.0, 1.0, 441},
        {"square", "layer tone\nwave square\npitch 300\nlength 0.5\n", 0.0, 0.5, 150},
        {"fm, the carrier's pitch", "layer fm\npitch 200\nratio 1\nindex 0.5\nlength 1\n", 0.0, 1.0, 200},
        // 200 hertz rising to 800 in equal ratios: 200 * 4^t, integrated over each tenth.
        {"slide, first tenth", "layer tone\npitch 200 800\nlength 1\n", 0.0, 0.1,
         200 * (std::pow(4, 0.1) - 1) / std::log(4)},
        {"slide, last tenth", "layer tone\npitch 200 800\nlength 1\n", 0.9, 1.0,
         200 * (4 - std::pow(4, 0.9)) / std::log(4)},
        // A second a beat at 60 beats a minute: A4, a rest, A5.
        {"first note", "layer tone\ntempo 60\nnote A4 1\nnote rest 1\nnote A5 1\n", 0.0, 1.0, 440},
        {"the rest", "layer tone\ntempo 60\nnote A4 1\nnote rest 1\nnote A5 1\n", 1.0, 2.0, 0},
        {"third note", "layer tone\ntempo 60\nnote A4 1\nnote rest 1\nnote A5 1\n", 2.0, 3.0, 880},
        {"a sharp, a comment behind it", "layer tone\ntempo 60\nnote C#5 1 # the leading note\n", 0.0, 1.0, 554},
        // 443 hertz would be 44.3 cycles in a tenth of a second: a loop takes 44.
        {"loop", "loop 0.1\nlayer tone\npitch 443\n", 0.0, 0.1, 44},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<int16_t> samples = Synthesise(c.recipe);
        EXPECT_NEAR(Cycles(samples, c.from, c.to), c.cycles, 1.0);
    }
}

TEST(SoundSynth, ARestIsSilence) {
    const std::vector<int16_t> samples = Synthesise("layer tone\ntempo 60\nnote A4 1\nnote rest 1\nnote A5 1\n");
    ASSERT_EQ(samples.size(), At(3.0));
    for (size_t i = At(1.0); i < At(2.0); ++i)
        ASSERT_EQ(samples[i], 0) << "at " << i;
    EXPECT_EQ(samples[At(1.0) - 1], 0) << "a note ends at 0";
}

TEST(SoundSynth, FiltersShapeTheNoise) {
    const struct {
        const char* filter;
        double least, most;  // roughness, around 2 sin(pi f / rate) for the band let through
    } kFilters[] = {
        {"lowpass 300", 0.0, 0.25},
        {"bandpass 1000", 0.15, 0.6},
        {"highpass 6000", 1.2, 2.0},
    };
    for (const auto& f : kFilters) {
        SCOPED_TRACE(f.filter);
        const double roughness = Roughness(Synthesise(std::string("layer noise\nlength 1\nfilter ") + f.filter + "\n"));
        EXPECT_GT(roughness, f.least);
        EXPECT_LT(roughness, f.most);
    }
}

TEST(SoundSynth, TheMixPeaksAtTheVolumeHoweverTheLayersAddUp) {
    const std::string layer = "layer tone\npitch 100\nlength 0.2\n";
    const struct {
        std::string recipe;
        double volume;
    } kMixes[] = {
        {layer, 0.8},
        {layer + layer + layer + layer, 0.8},  // four in phase: four times full scale
        {"volume 0.5\n" + layer + layer, 0.5},
        {"volume 0.95\nlayer noise\nlength 0.2\nlayer noise\nlength 0.2\nlayer tone\nwave square\npitch 50\nlength "
         "0.2\n",
         0.95},
    };
    for (const auto& mix : kMixes) {
        SCOPED_TRACE(mix.recipe);
        int peak = 0;
        for (const int16_t sample : Synthesise(mix.recipe))
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        EXPECT_EQ(peak, std::lround(mix.volume * 32767));
    }
}

TEST(SoundSynth, ALayerStartsWhereTheRecipeSays) {
    const std::vector<int16_t> samples = Synthesise("layer noise\nstart 0.25\nlength 0.25\nenvelope 0 0.1\n");
    ASSERT_EQ(samples.size(), At(0.5));
    for (size_t i = 0; i < At(0.25); ++i)
        ASSERT_EQ(samples[i], 0) << "at " << i;
    EXPECT_NE(samples[At(0.25)], 0) << "no attack: the noise starts at once";
}

}  // namespace
