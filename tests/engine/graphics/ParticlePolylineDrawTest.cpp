// Particle systems and polylines on the Direct3D 9 device's pixels under the game's camera:
// where the quads and ribbons land, which way they wind, and which way up their textures lie.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/Camera.h"
#include "engine/graphics/ParticleConeEmitter.h"
#include "engine/graphics/Polyline.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/PixelFrame.h"
#include "winapi/d3d9/D3D9TestHooks.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr uint32_t kBackground = 0xFF203040;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF20C040;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// The game's camera: 30 degrees field of view, aspect 4:3, eye 12.8 in front of the origin.
constexpr float kEyeDistance = 12.8f;
constexpr float kAspect = 1.3333334f;
constexpr float kCotHalfFov = 3.7320508f;  // cot(15 degrees)

// Where a point of the z = 0 plane lands on the window.
float ScreenX(float x) {
    return kWidth / 2.0f + x * (kCotHalfFov / kAspect) / kEyeDistance * (kWidth / 2.0f);
}
float ScreenY(float y) {
    return kHeight / 2.0f - y * kCotHalfFov / kEyeDistance * (kHeight / 2.0f);
}

using Frame = PixelFrame;

// Inside [left, right) x [top, bottom) (by `margin`) pixels are `inside` (or, when given, the
// top half `inside` and the bottom half `lower`); outside it (by `margin`) the background.
::testing::AssertionResult Covers(const Frame& frame, float left, float top, float right, float bottom,
                                  uint32_t inside, uint32_t lower, float margin = 1.0f) {
    int wrong = 0;
    std::string first;
    const float middle = (top + bottom) / 2.0f;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            const bool in = px > left + margin && px < right - margin && py > top + margin && py < bottom - margin &&
                            std::fabs(py - middle) > margin;
            const bool out = px < left - margin || px > right + margin || py < top - margin || py > bottom + margin;
            uint32_t expected = 0;
            if (in)
                expected = py < middle ? inside : lower;
            else if (out)
                expected = kBackground;
            else
                continue;
            if (frame.At(x, y) != (expected & 0xFFFFFF) && wrong++ == 0)
                first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + HexRgb(frame.At(x, y)) +
                        ", expected " + HexRgb(expected);
        }
    }
    if (wrong == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels wrong; " << first;
}

class ParticlePolylineDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_viewport.Create(nullptr, kWidth, kHeight, 0), 1);
        ASSERT_EQ(m_device.Init(&m_viewport, kWidth, kHeight, 32, 0, 0, 0, 64, 256, 64, nullptr, 0), 1);
        m_camera.Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.1f, 1000.0f, 40.0f, 0.5235988f, kAspect, 0);
        m_camera.SetEye(CVector3(0.0f, 0.0f, -kEyeDistance));
        m_camera.SetTarget(CVector3(0.0f, 0.0f, 0.0f));
        ASSERT_EQ(m_camera.Apply(&m_device), 1);
        const CMatrix identity = CMatrix::Identity();
        m_device.SetTransform(kTransformWorld, &identity);
        m_device.SetRenderState(kRenderLighting, 0);
    }

    void TearDown() override {
        m_texture.reset();
        m_device.Shutdown();
        m_viewport.Close();
    }

    Frame Render(const std::function<void()>& draw) {
        m_device.Clear(kClearTarget | kClearDepth, kBackground, 1.0f, 0);
        m_device.BeginScene();
        draw();
        m_device.EndScene();
        Frame frame;
        EXPECT_TRUE(winapi::d3d::ReadBackBuffer(m_device.m_pDevice, &frame.pixels, &frame.width, &frame.height));
        if (frame.pixels.size() != static_cast<size_t>(kWidth) * kHeight) {
            frame.pixels.assign(static_cast<size_t>(kWidth) * kHeight, 0);
            frame.width = kWidth;
            frame.height = kHeight;
        }
        return frame;
    }

    // 2 x 2 texels, the top row red and the bottom row blue, sampled without filtering.
    void BindTwoRowTexture() {
        m_texture = std::make_unique<CTexture2D>();
        ASSERT_EQ(m_texture->Create(2, 2, 1, kFormatA8R8G8B8, 0, 0, &m_device), 1);
        uint8_t* pixels = nullptr;
        ASSERT_EQ(m_texture->Lock(&pixels), 1);
        const uint32_t texels[4] = {kRed, kRed, kBlue, kBlue};
        for (int i = 0; i < 4; ++i) {
            pixels[4 * i] = static_cast<uint8_t>(texels[i] >> 16);
            pixels[4 * i + 1] = static_cast<uint8_t>(texels[i] >> 8);
            pixels[4 * i + 2] = static_cast<uint8_t>(texels[i]);
            pixels[4 * i + 3] = 255;
        }
        ASSERT_EQ(m_texture->Unlock(1), 1);
        m_device.SetTextureStageState(0, kStageMinFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMagFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMipFilter, kFilterNone);
        m_device.SetTexture(0, m_texture.get());
    }

    // One particle of `size` at `position`, in `colour`.
    static void OneParticle(CParticleConeEmitter* system, const CVector3& position, float size, uint32_t colour) {
        ASSERT_EQ(system->Init(4, 1), 1);
        system->m_pParticles[0] = CParticle{position, CParticleSystem::PackColor(colour), size, {0, 0, 0}, 1.0};
        system->m_nLive = 1;
    }

    CViewportWin32 m_viewport;
    CRenderDeviceDX9 m_device;
    CCamera m_camera;
    std::unique_ptr<CTexture2D> m_texture;
};

TEST_F(ParticlePolylineDrawTest, ParticleQuadsShowWithCullingOff) {
    CParticleConeEmitter system;
    OneParticle(&system, CVector3(1.0f, -0.5f, 0.0f), 0.75f, kGreen);
    // A 2 x 1.5 quad at size 0.75: x 1 +- 0.75, y -0.5 +- 0.5625.
    const float left = ScreenX(0.25f);
    const float right = ScreenX(1.75f);
    const float top = ScreenY(0.0625f);
    const float bottom = ScreenY(-1.0625f);
    struct Case {
        const char* name;
        uint32_t cull;
        bool shown;
    };
    // The quads wind counter-clockwise as the game's camera sees them.
    const Case cases[] = {{"culling off", kCullNone, true},
                          {"counter-clockwise culled", kCullCounterClockwise, false},
                          {"clockwise culled", kCullClockwise, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int result = 0;
        const Frame frame = Render([&] {
            m_device.SetRenderState(kRenderCullMode, c.cull);
            result = system.Render(&m_device, 2.0f, 1.5f, &m_camera);
            m_device.SetRenderState(kRenderCullMode, kCullCounterClockwise);
        });
        EXPECT_EQ(result, 1);
        if (c.shown)
            EXPECT_TRUE(Covers(frame, left, top, right, bottom, kGreen, kGreen));
        else
            EXPECT_TRUE(Covers(frame, 0.0f, 0.0f, 0.0f, 0.0f, kBackground, kBackground)) << "nothing drawn";
    }
}

TEST_F(ParticlePolylineDrawTest, ParticleTexturesRunBottomUp) {
    BindTwoRowTexture();
    CParticleConeEmitter system;
    OneParticle(&system, CVector3(0.0f, 0.0f, 0.0f), 1.0f, kWhite);
    const Frame frame = Render([&] {
        m_device.SetRenderState(kRenderCullMode, kCullNone);
        EXPECT_EQ(system.Render(&m_device, 3.0f, 3.0f, &m_camera), 1);
        m_device.SetRenderState(kRenderCullMode, kCullCounterClockwise);
    });
    // v 0 at the quad's bottom: the texture's top row shows below.
    EXPECT_TRUE(Covers(frame, ScreenX(-1.5f), ScreenY(1.5f), ScreenX(1.5f), ScreenY(-1.5f), kBlue, kRed));
}

TEST_F(ParticlePolylineDrawTest, PolylineRibbonShowsWithTheDefaultCulling) {
    CPolyline line;
    const int first = line.m_Points.AddPoints(3);
    line.m_Points.m_pPoints[first] = CVector3(-3.0f, 0.5f, 0.0f);
    line.m_Points.m_pPoints[first + 1] = CVector3(0.5f, 0.5f, 0.0f);
    line.m_Points.m_pPoints[first + 2] = CVector3(3.0f, 0.5f, 0.0f);
    int result = 0;
    const Frame frame = Render([&] { result = line.Draw(&m_device, &m_camera.m_vPosition, 1.2f, kGreen); });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Covers(frame, ScreenX(-3.0f), ScreenY(1.1f), ScreenX(3.0f), ScreenY(-0.1f), kGreen, kGreen));
}

TEST_F(ParticlePolylineDrawTest, PolylineTexturesRunFromTheRightSideToTheLeft) {
    BindTwoRowTexture();
    CPolyline line;
    const int first = line.m_Points.AddPoints(2);
    line.m_Points.m_pPoints[first] = CVector3(-2.0f, 0.0f, 0.0f);
    line.m_Points.m_pPoints[first + 1] = CVector3(2.0f, 0.0f, 0.0f);
    const Frame frame = Render([&] { EXPECT_EQ(line.Draw(&m_device, &m_camera.m_vPosition, 2.0f, kWhite), 1); });
    // Going right, v 0 is on the left of the path (above) and v 1 on its right (below).
    EXPECT_TRUE(Covers(frame, ScreenX(-2.0f), ScreenY(1.0f), ScreenX(2.0f), ScreenY(-1.0f), kRed, kBlue));
}

TEST_F(ParticlePolylineDrawTest, ClosedBeltLeavesItsMiddleEmpty) {
    CPolyline belt;
    const CVector3 corners[4] = {{-2, -1.5f, 0}, {2, -1.5f, 0}, {2, 1.5f, 0}, {-2, 1.5f, 0}};
    const int first = belt.m_Points.AddPoints(4);
    for (int i = 0; i < 4; ++i)
        belt.m_Points.m_pPoints[first + i] = corners[i];
    belt.m_bClosed = 1;
    const Frame frame = Render([&] { EXPECT_EQ(belt.Draw(&m_device, &m_camera.m_vPosition, 0.4f, kGreen), 1); });
    // The middle of every side is covered, the middle of the loop and the far outside are not.
    const float sides[4][2] = {{0, -1.5f}, {2, 0}, {0, 1.5f}, {-2, 0}};
    for (const auto& side : sides)
        EXPECT_EQ(frame.At(static_cast<int>(ScreenX(side[0])), static_cast<int>(ScreenY(side[1]))), kGreen & 0xFFFFFF)
            << "side at (" << side[0] << ", " << side[1] << ")";
    EXPECT_EQ(frame.At(static_cast<int>(ScreenX(0)), static_cast<int>(ScreenY(0))), kBackground & 0xFFFFFF);
    EXPECT_EQ(frame.At(static_cast<int>(ScreenX(0)), static_cast<int>(ScreenY(-2.2f))), kBackground & 0xFFFFFF);
}

}  // namespace
