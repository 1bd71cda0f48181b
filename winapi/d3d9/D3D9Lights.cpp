// Per-vertex lighting as the platform does it: up to eight enabled lights (directional,
// point and spot) in camera space, each attenuated by 1 / (a0 + a1 d + a2 d^2) within its
// range and, for spots, by ((cos a - cos(phi / 2)) / (cos(theta / 2) - cos(phi / 2)))^falloff
// between the cones; the material's emissive, ambient, diffuse and specular colours, each
// from the material or a vertex colour as the material sources say; the global ambient.
// Highlights are computed only while the specular state is on; they are added after the
// texture stages (D3D9RenderStates.cpp).
#include <cmath>
#include <cstring>

#include "winapi/d3d9/D3D9_local.h"

namespace winapi::d3d {
namespace {

const char kLightingDeclarations[] = R"(
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialSpecular;
uniform vec4 uMaterialEmissive;
uniform float uMaterialPower;
uniform vec4 uGlobalAmbient;
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec3 uLightPosition[8];     // in camera space
uniform vec3 uLightDirection[8];    // in camera space, unit length, the way the light shines
uniform vec4 uLightAttenuation[8];  // range, constant, linear, quadratic
uniform vec3 uLightSpot[8];         // cos(theta / 2), cos(phi / 2), falloff
)";

// One light, @ standing for its index.
const char kDirectional[] = R"(
        {
            vec3 toLight = -uLightDirection[@];
            float attenuation = 1.0;
)";

const char kPositioned[] = R"(
        {
            vec3 offset = uLightPosition[@] - eye.xyz;
            float distance = length(offset);
            vec3 toLight = distance > 0.0 ? offset / distance : vec3(0.0, 0.0, -1.0);
            float attenuation = 0.0;
            if (distance <= uLightAttenuation[@].x) {
                float falloff = uLightAttenuation[@].y + uLightAttenuation[@].z * distance +
                                uLightAttenuation[@].w * distance * distance;
                attenuation = falloff > 0.0 ? 1.0 / falloff : 1.0;
            }
)";

const char kSpot[] = R"(
            float rho = dot(-toLight, uLightDirection[@]);
            if (rho <= uLightSpot[@].y)
                attenuation = 0.0;
            else if (rho <= uLightSpot[@].x)
                attenuation *= pow((rho - uLightSpot[@].y) / (uLightSpot[@].x - uLightSpot[@].y), uLightSpot[@].z);
)";

const char kTerms[] = R"(
            ambientSum += uLightAmbient[@].rgb * attenuation;
            float facing = dot(normal, toLight);
            if (facing > 0.0) {
                diffuseSum += uLightDiffuse[@].rgb * facing * attenuation;
)";

const char kHighlight[] = R"(
                vec3 halfway = toViewer + toLight;
                float highlight = length(halfway) > 0.0 ? max(dot(normal, normalize(halfway)), 0.0) : 0.0;
                float shine = uMaterialPower > 0.0 ? pow(highlight, uMaterialPower) : 1.0;
                specularSum += uLightSpecular[@].rgb * shine * attenuation;
)";

std::string WithIndex(const char* text, int index) {
    std::string code = text;
    const std::string number = GlslInt(index);
    for (size_t at = code.find('@'); at != std::string::npos; at = code.find('@', at + number.size()))
        code.replace(at, 1, number);
    return code;
}

std::string MaterialSource(uint8_t source, const char* material) {
    if (source == 1)
        return "aDiffuse";
    if (source == 2)
        return "aSpecular";
    return material;
}

}  // namespace

void CDevice::BuildLightKey(const VertexLayout& layout, SPipelineKey* key) const {
    const DWORD* rs = m_RenderStates;
    key->localViewer = rs[D3DRS_LOCALVIEWER] ? 1 : 0;
    key->normalizeNormals = rs[D3DRS_NORMALIZENORMALS] ? 1 : 0;
    key->lighting = rs[D3DRS_LIGHTING] && !layout.pretransformed ? 1 : 0;
    if (!key->lighting)
        return;
    int count = 0;
    for (size_t i = 0; i < m_Lights.size() && count < 8; ++i) {
        if (m_LightEnabled[i])
            key->lightTypes[count++] = static_cast<uint8_t>(m_Lights[i].Type);
    }
    key->lightCount = static_cast<uint8_t>(count);
    key->litSpecular = rs[D3DRS_SPECULARENABLE] ? 1 : 0;
    // A colour source the vertex does not have falls back to the material.
    const DWORD sources[4] = {rs[D3DRS_DIFFUSEMATERIALSOURCE], rs[D3DRS_SPECULARMATERIALSOURCE],
                              rs[D3DRS_AMBIENTMATERIALSOURCE], rs[D3DRS_EMISSIVEMATERIALSOURCE]};
    for (int i = 0; i < 4; ++i) {
        uint8_t source = 0;
        if (rs[D3DRS_COLORVERTEX] && sources[i] == D3DMCS_COLOR1 && layout.diffuse >= 0)
            source = 1;
        else if (rs[D3DRS_COLORVERTEX] && sources[i] == D3DMCS_COLOR2 && layout.specular >= 0)
            source = 2;
        key->materialSource[i] = source;
    }
}

void CDevice::UploadLightUniforms(const SProgram& program) const {
    float ambient[4];
    ColorOf(m_RenderStates[D3DRS_AMBIENT], ambient);
    glUniform4fv(program.uniforms[kUniformGlobalAmbient], 1, ambient);
    if (program.uniforms[kUniformLightDiffuse] < 0)
        return;
    // The enabled lights, in index order, at most eight, in camera space.
    int count = 0;
    float diffuse[8][4] = {}, specular[8][4] = {}, lightAmbient[8][4] = {}, position[8][3] = {}, direction[8][3] = {},
          attenuation[8][4] = {}, spot[8][3] = {};
    for (size_t i = 0; i < m_Lights.size() && count < 8; ++i) {
        if (!m_LightEnabled[i])
            continue;
        const D3DLIGHT9& light = m_Lights[i];
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
    glUniform4fv(program.uniforms[kUniformLightDiffuse], 8, &diffuse[0][0]);
    glUniform4fv(program.uniforms[kUniformLightSpecular], 8, &specular[0][0]);
    glUniform4fv(program.uniforms[kUniformLightAmbient], 8, &lightAmbient[0][0]);
    glUniform3fv(program.uniforms[kUniformLightPosition], 8, &position[0][0]);
    glUniform3fv(program.uniforms[kUniformLightDirection], 8, &direction[0][0]);
    glUniform4fv(program.uniforms[kUniformLightAttenuation], 8, &attenuation[0][0]);
    glUniform3fv(program.uniforms[kUniformLightSpot], 8, &spot[0][0]);
}

void CDevice::UploadMaterialUniforms(const SProgram& program) const {
    glUniform4fv(program.uniforms[kUniformMaterialDiffuse], 1, &m_Material.Diffuse.r);
    glUniform4fv(program.uniforms[kUniformMaterialAmbient], 1, &m_Material.Ambient.r);
    glUniform4fv(program.uniforms[kUniformMaterialSpecular], 1, &m_Material.Specular.r);
    glUniform4fv(program.uniforms[kUniformMaterialEmissive], 1, &m_Material.Emissive.r);
    glUniform1f(program.uniforms[kUniformMaterialPower], m_Material.Power);
}

void AppendLightingDeclarations(const SPipelineKey& key, std::string* out) {
    if (key.lighting)
        *out += kLightingDeclarations;
}

void AppendLighting(const SPipelineKey& key, std::string* out) {
    *out += "    {\n";
    if (key.localViewer)
        *out += "        vec3 toViewer = length(eye.xyz) > 0.0 ? normalize(-eye.xyz) : vec3(0.0, 0.0, -1.0);\n";
    else
        *out += "        vec3 toViewer = vec3(0.0, 0.0, -1.0);\n";
    *out += "        vec3 diffuseSum = vec3(0.0);\n"
            "        vec3 specularSum = vec3(0.0);\n"
            "        vec3 ambientSum = vec3(0.0);\n";
    for (int i = 0; i < key.lightCount; ++i) {
        const uint8_t type = key.lightTypes[i];
        *out += WithIndex(type == D3DLIGHT_DIRECTIONAL ? kDirectional : kPositioned, i);
        if (type == D3DLIGHT_SPOT)
            *out += WithIndex(kSpot, i);
        *out += WithIndex(kTerms, i);
        if (key.litSpecular)
            *out += WithIndex(kHighlight, i);
        *out += "            }\n        }\n";
    }
    *out += "        vec4 diffuse = " + MaterialSource(key.materialSource[0], "uMaterialDiffuse") + ";\n";
    *out += "        vec4 specular = " + MaterialSource(key.materialSource[1], "uMaterialSpecular") + ";\n";
    *out += "        vec4 ambient = " + MaterialSource(key.materialSource[2], "uMaterialAmbient") + ";\n";
    *out += "        vec4 emissive = " + MaterialSource(key.materialSource[3], "uMaterialEmissive") + ";\n";
    *out += "        vDiffuse = clamp(vec4(emissive.rgb + ambient.rgb * (uGlobalAmbient.rgb + ambientSum) +\n"
            "                              diffuse.rgb * diffuseSum, diffuse.a), 0.0, 1.0);\n";
    *out += key.litSpecular ? "        vSpecular = vec4(clamp(specular.rgb * specularSum, 0.0, 1.0), 0.0);\n"
                            : "        vSpecular = vec4(0.0);\n";
    *out += "    }\n";
}

}  // namespace winapi::d3d
