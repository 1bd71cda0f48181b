// The sound tool's tests' ways to run it and to read what it writes: the program with its
// exit status, sox's soxi and raw decoding, the engine's WAV and Ogg Vorbis readers, and the
// checks every sound must pass.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// make_sound's exit status on a recipe and an output; its messages go to the file `messages` names.
int MakeSound(const std::string& recipe, const std::string& out, const std::string& messages = "/dev/null");
// soxi's "<rate> <channels> <bits> <samples>", e.g. "22050 1 16 8820".
std::string Soxi(const std::string& path);
// The file's 16-bit samples as sox decodes them; empty when sox fails.
std::vector<int16_t> SoxSamples(const std::string& path);

// What an engine reader makes of a file: 0s when it refuses it.
struct CEngineSound {
    int rate = 0;
    int channels = 0;
    int bits = 0;
    std::vector<int16_t> samples;  // interleaved, 8-bit ones widened as sox widens them
};
CEngineSound ReadWithSoundWave(const std::string& path);
CEngineSound ReadWithSoundOgg(const std::string& path);
// The number of 16-bit samples oggdec decodes from the file; -1 when it fails.
long OggdecSampleCount(const std::string& path);

int Peak(const std::vector<int16_t>& samples);
// The longest run of samples at full scale (32767 or -32768): 2 or more is a clipped wave.
size_t LongestFullScaleRun(const std::vector<int16_t>& samples);
// The largest step between neighbouring samples.
int LargestStep(const std::vector<int16_t>& samples);
