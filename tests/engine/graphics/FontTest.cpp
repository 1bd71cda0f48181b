// CFont on the recording render device: the converter's DejaVu Sans rasterised onto glyph
// pages (ink where the glyphs are, none elsewhere), the fallback glyph, cells in rows and
// pages, released and rebuilt pages, fixed-width and space cells, the bitmap-cell form, the
// device's loader and text width, and hostile files refused without a change to the font.
#include "engine/graphics/Font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/LogFile.h"
#include "engine/graphics/Texture2D.h"
#include "tests/engine/graphics/FontFixtures.h"
#include "tests/support/TempDir.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

constexpr uint32_t kPage = CFont::kPageSize;

uint8_t PageGrey(CTexture2D* page, uint32_t x, uint32_t y) {
    return page->m_pPixels[(size_t{y} * kPage + x) * 4];
}

// A font of rectangle glyphs, lifted by `verticalOffset`, with the given flags.
std::vector<uint8_t> RectangleFont(const std::vector<COutlineGlyph>& glyphs, uint32_t flags = 0,
                                   float verticalOffset = 0.0f) {
    COutlineFont font;
    font.flags = flags;
    font.verticalOffset = verticalOffset;
    font.glyphs = glyphs;
    return EncodeOutlineFont(font);
}

// A glyph 630 font units high (a tallest height of 10 pixels before scaling, so the scale is
// exactly 4) and `width` units wide from x = 0.
COutlineGlyph Bar(int32_t code, float width) {
    return RectangleGlyph(code, {{0.0f, 0.0f, width, 630.0f}});
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_device.InitForTest(0, 0, 0), 1); }

    bool Load(CFont* font, const std::vector<uint8_t>& bytes) {
        return font->LoadData(bytes.data(), bytes.size(), &m_device) == 1;
    }

    CRecordingRenderDevice m_device;
};

// --- The converter's DejaVu Sans -------------------------------------------------------------

TEST_F(FontTest, LoadsTheConvertedFontInOutlineFormAndScalesItToFortyPixels) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    EXPECT_EQ(font.m_bOutline, 1);
    EXPECT_EQ(font.m_fSize, 40.0f);
    EXPECT_EQ(font.m_pDevice, &m_device);
    EXPECT_TRUE(font.m_Cells.empty());
    EXPECT_TRUE(font.m_Pages.empty());
    EXPECT_EQ(font.m_bNewPage, 1);
    // The fallback box is the tallest glyph: lifted by the descent it spans the whole cell.
    const CFontGlyph& fallback = font.m_Glyphs[0];
    float top = -std::numeric_limits<float>::infinity();
    float bottom = std::numeric_limits<float>::infinity();
    for (size_t i = 0; i < fallback.m_nPointCount; ++i) {
        top = std::max(top, fallback.m_Points[2 * i + 1]);
        bottom = std::min(bottom, fallback.m_Points[2 * i + 1]);
    }
    EXPECT_EQ(bottom, -std::fabs(font.m_fVerticalOffset));
    const int64_t lifted = static_cast<int64_t>(top - bottom);
    const float tallest = static_cast<float>(((lifted & ~int64_t{63}) + 64) / 64);
    EXPECT_FLOAT_EQ(font.m_fScale, 40.0f / tallest);
    EXPECT_EQ(font.m_nCellHeight, 40u);
}

TEST_F(FontTest, RasterisesAKnownStringCellAfterCellOnOnePage) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    const std::string text = "Hamburg 1234";
    std::vector<const CFontGlyph*> glyphs;
    for (const char c : text)
        glyphs.push_back(font.GetGlyph(static_cast<unsigned char>(c), 1));
    ASSERT_EQ(font.m_Pages.size(), 1u);
    CTexture2D* page = font.m_Pages[0];
    EXPECT_EQ(page->GetWidth(), kPage);
    EXPECT_EQ(page->GetHeight(), kPage);
    EXPECT_EQ(page->GetFormat(), static_cast<uint32_t>(kFormatA8R8G8B8));
    uint32_t x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "character '" << text[i] << "'");
        ASSERT_NE(glyphs[i], nullptr);
        EXPECT_EQ(glyphs[i]->m_nCode, static_cast<unsigned char>(text[i]));
        EXPECT_EQ(glyphs[i]->m_bReady, 1u);
        EXPECT_EQ(glyphs[i]->m_pPage, page);
        EXPECT_EQ(glyphs[i]->m_nX, x);
        EXPECT_EQ(glyphs[i]->m_nY, 0u);
        EXPECT_GT(glyphs[i]->m_nWidth, 0u);
        x += glyphs[i]->m_nWidth + 1u;
    }
    // A space in a proportional font is half the cell height wide.
    EXPECT_EQ(glyphs[7]->m_nWidth, 20u);
    // Every glyph was uploaded as it was made.
    const CRecordingRenderDevice::TextureRecord* record = m_device.Texture(page->GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->uploads, static_cast<int>(text.size()));
    EXPECT_EQ(record->lastFlag, 1);
    EXPECT_EQ(record->uploadedPixels.size(), size_t{kPage} * kPage * 4);
    // Asking again rasterises nothing more.
    EXPECT_EQ(font.GetGlyph('H', 1), glyphs[0]);
    EXPECT_EQ(m_device.Texture(page->GetHandle())->uploads, static_cast<int>(text.size()));
}

TEST_F(FontTest, GlyphPageHasInkInTheGlyphCellsAndNoneElsewhere) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    const std::string text = "Hamburg 1234";
    std::vector<const CFontGlyph*> glyphs;
    for (const char c : text)
        glyphs.push_back(font.GetGlyph(static_cast<unsigned char>(c), 1));
    ASSERT_EQ(font.m_Pages.size(), 1u);
    CTexture2D* page = font.m_Pages[0];

    std::vector<uint8_t> strongest(glyphs.size(), 0);
    int strayInk = 0;
    int unevenPixels = 0;
    for (uint32_t y = 0; y < kPage; ++y) {
        for (uint32_t x = 0; x < kPage; ++x) {
            const uint8_t* pixel = page->m_pPixels + (size_t{y} * kPage + x) * 4;
            if (pixel[1] != pixel[0] || pixel[2] != pixel[0] || pixel[3] != pixel[0])
                ++unevenPixels;
            int owner = -1;
            for (size_t i = 0; i < glyphs.size(); ++i) {
                if (x >= glyphs[i]->m_nX && x < glyphs[i]->m_nX + glyphs[i]->m_nWidth && y < 40u)
                    owner = static_cast<int>(i);
            }
            if (owner < 0)
                strayInk += pixel[0] != 0 ? 1 : 0;
            else
                strongest[static_cast<size_t>(owner)] = std::max(strongest[static_cast<size_t>(owner)], pixel[0]);
        }
    }
    EXPECT_EQ(strayInk, 0);
    EXPECT_EQ(unevenPixels, 0) << "colour and alpha must all carry the grey level";
    for (size_t i = 0; i < glyphs.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "character '" << text[i] << "'");
        if (text[i] == ' ')
            EXPECT_EQ(strongest[i], 0);
        else
            EXPECT_EQ(strongest[i], 255) << "solid strokes reach full coverage";
    }

    // The H stands on the baseline, lifted by the descent: its ink spans the rows its outline
    // covers, counted up from the cell's bottom row. Its cell is its advance (the last point,
    // at the end of the zero-area baseline contour) with the ink between the side bearings.
    const CFontGlyph* h = glyphs[0];
    ASSERT_GT(h->m_nPointCount, 2u);
    float capHeight = 0.0f;
    float inkLeft = h->m_Points[0];
    float inkRight = h->m_Points[0];
    for (size_t i = 0; i + 2 < h->m_nPointCount; ++i) {
        capHeight = std::max(capHeight, h->m_Points[2 * i + 1]);
        inkLeft = std::min(inkLeft, h->m_Points[2 * i]);
        inkRight = std::max(inkRight, h->m_Points[2 * i]);
    }
    const float advance = h->m_Points[2 * h->m_nPointCount - 2];
    const float pixelsPerUnit = font.m_fScale / 64.0f;
    EXPECT_GT(inkLeft * pixelsPerUnit, 2.0f) << "the left side bearing";
    EXPECT_GT((advance - inkRight) * pixelsPerUnit, 2.0f) << "the right side bearing";
    EXPECT_NEAR(h->m_nWidth, advance * pixelsPerUnit, 1.0);
    const float lift = std::fabs(font.m_fVerticalOffset);
    const float inkBottom = 40.0f - lift * pixelsPerUnit;                 // row boundary below the ink
    const float inkTop = 40.0f - (lift + capHeight) * pixelsPerUnit;      // row boundary above it
    int firstRow = -1;
    int lastRow = -1;
    int firstColumn = static_cast<int>(h->m_nWidth);
    int lastColumn = -1;
    for (uint32_t y = 0; y < 40; ++y) {
        for (uint32_t x = h->m_nX; x < h->m_nX + h->m_nWidth; ++x) {
            if (PageGrey(page, x, y) == 0)
                continue;
            if (firstRow < 0)
                firstRow = static_cast<int>(y);
            lastRow = static_cast<int>(y);
            firstColumn = std::min(firstColumn, static_cast<int>(x - h->m_nX));
            lastColumn = std::max(lastColumn, static_cast<int>(x - h->m_nX));
        }
    }
    EXPECT_NEAR(firstRow, std::floor(inkTop), 1.0);
    EXPECT_NEAR(lastRow, std::ceil(inkBottom) - 1.0f, 1.0);
    EXPECT_NEAR(firstColumn, std::floor(inkLeft * pixelsPerUnit), 1.0);
    EXPECT_NEAR(lastColumn, std::ceil(inkRight * pixelsPerUnit) - 1.0f, 1.0);
}

TEST_F(FontTest, ACharacterTheFontLacksTakesTheFirstGlyph) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    const CFontGlyph* fallback = &font.m_Glyphs[0];
    for (const int code : {0x81, 0x8D, 0x8F, 0x90, 0x9D, 0x00, 0x0A, 0x7F, 256, 0x20AC, -1}) {
        SCOPED_TRACE(testing::Message() << "code " << code);
        EXPECT_EQ(font.GetGlyph(code, 1), fallback);
    }
    EXPECT_EQ(fallback->m_bReady, 1u);
    // 0x80 is the euro sign, which the font has.
    const CFontGlyph* euro = font.GetGlyph(0x80, 1);
    EXPECT_NE(euro, fallback);
    EXPECT_EQ(euro->m_nCode, 0x80);
}

TEST_F(FontTest, OfTwoGlyphsWithOneCodeTheLaterIsFound) {
    CFont font;
    ASSERT_TRUE(Load(&font, RectangleFont({Bar(1, 640.0f), Bar('A', 640.0f), Bar('A', 1280.0f), Bar(0x141, 64.0f)})));
    EXPECT_EQ(font.GetGlyph('A', 1), &font.m_Glyphs[2]);
    EXPECT_EQ(font.GetGlyph(0x141, 1), &font.m_Glyphs[3]);
    EXPECT_EQ(font.GetGlyph(0x41 + 0x1000, 1), &font.m_Glyphs[0]);
}

// --- Layout on the pages ------------------------------------------------------------------------

TEST_F(FontTest, CellsFillRowsThenPagesAndAFullPageIsUploaded) {
    // 4800 units at scale 4 round out to 301 pixels: three cells a row, 25 rows of 40 a page.
    std::vector<COutlineGlyph> glyphs;
    for (int i = 0; i < 80; ++i)
        glyphs.push_back(Bar(1000 + i, 4800.0f));
    CFont font;
    ASSERT_TRUE(Load(&font, RectangleFont(glyphs)));
    EXPECT_EQ(font.m_fScale, 4.0f);
    EXPECT_EQ(font.m_nCellHeight, 40u);
    for (int i = 0; i < 80; ++i) {
        SCOPED_TRACE(testing::Message() << "glyph " << i);
        const CFontGlyph* glyph = font.GetGlyph(1000 + i, 0);
        ASSERT_EQ(glyph->m_bReady, 1u);
        EXPECT_EQ(glyph->m_nWidth, 301u);
        const int onPage = i % 75;
        EXPECT_EQ(glyph->m_nX, (onPage % 3) * 302);
        EXPECT_EQ(glyph->m_nY, (onPage / 3) * 40);
        ASSERT_EQ(font.m_Pages.size(), i < 75 ? 1u : 2u);
        EXPECT_EQ(glyph->m_pPage, font.m_Pages[i < 75 ? 0 : 1]);
    }
    // Nothing asked for uploads, but the full page went up when the next one began.
    EXPECT_EQ(m_device.Texture(font.m_Pages[0]->GetHandle())->uploads, 1);
    EXPECT_EQ(m_device.Texture(font.m_Pages[1]->GetHandle())->uploads, 0);
    EXPECT_EQ(font.m_pCurrentPage, font.m_Pages[1]);
    // Its ink is the bar's: 630 units make 39.375 pixels, solid from the bottom row up to a
    // partly covered top row; 4800 units make 300 columns, the cell's last one stays blank.
    CTexture2D* first = font.m_Pages[0];
    EXPECT_GT(PageGrey(first, 150, 0), 0);
    EXPECT_LT(PageGrey(first, 150, 0), 255);
    EXPECT_EQ(PageGrey(first, 150, 1), 255);
    EXPECT_EQ(PageGrey(first, 150, 39), 255);
    EXPECT_EQ(PageGrey(first, 299, 20), 255);
    EXPECT_EQ(PageGrey(first, 300, 20), 0);
    EXPECT_EQ(PageGrey(first, 301, 20), 0);  // the pixel between two cells
    EXPECT_EQ(PageGrey(first, 302, 20), 255);
}

TEST_F(FontTest, ReleasedPagesAreRebuiltWhenTheGlyphsAreAskedForAgain) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    const std::string text = "Quartz";
    std::vector<std::vector<uint8_t>> before;
    std::vector<uint16_t> widths;
    for (const char c : text) {
        const CFontGlyph* glyph = font.GetGlyph(static_cast<unsigned char>(c), 1);
        widths.push_back(glyph->m_nWidth);
        std::vector<uint8_t> cell;
        for (uint32_t y = 0; y < 40; ++y)
            for (uint32_t x = glyph->m_nX; x < glyph->m_nX + glyph->m_nWidth; ++x)
                cell.push_back(PageGrey(glyph->m_pPage, x, y));
        before.push_back(cell);
    }
    ASSERT_EQ(font.m_Pages.size(), 1u);
    const uint32_t oldHandle = font.m_Pages[0]->GetHandle();

    font.ReleasePages();
    EXPECT_TRUE(font.m_Pages.empty());
    EXPECT_EQ(font.m_pCurrentPage, nullptr);
    EXPECT_EQ(font.m_bNewPage, 1);
    EXPECT_EQ(m_device.Texture(oldHandle), nullptr) << "the page went back to the device";
    for (const CFontGlyph& glyph : font.m_Glyphs) {
        EXPECT_EQ(glyph.m_bReady, 0u);
        EXPECT_EQ(glyph.m_pPage, nullptr);
    }

    // Asked in the other order, the same glyphs come out on a fresh page.
    for (size_t n = text.size(); n-- > 0;) {
        SCOPED_TRACE(testing::Message() << "character '" << text[n] << "'");
        const CFontGlyph* glyph = font.GetGlyph(static_cast<unsigned char>(text[n]), 1);
        ASSERT_EQ(glyph->m_bReady, 1u);
        ASSERT_EQ(font.m_Pages.size(), 1u);
        EXPECT_EQ(glyph->m_pPage, font.m_Pages[0]);
        EXPECT_EQ(glyph->m_nWidth, widths[n]);
        if (n == text.size() - 1) {
            EXPECT_EQ(glyph->m_nX, 0u);
        }
        std::vector<uint8_t> cell;
        for (uint32_t y = 0; y < 40; ++y)
            for (uint32_t x = glyph->m_nX; x < glyph->m_nX + glyph->m_nWidth; ++x)
                cell.push_back(PageGrey(glyph->m_pPage, x, y));
        EXPECT_EQ(cell, before[n]);
    }
}

TEST_F(FontTest, TheClearFlagDropsThePagesAtTheNextLookupAndEveryRasterisationClearsIt) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    font.GetGlyph('A', 1);
    font.GetGlyph('B', 1);
    ASSERT_EQ(font.m_Pages.size(), 1u);
    const uint32_t oldHandle = font.m_Pages[0]->GetHandle();
    font.m_nFlags |= CFont::kFlagClearPages;

    const CFontGlyph* b = font.GetGlyph('B', 1);
    EXPECT_EQ(m_device.Texture(oldHandle), nullptr);
    ASSERT_EQ(font.m_Pages.size(), 1u);
    EXPECT_EQ(b->m_pPage, font.m_Pages[0]);
    EXPECT_EQ(b->m_nX, 0u) << "B was rasterised again, first on the new page";
    EXPECT_EQ(font.m_nFlags & CFont::kFlagClearPages, 0u);
    // A is no longer on any page until asked for.
    EXPECT_EQ(font.m_Glyphs[static_cast<size_t>(font.m_nChainHeads['A'])].m_bReady, 0u);
}

TEST_F(FontTest, UploadsOnlyWhenAsked) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    font.GetGlyph('x', 0);
    const uint32_t handle = font.m_Pages[0]->GetHandle();
    EXPECT_EQ(m_device.Texture(handle)->uploads, 0);
    font.GetGlyph('y', 1);
    EXPECT_EQ(m_device.Texture(handle)->uploads, 1);
}

TEST_F(FontTest, FixedWidthGlyphsShareTheWidestCellAndSitInItsMiddle) {
    // The widest glyph: 4800 units round out to 76 pixels before scaling, 304 after.
    CFont font;
    ASSERT_TRUE(Load(&font, RectangleFont({Bar('W', 4800.0f), Bar('i', 640.0f), Bar(' ', 640.0f)},
                                          CFont::kFlagFixedWidth)));
    ASSERT_EQ(font.m_nCellWidth, 304u);
    const CFontGlyph* wide = font.GetGlyph('W', 1);
    const CFontGlyph* narrow = font.GetGlyph('i', 1);
    const CFontGlyph* space = font.GetGlyph(' ', 1);
    EXPECT_EQ(wide->m_nWidth, 304u);
    EXPECT_EQ(narrow->m_nWidth, 304u);
    EXPECT_EQ(space->m_nWidth, 304u) << "the space rule is for proportional fonts";
    // 640 units at scale 4 are 40 pixels of ink, rounded out to 41: (304 - 41) / 2 = 131
    // columns on the left.
    for (uint32_t column = 0; column < 304; ++column) {
        SCOPED_TRACE(testing::Message() << "column " << column);
        const bool inked = PageGrey(narrow->m_pPage, narrow->m_nX + column, 20) != 0;
        EXPECT_EQ(inked, column >= 131 && column < 131 + 40);
    }
}

TEST_F(FontTest, ASpaceInAProportionalFontIsHalfTheCellHeightWhateverItsOutline) {
    CFont font;
    ASSERT_TRUE(Load(&font, RectangleFont({Bar('a', 640.0f), Bar(' ', 4800.0f)})));
    EXPECT_EQ(font.GetGlyph(' ', 1)->m_nWidth, 20u);
    EXPECT_EQ(font.GetGlyph('a', 1)->m_nWidth, 41u);
}

// --- The bitmap-cell form -----------------------------------------------------------------------

TEST_F(FontTest, BitmapCellFontGivesCellNumberCodeWithoutAPage) {
    const CCellFont& cells = DejaVuCellFont();
    CFont font;
    ASSERT_TRUE(Load(&font, EncodeCellFont(cells)));
    EXPECT_EQ(font.m_bOutline, 0);
    EXPECT_EQ(font.m_fSize, static_cast<float>(cells.cellHeight));
    ASSERT_EQ(font.m_Cells.size(), 256u);
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(testing::Message() << "code " << code);
        const CFontGlyph* glyph = font.GetGlyph(code, 1);
        ASSERT_EQ(glyph, &font.m_Cells[static_cast<size_t>(code)]);
        EXPECT_EQ(glyph->m_pPage, nullptr);
        EXPECT_EQ(glyph->m_nX, cells.cells[code].x);
        EXPECT_EQ(glyph->m_nY, cells.cells[code].y);
        EXPECT_EQ(glyph->m_nWidth, cells.cells[code].width);
    }
    EXPECT_EQ(font.GetGlyph(-1, 1), nullptr);
    EXPECT_EQ(font.GetGlyph(256, 1), nullptr);
    EXPECT_TRUE(font.m_Pages.empty());
    EXPECT_TRUE(m_device.m_Textures.empty()) << "the caller loads the cells' texture";
}

TEST_F(FontTest, ALoadReplacesTheOtherForm) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    font.GetGlyph('A', 1);
    const uint32_t handle = font.m_Pages[0]->GetHandle();
    ASSERT_TRUE(Load(&font, EncodeCellFont(DejaVuCellFont())));
    EXPECT_EQ(font.m_bOutline, 0);
    EXPECT_TRUE(font.m_Glyphs.empty());
    EXPECT_TRUE(font.m_Pages.empty());
    EXPECT_EQ(m_device.Texture(handle), nullptr);
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    EXPECT_EQ(font.m_bOutline, 1);
    EXPECT_TRUE(font.m_Cells.empty());
    EXPECT_EQ(font.GetGlyph('A', 1)->m_nCode, 'A');
}

// --- Text width ----------------------------------------------------------------------------------

TEST_F(FontTest, TextWidthAddsEachAdvanceAndSpacingAtTheScale) {
    CFont font;
    ASSERT_TRUE(Load(&font, EncodeCellFont(DejaVuCellFont())));
    const CCellFont& cells = DejaVuCellFont();
    const std::string text = "W\xe9ll, 100\x80!";
    float expected = 0.0f;
    for (const char c : text)
        expected += static_cast<float>(cells.cells[static_cast<unsigned char>(c)].width) * 0.5f + 0.5f * 2.0f;
    EXPECT_FLOAT_EQ(m_device.GetTextWidth(text.data(), static_cast<int>(text.size()), &font, 0.5f, 2.0f), expected);
    EXPECT_EQ(m_device.GetTextWidth(text.data(), 0, &font, 0.5f, 2.0f), 0.0f);
    EXPECT_EQ(m_device.GetTextWidth(nullptr, 3, &font, 0.5f, 2.0f), 0.0f);
    EXPECT_EQ(m_device.GetTextWidth(text.data(), 3, nullptr, 0.5f, 2.0f), 0.0f);
    // One character already carries one spacing.
    EXPECT_FLOAT_EQ(m_device.GetTextWidth("W", 1, &font, 1.0f, 3.0f),
                    static_cast<float>(cells.cells['W'].width) + 3.0f);
}

TEST_F(FontTest, TextWidthOfAnOutlineFontRasterisesWhatItMeasures) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    const float width = m_device.GetTextWidth("Tip \x81", 5, &font, 1.0f, 0.0f);
    float expected = 0.0f;
    for (const int code : {int{'T'}, int{'i'}, int{'p'}, int{' '}, 0x81}) {
        const CFontGlyph* glyph = font.GetGlyph(code, 1);
        EXPECT_EQ(glyph->m_bReady, 1u);
        expected += static_cast<float>(glyph->m_nWidth);
    }
    EXPECT_EQ(width, expected);
    EXPECT_EQ(m_device.Texture(font.m_Pages[0]->GetHandle())->lastFlag, 1);
}

// --- Loading through the device ------------------------------------------------------------------

TEST(FontLoad, TheDeviceLoadsFontsBetweenItsLogLinesAndLeavesAFailedOneToTheCaller) {
    TempDir dir;
    const std::string logPath = dir.File("device.log");
    CLogFile log(logPath.c_str());
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0, &log), 1);
    const std::string good = dir.File("menu.fnt");
    WriteBytes(good, DejaVuOutlineFile().data(), DejaVuOutlineFile().size());
    const std::string cells = dir.File("menu_cells.fnt");
    const std::vector<uint8_t> cellBytes = EncodeCellFont(DejaVuCellFont());
    WriteBytes(cells, cellBytes.data(), cellBytes.size());
    const std::string missing = dir.File("missing.fnt");

    CFont* font = nullptr;
    EXPECT_EQ(device.LoadFont(good.c_str(), &font), 1);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->m_bOutline, 1);
    device.FreeFont(font);
    font = nullptr;
    EXPECT_EQ(device.LoadFont(cells.c_str(), &font), 1);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->m_bOutline, 0);
    device.FreeFont(font);
    font = nullptr;
    EXPECT_EQ(device.LoadFont(missing.c_str(), &font), 0);
    ASSERT_NE(font, nullptr) << "a failed load leaves the font for the caller to free";
    device.FreeFont(font);
    // A folder opens but cannot be read: a read error, not an empty font.
    font = nullptr;
    EXPECT_EQ(device.LoadFont(dir.Path().c_str(), &font), 0);
    device.FreeFont(font);

    EXPECT_EQ(ReadText(logPath), "loading " + good + "... ok\nloading " + cells + "... ok\nloading " + missing +
                                     "... failed\nloading " + dir.Path() + "... failed\n");
}

TEST_F(FontTest, AFontFreedWithPagesGivesThemBackToTheDevice) {
    auto* font = new CFont;
    ASSERT_TRUE(Load(font, DejaVuOutlineFile()));
    font->GetGlyph('g', 1);
    const uint32_t handle = font->m_Pages[0]->GetHandle();
    m_device.FreeFont(font);
    EXPECT_EQ(m_device.Texture(handle), nullptr);
}

// --- Hostile files -------------------------------------------------------------------------------

// The bytes of a small valid outline font: a box of two contours, a bar and a space (no
// points). Glyph 0 starts at offset 26 (point count at 36, points from 38, 9 bytes each);
// its contour count is at 110, its two contour ends at 112 and 114.
std::vector<uint8_t> SmallFont() {
    COutlineFont font;
    font.verticalOffset = -100.0f;
    font.glyphs = {RectangleGlyph(0, {{0, -100, 500, 700}, {100, 0, 400, 600}}), Bar('A', 640.0f),
                   COutlineGlyph{' ', {}, {}, {}}};
    return EncodeOutlineFont(font);
}

void PutU16(std::vector<uint8_t>* bytes, size_t offset, uint16_t value) {
    (*bytes)[offset] = static_cast<uint8_t>(value);
    (*bytes)[offset + 1] = static_cast<uint8_t>(value >> 8);
}
void PutU32(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}
void PutF32(std::vector<uint8_t>* bytes, size_t offset, float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    PutU32(bytes, offset, bits);
}

TEST_F(FontTest, TheSmallFontItselfLoadsAndKeepsItsKerningPairsInRecordOrder) {
    std::vector<uint8_t> bytes = SmallFont();
    PutU32(&bytes, 22, 2);
    for (const uint16_t value : {1, 2, 3, 40, 50, 60})
        bytes.insert(bytes.end(), {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
    CFont font;
    ASSERT_TRUE(Load(&font, bytes));
    ASSERT_EQ(font.m_Glyphs.size(), 3u);
    EXPECT_EQ(font.m_Glyphs[0].m_nContourCount, 2u);
    EXPECT_EQ(font.m_Glyphs[2].m_nPointCount, 0u);
    ASSERT_EQ(font.m_KerningPairs.size(), 2u);
    EXPECT_EQ(font.m_KerningPairs[0].nSecond, 2u);
    EXPECT_EQ(font.m_KerningPairs[0].nThird, 3u);
    EXPECT_EQ(font.m_KerningPairs[0].nFirst, 1u);
    EXPECT_EQ(font.m_KerningPairs[1].nSecond, 50u);
    EXPECT_EQ(font.m_fVerticalOffset, -100.0f);
}

TEST_F(FontTest, HostileFilesAreRefusedAndLeaveTheFontAsItWas) {
    const std::vector<uint8_t> good = SmallFont();
    ASSERT_EQ(good.size(), 26u + (12 + 8 * 9 + 2 + 4) + (12 + 4 * 9 + 2 + 2) + (12 + 2));
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    for (const size_t cut : {size_t{0}, size_t{1}, size_t{2}, size_t{13}, size_t{25}, size_t{26}, size_t{37},
                             size_t{38}, size_t{60}, size_t{111}, size_t{113}, good.size() - 1})
        cases.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<ptrdiff_t>(cut))});
    auto changed = [&](const char* name, auto change) {
        std::vector<uint8_t> bytes = good;
        change(&bytes);
        cases.push_back({name, bytes});
    };
    changed("zero glyphs", [](auto* b) { PutU32(b, 18, 0); });
    changed("glyph count past the end", [](auto* b) { PutU32(b, 18, 4); });
    changed("glyph count huge", [](auto* b) { PutU32(b, 18, 0xFFFFFFFFu); });
    changed("pair count past the end", [](auto* b) { PutU32(b, 22, 1); });
    changed("pair count huge", [](auto* b) { PutU32(b, 22, 0x40000000u); });
    changed("point count past the end", [](auto* b) { PutU16(b, 36, 60000); });
    changed("contour end past the point count", [](auto* b) { PutU16(b, 114, 8); });
    changed("last contour end short of the last point", [](auto* b) { PutU16(b, 114, 6); });
    changed("contour ends not increasing", [](auto* b) { PutU16(b, 112, 7); });
    changed("contour count past the point count", [](auto* b) { PutU16(b, 110, 9); });
    changed("points without a contour", [](auto* b) { PutU16(b, 110, 0); });
    changed("NaN coordinate", [](auto* b) { PutF32(b, 38, std::numeric_limits<float>::quiet_NaN()); });
    changed("infinite coordinate", [](auto* b) { PutF32(b, 42 + 9, -std::numeric_limits<float>::infinity()); });
    changed("huge coordinate", [](auto* b) { PutF32(b, 38, 1e30f); });
    changed("NaN vertical offset", [](auto* b) { PutF32(b, 14, std::numeric_limits<float>::quiet_NaN()); });
    changed("huge vertical offset", [](auto* b) { PutF32(b, 14, -3e9f); });
    // 20000 units at scale 4 make a cell of 1250 pixels: wider than a page.
    cases.push_back({"cell wider than a page", RectangleFont({Bar('A', 20000.0f)})});
    {
        // More points than FreeType's outline holds.
        COutlineGlyph many;
        many.code = 'A';
        for (int i = 0; i < 32768; ++i) {
            many.points.insert(many.points.end(), {static_cast<float>(i % 640), static_cast<float>(i % 630)});
            many.tags.push_back(1);
        }
        many.contourEnds = {32767};
        cases.push_back({"more points than an outline holds", RectangleFont({many})});
    }
    {
        const std::vector<uint8_t> cells = EncodeCellFont(DejaVuCellFont());
        cases.push_back({"cell table truncated", std::vector<uint8_t>(cells.begin(), cells.end() - 1)});
        cases.push_back({"cell table without cells", std::vector<uint8_t>(cells.begin(), cells.begin() + 2)});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << ", " << c.bytes.size() << " bytes");
        CFont font;
        ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
        const CFontGlyph* a = font.GetGlyph('a', 1);
        const size_t glyphs = font.m_Glyphs.size();
        EXPECT_EQ(font.LoadData(c.bytes.data(), c.bytes.size(), &m_device), 0);
        EXPECT_EQ(font.m_bOutline, 1);
        EXPECT_EQ(font.m_Glyphs.size(), glyphs);
        EXPECT_EQ(font.m_Pages.size(), 1u);
        EXPECT_EQ(font.GetGlyph('a', 1), a);
        EXPECT_EQ(a->m_bReady, 1u);

        TempDir dir;
        WriteBytes(dir.File("hostile.fnt"), c.bytes.data(), c.bytes.size());
        CFont fresh;
        EXPECT_EQ(fresh.LoadFile(dir.File("hostile.fnt").c_str(), &m_device), 0);
        EXPECT_TRUE(fresh.m_Glyphs.empty());
        EXPECT_TRUE(fresh.m_Cells.empty());
        EXPECT_EQ(fresh.GetGlyph('a', 1), nullptr);
    }
}

TEST_F(FontTest, TheLimitsThemselvesAreAccepted) {
    // 16320 units at scale 4 make a cell of exactly 1024 pixels.
    CFont wide;
    ASSERT_TRUE(Load(&wide, RectangleFont({Bar('A', 16320.0f)})));
    EXPECT_EQ(wide.m_nCellWidth, 1024u);
    const CFontGlyph* glyph = wide.GetGlyph('A', 1);
    EXPECT_EQ(glyph->m_bReady, 1u);
    EXPECT_LE(glyph->m_nX + glyph->m_nWidth, kPage);

    COutlineGlyph many;
    many.code = 'B';
    for (int i = 0; i < 32767; ++i) {
        many.points.insert(many.points.end(), {static_cast<float>(i % 640), static_cast<float>(i % 630)});
        many.tags.push_back(1);
    }
    many.contourEnds = {32766};
    CFont dense;
    EXPECT_TRUE(Load(&dense, RectangleFont({Bar('A', 640.0f), many})));
}

TEST_F(FontTest, OutlinesTheRasteriserRejectsBecomeEmptyCells) {
    // A contour that starts on a cubic control point is no outline FreeType draws.
    COutlineGlyph broken = Bar('x', 640.0f);
    broken.tags = {2, 1, 1, 1};
    CFont font;
    ASSERT_TRUE(Load(&font, RectangleFont({Bar('A', 640.0f), broken})));
    const CFontGlyph* glyph = font.GetGlyph('x', 1);
    ASSERT_EQ(glyph->m_bReady, 1u);
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = glyph->m_nX; x < glyph->m_nX + glyph->m_nWidth; ++x)
            ASSERT_EQ(PageGrey(glyph->m_pPage, x, y), 0);
}

TEST_F(FontTest, WithoutADeviceNothingIsRasterised) {
    CFont font;
    ASSERT_EQ(font.LoadData(DejaVuOutlineFile().data(), DejaVuOutlineFile().size(), nullptr), 1);
    const CFontGlyph* glyph = font.GetGlyph('A', 1);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->m_bReady, 0u);
    EXPECT_TRUE(font.m_Pages.empty());
}

TEST_F(FontTest, AFailedPageLeavesTheGlyphUnreadyAndIsTriedAgain) {
    CFont font;
    ASSERT_TRUE(Load(&font, DejaVuOutlineFile()));
    m_device.m_bFailAddTexture = true;
    const CFontGlyph* glyph = font.GetGlyph('A', 1);
    EXPECT_EQ(glyph->m_bReady, 0u);
    EXPECT_TRUE(font.m_Pages.empty());
    m_device.m_bFailAddTexture = false;
    EXPECT_EQ(font.GetGlyph('A', 1)->m_bReady, 1u);
    EXPECT_EQ(font.m_Pages.size(), 1u);
}

TEST_F(FontTest, ClearingTheCacheFreesTheOutlinesAndTheCells) {
    CFont outline;
    ASSERT_TRUE(Load(&outline, DejaVuOutlineFile()));
    outline.GetGlyph('A', 1);
    outline.ClearGlyphCache();
    EXPECT_TRUE(outline.m_Pages.empty());
    for (const CFontGlyph& glyph : outline.m_Glyphs) {
        EXPECT_TRUE(glyph.m_Points.empty());
        EXPECT_EQ(glyph.m_nPointCount, 0u);
    }
    CFont cells;
    ASSERT_TRUE(Load(&cells, EncodeCellFont(DejaVuCellFont())));
    cells.ClearGlyphCache();
    EXPECT_EQ(cells.GetGlyph('A', 1), nullptr);
}

}  // namespace
