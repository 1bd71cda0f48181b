// A back buffer as the tests read it back, and colours as the tests name and compare them.
// Free of the test framework, so that the programs drawing pictures to look at use it too;
// the assertions over it are in PixelAssertions.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// "0xRRGGBB": the colour without its alpha.
inline std::string HexRgb(uint32_t colour) {
    char text[16];
    snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(colour & 0xFFFFFF));
    return text;
}

// "0xAARRGGBB": a colour with its alpha, or any other 32-bit value (a state, a code).
inline std::string Hex(uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// The channel of a 0xAARRGGBB colour whose lowest bit is at `shift` (0 blue, 8 green, 16 red,
// 24 alpha).
inline int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Red, green and blue each within `tolerance` of the other colour's; alpha only when asked for.
inline bool ChannelsNear(uint32_t a, uint32_t b, int tolerance, bool withAlpha = false) {
    for (const int shift : {16, 8, 0, 24}) {
        if (shift == 24 && !withAlpha)
            continue;
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance)
            return false;
    }
    return true;
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

    // How many pixels of the rectangle [left, right) x [top, bottom), cut to the frame, have
    // this colour; any type with those four members will do (RECT among them).
    template <typename Rect>
    int Count(const Rect& r, uint32_t rgb) const {
        int count = 0;
        const int top = std::max(static_cast<int>(r.top), 0);
        const int bottom = std::min(static_cast<int>(r.bottom), height);
        const int left = std::max(static_cast<int>(r.left), 0);
        const int right = std::min(static_cast<int>(r.right), width);
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x)
                count += At(x, y) == (rgb & 0xFFFFFF) ? 1 : 0;
        }
        return count;
    }
};
