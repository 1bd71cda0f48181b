// Text lines drawn with FreeType through the font tool's face, glyph coverage laid over the
// canvas in the line's colour.
#include <cstdio>

#include "tools/font/FontFace.h"
#include "tools/texture/TexturePainter_local.h"

namespace {

// The code points of UTF-8 text; false for a malformed sequence.
bool DecodeUtf8(const std::string& text, std::vector<uint32_t>* codes) {
    codes->clear();
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80            ? 0
                          : (lead & 0xE0) == 0xC0 ? 1
                          : (lead & 0xF0) == 0xE0 ? 2
                          : (lead & 0xF8) == 0xF0 ? 3
                                                  : -1;
        if (extra < 0 || text.size() - i <= static_cast<size_t>(extra))
            return false;
        uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3Fu);
        }
        codes->push_back(code);
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

bool DrawLine(FT_Face face, const CTextLine& text, CCanvas* canvas, std::string* error) {
    std::vector<uint32_t> codes;
    if (!DecodeUtf8(text.text, &codes)) {
        *error = "the text is not UTF-8";
        return false;
    }
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(text.pixels))) {
        *error = "the font cannot be set " + std::to_string(text.pixels) + " pixels high";
        return false;
    }
    CPixel colour;
    colour.r = text.colour.r / 255.0;
    colour.g = text.colour.g / 255.0;
    colour.b = text.colour.b / 255.0;
    colour.a = text.colour.a / 255.0;
    // The line's top is the ascender; the pen runs along the baseline below it.
    const long baseline = text.y + (face->size->metrics.ascender + 63) / 64;
    long pen = text.x;
    for (const uint32_t code : codes) {
        if (!FT_Get_Char_Index(face, code)) {
            char name[16];
            snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
            *error = std::string("the font has no character ") + name;
            return false;
        }
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) || face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            *error = "the font cannot draw the text";
            return false;
        }
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const long x = pen + face->glyph->bitmap_left + static_cast<long>(column);
                const long y = baseline - face->glyph->bitmap_top + static_cast<long>(row);
                if (x < 0 || y < 0 || x >= static_cast<long>(canvas->Width()) ||
                    y >= static_cast<long>(canvas->Height()))
                    continue;
                const uint8_t coverage = bitmap.buffer[row * bitmap.pitch + static_cast<int>(column)];
                if (coverage)
                    canvas->Over(static_cast<uint32_t>(x), static_cast<uint32_t>(y), colour, coverage / 255.0);
            }
        }
        pen += (face->glyph->advance.x + 32) / 64;
    }
    return true;
}

}  // namespace

bool DrawTexts(const CTextureRecipe& recipe, CCanvas* canvas, int* line, std::string* error) {
    if (recipe.texts.empty())
        return true;
    CFace face;
    const std::string path = recipe.font.empty() ? BRENLOW_TEXTURE_FONT : recipe.font;
    if (!face.Open(path.c_str(), error)) {
        *line = recipe.font.empty() ? recipe.texts.front().line : recipe.fontLine;
        return false;
    }
    for (const CTextLine& text : recipe.texts) {
        if (!DrawLine(face.Get(), text, canvas, error)) {
            *line = text.line;
            return false;
        }
    }
    return true;
}
