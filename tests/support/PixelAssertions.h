// The pixel tests' assertions over colours and read-back frames, each naming what it found.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sstream>

#include "tests/support/PixelFrame.h"

// Each channel within `tolerance` of the expected colour's (llvmpipe's fixed-point arithmetic
// rounds a step or two either way); alpha only when asked for.
inline ::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, int tolerance = 2,
                                             bool withAlpha = false) {
    if (ChannelsNear(actual, expected, tolerance, withAlpha))
        return ::testing::AssertionSuccess();
    const auto name = withAlpha ? Hex : HexRgb;
    return ::testing::AssertionFailure() << "pixel " << name(actual) << ", expected " << name(expected) << " within "
                                         << tolerance << (withAlpha ? " with alpha" : "");
}

// The pixel of the frame at (x, y), cut to whole pixels, near the expected colour.
inline ::testing::AssertionResult ColourNear(const PixelFrame& frame, float x, float y, uint32_t expected,
                                             int tolerance) {
    const int px = static_cast<int>(x);
    const int py = static_cast<int>(y);
    if (!frame.Contains(px, py))
        return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is outside the frame";
    if (ChannelsNear(frame.At(px, py), expected, tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << px << ", " << py << ") is " << HexRgb(frame.At(px, py))
                                         << ", expected " << HexRgb(expected);
}

// Every pixel exactly the colour `expected` gives it; names the first few that differ.
inline ::testing::AssertionResult PixelsAre(const PixelFrame& frame,
                                            const std::function<uint32_t(int, int)>& expected) {
    int wrong = 0;
    std::ostringstream report;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const uint32_t want = expected(x, y) & 0xFFFFFF;
            if (frame.At(x, y) == want)
                continue;
            if (++wrong <= 8)
                report << " (" << x << "," << y << ") is " << HexRgb(frame.At(x, y)) << " not " << HexRgb(want)
                       << ";";
        }
    }
    if (wrong == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << report.str();
}

// Exactly the pixels of the rectangle [left, right) x [top, bottom) have `inside`, all others
// `outside`.
template <typename Rect>
::testing::AssertionResult OnlyRectIs(const PixelFrame& frame, const Rect& r, uint32_t inside, uint32_t outside) {
    return PixelsAre(frame, [&](int x, int y) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom ? inside : outside;
    });
}
