// CFont: the font file reader. Both forms are little-endian and read field by field from the
// file's bytes; every read is checked against the end of the data, every count against what
// the rest of the file can hold, and an outline is taken only when FreeType can rasterise it.
#include <cmath>
#include <cstring>
#include <utility>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "engine/core/FileBytes.h"
#include "engine/graphics/Font.h"

namespace {

constexpr uint16_t kOutlineMarker = 0xFFFF;
constexpr size_t kCellCount = 256;
constexpr size_t kCellBytes = 6;             // x, y, width
constexpr size_t kSmallestGlyphBytes = 14;   // code, x, y, width, point count, contour count
constexpr size_t kPointBytes = 9;            // x, y, tag
constexpr size_t kKerningPairBytes = 6;

// A bounded little-endian cursor over the file's bytes.
class CFontReader {
public:
    CFontReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t Remaining() const { return m_size - m_position; }

    bool U8(uint8_t* value) {
        if (Remaining() < 1)
            return false;
        *value = m_data[m_position++];
        return true;
    }
    bool U16(uint16_t* value) {
        if (Remaining() < 2)
            return false;
        *value = static_cast<uint16_t>(m_data[m_position] | (m_data[m_position + 1] << 8));
        m_position += 2;
        return true;
    }
    bool U32(uint32_t* value) {
        if (Remaining() < 4)
            return false;
        *value = static_cast<uint32_t>(m_data[m_position]) | static_cast<uint32_t>(m_data[m_position + 1]) << 8 |
                 static_cast<uint32_t>(m_data[m_position + 2]) << 16 |
                 static_cast<uint32_t>(m_data[m_position + 3]) << 24;
        m_position += 4;
        return true;
    }
    bool I32(int32_t* value) {
        uint32_t bits;
        if (!U32(&bits))
            return false;
        *value = static_cast<int32_t>(bits);
        return true;
    }
    bool F32(float* value) {
        uint32_t bits;
        if (!U32(&bits))
            return false;
        memcpy(value, &bits, sizeof *value);
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

bool IsUsableCoordinate(float value) {
    return std::isfinite(value) && std::fabs(value) <= CFont::kMaxCoordinate;
}

// One glyph record and its outline. Contours must cover the points exactly, in order.
bool ReadGlyph(CFontReader* reader, CFontGlyph* glyph) {
    uint16_t pointCount;
    if (!reader->I32(&glyph->m_nCode) || !reader->U16(&glyph->m_nX) || !reader->U16(&glyph->m_nY) ||
        !reader->U16(&glyph->m_nWidth) || !reader->U16(&pointCount))
        return false;
    if (pointCount > CFont::kMaxOutlinePoints || pointCount > reader->Remaining() / kPointBytes)
        return false;
    glyph->m_nPointCount = pointCount;
    glyph->m_Points.resize(size_t{pointCount} * 2);
    glyph->m_Tags.resize(pointCount);
    for (size_t i = 0; i < pointCount; ++i) {
        float* point = &glyph->m_Points[2 * i];
        if (!reader->F32(&point[0]) || !reader->F32(&point[1]) || !reader->U8(&glyph->m_Tags[i]))
            return false;
        if (!IsUsableCoordinate(point[0]) || !IsUsableCoordinate(point[1]))
            return false;
    }
    uint16_t contourCount;
    if (!reader->U16(&contourCount) || contourCount > pointCount || contourCount > reader->Remaining() / 2)
        return false;
    glyph->m_nContourCount = contourCount;
    glyph->m_ContourEnds.resize(contourCount);
    int32_t previous = -1;
    for (uint16_t& end : glyph->m_ContourEnds) {
        if (!reader->U16(&end) || static_cast<int32_t>(end) <= previous)
            return false;
        previous = end;
    }
    return previous == static_cast<int32_t>(pointCount) - 1;
}

}  // namespace

int CFont::LoadFile(const char* fileName, CRenderDevice* device) {
    if (!fileName)
        return 0;
    std::vector<uint8_t> data;
    if (!ReadFileBytes(fileName, &data))
        return 0;
    return LoadData(data.data(), data.size(), device);
}

int CFont::LoadData(const uint8_t* data, size_t size, CRenderDevice* device) {
    if (!data)
        return 0;
    CFontReader reader(data, size);
    uint16_t marker;
    if (!reader.U16(&marker))
        return 0;

    if (marker != kOutlineMarker) {
        if (reader.Remaining() < kCellCount * kCellBytes)
            return 0;
        std::vector<CFontGlyph> cells(kCellCount);
        // The length was checked above: these reads cannot run out.
        for (CFontGlyph& cell : cells) {
            reader.U16(&cell.m_nX);
            reader.U16(&cell.m_nY);
            reader.U16(&cell.m_nWidth);
        }
        ClearGlyphCache();
        m_Glyphs.clear();
        m_KerningPairs.clear();
        for (int32_t& head : m_nChainHeads)
            head = -1;
        m_Cells = std::move(cells);
        m_pDevice = device;
        m_bOutline = 0;
        m_nFlags = 0;
        m_nHeaderValue = 0;
        m_fVerticalOffset = 0.0f;
        m_fSize = static_cast<float>(marker);
        m_fScale = 0.0f;
        m_nCellHeight = m_nCellWidth = 0;
        return 1;
    }

    // The outline form is read into a font of its own and taken over only once it passed.
    CFont loaded;
    float fileSize;
    uint32_t glyphCount;
    uint32_t pairCount;
    if (!reader.U32(&loaded.m_nFlags) || !reader.F32(&fileSize) || !reader.U32(&loaded.m_nHeaderValue) ||
        !reader.F32(&loaded.m_fVerticalOffset) || !reader.U32(&glyphCount) || !reader.U32(&pairCount))
        return 0;
    if (glyphCount == 0 || glyphCount > reader.Remaining() / kSmallestGlyphBytes ||
        pairCount > reader.Remaining() / kKerningPairBytes || !IsUsableCoordinate(loaded.m_fVerticalOffset))
        return 0;
    loaded.m_Glyphs.resize(glyphCount);
    for (uint32_t i = 0; i < glyphCount; ++i) {
        CFontGlyph& glyph = loaded.m_Glyphs[i];
        if (!ReadGlyph(&reader, &glyph))
            return 0;
        // Linked at the head of its chain: of two glyphs with one code the later is found.
        int32_t& head = loaded.m_nChainHeads[static_cast<uint32_t>(glyph.m_nCode) & 0xFF];
        glyph.m_nNext = head;
        head = static_cast<int32_t>(i);
    }
    if (pairCount > reader.Remaining() / kKerningPairBytes)
        return 0;
    loaded.m_KerningPairs.resize(pairCount);
    // The record keeps the file's first value last.
    for (CFontKerningPair& pair : loaded.m_KerningPairs) {
        reader.U16(&pair.nFirst);
        reader.U16(&pair.nSecond);
        reader.U16(&pair.nThird);
    }
    loaded.m_bOutline = 1;
    loaded.m_fSize = kOutlineSize;

    // The cells are measured now, so that a font whose glyphs FreeType cannot take or whose
    // cells would not fit on a page is refused here rather than drawn wrong later.
    FT_Library library;
    if (FT_Init_FreeType(&library))
        return 0;
    const int measured = loaded.ComputeCellSize(library);
    FT_Done_FreeType(library);
    if (!measured)
        return 0;

    ClearGlyphCache();
    m_Cells.clear();
    m_pDevice = device;
    m_bOutline = 1;
    m_nFlags = loaded.m_nFlags;
    m_nHeaderValue = loaded.m_nHeaderValue;
    m_fVerticalOffset = loaded.m_fVerticalOffset;
    m_fSize = loaded.m_fSize;
    m_fScale = loaded.m_fScale;
    m_KerningPairs = std::move(loaded.m_KerningPairs);
    m_Glyphs = std::move(loaded.m_Glyphs);
    memcpy(m_nChainHeads, loaded.m_nChainHeads, sizeof m_nChainHeads);
    m_pCurrentPage = nullptr;
    m_nCursorX = m_nCursorY = 0;
    m_bNewPage = 1;
    m_nCellHeight = loaded.m_nCellHeight;
    m_nCellWidth = loaded.m_nCellWidth;
    return 1;
}
