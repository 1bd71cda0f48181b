#include "tools/font/FontConverter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/font/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace {

// The engine's outline holds at most this many points (FreeType's limit).
constexpr int kMaxPoints = 32767;

struct CCharacter {
    uint8_t code;
    uint32_t unicode;
};

// The Windows-1252 characters the face has.
std::vector<CCharacter> CharactersOf(FT_Face face) {
    std::vector<CCharacter> characters;
    for (int code = 0; code < 256; ++code) {
        const uint32_t unicode = Cp1252ToUnicode(static_cast<uint8_t>(code));
        if (unicode && FT_Get_Char_Index(face, unicode))
            characters.push_back(CCharacter{static_cast<uint8_t>(code), unicode});
    }
    return characters;
}

std::string Named(const CCharacter& character) {
    char text[48];
    snprintf(text, sizeof text, "character 0x%02X (U+%04X)", character.code, static_cast<unsigned>(character.unicode));
    return text;
}

// The engine reads font units as 26.6 pixels and rounds a box outwards: down to a multiple
// of 64 below, to the multiple of 64 after the truncation above.
FT_Pos RoundDown(FT_Pos value) {
    return value & ~FT_Pos{63};
}
FT_Pos RoundUp(FT_Pos value) {
    return (value & ~FT_Pos{63}) + 64;
}

// A closed rectangle of four on-curve points, clockwise (an outer TrueType contour) or not.
void AddRectangle(COutlineGlyph* glyph, float left, float bottom, float right, float top, bool bClockwise) {
    const float corners[4][2] = {{left, bottom}, {left, top}, {right, top}, {right, bottom}};
    for (int i = 0; i < 4; ++i) {
        const int corner = bClockwise ? i : (4 - i) % 4;
        glyph->points.push_back(corners[corner][0]);
        glyph->points.push_back(corners[corner][1]);
        glyph->tags.push_back(FT_CURVE_TAG_ON);
    }
    glyph->contourEnds.push_back(static_cast<uint16_t>(glyph->tags.size() - 1));
}

// The outline form holds no advances and the engine sizes a proportional glyph by its ink
// box: a zero-area contour along the baseline, there and back, stretches the box over the
// advance with the side bearings and draws nothing.
void AddAdvance(COutlineGlyph* glyph, float advance) {
    for (const float x : {0.0f, advance}) {
        glyph->points.push_back(x);
        glyph->points.push_back(0.0f);
        glyph->tags.push_back(FT_CURVE_TAG_ON);
    }
    glyph->contourEnds.push_back(static_cast<uint16_t>(glyph->tags.size() - 1));
}

// A rendered glyph of the cell form.
struct CRendered {
    CCharacter character;
    int left = 0;
    int top = 0;
    int advance = 0;
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> pixels;  // width x rows, rows top first
};

bool RenderCharacters(FT_Face face, const std::vector<CCharacter>& characters, int pixelSize,
                      std::vector<CRendered>* rendered, std::string* error) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize))) {
        *error = "cannot set the pixel size " + std::to_string(pixelSize);
        return false;
    }
    rendered->clear();
    for (const CCharacter& character : characters) {
        if (FT_Load_Char(face, character.unicode, FT_LOAD_RENDER) ||
            (face->glyph->bitmap.rows && face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)) {
            *error = "cannot render " + Named(character);
            return false;
        }
        const FT_GlyphSlot slot = face->glyph;
        CRendered glyph;
        glyph.character = character;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.rows = static_cast<int>(slot->bitmap.rows);
        glyph.pixels.resize(static_cast<size_t>(glyph.width) * glyph.rows);
        for (int row = 0; row < glyph.rows; ++row) {
            // A negative pitch lists the rows bottom first.
            const int source = slot->bitmap.pitch >= 0 ? row : glyph.rows - 1 - row;
            const uint8_t* in = slot->bitmap.buffer + static_cast<ptrdiff_t>(source) * std::abs(slot->bitmap.pitch);
            std::copy(in, in + glyph.width, glyph.pixels.begin() + static_cast<ptrdiff_t>(row) * glyph.width);
        }
        rendered->push_back(std::move(glyph));
    }
    return true;
}

uint32_t NextPowerOfTwo(uint32_t value) {
    uint32_t power = 1;
    while (power < value)
        power *= 2;
    return power;
}

}  // namespace

bool MakeOutlineFont(const char* trueTypePath, COutlineFont* font, std::string* error) {
    CFace face;
    if (!face.Open(trueTypePath, error))
        return false;
    const std::vector<CCharacter> characters = CharactersOf(face.Get());
    if (characters.empty()) {
        *error = "the font has no Windows-1252 character";
        return false;
    }

    std::vector<COutlineGlyph> glyphs;
    std::vector<FT_BBox> boxes;
    FT_Pos ascent = 0;
    FT_Pos descent = 0;
    for (const CCharacter& character : characters) {
        if (FT_Load_Char(face.Get(), character.unicode, FT_LOAD_NO_SCALE) ||
            face.Get()->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
            *error = "cannot load the outline of " + Named(character);
            return false;
        }
        FT_Outline& outline = face.Get()->glyph->outline;
        if (outline.n_points < 0 || outline.n_points > kMaxPoints - 2 || outline.n_contours < 0) {
            *error = Named(character) + " has too many points";
            return false;
        }
        COutlineGlyph glyph;
        glyph.code = character.code;
        for (int i = 0; i < outline.n_points; ++i) {
            glyph.points.push_back(static_cast<float>(outline.points[i].x));
            glyph.points.push_back(static_cast<float>(outline.points[i].y));
            glyph.tags.push_back(static_cast<uint8_t>(outline.tags[i] & 3));
        }
        for (int i = 0; i < outline.n_contours; ++i)
            glyph.contourEnds.push_back(static_cast<uint16_t>(outline.contours[i]));
        AddAdvance(&glyph, static_cast<float>(face.Get()->glyph->metrics.horiAdvance));
        FT_BBox box{};
        if (outline.n_points > 0) {
            FT_Outline_Get_CBox(&outline, &box);
            ascent = std::max(ascent, box.yMax);
            descent = std::max(descent, -box.yMin);
        }
        glyphs.push_back(std::move(glyph));
        boxes.push_back(box);
    }

    // The fallback: a hollow box from the deepest descent to the highest ascent.
    const FT_Pos units = face.Get()->units_per_EM;
    const float stroke = static_cast<float>(units) / 16.0f;
    const float left = static_cast<float>(units) / 16.0f;
    const float right = left + static_cast<float>(units) / 2.0f;
    COutlineGlyph fallback;
    fallback.code = 0;
    AddRectangle(&fallback, left, static_cast<float>(-descent), right, static_cast<float>(ascent), true);
    AddRectangle(&fallback, left + stroke, static_cast<float>(-descent) + stroke, right - stroke,
                 static_cast<float>(ascent) - stroke, false);
    AddAdvance(&fallback, right + left);
    glyphs.insert(glyphs.begin(), std::move(fallback));
    boxes.insert(boxes.begin(), FT_BBox{0, -descent, 0, ascent});

    // The engine's cell is the tallest single glyph, measured with every glyph lifted by the
    // deepest descent; each glyph must fit it from its bottom row up.
    FT_Pos tallest = 0;
    for (const FT_BBox& box : boxes)
        tallest = std::max(tallest, RoundUp(box.yMax + descent) - RoundDown(box.yMin + descent));
    for (size_t i = 1; i < glyphs.size(); ++i) {
        if (glyphs[i].tags.empty())
            continue;
        if (boxes[i].yMin + descent < 0 || RoundUp(boxes[i].yMax + descent) > tallest) {
            *error = Named(characters[i - 1]) + " does not fit the cell";
            return false;
        }
    }

    // Text keeps CR LF inside multi-line entries and drawing breaks lines at LF alone: CR must
    // draw nothing rather than the fallback box. Its code comes before every character's.
    COutlineGlyph carriageReturn;
    carriageReturn.code = '\r';
    glyphs.insert(glyphs.begin() + 1, std::move(carriageReturn));

    font->flags = FT_IS_FIXED_WIDTH(face.Get()) ? 2u : 0u;
    font->headerValue = static_cast<uint32_t>(units);
    font->verticalOffset = static_cast<float>(-descent);
    font->glyphs = std::move(glyphs);
    return true;
}

bool MakeCellFont(const char* trueTypePath, int cellHeight, CCellFont* font, std::string* error) {
    if (cellHeight < 4 || cellHeight > 1024) {
        *error = "the cell height must be 4 to 1024 pixels";
        return false;
    }
    CFace face;
    if (!face.Open(trueTypePath, error))
        return false;
    const std::vector<CCharacter> characters = CharactersOf(face.Get());
    if (characters.empty()) {
        *error = "the font has no Windows-1252 character";
        return false;
    }

    // The largest pixel size whose highest ascent and deepest descent fit the cell together.
    std::vector<CRendered> rendered;
    int ascent = 0;
    int descent = 0;
    for (int pixelSize = cellHeight;; --pixelSize) {
        if (pixelSize < 1) {
            *error = "no pixel size fits a cell of " + std::to_string(cellHeight);
            return false;
        }
        if (!RenderCharacters(face.Get(), characters, pixelSize, &rendered, error))
            return false;
        ascent = 0;
        descent = 0;
        for (const CRendered& glyph : rendered) {
            if (glyph.rows == 0)
                continue;
            ascent = std::max(ascent, glyph.top);
            descent = std::max(descent, glyph.rows - glyph.top);
        }
        if (ascent + descent <= cellHeight)
            break;
    }
    const int height = ascent + descent;
    if (height <= 0) {
        *error = "the font draws nothing";
        return false;
    }

    // The cells: the fallback box first, then every character, each as wide as its advance
    // and its ink together, its baseline `ascent` rows below the top.
    struct CCell {
        int width;
        std::vector<uint8_t> pixels;  // width x height
    };
    std::vector<CCell> cells;
    const int boxWidth = height / 2 + 2;
    const int stroke = std::max(1, height / 16);
    CCell box{boxWidth, std::vector<uint8_t>(static_cast<size_t>(boxWidth) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 1; x < boxWidth - 1; ++x) {
            const bool edge = y < stroke || y >= height - stroke || x < 1 + stroke || x >= boxWidth - 1 - stroke;
            box.pixels[static_cast<size_t>(y) * boxWidth + x] = edge ? 255 : 0;
        }
    }
    cells.push_back(std::move(box));
    for (const CRendered& glyph : rendered) {
        const int first = std::min(0, glyph.left);
        const int width = std::max(glyph.advance, glyph.left + glyph.width) - first;
        const int row = ascent - glyph.top;
        if (glyph.rows > 0 && (row < 0 || row + glyph.rows > height)) {
            *error = Named(glyph.character) + " does not fit the cell";
            return false;
        }
        CCell cell{std::max(width, 1), std::vector<uint8_t>(static_cast<size_t>(std::max(width, 1)) * height)};
        for (int y = 0; y < glyph.rows; ++y) {
            for (int x = 0; x < glyph.width; ++x)
                cell.pixels[static_cast<size_t>(row + y) * cell.width + (glyph.left - first + x)] =
                    glyph.pixels[static_cast<size_t>(y) * glyph.width + x];
        }
        cells.push_back(std::move(cell));
    }

    // Rows of cells with a pixel between them, on the narrowest texture whose power-of-two
    // height is no larger than its width.
    std::vector<std::pair<int, int>> places(cells.size());
    uint32_t textureWidth = 0;
    uint32_t textureHeight = 0;
    for (uint32_t side = 64; side <= 4096 && !textureWidth; side *= 2) {
        int x = 0;
        int y = 0;
        bool fits = true;
        for (size_t i = 0; i < cells.size() && fits; ++i) {
            if (cells[i].width > static_cast<int>(side)) {
                fits = false;
                break;
            }
            if (x + cells[i].width > static_cast<int>(side)) {
                x = 0;
                y += height + 1;
            }
            places[i] = {x, y};
            x += cells[i].width + 1;
        }
        const uint32_t used = static_cast<uint32_t>(y + height);
        if (fits && NextPowerOfTwo(used) <= side) {
            textureWidth = side;
            textureHeight = NextPowerOfTwo(used);
        }
    }
    if (!textureWidth) {
        *error = "the cells do not fit a texture of 4096 x 4096";
        return false;
    }

    font->cellHeight = static_cast<uint16_t>(height);
    font->textureWidth = textureWidth;
    font->textureHeight = textureHeight;
    font->grey.assign(size_t{textureWidth} * textureHeight, 0);
    for (size_t i = 0; i < cells.size(); ++i) {
        for (int y = 0; y < height; ++y) {
            std::copy_n(cells[i].pixels.begin() + static_cast<ptrdiff_t>(y) * cells[i].width, cells[i].width,
                        font->grey.begin() +
                            static_cast<ptrdiff_t>((places[i].second + y) * static_cast<int>(textureWidth) +
                                                   places[i].first));
        }
    }
    const CCellFont::Cell fallbackCell{static_cast<uint16_t>(places[0].first), static_cast<uint16_t>(places[0].second),
                                       static_cast<uint16_t>(cells[0].width)};
    for (CCellFont::Cell& cell : font->cells)
        cell = fallbackCell;
    for (size_t i = 0; i < rendered.size(); ++i)
        font->cells[rendered[i].character.code] = CCellFont::Cell{
            static_cast<uint16_t>(places[i + 1].first), static_cast<uint16_t>(places[i + 1].second),
            static_cast<uint16_t>(cells[i + 1].width)};
    return true;
}
