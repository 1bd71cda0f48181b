#include "tools/sound/SoundMaker.h"

#include <cerrno>
#include <cstring>

#include "engine/core/FileBytes.h"
#include "engine/sound/SoundWave.h"
#include "tools/sound/SoundEncoders.h"
#include "tools/sound/SoundRecipe.h"
#include "tools/sound/SoundSynth.h"

namespace {

bool EndsAtFirst(const std::string& name, const char* extension) {
    const size_t found = name.find(extension);
    return found != std::string::npos && found + strlen(extension) == name.size();
}

// The input's samples as 16-bit, interleaved, through the engine's own WAV reader.
bool ReadInput(const std::string& path, std::vector<int16_t>* samples, int* channels, int* rate, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path.c_str(), &bytes)) {
        *error = "cannot read " + path + ": " + strerror(errno);
        return false;
    }
    CSoundWave wave;
    if (!wave.OpenMemory(bytes.data(), bytes.size())) {
        *error = path + " is no WAV file of 8- or 16-bit PCM, mono or stereo";
        return false;
    }
    const int format = wave.GetFormat();
    const bool b16 = format == CSound::kMono16 || format == CSound::kStereo16;
    *channels = format == CSound::kStereo8 || format == CSound::kStereo16 ? 2 : 1;
    *rate = wave.GetSampleRate();
    std::vector<uint8_t> data(static_cast<size_t>(wave.GetDataSize()));
    data.resize(static_cast<size_t>(wave.Read(data.data(), 0, -1)));
    const size_t count = data.size() / (b16 ? 2 : 1);
    if (count < static_cast<size_t>(*channels)) {
        *error = path + " holds no samples";
        return false;
    }
    samples->resize(count);
    for (size_t i = 0; i < count; ++i) {
        (*samples)[i] = b16 ? static_cast<int16_t>(data[2 * i] | data[2 * i + 1] << 8)
                            : static_cast<int16_t>((data[i] - 128) * 256);
    }
    return true;
}

bool EncodeInput(const CSoundRecipe& recipe, const std::string& folder, ESoundContainer container,
                 std::vector<uint8_t>* file, int* line, std::string* error) {
    *line = recipe.inputLine;
    if (container != ESoundContainer::kOgg) {
        *error = "an \"input\" is encoded as Ogg Vorbis: the output's name must end in \".ogg\"";
        return false;
    }
    const std::string path = folder.empty() || recipe.input[0] == '/' ? recipe.input : folder + "/" + recipe.input;
    std::vector<int16_t> samples;
    int channels = 0;
    int rate = 0;
    if (!ReadInput(path, &samples, &channels, &rate, error))
        return false;
    if (!EncodeOggVorbis(samples, channels, rate, file)) {
        *error = "libvorbisenc takes no " + std::to_string(channels) + "-channel sound at " + std::to_string(rate) +
                 " Hz (" + path + ")";
        return false;
    }
    return true;
}

}  // namespace

ESoundContainer SoundContainerOf(const std::string& fileName) {
    if (EndsAtFirst(fileName, ".ogg"))
        return ESoundContainer::kOgg;
    if (EndsAtFirst(fileName, ".wav"))
        return ESoundContainer::kWave;
    return ESoundContainer::kNone;
}

bool MakeSoundFromRecipe(const std::string& text, const std::string& folder, ESoundContainer container,
                         std::vector<uint8_t>* file, int* line, std::string* error) {
    CSoundRecipe recipe;
    if (!ParseSoundRecipe(text, &recipe, line, error))
        return false;
    if (!recipe.input.empty())
        return EncodeInput(recipe, folder, container, file, line, error);
    std::vector<int16_t> samples;
    if (!SynthesiseSound(recipe, &samples, line, error))
        return false;
    if (container == ESoundContainer::kOgg)
        return EncodeOggVorbis(samples, 1, kSoundRate, file);
    *file = EncodeWave16(samples, kSoundRate);
    return true;
}
