// CFont: outline glyphs turned into pixels with FreeType's outline functions (no faces), and
// packed into 1024 x 1024 glyph pages whose pixels carry the grey level in all four bytes.
#include <cmath>
#include <cstring>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "engine/graphics/Font.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/Texture2D.h"

namespace {

// A FreeType outline of the glyph's points (truncated to whole font units, which FreeType
// then reads as 26.6 pixels), tags and contour ends; false when FreeType refuses it.
bool BuildOutline(FT_Library library, const CFontGlyph& glyph, FT_Outline* outline) {
    const size_t points = glyph.m_nPointCount;
    const size_t contours = glyph.m_nContourCount;
    if (glyph.m_Points.size() < 2 * points || glyph.m_Tags.size() < points || glyph.m_ContourEnds.size() < contours)
        return false;
    if (FT_Outline_New(library, glyph.m_nPointCount, glyph.m_nContourCount, outline))
        return false;
    for (size_t i = 0; i < points; ++i) {
        outline->points[i].x = static_cast<FT_Pos>(glyph.m_Points[2 * i]);
        outline->points[i].y = static_cast<FT_Pos>(glyph.m_Points[2 * i + 1]);
        outline->tags[i] = static_cast<char>(glyph.m_Tags[i]);
    }
    for (size_t i = 0; i < contours; ++i)
        outline->contours[i] = static_cast<short>(glyph.m_ContourEnds[i]);
    return true;
}

// The control box rounded outwards to whole pixels: the minimum down to a multiple of 64,
// the maximum to the multiple of 64 after its truncation.
FT_BBox RoundedControlBox(FT_Outline* outline) {
    FT_BBox box;
    FT_Outline_Get_CBox(outline, &box);
    box.xMin &= ~FT_Pos{63};
    box.yMin &= ~FT_Pos{63};
    box.xMax = (box.xMax & ~FT_Pos{63}) + 64;
    box.yMax = (box.yMax & ~FT_Pos{63}) + 64;
    return box;
}

// Closes the library of one rasterisation on every path.
class CLibraryScope {
public:
    explicit CLibraryScope(FT_Library library) : m_library(library) {}
    ~CLibraryScope() { FT_Done_FreeType(m_library); }
    CLibraryScope(const CLibraryScope&) = delete;
    CLibraryScope& operator=(const CLibraryScope&) = delete;

private:
    FT_Library m_library;
};

}  // namespace

int CFont::ComputeCellSize(FT_LibraryRec_* library) {
    const FT_Pos lift = static_cast<FT_Pos>(std::fabs(m_fVerticalOffset));
    FT_Pos largestHeight = 0;
    FT_Pos largestWidth = 0;
    for (const CFontGlyph& glyph : m_Glyphs) {
        FT_Outline outline;
        if (!BuildOutline(library, glyph, &outline))
            return 0;
        FT_Outline_Translate(&outline, 0, lift);
        const FT_BBox box = RoundedControlBox(&outline);
        FT_Outline_Done(library, &outline);
        if ((box.yMax - box.yMin) / 64 > largestHeight)
            largestHeight = (box.yMax - box.yMin) / 64;
        if ((box.xMax - box.xMin) / 64 > largestWidth)
            largestWidth = (box.xMax - box.xMin) / 64;
    }
    if (largestHeight <= 0)
        return 0;
    m_fScale = m_fSize / static_cast<float>(largestHeight);
    // Rounded, not truncated: a product meant to be 40 may come out a hair below it.
    const float cellHeight = std::floor(m_fScale * static_cast<float>(largestHeight) + 0.5f);
    const float cellWidth = std::floor(m_fScale * static_cast<float>(largestWidth) + 0.5f);
    if (!(cellHeight >= 1.0f && cellHeight <= static_cast<float>(m_nPageSize) && cellWidth >= 0.0f &&
          cellWidth <= static_cast<float>(m_nPageSize)))
        return 0;
    m_nCellHeight = static_cast<uint32_t>(cellHeight);
    m_nCellWidth = static_cast<uint32_t>(cellWidth);
    return 1;
}

int CFont::RasterizeGlyph(CFontGlyph* glyph, int upload) {
    if (!glyph || !m_bOutline || !m_pDevice)
        return 0;
    FT_Library library;
    if (FT_Init_FreeType(&library))
        return 0;
    const CLibraryScope scope(library);
    if (m_nCellHeight == 0 && !ComputeCellSize(library))
        return 0;

    FT_Outline outline;
    if (!BuildOutline(library, *glyph, &outline))
        return 0;
    FT_Outline_Translate(&outline, 0, static_cast<FT_Pos>(std::fabs(m_fVerticalOffset)));
    const FT_Matrix matrix = {static_cast<FT_Fixed>(m_fScale * 65536.0f), 0, 0,
                              static_cast<FT_Fixed>(m_fScale * 65536.0f)};
    FT_Outline_Transform(&outline, &matrix);
    const FT_BBox box = RoundedControlBox(&outline);
    const int32_t inkWidth = static_cast<int32_t>((box.xMax - box.xMin) / 64);

    int32_t cellWidth = inkWidth;
    int32_t offsetX = 0;
    if (m_nFlags & kFlagFixedWidth) {
        cellWidth = static_cast<int32_t>(m_nCellWidth);
        offsetX = (cellWidth - inkWidth) / 2;
    } else if (glyph->m_nCode == 32) {
        cellWidth = static_cast<int32_t>(m_nCellHeight / 2);
    }
    // A rounding step past the measured cell must not reach beyond the page.
    if (cellWidth > static_cast<int32_t>(m_nPageSize))
        cellWidth = static_cast<int32_t>(m_nPageSize);
    const uint32_t width = static_cast<uint32_t>(cellWidth);
    const uint32_t height = m_nCellHeight;

    // Rows top first: with a positive pitch FreeType puts outline y = 0 on the bottom row.
    std::vector<uint8_t> bitmap(size_t{width} * height);
    if (width > 0) {
        FT_Outline_Translate(&outline, FT_Pos{offsetX} * 64 - box.xMin, 0);
        FT_Bitmap target{};
        target.rows = height;
        target.width = width;
        target.pitch = static_cast<int>(width);
        target.buffer = bitmap.data();
        target.num_grays = 256;
        target.pixel_mode = FT_PIXEL_MODE_GRAY;
        FT_Raster_Params params{};
        params.target = &target;
        params.source = &outline;
        params.flags = FT_RASTER_FLAG_AA;
        // An outline the rasteriser rejects (its tags out of order) leaves an empty cell.
        if (FT_Outline_Render(library, &outline, &params))
            bitmap.assign(bitmap.size(), 0);
    }
    FT_Outline_Done(library, &outline);

    // The cell goes right of the last one, else on a new row, else on a new page.
    bool newPage = m_bNewPage || !m_pCurrentPage;
    if (!newPage) {
        if (m_nCursorX + width > m_nPageSize) {
            m_nCursorY += height;
            m_nCursorX = 0;
        }
        newPage = m_nCursorY + height > m_nPageSize;
    }
    uint8_t* pixels = nullptr;
    if (newPage) {
        if (m_pCurrentPage && m_pCurrentPage->Lock(&pixels))
            m_pCurrentPage->Unlock(1);
        auto* page = new CTexture2D;
        if (!page->Create(m_nPageSize, m_nPageSize, 1, kFormatA8R8G8B8, 0, 0, m_pDevice)) {
            delete page;
            return 0;
        }
        m_Pages.push_back(page);
        m_pCurrentPage = page;
        m_bNewPage = 0;
        m_nCursorX = 0;
        m_nCursorY = 0;
        // A new texture's pixels start cleared.
    }
    if (!m_pCurrentPage->Lock(&pixels))
        return 0;
    for (uint32_t row = 0; row < height; ++row) {
        uint8_t* out = pixels + (size_t{m_nCursorY + row} * m_nPageSize + m_nCursorX) * 4;
        const uint8_t* in = bitmap.data() + size_t{row} * width;
        for (uint32_t column = 0; column < width; ++column)
            memset(out + 4 * column, in[column], 4);
    }
    if (upload)
        m_pCurrentPage->Unlock(1);

    glyph->m_pPage = m_pCurrentPage;
    glyph->m_nX = static_cast<uint16_t>(m_nCursorX);
    glyph->m_nY = static_cast<uint16_t>(m_nCursorY);
    glyph->m_nWidth = static_cast<uint16_t>(width);
    glyph->m_bReady = 1;
    m_nCursorX += width + 1;
    m_nFlags &= ~kFlagClearPages;
    return 1;
}
