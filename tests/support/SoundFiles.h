// Sound files made by real tools at test time: sox writes WAV, oggenc encodes Ogg Vorbis and
// oggdec decodes it again, so the engine's readers meet what users' tools write.
#pragma once

#include <string>

struct ToneFormat {
    int sampleRate = 22050;
    int channels = 1;
    int bits = 16;
    double seconds = 0.5;
    double hertz = 440.0;
};

// Runs a shell command quietly; true when it exits with 0.
bool RunTool(const std::string& command);

// Writes a sine tone WAV (PCM, little-endian) with sox; false when sox fails.
bool MakeToneWav(const std::string& path, const ToneFormat& tone);

// Writes a sine tone as Ogg Vorbis (sox for the tone, oggenc to encode); false on failure.
bool MakeToneOgg(const std::string& path, const ToneFormat& tone);

// Decodes an Ogg Vorbis file with oggdec into raw 16-bit signed little-endian samples.
bool DecodeOggRaw(const std::string& oggPath, const std::string& rawPath);
