// The render states: those OpenGL holds (depth, stencil, blending, culling, fill mode,
// colour writes, dithering), and those the generated programs carry out (fog, the alpha
// test, the specular sum, point sizes and sprites).
//
// States that change nothing here: a w-buffer (D3DZB_USEW) is served by the depth buffer;
// clipping is always on, which is what unclipped drawing inside the view looks like; the
// multisample states have no effect on the single-sampled back buffer; user clip planes
// cannot be set through this interface, and planes of all zeros keep everything; patch
// edge styles and the debug monitor token belong to features the layer does not have.
// Vertex blending and tweening cannot be honoured: the layer draws no blend-weight formats
// and has one stream and one world matrix.
#include <algorithm>

#include "winapi/d3d9/D3D9_local.h"

namespace winapi::d3d {
namespace {

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

// The blend factor (D3DRS_BLENDFACTOR) is not among the states: it keeps its default, white,
// set as OpenGL's constant colour when the device starts.
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

bool ValidFogMode(DWORD mode) {
    return mode == D3DFOG_EXP || mode == D3DFOG_EXP2 || mode == D3DFOG_LINEAR;
}

void AppendFogFactor(const SPipelineKey& key, std::string* out) {
    *out += "uniform vec4 uFogParameters;  // end, 1 / (end - start), density\n"
            "float FogFactor(float d) {\n";
    if (key.fogMode == D3DFOG_EXP)
        *out += "    return exp(-d * uFogParameters.z);\n";
    else if (key.fogMode == D3DFOG_EXP2)
        *out += "    float x = d * uFogParameters.z;\n    return exp(-x * x);\n";
    else
        *out += "    return (uFogParameters.x - d) * uFogParameters.y;\n";
    *out += "}\n";
}

const char* AlphaComparison(uint8_t function) {
    switch (function) {
    case D3DCMP_LESS:
        return "<";
    case D3DCMP_EQUAL:
        return "==";
    case D3DCMP_LESSEQUAL:
        return "<=";
    case D3DCMP_GREATER:
        return ">";
    case D3DCMP_NOTEQUAL:
        return "!=";
    case D3DCMP_GREATEREQUAL:
        return ">=";
    default:
        return nullptr;
    }
}

}  // namespace

void CDevice::ApplyRenderStates() {
    if (!m_bStatesDirty)
        return;
    m_bStatesDirty = false;
    const DWORD* rs = m_RenderStates;
    // A w-buffer request is served by the depth buffer.
    if (rs[D3DRS_ZENABLE] && m_Parameters.EnableAutoDepthStencil)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);

    const DWORD fill = rs[D3DRS_FILLMODE];
    glPolygonMode(GL_FRONT_AND_BACK,
                  fill == D3DFILL_POINT ? GL_POINT : (fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL));

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
    if (rs[D3DRS_DITHERENABLE])
        glEnable(GL_DITHER);
    else
        glDisable(GL_DITHER);
}

void CDevice::BuildStateKey(const VertexLayout& layout, EPrimitiveClass primitives, SPipelineKey* key) const {
    const DWORD* rs = m_RenderStates;
    key->flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT ? 1 : 0;
    key->addSpecular = rs[D3DRS_SPECULARENABLE] ? 1 : 0;
    const DWORD alphaFunc = rs[D3DRS_ALPHAFUNC];
    if (rs[D3DRS_ALPHATESTENABLE] && alphaFunc >= D3DCMP_NEVER && alphaFunc < D3DCMP_ALWAYS)
        key->alphaFunc = static_cast<uint8_t>(alphaFunc);
    // Table (per-pixel) fog wins over vertex fog; without either, the vertex supplies the
    // fog factor in its specular alpha.
    if (rs[D3DRS_FOGENABLE]) {
        if (ValidFogMode(rs[D3DRS_FOGTABLEMODE])) {
            key->fog = kFogTable;
            key->fogMode = static_cast<uint8_t>(rs[D3DRS_FOGTABLEMODE]);
        } else if (ValidFogMode(rs[D3DRS_FOGVERTEXMODE]) && !layout.pretransformed) {
            key->fog = kFogVertex;
            key->fogMode = static_cast<uint8_t>(rs[D3DRS_FOGVERTEXMODE]);
            key->rangeFog = rs[D3DRS_RANGEFOGENABLE] ? 1 : 0;
        } else {
            key->fog = kFogFromSpecular;
        }
    }
    key->pointScale = rs[D3DRS_POINTSCALEENABLE] && !layout.pretransformed ? 1 : 0;
    key->pointSprite = primitives == EPrimitiveClass::kPoints && rs[D3DRS_POINTSPRITEENABLE] ? 1 : 0;
    key->unitPoints = primitives == EPrimitiveClass::kLineEnds ? 1 : 0;

    bool wraps = false;
    for (const SStageKey& stage : key->stages)
        wraps = wraps || (stage.sampled && stage.wrap);
    if (wraps && !key->pointSprite && primitives == EPrimitiveClass::kTriangles)
        key->wrapPrimitive = 3;
    else if (wraps && primitives == EPrimitiveClass::kLines)
        key->wrapPrimitive = 2;
    if (!key->wrapPrimitive) {
        for (SStageKey& stage : key->stages)
            stage.wrap = 0;
    }
}

void CDevice::UploadStateUniforms(const SProgram& program) const {
    const DWORD* rs = m_RenderStates;
    float fogColor[4];
    ColorOf(rs[D3DRS_FOGCOLOR], fogColor);
    glUniform4fv(program.uniforms[kUniformFogColor], 1, fogColor);
    const float start = FloatOf(rs[D3DRS_FOGSTART]);
    const float end = FloatOf(rs[D3DRS_FOGEND]);
    // With start and end together the fog steps from none to full there.
    const float scale = end != start ? 1.0f / (end - start) : 1.0e30f;
    glUniform4f(program.uniforms[kUniformFogParameters], end, scale, FloatOf(rs[D3DRS_FOGDENSITY]), 0.0f);
    glUniform1i(program.uniforms[kUniformAlphaReference], static_cast<GLint>(rs[D3DRS_ALPHAREF] & 0xFF));
    glUniform4f(program.uniforms[kUniformPointSize], FloatOf(rs[D3DRS_POINTSIZE]), FloatOf(rs[D3DRS_POINTSIZE_MIN]),
                FloatOf(rs[D3DRS_POINTSIZE_MAX]), 0.0f);
    glUniform3f(program.uniforms[kUniformPointScale], FloatOf(rs[D3DRS_POINTSCALE_A]), FloatOf(rs[D3DRS_POINTSCALE_B]),
                FloatOf(rs[D3DRS_POINTSCALE_C]));
}

void AppendVertexStateDeclarations(const SPipelineKey& key, std::string* out) {
    if (key.fog == kFogVertex)
        AppendFogFactor(key, out);
    *out += "uniform vec4 uPointSize;   // size, minimum, maximum\n"
            "uniform vec3 uPointScale;  // A, B, C\n";
}

void AppendVertexStates(const SPipelineKey& key, std::string* out) {
    if (key.fog == kFogFromSpecular)
        *out += key.hasSpecular ? "    vFog = aSpecular.a;\n" : "    vFog = 1.0;\n";
    else if (key.fog == kFogVertex)
        *out += key.rangeFog ? "    vFog = FogFactor(length(eye.xyz));\n" : "    vFog = FogFactor(eye.z);\n";
    else if (key.fog == kFogTable)
        *out += "    vFogW = gl_Position.w;\n    vFogZ = gl_Position.z / gl_Position.w;\n";

    // Point size: the vertex's or the state's, scaled by distance as
    // height x size x sqrt(1 / (A + B d + C d^2)), then held between minimum and maximum.
    if (key.unitPoints) {
        *out += "    gl_PointSize = 1.0;\n";
        return;
    }
    *out += key.hasPointSize ? "    float pointSize = aPointSize;\n" : "    float pointSize = uPointSize.x;\n";
    if (key.pointScale) {
        *out += "    float pointDistance = length(eye.xyz);\n"
                "    float pointFalloff = uPointScale.x + uPointScale.y * pointDistance +\n"
                "                         uPointScale.z * pointDistance * pointDistance;\n"
                "    pointSize = pointFalloff > 0.0 ? uViewport.w * pointSize * sqrt(1.0 / pointFalloff)\n"
                "                                   : uPointSize.z;\n";
    }
    *out += "    gl_PointSize = max(min(max(pointSize, uPointSize.y), uPointSize.z), 1.0);\n";
}

void AppendFragmentStateDeclarations(const SPipelineKey& key, std::string* out) {
    if (key.fog != kFogNone)
        *out += "uniform vec4 uFogColor;\n";
    if (key.fog == kFogTable) {
        *out += "uniform bool uFogFromW;\n";
        AppendFogFactor(key, out);
    }
    if (key.alphaFunc)
        *out += "uniform int uAlphaReference;\n";
}

void AppendFragmentStates(const SPipelineKey& key, std::string* out) {
    if (key.addSpecular)
        *out += "    current.rgb = min(current.rgb + vSpecular.rgb, 1.0);\n";
    if (key.fog == kFogTable)
        *out += "    float fog = clamp(FogFactor(uFogFromW ? vFogW : vFogZ), 0.0, 1.0);\n";
    else if (key.fog != kFogNone)
        *out += "    float fog = clamp(vFog, 0.0, 1.0);\n";
    if (key.fog != kFogNone)
        *out += "    current.rgb = mix(uFogColor.rgb, current.rgb, fog);\n";
    // The test compares the alpha as the 8-bit value it would be stored as.
    if (key.alphaFunc == D3DCMP_NEVER) {
        *out += "    if (true)\n        discard;\n";
    } else if (const char* comparison = AlphaComparison(key.alphaFunc)) {
        *out += "    int alphaByte = int(round(clamp(current.a, 0.0, 1.0) * 255.0));\n";
        *out += std::string("    if (!(alphaByte ") + comparison + " uAlphaReference))\n        discard;\n";
    }
}

}  // namespace winapi::d3d
