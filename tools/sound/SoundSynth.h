// Mixes a recipe's layers into 16-bit mono samples at kSoundRate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sound/SoundRecipe.h"

// The mix, scaled so that its peak is the recipe's volume: never clipped, never wrapped.
// Every layer outside a loop starts and ends at 0 through its envelope, so the sound does not
// click; a loop's pitches become the nearest with a whole number of cycles in the loop, and
// its noise is filtered round the loop, so the last sample leads into the first. false with
// the first layer's line and a message when the mix is silent.
bool SynthesiseSound(const CSoundRecipe& recipe, std::vector<int16_t>* samples, int* line, std::string* error);
