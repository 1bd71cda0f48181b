// The texture stages: which stages run and what they read, the texture coordinates each
// stage samples at (a set of the vertex or one generated in camera space, through the
// stage's matrix), and the cascade of colour and alpha operations in the fragment shader.
//
// The cascade follows the platform: each stage combines up to three arguments (diffuse,
// current, its texel, the texture factor, specular, the temporary register, its constant;
// each optionally complemented or alpha-replicated) and writes, saturated to [0, 1], to the
// current or the temporary register. A disabled colour operation ends the cascade, and so
// does a stage that reads its texture when none is bound. Bump mapping has no meaning here:
// the layer keeps no bump-map (signed du/dv) formats, so the perturbation is always zero.
// A bump stage therefore writes nothing and the next stage samples its texture at its own
// coordinates (the bump matrix has no effect); with luminance, the luminance channel that
// such a texture would lack reads as 1, so the next stage's texel colour is scaled by
// saturate(luminance scale + luminance offset), as the platform does for those formats.
// Premodulation multiplies the stage's first argument by the next stage's texel (white
// when that stage has no texture).
#include <algorithm>
#include <cstring>

#include "winapi/d3d9/D3D9_local.h"

namespace winapi::d3d {
namespace {

bool ValidOperation(DWORD op) {
    return op >= D3DTOP_DISABLE && op <= D3DTOP_LERP;
}

bool IsBump(DWORD op) {
    return op == D3DTOP_BUMPENVMAP || op == D3DTOP_BUMPENVMAPLUMINANCE;
}

// Which of arguments 1, 2 and 0 (bits 0, 1 and 2) an operation reads.
unsigned ReadArguments(DWORD op) {
    switch (op) {
    case D3DTOP_DISABLE:
    case D3DTOP_BUMPENVMAP:
    case D3DTOP_BUMPENVMAPLUMINANCE:
        return 0;
    case D3DTOP_SELECTARG1:
    case D3DTOP_PREMODULATE:
        return 1;
    case D3DTOP_SELECTARG2:
        return 2;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP:
        return 7;
    default:
        return 3;
    }
}

// Operations that read the stage's texture whatever their arguments.
bool ReadsOwnTexture(DWORD op) {
    return op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM || IsBump(op);
}

// The selector (an unknown one as 7, read as zero) with the modifiers.
uint8_t ArgumentCode(DWORD argument) {
    DWORD select = argument & D3DTA_SELECTMASK;
    if (select > D3DTA_CONSTANT)
        select = 7;
    return static_cast<uint8_t>(select | (argument & (D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)));
}

// The formula of an operation: $1, $2 and $0 stand for the arguments, @1 for the alpha of
// argument 1, # for the stage's texel and % for the next stage's texel.
const char* Formula(DWORD op, bool alpha) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return "$1";
    case D3DTOP_SELECTARG2:
        return "$2";
    case D3DTOP_MODULATE:
        return "$1 * $2";
    case D3DTOP_MODULATE2X:
        return "2.0 * $1 * $2";
    case D3DTOP_MODULATE4X:
        return "4.0 * $1 * $2";
    case D3DTOP_ADD:
        return "$1 + $2";
    case D3DTOP_ADDSIGNED:
        return "$1 + $2 - 0.5";
    case D3DTOP_ADDSIGNED2X:
        return "2.0 * ($1 + $2 - 0.5)";
    case D3DTOP_SUBTRACT:
        return "$1 - $2";
    case D3DTOP_ADDSMOOTH:
        return "$1 + $2 - $1 * $2";
    case D3DTOP_BLENDDIFFUSEALPHA:
        return "mix($2, $1, vDiffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA:
        return "mix($2, $1, #.a)";
    case D3DTOP_BLENDFACTORALPHA:
        return "mix($2, $1, uTextureFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM:
        return "$1 + $2 * (1.0 - #.a)";
    case D3DTOP_BLENDCURRENTALPHA:
        return "mix($2, $1, current.a)";
    case D3DTOP_PREMODULATE:
        return "$1 * %";
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
        return "$1 + @1 * $2";
    case D3DTOP_MODULATECOLOR_ADDALPHA:
        return "$1 * $2 + @1";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
        return "(1.0 - @1) * $2 + $1";
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
        return "(1.0 - $1) * $2 + @1";
    case D3DTOP_DOTPRODUCT3:
        // Signed components: each argument's 0.5 is zero.
        return alpha ? "4.0 * ($1 - 0.5) * ($2 - 0.5)" : "vec3(4.0 * dot($1 - 0.5, $2 - 0.5))";
    case D3DTOP_MULTIPLYADD:
        return "$0 + $1 * $2";
    case D3DTOP_LERP:
        return "mix($2, $1, $0)";
    default:
        return alpha ? "current.a" : "current.rgb";
    }
}

std::string Source(uint8_t code, int stage) {
    switch (code & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
        return "vDiffuse";
    case D3DTA_CURRENT:
        return "current";
    case D3DTA_TEXTURE:
        return "texel" + GlslInt(stage);
    case D3DTA_TFACTOR:
        return "uTextureFactor";
    case D3DTA_SPECULAR:
        return "vSpecular";
    case D3DTA_TEMP:
        return "temp";
    case D3DTA_CONSTANT:
        return "uStageConstant[" + GlslInt(stage) + "]";
    default:
        return "vec4(0.0)";
    }
}

std::string ColorArgument(uint8_t code, int stage) {
    std::string value = Source(code, stage);
    if (code & D3DTA_COMPLEMENT)
        value = "(1.0 - " + value + ")";
    if (code & D3DTA_ALPHAREPLICATE)
        value = "vec4(" + value + ".a)";
    return value;
}

std::string AlphaArgument(uint8_t code, int stage) {
    const std::string value = Source(code, stage) + ".a";
    return (code & D3DTA_COMPLEMENT) ? "(1.0 - " + value + ")" : value;
}

void ReplaceAll(std::string* text, const std::string& what, const std::string& with) {
    for (size_t at = text->find(what); at != std::string::npos; at = text->find(what, at + with.size()))
        text->replace(at, what.size(), with);
}

// The operation's expression over the stage's argument variables (c1, c2, c0 for colour,
// a1, a2, a0 for alpha).
std::string Expression(const SPipelineKey& key, int stage, DWORD op, bool alpha) {
    std::string text = Formula(op, alpha);
    const char* part = alpha ? "" : ".rgb";
    const std::string prefix = alpha ? "a" : "c";
    std::string next = alpha ? "1.0" : "vec3(1.0)";
    if (stage < 7 && key.stages[stage + 1].sampled)
        next = "texel" + GlslInt(stage + 1) + (alpha ? ".a" : ".rgb");
    ReplaceAll(&text, "@1", alpha ? "a1" : "c1.a");
    for (const char* index : {"1", "2", "0"})
        ReplaceAll(&text, std::string("$") + index, prefix + index + part);
    ReplaceAll(&text, "#", "texel" + GlslInt(stage));
    ReplaceAll(&text, "%", next);
    return text;
}

const char* const kIndices[3] = {"1", "2", "0"};

void AppendStage(const SPipelineKey& key, int stage, std::string* out) {
    const SStageKey& s = key.stages[stage];
    const std::string n = GlslInt(stage);
    if (IsBump(s.colorOp)) {
        *out += "    // stage " + n + ": bump mapping, no perturbation without bump-map formats\n";
        if (s.colorOp == D3DTOP_BUMPENVMAPLUMINANCE && stage < 7 && key.stages[stage + 1].sampled) {
            const std::string next = GlslInt(stage + 1);
            *out += "    texel" + next + ".rgb *= clamp(uBumpLuminance[" + n + "].x + uBumpLuminance[" + n +
                    "].y, 0.0, 1.0);\n";
        }
        return;
    }
    *out += "    {  // stage " + n + "\n";
    for (int i = 0; i < 3; ++i) {
        if (s.colorArg[i] != kArgUnused)
            *out += std::string("        vec4 c") + kIndices[i] + " = " + ColorArgument(s.colorArg[i], stage) + ";\n";
        if (s.alphaArg[i] != kArgUnused)
            *out += std::string("        float a") + kIndices[i] + " = " + AlphaArgument(s.alphaArg[i], stage) + ";\n";
    }
    *out += "        vec3 color = " + Expression(key, stage, s.colorOp, false) + ";\n";
    if (s.colorOp == D3DTOP_DOTPRODUCT3)
        *out += "        float alpha = color.r;  // the dot product goes to alpha as well\n";
    else
        *out += "        float alpha = " + Expression(key, stage, s.alphaOp, true) + ";\n";
    *out += std::string("        ") + (s.toTemp ? "temp" : "current") + " = clamp(vec4(color, alpha), 0.0, 1.0);\n";
    *out += "    }\n";
}

// The coordinate a stage samples at, before any projection.
std::string Coordinate(const SPipelineKey& key, int stage) {
    const SStageKey& s = key.stages[stage];
    const bool transformed = s.transformCount != 0;
    switch (s.coordSource) {
    case kCoordNormal:
        return "vec4(normal, 1.0)";
    case kCoordPosition:
        return "vec4(eye.xyz, 1.0)";
    case kCoordReflection:
        return key.localViewer ? "vec4(reflect(length(eye.xyz) > 0.0 ? normalize(eye.xyz) : vec3(0.0, 0.0, 1.0), "
                                 "normal), 1.0)"
                               : "vec4(reflect(vec3(0.0, 0.0, 1.0), normal), 1.0)";
    default:
        break;
    }
    const std::string a = "aTex" + GlslInt(s.coordSet);
    // Into a matrix, the component after the last one given is 1, so that the row below the
    // used ones acts as the translation; untransformed, missing components are 0 (w 1).
    switch (s.coordSize) {
    case 1:
        return transformed ? "vec4(" + a + ".x, 1.0, 0.0, 0.0)" : "vec4(" + a + ".x, 0.0, 0.0, 1.0)";
    case 2:
        return transformed ? "vec4(" + a + ".xy, 1.0, 0.0)" : "vec4(" + a + ".xy, 0.0, 1.0)";
    case 3:
        return "vec4(" + a + ".xyz, 1.0)";
    case 4:
        return a;
    default:
        return transformed ? "vec4(0.0, 0.0, 1.0, 0.0)" : "vec4(0.0, 0.0, 0.0, 1.0)";
    }
}

}  // namespace

void CDevice::BuildStageKey(const VertexLayout& layout, SPipelineKey* key) const {
    int count = 0;
    for (; count < 8; ++count) {
        const DWORD* ts = m_StageStates[count];
        const DWORD colorOp = ValidOperation(ts[D3DTSS_COLOROP]) ? ts[D3DTSS_COLOROP] : D3DTOP_DISABLE;
        if (colorOp == D3DTOP_DISABLE)
            break;
        // A bump stage writes nothing, so its alpha operation goes too; a bump operation for
        // alpha alone passes the alpha on.
        DWORD alphaOp = ValidOperation(ts[D3DTSS_ALPHAOP]) ? ts[D3DTSS_ALPHAOP] : D3DTOP_DISABLE;
        if (IsBump(colorOp) || IsBump(alphaOp))
            alphaOp = D3DTOP_DISABLE;
        SStageKey stage;
        memset(&stage, 0, sizeof stage);
        stage.colorOp = static_cast<uint8_t>(colorOp);
        stage.alphaOp = static_cast<uint8_t>(alphaOp);
        bool readsTexture = ReadsOwnTexture(colorOp) || ReadsOwnTexture(alphaOp);
        const DWORD colorArgs[3] = {ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2], ts[D3DTSS_COLORARG0]};
        const DWORD alphaArgs[3] = {ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2], ts[D3DTSS_ALPHAARG0]};
        for (unsigned i = 0; i < 3; ++i) {
            stage.colorArg[i] = (ReadArguments(colorOp) & (1u << i)) ? ArgumentCode(colorArgs[i]) : kArgUnused;
            stage.alphaArg[i] = (ReadArguments(alphaOp) & (1u << i)) ? ArgumentCode(alphaArgs[i]) : kArgUnused;
            for (const uint8_t code : {stage.colorArg[i], stage.alphaArg[i]})
                readsTexture = readsTexture || (code != kArgUnused && (code & D3DTA_SELECTMASK) == D3DTA_TEXTURE);
        }
        // Reading a texture that is not there: the stage acts as disabled.
        if (readsTexture && !m_Textures[count])
            break;
        stage.toTemp = ts[D3DTSS_RESULTARG] == D3DTA_TEMP ? 1 : 0;
        stage.sampled = readsTexture ? 1 : 0;
        key->stages[count] = stage;
    }
    key->stageCount = static_cast<uint8_t>(count);
    // Premodulation and bump luminance work on the next stage's texel.
    for (int stage = 0; stage < count && stage < 7; ++stage) {
        const SStageKey& s = key->stages[stage];
        if ((s.colorOp == D3DTOP_PREMODULATE || s.alphaOp == D3DTOP_PREMODULATE ||
             s.colorOp == D3DTOP_BUMPENVMAPLUMINANCE) &&
            m_Textures[stage + 1])
            key->stages[stage + 1].sampled = 1;
    }

    for (int stage = 0; stage < 8; ++stage) {
        SStageKey& s = key->stages[stage];
        if (!s.sampled)
            continue;
        const DWORD* ts = m_StageStates[stage];
        const DWORD set = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
        const DWORD generation = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF0000u;
        s.coordSet = static_cast<uint8_t>(set & 7);
        s.coordSize = set < 8 && layout.texture[set] >= 0 ? static_cast<uint8_t>(layout.textureSize[set]) : 0;
        // Screen vertices pass their coordinates untouched: no generation, no matrix.
        if (!layout.pretransformed) {
            if (generation == D3DTSS_TCI_CAMERASPACENORMAL)
                s.coordSource = kCoordNormal;
            else if (generation == D3DTSS_TCI_CAMERASPACEPOSITION)
                s.coordSource = kCoordPosition;
            else if (generation == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR)
                s.coordSource = kCoordReflection;
        }
        const DWORD flags = ts[D3DTSS_TEXTURETRANSFORMFLAGS];
        DWORD components = std::min<DWORD>(flags & 0xFF, 4);
        const bool projected = (flags & D3DTTFF_PROJECTED) != 0;
        // Projection without a count divides by the third component, the one a two-component
        // coordinate's translation row leaves at 1.
        if (projected && components == 0)
            components = 3;
        if (flags != D3DTTFF_DISABLE && !layout.pretransformed)
            s.transformCount = static_cast<uint8_t>(components);
        s.projectCount = projected && components >= 2 ? static_cast<uint8_t>(components) : 0;
        // The wrap state follows the index's set, also when the coordinates are generated.
        s.wrap = static_cast<uint8_t>(m_RenderStates[D3DRS_WRAP0 + (set & 7)] & 0xF);
    }
}

void CDevice::UploadStageUniforms(const SProgram& program) const {
    glUniformMatrix4fv(program.uniforms[kUniformTextureMatrix], 8, GL_FALSE, &m_TextureTransforms[0].m[0][0]);
    float factor[4];
    ColorOf(m_RenderStates[D3DRS_TEXTUREFACTOR], factor);
    glUniform4fv(program.uniforms[kUniformTextureFactor], 1, factor);
    float constants[8][4];
    float luminance[8][2];
    for (int stage = 0; stage < 8; ++stage) {
        ColorOf(m_StageStates[stage][D3DTSS_CONSTANT], constants[stage]);
        luminance[stage][0] = FloatOf(m_StageStates[stage][D3DTSS_BUMPENVLSCALE]);
        luminance[stage][1] = FloatOf(m_StageStates[stage][D3DTSS_BUMPENVLOFFSET]);
    }
    glUniform4fv(program.uniforms[kUniformStageConstant], 8, &constants[0][0]);
    glUniform2fv(program.uniforms[kUniformBumpLuminance], 8, &luminance[0][0]);
}

void AppendTexCoordDeclarations(const SPipelineKey& key, std::string* out) {
    for (const SStageKey& s : key.stages) {
        if (s.sampled && s.transformCount) {
            *out += "uniform mat4 uTextureMatrix[8];\n";
            return;
        }
    }
}

void AppendTexCoords(const SPipelineKey& key, std::string* out) {
    for (int stage = 0; stage < 8; ++stage) {
        const SStageKey& s = key.stages[stage];
        if (!s.sampled)
            continue;
        const std::string n = GlslInt(stage);
        const std::string coordinate = Coordinate(key, stage);
        if (!s.transformCount) {
            *out += "    vTex" + n + " = " + coordinate + ";\n";
            continue;
        }
        *out += "    {\n        vec4 t = uTextureMatrix[" + n + "] * " + coordinate + ";\n";
        static const char* const kCounted[5] = {"t", "vec4(t.x, 0.0, 0.0, 1.0)", "vec4(t.xy, 0.0, 1.0)",
                                                "vec4(t.xyz, 1.0)", "t"};
        *out += "        vTex" + n + " = " + kCounted[s.transformCount] + ";\n    }\n";
    }
}

void AppendCascadeDeclarations(const SPipelineKey& key, std::string* out) {
    for (int stage = 0; stage < 8; ++stage) {
        if (key.stages[stage].sampled)
            *out += "uniform sampler2D uTexture" + GlslInt(stage) + ";\n";
    }
    *out += "uniform vec4 uTextureFactor;\n"
            "uniform vec4 uStageConstant[8];\n"
            "uniform vec2 uBumpLuminance[8];  // scale, offset\n";
}

void AppendCascade(const SPipelineKey& key, std::string* out) {
    static const char* const kDivisor[5] = {"", "", "y", "z", "w"};
    for (int stage = 0; stage < 8; ++stage) {
        const SStageKey& s = key.stages[stage];
        if (!s.sampled)
            continue;
        const std::string n = GlslInt(stage);
        std::string coordinate = "vTex" + n + ".xy";
        if (key.pointSprite)
            coordinate = "gl_PointCoord";
        else if (s.projectCount)
            coordinate += " / vTex" + n + "." + kDivisor[s.projectCount];
        *out += "    vec4 texel" + n + " = texture(uTexture" + n + ", " + coordinate + ");\n";
    }
    for (int stage = 0; stage < key.stageCount; ++stage)
        AppendStage(key, stage, out);
}

std::string WrapGeometryShader(const SPipelineKey& key) {
    const int corners = key.wrapPrimitive;
    const std::string count = GlslInt(corners);
    std::string source = "#version 330 core\n";
    source += corners == 3 ? "layout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
                           : "layout(lines) in;\nlayout(line_strip, max_vertices = 2) out;\n";
    const std::vector<SVarying> varyings = Varyings(key);
    for (const char* direction : {"in", "out"}) {
        source += std::string(direction) + " Varyings {\n";
        for (const SVarying& varying : varyings)
            source += "    " + varying.declaration + " " + varying.name + ";\n";
        source += std::string("} ") + (direction[0] == 'i' ? "gIn[];\n" : "gOut;\n");
    }
    source += "\nvoid main() {\n";
    // Each wrapped component of the later corners moves by whole units to within half a
    // unit of the first corner's, so that interpolation takes the short way round.
    for (int stage = 0; stage < 8; ++stage) {
        const SStageKey& s = key.stages[stage];
        if (!s.sampled || !s.wrap)
            continue;
        const std::string n = GlslInt(stage);
        source += "    vec4 wrapped" + n + "[" + count + "];\n";
        for (int corner = 0; corner < corners; ++corner)
            source += "    wrapped" + n + "[" + GlslInt(corner) + "] = gIn[" + GlslInt(corner) + "].vTex" + n + ";\n";
        static const char kComponents[4] = {'x', 'y', 'z', 'w'};
        for (int component = 0; component < 4; ++component) {
            if (!(s.wrap & (1 << component)))
                continue;
            const std::string c(1, kComponents[component]);
            for (int corner = 1; corner < corners; ++corner) {
                const std::string at = "wrapped" + n + "[" + GlslInt(corner) + "]." + c;
                source += "    " + at + " += round(wrapped" + n + "[0]." + c + " - " + at + ");\n";
            }
        }
    }
    source += "    for (int i = 0; i < " + count + "; ++i) {\n"
              "        gl_Position = gl_in[i].gl_Position;\n"
              "        gl_PointSize = gl_in[i].gl_PointSize;\n";
    for (const SVarying& varying : varyings) {
        const bool wrappedStage = varying.name.compare(0, 4, "vTex") == 0 &&
                                  key.stages[varying.name[4] - '0'].wrap != 0;
        source += "        gOut." + varying.name + " = " +
                  (wrappedStage ? "wrapped" + varying.name.substr(4) + "[i]" : "gIn[i]." + varying.name) + ";\n";
    }
    source += "        EmitVertex();\n    }\n    EndPrimitive();\n}\n";
    return source;
}

}  // namespace winapi::d3d
