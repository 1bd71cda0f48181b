// The fixed-function pipeline of the platform, as shaders: transform and lighting per vertex,
// the texture-stage cascade and the alpha test per fragment. Everything the states choose
// arrives as uniforms, so one program serves every state; only flat shading needs its own.
#include <cstdio>
#include <string>
#include <unordered_map>

#include "winapi/D3D9_local.h"

namespace winapi::d3d {
namespace {

const char kVertexShader[] = R"(
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

uniform mat4 uWorld;
uniform mat4 uView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform bool uPretransformed;
uniform vec4 uViewport;  // x, y, width, height of the viewport in pixels
uniform bool uLighting;
uniform bool uHasNormal;
uniform bool uHasDiffuse;
uniform bool uHasSpecular;
uniform bool uColorVertex;
uniform bool uLocalViewer;
uniform bool uNormalizeNormals;
uniform ivec4 uMaterialSources;  // diffuse, specular, ambient, emissive: 0 material, 1 colour 1, 2 colour 2
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialSpecular;
uniform vec4 uMaterialEmissive;
uniform float uMaterialPower;
uniform vec4 uGlobalAmbient;
uniform int uLightCount;
uniform int uLightType[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec3 uLightPosition[8];   // in camera space
uniform vec3 uLightDirection[8];  // in camera space, unit length, the way the light shines
uniform vec4 uLightAttenuation[8];  // range, constant, linear, quadratic
uniform vec3 uLightSpot[8];         // cos(theta / 2), cos(phi / 2), falloff

// A sixty-fourth of a pixel: well above the rasteriser's sub-pixel step.
const float kRowNudge = 1.0 / 64.0;

SHADE out vec4 vDiffuse;
SHADE out vec4 vSpecular;
out vec4 vTex0;
out vec4 vTex1;
out vec4 vTex2;
out vec4 vTex3;
out vec4 vTex4;
out vec4 vTex5;
out vec4 vTex6;
out vec4 vTex7;

vec4 Source(int source, vec4 material) {
    if (uColorVertex) {
        if (source == 1 && uHasDiffuse)
            return aDiffuse;
        if (source == 2 && uHasSpecular)
            return aSpecular;
    }
    return material;
}

void Light(vec3 position) {
    vec3 normal = uHasNormal ? uNormalMatrix * aNormal : vec3(0.0);
    if (uNormalizeNormals && length(normal) > 0.0)
        normal = normalize(normal);
    vec3 toViewer = uLocalViewer && length(position) > 0.0 ? normalize(-position) : vec3(0.0, 0.0, -1.0);
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
    vec3 ambientSum = vec3(0.0);
    for (int i = 0; i < uLightCount; ++i) {
        vec3 toLight;
        float attenuation = 1.0;
        if (uLightType[i] == 3) {
            toLight = -uLightDirection[i];
        } else {
            vec3 offset = uLightPosition[i] - position;
            float distance = length(offset);
            if (distance > uLightAttenuation[i].x)
                continue;
            toLight = distance > 0.0 ? offset / distance : vec3(0.0, 0.0, -1.0);
            float falloff = uLightAttenuation[i].y + uLightAttenuation[i].z * distance +
                            uLightAttenuation[i].w * distance * distance;
            attenuation = falloff > 0.0 ? 1.0 / falloff : 1.0;
            if (uLightType[i] == 2) {
                float rho = dot(-toLight, uLightDirection[i]);
                if (rho <= uLightSpot[i].y)
                    attenuation = 0.0;
                else if (rho <= uLightSpot[i].x)
                    attenuation *= pow((rho - uLightSpot[i].y) / (uLightSpot[i].x - uLightSpot[i].y), uLightSpot[i].z);
            }
        }
        ambientSum += uLightAmbient[i].rgb * attenuation;
        float facing = dot(normal, toLight);
        if (facing > 0.0) {
            diffuseSum += uLightDiffuse[i].rgb * facing * attenuation;
            float highlight = max(dot(normal, normalize(toViewer + toLight)), 0.0);
            float shine = uMaterialPower > 0.0 ? pow(highlight, uMaterialPower) : 1.0;
            specularSum += uLightSpecular[i].rgb * shine * attenuation;
        }
    }
    vec4 diffuse = Source(uMaterialSources.x, uMaterialDiffuse);
    vec4 specular = Source(uMaterialSources.y, uMaterialSpecular);
    vec4 ambient = Source(uMaterialSources.z, uMaterialAmbient);
    vec4 emissive = Source(uMaterialSources.w, uMaterialEmissive);
    vDiffuse = clamp(vec4(emissive.rgb + ambient.rgb * (uGlobalAmbient.rgb + ambientSum) + diffuse.rgb * diffuseSum,
                          diffuse.a), 0.0, 1.0);
    vSpecular = vec4(clamp(specular.rgb * specularSum, 0.0, 1.0), 0.0);
}

void main() {
    if (uPretransformed) {
        // Screen pixels with their centres on whole coordinates, rows from the top. The rows
        // are nudged up by a sliver, so that an edge through pixel centres keeps the top row
        // and drops the bottom one, as the platform's fill rule does.
        float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
        float x = 2.0 * (aPosition.x + 0.5 - uViewport.x) / uViewport.z - 1.0;
        float y = 1.0 - 2.0 * (aPosition.y + 0.5 - kRowNudge - uViewport.y) / uViewport.w;
        gl_Position = vec4(x * w, y * w, aPosition.z * w, w);
    } else {
        vec4 cameraPosition = uView * (uWorld * vec4(aPosition.xyz, 1.0));
        gl_Position = uProjection * cameraPosition;
        // Pixel centres sit on whole coordinates, half a pixel from where OpenGL puts them.
        gl_Position.xy += vec2(1.0, 2.0 * kRowNudge - 1.0) / uViewport.zw * gl_Position.w;
        if (uLighting) {
            Light(cameraPosition.xyz);
            vTex0 = aTex0;
            vTex1 = aTex1;
            vTex2 = aTex2;
            vTex3 = aTex3;
            vTex4 = aTex4;
            vTex5 = aTex5;
            vTex6 = aTex6;
            vTex7 = aTex7;
            return;
        }
    }
    vDiffuse = uHasDiffuse ? aDiffuse : vec4(1.0);
    vSpecular = uHasSpecular ? aSpecular : vec4(0.0);
    vTex0 = aTex0;
    vTex1 = aTex1;
    vTex2 = aTex2;
    vTex3 = aTex3;
    vTex4 = aTex4;
    vTex5 = aTex5;
    vTex6 = aTex6;
    vTex7 = aTex7;
}
)";

const char kFragmentHead[] = R"(
SHADE in vec4 vDiffuse;
SHADE in vec4 vSpecular;
in vec4 vTex0;
in vec4 vTex1;
in vec4 vTex2;
in vec4 vTex3;
in vec4 vTex4;
in vec4 vTex5;
in vec4 vTex6;
in vec4 vTex7;

uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
uniform sampler2D uTexture2;
uniform sampler2D uTexture3;
uniform sampler2D uTexture4;
uniform sampler2D uTexture5;
uniform sampler2D uTexture6;
uniform sampler2D uTexture7;
uniform ivec4 uColorOp[8];   // operation, argument 1, argument 2, argument 0
uniform ivec4 uAlphaOp[8];
uniform ivec2 uStageMisc[8]; // texture-coordinate set, result register (1 current, 5 temp)
uniform bool uHasTexture[8];
uniform vec4 uTextureFactor;
uniform bool uSpecularEnable;
uniform bool uAlphaTest;
uniform int uAlphaFunc;
uniform int uAlphaReference;

out vec4 fragColor;

vec4 TexCoord(int set) {
    switch (set & 7) {
    case 0: return vTex0;
    case 1: return vTex1;
    case 2: return vTex2;
    case 3: return vTex3;
    case 4: return vTex4;
    case 5: return vTex5;
    case 6: return vTex6;
    default: return vTex7;
    }
}

vec4 Arg(int arg, vec4 current, vec4 texel, vec4 temp) {
    int select = arg & 15;
    vec4 v = vec4(0.0);
    if (select == 0) v = vDiffuse;
    else if (select == 1) v = current;
    else if (select == 2) v = texel;
    else if (select == 3) v = uTextureFactor;
    else if (select == 4) v = vSpecular;
    else if (select == 5) v = temp;
    if ((arg & 0x10) != 0) v = vec4(1.0) - v;
    if ((arg & 0x20) != 0) v = vec4(v.a);
    return v;
}

bool ReadsTexture(int arg) {
    return (arg & 15) == 2;
}

// Whether the operation samples the stage's texture: only the arguments it reads count.
bool UsesTexture(ivec4 op) {
    switch (op.x) {
    case 1: return false;
    case 2: return ReadsTexture(op.y);
    case 3: return ReadsTexture(op.z);
    case 13:
    case 15: return true;
    case 25:
    case 26: return ReadsTexture(op.y) || ReadsTexture(op.z) || ReadsTexture(op.w);
    default: return ReadsTexture(op.y) || ReadsTexture(op.z);
    }
}

vec4 Combine(int op, vec4 a1, vec4 a2, vec4 a0, vec4 texel, vec4 current) {
    switch (op) {
    case 2: return a1;
    case 3: return a2;
    case 4: return a1 * a2;
    case 5: return 2.0 * a1 * a2;
    case 6: return 4.0 * a1 * a2;
    case 7: return a1 + a2;
    case 8: return a1 + a2 - 0.5;
    case 9: return 2.0 * (a1 + a2 - 0.5);
    case 10: return a1 - a2;
    case 11: return a1 + a2 - a1 * a2;
    case 12: return mix(a2, a1, vDiffuse.a);
    case 13: return mix(a2, a1, texel.a);
    case 14: return mix(a2, a1, uTextureFactor.a);
    case 15: return a1 + a2 * (1.0 - texel.a);
    case 16: return mix(a2, a1, current.a);
    case 18: return vec4(a1.rgb + a1.a * a2.rgb, a1.a);
    case 19: return vec4(a1.rgb * a2.rgb + a1.a, a1.a);
    case 20: return vec4((1.0 - a1.a) * a2.rgb + a1.rgb, a1.a);
    case 21: return vec4((1.0 - a1.rgb) * a2.rgb + a1.a, a1.a);
    case 24: return vec4(clamp(4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5), 0.0, 1.0));
    case 25: return a0 + a1 * a2;
    case 26: return mix(a2, a1, a0);
    default: return a1;
    }
}

bool AlphaPasses(float alpha) {
    int a = int(round(clamp(alpha, 0.0, 1.0) * 255.0));
    switch (uAlphaFunc) {
    case 1: return false;
    case 2: return a < uAlphaReference;
    case 3: return a == uAlphaReference;
    case 4: return a <= uAlphaReference;
    case 5: return a > uAlphaReference;
    case 6: return a != uAlphaReference;
    case 7: return a >= uAlphaReference;
    default: return true;
    }
}
)";

// One stage of the cascade, for the stage @. A disabled colour operation, or a stage that reads
// a texture when none is bound, ends the cascade.
const char kStage[] = R"(
    if (alive) {
        ivec4 colorOp = uColorOp[@];
        ivec4 alphaOp = uAlphaOp[@];
        if (colorOp.x == 1 || ((UsesTexture(colorOp) || UsesTexture(alphaOp)) && !uHasTexture[@])) {
            alive = false;
        } else {
            vec4 texel = uHasTexture[@] ? texture(uTexture@, TexCoord(uStageMisc[@].x).xy) : vec4(1.0);
            vec4 color = Combine(colorOp.x, Arg(colorOp.y, current, texel, temp), Arg(colorOp.z, current, texel, temp),
                                 Arg(colorOp.w, current, texel, temp), texel, current);
            float alpha = alphaOp.x == 1 ? current.a
                : Combine(alphaOp.x, Arg(alphaOp.y, current, texel, temp), Arg(alphaOp.z, current, texel, temp),
                          Arg(alphaOp.w, current, texel, temp), texel, current).a;
            vec4 result = clamp(vec4(color.rgb, alpha), 0.0, 1.0);
            if (uStageMisc[@].y == 5)
                temp = result;
            else
                current = result;
        }
    }
)";

std::string FragmentShader() {
    std::string source = kFragmentHead;
    source += "void main() {\n    vec4 current = vDiffuse;\n    vec4 temp = vec4(0.0);\n    bool alive = true;\n";
    for (int stage = 0; stage < 8; ++stage) {
        std::string code = kStage;
        for (size_t at = code.find('@'); at != std::string::npos; at = code.find('@', at + 1))
            code.replace(at, 1, std::to_string(stage));
        source += code;
    }
    source += R"(
    if (uSpecularEnable)
        current.rgb = clamp(current.rgb + vSpecular.rgb, 0.0, 1.0);
    if (uAlphaTest && !AlphaPasses(current.a))
        discard;
    fragColor = current;
}
)";
    return source;
}

GLuint Compile(GLenum kind, const std::string& body, bool flat) {
    const std::string source = std::string("#version 330 core\n#define SHADE ") + (flat ? "flat" : "") + "\n" + body;
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[4096];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        fprintf(stderr, "pipeline shader does not compile:\n%s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

bool CPipeline::Build() {
    const std::string fragment = FragmentShader();
    for (int flat = 0; flat < 2; ++flat) {
        const GLuint vertexShader = Compile(GL_VERTEX_SHADER, kVertexShader, flat != 0);
        const GLuint fragmentShader = Compile(GL_FRAGMENT_SHADER, fragment, flat != 0);
        if (!vertexShader || !fragmentShader)
            return false;
        const GLuint program = glCreateProgram();
        glAttachShader(program, vertexShader);
        glAttachShader(program, fragmentShader);
        glLinkProgram(program);
        glDeleteShader(vertexShader);
        glDeleteShader(fragmentShader);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked) {
            char log[4096];
            glGetProgramInfoLog(program, sizeof log, nullptr, log);
            fprintf(stderr, "pipeline program does not link:\n%s\n", log);
            glDeleteProgram(program);
            return false;
        }
        m_Programs[flat].name = program;
        m_Programs[flat].locations.clear();
        glUseProgram(program);
        for (int stage = 0; stage < 8; ++stage) {
            const std::string sampler = "uTexture" + std::to_string(stage);
            glUniform1i(glGetUniformLocation(program, sampler.c_str()), stage);
        }
    }
    return true;
}

void CPipeline::Destroy() {
    for (Program& program : m_Programs) {
        if (program.name)
            glDeleteProgram(program.name);
        program.name = 0;
        program.locations.clear();
    }
    m_nCurrent = -1;
}

void CPipeline::Use(bool flat) {
    const int index = flat ? 1 : 0;
    glUseProgram(m_Programs[index].name);
    m_nCurrent = index;
}

GLint CPipeline::Uniform(const char* name) const {
    if (m_nCurrent < 0)
        return -1;
    const Program& program = m_Programs[m_nCurrent];
    const auto found = program.locations.find(name);
    if (found != program.locations.end())
        return found->second;
    const GLint location = glGetUniformLocation(program.name, name);
    program.locations.emplace(name, location);
    return location;
}

}  // namespace winapi::d3d
