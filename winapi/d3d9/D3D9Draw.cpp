// Drawing: the vertex layout of the current format and the attributes that read it, the
// draw calls, and the last pixel of lines, which OpenGL leaves out and the platform draws
// while D3DRS_LASTPIXEL is on. Also the small matrix and colour helpers of the pipeline.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "winapi/d3d9/D3D9_local.h"

namespace winapi::d3d {
namespace {

bool PrimitiveMode(D3DPRIMITIVETYPE type, UINT primitives, GLenum* mode, UINT* vertices) {
    switch (type) {
    case D3DPT_POINTLIST:
        *mode = GL_POINTS;
        *vertices = primitives;
        return true;
    case D3DPT_LINELIST:
        *mode = GL_LINES;
        *vertices = primitives * 2;
        return true;
    case D3DPT_LINESTRIP:
        *mode = GL_LINE_STRIP;
        *vertices = primitives + 1;
        return true;
    case D3DPT_TRIANGLELIST:
        *mode = GL_TRIANGLES;
        *vertices = primitives * 3;
        return true;
    case D3DPT_TRIANGLESTRIP:
        *mode = GL_TRIANGLE_STRIP;
        *vertices = primitives + 2;
        return true;
    case D3DPT_TRIANGLEFAN:
        *mode = GL_TRIANGLE_FAN;
        *vertices = primitives + 2;
        return true;
    default:
        return false;
    }
}

void PointAttribute(GLuint location, int offset, GLint size, GLenum type, GLboolean normalized, UINT stride,
                    uintptr_t base) {
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, size, type, normalized, static_cast<GLsizei>(stride),
                          reinterpret_cast<const void*>(base + static_cast<uintptr_t>(offset)));
}

void ConstantAttribute(GLuint location, float x, float y, float z, float w) {
    glDisableVertexAttribArray(location);
    glVertexAttrib4f(location, x, y, z, w);
}

// Points the attributes at the vertex data bound to GL_ARRAY_BUFFER, from byte `base` on.
void PointAttributes(const VertexLayout& layout, UINT stride, uintptr_t base) {
    PointAttribute(kAttributePosition, 0, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, stride, base);
    if (layout.normal >= 0)
        PointAttribute(kAttributeNormal, layout.normal, 3, GL_FLOAT, GL_FALSE, stride, base);
    else
        ConstantAttribute(kAttributeNormal, 0.0f, 0.0f, 0.0f, 1.0f);
    if (layout.pointSize >= 0)
        PointAttribute(kAttributePointSize, layout.pointSize, 1, GL_FLOAT, GL_FALSE, stride, base);
    else
        ConstantAttribute(kAttributePointSize, 1.0f, 0.0f, 0.0f, 1.0f);
    // Colours are 0xAARRGGBB words: bytes B, G, R, A.
    const int colors[2][2] = {{kAttributeDiffuse, layout.diffuse}, {kAttributeSpecular, layout.specular}};
    for (const auto& color : colors) {
        if (color[1] >= 0)
            PointAttribute(static_cast<GLuint>(color[0]), color[1], GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, base);
        else
            ConstantAttribute(static_cast<GLuint>(color[0]), 0.0f, 0.0f, 0.0f, 0.0f);
    }
    for (int set = 0; set < 8; ++set) {
        const GLuint location = kAttributeTexture0 + static_cast<GLuint>(set);
        if (layout.texture[set] >= 0)
            PointAttribute(location, layout.texture[set], layout.textureSize[set], GL_FLOAT, GL_FALSE, stride, base);
        else
            ConstantAttribute(location, 0.0f, 0.0f, 0.0f, 1.0f);
    }
}

EPrimitiveClass ClassOf(D3DPRIMITIVETYPE type) {
    if (type == D3DPT_POINTLIST)
        return EPrimitiveClass::kPoints;
    if (type == D3DPT_LINELIST || type == D3DPT_LINESTRIP)
        return EPrimitiveClass::kLines;
    return EPrimitiveClass::kTriangles;
}

}  // namespace

// Parts are laid out in the order position, normal, point size, diffuse, specular, sets.
bool DecodeFormat(DWORD fvf, VertexLayout* layout) {
    UINT offset;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
        offset = 12;
        break;
    case D3DFVF_XYZRHW:
        offset = 16;
        layout->pretransformed = true;
        break;
    default:
        return false;
    }
    if (fvf & D3DFVF_NORMAL) {
        layout->normal = static_cast<int>(offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) {
        layout->pointSize = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        layout->diffuse = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout->specular = static_cast<int>(offset);
        offset += 4;
    }
    const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > 8)
        return false;
    static const int kFloats[4] = {2, 3, 4, 1};
    for (DWORD set = 0; set < sets; ++set) {
        layout->texture[set] = static_cast<int>(offset);
        layout->textureSize[set] = kFloats[(fvf >> (16 + 2 * set)) & 3];
        offset += static_cast<UINT>(layout->textureSize[set]) * 4;
    }
    layout->size = offset;
    return true;
}

D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX product{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < 4; ++k)
                product.m[r][c] += a.m[r][k] * b.m[k][c];
        }
    }
    return product;
}

void Inverse3x3(const D3DMATRIX& m, float out[9]) {
    const float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const float cofactors[9] = {e * i - f * h, c * h - b * i, b * f - c * e, f * g - d * i, a * i - c * g,
                                c * d - a * f, d * h - e * g, b * g - a * h, a * e - b * d};
    const float determinant = a * cofactors[0] + b * cofactors[3] + c * cofactors[6];
    for (int k = 0; k < 9; ++k)
        out[k] = determinant != 0.0f && std::isfinite(determinant) ? cofactors[k] / determinant : 0.0f;
}

void TransformPoint(const D3DVECTOR& p, const D3DMATRIX& m, float out[3]) {
    for (int c = 0; c < 3; ++c)
        out[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
}

void TransformDirection(const D3DVECTOR& v, const D3DMATRIX& m, float out[3]) {
    for (int c = 0; c < 3; ++c)
        out[c] = v.x * m.m[0][c] + v.y * m.m[1][c] + v.z * m.m[2][c];
    const float length = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    if (length > 0.0f) {
        for (int c = 0; c < 3; ++c)
            out[c] /= length;
    }
}

void ColorOf(D3DCOLOR color, float out[4]) {
    out[0] = static_cast<float>((color >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((color >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(color & 0xFF) / 255.0f;
    out[3] = static_cast<float>(color >> 24) / 255.0f;
}

float FloatOf(DWORD bits) {
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

bool CDevice::DrawCheck() const {
    return m_bInScene;
}

bool CDevice::PrepareDraw(GLuint buffer, UINT stride, uintptr_t base, EPrimitiveClass primitives) {
    VertexLayout layout;
    if (!DecodeFormat(m_nFvf, &layout))
        return false;
    MakeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, m_glFramebuffer);
    if (!m_bAttributesValid || m_nAttributeFvf != m_nFvf || m_glAttributeBuffer != buffer ||
        m_nAttributeStride != stride || m_nAttributeBase != base) {
        glBindVertexArray(m_glVertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        PointAttributes(layout, stride, base);
        m_bAttributesValid = true;
        m_nAttributeFvf = m_nFvf;
        m_glAttributeBuffer = buffer;
        m_nAttributeStride = stride;
        m_nAttributeBase = base;
    }
    ApplyRenderStates();
    ApplySamplers();
    BindTextures();
    return UseProgram(layout, primitives);
}

void CDevice::DrawLineEnds(GLenum mode, GLint first, GLsizei count, GLenum indexType, uintptr_t indexOffset,
                           GLint baseVertex) {
    if (!m_RenderStates[D3DRS_LASTPIXEL] || (mode != GL_LINES && mode != GL_LINE_STRIP) || count < 2)
        return;
    VertexLayout layout;
    if (!DecodeFormat(m_nFvf, &layout) || !UseProgram(layout, EPrimitiveClass::kLineEnds))
        return;
    const uintptr_t indexSize = indexType == GL_UNSIGNED_INT ? 4 : 2;
    if (mode == GL_LINE_STRIP) {
        if (indexType)
            glDrawElementsBaseVertex(GL_POINTS, 1, indexType,
                                     reinterpret_cast<const void*>(indexOffset + static_cast<uintptr_t>(count - 1) *
                                                                                     indexSize),
                                     baseVertex);
        else
            glDrawArrays(GL_POINTS, first + count - 1, 1);
        return;
    }
    // A list: the second vertex of every line.
    const size_t lines = static_cast<size_t>(count) / 2;
    m_LineEndCounts.assign(lines, 1);
    if (indexType) {
        m_LineEndOffsets.resize(lines);
        m_LineEndBases.assign(lines, baseVertex);
        for (size_t i = 0; i < lines; ++i)
            m_LineEndOffsets[i] = reinterpret_cast<const void*>(indexOffset + (2 * i + 1) * indexSize);
        glMultiDrawElementsBaseVertex(GL_POINTS, m_LineEndCounts.data(), indexType, m_LineEndOffsets.data(),
                                      static_cast<GLsizei>(lines), m_LineEndBases.data());
    } else {
        m_LineEndFirsts.resize(lines);
        for (size_t i = 0; i < lines; ++i)
            m_LineEndFirsts[i] = first + static_cast<GLint>(2 * i + 1);
        glMultiDrawArrays(GL_POINTS, m_LineEndFirsts.data(), m_LineEndCounts.data(), static_cast<GLsizei>(lines));
    }
}

HRESULT CDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    GLenum mode;
    UINT vertices;
    if (!DrawCheck() || !PrimitiveMode(type, primitiveCount, &mode, &vertices) || !m_pStream || !m_nStreamStride)
        return D3DERR_INVALIDCALL;
    if (uint64_t{m_nStreamOffset} + (uint64_t{startVertex} + vertices) * m_nStreamStride > m_pStream->Buffer().Length())
        return D3DERR_INVALIDCALL;
    if (!PrepareDraw(m_pStream->Buffer().GlName(), m_nStreamStride, m_nStreamOffset, ClassOf(type)))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
    DrawLineEnds(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices), 0, 0, 0);
    return D3D_OK;
}

HRESULT CDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int baseVertex, UINT /*minIndex*/, UINT /*vertexCount*/,
                                      UINT startIndex, UINT primitiveCount) {
    GLenum mode;
    UINT indices;
    if (!DrawCheck() || !PrimitiveMode(type, primitiveCount, &mode, &indices) || !m_pStream || !m_nStreamStride ||
        !m_pIndices)
        return D3DERR_INVALIDCALL;
    const bool wide = m_pIndices->Format() == D3DFMT_INDEX32;
    const UINT indexSize = wide ? 4 : 2;
    CGlBuffer& indexBuffer = m_pIndices->Buffer();
    if ((uint64_t{startIndex} + indices) * indexSize > indexBuffer.Length())
        return D3DERR_INVALIDCALL;
    // Every vertex the indices reach must lie in the stream.
    const uint64_t streamVertices = (m_pStream->Buffer().Length() - std::min(m_nStreamOffset, m_pStream->Buffer().Length())) /
                                    m_nStreamStride;
    void* data = nullptr;
    indexBuffer.Lock(startIndex * indexSize, indices * indexSize, &data, D3DLOCK_READONLY);
    bool inRange = data != nullptr;
    for (UINT i = 0; inRange && i < indices; ++i) {
        uint32_t index;
        if (wide) {
            memcpy(&index, static_cast<const uint8_t*>(data) + i * 4, 4);
        } else {
            uint16_t shortIndex;
            memcpy(&shortIndex, static_cast<const uint8_t*>(data) + i * 2, 2);
            index = shortIndex;
        }
        const int64_t vertex = int64_t{baseVertex} + index;
        inRange = vertex >= 0 && static_cast<uint64_t>(vertex) < streamVertices;
    }
    if (data)
        indexBuffer.Unlock();
    if (!inRange || !PrepareDraw(m_pStream->Buffer().GlName(), m_nStreamStride, m_nStreamOffset, ClassOf(type)))
        return D3DERR_INVALIDCALL;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer.GlName());
    const GLenum indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    const uintptr_t indexOffset = static_cast<uintptr_t>(startIndex) * indexSize;
    glDrawElementsBaseVertex(mode, static_cast<GLsizei>(indices), indexType, reinterpret_cast<const void*>(indexOffset),
                             baseVertex);
    DrawLineEnds(mode, 0, static_cast<GLsizei>(indices), indexType, indexOffset, baseVertex);
    return D3D_OK;
}

HRESULT CDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
    GLenum mode;
    UINT count;
    if (!DrawCheck() || !vertices || !stride || !PrimitiveMode(type, primitiveCount, &mode, &count))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    glBindBuffer(GL_ARRAY_BUFFER, m_glUserBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(uint64_t{count} * stride), vertices, GL_STREAM_DRAW);
    if (!PrepareDraw(m_glUserBuffer, stride, 0, ClassOf(type)))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
    DrawLineEnds(mode, 0, static_cast<GLsizei>(count), 0, 0, 0);
    // As on the platform, drawing from memory leaves no stream bound.
    m_pStream = nullptr;
    m_nStreamOffset = m_nStreamStride = 0;
    return D3D_OK;
}

}  // namespace winapi::d3d
