// The texture tool's tests' ways to run it and to read what it writes: the program with its
// exit status, ImageMagick's identify and convert, and the engine's reader on the recording
// device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A decoded image: R, G, B, A per pixel, rows top first (alpha 255 for 24-bit files).
struct CDecoded {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;

    const uint8_t* At(uint32_t x, uint32_t y) const { return rgba.data() + (size_t{y} * width + x) * 4; }
};

// make_texture's exit status on a recipe and an output; its messages go to the file `messages` names.
int MakeTexture(const std::string& recipe, const std::string& out, const std::string& messages = "/dev/null");
// identify's "<width> <height> <depth> <channels> <compression>", e.g. "16 8 8 srgba RLE".
std::string Identify(const std::string& path);
// The pixels as convert gives them; false when it fails.
bool ReadWithConvert(const std::string& path, CDecoded* image);
// The pixels as CTexture2D::LoadFile reads them on the recording device, with the format it
// chose; false when it refuses the file.
bool ReadWithEngine(const std::string& path, CDecoded* image, uint32_t* format);
