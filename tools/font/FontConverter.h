// Builds the engine's fonts for the Windows-1252 characters from a TrueType font read with
// FreeType. Both forms begin with a deliberate fallback glyph, a hollow box as tall as the
// highest ascent and the deepest descent together: it is the tallest glyph, so the engine's
// cell (the tallest single glyph's height) holds every glyph once the descent is added, and
// it is what a character the font lacks shows.
#pragma once

#include <string>

#include "tools/font/FontFiles.h"

// The outline form: points in font units, tags masked to their curve bits, the deepest
// descent as the vertical offset. Each glyph ends with a zero-area baseline contour from x 0
// to its advance, so that its box holds the side bearings; CR (code 13) is an empty glyph.
bool MakeOutlineFont(const char* trueTypePath, COutlineFont* font, std::string* error);
// The bitmap-cell form at the largest pixel size whose cell is at most `cellHeight` pixels
// high; codes without a character show the fallback box.
bool MakeCellFont(const char* trueTypePath, int cellHeight, CCellFont* font, std::string* error);
