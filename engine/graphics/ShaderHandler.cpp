#include "engine/graphics/ShaderHandler.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/FileBytes.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"

namespace {

struct Word {
    const char* text;
    uint32_t code;
};

const Word kBlendFactors[] = {{"zero", 0},        {"one", 1},          {"srccolor", 2},    {"invsrccolor", 3},
                              {"srcalpha", 4},    {"invsrcalpha", 5},  {"dstalpha", 6},    {"invdstalpha", 7},
                              {"dstcolor", 8},    {"invdstcolor", 9},  {"srcalphasat", 10}};
const Word kAddressModes[] = {{"wrap", 0}, {"mirror", 1}, {"clamp", 2}, {"border", 3}};
const Word kTextureOps[] = {{"disable", 0},
                            {"selectarg1", 1},
                            {"selectarg2", 2},
                            {"modulate", 3},
                            {"modulate2x", 4},
                            {"modulate4x", 5},
                            {"add", 6},
                            {"addsigned", 7},
                            {"addsigned2x", 8},
                            {"subtract", 9},
                            {"addsmooth", 10},
                            {"blenddiffusealpha", 11},
                            {"blendtexturealpha", 12},
                            {"blendfactoralpha", 13},
                            {"blendtexturealphapm", 14},
                            {"blendcurrentalpha", 15},
                            {"premodulate", 16},
                            {"modulatealphaaddcolor", 17},
                            {"modulatecoloraddalpha", 18},
                            {"modulateinvalphaaddcolor", 19},
                            {"modulateinvcoloraddalpha", 20},
                            {"bumpenvmap", 21},
                            {"bumpenvmapluminance", 22},
                            {"dotproduct3", 23},
                            {"multiplyadd", 24},
                            {"lerp", 25}};
const Word kTextureArguments[] = {{"diffuse", 0}, {"current", 1}, {"texture", 2},
                                  {"tfactor", 3}, {"specular", 4}, {"temp", 5}};
const Word kFillModes[] = {{"point", 0}, {"wireframe", 1}, {"solid", 2}};
const Word kShadeModes[] = {{"flat", 0}, {"gouraud", 1}};
const Word kLighting[] = {{"on", 1}, {"off", 0}};
const Word kTexCoordGenerations[] = {{"normal", 0x10000}, {"position", 0x20000}, {"reflection", 0x30000}};
const Word kWaveforms[] = {{"sin", kWaveSin},
                           {"sawtooth", kWaveSawtooth},
                           {"invsawtooth", kWaveInvSawtooth},
                           {"rectangle", kWaveRectangle},
                           {"triangle", kWaveTriangle}};

bool SameWord(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const int ca = tolower(static_cast<unsigned char>(*a));
        const int cb = tolower(static_cast<unsigned char>(*b));
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

template <size_t N>
bool FindWord(const Word (&words)[N], const char* token, uint32_t* code) {
    for (const Word& word : words) {
        if (SameWord(word.text, token)) {
            *code = word.code;
            return true;
        }
    }
    return false;
}

// A separator at p: its length, or 0. A carriage return counts only before a line feed.
int SeparatorAt(const char* p, const char* end) {
    switch (*p) {
    case ' ':
    case '\t':
    case '(':
    case ')':
    case ',':
        return 1;
    case '\r':
        return p + 1 < end && p[1] == '\n' ? 2 : 0;
    default:
        return 0;
    }
}

// A decimal number; a token that is no number gives 0.
float ReadFloat(const char* token) {
    char* rest = nullptr;
    const float value = strtof(token, &rest);
    return rest == token ? 0.0f : value;
}

// One pass over the script's text, filling the handler's list.
class CScriptParser {
public:
    CScriptParser(CShaderHandler* handler, CGfxHandler* gfxHandler, const char* text, const char* end)
        : m_pHandler(handler), m_pGfxHandler(gfxHandler), m_pCursor(text), m_pEnd(end) {}

    void Run() {
        char name[CShaderHandler::kNameSize];
        while (Next(name, sizeof name)) {
            CShader* shader = Replace(name);
            char token[CShaderHandler::kValueSize];
            if (!Next(token, sizeof token))
                return;
            if (strcmp(token, "{") == 0)
                ReadShader(shader);
        }
    }

private:
    bool Next(char* token, int size) { return CShaderHandler::NextToken(&m_pCursor, m_pEnd, token, size) != 0; }

    // A shader of that name leaves the list; a new empty one is appended under it.
    CShader* Replace(const char* name) {
        CPointerList& list = m_pHandler->m_Shaders;
        for (auto* node = list.m_pHead; node; node = node->m_pNext) {
            auto* entry = static_cast<CShaderHandler::CEntry*>(node->m_data);
            if (SameWord(entry->szName, name)) {
                list.RemoveAt(CPointerList::Position{&list, node});
                delete entry;
                break;
            }
        }
        auto* entry = new CShaderHandler::CEntry(m_pHandler->m_pDevice);
        strncpy(entry->szName, name, sizeof entry->szName - 1);
        entry->szName[sizeof entry->szName - 1] = '\0';
        list.Append(entry);
        return &entry->shader;
    }

    void ReadShader(CShader* shader) {
        char token[CShaderHandler::kValueSize];
        while (Next(token, sizeof token)) {
            if (strcmp(token, "}") == 0)
                return;
            if (!SameWord(token, "pass"))
                continue;
            CShaderPass* pass = shader->AppendPass();
            if (!Next(token, sizeof token))
                return;
            if (strcmp(token, "{") == 0)
                ReadPass(pass);
        }
    }

    void ReadPass(CShaderPass* pass) {
        char token[CShaderHandler::kValueSize];
        while (Next(token, sizeof token)) {
            if (strcmp(token, "}") == 0)
                return;
            if (SameWord(token, "blend")) {
                pass->m_bBlend = 1;
                ReadWord(kBlendFactors, &pass->m_nSourceBlend);
                ReadWord(kBlendFactors, &pass->m_nDestinationBlend);
            } else if (SameWord(token, "fill")) {
                ReadWord(kFillModes, &pass->m_nFillMode);
            } else if (SameWord(token, "shade")) {
                ReadWord(kShadeModes, &pass->m_nShadeMode);
            } else if (SameWord(token, "lighting")) {
                ReadWord(kLighting, &pass->m_bLighting);
            } else if (SameWord(token, "diffuse")) {
                ReadWaves(pass->m_Diffuse, 4);
            } else if (SameWord(token, "specular")) {
                ReadWaves(pass->m_Specular, 4);
            } else if (SameWord(token, "ambient")) {
                ReadWaves(pass->m_Ambient, 4);
            } else if (SameWord(token, "emissive")) {
                ReadWaves(pass->m_Emissive, 4);
            } else if (SameWord(token, "power")) {
                ReadWaves(&pass->m_Power, 1);
            } else if (SameWord(token, "stage")) {
                CShaderStage* stage = pass->AppendStage();
                if (!Next(token, sizeof token))
                    return;
                if (strcmp(token, "{") == 0)
                    ReadStage(stage);
            }
        }
    }

    void ReadStage(CShaderStage* stage) {
        char token[CShaderHandler::kValueSize];
        while (Next(token, sizeof token)) {
            if (strcmp(token, "}") == 0)
                return;
            if (SameWord(token, "texture")) {
                ReadTexture(stage);
            } else if (SameWord(token, "address")) {
                ReadWord(kAddressModes, &stage->m_nAddressU);
                ReadWord(kAddressModes, &stage->m_nAddressV);
            } else if (SameWord(token, "tcgen")) {
                ReadTexCoordGen(stage);
            } else if (SameWord(token, "tcmod")) {
                if (ReadWaves(stage->m_Transform, CShaderStage::kWaveCount))
                    stage->m_bTransform = 1;
            } else if (SameWord(token, "colorop")) {
                ReadWord(kTextureOps, &stage->m_nColorOp);
                ReadWord(kTextureArguments, &stage->m_nColorArg1);
                ReadWord(kTextureArguments, &stage->m_nColorArg2);
            } else if (SameWord(token, "alphaop")) {
                ReadWord(kTextureOps, &stage->m_nAlphaOp);
                ReadWord(kTextureArguments, &stage->m_nAlphaArg1);
                ReadWord(kTextureArguments, &stage->m_nAlphaArg2);
            }
        }
    }

    // The next token, always taken; a word of the list sets the field, any other leaves it.
    template <size_t N>
    void ReadWord(const Word (&words)[N], uint32_t* field) {
        char token[CShaderHandler::kValueSize];
        uint32_t code;
        if (Next(token, sizeof token) && FindWord(words, token, &code))
            *field = code;
    }

    // A waveform word and its amplitude, period, phase and base, or one number for a
    // constant. false when the text ended before the waveform was whole.
    bool ReadWave(CShaderWaveform* wave) {
        char token[CShaderHandler::kValueSize];
        if (!Next(token, sizeof token))
            return false;
        uint32_t evaluator;
        if (!FindWord(kWaveforms, token, &evaluator)) {
            wave->nEvaluator = kWaveConstant;
            wave->fAmplitude = ReadFloat(token);
            return true;
        }
        wave->nEvaluator = evaluator;
        float* fields[4] = {&wave->fAmplitude, &wave->fPeriod, &wave->fPhase, &wave->fBase};
        for (float* field : fields) {
            if (!Next(token, sizeof token))
                return false;
            *field = ReadFloat(token);
        }
        return true;
    }

    bool ReadWaves(CShaderWaveform* waves, int count) {
        for (int i = 0; i < count; ++i) {
            if (!ReadWave(&waves[i]))
                return false;
        }
        return true;
    }

    // A generation word or the number of a coordinate set; a number naming no set of the
    // device's eight leaves the stage as it was.
    void ReadTexCoordGen(CShaderStage* stage) {
        char token[CShaderHandler::kValueSize];
        if (!Next(token, sizeof token))
            return;
        uint32_t code;
        if (FindWord(kTexCoordGenerations, token, &code)) {
            stage->m_nTexCoordGen = code;
            return;
        }
        errno = 0;
        const long long value = strtoll(token, nullptr, 10);
        if (errno == 0 && value >= 0 && value <= UINT32_MAX && (value & 0xFFFF) < kShaderMaxStages)
            stage->m_nTexCoordGen = static_cast<uint32_t>(value);
    }

    void ReadTexture(CShaderStage* stage) {
        char file[CShaderHandler::kFileNameSize];
        if (!Next(file, sizeof file) || !m_pGfxHandler)
            return;
        if (CTexture2D* texture = DeviceTextureOf(m_pGfxHandler->LoadOne(file, kGfxTexture)))
            stage->m_pTexture = texture;
    }

    CShaderHandler* m_pHandler;
    CGfxHandler* m_pGfxHandler;
    const char* m_pCursor;
    const char* m_pEnd;
};

}  // namespace

CShaderHandler::CShaderHandler() : m_Shaders(0, 1) {}

CShaderHandler::~CShaderHandler() {
    FreeAll();
}

void CShaderHandler::Init(CRenderDevice* device) {
    m_pDevice = device;
}

int CShaderHandler::NextToken(const char** cursor, const char* end, char* token, int size) {
    if (size > 0)
        token[0] = '\0';
    const char* p = *cursor;
    for (;;) {
        if (p >= end) {
            *cursor = end;
            return 0;
        }
        if (*p == '/' && p + 1 < end && p[1] == '/') {
            const void* lineFeed = memchr(p, '\n', static_cast<size_t>(end - p));
            p = lineFeed ? static_cast<const char*>(lineFeed) + 1 : end;
            continue;
        }
        const int separator = SeparatorAt(p, end);
        if (!separator)
            break;
        p += separator;
    }
    const char* start = p;
    while (p < end && !SeparatorAt(p, end))
        ++p;
    if (p >= end) {
        *cursor = end;
        return 0;
    }
    *cursor = p;
    if (size <= 0)
        return 1;
    // Longer tokens are cut to the buffer; the cursor still passes the whole token.
    const size_t length = static_cast<size_t>(p - start) < static_cast<size_t>(size - 1)
                              ? static_cast<size_t>(p - start)
                              : static_cast<size_t>(size - 1);
    memcpy(token, start, length);
    token[length] = '\0';
    return 1;
}

int CShaderHandler::LoadScript(const char* fileName, CGfxHandler* gfxHandler) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(fileName, &bytes))
        return 0;
    return LoadScriptFromMemory(reinterpret_cast<const char*>(bytes.data()), bytes.size(), gfxHandler);
}

int CShaderHandler::LoadScriptFromMemory(const char* text, size_t size, CGfxHandler* gfxHandler) {
    if (!text)
        return 1;
    // The text ends at its first NUL, as a script read into a terminated buffer does.
    const void* nul = memchr(text, '\0', size);
    const char* end = nul ? static_cast<const char*>(nul) : text + size;
    CScriptParser(this, gfxHandler, text, end).Run();
    return 1;
}

CShader* CShaderHandler::GetShader(const char* name) const {
    if (!name)
        return nullptr;
    for (auto* node = m_Shaders.m_pHead; node; node = node->m_pNext) {
        auto* entry = static_cast<CEntry*>(node->m_data);
        if (SameWord(entry->szName, name))
            return &entry->shader;
    }
    return nullptr;
}

void CShaderHandler::FreeAll() {
    for (auto* node = m_Shaders.m_pHead; node; node = node->m_pNext)
        delete static_cast<CEntry*>(node->m_data);
    m_Shaders.RemoveAll();
}
