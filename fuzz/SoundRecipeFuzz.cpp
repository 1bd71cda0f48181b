// Sound recipes from anywhere, through the sound tool's parser only (synthesising a minute of
// layers takes too long for a fuzzer): refused with a line and a message, or a recipe that is
// either an input alone or layers whose values lie in their ranges and end within a minute.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/sound/SoundRecipe.h"

namespace {

bool Within(double value, double low, double high) {
    return value >= low && value <= high;
}

bool LayerInRange(const CSoundLayer& layer) {
    double seconds = layer.length;
    for (const CSoundNote& note : layer.notes) {
        if (!(note.hertz == 0.0 || Within(note.hertz, 20.0, 10000.0)) || !Within(note.beats, 0.01, 64.0))
            return false;
        seconds += note.beats * 60.0 / layer.tempo;
    }
    const bool pitched = layer.kind != ESoundLayerKind::kNoise;
    return Within(layer.start + seconds, 0.0, kMaxSoundSeconds) && Within(layer.gain, 0.01, 1.0) &&
           Within(layer.tempo, 20.0, 600.0) &&
           (!pitched || !layer.notes.empty() || Within(layer.pitch, 20.0, 10000.0)) && (pitched || layer.notes.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CSoundRecipe recipe;
    int line = 0;
    std::string error;
    if (!ParseSoundRecipe(text, &recipe, &line, &error)) {
        if (error.empty() || line < 0)
            abort();
        return 0;
    }
    if (recipe.input.empty() == recipe.layers.empty() || !Within(recipe.volume, 0.01, 0.95) ||
        !Within(recipe.loop, 0.0, 30.0))
        abort();
    for (const CSoundLayer& layer : recipe.layers) {
        if (!LayerInRange(layer))
            abort();
    }
    return 0;
}
