// The readable recipe of one sound, one statement a line ("#" starts a comment). A recipe
// either encodes a WAV file as it is:
//   input "<path>"               the WAV file, relative to the recipe's folder; nothing else
// or mixes layers, each a "layer" line followed by its own statements:
//   seed <whole number>          the noise generator's start; 1 when absent   } before the
//   volume <fraction>            the mix's peak, 0.01 to 0.95 of full scale   } first layer
//   loop <seconds>               a loop of about that length (see below)      }
//   layer noise|tone|fm          starts a layer
//   start <seconds>  length <seconds>  gain <fraction>
//   envelope <attack> <release> [<curve>]   seconds, and the release's power (1 to 8)
//   wave sine|square|saw|triangle           tone layers
//   pitch <pitch> [<end pitch>]             tone and fm layers; hertz or a note name (A4, C#5)
//   ratio <number>  index <number>          fm layers: the modulator's pitch over the
//                                           carrier's, and the modulation's depth
//   filter lowpass|highpass|bandpass <hertz> [<end hertz>]   noise layers
//   tempo <beats a minute>  note <pitch>|rest <beats>        tone and fm layers: a melody
// In a loop every layer spans the whole loop: no start, length, envelope, notes or slides.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSoundRate = 22050;
constexpr double kMaxSoundSeconds = 60.0;

enum class ESoundLayerKind { kNoise, kTone, kFm };
enum class ESoundWave { kSine, kSquare, kSaw, kTriangle };
enum class ESoundFilter { kNone, kLowPass, kHighPass, kBandPass };

struct CSoundNote {
    double hertz = 0.0;  // 0: a rest
    double beats = 0.0;
};

struct CSoundLayer {
    int line = 0;  // the "layer" line, for messages
    ESoundLayerKind kind = ESoundLayerKind::kTone;
    double start = 0.0;   // seconds
    double length = 0.0;  // seconds; the notes or the loop decide when they are given
    double gain = 1.0;
    double attack = 0.005;
    double release = 0.02;
    double curve = 2.0;
    ESoundWave wave = ESoundWave::kSine;
    double pitch = 0.0;     // hertz
    double endPitch = 0.0;  // 0: no slide
    double ratio = 2.0;
    double index = 2.0;
    ESoundFilter filter = ESoundFilter::kNone;
    double cutoff = 0.0;
    double endCutoff = 0.0;  // 0: no sweep
    double tempo = 120.0;
    std::vector<CSoundNote> notes;
};

struct CSoundRecipe {
    uint32_t seed = 1;
    double volume = 0.8;
    double loop = 0.0;  // seconds; 0: not a loop
    std::string input;  // a WAV file to encode; empty for a mix of layers
    int inputLine = 0;
    std::vector<CSoundLayer> layers;
};

// false with the offending line (or the last line for a missing statement) and a message
// when the text is not a well-formed recipe.
bool ParseSoundRecipe(const std::string& text, CSoundRecipe* recipe, int* line, std::string* error);
