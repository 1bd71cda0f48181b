// Fonts on the Direct3D 9 render device, with DejaVu Sans made by the font converter: how long
// one 1024 x 1024 glyph page takes to rasterise, and how many characters of screen text the
// interface's text operation draws per second in each font form. Needs a display (skips
// itself without one); measured in wall-clock time, the rasteriser works on threads of its own.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchDevice.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "tools/font/FontConverter.h"

namespace {

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Rasterises glyphs from an empty page until the next page begins. The font holds DejaVu's
// glyphs ten times over (codes 256 apart), more than one page takes.
void BM_RasterizeGlyphPage(benchmark::State& state) {
    COutlineFont outline;
    std::string error;
    if (!MakeOutlineFont(kDejaVuSans, &outline, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const size_t original = outline.glyphs.size();
    for (int copy = 1; copy < 10; ++copy) {
        for (size_t i = 0; i < original; ++i) {
            COutlineGlyph glyph = outline.glyphs[i];
            glyph.code += 256 * copy;
            outline.glyphs.push_back(glyph);
        }
    }
    CBenchDevice bench;
    if (!bench.Start(state, 640, 480, 0, 64))
        return;
    const std::vector<uint8_t> file = EncodeOutlineFont(outline);
    CFont font;
    if (!font.LoadData(file.data(), file.size(), &bench.device)) {
        state.SkipWithError("the font does not load");
        return;
    }
    int64_t glyphs = 0;
    for (auto _ : state) {
        font.ReleasePages();
        for (const COutlineGlyph& glyph : outline.glyphs) {
            font.GetGlyph(glyph.code, 0);
            if (font.m_Pages.size() > 1)
                break;
            ++glyphs;
        }
        if (font.m_Pages.size() != 2) {
            state.SkipWithError("the glyphs did not fill a page");
            return;
        }
    }
    state.counters["glyphs_per_page"] =
        benchmark::Counter(static_cast<double>(glyphs) / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(glyphs);
}
BENCHMARK(BM_RasterizeGlyphPage)->Unit(benchmark::kMillisecond)->UseRealTime();

// Lines of 2D text per frame at the interface's half scale, the glyphs already rasterised:
// argument 0 the outline form, 1 the bitmap-cell form with its texture bound.
void BM_DrawText2D(benchmark::State& state) {
    COutlineFont outline;
    CCellFont cells;
    std::string error;
    if (!MakeOutlineFont(kDejaVuSans, &outline, &error) || !MakeCellFont(kDejaVuSans, 40, &cells, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string line = "The quick brown fox jumps over the lazy dog: 12,50 \x80 \x96 \xc4rger!";
    CBenchDevice bench;
    if (!bench.Start(state, 640, 480, 0, static_cast<uint32_t>(6 * line.size())))
        return;
    const bool bOutline = state.range(0) == 0;
    const std::vector<uint8_t> file = bOutline ? EncodeOutlineFont(outline) : EncodeCellFont(cells);
    const std::vector<uint8_t> tga = EncodeCellTexture(cells);
    CFont font;
    CTexture2D texture;
    if (!font.LoadData(file.data(), file.size(), &bench.device) ||
        !texture.LoadTga(tga.data(), tga.size(), 0, 0, &bench.device)) {
        state.SkipWithError("the font does not load");
        return;
    }
    CRenderDeviceDX9& device = bench.device;
    device.SetRenderState(kRenderAlphaBlendEnable, 1);
    device.SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
    device.SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
    device.GetTextWidth(line.data(), static_cast<int>(line.size()), &font, 1.0f, 0.0f);
    constexpr int kLines = 20;
    int drawn = 0;
    for (auto _ : state) {
        device.BeginScene();
        for (int i = 0; i < kLines; ++i) {
            device.SetTexture(0, &texture);
            const CVector3 position(8.0f, 8.0f + 22.0f * static_cast<float>(i), 0.5f);
            drawn += device.DrawText2D(&position, line.data(), static_cast<int>(line.size()), &font,
                                       static_cast<int>(texture.GetWidth()), static_cast<int>(texture.GetHeight()),
                                       0xFFD1ECE2, 0.5f, 0.5f, 0.0f);
        }
        device.EndScene();
        device.Present();
    }
    benchmark::DoNotOptimize(drawn);
    if (drawn != kLines * static_cast<int>(state.iterations()))
        state.SkipWithError("a line was not drawn");
    state.SetItemsProcessed(state.iterations() * kLines * static_cast<int64_t>(line.size()));
    state.SetLabel(bOutline ? "outline form" : "bitmap-cell form");
}
BENCHMARK(BM_DrawText2D)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
