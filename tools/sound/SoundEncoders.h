// The two forms the tool writes, as the engine's readers take them: a RIFF WAVE file of
// 16-bit PCM, and Ogg Vorbis through libvorbisenc with a fixed stream serial number and a
// fixed quality, so that the same samples always give the same bytes.
#pragma once

#include <cstdint>
#include <vector>

// A WAV file of 16-bit mono samples at `rate`: the 44-byte header ("fmt " of PCM, then "data")
// and the samples, little-endian.
std::vector<uint8_t> EncodeWave16(const std::vector<int16_t>& samples, int rate);

// An Ogg Vorbis file of `channels` (1 or 2) interleaved 16-bit samples at `rate`; false when
// libvorbisenc takes no such format.
bool EncodeOggVorbis(const std::vector<int16_t>& interleaved, int channels, int rate, std::vector<uint8_t>* file);
