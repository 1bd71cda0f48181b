// The shader script on the recording device: its tokens, every keyword and value word, the
// forgiving grammar (skipped words, missing braces, line ends that are no separators, cut
// tokens), broken texts, textures through the graphics handler, copies of shaders, what
// applying and resetting a pass tells the device, and the script the build ships.
#include "engine/graphics/ShaderHandler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/RenderTypes.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "tests/engine/graphics/ShaderSceneFixture.h"
#include "tests/support/TempDir.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

// Tokens of a text held in a buffer of exactly its size, so that a read past it is caught.
std::vector<std::string> Tokens(const std::string& text, int size = CShaderHandler::kValueSize) {
    const std::vector<char> bytes(text.begin(), text.end());
    const char* cursor = bytes.data();
    const char* end = bytes.data() + bytes.size();
    std::vector<char> token(static_cast<size_t>(size));
    std::vector<std::string> tokens;
    while (CShaderHandler::NextToken(&cursor, end, token.data(), size))
        tokens.push_back(token.data());
    EXPECT_EQ(cursor, end);
    return tokens;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words)
        out += "[" + word + "]";
    return out;
}

void ExpectWave(const CShaderWaveform& wave, uint32_t evaluator, float amplitude, float period, float phase,
                float base) {
    EXPECT_EQ(wave.nEvaluator, evaluator);
    EXPECT_FLOAT_EQ(wave.fAmplitude, amplitude);
    EXPECT_FLOAT_EQ(wave.fPeriod, period);
    EXPECT_FLOAT_EQ(wave.fPhase, phase);
    EXPECT_FLOAT_EQ(wave.fBase, base);
}

void ExpectConstant(const CShaderWaveform& wave, float value) {
    ExpectWave(wave, kWaveConstant, value, 1.0f, 0.0f, 0.0f);
}

void ExpectSameStage(const CShaderStage& a, const CShaderStage& b) {
    EXPECT_EQ(a.m_pTexture, b.m_pTexture);
    const uint32_t fieldsA[] = {a.m_nAddressU,  a.m_nAddressV,  a.m_nTexCoordGen, a.m_bTransform,
                                a.m_nColorOp,   a.m_nColorArg1, a.m_nColorArg2,   a.m_nColorArg0,
                                a.m_nAlphaOp,   a.m_nAlphaArg1, a.m_nAlphaArg2,   a.m_nAlphaArg0};
    const uint32_t fieldsB[] = {b.m_nAddressU,  b.m_nAddressV,  b.m_nTexCoordGen, b.m_bTransform,
                                b.m_nColorOp,   b.m_nColorArg1, b.m_nColorArg2,   b.m_nColorArg0,
                                b.m_nAlphaOp,   b.m_nAlphaArg1, b.m_nAlphaArg2,   b.m_nAlphaArg0};
    for (size_t i = 0; i < sizeof fieldsA / sizeof fieldsA[0]; ++i)
        EXPECT_EQ(fieldsA[i], fieldsB[i]) << "field " << i;
    for (uint32_t i = 0; i < CShaderStage::kWaveCount; ++i)
        ExpectWave(a.m_Transform[i], b.m_Transform[i].nEvaluator, b.m_Transform[i].fAmplitude,
                   b.m_Transform[i].fPeriod, b.m_Transform[i].fPhase, b.m_Transform[i].fBase);
}

// ---------------------------------------------------------------------------------------------
// Tokens

TEST(ShaderTokenTest, SplitsAtTheSixSeparatorsOnly) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"spaces, tabs and CR LF", "a b\tc\r\nd ", {"a", "b", "c", "d"}},
        {"runs of separators", "  a \t\r\n\r\n  b\r\n", {"a", "b"}},
        {"brackets and commas", "blend(one,zero) ", {"blend", "one", "zero"}},
        {"a lone line feed is no separator", "x\ny ", {"x\ny"}},
        {"a lone carriage return is no separator", "x\ry ", {"x\ry"}},
        {"a line feed before a carriage return", "x\n\ry ", {"x\n\ry"}},
        {"braces only apart", "pass{ { } ", {"pass{", "{", "}"}},
        {"the last token needs a separator", "a b", {"a"}},
        {"nothing", "", {}},
        {"separators only", " \t\r\n(),", {}},
        {"a comment to the line feed", "// one two\na ", {"a"}},
        {"a comment before CR LF", "// one two\r\na ", {"a"}},
        {"a comment after a token", "a // b c\nd ", {"a", "d"}},
        {"comments in a row", "// x\n// y\n  // z\nw ", {"w"}},
        {"a comment without a line end", "a // b c", {"a"}},
        {"slashes inside a token", "a//b c/d ", {"a//b", "c/d"}},
        {"a single slash", "/ a ", {"/", "a"}},
        {"a comment right after a separator run", "a\t//b\nc ", {"a", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Joined(Tokens(c.text)), Joined(c.tokens));
    }
}

TEST(ShaderTokenTest, CutsLongTokensToTheBufferAndPassesThemWhole) {
    const std::string longWord(40, 'w');
    EXPECT_EQ(Joined(Tokens(longWord + " next ", 32)), Joined({std::string(31, 'w'), "next"}));
    EXPECT_EQ(Joined(Tokens(longWord + " next ", 41)), Joined({longWord, "next"}));
    EXPECT_EQ(Joined(Tokens("ab cd ", 2)), Joined({"a", "c"}));
    // A one-byte buffer still ends; the tokens are counted all the same.
    EXPECT_EQ(Tokens("ab cd ", 1).size(), 2u);
}

// ---------------------------------------------------------------------------------------------
// The script

class ShaderScriptTest : public ::testing::Test {
public:  // the case tables reach the fixture through a pointer
    void SetUp() override {
        ASSERT_EQ(m_device.InitForTest(0, 0, 0), 1);
        m_gfx.Init(&m_device);
        m_handler.Init(&m_device);
    }

    // Parses a text held in a buffer of exactly its size.
    void Load(const std::string& text) {
        const std::vector<char> bytes(text.begin(), text.end());
        ASSERT_EQ(m_handler.LoadScriptFromMemory(bytes.data(), bytes.size(), &m_gfx), 1);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (auto* node = m_handler.m_Shaders.m_pHead; node; node = node->m_pNext)
            names.push_back(static_cast<CShaderHandler::CEntry*>(node->m_data)->szName);
        return names;
    }

    CShaderPass* Pass(const char* shader, uint32_t pass) {
        CShader* found = m_handler.GetShader(shader);
        return found ? found->GetPass(pass) : nullptr;
    }

    CShaderStage* Stage(const char* shader, uint32_t pass, uint32_t stage) {
        CShaderPass* found = Pass(shader, pass);
        return found ? found->GetStage(stage) : nullptr;
    }

    // A TGA of 4 x 4 texels made by convert.
    std::string MakeTexture(const std::string& name) {
        const std::string path = m_dir.File(name);
        std::string diagnostics;
        EXPECT_TRUE(WriteTgaWithConvert(path, 4, 4, [](int x, int y) { return 0xFF000000u | (x * 40 + y); },
                                        &diagnostics))
            << diagnostics;
        return path;
    }

    CTexture2D* Loaded(const std::string& path) {
        CGfx* gfx = m_gfx.FindByFile(path.c_str());
        return gfx && gfx->GetTexture() ? gfx->GetTexture()->m_pTexture : nullptr;
    }

    std::vector<std::string> CallsSince(size_t first) const {
        return std::vector<std::string>(m_device.m_Calls.begin() + static_cast<std::ptrdiff_t>(first),
                                        m_device.m_Calls.end());
    }

    TempDir m_dir;
    CRecordingRenderDevice m_device;
    CGfxHandler m_gfx;
    CShaderHandler m_handler;
};

TEST_F(ShaderScriptTest, EveryPassKeywordFillsItsField) {
    Load(Crlf("s\n{\n pass\n {\n"
              "  blend srcalpha invsrcalpha\n"
              "  fill wireframe\n"
              "  shade flat\n"
              "  lighting off\n"
              "  diffuse 0.1 0.2 0.3 0.4\n"
              "  specular 0.5 0.6 0.7 0.8\n"
              "  ambient 0.9 1.5 -2 3\n"
              "  emissive 4 5 6 7\n"
              "  power sawtooth 8 9 10 11\n"
              " }\n}\n"));
    ASSERT_EQ(Joined(Names()), "[s]");
    CShader* shader = m_handler.GetShader("s");
    ASSERT_EQ(shader->GetPassCount(), 1u);
    EXPECT_EQ(shader->m_pDevice, &m_device);
    const CShaderPass* pass = Pass("s", 0);
    EXPECT_EQ(pass->m_bBlend, 1u);
    EXPECT_EQ(pass->m_nSourceBlend, static_cast<uint32_t>(kBlendSourceAlpha));
    EXPECT_EQ(pass->m_nDestinationBlend, static_cast<uint32_t>(kBlendInverseSourceAlpha));
    EXPECT_EQ(pass->m_nFillMode, static_cast<uint32_t>(kFillWireframe));
    EXPECT_EQ(pass->m_nShadeMode, static_cast<uint32_t>(kShadeFlat));
    EXPECT_EQ(pass->m_bLighting, 0u);
    const float expected[4][4] = {
        {0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 1.5f, -2, 3}, {4, 5, 6, 7}};
    const CShaderWaveform* colours[4] = {pass->m_Diffuse, pass->m_Specular, pass->m_Ambient, pass->m_Emissive};
    for (int c = 0; c < 4; ++c) {
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE("colour " + std::to_string(c) + " component " + std::to_string(i));
            ExpectConstant(colours[c][i], expected[c][i]);
        }
    }
    ExpectWave(pass->m_Power, kWaveSawtooth, 8, 9, 10, 11);
    EXPECT_EQ(pass->m_Stages.m_nCount, 0);
}

TEST_F(ShaderScriptTest, EveryStageKeywordFillsItsField) {
    const std::string texture = MakeTexture("stone.tga");
    Load(Crlf("s {\n pass {\n  stage {\n"
              "   texture " + texture + "\n"
              "   address mirror clamp\n"
              "   tcgen reflection\n"
              "   tcmod 2 sin 1 4 0.5 0.25 0.3 rectangle 1 2 3 4 triangle 5 6 7 8\n"
              "   colorop add diffuse tfactor\n"
              "   alphaop modulate current specular\n"
              "  }\n }\n}\n"));
    const CShaderStage* stage = Stage("s", 0, 0);
    ASSERT_NE(stage, nullptr);
    ASSERT_NE(Loaded(texture), nullptr);
    EXPECT_EQ(stage->m_pTexture, Loaded(texture));
    EXPECT_EQ(stage->m_nAddressU, static_cast<uint32_t>(kAddressMirror));
    EXPECT_EQ(stage->m_nAddressV, static_cast<uint32_t>(kAddressClamp));
    EXPECT_EQ(stage->m_nTexCoordGen, 0x30000u);
    EXPECT_EQ(stage->m_bTransform, 1u);
    ExpectConstant(stage->m_Transform[CShaderStage::kScaleU], 2);
    ExpectWave(stage->m_Transform[CShaderStage::kScaleV], kWaveSin, 1, 4, 0.5f, 0.25f);
    ExpectConstant(stage->m_Transform[CShaderStage::kRotation], 0.3f);
    ExpectWave(stage->m_Transform[CShaderStage::kTranslateU], kWaveRectangle, 1, 2, 3, 4);
    ExpectWave(stage->m_Transform[CShaderStage::kTranslateV], kWaveTriangle, 5, 6, 7, 8);
    EXPECT_EQ(stage->m_nColorOp, static_cast<uint32_t>(kOpAdd));
    EXPECT_EQ(stage->m_nColorArg1, 0u);  // diffuse
    EXPECT_EQ(stage->m_nColorArg2, 3u);  // tfactor
    EXPECT_EQ(stage->m_nColorArg0, 1u);  // no keyword sets it
    EXPECT_EQ(stage->m_nAlphaOp, static_cast<uint32_t>(kOpModulate));
    EXPECT_EQ(stage->m_nAlphaArg1, 1u);  // current
    EXPECT_EQ(stage->m_nAlphaArg2, 4u);  // specular
    EXPECT_EQ(stage->m_nAlphaArg0, 1u);
}

TEST_F(ShaderScriptTest, KeywordsAndWordsIgnoreCase) {
    Load(Crlf("Mixed {\n PASS {\n  Blend SrcColor ONE\n  FILL Point\n  Shade FLAT\n  LIGHTING Off\n"
              "  Diffuse SIN 1 1 0 0 0.5 0.5 1\n"
              "  STAGE {\n   ColorOp ADDSIGNED2X TFactor TEMP\n   ALPHAOP SelectArg2 Diffuse CURRENT\n"
              "   Address BORDER Mirror\n   TcGen NORMAL\n   TCMOD 1 1 0 0 0\n  }\n }\n}\n"));
    ASSERT_NE(m_handler.GetShader("mixed"), nullptr);
    EXPECT_EQ(m_handler.GetShader("MIXED"), m_handler.GetShader("Mixed"));
    const CShaderPass* pass = Pass("mixed", 0);
    ASSERT_NE(pass, nullptr);
    EXPECT_EQ(pass->m_nSourceBlend, static_cast<uint32_t>(kBlendSourceColor));
    EXPECT_EQ(pass->m_nDestinationBlend, static_cast<uint32_t>(kBlendOne));
    EXPECT_EQ(pass->m_nFillMode, static_cast<uint32_t>(kFillPoint));
    EXPECT_EQ(pass->m_nShadeMode, static_cast<uint32_t>(kShadeFlat));
    EXPECT_EQ(pass->m_bLighting, 0u);
    EXPECT_EQ(pass->m_Diffuse[0].nEvaluator, static_cast<uint32_t>(kWaveSin));
    const CShaderStage* stage = pass->GetStage(0);
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->m_nColorOp, static_cast<uint32_t>(kOpAddSigned2x));
    EXPECT_EQ(stage->m_nColorArg1, 3u);
    EXPECT_EQ(stage->m_nColorArg2, 5u);
    EXPECT_EQ(stage->m_nAlphaOp, static_cast<uint32_t>(kOpSelectArgument2));
    EXPECT_EQ(stage->m_nAlphaArg1, 0u);
    EXPECT_EQ(stage->m_nAlphaArg2, 1u);
    EXPECT_EQ(stage->m_nAddressU, static_cast<uint32_t>(kAddressBorder));
    EXPECT_EQ(stage->m_nAddressV, static_cast<uint32_t>(kAddressMirror));
    EXPECT_EQ(stage->m_nTexCoordGen, 0x10000u);
    EXPECT_EQ(stage->m_bTransform, 1u);
}

// Each word of each list, one pass or stage apiece, gives its code.
TEST_F(ShaderScriptTest, EveryValueWordGivesItsCode) {
    struct List {
        const char* line;  // %s stands for the word, twice where a keyword takes two
        std::vector<std::string> words;
        std::function<uint32_t(const CShaderPass&)> read;
    };
    const List lists[] = {
        {"pass { blend %s %s }",
         {"zero", "one", "srccolor", "invsrccolor", "srcalpha", "invsrcalpha", "dstalpha", "invdstalpha", "dstcolor",
          "invdstcolor", "srcalphasat"},
         [](const CShaderPass& p) { return p.m_nSourceBlend == p.m_nDestinationBlend ? p.m_nSourceBlend : 99u; }},
        {"pass { fill %s }", {"point", "wireframe", "solid"}, [](const CShaderPass& p) { return p.m_nFillMode; }},
        {"pass { shade %s }", {"flat", "gouraud"}, [](const CShaderPass& p) { return p.m_nShadeMode; }},
        {"pass { lighting %s }", {"off", "on"}, [](const CShaderPass& p) { return p.m_bLighting; }},
        {"pass { stage { address %s %s } }",
         {"wrap", "mirror", "clamp", "border"},
         [](const CShaderPass& p) {
             const CShaderStage* s = p.GetStage(0);
             return s->m_nAddressU == s->m_nAddressV ? s->m_nAddressU : 99u;
         }},
        {"pass { stage { colorop %s texture current } }",
         {"disable",
          "selectarg1",
          "selectarg2",
          "modulate",
          "modulate2x",
          "modulate4x",
          "add",
          "addsigned",
          "addsigned2x",
          "subtract",
          "addsmooth",
          "blenddiffusealpha",
          "blendtexturealpha",
          "blendfactoralpha",
          "blendtexturealphapm",
          "blendcurrentalpha",
          "premodulate",
          "modulatealphaaddcolor",
          "modulatecoloraddalpha",
          "modulateinvalphaaddcolor",
          "modulateinvcoloraddalpha",
          "bumpenvmap",
          "bumpenvmapluminance",
          "dotproduct3",
          "multiplyadd",
          "lerp"},
         [](const CShaderPass& p) { return p.GetStage(0)->m_nColorOp; }},
        {"pass { stage { alphaop disable %s %s } }",
         {"diffuse", "current", "texture", "tfactor", "specular", "temp"},
         [](const CShaderPass& p) {
             const CShaderStage* s = p.GetStage(0);
             return s->m_nAlphaArg1 == s->m_nAlphaArg2 ? s->m_nAlphaArg1 : 99u;
         }},
    };
    for (const List& list : lists) {
        std::string script = "s {\r\n";
        for (const std::string& word : list.words) {
            std::string line = list.line;
            for (size_t at; (at = line.find("%s")) != std::string::npos;)
                line.replace(at, 2, word);
            script += line + "\r\n";
        }
        script += "}\r\n";
        m_handler.FreeAll();
        Load(script);
        CShader* shader = m_handler.GetShader("s");
        ASSERT_NE(shader, nullptr);
        ASSERT_EQ(shader->GetPassCount(), list.words.size()) << script;
        for (uint32_t code = 0; code < list.words.size(); ++code) {
            SCOPED_TRACE(list.line + std::string(" with ") + list.words[code]);
            const CShaderPass* pass = shader->GetPass(code);
            if (std::string(list.line).find("stage") != std::string::npos) {
                ASSERT_NE(pass->GetStage(0), nullptr);
            }
            EXPECT_EQ(list.read(*pass), code);
        }
    }
}

TEST_F(ShaderScriptTest, UnknownWordsAreSkippedOrLeaveTheField) {
    Load(Crlf("s {\n"
              " bogus {\n"  // a stray brace in the body is skipped too
              " pass {\n"
              "  shine 1 2\n"
              "  blend nothing one\n"
              "  fill cubes\n"
              "  shade phong\n"
              "  lighting maybe\n"
              "  stage {\n"
              "   sparkle\n"
              "   colorop frobnicate diffuse nowhere\n"
              "   alphaop add nowhere texture\n"
              "   address none clamp\n"
              "   tcgen junk\n"
              "  }\n"
              " }\n"
              "}\n"));
    const CShaderPass* pass = Pass("s", 0);
    ASSERT_NE(pass, nullptr);
    EXPECT_EQ(m_handler.GetShader("s")->GetPassCount(), 1u);
    EXPECT_EQ(pass->m_bBlend, 1u);  // the keyword alone turns blending on
    EXPECT_EQ(pass->m_nSourceBlend, static_cast<uint32_t>(kBlendOne));
    EXPECT_EQ(pass->m_nDestinationBlend, static_cast<uint32_t>(kBlendOne));
    EXPECT_EQ(pass->m_nFillMode, static_cast<uint32_t>(kFillSolid));
    EXPECT_EQ(pass->m_nShadeMode, static_cast<uint32_t>(kShadeGouraud));
    EXPECT_EQ(pass->m_bLighting, 1u);
    const CShaderStage* stage = pass->GetStage(0);
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->m_nColorOp, static_cast<uint32_t>(kOpModulate));
    EXPECT_EQ(stage->m_nColorArg1, 0u);
    EXPECT_EQ(stage->m_nColorArg2, 1u);
    EXPECT_EQ(stage->m_nAlphaOp, static_cast<uint32_t>(kOpAdd));
    EXPECT_EQ(stage->m_nAlphaArg1, 2u);
    EXPECT_EQ(stage->m_nAlphaArg2, 2u);
    EXPECT_EQ(stage->m_nAddressU, 0u);
    EXPECT_EQ(stage->m_nAddressV, static_cast<uint32_t>(kAddressClamp));
    EXPECT_EQ(stage->m_nTexCoordGen, 0u);  // read as a number: 0, "leave"
}

TEST_F(ShaderScriptTest, WaveformsTakeFourNumbersOrOne) {
    Load(Crlf("s { pass {\n"
              "  diffuse sin 1 2 3 4 sawtooth 5 6 7 8 invsawtooth 9 10 11 12 rectangle 13 14 15 16\n"
              "  specular triangle -1 0.5 2.5e-1 -3 abc 0.5 1e1\n"
              "  power 7\n"
              "} }\n"));
    const CShaderPass* pass = Pass("s", 0);
    ASSERT_NE(pass, nullptr);
    ExpectWave(pass->m_Diffuse[0], kWaveSin, 1, 2, 3, 4);
    ExpectWave(pass->m_Diffuse[1], kWaveSawtooth, 5, 6, 7, 8);
    ExpectWave(pass->m_Diffuse[2], kWaveInvSawtooth, 9, 10, 11, 12);
    ExpectWave(pass->m_Diffuse[3], kWaveRectangle, 13, 14, 15, 16);
    ExpectWave(pass->m_Specular[0], kWaveTriangle, -1, 0.5f, 0.25f, -3);
    ExpectConstant(pass->m_Specular[1], 0);  // a word that is no number
    ExpectConstant(pass->m_Specular[2], 0.5f);
    ExpectConstant(pass->m_Specular[3], 10);
    ExpectConstant(pass->m_Power, 7);
    // Untouched colours keep their defaults.
    ExpectConstant(pass->m_Ambient[3], 0);
}

TEST_F(ShaderScriptTest, WaveformsEvaluateOverTheirPeriod) {
    // Amplitude 2, period 4, phase 0.25, base 1: at t = 0, 1, 2 the fraction is 0.25, 0.5, 0.75.
    struct Case {
        uint32_t evaluator;
        float values[3];
    };
    const Case cases[] = {
        {kWaveConstant, {2, 2, 2}},      {kWaveSin, {2, 3, 2}},       {kWaveSawtooth, {1.5f, 2, 2.5f}},
        {kWaveInvSawtooth, {2.5f, 2, 1.5f}}, {kWaveRectangle, {1, 1, 3}}, {kWaveTriangle, {2, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("evaluator " + std::to_string(c.evaluator));
        CShaderWaveform wave{2.0f, 4.0f, 0.25f, 1.0f, c.evaluator};
        for (int t = 0; t < 3; ++t)
            EXPECT_NEAR(wave.Evaluate(static_cast<float>(t)), c.values[t], 1e-5f) << "t = " << t;
    }
    // The sine starts at its base on whole periods and peaks half a period later.
    const CShaderWaveform sine{3.0f, 2.0f, 0.0f, 0.5f, kWaveSin};
    EXPECT_NEAR(sine.Evaluate(0.0f), 0.5f, 1e-5f);
    EXPECT_NEAR(sine.Evaluate(1.0f), 3.5f, 1e-5f);
    EXPECT_NEAR(sine.Evaluate(4.0f), 0.5f, 1e-4f);
}

TEST_F(ShaderScriptTest, PassesAndStagesNestAndTakeTheDefaultsOfTheirPlace) {
    Load(Crlf("two {\n"
              " pass {\n"
              "  stage { colorop add texture current }\n"
              "  stage { }\n"
              "  stage { alphaop modulate texture current }\n"
              " }\n"
              " pass { fill point }\n"
              "}\n"
              "three { pass { } }\n"));
    EXPECT_EQ(Joined(Names()), "[two][three]");
    CShader* two = m_handler.GetShader("two");
    ASSERT_EQ(two->GetPassCount(), 2u);
    const CShaderPass* first = two->GetPass(0);
    ASSERT_EQ(first->m_Stages.m_nCount, 3);
    EXPECT_EQ(first->GetStage(0)->m_nColorOp, static_cast<uint32_t>(kOpAdd));
    EXPECT_EQ(first->GetStage(0)->m_nAlphaOp, static_cast<uint32_t>(kOpSelectArgument1));
    for (uint32_t i = 1; i < 3; ++i) {
        EXPECT_EQ(first->GetStage(i)->m_nColorOp, static_cast<uint32_t>(kOpDisable)) << "stage " << i;
        EXPECT_EQ(first->GetStage(i)->m_nColorArg1, 2u);
        EXPECT_EQ(first->GetStage(i)->m_nColorArg2, 1u);
    }
    EXPECT_EQ(first->GetStage(1)->m_nAlphaOp, static_cast<uint32_t>(kOpDisable));
    EXPECT_EQ(first->GetStage(2)->m_nAlphaOp, static_cast<uint32_t>(kOpModulate));
    EXPECT_EQ(first->GetStage(3), nullptr);
    EXPECT_EQ(two->GetPass(1)->m_Stages.m_nCount, 0);
    EXPECT_EQ(two->GetPass(1)->m_nFillMode, static_cast<uint32_t>(kFillPoint));
    EXPECT_EQ(m_handler.GetShader("three")->GetPassCount(), 1u);
}

TEST_F(ShaderScriptTest, CommentsRunToTheLineFeed) {
    Load(Crlf("// a heading that names { pass { fill point } }\n"
              "c { // the shader\n"
              " pass { // its pass\n"
              "  fill point // fill wireframe\n"
              "  shade//flat\n"  // no comment inside a word: one unknown token
              " }\n"
              "}\n"
              "// the end, without a line end") +
         "  // and more");
    EXPECT_EQ(Joined(Names()), "[c]");
    const CShaderPass* pass = Pass("c", 0);
    ASSERT_NE(pass, nullptr);
    EXPECT_EQ(pass->m_nFillMode, static_cast<uint32_t>(kFillPoint));
    EXPECT_EQ(pass->m_nShadeMode, static_cast<uint32_t>(kShadeGouraud));
}

TEST_F(ShaderScriptTest, LineFeedsAloneRunWordsTogether) {
    const std::string text = "a {\n pass {\n  fill wireframe\n }\n}\n";
    Load(Crlf(text));
    EXPECT_EQ(Joined(Names()), "[a]");
    ASSERT_NE(Pass("a", 0), nullptr);
    EXPECT_EQ(Pass("a", 0)->m_nFillMode, static_cast<uint32_t>(kFillWireframe));

    // The same with line feeds only: "{\n" is no brace, so every name goes without its body
    // and takes the word after it along; the last word, "}\n}\n", reaches the end and is no
    // token at all.
    m_handler.FreeAll();
    Load(text);
    EXPECT_EQ(Joined(Names()), "[a][pass][fill]");
    for (const char* name : {"a", "pass", "fill"}) {
        ASSERT_NE(m_handler.GetShader(name), nullptr) << name;
        EXPECT_EQ(m_handler.GetShader(name)->GetPassCount(), 0u) << name;
    }

    // And with carriage returns only.
    m_handler.FreeAll();
    std::string returns = text;
    for (char& c : returns)
        c = c == '\n' ? '\r' : c;
    Load(returns);
    EXPECT_EQ(Joined(Names()), "[a][pass][fill]");
}

TEST_F(ShaderScriptTest, LongTokensAreCut) {
    // A name keeps 63 characters.
    const std::string longName(70, 'n');
    // A value keeps 31 characters: here 31 of 34 digits.
    const std::string digits = "1234567890123456789012345678901234";
    // A texture file name keeps 259 characters: a real path of that length with more after it.
    std::string folder = m_dir.Path();
    while (folder.size() < 200)
        folder += "/" + std::string(std::min<size_t>(40, 200 - folder.size()), 'd');
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    std::string path = folder + "/";
    path += std::string(259 - path.size() - 4, 't') + ".tga";
    ASSERT_EQ(path.size(), 259u);
    std::string diagnostics;
    ASSERT_TRUE(WriteTgaWithConvert(path, 2, 2, [](int, int) { return 0xFF102030u; }, &diagnostics)) << diagnostics;

    Load(Crlf(longName + " {\n pass {\n  power " + digits + "\n  blend " + std::string(40, 'z') +
              " one\n  stage {\n   texture " + path + "EXTRA\n  }\n }\n}\n"));
    EXPECT_EQ(Joined(Names()), "[" + std::string(63, 'n') + "]");
    const CShaderPass* pass = Pass(std::string(63, 'n').c_str(), 0);
    ASSERT_NE(pass, nullptr);
    EXPECT_FLOAT_EQ(pass->m_Power.fAmplitude, strtof(digits.substr(0, 31).c_str(), nullptr));
    EXPECT_EQ(pass->m_nSourceBlend, static_cast<uint32_t>(kBlendOne));  // the cut word is still no factor
    EXPECT_EQ(pass->m_nDestinationBlend, static_cast<uint32_t>(kBlendOne));
    ASSERT_NE(Loaded(path), nullptr);
    EXPECT_EQ(pass->GetStage(0)->m_pTexture, Loaded(path));
}

TEST_F(ShaderScriptTest, CoordinateIndicesNameOneOfTheEightSets) {
    struct Case {
        const char* value;
        uint32_t stored;
    };
    const Case cases[] = {
        {"0", 0},          {"7", 7},         {"8", 0},          {"255", 0},        {"-1", 0},
        {"65543", 65543},  {"65544", 0},     {"4294967296", 0}, {"99999999999999999999", 0},
        {"position", 0x20000}, {"Reflection", 0x30000}, {"3.9", 3},
    };
    std::string script = "s { pass {\r\n";
    for (const Case& c : cases)
        script += std::string("stage { tcgen 5 tcgen ") + c.value + " }\r\n";
    Load(script + "} }\r\n");
    for (uint32_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(cases[i].value);
        const CShaderStage* stage = Stage("s", 0, i);
        ASSERT_NE(stage, nullptr);
        // A refused number leaves the 5 read before it.
        EXPECT_EQ(stage->m_nTexCoordGen, cases[i].stored == 0 && std::string(cases[i].value) != "0" ? 5u
                                                                                                  : cases[i].stored);
    }
}

TEST_F(ShaderScriptTest, AShaderDefinedTwiceKeepsTheSecondAtTheEnd) {
    Load(Crlf("a { pass { fill point } }\nb { }\nA { pass { } pass { shade flat } }\nc { }\n"));
    EXPECT_EQ(Joined(Names()), "[b][A][c]");
    CShader* a = m_handler.GetShader("a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->GetPassCount(), 2u);
    EXPECT_EQ(a->GetPass(0)->m_nFillMode, static_cast<uint32_t>(kFillSolid));
    EXPECT_EQ(a->GetPass(1)->m_nShadeMode, static_cast<uint32_t>(kShadeFlat));

    // A second script adds to the list and replaces by name in the same way.
    Load(Crlf("b { pass { } }\nd { }\n"));
    EXPECT_EQ(Joined(Names()), "[A][c][b][d]");
    EXPECT_EQ(m_handler.GetShader("b")->GetPassCount(), 1u);
}

TEST_F(ShaderScriptTest, BracesAreRequiredWhereTheGrammarSaysAndValuesConsumeWhatFollows) {
    struct Case {
        const char* name;
        std::string text;
        std::function<void(ShaderScriptTest*)> check;
    };
    const Case cases[] = {
        {"a name without a brace loses its body and the word after it",
         "a b c { pass { fill point } }\n",
         [](ShaderScriptTest* t) {
             EXPECT_EQ(Joined(t->Names()), "[a][c]");
             EXPECT_EQ(t->m_handler.GetShader("a")->GetPassCount(), 0u);
             ASSERT_NE(t->Pass("c", 0), nullptr);
             EXPECT_EQ(t->Pass("c", 0)->m_nFillMode, static_cast<uint32_t>(kFillPoint));
         }},
        {"a pass without a brace stays at its defaults",
         "s { pass x pass { fill point } }\n",
         [](ShaderScriptTest* t) {
             ASSERT_EQ(t->m_handler.GetShader("s")->GetPassCount(), 2u);
             EXPECT_EQ(t->Pass("s", 0)->m_nFillMode, static_cast<uint32_t>(kFillSolid));
             EXPECT_EQ(t->Pass("s", 1)->m_nFillMode, static_cast<uint32_t>(kFillPoint));
         }},
        {"a stage without a brace stays at its defaults and the pass goes on",
         "s { pass { stage fill wireframe stage { colorop add texture current } } }\n",
         [](ShaderScriptTest* t) {
             ASSERT_EQ(t->Pass("s", 0)->m_Stages.m_nCount, 2);
             EXPECT_EQ(t->Pass("s", 0)->m_nFillMode, static_cast<uint32_t>(kFillSolid));  // "fill" was taken
             EXPECT_EQ(t->Stage("s", 0, 0)->m_nColorOp, static_cast<uint32_t>(kOpModulate));
             EXPECT_EQ(t->Stage("s", 0, 1)->m_nColorOp, static_cast<uint32_t>(kOpAdd));
         }},
        {"stray braces inside a body are skipped",
         "s { { pass { stage { { colorop add texture current } } } t { }\n",
         [](ShaderScriptTest* t) {
             EXPECT_EQ(Joined(t->Names()), "[s][t]");
             ASSERT_NE(t->Stage("s", 0, 0), nullptr);
             EXPECT_EQ(t->Stage("s", 0, 0)->m_nColorOp, static_cast<uint32_t>(kOpAdd));
         }},
        {"an address before the brace takes the brace as its second value",
         "s { pass { stage { address clamp } colorop add texture current } } }\nt { }\n",
         [](ShaderScriptTest* t) {
             EXPECT_EQ(Joined(t->Names()), "[s][t]");
             ASSERT_EQ(t->Pass("s", 0)->m_Stages.m_nCount, 1);
             const CShaderStage* stage = t->Stage("s", 0, 0);
             EXPECT_EQ(stage->m_nAddressU, static_cast<uint32_t>(kAddressClamp));
             EXPECT_EQ(stage->m_nAddressV, 0u);
             EXPECT_EQ(stage->m_nColorOp, static_cast<uint32_t>(kOpAdd));
         }},
        {"a texture transform of fewer than five waveforms stays off",
         "s { pass { stage { tcmod 2 2 0 0 0 } stage { tcmod 1 sin 1 1 0 ",
         [](ShaderScriptTest* t) {
             EXPECT_EQ(t->Stage("s", 0, 0)->m_bTransform, 1u);
             const CShaderStage* stage = t->Stage("s", 0, 1);
             ASSERT_NE(stage, nullptr);
             EXPECT_EQ(stage->m_bTransform, 0u);
             // What was read is kept.
             ExpectWave(stage->m_Transform[CShaderStage::kScaleV], kWaveSin, 1, 1, 0, 0);
         }},
        {"a name at the end makes an empty shader", "lonely ",
         [](ShaderScriptTest* t) {
             EXPECT_EQ(Joined(t->Names()), "[lonely]");
             EXPECT_EQ(t->m_handler.GetShader("lonely")->GetPassCount(), 0u);
         }},
        {"nothing but comments and space", "// none\n\t \n// here\n",
         [](ShaderScriptTest* t) { EXPECT_TRUE(t->Names().empty()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_handler.FreeAll();
        Load(Crlf(c.text));
        c.check(this);
    }
}

TEST_F(ShaderScriptTest, TheTextEndsAtANulByte) {
    const std::string text = std::string("a { pass { } }\r\n") + '\0' + "b { pass { } }\r\n";
    Load(text);
    EXPECT_EQ(Joined(Names()), "[a]");
}

// Every cut of a full script, and every script with one byte changed, parses without reading
// past its text (the sanitizer build checks) and gives shaders that apply and reset.
TEST_F(ShaderScriptTest, BrokenScriptsParseSafely) {
    const std::string full = Crlf(
        "// all of it\n"
        "s {\n pass {\n  blend srcalpha one\n  fill wireframe\n  shade flat\n  lighting off\n"
        "  diffuse sin 1 2 3 4 0.5 0.5 1\n  specular 1 1 1 1\n  ambient 0 0 0 0\n  emissive 0 0 0 0\n  power 3\n"
        "  stage {\n   texture missing.tga\n   address clamp clamp\n   tcgen 1\n   tcmod 1 1 sin 1 1 0 0 0 0\n"
        "   colorop add texture current\n   alphaop modulate texture current\n  }\n }\n}\n"
        "t { pass { stage { } stage { } } }\n");
    const std::string alphabet = "{} \r\n/\t(),0-.e";
    for (size_t length = 0; length <= full.size(); ++length) {
        for (size_t change = 0; change <= alphabet.size(); ++change) {
            std::string text = full.substr(0, length);
            if (change < alphabet.size() && length > 0)
                text[(length * 7 + change * 13) % length] = alphabet[change];
            m_handler.FreeAll();
            Load(text);
            for (auto* node = m_handler.m_Shaders.m_pHead; node; node = node->m_pNext) {
                auto* entry = static_cast<CShaderHandler::CEntry*>(node->m_data);
                ASSERT_LT(strlen(entry->szName), 64u);
                for (uint32_t i = 0; i < entry->shader.GetPassCount(); ++i) {
                    const double t = 0.5;
                    entry->shader.Apply(entry->shader.GetPass(i), &t);
                    entry->shader.ResetShaderStates(entry->shader.GetPass(i));
                }
            }
        }
    }
}

TEST_F(ShaderScriptTest, LoadScriptFailsOnlyForAFileItCannotRead) {
    EXPECT_EQ(m_handler.LoadScript(m_dir.File("missing.shd").c_str(), &m_gfx), 0);
    EXPECT_EQ(m_handler.LoadScript(m_dir.Path().c_str(), &m_gfx), 0);  // a folder
    EXPECT_EQ(m_handler.LoadScript(nullptr, &m_gfx), 0);
    EXPECT_TRUE(Names().empty());

    WriteText(m_dir.File("empty.shd"), "");
    EXPECT_EQ(m_handler.LoadScript(m_dir.File("empty.shd").c_str(), &m_gfx), 1);
    // The text ends at the NUL; "{{}}" is no brace, so the first word names an empty shader.
    const std::string junk = std::string("\x01\xff {{}} \0x { } ", 15);
    WriteBytes(m_dir.File("junk.shd"), junk.data(), junk.size());
    EXPECT_EQ(m_handler.LoadScript(m_dir.File("junk.shd").c_str(), &m_gfx), 1);
    WriteText(m_dir.File("one.shd"), "one { pass { fill point } }\r\n");
    EXPECT_EQ(m_handler.LoadScript(m_dir.File("one.shd").c_str(), &m_gfx), 1);
    EXPECT_EQ(Joined(Names()), "[\x01\xff][one]");
    ASSERT_NE(Pass("one", 0), nullptr);
    // Without a graphics handler the script still loads; stages just get no texture.
    m_handler.FreeAll();
    EXPECT_EQ(m_handler.LoadScript(m_dir.File("one.shd").c_str(), nullptr), 1);
    EXPECT_EQ(Joined(Names()), "[one]");
}

TEST_F(ShaderScriptTest, TexturesComeFromTheGraphicsHandlerAndAFailedLoadKeepsTheStagesTexture) {
    const std::string first = MakeTexture("first.tga");
    const std::string second = MakeTexture("second.tga");
    Load(Crlf("s { pass {\n"
              " stage { texture " + first + " }\n"
              " stage { texture " + first + " texture " + m_dir.File("missing.tga") + " }\n"
              " stage { texture " + first + " texture " + second + " }\n"
              " stage { texture " + m_dir.File("missing.tga") + " }\n"
              "} }\n"));
    ASSERT_NE(Loaded(first), nullptr);
    ASSERT_NE(Loaded(second), nullptr);
    EXPECT_EQ(Stage("s", 0, 0)->m_pTexture, Loaded(first));
    EXPECT_EQ(Stage("s", 0, 1)->m_pTexture, Loaded(first));
    EXPECT_EQ(Stage("s", 0, 2)->m_pTexture, Loaded(second));
    EXPECT_EQ(Stage("s", 0, 3)->m_pTexture, nullptr);
    // Shared by file: the handler holds each texture once and no failed load.
    EXPECT_EQ(m_gfx.m_pResources->m_nCount, 2);

    // Without a graphics handler no stage gets a texture.
    m_handler.FreeAll();
    const std::string text = "s { pass { stage { texture " + first + " } } }\r\n";
    const std::vector<char> bytes(text.begin(), text.end());
    ASSERT_EQ(m_handler.LoadScriptFromMemory(bytes.data(), bytes.size(), nullptr), 1);
    EXPECT_EQ(Stage("s", 0, 0)->m_pTexture, nullptr);
}

TEST_F(ShaderScriptTest, LookUpIgnoresCaseAndFreeAllEmptiesTheList) {
    Load("Alpha { } beta { } ");
    EXPECT_NE(m_handler.GetShader("ALPHA"), nullptr);
    EXPECT_EQ(m_handler.GetShader("BETA"), m_handler.GetShader("beta"));
    EXPECT_EQ(m_handler.GetShader("gamma"), nullptr);
    EXPECT_EQ(m_handler.GetShader("alph"), nullptr);
    EXPECT_EQ(m_handler.GetShader(nullptr), nullptr);
    m_handler.FreeAll();
    EXPECT_EQ(m_handler.GetShader("alpha"), nullptr);
    EXPECT_EQ(m_handler.m_Shaders.m_nCount, 0);
    Load("again { } ");
    EXPECT_NE(m_handler.GetShader("again"), nullptr);
}

TEST_F(ShaderScriptTest, AssignMakesACopyWithListsOfItsOwn) {
    const std::string texture = MakeTexture("copy.tga");
    Load(Crlf("s { pass { fill point stage { texture " + texture + " colorop add texture current } stage { } }\n"
              "pass { lighting off diffuse sin 1 2 3 4 0 0 0 } }\n"));
    CShader* source = m_handler.GetShader("s");
    CShader copy(nullptr);
    {
        // Whatever the copy held before goes.
        copy.AppendPass()->AppendStage();
    }
    copy.Assign(*source);
    EXPECT_EQ(copy.m_pDevice, &m_device);
    ASSERT_EQ(copy.GetPassCount(), 2u);
    for (uint32_t i = 0; i < 2; ++i) {
        const CShaderPass* from = source->GetPass(i);
        const CShaderPass* to = copy.GetPass(i);
        EXPECT_NE(from, to);
        EXPECT_EQ(to->m_nFillMode, from->m_nFillMode);
        EXPECT_EQ(to->m_bLighting, from->m_bLighting);
        ExpectWave(to->m_Diffuse[0], from->m_Diffuse[0].nEvaluator, from->m_Diffuse[0].fAmplitude,
                   from->m_Diffuse[0].fPeriod, from->m_Diffuse[0].fPhase, from->m_Diffuse[0].fBase);
        ASSERT_EQ(to->m_Stages.m_nCount, from->m_Stages.m_nCount);
        for (uint32_t s = 0; s < static_cast<uint32_t>(from->m_Stages.m_nCount); ++s) {
            EXPECT_NE(to->GetStage(s), from->GetStage(s));
            ExpectSameStage(*to->GetStage(s), *from->GetStage(s));
        }
    }
    EXPECT_EQ(copy.GetPass(0)->GetStage(0)->m_pTexture, Loaded(texture));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(copy.m_mToCentre.m_f[i], source->m_mToCentre.m_f[i]);

    // Changing the copy leaves the source alone, and the source may go first.
    copy.GetPass(0)->m_nFillMode = kFillWireframe;
    copy.GetPass(0)->AppendStage();
    EXPECT_EQ(source->GetPass(0)->m_nFillMode, static_cast<uint32_t>(kFillPoint));
    EXPECT_EQ(source->GetPass(0)->m_Stages.m_nCount, 2);
    m_handler.FreeAll();
    EXPECT_EQ(copy.GetPass(0)->m_Stages.m_nCount, 3);
    copy.Assign(copy);
    EXPECT_EQ(copy.GetPassCount(), 2u);
}

// ---------------------------------------------------------------------------------------------
// Applying and resetting

TEST_F(ShaderScriptTest, ApplyAndResetTellTheDeviceWhatThePassChanges) {
    const std::string texture = MakeTexture("apply.tga");
    Load(Crlf("s { pass {\n"
              " blend srcalpha invsrcalpha\n fill wireframe\n shade flat\n lighting off\n"
              " stage { texture " + texture + " address clamp mirror tcgen 1 tcmod 2 2 0 0.25 0\n"
              "   colorop add diffuse tfactor alphaop modulate current specular }\n"
              " stage { colorop modulate2x texture current }\n"
              " stage { }\n"
              "} }\n"));
    CShader* shader = m_handler.GetShader("s");
    const CShaderPass* pass = shader->GetPass(0);
    const uint32_t handle = Loaded(texture)->GetHandle();
    const std::string h = std::to_string(handle);

    size_t first = m_device.m_Calls.size();
    const double t = 0.0;
    EXPECT_EQ(shader->Apply(pass, &t), 1);
    const std::vector<std::string> applied = {
        "SetRenderState 13 1", "SetRenderState 6 4", "SetRenderState 7 5", "SetRenderState 1 1",
        "SetRenderState 2 0", "SetRenderState 40 0", "SetTexture 0 " + h, "SetTextureStageState 0 11 2",
        "SetTextureStageState 0 12 1", "SetTextureStageState 0 10 1", "SetTextureStageState 0 22 2",
        "SetTransform 3", "SetTextureStageState 0 0 6", "SetTextureStageState 0 1 0", "SetTextureStageState 0 2 3",
        "SetTextureStageState 0 3 3", "SetTextureStageState 0 4 1", "SetTextureStageState 0 5 4",
        "SetTextureStageState 1 0 4",
    };
    EXPECT_EQ(Joined(CallsSince(first)), Joined(applied));

    first = m_device.m_Calls.size();
    shader->ResetShaderStates(pass);
    const std::vector<std::string> reset = {
        "SetRenderState 13 0", "SetRenderState 1 2", "SetRenderState 2 1", "SetRenderState 40 1",
        "SetTexture 0 0", "SetTextureStageState 0 11 0", "SetTextureStageState 0 12 0",
        "SetTextureStageState 0 10 0", "SetTextureStageState 0 22 0", "SetTransform 3",
        "SetTextureStageState 0 0 3", "SetTextureStageState 0 1 2", "SetTextureStageState 0 2 1",
        "SetTextureStageState 0 3 1", "SetTextureStageState 0 4 2", "SetTextureStageState 0 5 1",
        "SetTextureStageState 1 0 0",
    };
    EXPECT_EQ(Joined(CallsSince(first)), Joined(reset));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m_device.m_Transforms[3].m_f[i], CMatrix::Identity().m_f[i]);
    // Nothing reset the blend factors: they stay for the next pass that blends.
    EXPECT_EQ(m_device.m_RenderStates[6], 4u);
    EXPECT_EQ(m_device.m_RenderStates[7], 5u);
}

TEST_F(ShaderScriptTest, AFirstStageModulatesOnEveryApply) {
    Load("bare { pass { } } staged { pass { stage { } } } ");
    for (const char* name : {"bare", "staged"}) {
        SCOPED_TRACE(name);
        CShader* shader = m_handler.GetShader(name);
        for (int round = 0; round < 2; ++round) {
            size_t first = m_device.m_Calls.size();
            shader->Apply(shader->GetPass(0), nullptr);
            std::vector<std::string> expected = {"SetMaterial"};
            if (std::string(name) == "staged")
                expected.push_back("SetTextureStageState 0 0 3");
            EXPECT_EQ(Joined(CallsSince(first)), Joined(expected));
            first = m_device.m_Calls.size();
            shader->ResetShaderStates(shader->GetPass(0));
            EXPECT_EQ(Joined(CallsSince(first)), "[SetMaterial]");
        }
    }
}

TEST_F(ShaderScriptTest, TheMaterialMapsColoursByNameAndFollowsTheTime) {
    Load(Crlf("m { pass {\n"
              " diffuse 0.1 0.2 0.3 0.4\n specular 0.5 0.6 0.7 0.8\n ambient 0.9 0.15 0.25 0.35\n"
              " emissive 0.45 0.55 0.65 0.75\n power sin 10 2 0 1\n"
              "} }\n"
              "dark { pass { lighting off diffuse 1 1 1 1 } }\n"));
    CShader* shader = m_handler.GetShader("m");
    struct Case {
        double t;
        float power;
    };
    // The sine starts at its base and peaks half a period later.
    for (const Case& c : {Case{0.0, 1.0f}, Case{0.5, 6.0f}, Case{1.0, 11.0f}, Case{3.0, 11.0f}}) {
        SCOPED_TRACE("t = " + std::to_string(c.t));
        shader->Apply(shader->GetPass(0), &c.t);
        const CMaterial& m = m_device.m_Material;
        EXPECT_FLOAT_EQ(m.Diffuse.r, 0.1f);
        EXPECT_FLOAT_EQ(m.Diffuse.a, 0.4f);
        EXPECT_FLOAT_EQ(m.Ambient.r, 0.9f);
        EXPECT_FLOAT_EQ(m.Ambient.g, 0.15f);
        EXPECT_FLOAT_EQ(m.Specular.r, 0.5f);
        EXPECT_FLOAT_EQ(m.Specular.a, 0.8f);
        EXPECT_FLOAT_EQ(m.Emissive.b, 0.65f);
        EXPECT_NEAR(m.fPower, c.power, 1e-4f);
    }
    shader->ResetShaderStates(shader->GetPass(0));
    const CMaterial& reset = m_device.m_Material;
    EXPECT_EQ(reset.Diffuse.r + reset.Diffuse.g + reset.Diffuse.b + reset.Diffuse.a, 4.0f);
    EXPECT_EQ(reset.Ambient.r + reset.Specular.g + reset.Emissive.a, 0.0f);
    EXPECT_EQ(reset.fPower, 1.0f);

    // Without lighting there is no material at all.
    CShader* dark = m_handler.GetShader("dark");
    const size_t first = m_device.m_Calls.size();
    dark->Apply(dark->GetPass(0), nullptr);
    dark->ResetShaderStates(dark->GetPass(0));
    EXPECT_EQ(Joined(CallsSince(first)), "[SetRenderState 40 0][SetRenderState 40 1]");
}

TEST_F(ShaderScriptTest, TheTextureTransformWorksAboutTheTexturesCentre) {
    Load("s { pass { stage { tcmod 2 0.5 0 0.25 -0.5 } stage { tcmod 1 1 1.5707964 0 0 } } } ");
    CShader* shader = m_handler.GetShader("s");
    shader->Apply(shader->GetPass(0), nullptr);
    struct Case {
        int stage;
        CVector3 in;
        CVector3 out;
    };
    // Stage 0: scaled by (2, 0.5) about the centre, then moved by (0.25, -0.5). Stage 1: a
    // quarter turn about the centre keeps it and moves a corner by a quarter turn.
    const Case cases[] = {
        {0, {0.5f, 0.5f, 0}, {0.75f, 0.0f, 0}}, {0, {1.0f, 1.0f, 0}, {1.75f, 0.25f, 0}},
        {0, {0.0f, 0.0f, 0}, {-0.25f, -0.25f, 0}}, {1, {0.5f, 0.5f, 0}, {0.5f, 0.5f, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("stage " + std::to_string(c.stage));
        CVector3 out;
        m_device.m_Transforms[kTransformTexture0 + c.stage].TransformPoint(&out, c.in);
        EXPECT_NEAR(out.x, c.out.x, 1e-5f);
        EXPECT_NEAR(out.y, c.out.y, 1e-5f);
    }
    CVector3 corner;
    m_device.m_Transforms[kTransformTexture0 + 1].TransformPoint(&corner, CVector3(1.0f, 0.5f, 0.0f));
    EXPECT_NEAR(corner.x, 0.5f, 1e-5f);
    EXPECT_NEAR(std::fabs(corner.y - 0.5f), 0.5f, 1e-5f);
}

TEST_F(ShaderScriptTest, StagesPastTheEighthAreKeptButNeverApplied) {
    std::string script = "nine { pass {\r\n";
    for (int i = 0; i < 9; ++i)
        script += "stage { colorop add texture current address clamp clamp tcmod 1 1 0 0 0 }\r\n";
    Load(script + "} }\r\n");
    CShader* shader = m_handler.GetShader("nine");
    ASSERT_EQ(shader->GetPass(0)->m_Stages.m_nCount, 9);
    const size_t first = m_device.m_Calls.size();
    shader->Apply(shader->GetPass(0), nullptr);
    shader->ResetShaderStates(shader->GetPass(0));
    bool stageSeven = false;
    for (const std::string& call : CallsSince(first)) {
        EXPECT_EQ(call.find("SetTextureStageState 8 "), std::string::npos) << call;
        EXPECT_NE(call, "SetTransform 11");
        stageSeven = stageSeven || call == "SetTextureStageState 7 0 6";
    }
    EXPECT_TRUE(stageSeven);
}

// ---------------------------------------------------------------------------------------------
// The shipped script

// The names the game finds its shaders by, the menu sheets apart.
const char* const kGameShaderNames[] = {
    "drive_belt", "power_cable", "rope", "fuze", "selection_valid", "selection_invalid", "selected_element",
    "target_line", "lightning", "symbol_goal", "symbol_anti_goal", "symbol_unlock", "symbol_stretch_1",
    "symbol_stretch_2", "red", "green", "robot_green", "robot_red", "power_gravity_tube_on",
    "power_gravity_tube_off", "power_gravity_earth", "power_gravity_moon", "power_gravity_non",
    "element_bars_gravity_earth", "element_bars_gravity_moon", "element_bars_gravity_non", "flag",
};
// The start screen's menu sheets; each also has "<sheet>_over", its look under the pointer.
const char* const kMenuSheets[] = {
    "clipboard_paper_new_game", "clipboard_paper_start",   "clipboard_paper_continue", "clipboard_paper_select",
    "clipboard_paper_editor",   "clipboard_paper_options", "clipboard_paper_exit",
};
// Drawn as ribbons, which carry no normals: a lit pass shows only its emissive colour.
const char* const kRibbonShaders[] = {"drive_belt", "power_cable", "rope",     "fuze",
                                      "target_line", "lightning",  "selected_element"};

// The shipped script, loaded from its source as the build copies it.
class ShippedShaderScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_text = ReadText(m_path);
        ASSERT_FALSE(m_text.empty()) << m_path;
        ASSERT_EQ(m_device.InitForTest(0, 0, 0), 1);
        m_handler.Init(&m_device);
        ASSERT_EQ(m_handler.LoadScript(m_path.c_str(), nullptr), 1);
    }

    // The shader under exactly that name: the game's lookups heed case.
    const CShader* Exact(const std::string& name) const {
        for (auto* node = m_handler.m_Shaders.m_pHead; node; node = node->m_pNext) {
            auto* entry = static_cast<CShaderHandler::CEntry*>(node->m_data);
            if (name == entry->szName)
                return &entry->shader;
        }
        return nullptr;
    }

    const std::string m_path = std::string(BRENLOW_CONTENT_DIR) + "/scripts/shaders/shaders.shd";
    std::string m_text;
    CRecordingRenderDevice m_device;
    CShaderHandler m_handler;
};

TEST_F(ShippedShaderScriptTest, KeepsCrLfLineEnds) {
    size_t lineFeeds = 0;
    for (size_t i = 0; i < m_text.size(); ++i) {
        if (m_text[i] == '\n') {
            ++lineFeeds;
            ASSERT_TRUE(i > 0 && m_text[i - 1] == '\r') << "a line feed without a carriage return at byte " << i;
        }
        if (m_text[i] == '\r') {
            ASSERT_TRUE(i + 1 < m_text.size() && m_text[i + 1] == '\n') << "a lone carriage return at byte " << i;
        }
    }
    EXPECT_GT(lineFeeds, 10u);
    EXPECT_EQ(m_text.substr(m_text.size() - 2), "\r\n");
}

// What the shadow tests and the shadow scene draw with.
TEST_F(ShippedShaderScriptTest, HoldsTheTestScenesShaders) {
    for (const char* name : {"plain", "floor", "red", "green", "glass", "glow"}) {
        const CShader* shader = Exact(name);
        ASSERT_NE(shader, nullptr) << name;
        EXPECT_EQ(shader->GetPassCount(), 1u) << name;
    }
    const CShaderPass* glass = Exact("glass")->GetPass(0);
    EXPECT_EQ(glass->m_bBlend, 1u);
    EXPECT_EQ(glass->m_nSourceBlend, static_cast<uint32_t>(kBlendSourceAlpha));
    EXPECT_LT(glass->m_Diffuse[3].Evaluate(0.0f), 1.0f);
    const CShaderPass* glow = Exact("glow")->GetPass(0);
    EXPECT_EQ(glow->m_bLighting, 0u);
    EXPECT_EQ(glow->m_nDestinationBlend, static_cast<uint32_t>(kBlendOne));
    const CShaderPass* red = Exact("red")->GetPass(0);
    EXPECT_GT(red->m_Diffuse[0].Evaluate(0.0f), red->m_Diffuse[1].Evaluate(0.0f));
    EXPECT_FLOAT_EQ(red->m_Power.Evaluate(0.0f), 24.0f);
}

TEST_F(ShippedShaderScriptTest, HoldsEveryShaderTheGameLooksUp) {
    std::vector<std::string> names(std::begin(kGameShaderNames), std::end(kGameShaderNames));
    for (const char* sheet : kMenuSheets) {
        names.push_back(sheet);
        names.push_back(std::string(sheet) + "_over");
    }
    for (const std::string& name : names) {
        const CShader* shader = Exact(name);
        ASSERT_NE(shader, nullptr) << name;
        EXPECT_GE(shader->GetPassCount(), 1u) << name;
    }

    // A sheet under the pointer lights up.
    const auto brightness = [](const CShader* shader) {
        CMaterial material;
        shader->GetPass(0)->EvaluateMaterial(0.0f, &material);
        return material.Diffuse.r + material.Diffuse.g + material.Diffuse.b + material.Emissive.r +
               material.Emissive.g + material.Emissive.b;
    };
    for (const char* sheet : kMenuSheets)
        EXPECT_GT(brightness(Exact(std::string(sheet) + "_over")), brightness(Exact(sheet))) << sheet;

    for (const char* name : kRibbonShaders) {
        const CShader* shader = Exact(name);
        for (uint32_t i = 0; i < shader->GetPassCount(); ++i) {
            const CShaderPass* pass = shader->GetPass(i);
            float emissive = 0.0f;
            for (int c = 0; c < 3; ++c)
                emissive += pass->m_Emissive[c].Evaluate(0.0f);
            EXPECT_TRUE(!pass->m_bLighting || emissive > 0.0f) << name << " pass " << i << " draws black";
        }
    }
}

}  // namespace
