// The emulated fixed-function pipeline: the key of the states that shape its code, the
// programs generated for each key and kept, and the uniforms they read. Only the layer's
// files include this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "winapi/d3d9/D3D9.h"
#include "winapi/d3d9/Gl_local.h"

namespace winapi::d3d {

// Where a flexible vertex format keeps its parts; offsets in bytes, -1 for absent parts.
struct VertexLayout {
    bool pretransformed = false;
    int normal = -1;
    int pointSize = -1;
    int diffuse = -1;
    int specular = -1;
    int texture[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int textureSize[8] = {};  // floats per set
    UINT size = 0;
};
// False for the formats the layer does not draw (blend weights, more than eight sets).
bool DecodeFormat(DWORD fvf, VertexLayout* layout);

// Vertex attribute locations.
enum EAttribute : GLuint {
    kAttributePosition = 0,
    kAttributeNormal = 1,
    kAttributeDiffuse = 2,
    kAttributeSpecular = 3,
    kAttributeTexture0 = 4,  // to 11
    kAttributePointSize = 12,
};

// What kind of primitive a draw makes: point sprites and wrapped coordinates depend on it.
enum class EPrimitiveClass : uint8_t { kTriangles, kLines, kPoints, kLineEnds };

// Texture-coordinate generation.
enum ECoordSource : uint8_t { kCoordSet = 0, kCoordNormal = 1, kCoordPosition = 2, kCoordReflection = 3 };

// An argument a stage does not read.
constexpr uint8_t kArgUnused = 0xFF;

// One texture stage as it shapes the code. Stages at or past the cascade's end keep zero
// operations; a stage past the end may still be sampled when the stage before it reads its
// texture (premodulation, bump luminance).
struct SStageKey {
    uint8_t colorOp;
    uint8_t alphaOp;       // D3DTOP_DISABLE passes the current alpha on
    uint8_t colorArg[3];   // arguments 1, 2 and 0: selector 0..6 (7 = none) | complement | alpha replicate
    uint8_t alphaArg[3];
    uint8_t toTemp;        // the result goes to the temporary register
    uint8_t sampled;       // the stage's texture is read
    uint8_t coordSource;   // ECoordSource
    uint8_t coordSet;      // the set for kCoordSet
    uint8_t coordSize;     // floats in that set, 0 when the format has none
    uint8_t transformCount;  // 0: coordinates untransformed; 1 to 4 components out of the matrix
    uint8_t projectCount;  // 0, or the component count whose last one divides the others
    uint8_t wrap;          // D3DWRAP_* bits of the coordinate's set
};

// Every state that changes a program's code. Plain bytes, zeroed before filling, so that
// two keys compare and hash as memory.
struct SPipelineKey {
    SStageKey stages[8];
    uint8_t stageCount;      // stages the cascade runs
    uint8_t pretransformed;
    uint8_t hasNormal;
    uint8_t hasDiffuse;
    uint8_t hasSpecular;
    uint8_t hasPointSize;
    uint8_t flat;
    uint8_t lighting;
    uint8_t lightCount;
    uint8_t lightTypes[8];   // D3DLIGHTTYPE of the enabled lights in order
    uint8_t litSpecular;     // lighting computes highlights
    uint8_t localViewer;
    uint8_t normalizeNormals;
    uint8_t materialSource[4];  // diffuse, specular, ambient, emissive: 0 material, 1 diffuse, 2 specular colour
    uint8_t addSpecular;     // specular added after the cascade
    uint8_t fog;             // EFogSource
    uint8_t fogMode;         // D3DFOGMODE for vertex and table fog
    uint8_t rangeFog;
    uint8_t alphaFunc;       // D3DCMPFUNC, 0 without the alpha test
    uint8_t pointScale;
    uint8_t pointSprite;     // drawing points whose coordinates span the sprite
    uint8_t unitPoints;      // points one pixel large: the last pixel of lines
    uint8_t wrapPrimitive;   // 0 no wrapping, 2 lines, 3 triangles
};
static_assert(sizeof(SPipelineKey) == 8 * sizeof(SStageKey) + 33, "the key must hold no padding");

enum EFogSource : uint8_t { kFogNone = 0, kFogFromSpecular = 1, kFogVertex = 2, kFogTable = 3 };

struct SPipelineKeyHash {
    size_t operator()(const SPipelineKey& key) const;
};
bool operator==(const SPipelineKey& a, const SPipelineKey& b);

// The uniforms of the generated programs, looked up once per program.
enum EUniform {
    kUniformWorldView,
    kUniformProjection,
    kUniformNormalMatrix,
    kUniformViewport,
    kUniformFogFromW,
    kUniformTextureMatrix,
    kUniformTextureFactor,
    kUniformStageConstant,
    kUniformBumpLuminance,
    kUniformMaterialDiffuse,
    kUniformMaterialAmbient,
    kUniformMaterialSpecular,
    kUniformMaterialEmissive,
    kUniformMaterialPower,
    kUniformGlobalAmbient,
    kUniformLightDiffuse,
    kUniformLightSpecular,
    kUniformLightAmbient,
    kUniformLightPosition,
    kUniformLightDirection,
    kUniformLightAttenuation,
    kUniformLightSpot,
    kUniformFogColor,
    kUniformFogParameters,
    kUniformAlphaReference,
    kUniformPointSize,
    kUniformPointScale,
    kUniformCount,
};

// Groups of uniforms that change together; a program uploads a group again only when the
// device's serial for it moved on since the program last saw it.
enum EUniformGroup { kGroupTransforms, kGroupLights, kGroupMaterial, kGroupStages, kGroupStates, kGroupCount };

struct SProgram {
    GLuint name = 0;
    GLint uniforms[kUniformCount] = {};
    uint32_t serials[kGroupCount] = {};
};

// The generated programs, one per key, made on first use and kept until the device goes.
class CPipeline {
public:
    CPipeline() = default;
    CPipeline(const CPipeline&) = delete;
    CPipeline& operator=(const CPipeline&) = delete;
    ~CPipeline() = default;

    // The program for the key; null when its code does not compile (remembered, not retried).
    SProgram* Find(const SPipelineKey& key);
    // Deletes the programs; the context must be current.
    void Destroy();
    size_t ProgramCount() const { return m_Programs.size(); }

private:
    std::unordered_map<SPipelineKey, std::unique_ptr<SProgram>, SPipelineKeyHash> m_Programs;
};

// The code generators, by part of the pipeline. Each appends GLSL to `out`.
// Texture stages: the coordinates per stage (vertex shader) and the cascade (fragment shader).
void AppendTexCoordDeclarations(const SPipelineKey& key, std::string* out);
void AppendTexCoords(const SPipelineKey& key, std::string* out);
void AppendCascadeDeclarations(const SPipelineKey& key, std::string* out);
void AppendCascade(const SPipelineKey& key, std::string* out);
// Lights: the lighting function and its call.
void AppendLightingDeclarations(const SPipelineKey& key, std::string* out);
void AppendLighting(const SPipelineKey& key, std::string* out);
// Render states: fog, point size, the specular sum and the alpha test.
void AppendVertexStateDeclarations(const SPipelineKey& key, std::string* out);
void AppendVertexStates(const SPipelineKey& key, std::string* out);
void AppendFragmentStateDeclarations(const SPipelineKey& key, std::string* out);
void AppendFragmentStates(const SPipelineKey& key, std::string* out);
// The values passed from vertex to fragment shader: qualifiers and type, and name.
struct SVarying {
    std::string declaration;
    std::string name;
};
std::vector<SVarying> Varyings(const SPipelineKey& key);
// The geometry shader that takes wrapped coordinates the short way round, for keys whose
// wrapPrimitive is not 0.
std::string WrapGeometryShader(const SPipelineKey& key);

// Numbers as GLSL literals.
std::string GlslInt(int value);

// Row-vector matrix helpers (points as p x M) and colour and float unpacking.
D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);
// The inverse of the upper 3x3 part, rows first; zero when it has none.
void Inverse3x3(const D3DMATRIX& m, float out[9]);
void TransformPoint(const D3DVECTOR& p, const D3DMATRIX& m, float out[3]);
// The direction through the matrix's 3x3 part, at unit length (zero stays zero).
void TransformDirection(const D3DVECTOR& v, const D3DMATRIX& m, float out[3]);
// 0xAARRGGBB as r, g, b, a in [0, 1].
void ColorOf(D3DCOLOR color, float out[4]);
float FloatOf(DWORD bits);

}  // namespace winapi::d3d
