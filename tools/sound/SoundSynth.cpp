#include "tools/sound/SoundSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/sound/SoundFilter.h"
#include "tools/sound/SoundRandom.h"

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kFullScale = 32767.0;

size_t Samples(double seconds) {
    return static_cast<size_t>(std::llround(seconds * kSoundRate));
}

// A stretch of a layer that one pitch, or one note, plays: its samples from the layer's
// start, and its pitch from the first sample to the last.
struct CSpan {
    size_t first = 0;
    size_t count = 0;
    double hertz = 0.0;
    double endHertz = 0.0;
};

// Every span starts and ends on the sample nearest its time in the sound, so that roundings
// never add up: a layer of 0.25 seconds from 0.05 ends at 0.3 seconds' sample.
std::vector<CSpan> Spans(const CSoundLayer& layer) {
    const size_t origin = Samples(layer.start);
    const auto from = [&](double seconds) { return Samples(layer.start + seconds) - origin; };
    if (layer.notes.empty()) {
        const double end = layer.endPitch > 0 ? layer.endPitch : layer.pitch;
        return {{0, std::max<size_t>(1, from(layer.length)), layer.pitch, end}};
    }
    std::vector<CSpan> spans;
    double beats = 0.0;
    for (const CSoundNote& note : layer.notes) {
        const size_t first = from(beats * 60.0 / layer.tempo);
        beats += note.beats;
        spans.push_back({first, from(beats * 60.0 / layer.tempo) - first, note.hertz, note.hertz});
    }
    return spans;
}

size_t LayerSampleCount(const CSoundLayer& layer) {
    const CSpan last = Spans(layer).back();
    return last.first + last.count;
}

// Rises from 0 over the attack, holds 1, falls over the release to 0 at the last sample; the
// two shrink in proportion when they do not fit.
double Envelope(const CSoundLayer& layer, size_t index, size_t count) {
    double attack = layer.attack * kSoundRate;
    double release = std::max(1.0, layer.release * kSoundRate);
    if (attack + release > count) {
        const double shrink = count / (attack + release);
        attack *= shrink;
        release = std::max(1.0, release * shrink);
    }
    const double i = static_cast<double>(index);
    const double rise = i < attack ? i / attack : 1.0;
    const double left = static_cast<double>(count - 1 - index);
    const double fall = left < release ? std::pow(left / release, layer.curve) : 1.0;
    return rise * fall;
}

// The step a wave makes once a cycle, smoothed over the samples next to it (polyBLEP), so
// square and saw waves do not alias into a hiss; `step` is the phase a sample advances.
double SmoothedStep(double phase, double step) {
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// One sample of a tone's wave at a phase in cycles, [0, 1).
double WaveSample(ESoundWave wave, double phase, double step) {
    switch (wave) {
    case ESoundWave::kSine:
        return std::sin(kTwoPi * phase);
    case ESoundWave::kSquare: {
        const double half = phase < 0.5 ? phase + 0.5 : phase - 0.5;
        return (phase < 0.5 ? 1.0 : -1.0) + SmoothedStep(phase, step) - SmoothedStep(half, step);
    }
    case ESoundWave::kSaw:
        return 2.0 * phase - 1.0 - SmoothedStep(phase, step);
    case ESoundWave::kTriangle:
        return 4.0 * std::fabs(phase - 0.5) - 1.0;
    }
    return 0.0;
}

// A tone's wave, or for fm a sine whose phase a second sine moves by `depth` radians.
double PitchedSample(const CSoundLayer& layer, double phase, double step, double modulatorPhase, double depth) {
    if (layer.kind == ESoundLayerKind::kFm)
        return std::sin(kTwoPi * phase + depth * std::sin(kTwoPi * modulatorPhase));
    return WaveSample(layer.wave, phase, step);
}

double Wrapped(double phase) {
    return phase - std::floor(phase);
}

// From `from` at t = 0 to `to` at t = 1 in equal ratios, as pitch is heard.
double Glide(double from, double to, double t) {
    return from * std::pow(to / from, t);
}

void RenderPitched(const CSoundLayer& layer, std::vector<double>* out) {
    for (const CSpan& span : Spans(layer)) {
        if (span.hertz == 0.0)
            continue;  // a rest
        double phase = 0.0;
        double modulator = 0.0;
        for (size_t i = 0; i < span.count; ++i) {
            const double t = span.count > 1 ? static_cast<double>(i) / static_cast<double>(span.count - 1) : 0.0;
            const double step = Glide(span.hertz, span.endHertz, t) / kSoundRate;
            const double envelope = Envelope(layer, i, span.count);
            (*out)[span.first + i] = envelope * PitchedSample(layer, phase, step, modulator, layer.index * envelope);
            phase = Wrapped(phase + step);
            modulator = Wrapped(modulator + step * layer.ratio);
        }
    }
}

// A loop's tone: whole cycles of carrier and modulator in `count` samples, the phases taken
// exactly from the sample's index so that sample `count` would be sample 0 again.
void RenderPitchedLoop(const CSoundLayer& layer, std::vector<double>* out) {
    const size_t count = out->size();
    const auto cycles = [&](double hertz) { return static_cast<uint64_t>(std::llround(hertz * count / kSoundRate)); };
    const uint64_t carrier = std::max<uint64_t>(1, cycles(layer.pitch));
    const uint64_t modulator = cycles(layer.pitch * layer.ratio);
    const double step = static_cast<double>(carrier) / static_cast<double>(count);
    for (size_t i = 0; i < count; ++i) {
        const double phase = static_cast<double>(carrier * i % count) / static_cast<double>(count);
        const double modulatorPhase = static_cast<double>(modulator * i % count) / static_cast<double>(count);
        (*out)[i] = PitchedSample(layer, phase, step, modulatorPhase, layer.index);
    }
}

// Seeded white noise through the layer's filter. A loop's noise goes round the filter twice
// and keeps the second pass, which starts from the state the first one ended in: the seam
// is then as smooth as any other step.
void RenderNoise(const CSoundLayer& layer, CSoundRandom* random, bool bLoop, std::vector<double>* out) {
    const size_t count = out->size();
    for (double& sample : *out)
        sample = random->Signed();
    CSoundFilter filter(layer.filter);
    filter.SetCutoff(layer.cutoff);
    const double endCutoff = layer.endCutoff > 0 ? layer.endCutoff : layer.cutoff;
    for (int pass = bLoop ? 2 : 1; pass > 0; --pass) {
        for (size_t i = 0; i < count; ++i) {
            if (endCutoff != layer.cutoff)
                filter.SetCutoff(Glide(layer.cutoff, endCutoff, static_cast<double>(i) / static_cast<double>(count)));
            const double filtered = filter.Step((*out)[i]);
            if (pass == 1)
                (*out)[i] = bLoop ? filtered : filtered * Envelope(layer, i, count);
        }
    }
}

// How many samples the sound holds: a loop's whole length, else up to its last layer's end.
size_t SoundSampleCount(const CSoundRecipe& recipe) {
    if (recipe.loop > 0)
        return std::max<size_t>(1, Samples(recipe.loop));
    size_t count = 0;
    for (const CSoundLayer& layer : recipe.layers)
        count = std::max(count, Samples(layer.start) + LayerSampleCount(layer));
    return count;
}

}  // namespace

bool SynthesiseSound(const CSoundRecipe& recipe, std::vector<int16_t>* samples, int* line, std::string* error) {
    const bool bLoop = recipe.loop > 0;
    std::vector<double> mix(SoundSampleCount(recipe), 0.0);
    for (size_t index = 0; index < recipe.layers.size(); ++index) {
        const CSoundLayer& layer = recipe.layers[index];
        std::vector<double> rendered(bLoop ? mix.size() : LayerSampleCount(layer), 0.0);
        if (layer.kind == ESoundLayerKind::kNoise) {
            CSoundRandom random(recipe.seed, index);
            RenderNoise(layer, &random, bLoop, &rendered);
        } else if (bLoop) {
            RenderPitchedLoop(layer, &rendered);
        } else {
            RenderPitched(layer, &rendered);
        }
        const size_t start = bLoop ? 0 : Samples(layer.start);
        for (size_t i = 0; i < rendered.size(); ++i)
            mix[start + i] += layer.gain * rendered[i];
    }
    double peak = 0.0;
    for (const double sample : mix)
        peak = std::max(peak, std::fabs(sample));
    // Rests alone, or layers that cancel, leave nothing to scale.
    if (peak < 1e-9) {
        *line = recipe.layers.empty() ? 0 : recipe.layers[0].line;
        *error = "the sound is silent";
        return false;
    }
    const double scale = recipe.volume * kFullScale / peak;
    samples->resize(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        (*samples)[i] = static_cast<int16_t>(std::clamp(std::lround(mix[i] * scale), -32767L, 32767L));
    return true;
}
