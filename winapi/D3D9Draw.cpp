// Drawing: the vertex layout of the current format, the platform's render and sampler
// states as OpenGL states, the uniforms of the pipeline, and the draw calls.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "winapi/D3D9_local.h"

namespace winapi::d3d {
namespace {

enum EAttribute { kPosition = 0, kNormal = 1, kDiffuse = 2, kSpecular = 3, kTexture0 = 4 };

struct VertexLayout {
    bool pretransformed = false;
    int normal = -1;
    int diffuse = -1;
    int specular = -1;
    int texture[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int textureSize[8] = {};
    UINT size = 0;
};

// The offsets of a flexible vertex format's parts; false for formats the layer does not draw.
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
    if (fvf & D3DFVF_PSIZE)
        offset += 4;
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

// Points the attributes at the vertex data bound to GL_ARRAY_BUFFER, from byte `base` on.
void PointAttributes(const VertexLayout& layout, UINT stride, uintptr_t base) {
    PointAttribute(kPosition, 0, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, stride, base);
    if (layout.normal >= 0) {
        PointAttribute(kNormal, layout.normal, 3, GL_FLOAT, GL_FALSE, stride, base);
    } else {
        glDisableVertexAttribArray(kNormal);
        glVertexAttrib3f(kNormal, 0.0f, 0.0f, 0.0f);
    }
    // Colours are 0xAARRGGBB words: bytes B, G, R, A.
    const int colors[2][2] = {{kDiffuse, layout.diffuse}, {kSpecular, layout.specular}};
    for (const auto& color : colors) {
        if (color[1] >= 0) {
            PointAttribute(static_cast<GLuint>(color[0]), color[1], GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, base);
        } else {
            glDisableVertexAttribArray(static_cast<GLuint>(color[0]));
            glVertexAttrib4f(static_cast<GLuint>(color[0]), 0.0f, 0.0f, 0.0f, 0.0f);
        }
    }
    for (int set = 0; set < 8; ++set) {
        const GLuint location = static_cast<GLuint>(kTexture0 + set);
        if (layout.texture[set] >= 0) {
            PointAttribute(location, layout.texture[set], layout.textureSize[set], GL_FLOAT, GL_FALSE, stride, base);
        } else {
            glDisableVertexAttribArray(location);
            glVertexAttrib4f(location, 0.0f, 0.0f, 0.0f, 1.0f);
        }
    }
}

float Float(DWORD bits) {
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

void ColorOf(D3DCOLOR color, float out[4]) {
    out[0] = static_cast<float>((color >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((color >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(color & 0xFF) / 255.0f;
    out[3] = static_cast<float>(color >> 24) / 255.0f;
}

GLenum CompareFunction(DWORD compare) {
    static const GLenum kFunctions[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL,
                                        GL_ALWAYS};
    return compare >= 1 && compare <= 8 ? kFunctions[compare - 1] : GL_ALWAYS;
}

// The platform's INCR and DECR wrap; its saturating forms are OpenGL's plain ones.
GLenum StencilOperation(DWORD operation) {
    static const GLenum kOperations[] = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT, GL_INCR_WRAP,
                                         GL_DECR_WRAP};
    return operation >= 1 && operation <= 8 ? kOperations[operation - 1] : GL_KEEP;
}

GLenum BlendFactor(DWORD blend) {
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return GL_ONE;
    }
}

GLenum BlendEquation(DWORD operation) {
    switch (operation) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLint AddressMode(DWORD address) {
    switch (address) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return GL_MIRROR_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

bool Filters(DWORD filter) {
    return filter != D3DTEXF_NONE && filter != D3DTEXF_POINT;
}

GLint MinificationFilter(DWORD minFilter, DWORD mipFilter) {
    const bool linear = Filters(minFilter);
    if (mipFilter == D3DTEXF_NONE)
        return linear ? GL_LINEAR : GL_NEAREST;
    if (mipFilter == D3DTEXF_POINT)
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

// The product a x b of two row-vector matrices.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX product{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < 4; ++k)
                product.m[r][c] += a.m[r][k] * b.m[k][c];
        }
    }
    return product;
}

// The inverse of the upper 3x3 part, rows first; zero when it has none.
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

}  // namespace

bool CDevice::DrawCheck() const {
    return m_bInScene;
}

void CDevice::ApplyRenderStates() {
    if (!m_bStatesDirty)
        return;
    m_bStatesDirty = false;
    const DWORD* rs = m_RenderStates;
    if (rs[D3DRS_ZENABLE] && m_Parameters.EnableAutoDepthStencil)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);

    const DWORD fill = rs[D3DRS_FILLMODE];
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT ? GL_POINT : (fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL));

    // Front faces are clockwise; culling clockwise removes the front faces.
    if (rs[D3DRS_CULLMODE] == D3DCULL_CW || rs[D3DRS_CULLMODE] == D3DCULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK);
    } else {
        glDisable(GL_CULL_FACE);
    }

    if (rs[D3DRS_ALPHABLENDENABLE]) {
        glEnable(GL_BLEND);
        GLenum source = BlendFactor(rs[D3DRS_SRCBLEND]);
        GLenum destination = BlendFactor(rs[D3DRS_DESTBLEND]);
        if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
            source = GL_SRC_ALPHA;
            destination = GL_ONE_MINUS_SRC_ALPHA;
        } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
            source = GL_ONE_MINUS_SRC_ALPHA;
            destination = GL_SRC_ALPHA;
        }
        glBlendFunc(source, destination);
        glBlendEquation(BlendEquation(rs[D3DRS_BLENDOP]));
    } else {
        glDisable(GL_BLEND);
    }

    if (rs[D3DRS_STENCILENABLE]) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(CompareFunction(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF]),
                      rs[D3DRS_STENCILMASK]);
        glStencilOp(StencilOperation(rs[D3DRS_STENCILFAIL]), StencilOperation(rs[D3DRS_STENCILZFAIL]),
                    StencilOperation(rs[D3DRS_STENCILPASS]));
    } else {
        glDisable(GL_STENCIL_TEST);
    }
    glStencilMask(rs[D3DRS_STENCILWRITEMASK]);

    const DWORD write = rs[D3DRS_COLORWRITEENABLE];
    glColorMask((write & 1) ? GL_TRUE : GL_FALSE, (write & 2) ? GL_TRUE : GL_FALSE, (write & 4) ? GL_TRUE : GL_FALSE,
                (write & 8) ? GL_TRUE : GL_FALSE);
    glPointSize(std::max(Float(rs[D3DRS_POINTSIZE]), 1.0f));
}

void CDevice::ApplySamplers() {
    if (!m_bSamplersDirty)
        return;
    m_bSamplersDirty = false;
    for (int stage = 0; stage < 8; ++stage) {
        const DWORD* ss = m_SamplerStates[stage];
        const GLuint sampler = m_glSamplers[stage];
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(ss[D3DSAMP_ADDRESSU]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(ss[D3DSAMP_ADDRESSV]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, AddressMode(ss[D3DSAMP_ADDRESSW]));
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, Filters(ss[D3DSAMP_MAGFILTER]) ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, MinificationFilter(ss[D3DSAMP_MINFILTER], ss[D3DSAMP_MIPFILTER]));
        float border[4];
        ColorOf(ss[D3DSAMP_BORDERCOLOR], border);
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
        glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, Float(ss[D3DSAMP_MIPMAPLODBIAS]));
        glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(ss[D3DSAMP_MAXMIPLEVEL]));
        const bool anisotropic =
            ss[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC || ss[D3DSAMP_MAGFILTER] == D3DTEXF_ANISOTROPIC;
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                            anisotropic ? static_cast<float>(std::max<DWORD>(ss[D3DSAMP_MAXANISOTROPY], 1)) : 1.0f);
    }
}

void CDevice::UploadUniforms() {
    const CPipeline& p = m_Pipeline;
    const DWORD* rs = m_RenderStates;
    glUniformMatrix4fv(p.Uniform("uWorld"), 1, GL_FALSE, &m_World.m[0][0]);
    glUniformMatrix4fv(p.Uniform("uView"), 1, GL_FALSE, &m_View.m[0][0]);
    glUniformMatrix4fv(p.Uniform("uProjection"), 1, GL_FALSE, &m_Projection.m[0][0]);
    float normalMatrix[9];
    Inverse3x3(Multiply(m_World, m_View), normalMatrix);
    glUniformMatrix3fv(p.Uniform("uNormalMatrix"), 1, GL_TRUE, normalMatrix);
    glUniform4f(p.Uniform("uViewport"), static_cast<float>(m_Viewport.X), static_cast<float>(m_Viewport.Y),
                static_cast<float>(m_Viewport.Width), static_cast<float>(m_Viewport.Height));

    const bool pretransformed = (m_nFvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    glUniform1i(p.Uniform("uPretransformed"), pretransformed);
    glUniform1i(p.Uniform("uLighting"), rs[D3DRS_LIGHTING] && !pretransformed);
    glUniform1i(p.Uniform("uHasNormal"), (m_nFvf & D3DFVF_NORMAL) != 0);
    glUniform1i(p.Uniform("uHasDiffuse"), (m_nFvf & D3DFVF_DIFFUSE) != 0);
    glUniform1i(p.Uniform("uHasSpecular"), (m_nFvf & D3DFVF_SPECULAR) != 0);
    glUniform1i(p.Uniform("uColorVertex"), rs[D3DRS_COLORVERTEX] != 0);
    glUniform1i(p.Uniform("uLocalViewer"), rs[D3DRS_LOCALVIEWER] != 0);
    glUniform1i(p.Uniform("uNormalizeNormals"), rs[D3DRS_NORMALIZENORMALS] != 0);
    glUniform4i(p.Uniform("uMaterialSources"), static_cast<GLint>(rs[D3DRS_DIFFUSEMATERIALSOURCE]),
                static_cast<GLint>(rs[D3DRS_SPECULARMATERIALSOURCE]), static_cast<GLint>(rs[D3DRS_AMBIENTMATERIALSOURCE]),
                static_cast<GLint>(rs[D3DRS_EMISSIVEMATERIALSOURCE]));
    glUniform4fv(p.Uniform("uMaterialDiffuse"), 1, &m_Material.Diffuse.r);
    glUniform4fv(p.Uniform("uMaterialAmbient"), 1, &m_Material.Ambient.r);
    glUniform4fv(p.Uniform("uMaterialSpecular"), 1, &m_Material.Specular.r);
    glUniform4fv(p.Uniform("uMaterialEmissive"), 1, &m_Material.Emissive.r);
    glUniform1f(p.Uniform("uMaterialPower"), m_Material.Power);
    float ambient[4];
    ColorOf(rs[D3DRS_AMBIENT], ambient);
    glUniform4fv(p.Uniform("uGlobalAmbient"), 1, ambient);

    // The enabled lights, in index order, at most eight, in camera space.
    int count = 0;
    GLint types[8] = {};
    float diffuse[8][4] = {}, specular[8][4] = {}, lightAmbient[8][4] = {}, position[8][3] = {}, direction[8][3] = {},
          attenuation[8][4] = {}, spot[8][3] = {};
    for (size_t i = 0; i < m_Lights.size() && count < 8; ++i) {
        if (!m_LightEnabled[i])
            continue;
        const D3DLIGHT9& light = m_Lights[i];
        types[count] = static_cast<GLint>(light.Type);
        memcpy(diffuse[count], &light.Diffuse, sizeof diffuse[count]);
        memcpy(specular[count], &light.Specular, sizeof specular[count]);
        memcpy(lightAmbient[count], &light.Ambient, sizeof lightAmbient[count]);
        TransformPoint(light.Position, m_View, position[count]);
        TransformDirection(light.Direction, m_View, direction[count]);
        attenuation[count][0] = light.Range;
        attenuation[count][1] = light.Attenuation0;
        attenuation[count][2] = light.Attenuation1;
        attenuation[count][3] = light.Attenuation2;
        spot[count][0] = std::cos(light.Theta * 0.5f);
        spot[count][1] = std::cos(light.Phi * 0.5f);
        spot[count][2] = light.Falloff;
        ++count;
    }
    glUniform1i(p.Uniform("uLightCount"), count);
    glUniform1iv(p.Uniform("uLightType"), 8, types);
    glUniform4fv(p.Uniform("uLightDiffuse"), 8, &diffuse[0][0]);
    glUniform4fv(p.Uniform("uLightSpecular"), 8, &specular[0][0]);
    glUniform4fv(p.Uniform("uLightAmbient"), 8, &lightAmbient[0][0]);
    glUniform3fv(p.Uniform("uLightPosition"), 8, &position[0][0]);
    glUniform3fv(p.Uniform("uLightDirection"), 8, &direction[0][0]);
    glUniform4fv(p.Uniform("uLightAttenuation"), 8, &attenuation[0][0]);
    glUniform3fv(p.Uniform("uLightSpot"), 8, &spot[0][0]);

    GLint colorOps[8][4];
    GLint alphaOps[8][4];
    GLint misc[8][2];
    GLint hasTexture[8];
    for (int stage = 0; stage < 8; ++stage) {
        const DWORD* ts = m_StageStates[stage];
        colorOps[stage][0] = static_cast<GLint>(ts[D3DTSS_COLOROP]);
        colorOps[stage][1] = static_cast<GLint>(ts[D3DTSS_COLORARG1]);
        colorOps[stage][2] = static_cast<GLint>(ts[D3DTSS_COLORARG2]);
        colorOps[stage][3] = static_cast<GLint>(ts[D3DTSS_COLORARG0]);
        alphaOps[stage][0] = static_cast<GLint>(ts[D3DTSS_ALPHAOP]);
        alphaOps[stage][1] = static_cast<GLint>(ts[D3DTSS_ALPHAARG1]);
        alphaOps[stage][2] = static_cast<GLint>(ts[D3DTSS_ALPHAARG2]);
        alphaOps[stage][3] = static_cast<GLint>(ts[D3DTSS_ALPHAARG0]);
        misc[stage][0] = static_cast<GLint>(ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF);
        misc[stage][1] = ts[D3DTSS_RESULTARG] == D3DTA_TEMP ? 5 : 1;
        hasTexture[stage] = m_Textures[stage] ? 1 : 0;
    }
    glUniform4iv(p.Uniform("uColorOp"), 8, &colorOps[0][0]);
    glUniform4iv(p.Uniform("uAlphaOp"), 8, &alphaOps[0][0]);
    glUniform2iv(p.Uniform("uStageMisc"), 8, &misc[0][0]);
    glUniform1iv(p.Uniform("uHasTexture"), 8, hasTexture);
    float factor[4];
    ColorOf(rs[D3DRS_TEXTUREFACTOR], factor);
    glUniform4fv(p.Uniform("uTextureFactor"), 1, factor);
    glUniform1i(p.Uniform("uSpecularEnable"), rs[D3DRS_SPECULARENABLE] != 0);
    glUniform1i(p.Uniform("uAlphaTest"), rs[D3DRS_ALPHATESTENABLE] != 0);
    glUniform1i(p.Uniform("uAlphaFunc"), static_cast<GLint>(rs[D3DRS_ALPHAFUNC]));
    glUniform1i(p.Uniform("uAlphaReference"), static_cast<GLint>(rs[D3DRS_ALPHAREF] & 0xFF));
}

bool CDevice::PrepareDraw(const uint8_t* userVertices, UINT userStride) {
    VertexLayout layout;
    if (!DecodeFormat(m_nFvf, &layout))
        return false;
    MakeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, m_glFramebuffer);
    glBindVertexArray(m_glVertexArray);
    if (userVertices) {
        glBindBuffer(GL_ARRAY_BUFFER, m_glUserBuffer);
        PointAttributes(layout, userStride, 0);
    } else {
        if (!m_pStream)
            return false;
        glBindBuffer(GL_ARRAY_BUFFER, m_pStream->Buffer().GlName());
        PointAttributes(layout, m_nStreamStride, m_nStreamOffset);
    }
    ApplyRenderStates();
    ApplySamplers();
    for (GLuint stage = 0; stage < 8; ++stage) {
        glActiveTexture(GL_TEXTURE0 + stage);
        glBindTexture(GL_TEXTURE_2D, m_Textures[stage] ? m_Textures[stage]->GlName() : 0);
        glBindSampler(stage, m_glSamplers[stage]);
    }
    m_Pipeline.Use(m_RenderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT);
    UploadUniforms();
    return true;
}

HRESULT CDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    GLenum mode;
    UINT vertices;
    if (!DrawCheck() || !PrimitiveMode(type, primitiveCount, &mode, &vertices) || !m_pStream || !m_nStreamStride)
        return D3DERR_INVALIDCALL;
    if (uint64_t{m_nStreamOffset} + (uint64_t{startVertex} + vertices) * m_nStreamStride > m_pStream->Buffer().Length())
        return D3DERR_INVALIDCALL;
    if (!PrepareDraw(nullptr, 0))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
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
    if (!inRange || !PrepareDraw(nullptr, 0))
        return D3DERR_INVALIDCALL;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer.GlName());
    glDrawElementsBaseVertex(mode, static_cast<GLsizei>(indices), wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * indexSize), baseVertex);
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
    if (!PrepareDraw(static_cast<const uint8_t*>(vertices), stride))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
    // As on the platform, drawing from memory leaves no stream bound.
    m_pStream = nullptr;
    m_nStreamOffset = m_nStreamStride = 0;
    return D3D_OK;
}

}  // namespace winapi::d3d
