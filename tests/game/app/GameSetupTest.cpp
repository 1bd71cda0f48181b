// The application's graphics and sound set-up on the fixture game root, on the real window,
// Direct3D 9 device and OpenAL device: the log lines of each step, the step that stops at a
// missing file, the graphics settings on the device (again after a reset), the scene camera,
// the display-mode list and the system pointer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/Camera.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/platform/InputDevice.h"
#include "engine/platform/Viewport.h"
#include "tests/game/app/GameFixture.h"
#include "tests/support/FixtureGameRoot.h"
#include "winapi/d3d9/D3D9.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

const char* const kGfxLog =
    "\t\tInit GUI Gfx Handler\t\tOK\n"
    "\t\tLoading GUI Gfx Script\t\tOK\n"
    "\t\tInit Gfx Handler\t\tOK\n"
    "\t\tLoading Gfx Script\t\tOK\n"
    "\t\tInit Shader Handler\t\tOK\n"
    "\t\tLoading Shader Script\t\tOK\n";
const char* const kSoundLog =
    "\t\tInit Sound FX Handler\t\tOK\n"
    "\t\tInit Sound FX Script\t\tOK\n";

using GameSetupTest = GameTest;

TEST_F(GameSetupTest, LoadsGraphicsAndSoundWithTheLogLinesInOrder) {
    ASSERT_TRUE(StartWithGameObjects());
    const size_t start = ReadText(kLogFile).size();
    ASSERT_EQ(m_game->InitGfx(), 1);
    ASSERT_EQ(m_game->InitSound(), 1);
    EXPECT_EQ(StepLinesFrom(start), std::string(kGfxLog) + kSoundLog);

    EXPECT_EQ(m_game->m_pMenuFont, m_game->m_pGuiGfx->Find(fixture::kMenuFont.name));
    EXPECT_NE(m_game->m_pMenuFont, nullptr);
    EXPECT_NE(m_game->m_pMenuFontTexture, nullptr);
    EXPECT_NE(m_game->m_pPointerTexture, nullptr);
    EXPECT_EQ(m_game->m_pGuiGfx->m_pfnProgress, &CGame::LoadingProgress);
    EXPECT_EQ(m_game->m_pGameGfx->m_pProgressArgument, m_game.get());

    // The scene camera looks from the eye point at the origin, and the device knows it.
    const CCamera* camera = m_game->m_pCamera;
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(m_game->m_pRenderDevice->m_pCamera, camera);
    EXPECT_FLOAT_EQ(camera->m_vPosition.z, -12.8f);
    EXPECT_FLOAT_EQ(camera->m_vTarget.x, 0.0f);
    EXPECT_FLOAT_EQ(camera->m_vTarget.z, 0.0f);
    EXPECT_FLOAT_EQ(camera->m_fFieldOfView, 0.5235988f);
    EXPECT_FLOAT_EQ(camera->m_fFar, 1000.0f);
}

// Each case takes one file away; the set-up logs that step's failure and goes no further.
struct MissingFile {
    const char* name;
    const char* file;
    bool sound;
    const char* log;

    friend void PrintTo(const MissingFile& c, std::ostream* out) { *out << c.name; }
};

class GameSetupFailureTest : public GameTest, public ::testing::WithParamInterface<MissingFile> {};

TEST_P(GameSetupFailureTest, StopsAtTheStepThatFailsWithItsLogLine) {
    const MissingFile& c = GetParam();
    ASSERT_EQ(std::remove(m_root.File(c.file).c_str()), 0);
    ASSERT_TRUE(StartWithGameObjects());
    const size_t start = ReadText(kLogFile).size();
    if (c.sound) {
        ASSERT_EQ(m_game->InitGfx(), 1);
        EXPECT_EQ(m_game->InitSound(), 0);
        EXPECT_EQ(StepLinesFrom(start), std::string(kGfxLog) + c.log);
    } else {
        EXPECT_EQ(m_game->InitGfx(), 0);
        EXPECT_EQ(StepLinesFrom(start), c.log);
        EXPECT_EQ(m_game->m_pCamera, nullptr) << "nothing after the failing step";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, GameSetupFailureTest,
    ::testing::Values(
        MissingFile{"InterfaceFont", fixture::kMenuFont.file, false,
                    "\t\tInit GUI Gfx Handler\t\tOK\n\t\tLoading GUI Gfx Script\t\tFAILED\n"},
        MissingFile{"GameModel", fixture::kGameModel.file, false,
                    "\t\tInit GUI Gfx Handler\t\tOK\n\t\tLoading GUI Gfx Script\t\tOK\n"
                    "\t\tInit Gfx Handler\t\tOK\n\t\tLoading Gfx Script\t\tFAILED\n"},
        MissingFile{"ShaderScript", fixture::kShaderScript, false,
                    "\t\tInit GUI Gfx Handler\t\tOK\n\t\tLoading GUI Gfx Script\t\tOK\n"
                    "\t\tInit Gfx Handler\t\tOK\n\t\tLoading Gfx Script\t\tOK\n"
                    "\t\tInit Shader Handler\t\tOK\n\t\tLoading Shader Script\t\tFAILED\n"},
        MissingFile{"SoundFile", fixture::kSound.file, true,
                    "\t\tInit Sound FX Handler\t\tOK\n\t\tInit Sound FX Script\t\tFAILED\n"}),
    [](const ::testing::TestParamInfo<MissingFile>& info) { return info.param.name; });

// What a "TextureFilter" value puts on every sampler: minification, magnification, mip.
struct FilterCase {
    uint32_t setting;
    DWORD min;
    DWORD mag;
    DWORD mip;
};

std::vector<DWORD> Samplers(IDirect3DDevice9* device, D3DSAMPLERSTATETYPE state) {
    std::vector<DWORD> values;
    for (DWORD stage = 0; stage < 8; ++stage) {
        DWORD value = 0xDEAD;
        device->GetSamplerState(stage, state, &value);
        values.push_back(value);
    }
    return values;
}

// The device holds the game's light, material, specular switch, filters and anisotropy.
void ExpectGfxSettings(IDirect3DDevice9* device, const FilterCase& filter) {
    const std::vector<DWORD> eight(8, 0);
    EXPECT_EQ(Samplers(device, D3DSAMP_MINFILTER), std::vector<DWORD>(8, filter.min));
    EXPECT_EQ(Samplers(device, D3DSAMP_MAGFILTER), std::vector<DWORD>(8, filter.mag));
    EXPECT_EQ(Samplers(device, D3DSAMP_MIPFILTER), std::vector<DWORD>(8, filter.mip));
    EXPECT_EQ(Samplers(device, D3DSAMP_MAXANISOTROPY), std::vector<DWORD>(8, 4));
    std::vector<DWORD> coordinates;
    for (DWORD stage = 0; stage < 8; ++stage) {
        DWORD value = 0xDEAD;
        device->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &value);
        coordinates.push_back(value);
    }
    EXPECT_EQ(coordinates, eight);
    EXPECT_GE(winapi::d3d::MaxAnisotropy(device), 4.0f) << "the driver can filter that far";

    BOOL enabled = FALSE;
    device->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
    D3DLIGHT9 light = {};
    device->GetLight(0, &light);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    const float length = std::sqrt(0.4f * 0.4f + 0.25f + 1.0f);
    EXPECT_FLOAT_EQ(light.Direction.x, 0.4f / length);
    EXPECT_FLOAT_EQ(light.Direction.y, -0.5f / length);
    EXPECT_FLOAT_EQ(light.Direction.z, 1.0f / length);
    EXPECT_FLOAT_EQ(light.Diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(light.Attenuation0, 1.0f);

    D3DMATERIAL9 material = {};
    device->GetMaterial(&material);
    EXPECT_FLOAT_EQ(material.Ambient.r, 128 * 0.003921569f);
    EXPECT_FLOAT_EQ(material.Ambient.a, 1.0f);
    EXPECT_FLOAT_EQ(material.Emissive.r, 0.0f);
    EXPECT_FLOAT_EQ(material.Emissive.a, 1.0f);
    EXPECT_FLOAT_EQ(material.Power, 32.0f);
    DWORD specular = 0;
    device->GetRenderState(D3DRS_SPECULARENABLE, &specular);
    EXPECT_EQ(specular, 1u);
}

class GameFilterTest : public GameTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(GameFilterTest, PutsTheSettingsOnTheDeviceAndAgainAfterAReset) {
    const FilterCase& c = GetParam();
    ASSERT_TRUE(StartWithGameObjects());
    IDirect3DDevice9* device = Direct3DDevice();
    ASSERT_NE(device, nullptr);
    m_game->m_nTextureFilter = 1;
    ASSERT_EQ(m_game->InitGfx(), 1);
    m_game->m_nTextureFilter = c.setting;
    m_game->ApplyGfxSettings();
    ExpectGfxSettings(device, c);

    // A lost device comes back with its defaults; the reset puts the settings on it again.
    // A setting other than 0 to 2 keeps the device's own filters then.
    winapi::d3d::LoseDevice(device);
    m_game->Frame();
    m_game->Frame();
    ASSERT_EQ(m_game->m_bDeviceAvailable, 1);
    if (c.setting < 3) {
        ExpectGfxSettings(device, c);
    } else {
        EXPECT_EQ(Samplers(device, D3DSAMP_MAXANISOTROPY), std::vector<DWORD>(8, 4));
        EXPECT_EQ(Samplers(device, D3DSAMP_MINFILTER), std::vector<DWORD>(8, D3DTEXF_POINT));
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, GameFilterTest,
                         ::testing::Values(FilterCase{0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT},
                                           FilterCase{1, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR},
                                           FilterCase{2, D3DTEXF_ANISOTROPIC, D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR},
                                           // Unchanged: what the set-up's setting 1 left.
                                           FilterCase{3, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR}),
                         [](const ::testing::TestParamInfo<FilterCase>& info) {
                             return "TextureFilter" + std::to_string(info.param.setting);
                         });

TEST_F(GameSetupTest, ALostDeviceStopsTheElapsedTimeUntilTheNextFrame) {
    m_game->m_bUseElapsedTime = 1;
    m_game->OnDeviceLost();
    EXPECT_EQ(m_game->m_bUseElapsedTime, 0);
}

D3DDISPLAYMODE Mode(UINT width, UINT height, UINT refresh) {
    return {width, height, refresh, D3DFMT_X8R8G8B8};
}

TEST_F(GameSetupTest, DisplayModesAreTheDistinctResolutionsHeightFirst) {
    winapi::d3d::SetAdapterModes({Mode(640, 480, 60), Mode(640, 480, 75), Mode(800, 600, 60), Mode(1024, 768, 60),
                                  Mode(800, 600, 85)});
    ASSERT_TRUE(StartEngine());
    m_game->CollectDisplayModes();
    std::vector<std::pair<int, int>> nodes;
    for (auto* node = m_game->m_pDisplayModes->m_pHead; node; node = node->m_pNext)
        nodes.emplace_back(node->m_data.m_nType, node->m_data.m_nParam);
    EXPECT_EQ(nodes, (std::vector<std::pair<int, int>>{{480, 640}, {600, 800}, {768, 1024}}));
}

TEST_F(GameSetupTest, TheSystemPointerHidesOnlyOverTheWindowWithTheSoftwareCursor) {
    ASSERT_TRUE(StartEngine());
    winapi::ForceActiveWindow(1);
    struct Case {
        int softwareCursor;
        int x;
        int y;
        int hidden;
    };
    const Case cases[] = {
        {1, 100, 100, 1},
        {1, 1023, 767, 1},
        {1, 1024, 100, 0},
        {1, -5, 10, 0},
        {0, 100, 100, 0},
        {0, -5, 10, 0},
    };
    double time = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.softwareCursor << " at " << c.x << ", " << c.y);
        winapi::InjectMouseMotion(c.x, c.y, 1, 1);
        while (m_game->m_pViewport->ProcessMessages()) {
        }
        m_game->m_pInputDevice->Update(time);
        time += 1.0;
        m_game->m_nSoftwareCursor = c.softwareCursor;
        EXPECT_EQ(m_game->UpdateCursor(), c.hidden);
        EXPECT_EQ(winapi::IsCursorVisible(), !c.hidden);
    }
}

}  // namespace
