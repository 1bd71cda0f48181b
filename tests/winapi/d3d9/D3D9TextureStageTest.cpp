// The texture-stage cascade of the Direct3D 9 layer against the platform's formulas: every
// colour and alpha operation on one pixel with chosen inputs, argument modifiers and the
// third argument, the temporary register and stage constants, cascades of two, three and
// eight stages with saturation between them, the rule that a stage reading a texture that
// is not bound acts as disabled, the bump operations without bump maps, and the program
// cache that the states select from.
#include "FixedFunctionFixture.h"

namespace {

using namespace fixedfunction;

// The inputs of stage 2 in the one-pixel set-up. Stage 0 puts texture X in the temporary
// register, stage 1 makes texture C current, stage 2 runs the operation under test with
// texture T, and stage 3 holds texture U (disabled, but premodulation reads it).
constexpr D3DCOLOR kTemp = 0x593399E6;      // (0.200, 0.600, 0.902, 0.349)
constexpr D3DCOLOR kCurrent = 0xC04080C0;   // (0.251, 0.502, 0.753, 0.753)
constexpr D3DCOLOR kTexel = 0x40996633;     // (0.600, 0.400, 0.200, 0.251)
constexpr D3DCOLOR kDiffuse = 0x99CC3380;   // (0.800, 0.200, 0.502, 0.600)
constexpr D3DCOLOR kFactor = 0xB31AE64D;    // (0.102, 0.902, 0.302, 0.702)
constexpr D3DCOLOR kSpecular = 0xCC4D1A99;  // (0.302, 0.102, 0.600, 0.800)
constexpr D3DCOLOR kConstant = 0x5AB34DE6;  // (0.702, 0.302, 0.902, 0.353)
constexpr D3DCOLOR kNext = 0xE6CC8040;      // (0.800, 0.502, 0.251, 0.902)

constexpr DWORD T = D3DTA_TEXTURE, C = D3DTA_CURRENT, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR, S = D3DTA_SPECULAR,
                M = D3DTA_TEMP, K = D3DTA_CONSTANT, COMP = D3DTA_COMPLEMENT, REP = D3DTA_ALPHAREPLICATE;

struct Inputs {
    Rgba diffuse, current, texel, factor, specular, temp, constant, next;
};

Inputs OnePixelInputs() {
    return Inputs{RgbaOf(kDiffuse), RgbaOf(kCurrent), RgbaOf(kTexel), RgbaOf(kFactor),
                  RgbaOf(kSpecular), RgbaOf(kTemp), RgbaOf(kConstant), RgbaOf(kNext)};
}

float Component(const Rgba& c, int i) {
    return i == 0 ? c.r : (i == 1 ? c.g : (i == 2 ? c.b : c.a));
}

// An argument as the platform reads it: the source, complemented, then alpha replicated.
Rgba Argument(DWORD arg, const Inputs& in) {
    Rgba v{0, 0, 0, 0};
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: v = in.diffuse; break;
    case D3DTA_CURRENT: v = in.current; break;
    case D3DTA_TEXTURE: v = in.texel; break;
    case D3DTA_TFACTOR: v = in.factor; break;
    case D3DTA_SPECULAR: v = in.specular; break;
    case D3DTA_TEMP: v = in.temp; break;
    case D3DTA_CONSTANT: v = in.constant; break;
    default: break;
    }
    if (arg & D3DTA_COMPLEMENT)
        v = Rgba{1 - v.r, 1 - v.g, 1 - v.b, 1 - v.a};
    if (arg & D3DTA_ALPHAREPLICATE)
        v = Rgba{v.a, v.a, v.a, v.a};
    return v;
}

// The platform's formula for component i (3 for alpha) of an operation; for alpha the
// arguments' alpha components are the values.
float Formula(DWORD op, int i, const Rgba& a1, const Rgba& a2, const Rgba& a0, const Inputs& in) {
    const float x1 = Component(a1, i), x2 = Component(a2, i), x0 = Component(a0, i);
    switch (op) {
    case D3DTOP_SELECTARG1: return x1;
    case D3DTOP_SELECTARG2: return x2;
    case D3DTOP_MODULATE: return x1 * x2;
    case D3DTOP_MODULATE2X: return 2 * x1 * x2;
    case D3DTOP_MODULATE4X: return 4 * x1 * x2;
    case D3DTOP_ADD: return x1 + x2;
    case D3DTOP_ADDSIGNED: return x1 + x2 - 0.5f;
    case D3DTOP_ADDSIGNED2X: return 2 * (x1 + x2 - 0.5f);
    case D3DTOP_SUBTRACT: return x1 - x2;
    case D3DTOP_ADDSMOOTH: return x1 + x2 - x1 * x2;
    case D3DTOP_BLENDDIFFUSEALPHA: return x1 * in.diffuse.a + x2 * (1 - in.diffuse.a);
    case D3DTOP_BLENDTEXTUREALPHA: return x1 * in.texel.a + x2 * (1 - in.texel.a);
    case D3DTOP_BLENDFACTORALPHA: return x1 * in.factor.a + x2 * (1 - in.factor.a);
    case D3DTOP_BLENDTEXTUREALPHAPM: return x1 + x2 * (1 - in.texel.a);
    case D3DTOP_BLENDCURRENTALPHA: return x1 * in.current.a + x2 * (1 - in.current.a);
    case D3DTOP_PREMODULATE: return x1 * Component(in.next, i);
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return x1 + a1.a * x2;
    case D3DTOP_MODULATECOLOR_ADDALPHA: return x1 * x2 + a1.a;
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return (1 - a1.a) * x2 + x1;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return (1 - x1) * x2 + a1.a;
    case D3DTOP_DOTPRODUCT3:
        return 4 * ((a1.r - 0.5f) * (a2.r - 0.5f) + (a1.g - 0.5f) * (a2.g - 0.5f) + (a1.b - 0.5f) * (a2.b - 0.5f));
    case D3DTOP_MULTIPLYADD: return x0 + x1 * x2;
    case D3DTOP_LERP: return x0 * x1 + (1 - x0) * x2;
    default: return 0;
    }
}

struct StageSetting {
    DWORD colorOp, colorArg1, colorArg2, colorArg0;
    DWORD alphaOp, alphaArg1, alphaArg2, alphaArg0;
};

// One stage's saturated result.
Rgba StageResult(const StageSetting& s, const Inputs& in) {
    const Rgba c1 = Argument(s.colorArg1, in), c2 = Argument(s.colorArg2, in), c0 = Argument(s.colorArg0, in);
    const Rgba a1 = Argument(s.alphaArg1, in), a2 = Argument(s.alphaArg2, in), a0 = Argument(s.alphaArg0, in);
    Rgba out{Formula(s.colorOp, 0, c1, c2, c0, in), Formula(s.colorOp, 1, c1, c2, c0, in),
             Formula(s.colorOp, 2, c1, c2, c0, in), Formula(s.alphaOp, 3, a1, a2, a0, in)};
    // The dot product goes to all four channels.
    if (s.colorOp == D3DTOP_DOTPRODUCT3)
        out.a = out.r;
    return Rgba{std::clamp(out.r, 0.0f, 1.0f), std::clamp(out.g, 0.0f, 1.0f), std::clamp(out.b, 0.0f, 1.0f),
                std::clamp(out.a, 0.0f, 1.0f)};
}

class D3D9TextureStageTest : public CFixedFunctionTest {
protected:
    void SetStageSetting(DWORD stage, const StageSetting& s) {
        SetColorStage(stage, s.colorOp, s.colorArg1, s.colorArg2, s.colorArg0);
        SetAlphaStage(stage, s.alphaOp, s.alphaArg1, s.alphaArg2, s.alphaArg0);
    }

    // Stages 0 and 1 fill the temporary and current registers; stage 2's texture, constant
    // and the texture factor are the other inputs; stage 3 is off but holds a texture.
    void SetUpOnePixel() {
        const D3DCOLOR textures[4] = {kTemp, kCurrent, kTexel, kNext};
        for (DWORD stage = 0; stage < 4; ++stage)
            ASSERT_EQ(m_device->SetTexture(stage, SolidTexture(textures[stage])), D3D_OK);
        SetColorStage(0, D3DTOP_SELECTARG1, T);
        SetAlphaStage(0, D3DTOP_SELECTARG1, T);
        SetStage(0, D3DTSS_RESULTARG, D3DTA_TEMP);
        SetColorStage(1, D3DTOP_SELECTARG1, T);
        SetAlphaStage(1, D3DTOP_SELECTARG1, T);
        SetStage(2, D3DTSS_CONSTANT, kConstant);
        SetStage(3, D3DTSS_COLOROP, D3DTOP_DISABLE);
        SetRender(D3DRS_TEXTUREFACTOR, kFactor);
    }

    D3DCOLOR DrawAndRead() {
        BeginFrame();
        DrawFullScreen(kDiffuse, kSpecular);
        EndFrame();
        return Pixel(32, 32);
    }
};

TEST_F(D3D9TextureStageTest, EveryOperationMatchesItsFormula) {
    SetUpOnePixel();
    struct Case {
        const char* name;
        DWORD op, arg1, arg2, arg0;
        bool alphaToo;  // the platform offers these as alpha operations too
    };
    const Case cases[] = {
        {"select arg 1", D3DTOP_SELECTARG1, D, C, C, true},
        {"select arg 2", D3DTOP_SELECTARG2, T, S, C, true},
        {"modulate", D3DTOP_MODULATE, T, C, C, true},
        {"modulate 2x", D3DTOP_MODULATE2X, T, D, C, true},
        {"modulate 4x", D3DTOP_MODULATE4X, F, S, C, true},
        {"add", D3DTOP_ADD, T, C, C, true},
        {"add signed", D3DTOP_ADDSIGNED, T, F, C, true},
        {"add signed 2x", D3DTOP_ADDSIGNED2X, D, S, C, true},
        {"subtract", D3DTOP_SUBTRACT, C, T, C, true},
        {"add smooth", D3DTOP_ADDSMOOTH, T, D, C, true},
        {"blend by diffuse alpha", D3DTOP_BLENDDIFFUSEALPHA, T, C, C, true},
        {"blend by texture alpha", D3DTOP_BLENDTEXTUREALPHA, F, C, C, true},
        {"blend by factor alpha", D3DTOP_BLENDFACTORALPHA, T, S, C, true},
        {"blend by premultiplied texture alpha", D3DTOP_BLENDTEXTUREALPHAPM, F, C, C, true},
        {"blend by current alpha", D3DTOP_BLENDCURRENTALPHA, T, D, C, true},
        {"premodulate with the next stage's texture", D3DTOP_PREMODULATE, T, C, C, true},
        {"modulate alpha, add colour", D3DTOP_MODULATEALPHA_ADDCOLOR, T, C, C, false},
        {"modulate colour, add alpha", D3DTOP_MODULATECOLOR_ADDALPHA, T, C, C, false},
        {"modulate inverse alpha, add colour", D3DTOP_MODULATEINVALPHA_ADDCOLOR, F, C, C, false},
        {"modulate inverse colour, add alpha", D3DTOP_MODULATEINVCOLOR_ADDALPHA, T, C, C, false},
        {"dot product, also into alpha", D3DTOP_DOTPRODUCT3, T, C, C, false},
        {"multiply-add", D3DTOP_MULTIPLYADD, T, C, D, true},
        {"lerp by the factor", D3DTOP_LERP, T, C, F, true},
        {"lerp by a replicated texture alpha", D3DTOP_LERP, D, S, T | REP, true},
        {"multiply-add with a complemented third argument", D3DTOP_MULTIPLYADD, T, F, C | COMP, true},
        {"the temporary register", D3DTOP_SELECTARG1, M, C, C, true},
        {"the stage constant", D3DTOP_SELECTARG1, K, C, C, true},
        {"temporary times constant", D3DTOP_MODULATE, M, K, C, true},
        {"complement", D3DTOP_SELECTARG1, T | COMP, C, C, true},
        {"alpha replicate", D3DTOP_SELECTARG1, D | REP, C, C, true},
        {"complement of the replicated specular alpha", D3DTOP_SELECTARG1, S | COMP | REP, C, C, true},
        {"add of complements", D3DTOP_ADD, F | COMP, M | COMP, C, true},
    };
    const Inputs in = OnePixelInputs();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Colour-only operations leave alpha to a plain selection of the texture.
        StageSetting setting{c.op, c.arg1, c.arg2, c.arg0, c.op, c.arg1, c.arg2, c.arg0};
        if (!c.alphaToo)
            setting = StageSetting{c.op, c.arg1, c.arg2, c.arg0, D3DTOP_SELECTARG1, T, C, C};
        SetStageSetting(2, setting);
        const D3DCOLOR expected = ColorOf(StageResult(setting, in));
        EXPECT_TRUE(ColourNear(DrawAndRead(), expected, 2, true));
    }
}

TEST_F(D3D9TextureStageTest, DisabledAlphaOperationPassesTheCurrentAlphaOn) {
    SetUpOnePixel();
    SetColorStage(2, D3DTOP_SELECTARG1, F);
    SetStage(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    const Rgba factor = RgbaOf(kFactor);
    EXPECT_TRUE(ColourNear(DrawAndRead(), ColorOf(Rgba{factor.r, factor.g, factor.b, RgbaOf(kCurrent).a}), 2, true));
}

TEST_F(D3D9TextureStageTest, BumpOperationsWithoutBumpMapsPassCurrentAndScaleTheNextTexel) {
    // No bump-map formats: the perturbation is zero, the bump stage writes nothing, and the
    // luminance a colour texture lacks reads as 1, scaling the next texel by
    // saturate(scale + offset).
    SetUpOnePixel();
    const Rgba current = RgbaOf(kCurrent), next = RgbaOf(kNext);
    struct Case {
        const char* name;
        DWORD op;
        float scale, offset;
        DWORD nextArg;
        Rgba expected;
    };
    const Case cases[] = {
        {"bump map, next stage selects current", D3DTOP_BUMPENVMAP, 0, 0, C, current},
        {"bump map, next stage selects its texel", D3DTOP_BUMPENVMAP, 0, 0, T, next},
        {"luminance 0.5 + 0.25", D3DTOP_BUMPENVMAPLUMINANCE, 0.5f, 0.25f, T,
         Rgba{next.r * 0.75f, next.g * 0.75f, next.b * 0.75f, next.a}},
        {"luminance saturates at 1", D3DTOP_BUMPENVMAPLUMINANCE, 2.0f, 0.0f, T, next},
        {"luminance leaves current alone", D3DTOP_BUMPENVMAPLUMINANCE, 0.5f, 0.0f, C, current},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetColorStage(2, c.op, T);
        SetAlphaStage(2, D3DTOP_SELECTARG1, T);
        SetStageFloat(2, D3DTSS_BUMPENVLSCALE, c.scale);
        SetStageFloat(2, D3DTSS_BUMPENVLOFFSET, c.offset);
        SetColorStage(3, D3DTOP_SELECTARG1, c.nextArg);
        SetAlphaStage(3, D3DTOP_SELECTARG1, c.nextArg);
        EXPECT_TRUE(ColourNear(DrawAndRead(), ColorOf(c.expected), 2, true));
    }
}

TEST_F(D3D9TextureStageTest, CascadesChainSaturatedStageResults) {
    // Each stage's result, saturated, is the next stage's current; the reference runs the
    // same chain on the platform's formulas.
    const D3DCOLOR textures[3] = {0xC0A06040, 0x60C03090, 0x80405060};
    for (DWORD stage = 0; stage < 3; ++stage)
        ASSERT_EQ(m_device->SetTexture(stage, SolidTexture(textures[stage])), D3D_OK);
    SetRender(D3DRS_TEXTUREFACTOR, kFactor);
    struct Case {
        const char* name;
        std::vector<StageSetting> stages;
        DWORD tempStage = 8;  // the stage that writes the temporary register, 8 for none
    };
    const Case cases[] = {
        {"two stages: texture times diffuse, plus texture",
         {{D3DTOP_MODULATE, T, D, C, D3DTOP_MODULATE, T, D, C}, {D3DTOP_ADD, T, C, C, D3DTOP_ADD, T, C, C}}},
        {"three stages: a sum above one, a subtraction, a doubling",
         {{D3DTOP_ADD, T, D, C, D3DTOP_ADD, T, D, C},
          {D3DTOP_SUBTRACT, C, T, C, D3DTOP_SUBTRACT, C, T, C},
          {D3DTOP_MODULATE2X, C, F, C, D3DTOP_MODULATE2X, C, F, C}}},
        {"three stages: a difference below zero, then additions",
         {{D3DTOP_SUBTRACT, D, T, C, D3DTOP_SUBTRACT, T, D, C},
          {D3DTOP_ADD, C, T, C, D3DTOP_ADD, C, T, C},
          {D3DTOP_ADDSIGNED, C, F, C, D3DTOP_ADDSMOOTH, C, F, C}}},
        {"three stages through the temporary register",
         {{D3DTOP_MODULATE, T, D, C, D3DTOP_SELECTARG1, T, C, C},
          {D3DTOP_SELECTARG1, T | COMP, C, C, D3DTOP_SELECTARG1, F, C, C},
          {D3DTOP_LERP, C, M, D | REP, D3DTOP_MULTIPLYADD, C, M, T}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs in{RgbaOf(kDiffuse), RgbaOf(kDiffuse), {}, RgbaOf(kFactor), RgbaOf(kSpecular), {0, 0, 0, 0}, {}, {}};
        for (DWORD stage = 0; stage < 3; ++stage) {
            if (stage < c.stages.size()) {
                SetStageSetting(stage, c.stages[stage]);
                const bool toTemp = stage == c.tempStage;
                SetStage(stage, D3DTSS_RESULTARG, toTemp ? D3DTA_TEMP : D3DTA_CURRENT);
                in.texel = RgbaOf(textures[stage]);
                (toTemp ? in.temp : in.current) = StageResult(c.stages[stage], in);
            } else {
                SetStage(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
            }
        }
        BeginFrame();
        DrawFullScreen(kDiffuse, kSpecular);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), ColorOf(in.current), 2, true));
    }
}

TEST_F(D3D9TextureStageTest, AllEightStagesRun) {
    // Each stage adds its own texel of 16/255 to black: 128 after eight.
    for (DWORD stage = 0; stage < 8; ++stage) {
        ASSERT_EQ(m_device->SetTexture(stage, SolidTexture(0x10101010)), D3D_OK);
        SetColorStage(stage, D3DTOP_ADD, T, C);
        SetAlphaStage(stage, D3DTOP_ADD, T, C);
    }
    for (const DWORD stages : {8u, 5u}) {
        SCOPED_TRACE(::testing::Message() << stages << " stages");
        if (stages < 8)
            SetStage(stages, D3DTSS_COLOROP, D3DTOP_DISABLE);
        BeginFrame();
        DrawFullScreen(0x00000000);
        EndFrame();
        const int value = static_cast<int>(16 * stages);
        const D3DCOLOR expected = (static_cast<DWORD>(value) << 24) | (Rgb(value, value, value) & 0xFFFFFFu);
        EXPECT_TRUE(ColourNear(Pixel(32, 32), expected, 2, true));
    }
}

TEST_F(D3D9TextureStageTest, StageReadingAnUnboundTextureEndsTheCascade) {
    // Stage 0 selects its texture; stage 1 is the stage under test, without a texture
    // unless the case binds one; stage 2 doubles whatever reaches it.
    const D3DCOLOR first = 0xFF406080;
    ASSERT_EQ(m_device->SetTexture(0, SolidTexture(first)), D3D_OK);
    SetColorStage(0, D3DTOP_SELECTARG1, T);
    SetAlphaStage(0, D3DTOP_SELECTARG1, T);
    SetColorStage(2, D3DTOP_MODULATE2X, C, D3DTA_TFACTOR);
    SetAlphaStage(2, D3DTOP_SELECTARG1, C);
    SetRender(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    IDirect3DTexture9* grey = SolidTexture(0xFF202020);
    struct Case {
        const char* name;
        bool bound;
        StageSetting stage1;
        D3DCOLOR expected;
    };
    const D3DCOLOR ended = first;
    const Case cases[] = {
        {"texture as a colour argument", false, {D3DTOP_ADD, T, C, C, D3DTOP_SELECTARG1, C, C, C}, ended},
        {"texture as an alpha argument only", false, {D3DTOP_SELECTARG1, D, C, C, D3DTOP_SELECTARG1, T, C, C}, ended},
        {"blending by the texture's alpha", false, {D3DTOP_BLENDTEXTUREALPHA, D, C, C, D3DTOP_SELECTARG1, C, C, C},
         ended},
        {"texture as the third argument", false, {D3DTOP_LERP, D, C, T, D3DTOP_SELECTARG1, C, C, C}, ended},
        // Not read, so not needed: 2 x diffuse (0x10, 0x20, 0x30).
        {"texture in an argument the operation ignores", false,
         {D3DTOP_SELECTARG1, D, T, C, D3DTOP_SELECTARG2, T, C, C}, Rgb(0x20, 0x40, 0x60)},
        // Bound: 2 x (first + grey).
        {"the texture bound", true, {D3DTOP_ADD, T, C, C, D3DTOP_SELECTARG1, C, C, C}, Rgb(0xC0, 0xFF, 0xFF)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_device->SetTexture(1, c.bound ? grey : nullptr), D3D_OK);
        SetStageSetting(1, c.stage1);
        BeginFrame();
        DrawFullScreen(0xFF102030);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), c.expected));
    }
}

TEST_F(D3D9TextureStageTest, StageZeroWithoutATextureShowsDiffuseAndSpecularIsAddedAfterwards) {
    const D3DCOLOR diffuse = 0xFF405060;
    const D3DCOLOR specular = 0xFF302010;
    for (const BOOL add : {FALSE, TRUE}) {
        SCOPED_TRACE(add ? "specular on" : "specular off");
        SetRender(D3DRS_SPECULARENABLE, add);
        BeginFrame();
        DrawFullScreen(diffuse, specular);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), add ? Rgb(0x70, 0x70, 0x70) : diffuse));
    }
}

TEST_F(D3D9TextureStageTest, ProgramsAreMadeOncePerStateCombination) {
    IDirect3DTexture9* red = SolidTexture(0xFFFF0000);
    IDirect3DTexture9* blue = SolidTexture(0xFF0000FF);
    auto draw = [&] {
        BeginFrame();
        DrawFullScreen(0xFFFFFFFF);
        EndFrame();
    };
    ASSERT_EQ(m_device->SetTexture(0, red), D3D_OK);
    draw();
    const size_t first = winapi::d3d::PipelineProgramCount(m_device);
    EXPECT_GE(first, 1u);
    // Another texture, another factor, another blend: the same code.
    ASSERT_EQ(m_device->SetTexture(0, blue), D3D_OK);
    SetRender(D3DRS_TEXTUREFACTOR, 0xFF123456);
    SetRender(D3DRS_ALPHABLENDENABLE, TRUE);
    draw();
    EXPECT_EQ(winapi::d3d::PipelineProgramCount(m_device), first);
    EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(0, 0, 255)));
    // Another operation: a new program, and the old one again when the operation returns.
    SetColorStage(0, D3DTOP_ADD, T, D3DTA_TFACTOR);
    draw();
    EXPECT_EQ(winapi::d3d::PipelineProgramCount(m_device), first + 1);
    EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(0x12, 0x34, 0xFF)));
    SetColorStage(0, D3DTOP_MODULATE, T, C);
    draw();
    EXPECT_EQ(winapi::d3d::PipelineProgramCount(m_device), first + 1);
    EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(0, 0, 255)));
}

}  // namespace
