// A sound recipe made into the file the engine reads: the synthesised mix as WAV or Ogg
// Vorbis, or a WAV file encoded as Ogg Vorbis.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ESoundContainer { kNone, kWave, kOgg };

// The form a sound script takes a file for by its name: Ogg Vorbis when the first ".ogg" in
// the name ends it, else WAV when the first ".wav" ends it, else neither (lower case only:
// ".OGG" is not recognised, nor "a.ogg.ogg").
ESoundContainer SoundContainerOf(const std::string& fileName);

// The recipe's text to the bytes of its file in `container`; a relative input path starts at
// `folder` (empty: the current folder). false with the recipe's line and a message on any
// refusal.
bool MakeSoundFromRecipe(const std::string& text, const std::string& folder, ESoundContainer container,
                         std::vector<uint8_t>* file, int* line, std::string* error);
