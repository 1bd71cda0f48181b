#include "tools/tga/TgaWriter.h"

#include <cstring>

namespace {

constexpr uint32_t kMaxPacket = 128;

void PutU16(std::vector<uint8_t>* out, uint32_t value) {
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}

void PutPixel(std::vector<uint8_t>* out, const uint8_t* pixel, uint32_t bytesPerPixel) {
    out->push_back(pixel[2]);
    out->push_back(pixel[1]);
    out->push_back(pixel[0]);
    if (bytesPerPixel == 4)
        out->push_back(pixel[3]);
}

// How many pixels from `x` repeat the pixel at `x`, at most a packet's worth.
uint32_t RunLength(const uint8_t* row, uint32_t x, uint32_t width, uint32_t bytesPerPixel) {
    uint32_t count = 1;
    while (x + count < width && count < kMaxPacket &&
           memcmp(row + (x + count) * bytesPerPixel, row + x * bytesPerPixel, bytesPerPixel) == 0)
        ++count;
    return count;
}

// Runs of two or more become run packets; everything between them goes out raw.
void EncodeRow(std::vector<uint8_t>* out, const uint8_t* row, uint32_t width, uint32_t bytesPerPixel) {
    uint32_t x = 0;
    while (x < width) {
        const uint32_t run = RunLength(row, x, width, bytesPerPixel);
        if (run >= 2) {
            out->push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            PutPixel(out, row + x * bytesPerPixel, bytesPerPixel);
            x += run;
            continue;
        }
        uint32_t raw = 1;
        while (x + raw < width && raw < kMaxPacket && RunLength(row, x + raw, width, bytesPerPixel) < 2)
            ++raw;
        out->push_back(static_cast<uint8_t>(raw - 1));
        for (uint32_t i = 0; i < raw; ++i)
            PutPixel(out, row + (x + i) * bytesPerPixel, bytesPerPixel);
        x += raw;
    }
}

}  // namespace

std::vector<uint8_t> EncodeTga(uint32_t width, uint32_t height, uint32_t bytesPerPixel, const uint8_t* pixels,
                               ETgaEncoding encoding) {
    std::vector<uint8_t> out;
    out.push_back(0);  // no image id
    out.push_back(0);  // no colour map
    out.push_back(encoding == ETgaEncoding::kPlain ? 2 : 10);
    for (int i = 0; i < 5; ++i)
        out.push_back(0);  // the empty colour map's fields
    PutU16(&out, 0);
    PutU16(&out, 0);
    PutU16(&out, width);
    PutU16(&out, height);
    out.push_back(static_cast<uint8_t>(bytesPerPixel * 8));
    out.push_back(bytesPerPixel == 4 ? 0x28 : 0x20);  // rows top first; the alpha bits
    const size_t rowBytes = size_t{width} * bytesPerPixel;
    if (encoding == ETgaEncoding::kPlain)
        out.reserve(out.size() + rowBytes * height);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + y * rowBytes;
        if (encoding == ETgaEncoding::kRunLength) {
            EncodeRow(&out, row, width, bytesPerPixel);
            continue;
        }
        for (uint32_t x = 0; x < width; ++x)
            PutPixel(&out, row + x * bytesPerPixel, bytesPerPixel);
    }
    return out;
}
