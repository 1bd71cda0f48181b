// Shaders on the Direct3D 9 render device: applying a pass and resetting it leaves the 3D
// layer as it was (but for the blend factors), and a blended and a two-stage shader give the
// right pixels on a model made by the model tool, with textures written by convert.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/ShaderHandler.h"
#include "tests/engine/graphics/ShaderSceneFixture.h"
#include "tests/support/DeviceStates.h"
#include "tests/support/PixelAssertions.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/SceneWindow.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolModel.h"
#include "winapi/d3d9/D3D9.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class ShaderDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_scene.Start(kWidth, kHeight));
        m_gfx.Init(&m_scene.m_Device);
        m_handler.Init(&m_scene.m_Device);
    }

    void Load(const std::string& text) {
        ASSERT_EQ(m_handler.LoadScriptFromMemory(text.data(), text.size(), &m_gfx), 1);
    }

    std::string MakeTexture(const std::string& name, int side, const std::function<uint32_t(int, int)>& texel) {
        const std::string path = m_dir.File(name);
        std::string diagnostics;
        EXPECT_TRUE(WriteTgaWithConvert(path, side, side, texel, &diagnostics)) << diagnostics;
        return path;
    }

    // A board of 6 x 4.5 facing the camera at the origin, its front face at z = -0.1.
    void MakeBoard(CModel* model) {
        std::string error;
        ASSERT_TRUE(MakeToolModel(&m_scene.m_Device, "part box size 6 4.5 0.2\nend\n", model, &error)) << error;
    }

    // Where a point of the board's front face lands, by its texture coordinates.
    void BoardPixel(float u, float v, float* x, float* y) const {
        m_scene.Project(CVector3(-3.0f + 6.0f * u, 2.25f - 4.5f * v, -0.1f), x, y);
    }

    PixelFrame DrawWith(CShader* shader, CModel* model, uint32_t background, double t = 0.0) {
        CRenderDeviceDX9& device = m_scene.m_Device;
        device.Clear(kClearTarget | kClearDepth | kClearStencil, background, 1.0f, 0);
        device.BeginScene();
        device.SetTransform(kTransformWorld, &CMatrix::Identity());
        for (uint32_t i = 0; i < shader->GetPassCount(); ++i) {
            shader->Apply(shader->GetPass(i), &t);
            model->Draw(&device, 0);
            shader->ResetShaderStates(shader->GetPass(i));
        }
        device.EndScene();
        return m_scene.Grab();
    }

    CSceneWindow m_scene;
    TempDir m_dir;
    CGfxHandler m_gfx;
    CShaderHandler m_handler;
};

TEST_F(ShaderDrawTest, ResetPutsTheLayerBackButForTheBlendFactors) {
    const std::string texture = MakeTexture("state.tga", 4, [](int x, int y) { return 0xFF000000u | (x * 60 + y); });
    struct Case {
        const char* name;
        std::string script;
        std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> whileApplied;
    };
    std::string nine = "nine { pass {\r\n";
    for (int i = 0; i < 9; ++i)
        nine += "stage { texture " + texture +
                " address mirror border tcgen 1 tcmod 2 2 0.5 0.1 0.1 colorop add current texture "
                "alphaop modulate texture diffuse }\r\n";
    nine += "} }\r\n";
    const Case cases[] = {
        {"every keyword",
         "all { pass {\r\n blend srcalpha invsrcalpha\r\n fill wireframe\r\n shade flat\r\n lighting off\r\n"
         " stage { texture " + texture + " address clamp mirror tcgen reflection tcmod 1 sin 1 2 0 0.5 0.3 0.1 0.2"
         " colorop modulate2x diffuse tfactor alphaop add texture specular }\r\n"
         " stage { colorop subtract current texture alphaop selectarg2 current diffuse }\r\n"
         " stage { texture " + texture + " tcgen 2 }\r\n"
         "} }\r\n",
         {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_FILLMODE, D3DFILL_WIREFRAME}, {D3DRS_SHADEMODE, D3DSHADE_FLAT},
          {D3DRS_LIGHTING, 0}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}}},
        {"lit, with points", "lit { pass { fill point diffuse sin 1 1 0 0 0.5 0.5 1 power 5 } }\r\n",
         {{D3DRS_FILLMODE, D3DFILL_POINT}, {D3DRS_LIGHTING, 1}}},
        {"more stages than the device has", nine, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_handler.FreeAll();
        Load(c.script);
        ASSERT_EQ(m_handler.m_Shaders.m_nCount, 1);
        CShader* shader = &static_cast<CShaderHandler::CEntry*>(m_handler.m_Shaders.m_pHead->m_data)->shader;
        IDirect3DDevice9* layer = m_scene.m_Device.m_pDevice;
        const DeviceStates before = ReadStates(layer);
        const double t = 0.25;
        shader->Apply(shader->GetPass(0), &t);
        const DeviceStates applied = ReadStates(layer);
        EXPECT_NE(StateDifferences(before, applied), "");
        for (const auto& [state, value] : c.whileApplied)
            EXPECT_EQ(applied.render[state], value) << "render state " << state;
        shader->ResetShaderStates(shader->GetPass(0));
        DeviceStates expected = before;
        expected.render[D3DRS_SRCBLEND] = applied.render[D3DRS_SRCBLEND];
        expected.render[D3DRS_DESTBLEND] = applied.render[D3DRS_DESTBLEND];
        EXPECT_EQ(StateDifferences(expected, ReadStates(layer)), "");
        D3DMATERIAL9 material;
        ASSERT_EQ(layer->GetMaterial(&material), D3D_OK);
        if (shader->GetPass(0)->m_bLighting) {
            EXPECT_EQ(material.Diffuse.r, 1.0f);
            EXPECT_EQ(material.Diffuse.a, 1.0f);
            EXPECT_EQ(material.Ambient.g, 0.0f);
            EXPECT_EQ(material.Power, 1.0f);
        }
    }
}

TEST_F(ShaderDrawTest, ABlendedShaderMixesWithWhatIsBehind) {
    CModel board;
    MakeBoard(&board);
    // No light is on, so the colour is the emissive one and the alpha the diffuse one.
    Load("see { pass { blend srcalpha invsrcalpha diffuse 0 0 0 0.25 emissive 1 0 0 1 } }\r\n"
         "solid { pass { diffuse 0 0 0 1 emissive 0 1 0 1 } }\r\n");
    const PixelFrame blended = DrawWith(m_handler.GetShader("see"), &board, 0xFF0000FF);
    float x, y;
    BoardPixel(0.5f, 0.5f, &x, &y);
    EXPECT_TRUE(ColourNear(blended, x, y, 0x4000BF, 2));  // a quarter red over three quarters blue
    EXPECT_TRUE(ColourNear(blended, 2, 2, 0x0000FF, 0));

    // The reset turned blending off again: an opaque shader drawn next covers the background.
    const PixelFrame solid = DrawWith(m_handler.GetShader("solid"), &board, 0xFF0000FF);
    EXPECT_TRUE(ColourNear(solid, x, y, 0x00FF00, 1));
}

TEST_F(ShaderDrawTest, TwoStagesCombineTheirTexturesAndTheSecondMoves) {
    CModel board;
    MakeBoard(&board);
    const std::string base = MakeTexture("base.tga", 8, [](int, int) { return 0xFFC86400u; });
    // Left half blue, right half green.
    const std::string overlay =
        MakeTexture("overlay.tga", 8, [](int x, int) { return x < 4 ? 0xFF000064u : 0xFF006400u; });
    // Stage 0: the base texture times the material's colour (full red and blue, half green); stage 1
    // adds the overlay, in the second shader moved half a texture to the left and clamped.
    const std::string stages = "stage { texture " + base + " colorop modulate texture current }\r\n";
    Load("still { pass { diffuse 0 0 0 1 emissive 1 0.5 1 1\r\n" + stages + "stage { texture " + overlay +
         " address clamp clamp colorop add texture current } } }\r\n"
         "moved { pass { diffuse 0 0 0 1 emissive 1 0.5 1 1\r\n" +
         stages + "stage { texture " + overlay +
         " address clamp clamp tcmod 1 1 0 0.5 0 colorop add texture current } } }\r\n");
    struct Case {
        const char* shader;
        uint32_t left;
        uint32_t right;
    };
    const Case cases[] = {
        {"still", 0xC83264, 0xC89600},
        {"moved", 0xC89600, 0xC89600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shader);
        const PixelFrame frame = DrawWith(m_handler.GetShader(c.shader), &board, 0xFF202020);
        float x, y;
        BoardPixel(0.15f, 0.5f, &x, &y);
        EXPECT_TRUE(ColourNear(frame, x, y, c.left, 3));
        BoardPixel(0.85f, 0.5f, &x, &y);
        EXPECT_TRUE(ColourNear(frame, x, y, c.right, 3));
    }
}

}  // namespace
