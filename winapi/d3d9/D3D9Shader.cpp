// The fixed-function pipeline of the platform as generated shaders: the key of the states
// that shape the code, the assembly of vertex, geometry and fragment shaders from the parts
// that texture stages, lights and render states contribute, the cache of linked programs,
// and the choice of program and upload of its uniforms at each draw.
#include <cstdio>
#include <cstring>

#include "winapi/d3d9/D3D9_local.h"

namespace winapi::d3d {
namespace {

const char* const kUniformNames[kUniformCount] = {
    "uWorldView",       "uProjection",      "uNormalMatrix",      "uViewport",          "uFogFromW",
    "uTextureMatrix",   "uTextureFactor",   "uStageConstant",     "uBumpLuminance",     "uMaterialDiffuse",
    "uMaterialAmbient", "uMaterialSpecular", "uMaterialEmissive", "uMaterialPower",     "uGlobalAmbient",
    "uLightDiffuse",    "uLightSpecular",   "uLightAmbient",      "uLightPosition",     "uLightDirection",
    "uLightAttenuation", "uLightSpot",      "uFogColor",          "uFogParameters",     "uAlphaReference",
    "uPointSize",       "uPointScale",
};

const char kVertexHead[] = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec4 aTex0;
layout(location = 5) in vec4 aTex1;
layout(location = 6) in vec4 aTex2;
layout(location = 7) in vec4 aTex3;
layout(location = 8) in vec4 aTex4;
layout(location = 9) in vec4 aTex5;
layout(location = 10) in vec4 aTex6;
layout(location = 11) in vec4 aTex7;
layout(location = 12) in float aPointSize;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec4 uViewport;  // x, y, width, height of the viewport in pixels

// A sixty-fourth of a pixel: well above the rasteriser's sub-pixel step.
const float kRowNudge = 1.0 / 64.0;
)";

// Screen pixels with their centres on whole coordinates, rows from the top. The rows are
// nudged up by a sliver, so that an edge through pixel centres keeps the top row and drops
// the bottom one, as the platform's fill rule does.
const char kPretransformedPosition[] = R"(
    float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
    float x = 2.0 * (aPosition.x + 0.5 - uViewport.x) / uViewport.z - 1.0;
    float y = 1.0 - 2.0 * (aPosition.y + 0.5 - kRowNudge - uViewport.y) / uViewport.w;
    gl_Position = vec4(x * w, y * w, aPosition.z * w, w);
    vec4 eye = vec4(aPosition.xyz, 1.0);
)";

// Pixel centres sit on whole coordinates, half a pixel from where OpenGL puts them.
const char kTransformedPosition[] = R"(
    vec4 eye = uWorldView * vec4(aPosition.xyz, 1.0);
    gl_Position = uProjection * eye;
    gl_Position.xy += vec2(1.0, 2.0 * kRowNudge - 1.0) / uViewport.zw * gl_Position.w;
)";

void AppendBlock(const SPipelineKey& key, const char* direction, const char* instance, std::string* out) {
    *out += direction;
    *out += " Varyings {\n";
    for (const SVarying& varying : Varyings(key))
        *out += "    " + varying.declaration + " " + varying.name + ";\n";
    *out += "}";
    *out += instance;
    *out += ";\n";
}

std::string VertexShader(const SPipelineKey& key) {
    std::string source = kVertexHead;
    AppendBlock(key, "out", "", &source);
    AppendLightingDeclarations(key, &source);
    AppendTexCoordDeclarations(key, &source);
    AppendVertexStateDeclarations(key, &source);
    source += "\nvoid main() {";
    source += key.pretransformed ? kPretransformedPosition : kTransformedPosition;
    if (key.hasNormal && !key.pretransformed) {
        source += "    vec3 normal = uNormalMatrix * aNormal;\n";
        if (key.normalizeNormals)
            source += "    if (length(normal) > 0.0)\n        normal = normalize(normal);\n";
    } else if (key.hasNormal) {
        source += "    vec3 normal = aNormal;\n";
    } else {
        source += "    vec3 normal = vec3(0.0);\n";
    }
    if (key.lighting) {
        AppendLighting(key, &source);
    } else {
        source += key.hasDiffuse ? "    vDiffuse = aDiffuse;\n" : "    vDiffuse = vec4(1.0);\n";
        source += key.hasSpecular ? "    vSpecular = aSpecular;\n" : "    vSpecular = vec4(0.0);\n";
    }
    AppendTexCoords(key, &source);
    AppendVertexStates(key, &source);
    source += "}\n";
    return source;
}

std::string FragmentShader(const SPipelineKey& key) {
    std::string source = "#version 330 core\n";
    AppendBlock(key, "in", "", &source);
    source += "out vec4 fragColor;\n";
    AppendCascadeDeclarations(key, &source);
    AppendFragmentStateDeclarations(key, &source);
    source += "\nvoid main() {\n    vec4 current = vDiffuse;\n    vec4 temp = vec4(0.0);\n";
    AppendCascade(key, &source);
    AppendFragmentStates(key, &source);
    source += "    fragColor = current;\n}\n";
    return source;
}

GLuint Compile(GLenum kind, const std::string& source) {
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[4096];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        fprintf(stderr, "pipeline shader does not compile:\n%s\n%s\n", log, source.c_str());
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

std::unique_ptr<SProgram> BuildProgram(const SPipelineKey& key) {
    GLuint shaders[3] = {Compile(GL_VERTEX_SHADER, VertexShader(key)), Compile(GL_FRAGMENT_SHADER, FragmentShader(key)),
                         key.wrapPrimitive ? Compile(GL_GEOMETRY_SHADER, WrapGeometryShader(key)) : 0};
    const int count = key.wrapPrimitive ? 3 : 2;
    bool compiled = true;
    for (int i = 0; i < count; ++i)
        compiled = compiled && shaders[i] != 0;
    GLuint program = 0;
    if (compiled) {
        program = glCreateProgram();
        for (int i = 0; i < count; ++i)
            glAttachShader(program, shaders[i]);
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked) {
            char log[4096];
            glGetProgramInfoLog(program, sizeof log, nullptr, log);
            fprintf(stderr, "pipeline program does not link:\n%s\n", log);
            glDeleteProgram(program);
            program = 0;
        }
    }
    for (const GLuint shader : shaders) {
        if (shader)
            glDeleteShader(shader);
    }
    if (!program)
        return nullptr;

    auto built = std::make_unique<SProgram>();
    built->name = program;
    for (int i = 0; i < kUniformCount; ++i)
        built->uniforms[i] = glGetUniformLocation(program, kUniformNames[i]);
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    glUseProgram(program);
    for (int stage = 0; stage < 8; ++stage) {
        const std::string sampler = "uTexture" + std::to_string(stage);
        glUniform1i(glGetUniformLocation(program, sampler.c_str()), stage);
    }
    glUseProgram(static_cast<GLuint>(previous));
    return built;
}

}  // namespace

size_t SPipelineKeyHash::operator()(const SPipelineKey& key) const {
    // FNV-1a over the key's bytes.
    const auto* bytes = reinterpret_cast<const uint8_t*>(&key);
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < sizeof key; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001B3ull;
    }
    return static_cast<size_t>(hash);
}

bool operator==(const SPipelineKey& a, const SPipelineKey& b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

std::string GlslInt(int value) {
    return std::to_string(value);
}

std::vector<SVarying> Varyings(const SPipelineKey& key) {
    const std::string shade = key.flat ? "flat vec4" : "vec4";
    std::vector<SVarying> varyings = {{shade, "vDiffuse"}, {shade, "vSpecular"}};
    for (int stage = 0; stage < 8; ++stage) {
        if (key.stages[stage].sampled)
            varyings.push_back({"vec4", "vTex" + GlslInt(stage)});
    }
    if (key.fog == kFogVertex || key.fog == kFogFromSpecular)
        varyings.push_back({"float", "vFog"});
    if (key.fog == kFogTable) {
        // Eye depth interpolates with perspective, the depth buffer's value linearly on screen.
        varyings.push_back({"float", "vFogW"});
        varyings.push_back({"noperspective float", "vFogZ"});
    }
    return varyings;
}

SProgram* CPipeline::Find(const SPipelineKey& key) {
    const auto found = m_Programs.find(key);
    if (found != m_Programs.end())
        return found->second.get();
    std::unique_ptr<SProgram> program = BuildProgram(key);
    SProgram* built = program.get();
    m_Programs.emplace(key, std::move(program));
    return built;
}

void CPipeline::Destroy() {
    for (auto& entry : m_Programs) {
        if (entry.second)
            glDeleteProgram(entry.second->name);
    }
    m_Programs.clear();
}

bool CDevice::UseProgram(const VertexLayout& layout, EPrimitiveClass primitives) {
    if (m_bKeyDirty || primitives != m_LastPrimitives || !m_pProgram) {
        SPipelineKey key;
        memset(&key, 0, sizeof key);
        key.pretransformed = layout.pretransformed ? 1 : 0;
        key.hasNormal = layout.normal >= 0 ? 1 : 0;
        key.hasDiffuse = layout.diffuse >= 0 ? 1 : 0;
        key.hasSpecular = layout.specular >= 0 ? 1 : 0;
        key.hasPointSize = layout.pointSize >= 0 ? 1 : 0;
        BuildStageKey(layout, &key);
        BuildLightKey(layout, &key);
        BuildStateKey(layout, primitives, &key);
        m_pProgram = m_Pipeline.Find(key);
        m_bKeyDirty = false;
        m_LastPrimitives = primitives;
    }
    if (!m_pProgram)
        return false;
    SProgram& program = *m_pProgram;
    if (m_glProgramInUse != program.name) {
        glUseProgram(program.name);
        m_glProgramInUse = program.name;
    }
    if (program.serials[kGroupTransforms] != m_Serials[kGroupTransforms])
        UploadTransformUniforms(program);
    if (program.serials[kGroupLights] != m_Serials[kGroupLights])
        UploadLightUniforms(program);
    if (program.serials[kGroupMaterial] != m_Serials[kGroupMaterial])
        UploadMaterialUniforms(program);
    if (program.serials[kGroupStages] != m_Serials[kGroupStages])
        UploadStageUniforms(program);
    if (program.serials[kGroupStates] != m_Serials[kGroupStates])
        UploadStateUniforms(program);
    for (int group = 0; group < kGroupCount; ++group)
        program.serials[group] = m_Serials[group];
    return true;
}

void CDevice::UploadTransformUniforms(const SProgram& program) const {
    const D3DMATRIX worldView = MultiplyMatrices(m_World, m_View);
    glUniformMatrix4fv(program.uniforms[kUniformWorldView], 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix4fv(program.uniforms[kUniformProjection], 1, GL_FALSE, &m_Projection.m[0][0]);
    float normalMatrix[9];
    Inverse3x3(worldView, normalMatrix);
    glUniformMatrix3fv(program.uniforms[kUniformNormalMatrix], 1, GL_TRUE, normalMatrix);
    glUniform4f(program.uniforms[kUniformViewport], static_cast<float>(m_Viewport.X), static_cast<float>(m_Viewport.Y),
                static_cast<float>(m_Viewport.Width), static_cast<float>(m_Viewport.Height));
    // Table fog reads eye depth under a perspective projection and the depth value otherwise.
    const bool perspective = m_Projection.m[2][3] != 0.0f && m_Projection.m[3][3] == 0.0f;
    glUniform1i(program.uniforms[kUniformFogFromW], perspective ? 1 : 0);
}

}  // namespace winapi::d3d
