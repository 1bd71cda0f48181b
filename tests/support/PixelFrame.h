// A back buffer as the tests read it back, and colours as the tests name them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// "0xRRGGBB": the colour without its alpha.
inline std::string HexRgb(uint32_t colour) {
    char text[16];
    snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(colour & 0xFFFFFF));
    return text;
}

// Colours are compared without alpha: the back buffer has none.
struct PixelFrame {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;

    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] & 0xFFFFFF;
    }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};
