// A tool-made box drawn through the Direct3D 9 render device with the game's camera and the
// device's default light and culling: its front face must face the camera (not culled), be
// lit (its normal outward) and show the texture's top-left texel at its top-left corner.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/Camera.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "engine/platform/ViewportWin32.h"
#include "tools/model/ModelBuilder.h"
#include "winapi/d3d9/D3D9TestHooks.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr uint32_t kClearColour = 0xFF203040;

class ModelToolRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_window.Create(nullptr, kWidth, kHeight, 0), 1);
        ASSERT_EQ(m_device.Init(&m_window, kWidth, kHeight, 32, 0, 0, 0, 1024, 256, 64, nullptr, 0), 1);
        // The game's camera, 12.8 in front of the board.
        m_camera.Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.1f, 1000.0f, 40.0f, 0.5235988f,
                       static_cast<float>(kWidth) / kHeight, 0);
        m_camera.SetEye(CVector3(0.0f, 0.0f, -12.8f));
        m_camera.SetTarget(CVector3(0.0f, 0.0f, 0.0f));
    }

    void TearDown() override {
        m_model.Free();
        m_texture.reset();
        m_device.Shutdown();
        m_window.Close();
    }

    // Red in the top-left texel, blue in the three others.
    void MakeTexture() {
        m_texture = std::make_unique<CTexture2D>();
        ASSERT_EQ(m_texture->Create(2, 2, 1, kFormatA8R8G8B8, 0, 0, &m_device), 1);
        uint8_t* pixels = nullptr;
        ASSERT_EQ(m_texture->Lock(&pixels), 1);
        const uint8_t texels[4][4] = {{255, 0, 0, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}};
        memcpy(pixels, texels, sizeof texels);
        ASSERT_EQ(m_texture->Unlock(1), 1);
    }

    std::vector<uint32_t> Draw(uint32_t cullMode) {
        m_device.Clear(kClearTarget | kClearDepth, kClearColour, 1.0f, 0);
        m_device.BeginScene();
        m_camera.Apply(&m_device);
        m_device.SetTransform(kTransformWorld, &CMatrix::Identity());
        if (cullMode != kCullCounterClockwise)
            m_device.SetRenderState(kRenderCullMode, cullMode);
        CMaterial material{};
        material.Diffuse = CColorValue{1.0f, 1.0f, 1.0f, 1.0f};
        m_device.SetMaterial(&material);
        m_device.SetRenderState(kRenderLighting, 1);
        // The device's default light: white, shining along +z, away from the camera.
        m_device.SetLight(0, &m_device.m_Lights[0]);
        m_device.LightEnable(0, 1);
        m_device.SetTexture(0, m_texture.get());
        m_device.SetTextureStageState(0, kStageMagFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMinFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMipFilter, kFilterNone);
        EXPECT_EQ(m_model.Draw(&m_device, 0), 1);
        m_device.EndScene();
        std::vector<uint32_t> pixels;
        int width = 0;
        int height = 0;
        EXPECT_TRUE(winapi::d3d::ReadBackBuffer(m_device.m_pDevice, &pixels, &width, &height));
        EXPECT_EQ(width, kWidth);
        EXPECT_EQ(height, kHeight);
        m_device.Present();
        return pixels;
    }

    CViewportWin32 m_window;
    CRenderDeviceDX9 m_device;
    CCamera m_camera;
    CModel m_model;
    std::unique_ptr<CTexture2D> m_texture;
};

uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFF;
}

TEST_F(ModelToolRenderTest, TheFrontFaceFacesTheCameraLitAndMappedFromTheTopLeft) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(MakeModelFromText("part box size 4 4 1\nend\n", &bytes, &error)) << error;
    ASSERT_EQ(m_model.LoadFromMemory(&m_device, bytes.data(), bytes.size()), 1);
    MakeTexture();

    // The box spans about 4 / 6.9 of the view's height round the centre.
    const std::vector<uint32_t> front = Draw(kCullCounterClockwise);
    EXPECT_EQ(At(front, kWidth / 2 - 15, kHeight / 2 - 15), 0xFF0000u) << "the top-left quarter is red, lit";
    EXPECT_EQ(At(front, kWidth / 2 + 15, kHeight / 2 - 15), 0x0000FFu);
    EXPECT_EQ(At(front, kWidth / 2 - 15, kHeight / 2 + 15), 0x0000FFu);
    EXPECT_EQ(At(front, kWidth / 2 + 15, kHeight / 2 + 15), 0x0000FFu);
    EXPECT_EQ(At(front, 2, 2), kClearColour & 0xFFFFFF);

    // Culling the clockwise faces takes the front away: what is left is the inside of the
    // back face, turned away from the light.
    const std::vector<uint32_t> culled = Draw(kCullClockwise);
    EXPECT_EQ(At(culled, kWidth / 2 - 15, kHeight / 2 - 15), 0x000000u);
}

}  // namespace
