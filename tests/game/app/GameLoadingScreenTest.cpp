// The loading screen on the recording device: one frame's calls, the gears turning by a fixed
// angle per frame, a missing texture leaving out only what it draws, and nothing once the
// loading handler has been emptied. A PNG of one frame on the real device, to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "tests/game/app/GameFixture.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/PngWriter.h"
#include "tools/render/RecordingRenderDevice.h"
#include "winapi/d3d9/D3D9TestHooks.h"

namespace {

class GameLoadingScreenTest : public GameTest {
protected:
    // The loading handler on the recording device, at a GUI scale of 2 by 1.5.
    void LoadOnRecordingDevice() {
        m_device = new CRecordingRenderDevice;  // the game deletes it
        m_game->m_pRenderDevice = m_device;
        m_game->m_fGuiScaleX = 2.0f;
        m_game->m_fGuiScaleY = 1.5f;
        m_game->CreateGameObjects();
        m_game->m_pLoadingGfx->Init(m_device);
        ASSERT_EQ(m_game->m_pLoadingGfx->LoadScript(fixture::kLoadingGfxScript, nullptr), 1);
    }

    std::string Handle(const char* name) const {
        const CGfx* gfx = m_game->m_pLoadingGfx->Find(name);
        return gfx && gfx->GetTexture() ? std::to_string(gfx->GetTexture()->m_pTexture->GetHandle()) : "?";
    }

    // The calls of one loading frame.
    std::vector<std::string> DrawFrame() {
        m_device->m_Calls.clear();
        m_game->DrawLoadingScreen();
        return m_device->m_Calls;
    }

    // The angles of the rotated quads of the calls, in order.
    static std::vector<float> Angles(const std::vector<std::string>& calls) {
        std::vector<float> angles;
        for (const std::string& call : calls) {
            float values[5];
            unsigned colour = 0;
            float angle = 0.0f;
            if (sscanf(call.c_str(), "DrawRotatedQuad2D %g %g %g %g %g 0x%x %g", &values[0], &values[1], &values[2],
                       &values[3], &values[4], &colour, &angle) == 7)
                angles.push_back(angle);
        }
        return angles;
    }

    CRecordingRenderDevice* m_device = nullptr;
};

TEST_F(GameLoadingScreenTest, DrawsThePictureAndThreeGearsAndPresents) {
    LoadOnRecordingDevice();
    const std::string picture = Handle(fixture::kLoadingBackground.name);
    const std::string big = Handle(fixture::kBigGear.name);
    const std::string small = Handle(fixture::kSmallGear.name);
    EXPECT_EQ(DrawFrame(), (std::vector<std::string>{
                               "BeginScene",
                               "Clear 3 0x00000000 1 0",
                               "SetRenderState 0 0",
                               "SetTexture 0 " + picture,
                               "DrawQuad2D 512 96 0.5 1024 768 0x0fffffff 0 0 1 1",
                               "SetTexture 0 " + big,
                               "DrawRotatedQuad2D 1024 990 0.5 256 192 0xffffffff 0",
                               "SetRenderState 13 1",
                               "SetRenderState 6 1",
                               "SetRenderState 7 1",
                               "SetTexture 0 " + small,
                               "DrawRotatedQuad2D 842 990 0.5 128 96 0xffffffff 0",
                               "DrawRotatedQuad2D 1206 990 0.5 128 96 0xffffffff 0",
                               "SetRenderState 13 0",
                               "SetRenderState 0 1",
                               "EndScene",
                               "Present",
                           }));
}

TEST_F(GameLoadingScreenTest, EachFrameTurnsTheBigGearByOneDegree) {
    LoadOnRecordingDevice();
    std::vector<float> previous = Angles(DrawFrame());
    ASSERT_EQ(previous.size(), 3u);
    for (int frame = 1; frame < 50; ++frame) {
        const std::vector<float> angles = Angles(DrawFrame());
        ASSERT_EQ(angles.size(), 3u);
        EXPECT_NEAR(angles[0] - previous[0], 0.017453292f, 1e-6f) << "frame " << frame;
        EXPECT_NEAR(angles[1] - previous[1], -0.0319913f, 1e-6f) << "frame " << frame;
        EXPECT_EQ(angles[1], angles[2]) << "both small gears turn together";
        previous = angles;
    }
    EXPECT_NEAR(m_game->m_fBigGearAngle, 50 * 0.017453292f, 1e-5f);
}

TEST_F(GameLoadingScreenTest, AMissingTextureLeavesOutOnlyWhatItDraws) {
    LoadOnRecordingDevice();
    // The lookup of the big gear finds nothing.
    m_game->m_pLoadingGfx->Find(fixture::kBigGear.name)->m_sName = "SOMETHING_ELSE";
    const std::vector<std::string> calls = DrawFrame();
    int quads = 0;
    int rotated = 0;
    for (const std::string& call : calls) {
        quads += call.rfind("DrawQuad2D", 0) == 0;
        rotated += call.rfind("DrawRotatedQuad2D", 0) == 0;
    }
    EXPECT_EQ(quads, 1);
    EXPECT_EQ(rotated, 2);
    EXPECT_EQ(calls.back(), "Present");
}

TEST_F(GameLoadingScreenTest, AnEmptiedLoadingHandlerDrawsNothing) {
    LoadOnRecordingDevice();
    DrawFrame();
    m_game->m_pLoadingGfx->FreeAll();
    EXPECT_TRUE(DrawFrame().empty());
    // Loaded again, its new textures are looked up again.
    ASSERT_EQ(m_game->m_pLoadingGfx->LoadScript(fixture::kLoadingGfxScript, nullptr), 1);
    const std::vector<std::string> calls = DrawFrame();
    EXPECT_EQ(calls[3], "SetTexture 0 " + Handle(fixture::kLoadingBackground.name));
}

TEST_F(GameLoadingScreenTest, WithoutALoadingHandlerNothingIsDrawn) {
    m_device = new CRecordingRenderDevice;
    m_game->m_pRenderDevice = m_device;
    EXPECT_TRUE(DrawFrame().empty());
}

// One frame on the real device, written next to the test program for a person to look at.
TEST_F(GameLoadingScreenTest, WritesAPictureOfOneFrame) {
    ASSERT_TRUE(StartWithGameObjects());
    m_game->m_pLoadingGfx->Init(m_game->m_pRenderDevice);
    ASSERT_EQ(m_game->m_pLoadingGfx->LoadScript(fixture::kLoadingGfxScript, nullptr), 1);
    for (int frame = 0; frame < 30; ++frame)
        m_game->DrawLoadingScreen();
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(winapi::d3d::ReadBackBuffer(Direct3DDevice(), &pixels, &width, &height));
    ASSERT_EQ(width, 1024);
    ASSERT_EQ(height, 768);
    // The picture fills the middle; the corners stay black.
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0u);
    EXPECT_NE(pixels[static_cast<size_t>(300) * 1024 + 512] & 0xFFFFFF, 0u);
    EXPECT_TRUE(WritePng(std::string(LOADING_SCREEN_PNG), pixels, width, height));
}

}  // namespace
