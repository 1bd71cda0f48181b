// The engine's two font files as the converter builds them, and their encoders: the outline
// form (glyph outlines in font units) and the bitmap-cell form (256 cells on a TGA texture).
#pragma once

#include <cstdint>
#include <vector>

// A glyph outline as the outline form holds it.
struct COutlineGlyph {
    int32_t code = 0;
    std::vector<float> points;  // x, y pairs in font units
    std::vector<uint8_t> tags;  // FreeType point tags: 1 on the curve, 0 conic, 2 cubic control
    std::vector<uint16_t> contourEnds;
};

struct COutlineFont {
    uint32_t flags = 0;           // bit value 2: fixed width
    uint32_t headerValue = 0;     // the value at offset 10; the converter stores the units per em
    float verticalOffset = 0.0f;  // its absolute value lifts every glyph onto y >= 0
    std::vector<COutlineGlyph> glyphs;  // the fallback glyph first
};

// A bitmap-cell font: each code's cell on a grey texture of power-of-two sides.
struct CCellFont {
    struct Cell {
        uint16_t x = 0;
        uint16_t y = 0;
        uint16_t width = 0;
    };
    uint16_t cellHeight = 0;
    Cell cells[256];
    uint32_t textureWidth = 0;
    uint32_t textureHeight = 0;
    std::vector<uint8_t> grey;  // textureWidth x textureHeight coverage values, rows top first
};

// The Unicode character of a Windows-1252 code, or 0 for the control codes and the five
// codes the code page leaves empty.
uint32_t Cp1252ToUnicode(uint8_t code);

std::vector<uint8_t> EncodeOutlineFont(const COutlineFont& font);
std::vector<uint8_t> EncodeCellFont(const CCellFont& font);
// An uncompressed 32-bit TGA, rows top first, whose pixels carry the coverage in colour and
// alpha alike (as the engine's glyph pages do).
std::vector<uint8_t> EncodeCellTexture(const CCellFont& font);
