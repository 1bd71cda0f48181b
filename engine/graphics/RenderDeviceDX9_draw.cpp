// CRenderDeviceDX9: drawing from the bound buffers, and the immediate drawing operations that
// build their vertices in the device's dynamic pools and draw them at once.
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/graphics/Camera.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/QuaternionOps.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/RenderDeviceDX9Tables.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"

namespace {

// The pools' vertex layouts, 32 bytes each.
struct VertexPNT1 {
    float x, y, z, nx, ny, nz, u, v;
};
struct VertexPCT2 {
    float x, y, z;
    uint32_t color;
    float u0, v0, u1, v1;
};
struct VertexPRC2T1 {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};
static_assert(sizeof(VertexPNT1) == 32 && sizeof(VertexPCT2) == 32 && sizeof(VertexPRC2T1) == 32);

VertexPCT2 ColoredVertex(const CVector3& p, uint32_t color) {
    return VertexPCT2{p.x, p.y, p.z, color, 0.0f, 0.0f, 0.0f, 0.0f};
}

CVector3 Plus(const CVector3& a, const CVector3& b) {
    return CVector3(a.x + b.x, a.y + b.y, a.z + b.z);
}

CVector3 Scaled(const CVector3& v, float s) {
    return CVector3(v.x * s, v.y * s, v.z * s);
}

// One character of a text as the text operations lay it out: its rectangle from the pen
// (rows downwards), its cell's texture coordinates and, for an outline font, its glyph page.
struct TextQuad {
    float x, y, width, height;
    float u0, v0, u1, v1;
    CTexture2D* page;
};

// Walks a text glyph by glyph. Bytes are character codes 0..255; with line feeds, byte 10
// moves the pen to the start of the next line. An outline glyph is measured on its own page;
// a cell on the caller's texture. A glyph that could not be rasterised has no page and
// gives no quad, but its advance still moves the pen, as GetTextWidth counts it.
class CTextLayout {
public:
    CTextLayout(CFont* font, const char* text, int length, int textureWidth, int textureHeight, float x, float y,
                float scaleX, float scaleY, float spacing, bool bLineFeeds)
        : m_font(font), m_text(text), m_length(length), m_textureWidth(static_cast<float>(textureWidth)),
          m_textureHeight(static_cast<float>(textureHeight)), m_startX(x), m_penX(x), m_penY(y), m_scaleX(scaleX),
          m_scaleY(scaleY), m_spacing(spacing), m_bLineFeeds(bLineFeeds),
          m_cellHeight(static_cast<float>(static_cast<int>(font->m_fSize))) {}

    // A cell font needs the size of the texture its cells lie on.
    bool Usable() const { return m_font->m_bOutline || (m_textureWidth > 0.0f && m_textureHeight > 0.0f); }

    bool Next(TextQuad* quad) {
        while (m_index < m_length) {
            const unsigned char code = static_cast<unsigned char>(m_text[m_index++]);
            if (code == 10 && m_bLineFeeds) {
                m_penX = m_startX;
                m_penY += m_cellHeight * m_scaleY;
                continue;
            }
            const CFontGlyph* glyph = m_font->GetGlyph(code, 1);
            if (!glyph)
                continue;
            const float advance = static_cast<float>(glyph->m_nWidth);
            quad->x = m_penX;
            quad->y = m_penY;
            quad->width = advance * m_scaleX;
            quad->height = m_cellHeight * m_scaleY;
            m_penX += advance * m_scaleX + m_scaleX * m_spacing;
            float textureWidth = m_textureWidth;
            float textureHeight = m_textureHeight;
            quad->page = nullptr;
            if (m_font->m_bOutline) {
                if (!glyph->m_pPage)
                    continue;
                quad->page = glyph->m_pPage;
                textureWidth = static_cast<float>(quad->page->GetWidth());
                textureHeight = static_cast<float>(quad->page->GetHeight());
            }
            quad->u0 = static_cast<float>(glyph->m_nX) / textureWidth;
            quad->v0 = static_cast<float>(glyph->m_nY) / textureHeight;
            quad->u1 = (static_cast<float>(glyph->m_nX) + advance) / textureWidth;
            quad->v1 = (static_cast<float>(glyph->m_nY) + m_cellHeight) / textureHeight;
            return true;
        }
        return false;
    }

private:
    CFont* m_font;
    const char* m_text;
    int m_length;
    int m_index = 0;
    float m_textureWidth;
    float m_textureHeight;
    float m_startX;
    float m_penX;
    float m_penY;
    float m_scaleX;
    float m_scaleY;
    float m_spacing;
    bool m_bLineFeeds;
    float m_cellHeight;
};

// The two triangles of a screen quad, corners top left, top right, bottom left twice, top
// right, bottom right.
void ScreenQuad(const TextQuad& q, float z, float rhw, uint32_t color, VertexPRC2T1* v) {
    const VertexPRC2T1 topLeft{q.x, q.y, z, rhw, color, 0, q.u0, q.v0};
    const VertexPRC2T1 topRight{q.x + q.width, q.y, z, rhw, color, 0, q.u1, q.v0};
    const VertexPRC2T1 bottomLeft{q.x, q.y + q.height, z, rhw, color, 0, q.u0, q.v1};
    const VertexPRC2T1 bottomRight{q.x + q.width, q.y + q.height, z, rhw, color, 0, q.u1, q.v1};
    v[0] = topLeft;
    v[1] = topRight;
    v[2] = bottomLeft;
    v[3] = bottomLeft;
    v[4] = topRight;
    v[5] = bottomRight;
}

bool TextFits(uint32_t poolCount, int length) {
    return uint64_t{6} * static_cast<uint64_t>(length) <= poolCount;
}

// The quads a layout makes; every glyph is rasterised on the way, before a pool is locked.
template <class MakeLayout>
uint32_t CountTextQuads(const MakeLayout& layout) {
    uint32_t quads = 0;
    TextQuad quad;
    for (CTextLayout walk = layout(); walk.Next(&quad);)
        ++quads;
    return quads;
}

}  // namespace

int CRenderDeviceDX9::DrawIndexedPrimitive(uint32_t type, int baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                           uint32_t startIndex, uint32_t primitiveCount) {
    if (!m_pDevice || type > kPrimitiveTriangleFan)
        return 0;
    return SUCCEEDED(m_pDevice->DrawIndexedPrimitive(dx9tables::kPrimitiveTypes[type],
                                                     baseVertex, minIndex, vertexCount, startIndex, primitiveCount))
               ? 1
               : 0;
}

int CRenderDeviceDX9::DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) {
    if (!m_pDevice || type > kPrimitiveTriangleFan)
        return 0;
    return SUCCEEDED(m_pDevice->DrawPrimitive(dx9tables::kPrimitiveTypes[type],
                                              startVertex, primitiveCount))
               ? 1
               : 0;
}

uint8_t* CRenderDeviceDX9::LockPool(CVertexBuffer* pool, uint32_t poolCount, uint32_t count) {
    void* data = nullptr;
    if (!pool || poolCount < count || count == 0 || !pool->Lock(0, count * 32, &data, kLockDiscard))
        return nullptr;
    return static_cast<uint8_t*>(data);
}

int CRenderDeviceDX9::DrawPool(CVertexBuffer* pool, uint32_t type, uint32_t primitiveCount) {
    pool->Unlock();
    SetVertexBuffer(0, pool, 0);
    return DrawPrimitive(type, 0, primitiveCount);
}

int CRenderDeviceDX9::DrawQuad2D(float x, float y, float z, float width, float height, uint32_t color, float leftU,
                                 float topV, float rightU, float bottomV) {
    auto* v = reinterpret_cast<VertexPRC2T1*>(LockPool(m_pPoolPRC2T1, m_nPRC2T1Count, 4));
    if (!v)
        return 0;
    v[0] = VertexPRC2T1{x, y, z, 1.0f, color, 0, leftU, topV};
    v[1] = VertexPRC2T1{x + width, y, z, 1.0f, color, 0, rightU, topV};
    v[2] = VertexPRC2T1{x, y + height, z, 1.0f, color, 0, leftU, bottomV};
    v[3] = VertexPRC2T1{x + width, y + height, z, 1.0f, color, 0, rightU, bottomV};
    return DrawPool(m_pPoolPRC2T1, kPrimitiveTriangleStrip, 2);
}

int CRenderDeviceDX9::DrawRotatedQuad2D(const CVector3* centre, float width, float height, uint32_t color, float angle) {
    if (!centre)
        return 0;
    auto* v = reinterpret_cast<VertexPRC2T1*>(LockPool(m_pPoolPRC2T1, m_nPRC2T1Count, 4));
    if (!v)
        return 0;
    CMatrix rotation;
    rotation.SetRotationZ(-angle);
    const float corners[4][4] = {{-width / 2, -height / 2, 0.0f, 0.0f},
                                 {width / 2, -height / 2, 1.0f, 0.0f},
                                 {-width / 2, height / 2, 0.0f, 1.0f},
                                 {width / 2, height / 2, 1.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        CVector3 turned;
        rotation.TransformVector(&turned, CVector3(corners[i][0], corners[i][1], 0.0f));
        v[i] = VertexPRC2T1{centre->x + turned.x, centre->y + turned.y, centre->z, 1.0f, color, 0, corners[i][2],
                            corners[i][3]};
    }
    return DrawPool(m_pPoolPRC2T1, kPrimitiveTriangleStrip, 2);
}

int CRenderDeviceDX9::DrawBillboard(const CVector3* position, float halfWidth, float halfHeight, uint32_t color,
                                   CCamera* camera) {
    if (!position || !camera)
        return 0;
    auto* v = reinterpret_cast<VertexPCT2*>(LockPool(m_pPoolPCT2, m_nPCT2Count, 4));
    if (!v)
        return 0;
    v[0] = VertexPCT2{-halfWidth, halfHeight, 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f};
    v[1] = VertexPCT2{halfWidth, halfHeight, 0.0f, color, 1.0f, 0.0f, 0.0f, 0.0f};
    v[2] = VertexPCT2{-halfWidth, -halfHeight, 0.0f, color, 0.0f, 1.0f, 0.0f, 0.0f};
    v[3] = VertexPCT2{halfWidth, -halfHeight, 0.0f, color, 1.0f, 1.0f, 0.0f, 0.0f};
    // Facing the camera: its orientation undone, then moved to the position.
    const CQuaternion& q = camera->m_qOrientation;
    CMatrix world;
    QuaternionToMatrix(&world, CQuaternion{-q.x, -q.y, -q.z, q.w});
    world.m_f[12] = position->x;
    world.m_f[13] = position->y;
    world.m_f[14] = position->z;
    CMatrix previous;
    GetTransform(kTransformWorld, &previous);
    SetTransform(kTransformWorld, &world);
    const int result = DrawPool(m_pPoolPCT2, kPrimitiveTriangleStrip, 2);
    SetTransform(kTransformWorld, &previous);
    return result;
}

int CRenderDeviceDX9::DrawBox(const CVector3* centre, const CVector3* halfExtents, const CVector3* axes, uint32_t color) {
    if (!centre || !halfExtents || !axes)
        return 0;
    auto* v = reinterpret_cast<VertexPCT2*>(LockPool(m_pPoolPCT2, m_nPCT2Count, 24));
    if (!v)
        return 0;
    // Corner k has bit 0, 1, 2 for the plus side of axis 0, 1, 2.
    const float half[3] = {halfExtents->x, halfExtents->y, halfExtents->z};
    CVector3 corners[8];
    for (int k = 0; k < 8; ++k) {
        CVector3 p = *centre;
        for (int axis = 0; axis < 3; ++axis)
            p = Plus(p, Scaled(axes[axis], (k & (1 << axis)) ? half[axis] : -half[axis]));
        corners[k] = p;
    }
    static const int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                      {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (int e = 0; e < 12; ++e) {
        v[2 * e] = ColoredVertex(corners[kEdges[e][0]], color);
        v[2 * e + 1] = ColoredVertex(corners[kEdges[e][1]], color);
    }
    SetTexture(0, nullptr);
    return DrawPool(m_pPoolPCT2, kPrimitiveLineList, 12);
}

int CRenderDeviceDX9::DrawSphere(const CVector3* centre, float radius, uint32_t color, int segments) {
    if (!centre || segments <= 0)
        return 0;
    const uint32_t n = static_cast<uint32_t>(segments);
    auto* v = reinterpret_cast<VertexPCT2*>(LockPool(m_pPoolPCT2, m_nPCT2Count, 3 * n + 3));
    if (!v)
        return 0;
    const float step = 6.2831855f / static_cast<float>(n);
    for (uint32_t i = 0; i <= n; ++i) {
        const float angle = static_cast<float>(i) * step;
        CMatrix rotation;
        CVector3 p;
        rotation.SetRotationY(angle);
        rotation.TransformVector(&p, CVector3(radius, 0.0f, 0.0f));
        v[i] = ColoredVertex(Plus(p, *centre), color);
        rotation.SetRotationZ(angle);
        rotation.TransformVector(&p, CVector3(radius, 0.0f, 0.0f));
        v[n + 1 + i] = ColoredVertex(Plus(p, *centre), color);
        rotation.SetRotationX(angle);
        rotation.TransformVector(&p, CVector3(0.0f, 0.0f, radius));
        v[2 * n + 2 + i] = ColoredVertex(Plus(p, *centre), color);
    }
    m_pPoolPCT2->Unlock();
    SetTexture(0, nullptr);
    SetVertexBuffer(0, m_pPoolPCT2, 0);
    for (uint32_t ring = 0; ring < 3; ++ring)
        DrawPrimitive(kPrimitiveLineStrip, ring * (n + 1), n);
    return 1;
}

int CRenderDeviceDX9::DrawAxes(float length) {
    auto* v = reinterpret_cast<VertexPCT2*>(LockPool(m_pPoolPCT2, m_nPCT2Count, 6));
    if (!v)
        return 0;
    const CVector3 origin(0.0f, 0.0f, 0.0f);
    v[0] = ColoredVertex(origin, 0xff0000ffu);
    v[1] = ColoredVertex(CVector3(length, 0.0f, 0.0f), 0xff0000ffu);
    v[2] = ColoredVertex(origin, 0xff00ff00u);
    v[3] = ColoredVertex(CVector3(0.0f, length, 0.0f), 0xff00ff00u);
    v[4] = ColoredVertex(origin, 0xffff0000u);
    v[5] = ColoredVertex(CVector3(0.0f, 0.0f, length), 0xffff0000u);
    return DrawPool(m_pPoolPCT2, kPrimitiveLineList, 3);
}

int CRenderDeviceDX9::DrawGridMesh(const void* points, uint32_t stride, uint32_t columns, uint32_t rows, int bSmooth,
                                   int bBackSide) {
    if (!points || columns < 2 || rows < 2 || stride < 12)
        return 0;
    const uint32_t cells = (columns - 1) * (rows - 1);
    auto* v = reinterpret_cast<VertexPNT1*>(LockPool(m_pPoolPNT1, m_nPNT1Count, 6 * cells));
    if (!v)
        return 0;
    auto point = [&](uint32_t c, uint32_t r) {
        CVector3 p;
        memcpy(&p, static_cast<const uint8_t*>(points) + (size_t{r} * columns + c) * stride, sizeof p);
        return p;
    };
    // The normal of a grid point: the sum of the face normals of the cells around it.
    std::vector<CVector3> normals(size_t{columns} * rows, CVector3(0.0f, 0.0f, 0.0f));
    if (bSmooth) {
        for (uint32_t r = 0; r + 1 < rows; ++r) {
            for (uint32_t c = 0; c + 1 < columns; ++c) {
                CVector3 right;
                CVector3 down;
                CVector3 face;
                point(c + 1, r).Subtract(&right, point(c, r));
                point(c, r + 1).Subtract(&down, point(c, r));
                right.Cross(&face, down);
                for (const uint32_t index : {r * columns + c, r * columns + c + 1, (r + 1) * columns + c,
                                             (r + 1) * columns + c + 1})
                    normals[index].AddAssign(&normals[index], face);
            }
        }
        for (CVector3& normal : normals) {
            normal.Normalize(&normal);
            if (bBackSide)
                normal = Scaled(normal, -1.0f);
        }
    }
    size_t written = 0;
    auto emit = [&](uint32_t c, uint32_t r) {
        const CVector3 p = point(c, r);
        const CVector3& n = normals[size_t{r} * columns + c];
        v[written++] = VertexPNT1{p.x, p.y, p.z, n.x, n.y, n.z, static_cast<float>(c) / static_cast<float>(columns - 1),
                                  1.0f - static_cast<float>(r) / static_cast<float>(rows - 1)};
    };
    for (uint32_t r = 0; r + 1 < rows; ++r) {
        for (uint32_t c = 0; c + 1 < columns; ++c) {
            // The back side turns each triangle round: its first two corners change places.
            const uint32_t triangles[2][3][2] = {{{c, r}, {c + 1, r}, {c, r + 1}},
                                                 {{c, r + 1}, {c + 1, r}, {c + 1, r + 1}}};
            for (const auto& triangle : triangles) {
                const int first = bBackSide ? 1 : 0;
                emit(triangle[first][0], triangle[first][1]);
                emit(triangle[1 - first][0], triangle[1 - first][1]);
                emit(triangle[2][0], triangle[2][1]);
            }
        }
    }
    return DrawPool(m_pPoolPNT1, kPrimitiveTriangleList, 2 * cells);
}

template <class MakeLayout>
int CRenderDeviceDX9::DrawTextPool(CVertexBuffer* pool, uint32_t quads, const CFont* font, const MakeLayout& layout) {
    if (!font->m_bOutline)
        return DrawPool(pool, kPrimitiveTriangleList, 2 * quads);
    pool->Unlock();
    SetVertexBuffer(0, pool, 0);
    int result = 1;
    uint32_t drawn = 0;
    TextQuad quad;
    for (CTextLayout walk = layout(); drawn < quads && walk.Next(&quad); ++drawn) {
        SetTexture(0, quad.page);
        if (!DrawPrimitive(kPrimitiveTriangleList, 6 * drawn, 2))
            result = 0;
    }
    return result;
}

// Camera-facing text at a world position: the quads stand on y = 0 in the plane facing the
// camera, go into the coloured pool, and are drawn together, or glyph by glyph when each
// glyph brings its own page.
int CRenderDeviceDX9::DrawText(const CVector3* position, CCamera* camera, const char* text, int length, CFont* font,
                               int textureWidth, int textureHeight, uint32_t color, float scaleX, float scaleY,
                               float spacing) {
    if (length == 0)
        return 1;
    if (!position || !camera || !text || !font || length < 0 || !m_pPoolPCT2 || !TextFits(m_nPCT2Count, length))
        return 0;
    auto layout = [&] {
        return CTextLayout(font, text, length, textureWidth, textureHeight, 0.0f, 0.0f, scaleX, scaleY, spacing, false);
    };
    if (!layout().Usable())
        return 0;
    const uint32_t quads = CountTextQuads(layout);
    if (quads == 0)
        return 1;
    TextQuad quad;
    auto* v = reinterpret_cast<VertexPCT2*>(LockPool(m_pPoolPCT2, m_nPCT2Count, 6 * quads));
    if (!v)
        return 0;
    uint32_t written = 0;
    for (CTextLayout walk = layout(); written < quads && walk.Next(&quad); ++written) {
        const float top = -quad.y + quad.height;
        const float bottom = -quad.y;
        const VertexPCT2 topLeft{quad.x, top, 0.0f, color, quad.u0, quad.v0, 0.0f, 0.0f};
        const VertexPCT2 topRight{quad.x + quad.width, top, 0.0f, color, quad.u1, quad.v0, 0.0f, 0.0f};
        const VertexPCT2 bottomLeft{quad.x, bottom, 0.0f, color, quad.u0, quad.v1, 0.0f, 0.0f};
        const VertexPCT2 bottomRight{quad.x + quad.width, bottom, 0.0f, color, quad.u1, quad.v1, 0.0f, 0.0f};
        VertexPCT2* out = v + 6 * written;
        out[0] = topLeft;
        out[1] = topRight;
        out[2] = bottomLeft;
        out[3] = bottomLeft;
        out[4] = topRight;
        out[5] = bottomRight;
    }
    // Facing the camera: its orientation undone, then moved to the position.
    const CQuaternion& q = camera->m_qOrientation;
    CMatrix world;
    QuaternionToMatrix(&world, CQuaternion{-q.x, -q.y, -q.z, q.w});
    world.m_f[12] = position->x;
    world.m_f[13] = position->y;
    world.m_f[14] = position->z;
    SetTransform(kTransformWorld, &world);
    return DrawTextPool(m_pPoolPCT2, written, font, layout);
}

// Screen text drawn character by character straight from memory; the screen pool is not
// used, but it must be able to hold the text as for the other screen operations.
int CRenderDeviceDX9::DrawText2D(const CVector3* position, const char* text, int length, CFont* font, int textureWidth,
                                 int textureHeight, uint32_t color, float scaleX, float scaleY, float spacing) {
    if (length == 0)
        return 1;
    if (!position || !text || !font || length < 0 || !m_pDevice || !m_pPoolPRC2T1 || !TextFits(m_nPRC2T1Count, length))
        return 0;
    CTextLayout walk(font, text, length, textureWidth, textureHeight, position->x, position->y, scaleX, scaleY, spacing,
                     true);
    if (!walk.Usable())
        return 0;
    m_pDevice->SetFVF(kVertexFormatPRC2T1);
    int result = 1;
    TextQuad quad;
    while (walk.Next(&quad)) {
        VertexPRC2T1 v[6];
        ScreenQuad(quad, position->z, 1.5f, color, v);
        if (quad.page)
            SetTexture(0, quad.page);
        if (FAILED(m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(VertexPRC2T1))))
            result = 0;
    }
    // Drawing from memory leaves no stream bound.
    m_pCurrentVertexBuffer = nullptr;
    return result;
}

// Screen text laid out as DrawText2D lays it out, each corner then carried through the
// matrix; the text blocks turn and place their lines with it.
int CRenderDeviceDX9::DrawTextTransformed(const CVector3* position, const CMatrix* matrix, const char* text, int length,
                                          CFont* font, int textureWidth, int textureHeight, uint32_t color,
                                          float scaleX, float scaleY, float spacing) {
    if (length == 0)
        return 1;
    if (!position || !matrix || !text || !font || length < 0 || !m_pPoolPRC2T1 || !TextFits(m_nPRC2T1Count, length))
        return 0;
    auto layout = [&] {
        return CTextLayout(font, text, length, textureWidth, textureHeight, position->x, position->y, scaleX, scaleY,
                           spacing, true);
    };
    if (!layout().Usable())
        return 0;
    const uint32_t quads = CountTextQuads(layout);
    if (quads == 0)
        return 1;
    TextQuad quad;
    auto* v = reinterpret_cast<VertexPRC2T1*>(LockPool(m_pPoolPRC2T1, m_nPRC2T1Count, 6 * quads));
    if (!v)
        return 0;
    uint32_t written = 0;
    for (CTextLayout walk = layout(); written < quads && walk.Next(&quad); ++written) {
        VertexPRC2T1* out = v + 6 * written;
        ScreenQuad(quad, position->z, 1.0f, color, out);
        for (int corner = 0; corner < 6; ++corner) {
            CVector3 moved;
            matrix->TransformPoint(&moved, CVector3(out[corner].x, out[corner].y, out[corner].z));
            out[corner].x = moved.x;
            out[corner].y = moved.y;
            out[corner].z = moved.z;
        }
    }
    return DrawTextPool(m_pPoolPRC2T1, written, font, layout);
}
