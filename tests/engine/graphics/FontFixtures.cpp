#include "tests/engine/graphics/FontFixtures.h"

#include <cstdio>
#include <cstdlib>

#include "tools/font/FontConverter.h"

const char* const kDejaVuSansPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

const std::vector<uint8_t>& DejaVuOutlineFile() {
    static const std::vector<uint8_t> file = [] {
        COutlineFont font;
        std::string error;
        if (!MakeOutlineFont(kDejaVuSansPath, &font, &error)) {
            fprintf(stderr, "cannot convert %s: %s\n", kDejaVuSansPath, error.c_str());
            abort();
        }
        return EncodeOutlineFont(font);
    }();
    return file;
}

const CCellFont& DejaVuCellFont() {
    static const CCellFont font = [] {
        CCellFont cells;
        std::string error;
        if (!MakeCellFont(kDejaVuSansPath, 40, &cells, &error)) {
            fprintf(stderr, "cannot convert %s: %s\n", kDejaVuSansPath, error.c_str());
            abort();
        }
        return cells;
    }();
    return font;
}

COutlineGlyph RectangleGlyph(int32_t code, const std::vector<std::vector<float>>& rectangles) {
    COutlineGlyph glyph;
    glyph.code = code;
    for (const std::vector<float>& r : rectangles) {
        const float corners[4][2] = {{r[0], r[1]}, {r[0], r[3]}, {r[2], r[3]}, {r[2], r[1]}};
        for (const auto& corner : corners) {
            glyph.points.push_back(corner[0]);
            glyph.points.push_back(corner[1]);
            glyph.tags.push_back(1);
        }
        glyph.contourEnds.push_back(static_cast<uint16_t>(glyph.tags.size() - 1));
    }
    return glyph;
}
