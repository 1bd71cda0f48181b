// The Direct3D 9 device's immediate drawing operations, checked on the back buffer's pixels:
// 2D quads and rotated quads, billboards, wire boxes, spheres and axes, the grid mesh, and the
// refusals when a pool is missing or too small.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "engine/graphics/Camera.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/PixelFrame.h"
#include "winapi/d3d9/D3D9TestHooks.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr uint32_t kBackground = 0xFF203040;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr float kPi = std::numbers::pi_v<float>;

// The game's camera: 30 degrees field of view, aspect 4:3, eye 12.8 in front of the origin.
constexpr float kFieldOfView = 0.5235988f;
constexpr float kAspect = 1.3333334f;
constexpr float kEyeDistance = 12.8f;
constexpr float kCotHalfFov = 3.7320508f;  // cot(15 degrees)

void SetUpGameCamera(CCamera* camera) {
    camera->Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.1f, 1000.0f, 40.0f, kFieldOfView, kAspect, 0);
    camera->SetEye(CVector3(0.0f, 0.0f, -kEyeDistance));
    camera->SetTarget(CVector3(0.0f, 0.0f, 0.0f));
}

// Where a point given in the view's space lands on the 160 x 120 window under the game's
// projection: x scaled by cot(15) / aspect, y by cot(15), both divided by the depth.
float ScreenX(float x, float depth) {
    return kWidth / 2.0f + x * (kCotHalfFov / kAspect) / depth * (kWidth / 2.0f);
}
float ScreenY(float y, float depth) {
    return kHeight / 2.0f - y * kCotHalfFov / depth * (kHeight / 2.0f);
}
// The same for a world point seen by the game's camera (view = world moved by the eye distance).
float WorldScreenX(const CVector3& p) {
    return ScreenX(p.x, p.z + kEyeDistance);
}
float WorldScreenY(const CVector3& p) {
    return ScreenY(p.y, p.z + kEyeDistance);
}

// A read-back frame; colours compared without alpha (the back buffer has none).
struct Frame : PixelFrame {
    int CountNot(uint32_t colour) const {
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                count += At(x, y) != (colour & 0xFFFFFF) ? 1 : 0;
        return count;
    }
};

// Whether a pixel within `radius` of (x, y) has the colour (lines fall on either side of a
// pixel boundary).
::testing::AssertionResult ColourNear(const Frame& frame, float x, float y, uint32_t colour, int radius = 1) {
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (frame.Contains(cx + dx, cy + dy) && frame.At(cx + dx, cy + dy) == (colour & 0xFFFFFF))
                return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no " << HexRgb(colour) << " near (" << x << ", " << y << "); pixel there is "
                                         << (frame.Contains(cx, cy) ? HexRgb(frame.At(cx, cy)) : "outside");
}

::testing::AssertionResult ColourAt(const Frame& frame, int x, int y, uint32_t colour) {
    if (!frame.Contains(x, y))
        return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is outside the frame";
    if (frame.At(x, y) == (colour & 0xFFFFFF))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << HexRgb(frame.At(x, y))
                                         << ", expected " << HexRgb(colour);
}

// Every pixel whose centre lies at least `margin` inside [left, right) x [top, bottom) has the
// colour, and every pixel at least `margin` outside it shows the background.
::testing::AssertionResult CoversRect(const Frame& frame, float left, float top, float right, float bottom,
                                      uint32_t colour, float margin) {
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            const bool inside = px > left + margin && px < right - margin && py > top + margin && py < bottom - margin;
            const bool outside = px < left - margin || px > right + margin || py < top - margin || py > bottom + margin;
            if (inside && frame.At(x, y) != (colour & 0xFFFFFF))
                return ::testing::AssertionFailure() << "inside pixel (" << x << ", " << y << ") is "
                                                     << HexRgb(frame.At(x, y)) << ", expected " << HexRgb(colour);
            if (outside && frame.At(x, y) != (kBackground & 0xFFFFFF))
                return ::testing::AssertionFailure() << "outside pixel (" << x << ", " << y << ") is "
                                                     << HexRgb(frame.At(x, y)) << ", expected the background";
        }
    }
    return ::testing::AssertionSuccess();
}

class ImmediateDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_viewport.Create(nullptr, kWidth, kHeight, 0), 1);
        ASSERT_TRUE(StartDevice(256, 256, 64));
    }

    void TearDown() override {
        m_textures.clear();
        m_device.Shutdown();
        m_viewport.Close();
    }

    // (Re)starts the device with these pool sizes in vertices.
    bool StartDevice(uint32_t pnt1Count, uint32_t pct2Count, uint32_t prc2t1Count) {
        m_textures.clear();
        return m_device.Init(&m_viewport, kWidth, kHeight, 32, 0, 0, 0, pnt1Count, pct2Count, prc2t1Count, nullptr,
                             0) == 1 &&
               m_device.m_Viewport.Width == static_cast<uint32_t>(kWidth) &&
               m_device.m_Viewport.Height == static_cast<uint32_t>(kHeight);
    }

    void ApplyGameCamera() {
        SetUpGameCamera(&m_camera);
        ASSERT_EQ(m_camera.Apply(&m_device), 1);
    }

    Frame Render(const std::function<void()>& draw) {
        m_device.Clear(kClearTarget | kClearDepth, kBackground, 1.0f, 0);
        m_device.BeginScene();
        draw();
        m_device.EndScene();
        Frame frame;
        EXPECT_TRUE(winapi::d3d::ReadBackBuffer(m_device.m_pDevice, &frame.pixels, &frame.width, &frame.height));
        EXPECT_EQ(frame.width, kWidth);
        EXPECT_EQ(frame.height, kHeight);
        if (frame.pixels.size() != static_cast<size_t>(kWidth) * kHeight) {
            frame.pixels.assign(static_cast<size_t>(kWidth) * kHeight, 0);
            frame.width = kWidth;
            frame.height = kHeight;
        }
        return frame;
    }

    // A texture of `side` x `side` texels (0xRRGGBB, rows top first), sampled without filtering.
    CTexture2D* MakeTexture(int side, const std::vector<uint32_t>& texels) {
        auto texture = std::make_unique<CTexture2D>();
        if (!texture->Create(side, side, 1, kFormatA8R8G8B8, 0, 0, &m_device))
            return nullptr;
        uint8_t* pixels = nullptr;
        if (!texture->Lock(&pixels))
            return nullptr;
        for (size_t i = 0; i < texels.size(); ++i) {
            pixels[4 * i] = static_cast<uint8_t>(texels[i] >> 16);
            pixels[4 * i + 1] = static_cast<uint8_t>(texels[i] >> 8);
            pixels[4 * i + 2] = static_cast<uint8_t>(texels[i]);
            pixels[4 * i + 3] = 255;
        }
        if (!texture->Unlock(1))
            return nullptr;
        m_device.SetTextureStageState(0, kStageMinFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMagFilter, kFilterPoint);
        m_device.SetTextureStageState(0, kStageMipFilter, kFilterNone);
        m_textures.push_back(std::move(texture));
        return m_textures.back().get();
    }

    CViewportWin32 m_viewport;
    CRenderDeviceDX9 m_device;
    CCamera m_camera;
    std::vector<std::unique_ptr<CTexture2D>> m_textures;
};

// --- 2D quads -------------------------------------------------------------------------------------

TEST_F(ImmediateDrawTest, Quad2DCoversExactlyItsPixels) {
    struct Case {
        float x, y, width, height;
    };
    const Case cases[] = {
        {20.0f, 30.0f, 50.0f, 40.0f},
        {0.0f, 0.0f, 1.0f, 1.0f},
        {7.0f, 100.0f, 3.0f, 2.0f},
        {150.0f, 110.0f, 20.0f, 20.0f},  // runs off the bottom right corner
        {-10.0f, -5.0f, 30.0f, 15.0f},   // starts off the top left corner
    };
    const uint32_t colour = 0xFF40C080;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "quad at (" << c.x << ", " << c.y << ") size " << c.width << " x "
                                        << c.height);
        int result = 0;
        const Frame frame =
            Render([&] { result = m_device.DrawQuad2D(c.x, c.y, 0.0f, c.width, c.height, colour, 0, 0, 1, 1); });
        EXPECT_EQ(result, 1);
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height;
                const bool ok = frame.At(x, y) == ((inside ? colour : kBackground) & 0xFFFFFF);
                if (!ok && wrong++ < 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << HexRgb(frame.At(x, y)) << ", expected "
                                  << (inside ? "the quad" : "the background");
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(ImmediateDrawTest, Quad2DMapsTexelsByItsTextureCoordinates) {
    // Texel (column, row) of a 4 x 4 texture: red from the column, green from the row.
    std::vector<uint32_t> texels;
    auto texel = [](int column, int row) {
        return 0xFF000080u | static_cast<uint32_t>(0x20 + 0x40 * column) << 16 | static_cast<uint32_t>(0x20 + 0x40 * row)
                                                                                      << 8;
    };
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            texels.push_back(texel(column, row));
    CTexture2D* texture = MakeTexture(4, texels);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(m_device.SetTexture(0, texture), 1);

    struct Case {
        const char* name;
        float left, top, right, bottom;
    };
    const Case cases[] = {
        {"whole texture", 0.0f, 0.0f, 1.0f, 1.0f},
        {"mirrored left to right", 1.0f, 0.0f, 0.0f, 1.0f},
        {"upside down", 0.0f, 1.0f, 1.0f, 0.0f},
        {"bottom right quarter", 0.5f, 0.5f, 1.0f, 1.0f},
        {"top row stretched", 0.0f, 0.0f, 1.0f, 0.25f},
    };
    const float x = 16.0f;
    const float y = 12.0f;
    const float width = 128.0f;
    const float height = 96.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Frame frame =
            Render([&] { m_device.DrawQuad2D(x, y, 0.0f, width, height, kWhite, c.left, c.top, c.right, c.bottom); });
        // Samples in the middle of each eighth of the quad, well away from texel borders.
        for (const float fy : {0.0625f, 0.3125f, 0.5625f, 0.8125f, 0.9375f}) {
            for (const float fx : {0.0625f, 0.3125f, 0.5625f, 0.8125f, 0.9375f}) {
                const float u = c.left + fx * (c.right - c.left);
                const float v = c.top + fy * (c.bottom - c.top);
                const int column = static_cast<int>(u * 4.0f);
                const int row = static_cast<int>(v * 4.0f);
                EXPECT_TRUE(ColourAt(frame, static_cast<int>(x + fx * width), static_cast<int>(y + fy * height),
                                     texel(column, row)))
                    << "uv (" << u << ", " << v << ")";
            }
        }
    }
}

TEST_F(ImmediateDrawTest, RotatedQuad2DTurnsAboutItsCentre) {
    struct Point {
        int x, y;
    };
    struct Case {
        const char* name;
        float width, height, angle;
        std::vector<Point> inside;
        std::vector<Point> outside;
    };
    // Centred at (80, 60). A positive angle turns the quad anticlockwise on the screen.
    const Case cases[] = {
        {"45 degrees makes a square a diamond",
         40.0f,
         40.0f,
         kPi / 4,
         {{80, 60}, {105, 60}, {55, 60}, {80, 35}, {80, 85}, {91, 71}, {69, 49}},
         {{100, 80}, {60, 40}, {100, 40}, {60, 80}, {110, 60}, {80, 90}}},
        {"30 degrees lifts the right end",
         60.0f,
         6.0f,
         kPi / 6,
         {{97, 50}, {62, 70}, {80, 60}},
         {{97, 70}, {62, 50}, {105, 60}}},
        {"no turn",
         40.0f,
         20.0f,
         0.0f,
         {{61, 51}, {98, 51}, {61, 68}, {98, 68}},
         {{58, 60}, {101, 60}, {80, 48}, {80, 71}}},
    };
    const CVector3 centre(80.0f, 60.0f, 0.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int result = 0;
        const Frame frame =
            Render([&] { result = m_device.DrawRotatedQuad2D(&centre, c.width, c.height, kRed, c.angle); });
        EXPECT_EQ(result, 1);
        for (const Point& p : c.inside)
            EXPECT_TRUE(ColourAt(frame, p.x, p.y, kRed));
        for (const Point& p : c.outside)
            EXPECT_TRUE(ColourAt(frame, p.x, p.y, kBackground));
    }
}

TEST_F(ImmediateDrawTest, RotatedQuad2DAtNinetyDegreesCoversTheSwappedRectangle) {
    const CVector3 centre(80.0f, 60.0f, 0.0f);
    const Frame frame = Render([&] { m_device.DrawRotatedQuad2D(&centre, 40.0f, 20.0f, kRed, kPi / 2); });
    EXPECT_TRUE(CoversRect(frame, 70.0f, 40.0f, 90.0f, 80.0f, kRed, 1.0f));
}

// --- Billboards ---------------------------------------------------------------------------------

TEST_F(ImmediateDrawTest, BillboardFacesTheCamera) {
    const float root = std::sqrt(30.0f);
    const float s15 = std::sin(kPi / 12);
    const float c15 = std::cos(kPi / 12);
    const float s10 = std::sin(kPi / 18);
    const float c10 = std::cos(kPi / 18);
    struct Case {
        const char* name;
        CQuaternion orientation;
        // The direction the camera looks along with that orientation, worked out by hand.
        CVector3 forward;
        CVector3 offset;  // the billboard's place across the view, in view units
        float halfWidth;
        float halfHeight;
    };
    const Case cases[] = {
        {"straight ahead", {0, 0, 0, 1}, {0, 0, 1}, {0, 0, 0}, 1.0f, 1.0f},
        {"to the upper right, flat", {0, 0, 0, 1}, {0, 0, 1}, {2.0f, 1.0f, 0}, 1.5f, 0.5f},
        {"camera turned 30 degrees about y", {0, s15, 0, c15}, {0.5f, 0, 0.8660254f}, {0, 0, 0}, 1.0f, 1.0f},
        {"camera turned 20 degrees about x", {s10, 0, 0, c10}, {0, -0.34202014f, 0.93969262f}, {0, 0, 0}, 1.0f, 1.0f},
        {"camera turned about a skewed axis",
         {1 / root, 2 / root, 3 / root, 4 / root},
         {11.0f / 15, 2.0f / 15, 10.0f / 15},
         {0, 0, 0},
         1.0f,
         0.75f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CQuaternion& q = c.orientation;
        m_camera.Setup(0.0f, 0.0f, -kEyeDistance, q.x, q.y, q.z, q.w, 0.1f, 1000.0f, 40.0f, kFieldOfView, kAspect, 0);
        ASSERT_EQ(m_camera.Apply(&m_device), 1);
        m_device.SetRenderState(kRenderLighting, 0);
        // The billboard sits kEyeDistance along the view; an offset only applies to the unturned
        // camera, whose view axes are the world's.
        const CVector3 position(c.forward.x * kEyeDistance + c.offset.x, c.forward.y * kEyeDistance + c.offset.y,
                                c.forward.z * kEyeDistance - kEyeDistance + c.offset.z);
        int result = 0;
        const Frame frame =
            Render([&] { result = m_device.DrawBillboard(&position, c.halfWidth, c.halfHeight, kGreen, &m_camera); });
        EXPECT_EQ(result, 1);
        // Facing the camera it shows its full width and height, upright.
        const float left = ScreenX(c.offset.x - c.halfWidth, kEyeDistance);
        const float right = ScreenX(c.offset.x + c.halfWidth, kEyeDistance);
        const float top = ScreenY(c.offset.y + c.halfHeight, kEyeDistance);
        const float bottom = ScreenY(c.offset.y - c.halfHeight, kEyeDistance);
        EXPECT_TRUE(CoversRect(frame, left, top, right, bottom, kGreen, 1.0f));
    }
}

TEST_F(ImmediateDrawTest, BillboardRestoresTheWorldTransform) {
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 0);
    const CMatrix world = Translation(1.0f, 2.0f, 3.0f);
    ASSERT_EQ(m_device.SetTransform(kTransformWorld, &world), 1);
    const CVector3 position(-2.0f, 0.0f, 0.0f);
    const Frame frame = Render([&] {
        EXPECT_EQ(m_device.DrawBillboard(&position, 0.5f, 0.5f, kGreen, &m_camera), 1);
        // Drawn after the billboard, the axes start from the restored world's origin.
        m_device.DrawAxes(1.0f);
    });
    CMatrix after;
    ASSERT_EQ(m_device.GetTransform(kTransformWorld, &after), 1);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(after.m_f[i], world.m_f[i]) << "element " << i;
    EXPECT_TRUE(ColourAt(frame, static_cast<int>(WorldScreenX(position)), static_cast<int>(WorldScreenY(position)),
                         kGreen));
    const CVector3 yAxisMiddle(1.0f, 2.5f, 3.0f);
    EXPECT_TRUE(ColourNear(frame, WorldScreenX(yAxisMiddle), WorldScreenY(yAxisMiddle), kGreen));
    const CVector3 xAxisMiddle(1.5f, 2.0f, 3.0f);
    EXPECT_TRUE(ColourNear(frame, WorldScreenX(xAxisMiddle), WorldScreenY(xAxisMiddle), kBlue));
}

// --- Wire boxes, spheres and axes ---------------------------------------------------------------

TEST_F(ImmediateDrawTest, BoxDrawsItsTwelveEdgesAndLeavesTheInside) {
    struct Case {
        const char* name;
        CVector3 halfExtents;
        CVector3 axes[3];
        bool textured;
    };
    // Each draws the box |x| <= 2, |y| <= 1.5, |z| <= 1.
    const Case cases[] = {
        {"world axes", {2.0f, 1.5f, 1.0f}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, false},
        {"turned axes", {1.5f, 2.0f, 1.0f}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, false},
        {"reversed axes", {2.0f, 1.0f, 1.5f}, {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}}, false},
        {"with a texture bound", {2.0f, 1.5f, 1.0f}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, true},
    };
    const CVector3 centre(0.0f, 0.0f, 0.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyGameCamera();
        m_device.SetRenderState(kRenderLighting, 0);
        if (c.textured) {
            // A blue texel would turn red lines black if the box were drawn textured.
            CTexture2D* texture = MakeTexture(1, {0x0000FF});
            ASSERT_NE(texture, nullptr);
            m_device.SetTexture(0, texture);
        }
        int result = 0;
        const Frame frame = Render([&] { result = m_device.DrawBox(&centre, &c.halfExtents, c.axes, kRed); });
        EXPECT_EQ(result, 1);
        // The middles of the twelve edges.
        const float hx = 2.0f;
        const float hy = 1.5f;
        const float hz = 1.0f;
        const CVector3 edgeMiddles[12] = {
            {0, hy, -hz}, {0, -hy, -hz}, {0, hy, hz},  {0, -hy, hz},  {hx, 0, -hz}, {-hx, 0, -hz},
            {hx, 0, hz},  {-hx, 0, hz},  {hx, hy, 0}, {-hx, hy, 0}, {hx, -hy, 0}, {-hx, -hy, 0},
        };
        for (const CVector3& p : edgeMiddles)
            EXPECT_TRUE(ColourNear(frame, WorldScreenX(p), WorldScreenY(p), kRed));
        for (const auto& [x, y] : {std::pair{80, 60}, {60, 50}, {100, 75}, {30, 60}, {80, 20}, {130, 100}})
            EXPECT_TRUE(ColourAt(frame, x, y, kBackground));
        if (c.textured)
            m_device.SetTexture(0, nullptr);
    }
}

TEST_F(ImmediateDrawTest, SphereDrawsThreeRings) {
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 0);
    const CVector3 centre(0.0f, 0.0f, 0.0f);
    const float radius = 3.0f;
    int result = 0;
    const Frame frame = Render([&] { result = m_device.DrawSphere(&centre, radius, kGreen, 32); });
    EXPECT_EQ(result, 1);
    // The ring about z faces the camera as a circle of radius 3 at depth 12.8; the rings about y
    // and x are seen edge on, as a horizontal and a vertical line through the centre.
    const float pixels = ScreenX(radius, kEyeDistance) - kWidth / 2.0f;
    for (const float degrees : {10.0f, 60.0f, 100.0f, 150.0f, 200.0f, 250.0f, 300.0f, 340.0f}) {
        SCOPED_TRACE(testing::Message() << degrees << " degrees round the circle");
        const float a = degrees * kPi / 180.0f;
        EXPECT_TRUE(ColourNear(frame, 80.0f + pixels * std::cos(a), 60.0f - pixels * std::sin(a), kGreen));
    }
    for (const auto& [x, y] : {std::pair{50, 60}, {110, 60}, {80, 30}, {80, 90}})
        EXPECT_TRUE(ColourNear(frame, static_cast<float>(x), static_cast<float>(y), kGreen)) << x << ", " << y;
    // Between the rings and outside the circle nothing is drawn.
    for (const auto& [x, y] : {std::pair{105, 85}, {60, 30}, {55, 80}, {125, 105}, {35, 15}, {150, 60}})
        EXPECT_TRUE(ColourAt(frame, x, y, kBackground));
}

TEST_F(ImmediateDrawTest, AxesAreBlueGreenAndRedForXYAndZ) {
    // The colours as written: 0xff0000ff (blue) for x, 0xff00ff00 (green) for y, 0xffff0000
    // (red) for z. Points 20 pixels out from the origin along the screen's right, up and left.
    struct Expectation {
        float x, y;
        uint32_t colour;
    };
    struct Case {
        const char* name;
        CMatrix world;
        std::vector<Expectation> expected;
    };
    CMatrix turnY;
    turnY.SetRotationY(kPi / 2);
    const Case cases[] = {
        {"unturned: x right, y up", CMatrix::Identity(), {{100, 60, kBlue}, {80, 40, kGreen}, {60, 60, kBackground}}},
        {"turned about y: z right", turnY, {{100, 60, kRed}, {80, 40, kGreen}, {60, 60, kBackground}}},
        {"turned about z: x up, y left", RotationZ(kPi / 2), {{80, 40, kBlue}, {60, 60, kGreen}, {100, 60, kBackground}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyGameCamera();
        m_device.SetRenderState(kRenderLighting, 0);
        ASSERT_EQ(m_device.SetTransform(kTransformWorld, &c.world), 1);
        int result = 0;
        const Frame frame = Render([&] { result = m_device.DrawAxes(5.0f); });
        EXPECT_EQ(result, 1);
        for (const Expectation& e : c.expected) {
            if (e.colour == kBackground)
                EXPECT_EQ(frame.At(static_cast<int>(e.x), static_cast<int>(e.y)), kBackground & 0xFFFFFF);
            else
                EXPECT_TRUE(ColourNear(frame, e.x, e.y, e.colour));
        }
        // Nothing but the axes' three colours and the background appears.
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t p = frame.At(x, y);
                if (p != (kBackground & 0xFFFFFF) && p != (kRed & 0xFFFFFF) && p != (kGreen & 0xFFFFFF) &&
                    p != (kBlue & 0xFFFFFF))
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << HexRgb(p);
            }
    }
}

// --- The grid mesh ------------------------------------------------------------------------------

// Grid points with a fourth float, so the stride is not the position's size.
struct GridPoint {
    float x, y, z;
    float unused;
};

// columns x rows points spanning x and y from -2 to 2 at z = 0, row 0 at the top.
std::vector<GridPoint> FlatGrid(int columns, int rows) {
    std::vector<GridPoint> points;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            points.push_back(GridPoint{-2.0f + 4.0f * static_cast<float>(c) / static_cast<float>(columns - 1),
                                       2.0f - 4.0f * static_cast<float>(r) / static_cast<float>(rows - 1), 0.0f, -7.0f});
    return points;
}

TEST_F(ImmediateDrawTest, FlatGridFacingTheCameraFillsItsArea) {
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 0);
    const std::vector<GridPoint> grid = FlatGrid(3, 3);
    int result = 0;
    const Frame frame = Render([&] { result = m_device.DrawGridMesh(grid.data(), sizeof(GridPoint), 3, 3, 1, 0); });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(CoversRect(frame, ScreenX(-2.0f, kEyeDistance), ScreenY(2.0f, kEyeDistance),
                           ScreenX(2.0f, kEyeDistance), ScreenY(-2.0f, kEyeDistance), kWhite, 1.0f));
}

TEST_F(ImmediateDrawTest, GridLightingFollowsItsNormals) {
    struct Case {
        const char* name;
        int smooth;
        int backSide;
        CVector3 lightDirection;
        uint32_t colour;
    };
    // A white material under a (0.8, 0.6, 0.4) light shining straight onto a side is
    // (204, 153, 102); without normals, or facing away from the light, the side is black.
    const Case cases[] = {
        {"smooth front lit from the camera", 1, 0, {0, 0, 1}, 0xCC9966},
        {"front without normals", 0, 0, {0, 0, 1}, 0x000000},
        {"smooth back side lit from the camera", 1, 1, {0, 0, 1}, 0x000000},
        {"smooth back side lit from behind", 1, 1, {0, 0, -1}, 0xCC9966},
        {"smooth front lit from behind", 1, 0, {0, 0, -1}, 0x000000},
    };
    const std::vector<GridPoint> grid = FlatGrid(3, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyGameCamera();
        m_device.SetRenderState(kRenderLighting, 1);
        m_device.SetRenderState(kRenderCullMode, kCullNone);
        CLight light{};
        light.nType = kLightDirectional;
        light.Diffuse = CColorValue{0.8f, 0.6f, 0.4f, 1.0f};
        light.vDirection = c.lightDirection;
        ASSERT_EQ(m_device.SetLight(0, &light), 1);
        ASSERT_EQ(m_device.LightEnable(0, 1), 1);
        CMaterial material{};
        material.Diffuse = CColorValue{1.0f, 1.0f, 1.0f, 1.0f};
        ASSERT_EQ(m_device.SetMaterial(&material), 1);
        const Frame frame = Render([&] {
            m_device.DrawGridMesh(grid.data(), sizeof(GridPoint), 3, 3, c.smooth, c.backSide);
        });
        for (const auto& [x, y] : {std::pair{80, 60}, {55, 35}, {105, 85}, {100, 40}}) {
            const uint32_t p = frame.At(x, y);
            for (const int shift : {16, 8, 0})
                EXPECT_NEAR(static_cast<int>((p >> shift) & 0xFF), static_cast<int>((c.colour >> shift) & 0xFF), 2)
                    << "pixel (" << x << ", " << y << ") is " << HexRgb(p) << ", expected " << HexRgb(c.colour);
        }
    }
}

TEST_F(ImmediateDrawTest, SmoothGridNormalsBlendTheFacesAroundAPoint) {
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 1);
    CLight light{};
    light.nType = kLightDirectional;
    light.Diffuse = CColorValue{0.8f, 0.6f, 0.4f, 1.0f};
    light.vDirection = CVector3(0.0f, 0.0f, 1.0f);
    ASSERT_EQ(m_device.SetLight(0, &light), 1);
    ASSERT_EQ(m_device.LightEnable(0, 1), 1);
    CMaterial material{};
    material.Diffuse = CColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    ASSERT_EQ(m_device.SetMaterial(&material), 1);
    // Two cells folded towards the camera along the middle column: each face leans 26.6
    // degrees away from the light (brightness 2 / sqrt 5), the fold's normal is their sum and
    // faces the light fully.
    const GridPoint grid[6] = {{-2, 2, 0, 0}, {0, 2, -1, 0}, {2, 2, 0, 0}, {-2, -2, 0, 0}, {0, -2, -1, 0}, {2, -2, 0, 0}};
    const Frame frame = Render([&] { m_device.DrawGridMesh(grid, sizeof(GridPoint), 3, 2, 1, 0); });
    const int atFold = static_cast<int>((frame.At(80, 60) >> 16) & 0xFF);
    EXPECT_NEAR(atFold, 204, 3);
    for (const int x : {47, 112}) {
        SCOPED_TRACE(testing::Message() << "outer edge at x " << x);
        const int atEdge = static_cast<int>((frame.At(x, 60) >> 16) & 0xFF);
        EXPECT_NEAR(atEdge, 183, 3);
    }
}

TEST_F(ImmediateDrawTest, GridBackSideShowsFromTheOtherSideWithCulling) {
    struct Case {
        const char* name;
        float eyeZ;
        CQuaternion orientation;
        int backSide;
        bool visible;
    };
    const Case cases[] = {
        {"front side seen from the front", -kEyeDistance, {0, 0, 0, 1}, 0, true},
        {"back side seen from the front", -kEyeDistance, {0, 0, 0, 1}, 1, false},
        {"front side seen from behind", kEyeDistance, {0, 1, 0, 0}, 0, false},
        {"back side seen from behind", kEyeDistance, {0, 1, 0, 0}, 1, true},
    };
    const std::vector<GridPoint> grid = FlatGrid(3, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CQuaternion& q = c.orientation;
        m_camera.Setup(0.0f, 0.0f, c.eyeZ, q.x, q.y, q.z, q.w, 0.1f, 1000.0f, 40.0f, kFieldOfView, kAspect, 0);
        ASSERT_EQ(m_camera.Apply(&m_device), 1);
        m_device.SetRenderState(kRenderLighting, 0);
        m_device.SetRenderState(kRenderCullMode, kCullCounterClockwise);
        int result = 0;
        const Frame frame =
            Render([&] { result = m_device.DrawGridMesh(grid.data(), sizeof(GridPoint), 3, 3, 0, c.backSide); });
        EXPECT_EQ(result, 1);
        if (c.visible)
            EXPECT_TRUE(CoversRect(frame, ScreenX(-2.0f, kEyeDistance), ScreenY(2.0f, kEyeDistance),
                                   ScreenX(2.0f, kEyeDistance), ScreenY(-2.0f, kEyeDistance), kWhite, 1.0f));
        else
            EXPECT_EQ(frame.CountNot(kBackground), 0);
    }
}

TEST_F(ImmediateDrawTest, GridTextureRunsAcrossTheColumnsAndUpTheRows) {
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 0);
    // 2 x 2 texels, rows top first: red, green over blue, yellow.
    CTexture2D* texture = MakeTexture(2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    ASSERT_NE(texture, nullptr);
    m_device.SetTexture(0, texture);
    const std::vector<GridPoint> grid = FlatGrid(2, 2);
    const Frame frame = Render([&] { m_device.DrawGridMesh(grid.data(), sizeof(GridPoint), 2, 2, 0, 0); });
    m_device.SetTexture(0, nullptr);
    // u runs from 0 at the first column, v from 1 at the first (top) row to 0 at the last, so
    // the texture's top row shows at the grid's bottom.
    EXPECT_TRUE(ColourAt(frame, 63, 43, 0x0000FF));
    EXPECT_TRUE(ColourAt(frame, 97, 43, 0xFFFF00));
    EXPECT_TRUE(ColourAt(frame, 63, 77, 0xFF0000));
    EXPECT_TRUE(ColourAt(frame, 97, 77, 0x00FF00));
}

// --- Refusals -------------------------------------------------------------------------------------

TEST_F(ImmediateDrawTest, SphereWithoutSegmentsDrawsNothing) {
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 0);
    const CVector3 centre(0.0f, 0.0f, 0.0f);
    for (const int segments : {0, -1, INT_MIN}) {
        SCOPED_TRACE(testing::Message() << segments << " segments");
        int result = -1;
        const Frame frame = Render([&] { result = m_device.DrawSphere(&centre, 3.0f, kGreen, segments); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(frame.CountNot(kBackground), 0);
    }
}

TEST_F(ImmediateDrawTest, GridWithFewerThanTwoColumnsOrRowsDrawsNothing) {
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 0);
    const std::vector<GridPoint> grid = FlatGrid(3, 3);
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 3}, {3, 1}, {1, 1}, {0, 3}, {3, 0}, {0, 0}};
    for (const auto& [columns, rows] : sizes) {
        SCOPED_TRACE(testing::Message() << columns << " columns, " << rows << " rows");
        int result = -1;
        const Frame frame =
            Render([&] { result = m_device.DrawGridMesh(grid.data(), sizeof(GridPoint), columns, rows, 1, 0); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(frame.CountNot(kBackground), 0);
    }
}

// Each drawing operation with the one pool it uses and what that pool must hold: a quad, a
// rotated quad and a billboard need 4 vertices, a box 24, a sphere of n segments 3n + 3,
// the axes 6 and a grid 6 per cell.
struct PoolCase {
    const char* name;
    uint32_t pool;  // 0 position-normal-uv, 1 position-colour, 2 screen
    uint32_t needed;
    std::function<int(CRenderDeviceDX9&, CCamera&)> draw;
};

std::vector<PoolCase> PoolCases() {
    static const std::vector<GridPoint> grid = FlatGrid(3, 3);
    return {
        {"2D quad", 2, 4, [](CRenderDeviceDX9& d, CCamera&) { return d.DrawQuad2D(10, 10, 0, 30, 20, kRed, 0, 0, 1, 1); }},
        {"rotated quad", 2, 4,
         [](CRenderDeviceDX9& d, CCamera&) {
             const CVector3 centre(80, 60, 0);
             return d.DrawRotatedQuad2D(&centre, 30, 20, kRed, 0.5f);
         }},
        {"billboard", 1, 4,
         [](CRenderDeviceDX9& d, CCamera& camera) {
             const CVector3 position(0, 0, 0);
             return d.DrawBillboard(&position, 1, 1, kRed, &camera);
         }},
        {"box", 1, 24,
         [](CRenderDeviceDX9& d, CCamera&) {
             const CVector3 centre(0, 0, 0);
             const CVector3 half(2, 1.5f, 1);
             const CVector3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
             return d.DrawBox(&centre, &half, axes, kRed);
         }},
        {"sphere of 8 segments", 1, 27,
         [](CRenderDeviceDX9& d, CCamera&) {
             const CVector3 centre(0, 0, 0);
             return d.DrawSphere(&centre, 3, kRed, 8);
         }},
        {"axes", 1, 6, [](CRenderDeviceDX9& d, CCamera&) { return d.DrawAxes(5); }},
        {"3 x 3 grid", 0, 24,
         [](CRenderDeviceDX9& d, CCamera&) { return d.DrawGridMesh(grid.data(), sizeof(GridPoint), 3, 3, 1, 0); }},
    };
}

TEST_F(ImmediateDrawTest, DrawingNeedsItsPoolToHoldEveryVertex) {
    for (const PoolCase& c : PoolCases()) {
        // Only the operation's own pool exists, exactly one vertex too small, then just large
        // enough.
        for (const uint32_t size : {c.needed - 1, c.needed}) {
            SCOPED_TRACE(testing::Message() << c.name << " with a pool of " << size);
            uint32_t counts[3] = {0, 0, 0};
            counts[c.pool] = size;
            ASSERT_TRUE(StartDevice(counts[0], counts[1], counts[2]));
            ApplyGameCamera();
            m_device.SetRenderState(kRenderLighting, 0);
            int result = -1;
            const Frame frame = Render([&] { result = c.draw(m_device, m_camera); });
            const bool fits = size >= c.needed;
            EXPECT_EQ(result, fits ? 1 : 0);
            if (fits)
                EXPECT_GT(frame.CountNot(kBackground), 0);
            else
                EXPECT_EQ(frame.CountNot(kBackground), 0);
        }
    }
}

TEST_F(ImmediateDrawTest, WithoutPoolsNothingIsDrawn) {
    ASSERT_TRUE(StartDevice(0, 0, 0));
    ApplyGameCamera();
    m_device.SetRenderState(kRenderLighting, 0);
    for (const PoolCase& c : PoolCases()) {
        SCOPED_TRACE(c.name);
        int result = -1;
        const Frame frame = Render([&] { result = c.draw(m_device, m_camera); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(frame.CountNot(kBackground), 0);
    }
}

}  // namespace
