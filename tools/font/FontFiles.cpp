#include "tools/font/FontFiles.h"

#include <cstring>
#include <string>

#include "tools/tga/TgaWriter.h"
#include "winapi/base/Cp1252.h"

namespace {

// Little-endian writers for the file fields.
void PutU8(std::vector<uint8_t>* out, uint8_t value) {
    out->push_back(value);
}
void PutU16(std::vector<uint8_t>* out, uint16_t value) {
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}
void PutU32(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out->push_back(static_cast<uint8_t>(value >> shift));
}
void PutF32(std::vector<uint8_t>* out, float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

constexpr float kOutlineFileSize = 40.0f;  // the engine rasterises outline fonts 40 pixels high anyway

}  // namespace

uint32_t Cp1252ToUnicode(uint8_t code) {
    if (code < 0x20 || code == 0x7F)
        return 0;
    const char text[2] = {static_cast<char>(code), 0};
    const std::string utf8 = winapi::Cp1252ToUtf8(text);
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    switch (utf8.size()) {
    case 1:
        return bytes[0];
    case 2:
        return (bytes[0] & 0x1Fu) << 6 | (bytes[1] & 0x3Fu);
    case 3:
        return (bytes[0] & 0x0Fu) << 12 | (bytes[1] & 0x3Fu) << 6 | (bytes[2] & 0x3Fu);
    default:
        return 0;
    }
}

std::vector<uint8_t> EncodeOutlineFont(const COutlineFont& font) {
    std::vector<uint8_t> out;
    PutU16(&out, 0xFFFF);
    PutU32(&out, font.flags);
    PutF32(&out, kOutlineFileSize);
    PutU32(&out, font.headerValue);
    PutF32(&out, font.verticalOffset);
    PutU32(&out, static_cast<uint32_t>(font.glyphs.size()));
    PutU32(&out, 0);  // no kerning pairs: nothing draws them
    for (const COutlineGlyph& glyph : font.glyphs) {
        PutU32(&out, static_cast<uint32_t>(glyph.code));
        PutU16(&out, 0);  // the cell's place and width, filled in by the engine's rasteriser
        PutU16(&out, 0);
        PutU16(&out, 0);
        PutU16(&out, static_cast<uint16_t>(glyph.tags.size()));
        for (size_t i = 0; i < glyph.tags.size(); ++i) {
            PutF32(&out, glyph.points[2 * i]);
            PutF32(&out, glyph.points[2 * i + 1]);
            PutU8(&out, glyph.tags[i]);
        }
        PutU16(&out, static_cast<uint16_t>(glyph.contourEnds.size()));
        for (const uint16_t end : glyph.contourEnds)
            PutU16(&out, end);
    }
    return out;
}

std::vector<uint8_t> EncodeCellFont(const CCellFont& font) {
    std::vector<uint8_t> out;
    PutU16(&out, font.cellHeight);
    for (const CCellFont::Cell& cell : font.cells) {
        PutU16(&out, cell.x);
        PutU16(&out, cell.y);
        PutU16(&out, cell.width);
    }
    return out;
}

std::vector<uint8_t> EncodeCellTexture(const CCellFont& font) {
    std::vector<uint8_t> pixels;
    pixels.reserve(font.grey.size() * 4);
    for (const uint8_t coverage : font.grey)
        pixels.insert(pixels.end(), 4, coverage);
    return EncodeTga(font.textureWidth, font.textureHeight, 4, pixels.data(), ETgaEncoding::kPlain);
}
