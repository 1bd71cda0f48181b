// The Direct3D 9 device's text operations on real pixels, with the converter's DejaVu Sans in
// both forms drawn as the interface draws its menu font: the cell texture bound by the caller
// and its size passed along, alpha blending on. Checked: text lands at its position, the
// measured width is the drawn one, line feeds, the converter's advances and its empty CR,
// the transformed and the camera-facing text, and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "bench/GameCamera.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/engine/graphics/FontFixtures.h"
#include "tests/support/PixelFrame.h"
#include "winapi/d3d9/D3D9TestHooks.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 96;
constexpr uint32_t kBackground = 0xFF203040;
constexpr uint32_t kTextColour = 0xFFD1ECE2;

struct Frame : PixelFrame {
    bool Inked(int x, int y) const { return At(x, y) != (kBackground & 0xFFFFFF); }
};

// The rectangle holding every pixel that differs from the background; empty (right < left)
// when there is none.
struct InkBox {
    int left = kWidth;
    int top = kHeight;
    int right = -1;
    int bottom = -1;
    int count = 0;
};

InkBox InkOf(const Frame& frame, int fromX = 0, int toX = kWidth) {
    InkBox box;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = fromX; x < toX; ++x) {
            if (!frame.Inked(x, y))
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
            ++box.count;
        }
    }
    return box;
}

// Whether two frames are the same after moving the second by (dx, dy); the first few
// differing pixels are named.
::testing::AssertionResult SameFrames(const Frame& a, const Frame& b, int dx = 0, int dy = 0) {
    int count = 0;
    ::testing::Message differences;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const int bx = x + dx;
            const int by = y + dy;
            const uint32_t other = bx >= 0 && by >= 0 && bx < b.width && by < b.height ? b.At(bx, by)
                                                                                       : (kBackground & 0xFFFFFF);
            if (a.At(x, y) == other)
                continue;
            if (count++ < 4) {
                char text[64];
                snprintf(text, sizeof text, " (%d, %d): %06X against %06X;", x, y, static_cast<unsigned>(a.At(x, y)),
                         static_cast<unsigned>(other));
                differences << text;
            }
        }
    }
    if (count == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << count << " pixels differ:" << differences;
}

class FontDrawTest : public ::testing::Test {
protected:
    struct Form {
        const char* name;
        CFont* font;
    };

    void SetUp() override {
        ASSERT_EQ(m_viewport.Create(nullptr, kWidth, kHeight, 0), 1);
        ASSERT_TRUE(StartDevice(64, 64, 512));
    }

    void TearDown() override {
        m_outline.reset();
        m_cells.reset();
        m_texture.reset();
        m_device.Shutdown();
        m_viewport.Close();
    }

    // (Re)starts the device with these pool sizes and loads both fonts and the cells' texture.
    bool StartDevice(uint32_t pnt1Count, uint32_t pct2Count, uint32_t prc2t1Count) {
        m_outline = std::make_unique<CFont>();
        m_cells = std::make_unique<CFont>();
        m_texture = std::make_unique<CTexture2D>();
        m_device.Shutdown();
        if (m_device.Init(&m_viewport, kWidth, kHeight, 32, 0, 0, 0, pnt1Count, pct2Count, prc2t1Count, nullptr, 0) !=
            1)
            return false;
        const std::vector<uint8_t>& outline = DejaVuOutlineFile();
        const std::vector<uint8_t> cells = EncodeCellFont(DejaVuCellFont());
        const std::vector<uint8_t> texture = EncodeCellTexture(DejaVuCellFont());
        return m_outline->LoadData(outline.data(), outline.size(), &m_device) == 1 &&
               m_cells->LoadData(cells.data(), cells.size(), &m_device) == 1 &&
               m_texture->LoadTga(texture.data(), texture.size(), 0, 0, &m_device) == 1;
    }

    std::vector<Form> Forms() { return {{"outline form", m_outline.get()}, {"bitmap-cell form", m_cells.get()}}; }

    // As the interface draws: alpha blending on, the menu font's texture bound; sampled
    // without filtering, so that text moved by whole pixels gives the same pixels.
    void PrepareText() {
        m_device.SetRenderState(kRenderAlphaBlendEnable, 1);
        m_device.SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
        m_device.SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
        m_device.SetTextureStageState(0, kStageMinFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMagFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMipFilter, kFilterNone);
        m_device.SetTexture(0, m_texture.get());
    }

    int Text2D(CFont* font, const std::string& text, float x, float y, float scale = 0.5f, float spacing = 0.0f) {
        PrepareText();
        const CVector3 position(x, y, 0.5f);
        return m_device.DrawText2D(&position, text.data(), static_cast<int>(text.size()), font,
                                   static_cast<int>(m_texture->GetWidth()), static_cast<int>(m_texture->GetHeight()),
                                   kTextColour, scale, scale, spacing);
    }

    Frame Render(const std::function<void()>& draw) {
        m_device.Clear(kClearTarget | kClearDepth, kBackground, 1.0f, 0);
        m_device.BeginScene();
        draw();
        m_device.EndScene();
        Frame frame;
        EXPECT_TRUE(winapi::d3d::ReadBackBuffer(m_device.m_pDevice, &frame.pixels, &frame.width, &frame.height));
        if (frame.pixels.size() != static_cast<size_t>(kWidth) * kHeight) {
            frame.pixels.assign(static_cast<size_t>(kWidth) * kHeight, kBackground);
            frame.width = kWidth;
            frame.height = kHeight;
        }
        return frame;
    }

    CViewportWin32 m_viewport;
    CRenderDeviceDX9 m_device;
    std::unique_ptr<CFont> m_outline;
    std::unique_ptr<CFont> m_cells;
    std::unique_ptr<CTexture2D> m_texture;
};

TEST_F(FontDrawTest, ALineOfTextLandsAtItsPositionCharacterByCharacter) {
    const std::string text = "Hamburg";
    const float x = 20.0f;
    const float y = 30.0f;
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        int result = 0;
        const Frame frame = Render([&] { result = Text2D(form.font, text, x, y); });
        EXPECT_EQ(result, 1);
        const float width = m_device.GetTextWidth(text.data(), static_cast<int>(text.size()), form.font, 0.5f, 0.0f);
        const float height = form.font->m_fSize * 0.5f;
        EXPECT_EQ(height, 20.0f);
        const InkBox ink = InkOf(frame);
        ASSERT_GT(ink.count, 0);
        EXPECT_GE(ink.left, x - 1.0f);
        EXPECT_LE(ink.left, x + 3.0f);
        EXPECT_LE(ink.right, x + width);
        EXPECT_GE(ink.right, x + width - 4.0f);
        EXPECT_GE(ink.top, y);
        EXPECT_LE(ink.bottom, y + height);
        // H stands on the baseline and g hangs below it: together they fill most of the cell.
        EXPECT_GE(ink.bottom - ink.top, static_cast<int>(height * 0.6f));
        // Every character inks its own stretch of the line.
        float pen = x;
        for (const char c : text) {
            SCOPED_TRACE(testing::Message() << "character '" << c << "'");
            const float advance = static_cast<float>(form.font->GetGlyph(static_cast<unsigned char>(c), 1)->m_nWidth) *
                                  0.5f;
            EXPECT_GT(InkOf(frame, static_cast<int>(std::ceil(pen)), static_cast<int>(pen + advance)).count, 0);
            pen += advance;
        }
    }
}

TEST_F(FontDrawTest, MovingThePositionMovesTheInkByTheSameWholePixels) {
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        // Pixel centres lie on whole coordinates: at scale 1 and half a pixel up and left each
        // samples a texel centre.
        const Frame here = Render([&] { Text2D(form.font, "Quiz 42", 11.5f, 9.5f, 1.0f); });
        const Frame there = Render([&] { Text2D(form.font, "Quiz 42", 48.5f, 32.5f, 1.0f); });
        EXPECT_GT(InkOf(here).count, 0);
        EXPECT_TRUE(SameFrames(here, there, 37, 23));
    }
}

TEST_F(FontDrawTest, TheMeasuredWidthIsTheDrawnAdvance) {
    // "Wave" drawn whole equals "Wa" and then "ve" drawn where the measured width of "Wa" ends.
    for (const Form& form : Forms()) {
        for (const float spacing : {0.0f, 2.0f}) {
            SCOPED_TRACE(testing::Message() << form.name << ", spacing " << spacing);
            const float scale = 1.0f;
            const Frame whole = Render([&] { Text2D(form.font, "Wave", 9.5f, 19.5f, scale, spacing); });
            const float first = m_device.GetTextWidth("Wa", 2, form.font, scale, spacing);
            const Frame split = Render([&] {
                Text2D(form.font, "Wa", 9.5f, 19.5f, scale, spacing);
                Text2D(form.font, "ve", 9.5f + first, 19.5f, scale, spacing);
            });
            EXPECT_GT(InkOf(whole).count, 0);
            EXPECT_TRUE(SameFrames(whole, split));
            EXPECT_LE(InkOf(whole).right, 9.5f + m_device.GetTextWidth("Wave", 4, form.font, scale, spacing));
        }
    }
}

TEST_F(FontDrawTest, ALineFeedStartsTheNextLineOneCellLower) {
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        const Frame both = Render([&] { Text2D(form.font, "ab\ncd", 29.5f, 7.5f, 1.0f); });
        const Frame apart = Render([&] {
            Text2D(form.font, "ab", 29.5f, 7.5f, 1.0f);
            Text2D(form.font, "cd", 29.5f, 7.5f + form.font->m_fSize, 1.0f);
        });
        EXPECT_GT(InkOf(both).count, 0);
        EXPECT_TRUE(SameFrames(both, apart));
    }
}

// --- The converter's advances --------------------------------------------------------------------

TEST_F(FontDrawTest, AGlyphIsAsWideAsItsAdvanceWithItsInkBetweenTheSideBearings) {
    // DejaVu's own metrics, read apart from the converter, in font units.
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, kDejaVuSansPath, 0, &face), 0);
    const float pixelsPerUnit = m_outline->m_fScale / 64.0f;
    const float x = 9.5f;
    for (const char c : {'l', 'i', 'A', 'W', 'm', '1', '.'}) {
        SCOPED_TRACE(testing::Message() << "character '" << c << "'");
        ASSERT_EQ(FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_NO_SCALE), 0);
        const FT_Glyph_Metrics& metrics = face->glyph->metrics;
        ASSERT_GE(metrics.horiBearingX, 0) << "ink left of the origin would move the glyph";
        const std::string text(1, c);
        EXPECT_NEAR(m_device.GetTextWidth(text.data(), 1, m_outline.get(), 1.0f, 0.0f),
                    static_cast<float>(metrics.horiAdvance) * pixelsPerUnit, 1.0f);
        // Drawn: the ink starts after the left side bearing and ends before the right one.
        const InkBox ink = InkOf(Render([&] { Text2D(m_outline.get(), text, x, 19.5f, 1.0f); }));
        ASSERT_GT(ink.count, 0);
        const float inkLeft = static_cast<float>(metrics.horiBearingX) * pixelsPerUnit;
        const float inkRight = static_cast<float>(metrics.horiBearingX + metrics.width) * pixelsPerUnit;
        EXPECT_NEAR(ink.left, std::floor(x + inkLeft), 1.0f);
        EXPECT_NEAR(ink.right, std::ceil(x + inkRight) - 1.0f, 1.0f);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

TEST_F(FontDrawTest, TwoLettersDrawnSideBySideKeepAGapBetweenThem) {
    // At the interface's half size, as well as whole.
    for (const float scale : {0.5f, 1.0f}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        const Frame frame = Render([&] { Text2D(m_outline.get(), "ll", 20.0f, 20.0f, scale); });
        // The runs of columns holding ink: one a stroke, with clear columns between them.
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < kWidth; ++x) {
            if (InkOf(frame, x, x + 1).count == 0)
                continue;
            if (!runs.empty() && runs.back().second == x - 1)
                runs.back().second = x;
            else
                runs.emplace_back(x, x);
        }
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_GE(runs[1].first - runs[0].second - 1, static_cast<int>(3.0f * scale)) << "clear columns";
    }
}

TEST_F(FontDrawTest, ACarriageReturnBeforeALineFeedDrawsNothing) {
    EXPECT_EQ(m_outline->GetGlyph('\r', 1)->m_nCode, '\r') << "CR has a glyph of its own";
    const Frame both = Render([&] { Text2D(m_outline.get(), "A\r\nB", 29.5f, 7.5f, 1.0f); });
    const Frame apart = Render([&] {
        Text2D(m_outline.get(), "A", 29.5f, 7.5f, 1.0f);
        Text2D(m_outline.get(), "B", 29.5f, 7.5f + m_outline->m_fSize, 1.0f);
    });
    EXPECT_GT(InkOf(both).count, 0);
    EXPECT_TRUE(SameFrames(both, apart)) << "two lines and no fallback box";
    // CR alone adds nothing to the line either.
    EXPECT_EQ(InkOf(Render([&] { Text2D(m_outline.get(), "\r", 29.5f, 7.5f, 1.0f); })).count, 0);
}

TEST_F(FontDrawTest, TransformedTextMovedByAMatrixIsTheScreenTextAtTheMovedPosition) {
    CMatrix shift;
    shift.SetTranslation(41.0f, 9.0f, 0.0f);
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        const std::string text = "Ink\nwe";
        int result = 0;
        const Frame transformed = Render([&] {
            PrepareText();
            const CVector3 position(9.5f, 1.5f, 0.5f);
            const int width = static_cast<int>(m_texture->GetWidth());
            const int height = static_cast<int>(m_texture->GetHeight());
            result = m_device.DrawTextTransformed(&position, &shift, text.data(), static_cast<int>(text.size()),
                                                  form.font, width, height, kTextColour, 1.0f, 1.0f, 0.0f);
        });
        EXPECT_EQ(result, 1);
        const Frame direct = Render([&] { Text2D(form.font, text, 50.5f, 10.5f, 1.0f); });
        EXPECT_GT(InkOf(direct).count, 0);
        EXPECT_TRUE(SameFrames(transformed, direct));
    }
}

TEST_F(FontDrawTest, CameraFacingTextStandsOnItsPositionInTheScene) {
    // The game's camera looks along +z from 12.8 in front of the origin; text in the plane
    // z = 0 covers the rectangle its quads span there (a 4:3 projection on this window).
    CCamera camera;
    SetUpGameCamera(&camera);
    auto screenX = [](float wx) { return kWidth / 2.0f + wx * (3.7320508f / 1.3333334f) / 12.8f * (kWidth / 2.0f); };
    auto screenY = [](float wy) { return kHeight / 2.0f - wy * 3.7320508f / 12.8f * (kHeight / 2.0f); };

    const std::string text = "Lab";
    const float scale = 0.05f;
    const CVector3 position(-1.0f, -0.5f, 0.0f);
    int result = 0;
    const Frame frame = Render([&] {
        ASSERT_EQ(camera.Apply(&m_device), 1);
        PrepareText();
        result = m_device.DrawText(&position, &camera, text.data(), static_cast<int>(text.size()), m_outline.get(), 0,
                                   0, kTextColour, scale, scale, 0.0f);
    });
    EXPECT_EQ(result, 1);
    const float width = m_device.GetTextWidth(text.data(), 3, m_outline.get(), scale, 0.0f);
    const InkBox ink = InkOf(frame);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.left, screenX(position.x) - 1.0f);
    EXPECT_LE(ink.right, screenX(position.x + width) + 1.0f);
    EXPECT_GE(ink.top, screenY(position.y + 40.0f * scale) - 1.0f);
    EXPECT_LE(ink.bottom, screenY(position.y) + 1.0f);
    EXPECT_GE(ink.right - ink.left, static_cast<int>((screenX(width) - screenX(0.0f)) * 0.8f));
    EXPECT_GE(ink.bottom - ink.top, static_cast<int>((screenY(0.0f) - screenY(40.0f * scale)) * 0.6f));
}

TEST_F(FontDrawTest, EmptyTextDrawsNothingAndSucceeds) {
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        int results[3] = {};
        CCamera camera;
        const CMatrix identity = CMatrix::Identity();
        const Frame frame = Render([&] {
            PrepareText();
            const CVector3 position(5.0f, 5.0f, 0.5f);
            results[0] = m_device.DrawText2D(&position, "x", 0, form.font, 256, 256, kTextColour, 1, 1, 0);
            results[1] = m_device.DrawTextTransformed(&position, &identity, "x", 0, form.font, 256, 256, kTextColour,
                                                      1, 1, 0);
            results[2] = m_device.DrawText(&position, &camera, "x", 0, form.font, 256, 256, kTextColour, 1, 1, 0);
        });
        EXPECT_EQ(results[0], 1);
        EXPECT_EQ(results[1], 1);
        EXPECT_EQ(results[2], 1);
        EXPECT_EQ(InkOf(frame).count, 0);
    }
}

TEST_F(FontDrawTest, TextThatTheScreenPoolCannotHoldIsRefusedUndrawn) {
    // Room for 12 vertices: two characters, not three.
    ASSERT_TRUE(StartDevice(64, 12, 12));
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        struct Case {
            const char* name;
            std::function<int()> draw;
            int expected;
        };
        CCamera camera;
        const CMatrix identity = CMatrix::Identity();
        const CVector3 position(5.0f, 5.0f, 0.5f);
        const int w = static_cast<int>(m_texture->GetWidth());
        const int h = static_cast<int>(m_texture->GetHeight());
        const Case cases[] = {
            {"2D, fits", [&] { return m_device.DrawText2D(&position, "ab", 2, form.font, w, h, kTextColour, 1, 1, 0); },
             1},
            {"2D, too long",
             [&] { return m_device.DrawText2D(&position, "abc", 3, form.font, w, h, kTextColour, 1, 1, 0); }, 0},
            {"transformed, too long",
             [&] {
                 return m_device.DrawTextTransformed(&position, &identity, "abc", 3, form.font, w, h, kTextColour, 1, 1,
                                                     0);
             },
             0},
            {"camera-facing, too long",
             [&] { return m_device.DrawText(&position, &camera, "abc", 3, form.font, w, h, kTextColour, 1, 1, 0); }, 0},
            {"negative length",
             [&] { return m_device.DrawText2D(&position, "abc", -3, form.font, w, h, kTextColour, 1, 1, 0); }, 0},
            {"no font",
             [&] { return m_device.DrawText2D(&position, "ab", 2, nullptr, w, h, kTextColour, 1, 1, 0); }, 0},
            {"no text",
             [&] { return m_device.DrawText2D(&position, nullptr, 2, form.font, w, h, kTextColour, 1, 1, 0); }, 0},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            int result = -1;
            const Frame frame = Render([&] {
                PrepareText();
                result = c.draw();
            });
            EXPECT_EQ(result, c.expected);
            EXPECT_EQ(InkOf(frame).count > 0, c.expected == 1);
        }
    }
}

TEST_F(FontDrawTest, ACellFontNeedsTheSizeOfItsTexture) {
    const CVector3 position(5.0f, 5.0f, 0.5f);
    int results[2] = {};
    const Frame frame = Render([&] {
        PrepareText();
        results[0] = m_device.DrawText2D(&position, "ab", 2, m_cells.get(), 0, 256, kTextColour, 1, 1, 0);
        results[1] = m_device.DrawText2D(&position, "ab", 2, m_cells.get(), 256, -1, kTextColour, 1, 1, 0);
    });
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(InkOf(frame).count, 0);
    // An outline font measures its glyphs on its own pages whatever the caller passes.
    const Frame outline = Render([&] {
        PrepareText();
        const CVector3 at(4.5f, 4.5f, 0.5f);
        results[0] = m_device.DrawText2D(&at, "ab", 2, m_outline.get(), 0, 0, kTextColour, 1.0f, 1.0f, 0);
    });
    EXPECT_EQ(results[0], 1);
    EXPECT_TRUE(SameFrames(outline, Render([&] { Text2D(m_outline.get(), "ab", 4.5f, 4.5f, 1.0f); })));
}

}  // namespace
