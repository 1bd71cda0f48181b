// Font files from anywhere, read by the font loader on the recording device and, when taken,
// looked up and rasterised: refused or read whole, never a read or write outside the data,
// the glyph records or a glyph page.
#include <cstdint>
#include <cstdlib>

#include "engine/graphics/Font.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

// A ready outline glyph lies whole on its page.
void CheckGlyph(const CFont& font, const CFontGlyph* glyph) {
    if (!font.m_bOutline || !glyph)
        return;
    if (glyph->m_bReady && (!glyph->m_pPage || glyph->m_nX + glyph->m_nWidth > CFont::kPageSize ||
                            glyph->m_nY + font.m_nCellHeight > CFont::kPageSize))
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRecordingRenderDevice device;
    if (!device.InitForTest(0, 0, 0))
        abort();
    CFont font;
    if (!font.LoadData(data, size, &device))
        return 0;
    if (font.m_bOutline && (font.m_Glyphs.empty() || !font.GetGlyph(font.m_Glyphs.back().m_nCode, 0)))
        abort();
    // Codes named by the last bytes, so that any glyph can be reached; the last lookup uploads.
    for (size_t i = 0; i < 4 && i < size; ++i)
        CheckGlyph(font, font.GetGlyph(data[size - 1 - i], i == 3 ? 1 : 0));
    if (!font.m_Glyphs.empty())
        CheckGlyph(font, font.GetGlyph(font.m_Glyphs[0].m_nCode, 0));
    font.ReleasePages();
    CheckGlyph(font, font.GetGlyph('A', 0));
    return 0;
}
