// The font converter on DejaVu Sans (Debian's fonts-dejavu-core): the Windows-1252 set and its
// empty codes, the outline form in font units with its fallback box, the advances, the empty
// CR and the descent as the vertical offset, the file layout field by field, the bitmap-cell
// form and its texture as the engine reads them, the make_font command line, and the fonts
// the build ships.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "engine/graphics/Font.h"
#include "engine/graphics/Texture2D.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"
#include "tools/font/FontConverter.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const uint8_t kEmptyCodes[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

uint16_t U16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}
uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}
float F32(const std::vector<uint8_t>& bytes, size_t offset) {
    const uint32_t bits = U32(bytes, offset);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

bool IsEmptyCode(int code) {
    return code < 0x20 || code == 0x7F ||
           std::find(std::begin(kEmptyCodes), std::end(kEmptyCodes), code) != std::end(kEmptyCodes);
}

const COutlineFont& Outline() {
    static const COutlineFont font = [] {
        COutlineFont made;
        std::string error;
        if (!MakeOutlineFont(kDejaVuSans, &made, &error))
            ADD_FAILURE() << error;
        return made;
    }();
    return font;
}

const CCellFont& Cells() {
    static const CCellFont font = [] {
        CCellFont made;
        std::string error;
        if (!MakeCellFont(kDejaVuSans, 40, &made, &error))
            ADD_FAILURE() << error;
        return made;
    }();
    return font;
}

float LowestY(const COutlineGlyph& glyph) {
    float lowest = 0.0f;
    for (size_t i = 1; i < glyph.points.size(); i += 2)
        lowest = std::min(lowest, glyph.points[i]);
    return lowest;
}
float HighestY(const COutlineGlyph& glyph) {
    float highest = 0.0f;
    for (size_t i = 1; i < glyph.points.size(); i += 2)
        highest = std::max(highest, glyph.points[i]);
    return highest;
}

// --- Windows-1252 ----------------------------------------------------------------------------------

TEST(FontConverterCodePage, MapsThroughUnicodeAndLeavesTheEmptyCodesOut) {
    struct Case {
        uint8_t code;
        uint32_t unicode;
    };
    const Case cases[] = {{0x20, 0x20},   {0x41, 0x41},     {0x7E, 0x7E},     {0x7F, 0},        {0x00, 0},
                          {0x0A, 0},      {0x1F, 0},        {0x80, 0x20AC},   {0x81, 0},        {0x82, 0x201A},
                          {0x8C, 0x0152}, {0x8D, 0},        {0x8E, 0x017D},   {0x8F, 0},        {0x90, 0},
                          {0x93, 0x201C}, {0x99, 0x2122},   {0x9D, 0},        {0x9F, 0x0178},   {0xA0, 0xA0},
                          {0xE9, 0xE9},   {0xFF, 0xFF}};
    for (const Case& c : cases)
        EXPECT_EQ(Cp1252ToUnicode(c.code), c.unicode) << "code " << static_cast<int>(c.code);
}

// --- The outline form ----------------------------------------------------------------------------

TEST(FontConverterOutline, HoldsTheFallbackBoxThenEveryCharacterOfTheCodePageInOrder) {
    const COutlineFont& font = Outline();
    ASSERT_FALSE(font.glyphs.empty());
    // Two rectangles, then the advance along the baseline with the box's margin on each side.
    const COutlineGlyph& fallback = font.glyphs[0];
    EXPECT_EQ(fallback.code, 0);
    EXPECT_EQ(fallback.contourEnds, (std::vector<uint16_t>{3, 7, 9}));
    ASSERT_EQ(fallback.points.size(), 20u);
    const float margin = fallback.points[0];
    EXPECT_GT(margin, 0.0f);
    EXPECT_EQ(std::vector<float>(fallback.points.begin() + 16, fallback.points.end()),
              (std::vector<float>{0.0f, 0.0f, 2.0f * margin + 1024.0f, 0.0f}));
    // CR, then every character of the code page: DejaVu Sans has them all.
    std::vector<int32_t> codes;
    for (size_t i = 1; i < font.glyphs.size(); ++i)
        codes.push_back(font.glyphs[i].code);
    std::vector<int32_t> expected{'\r'};
    for (int code = 0; code < 256; ++code)
        if (!IsEmptyCode(code))
            expected.push_back(code);
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(expected.size(), 1u + 256u - 32u - 1u - 5u);
    // CR draws nothing and has no advance of its own.
    const COutlineGlyph& carriageReturn = font.glyphs[1];
    EXPECT_TRUE(carriageReturn.points.empty());
    EXPECT_TRUE(carriageReturn.tags.empty());
    EXPECT_TRUE(carriageReturn.contourEnds.empty());
    // The space is there with only its advance, which draws nothing.
    const COutlineGlyph& space = font.glyphs[2];
    EXPECT_EQ(space.code, 0x20);
    EXPECT_EQ(space.points, (std::vector<float>{0.0f, 0.0f, 651.0f, 0.0f})) << "DejaVu's space advance";
    EXPECT_EQ(space.tags, (std::vector<uint8_t>{FT_CURVE_TAG_ON, FT_CURVE_TAG_ON}));
    EXPECT_EQ(space.contourEnds, (std::vector<uint16_t>{1}));
    EXPECT_EQ(font.flags, 0u);
    EXPECT_EQ(font.headerValue, 2048u) << "DejaVu's units per em";
}

TEST(FontConverterOutline, OutlinesAreTheFontsOwnInFontUnitsWithCurveTagsOnly) {
    const COutlineFont& font = Outline();
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, kDejaVuSans, 0, &face), 0);
    for (size_t i = 1; i < font.glyphs.size(); ++i) {
        const COutlineGlyph& glyph = font.glyphs[i];
        SCOPED_TRACE(testing::Message() << "code " << glyph.code);
        if (glyph.code == '\r')
            continue;
        ASSERT_EQ(FT_Load_Char(face, Cp1252ToUnicode(static_cast<uint8_t>(glyph.code)), FT_LOAD_NO_SCALE), 0);
        const FT_Outline& outline = face->glyph->outline;
        // The font's contours, then the advance: from the origin along the baseline and back.
        ASSERT_EQ(glyph.tags.size(), static_cast<size_t>(outline.n_points) + 2);
        ASSERT_EQ(glyph.points.size(), 2 * glyph.tags.size());
        const size_t advance = 2 * static_cast<size_t>(outline.n_points);
        EXPECT_EQ(std::vector<float>(glyph.points.begin() + static_cast<ptrdiff_t>(advance), glyph.points.end()),
                  (std::vector<float>{0.0f, 0.0f, static_cast<float>(face->glyph->metrics.horiAdvance), 0.0f}));
        EXPECT_GT(face->glyph->metrics.horiAdvance, 0);
        EXPECT_EQ(glyph.tags[glyph.tags.size() - 2], FT_CURVE_TAG_ON);
        EXPECT_EQ(glyph.tags.back(), FT_CURVE_TAG_ON);
        for (int p = 0; p < outline.n_points; ++p) {
            EXPECT_EQ(glyph.points[2 * p], static_cast<float>(outline.points[p].x));
            EXPECT_EQ(glyph.points[2 * p + 1], static_cast<float>(outline.points[p].y));
            EXPECT_EQ(glyph.tags[p], outline.tags[p] & 3);
            EXPECT_LE(glyph.tags[p], 3);
        }
        ASSERT_EQ(glyph.contourEnds.size(), static_cast<size_t>(outline.n_contours) + 1);
        for (size_t c = 0; c < glyph.contourEnds.size(); ++c) {
            if (c < static_cast<size_t>(outline.n_contours)) {
                EXPECT_EQ(glyph.contourEnds[c], outline.contours[c]);
            }
            if (c > 0) {
                EXPECT_GT(glyph.contourEnds[c], glyph.contourEnds[c - 1]);
            }
        }
        EXPECT_EQ(glyph.contourEnds.back(), glyph.tags.size() - 1);
        EXPECT_EQ(glyph.contourEnds.back(), outline.n_points + 1);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

TEST(FontConverterOutline, TheDeepestDescentLiftsEveryGlyphIntoTheFallbacksHeight) {
    const COutlineFont& font = Outline();
    float deepest = 0.0f;
    float highest = 0.0f;
    for (size_t i = 1; i < font.glyphs.size(); ++i) {
        deepest = std::min(deepest, LowestY(font.glyphs[i]));
        highest = std::max(highest, HighestY(font.glyphs[i]));
    }
    EXPECT_LT(deepest, 0.0f);
    EXPECT_EQ(font.verticalOffset, deepest);
    // The box reaches from the deepest descent to the highest ascent: the tallest glyph.
    EXPECT_EQ(LowestY(font.glyphs[0]), deepest);
    EXPECT_EQ(HighestY(font.glyphs[0]), highest);
    // No single character spans it: without the box the cell would cut some glyph off.
    float tallestCharacter = 0.0f;
    for (size_t i = 1; i < font.glyphs.size(); ++i)
        tallestCharacter = std::max(tallestCharacter, HighestY(font.glyphs[i]) - LowestY(font.glyphs[i]));
    EXPECT_LT(tallestCharacter, highest - deepest);
}

TEST(FontConverterOutline, TheFileIsLaidOutFieldByFieldLittleEndian) {
    const COutlineFont& font = Outline();
    const std::vector<uint8_t> file = EncodeOutlineFont(font);
    EXPECT_EQ(U16(file, 0), 0xFFFFu);
    EXPECT_EQ(U32(file, 2), font.flags);
    EXPECT_EQ(F32(file, 6), 40.0f);
    EXPECT_EQ(U32(file, 10), font.headerValue);
    EXPECT_EQ(F32(file, 14), font.verticalOffset);
    EXPECT_EQ(U32(file, 18), font.glyphs.size());
    EXPECT_EQ(U32(file, 22), 0u);
    size_t offset = 26;
    for (const COutlineGlyph& glyph : font.glyphs) {
        SCOPED_TRACE(testing::Message() << "code " << glyph.code);
        ASSERT_LE(offset + 12, file.size());
        EXPECT_EQ(static_cast<int32_t>(U32(file, offset)), glyph.code);
        EXPECT_EQ(U16(file, offset + 4), 0u);
        EXPECT_EQ(U16(file, offset + 6), 0u);
        EXPECT_EQ(U16(file, offset + 8), 0u);
        const uint16_t points = U16(file, offset + 10);
        ASSERT_EQ(points, glyph.tags.size());
        offset += 12;
        for (size_t p = 0; p < points; ++p, offset += 9) {
            EXPECT_EQ(F32(file, offset), glyph.points[2 * p]);
            EXPECT_EQ(F32(file, offset + 4), glyph.points[2 * p + 1]);
            EXPECT_EQ(file[offset + 8], glyph.tags[p]);
        }
        const uint16_t contours = U16(file, offset);
        ASSERT_EQ(contours, glyph.contourEnds.size());
        offset += 2;
        for (size_t c = 0; c < contours; ++c, offset += 2)
            EXPECT_EQ(U16(file, offset), glyph.contourEnds[c]);
    }
    EXPECT_EQ(offset, file.size());
}

// --- The bitmap-cell form ------------------------------------------------------------------------

struct CellBox {
    int left, top, right, bottom;  // right and bottom exclusive
};

CellBox BoxOf(const CCellFont& font, int code) {
    const CCellFont::Cell& cell = font.cells[code];
    return CellBox{cell.x, cell.y, cell.x + cell.width, cell.y + font.cellHeight};
}

// The first and last inked rows of a cell, relative to its top; -1 when it has no ink.
std::pair<int, int> InkRows(const CCellFont& font, int code) {
    const CellBox box = BoxOf(font, code);
    int first = -1;
    int last = -1;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            if (font.grey[static_cast<size_t>(y) * font.textureWidth + x] == 0)
                continue;
            if (first < 0)
                first = y - box.top;
            last = y - box.top;
        }
    }
    return {first, last};
}

TEST(FontConverterCells, CellsLieApartOnAPowerOfTwoTextureAndEmptyCodesShowTheBox) {
    const CCellFont& font = Cells();
    EXPECT_LE(font.cellHeight, 40);
    EXPECT_GE(font.cellHeight, 36);
    for (const uint32_t side : {font.textureWidth, font.textureHeight}) {
        EXPECT_GT(side, 0u);
        EXPECT_EQ(side & (side - 1), 0u) << side;
    }
    EXPECT_EQ(font.grey.size(), size_t{font.textureWidth} * font.textureHeight);
    const CCellFont::Cell& box = font.cells[0x81];
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(testing::Message() << "code " << code);
        const CellBox cell = BoxOf(font, code);
        EXPECT_GT(cell.right, cell.left);
        EXPECT_LE(cell.right, static_cast<int>(font.textureWidth));
        EXPECT_LE(cell.bottom, static_cast<int>(font.textureHeight));
        const bool isBox = font.cells[code].x == box.x && font.cells[code].y == box.y;
        EXPECT_EQ(isBox, IsEmptyCode(code));
        if (IsEmptyCode(code))
            continue;
        for (int other = code + 1; other < 256; ++other) {
            if (IsEmptyCode(other))
                continue;
            const CellBox b = BoxOf(font, other);
            const bool apart = cell.right < b.left || b.right < cell.left || cell.bottom < b.top || b.bottom < cell.top;
            EXPECT_TRUE(apart) << "overlaps code " << other;
        }
        const std::pair<int, int> rows = InkRows(font, code);
        if (code == 0x20 || code == 0xA0)
            EXPECT_EQ(rows.first, -1);
        else
            EXPECT_GE(rows.first, 0);
    }
    // The box is the tallest glyph: it spans the cell from its top row to its bottom row.
    EXPECT_EQ(InkRows(font, 0x81), std::make_pair(0, font.cellHeight - 1));
}

TEST(FontConverterCells, EveryGlyphSharesOneBaselineAndFitsItsCell) {
    const CCellFont& font = Cells();
    // Flat-bottomed capitals end on the same row; a descender reaches below it.
    const int baseline = InkRows(font, 'H').second;
    for (const int code : {int{'E'}, int{'L'}, int{'Z'}, 0xC9, int{'1'}})
        EXPECT_NEAR(InkRows(font, code).second, baseline, 1) << "code " << code;
    EXPECT_GT(InkRows(font, 'g').second, baseline + 4);
    EXPECT_LT(InkRows(font, 0xC9).first, InkRows(font, 'E').first) << "the accent sits above";
    EXPECT_GT(InkRows(font, 0xC7).second, baseline) << "the cedilla hangs below";
}

TEST(FontConverterCells, TheEngineReadsTheCellTableAndTheTexture) {
    const CCellFont& font = Cells();
    const std::vector<uint8_t> table = EncodeCellFont(font);
    ASSERT_EQ(table.size(), 2u + 256u * 6u);
    EXPECT_EQ(U16(table, 0), font.cellHeight);
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(U16(table, 2 + 6 * code), font.cells[code].x);
        EXPECT_EQ(U16(table, 4 + 6 * code), font.cells[code].y);
        EXPECT_EQ(U16(table, 6 + 6 * code), font.cells[code].width);
    }
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    CTexture2D texture;
    const std::vector<uint8_t> tga = EncodeCellTexture(font);
    ASSERT_EQ(texture.LoadTga(tga.data(), tga.size(), 0, 0, &device), 1);
    EXPECT_EQ(texture.GetWidth(), font.textureWidth);
    EXPECT_EQ(texture.GetHeight(), font.textureHeight);
    EXPECT_EQ(texture.GetFormat(), static_cast<uint32_t>(kFormatA8R8G8B8));
    size_t mismatches = 0;
    for (size_t i = 0; i < font.grey.size(); ++i) {
        for (int channel = 0; channel < 4; ++channel)
            mismatches += texture.m_pPixels[4 * i + channel] != font.grey[i] ? 1 : 0;
    }
    EXPECT_EQ(mismatches, 0u) << "rows top first, the coverage in colour and alpha";
}

TEST(FontConverter, RefusesWhatIsNoFontAndCellsTooSmall) {
    TempDir dir;
    WriteText(dir.File("not-a-font.ttf"), "plain text, no font");
    COutlineFont outline;
    CCellFont cells;
    std::string error;
    EXPECT_FALSE(MakeOutlineFont(dir.File("not-a-font.ttf").c_str(), &outline, &error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(MakeOutlineFont(dir.File("missing.ttf").c_str(), &outline, &error));
    EXPECT_FALSE(MakeCellFont(dir.File("not-a-font.ttf").c_str(), 40, &cells, &error));
    EXPECT_FALSE(MakeCellFont(kDejaVuSans, 3, &cells, &error));
    EXPECT_FALSE(MakeCellFont(kDejaVuSans, 2000, &cells, &error));
}

// --- The command line ----------------------------------------------------------------------------

// The exit status; the messages go to the file `messages` names.
int RunMakeFont(const std::string& arguments, const std::string& messages = "/dev/null") {
    return RunProgram(MAKE_FONT_PATH, arguments, messages);
}

TEST(MakeFont, WritesBothFormsThatTheEngineLoads) {
    TempDir dir;
    const std::string outline = dir.File("menu.fnt");
    const std::string cells = dir.File("menu_cells.fnt");
    const std::string texture = dir.File("menu_cells.tga");
    ASSERT_EQ(RunMakeFont("outline " + Quoted(kDejaVuSans) + " " + Quoted(outline)), 0);
    ASSERT_EQ(RunMakeFont("cells " + Quoted(kDejaVuSans) + " 40 " + Quoted(cells) + " " + Quoted(texture)), 0);
    EXPECT_EQ(ReadBytes(outline), EncodeOutlineFont(Outline()));
    EXPECT_EQ(ReadBytes(cells), EncodeCellFont(Cells()));
    EXPECT_EQ(ReadBytes(texture), EncodeCellTexture(Cells()));

    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    CFont outlineFont;
    EXPECT_EQ(outlineFont.LoadFile(outline.c_str(), &device), 1);
    EXPECT_EQ(outlineFont.m_bOutline, 1);
    CFont cellFont;
    EXPECT_EQ(cellFont.LoadFile(cells.c_str(), &device), 1);
    EXPECT_EQ(cellFont.m_bOutline, 0);
    CTexture2D cellTexture;
    EXPECT_EQ(cellTexture.LoadFile(texture.c_str(), 0, 0, &device), 1);
}

TEST(MakeFont, BadCommandLinesFailAndWriteNothing) {
    TempDir dir;
    const std::string out = dir.File("out.fnt");
    const std::string tga = dir.File("out.tga");
    const std::string messages = dir.File("messages.txt");
    const std::string missing = dir.File("missing.ttf");
    const std::string notFont = dir.File("not-a-font.ttf");
    const std::string empty = dir.File("empty.ttf");
    WriteText(notFont, "plain text, no font");
    WriteText(empty, "");
    struct Case {
        const char* name;
        std::string arguments;
        int status;
        std::string message;  // the start of what it says
    };
    const Case cases[] = {
        {"no arguments", "", 2, "usage: make_font outline"},
        {"unknown form", "bold " + Quoted(kDejaVuSans) + " " + Quoted(out), 2, "usage: make_font outline"},
        {"cells without the texture", "cells " + Quoted(kDejaVuSans) + " 40 " + Quoted(out), 2,
         "usage: make_font outline"},
        {"missing font", "outline " + Quoted(missing) + " " + Quoted(out), 1,
         "make_font: cannot read " + missing + ": " + strerror(ENOENT) + "\n"},
        {"missing font for cells", "cells " + Quoted(missing) + " 40 " + Quoted(out) + " " + Quoted(tga), 1,
         "make_font: cannot read " + missing + ": " + strerror(ENOENT) + "\n"},
        {"folder for a font", "outline " + Quoted(dir.Path()) + " " + Quoted(out), 1,
         "make_font: cannot read " + dir.Path() + ": " + strerror(EISDIR) + "\n"},
        {"no font", "outline " + Quoted(notFont) + " " + Quoted(out), 1,
         "make_font: " + notFont + " is not a font FreeType can read\n"},
        {"no font for cells", "cells " + Quoted(notFont) + " 40 " + Quoted(out) + " " + Quoted(tga), 1,
         "make_font: " + notFont + " is not a font FreeType can read\n"},
        {"empty font", "outline " + Quoted(empty) + " " + Quoted(out), 1,
         "make_font: " + empty + " is not a font FreeType can read\n"},
        {"cell height not a number", "cells " + Quoted(kDejaVuSans) + " big " + Quoted(out) + " " + Quoted(tga), 1,
         "make_font: the cell height must be a number from 4 to 1024, not big\n"},
        {"cell height too small", "cells " + Quoted(kDejaVuSans) + " 3 " + Quoted(out) + " " + Quoted(tga), 1,
         "make_font: the cell height must be a number from 4 to 1024, not 3\n"},
        {"folder missing", "outline " + Quoted(kDejaVuSans) + " " + Quoted(dir.File("none/out.fnt")), 1,
         "make_font: cannot write " + dir.File("none/out.fnt")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunMakeFont(c.arguments, messages), c.status);
        const std::string said = ReadText(messages);
        EXPECT_EQ(said.compare(0, c.message.size(), c.message), 0) << said;
        // Nothing written, not even a temporary file: only the inputs and the messages.
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"empty.ttf", "messages.txt", "not-a-font.ttf"}));
    }
}

// --- The fonts the build ships -------------------------------------------------------------------

TEST(ShippedFonts, TheGameRootHoldsBothFormsAndDejaVusLicence) {
    const std::string folder = BRENLOW_FONTS_DIR;
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    CFont outline;
    EXPECT_EQ(outline.LoadFile((folder + "/menu.fnt").c_str(), &device), 1);
    EXPECT_EQ(outline.m_bOutline, 1);
    CFont cells;
    EXPECT_EQ(cells.LoadFile((folder + "/menu_cells.fnt").c_str(), &device), 1);
    EXPECT_EQ(cells.m_bOutline, 0);
    CTexture2D texture;
    EXPECT_EQ(texture.LoadFile((folder + "/menu_cells.tga").c_str(), 0, 0, &device), 1);
    const std::string licence = ReadText(folder + "/dejavu-licence.txt");
    EXPECT_NE(licence.find("Bitstream Vera"), std::string::npos);
    EXPECT_NE(licence.find("DejaVu"), std::string::npos);
}

}  // namespace
