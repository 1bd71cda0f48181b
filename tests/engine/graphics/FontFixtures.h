// Fonts for the font tests: DejaVu Sans (Debian's fonts-dejavu-core) through the font
// converter, and small outline fonts of rectangles whose cells can be worked out by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/font/FontFiles.h"

extern const char* const kDejaVuSansPath;

// The converter's outline form of DejaVu Sans, encoded (made once per program).
const std::vector<uint8_t>& DejaVuOutlineFile();
// The converter's bitmap-cell form of DejaVu Sans with a 40-pixel cell (made once).
const CCellFont& DejaVuCellFont();

// A glyph of rectangles (left, bottom, right, top in font units), each a contour of four
// on-curve points.
COutlineGlyph RectangleGlyph(int32_t code, const std::vector<std::vector<float>>& rectangles);
