// The TGA reader of CTexture2D: uncompressed and run-length encoded true-colour and grey
// images of 8, 16, 24 or 32 bits; images with a colour map are not read. Every read is
// checked against the data: a file holding less than its header announces is refused.
#include <cstring>
#include <vector>

#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/Texture2D.h"

namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kProbeSize = 32;

struct TgaHeader {
    uint8_t idLength;
    uint8_t colorMapType;
    uint8_t imageType;
    uint16_t colorMapLength;
    uint16_t width;
    uint16_t height;
    uint8_t depth;
    uint8_t descriptor;
};

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool IsKnownImageType(uint8_t type) {
    return type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
}

// The first bytes of the file, zero-filled past its end, decide whether it is read at all.
bool PassesProbe(const uint8_t* data, size_t size) {
    uint8_t probe[kProbeSize] = {};
    memcpy(probe, data, size < kProbeSize ? size : kProbeSize);
    const uint8_t colorMapType = probe[1];
    const uint8_t imageType = probe[2];
    const uint8_t depth = probe[16];
    if (depth == 8)
        return IsKnownImageType(imageType);
    return (colorMapType == 0 || colorMapType == 1) && IsKnownImageType(imageType) &&
           (depth == 16 || depth == 24 || depth == 32);
}

uint32_t FormatOfDepth(const TgaHeader& header) {
    switch (header.depth) {
    case 8:
        return header.colorMapLength ? kFormatP8 : kFormatA8;
    case 16:
        return kFormatA1R5G5B5;
    case 24:
        return kFormatR8G8B8;
    case 32:
        return kFormatA8R8G8B8;
    default:
        return kFormatUnknown;
    }
}

// A bounded cursor over the file's bytes.
class Reader {
public:
    Reader(const uint8_t* data, size_t size, size_t position) : m_data(data), m_size(size), m_position(position) {}

    bool Take(size_t count, const uint8_t** bytes) {
        if (count > m_size - m_position)
            return false;
        *bytes = m_data + m_position;
        m_position += count;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position;
};

// Rows come bottom-up: the file's first row becomes the last buffer row.
bool ReadUncompressed(Reader* reader, uint8_t* pixels, uint32_t width, uint32_t height, uint32_t pixelSize) {
    const size_t rowBytes = size_t{width} * pixelSize;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* row;
        if (!reader->Take(rowBytes, &row))
            return false;
        memcpy(pixels + (height - 1 - r) * rowBytes, row, rowBytes);
    }
    return true;
}

// Packets run on across row ends, filling rows from the bottom up; a packet reaching past
// the last pixel is cut there.
bool ReadRunLength(Reader* reader, uint8_t* pixels, uint32_t width, uint32_t height, uint32_t pixelSize) {
    const size_t rowBytes = size_t{width} * pixelSize;
    uint32_t row = height - 1;
    uint32_t column = 0;
    while (true) {
        const uint8_t* header;
        if (!reader->Take(1, &header))
            return false;
        const uint32_t count = (header[0] & 0x7F) + 1u;
        const bool run = (header[0] & 0x80) != 0;
        const uint8_t* pixel = nullptr;
        if (run && !reader->Take(pixelSize, &pixel))
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            if (!run && !reader->Take(pixelSize, &pixel))
                return false;
            memcpy(pixels + row * rowBytes + size_t{column} * pixelSize, pixel, pixelSize);
            if (++column < width)
                continue;
            if (row == 0)
                return true;
            --row;
            column = 0;
        }
    }
}

void SwapRedAndBlue(uint8_t* pixels, size_t count, uint32_t pixelSize) {
    for (size_t i = 0; i < count; ++i) {
        uint8_t* pixel = pixels + i * pixelSize;
        const uint8_t blue = pixel[0];
        pixel[0] = pixel[2];
        pixel[2] = blue;
    }
}

void FlipRows(uint8_t* pixels, uint32_t height, size_t rowBytes) {
    std::vector<uint8_t> swap(rowBytes);
    for (uint32_t i = 0; i < height / 2; ++i) {
        uint8_t* top = pixels + i * rowBytes;
        uint8_t* bottom = pixels + (height - 1 - i) * rowBytes;
        memcpy(swap.data(), top, rowBytes);
        memcpy(top, bottom, rowBytes);
        memcpy(bottom, swap.data(), rowBytes);
    }
}

}  // namespace

int CTexture2D::LoadTga(const uint8_t* data, size_t size, uint32_t userValue, uint32_t usage,
                        CRenderDevice* device) {
    if (!data || size < kHeaderSize || !PassesProbe(data, size))
        return 0;
    TgaHeader header{};
    header.idLength = data[0];
    header.colorMapType = data[1];
    header.imageType = data[2];
    header.colorMapLength = ReadU16(data + 5);
    header.width = ReadU16(data + 12);
    header.height = ReadU16(data + 14);
    header.depth = data[16];
    header.descriptor = data[17];

    const uint32_t format = FormatOfDepth(header);
    if (format == kFormatUnknown || header.colorMapLength != 0)
        return 0;
    if (header.width == 0 || header.height == 0 || header.width > kMaxTgaSide || header.height > kMaxTgaSide)
        return 0;
    const size_t imageStart = kHeaderSize + header.idLength;
    if (imageStart > size)
        return 0;

    if (!Create(header.width, header.height, 0, format, userValue, usage, device))
        return 0;
    uint8_t* pixels = nullptr;
    if (!Lock(&pixels))
        return 0;
    const uint32_t pixelSize = header.depth / 8u;
    Reader reader(data, size, imageStart);
    const bool complete = header.imageType < 9 ? ReadUncompressed(&reader, pixels, header.width, header.height, pixelSize)
                                               : ReadRunLength(&reader, pixels, header.width, header.height, pixelSize);
    if (!complete)
        return 0;

    if (pixelSize == 3 || pixelSize == 4)
        SwapRedAndBlue(pixels, size_t{header.width} * header.height, pixelSize);
    if ((header.descriptor & 0x30) == 0x20)
        FlipRows(pixels, header.height, size_t{header.width} * pixelSize);
    Unlock(1);  // uploads; its result does not decide the load
    return 1;
}
