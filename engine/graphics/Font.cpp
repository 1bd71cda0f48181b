// CFont: glyph lookup and the glyph pages. The file reader is in Font_load.cpp, the
// rasteriser in Font_raster.cpp.
#include "engine/graphics/Font.h"

#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/Texture2D.h"

CFont::CFont() {
    for (int32_t& head : m_nChainHeads)
        head = -1;
}

CFont::~CFont() {
    ClearGlyphCache();
}

CFontGlyph* CFont::GetGlyph(int code, int upload) {
    if (!m_bOutline) {
        if (code < 0 || code > 255 || m_Cells.size() != 256)
            return nullptr;
        return &m_Cells[static_cast<size_t>(code)];
    }
    if (m_Glyphs.empty())
        return nullptr;
    if (m_nFlags & kFlagClearPages)
        ReleasePages();
    CFontGlyph* glyph = &m_Glyphs[0];
    for (int32_t i = m_nChainHeads[static_cast<uint32_t>(code) & 0xFF]; i >= 0;) {
        CFontGlyph& candidate = m_Glyphs[static_cast<size_t>(i)];
        if (candidate.m_nCode == code) {
            glyph = &candidate;
            break;
        }
        i = candidate.m_nNext;
    }
    if (!glyph->m_bReady)
        RasterizeGlyph(glyph, upload);
    return glyph;
}

void CFont::ReleasePages() {
    for (CTexture2D* page : m_Pages) {
        if (m_pDevice)
            m_pDevice->FreeTexture(page);
        else
            delete page;
    }
    m_Pages.clear();
    m_bNewPage = 1;
    m_pCurrentPage = nullptr;
    // Every page is gone, so no glyph keeps its place: each is rasterised again when asked.
    for (CFontGlyph& glyph : m_Glyphs) {
        glyph.m_pPage = nullptr;
        glyph.m_bReady = 0;
    }
}

void CFont::ClearGlyphCache() {
    ReleasePages();
    for (CFontGlyph& glyph : m_Glyphs) {
        glyph.m_Points = {};
        glyph.m_Tags = {};
        glyph.m_ContourEnds = {};
        glyph.m_nPointCount = 0;
        glyph.m_nContourCount = 0;
    }
    m_Cells = {};
}
