// The engine's font: either 256 character cells on a texture the caller loads and binds
// (bitmap-cell form), or glyph outlines in font units that are rasterised on first use with
// FreeType's outline rasteriser and packed into 1024 x 1024 glyph pages (outline form). The
// render device's text operations ask GetGlyph for every character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/Object.h"

class CRenderDevice;
class CTexture2D;
struct FT_LibraryRec_;

// One glyph. A bitmap-cell font uses only the page, place and width; an outline font all.
struct CFontGlyph {
    CTexture2D* m_pPage = nullptr;  // not owned; none until rasterised (and always in a cell)
    uint16_t m_nX = 0;              // top-left corner of the cell on its page or texture
    uint16_t m_nY = 0;
    uint16_t m_nWidth = 0;  // cell width in pixels: the advance of text drawing
    int32_t m_nCode = 0;
    uint32_t m_bReady = 0;  // 1 once rasterised onto m_pPage
    uint16_t m_nContourCount = 0;
    uint16_t m_nPointCount = 0;
    std::vector<float> m_Points;          // x, y pairs in font units
    std::vector<uint8_t> m_Tags;          // FreeType point tags
    std::vector<uint16_t> m_ContourEnds;  // index of each contour's last point
    int32_t m_nNext = -1;                 // next glyph with the same low byte of the code
};

// A kerning pair as the file gives it; no drawing applies it.
struct CFontKerningPair {
    uint16_t nSecond;
    uint16_t nThird;
    uint16_t nFirst;
};

class CFont : public CObject {
public:
    static constexpr uint32_t kFlagClearPages = 1;  // drop the glyph pages before the next lookup
    static constexpr uint32_t kFlagFixedWidth = 2;
    static constexpr uint32_t kPageSize = 1024;
    static constexpr float kOutlineSize = 40.0f;  // outline fonts are always rasterised this high
    // Limits of what the loader takes: FreeType's outline holds at most 32767 points and
    // contours, and coordinates beyond this bound would overflow its fixed-point arithmetic.
    static constexpr uint32_t kMaxOutlinePoints = 32767;
    static constexpr float kMaxCoordinate = 1048576.0f;

    CFont();
    ~CFont() override;

    // Reads a font file of either form: 1, or 0 when it cannot be opened or read whole or
    // its contents are refused. A refused file leaves the font as it was.
    int LoadFile(const char* fileName, CRenderDevice* device);
    // The same on a file's bytes.
    int LoadData(const uint8_t* data, size_t size, CRenderDevice* device);

    // The glyph of a character code: a bitmap-cell font gives cell `code` (none outside
    // 0..255); an outline font the glyph of that code, else its first glyph, rasterised
    // first when needed (uploading its page when `upload` is set).
    CFontGlyph* GetGlyph(int code, int upload);
    // Rasterises an outline glyph onto the current page: 1, or 0 when FreeType or the page
    // fails (the glyph then stays unready).
    int RasterizeGlyph(CFontGlyph* glyph, int upload);
    // Hands every glyph page back to the device; the glyphs on them are rasterised again
    // when next asked for.
    void ReleasePages();
    // ReleasePages, then frees every glyph's outline and the cells.
    void ClearGlyphCache();

    std::vector<CFontGlyph> m_Cells;  // bitmap-cell form: 256 cells
    CRenderDevice* m_pDevice = nullptr;  // not owned
    int m_bOutline = 0;
    uint32_t m_nFlags = 0;
    uint32_t m_nHeaderValue = 0;  // the file's value at offset 10, kept as it is
    float m_fVerticalOffset = 0.0f;
    float m_fSize = 0.0f;   // the cell height in pixels
    float m_fScale = 0.0f;  // pixels (in 26.6) per font unit: size / tallest glyph
    std::vector<CFontKerningPair> m_KerningPairs;
    std::vector<CFontGlyph> m_Glyphs;
    int32_t m_nChainHeads[256];  // first glyph by the low byte of the code; -1 for none
    uint32_t m_nPageSize = kPageSize;
    std::vector<CTexture2D*> m_Pages;  // owned through the device's FreeTexture
    CTexture2D* m_pCurrentPage = nullptr;
    uint32_t m_nCursorX = 0;
    uint32_t m_nCursorY = 0;
    int m_bNewPage = 1;
    uint32_t m_nCellHeight = 0;  // 0 until measured
    uint32_t m_nCellWidth = 0;

private:
    // Measures every glyph once for the cell size and the scale; 0 when FreeType fails or
    // the cells would not fit on a page.
    int ComputeCellSize(FT_LibraryRec_* library);
};
