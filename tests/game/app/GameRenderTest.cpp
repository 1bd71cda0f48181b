// The game's frame on the fixture game root with a small scene of tool-made models, after the
// game's start-up: on the recording device, the clear and the shadow darkening by the depth
// format and "Shadows", the order of the passes, the interface, "Pause" and the pointer with
// their states, and what a missing font or pointer texture leaves out; on the Direct3D 9
// device (llvmpipe under Xvfb), the overlay pass over the scene pass, the shadow darkened where
// the stencil counts it, "Pause" and the pointer on pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ValueScript.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "engine/gui/Wnd.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/sound/SoundDeviceOpenAL.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/flow/RODAGame.h"
#include "tests/game/app/GameFixture.h"
#include "tests/game/app/GameRenderScene.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/SceneWindow.h"
#include "tests/support/ShadowStencil.h"
#include "tools/render/RecordingRenderDevice.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

using namespace render_scene;

// The darkening as the recording device writes it down, at the fixture's 1024 x 768.
const std::vector<std::string> kDarkening = {
    "SetRenderState 0 0",
    "SetRenderState 22 1",
    "SetRenderState 13 1",
    "SetRenderState 6 4",
    "SetRenderState 7 5",
    "SetTextureStageState 0 4 2",
    "SetTextureStageState 0 5 0",
    "SetTextureStageState 0 3 3",
    "SetRenderState 27 1",
    "SetRenderState 26 3",
    "SetRenderState 25 0",
    "DrawQuad2D 0 0 0.5 1024 768 0x80000000 0 0 1 1",
    "SetTextureStageState 0 3 1",
    "SetRenderState 0 1",
    "SetRenderState 22 0",
    "SetRenderState 13 0",
};
const std::string kPauseDraw = "DrawText2D Pause 0xffffffff";
// What the marking window draws where the interface is drawn.
const std::string kInterfaceMark = "DrawAxes 7";

// How many times the run stands unbroken in the calls.
int CountRuns(const std::vector<std::string>& calls, const std::vector<std::string>& run) {
    int count = 0;
    for (auto at = calls.begin(); (at = std::search(at, calls.end(), run.begin(), run.end())) != calls.end(); ++at)
        ++count;
    return count;
}

// The first call from `from` on that is `call` (or begins with it, when `prefix`); -1 for none.
int IndexOf(const std::vector<std::string>& calls, const std::string& call, size_t from = 0, bool prefix = false) {
    for (size_t i = from; i < calls.size(); ++i) {
        if (prefix ? calls[i].rfind(call, 0) == 0 : calls[i] == call)
            return static_cast<int>(i);
    }
    return -1;
}

std::string Handle(const CGfx* gfx) {
    return std::to_string(gfx->GetTexture()->m_pTexture->GetHandle());
}

// The game on the recording device (with the real window, input and sound).
class CRecordingGame : public CGame {
public:
    int CreateDevices() override {
        m_pRenderDevice = new CRecordingRenderDevice;
        m_pSoundDevice = new CSoundDeviceOpenAL;
        m_pInputDevice = new CInputDeviceDX;
        return 1;
    }
};

// A window of the interface that marks on the device where the interface is drawn.
class CMarkingWindow : public CWnd {
public:
    int Draw(CBaseGame* game) override {
        game->m_pRenderDevice->DrawAxes(7.0f);
        return 1;
    }
};

class GameRenderTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseTestClock();
    }

    // The game's start-up once the engine runs, the scene added, the window made active and
    // seen enabled.
    void StartGameWithScene() {
        ASSERT_EQ(m_game->Init(), 1);
        std::string error;
        ASSERT_TRUE(AddGameRenderScene(m_game.get(), &m_scene, &error)) << error;
        Activate();
    }

    GameRenderScene m_scene;
};

// --- on the recording device ---------------------------------------------------------------------

class GameRenderCallsTest : public GameRenderTest {
protected:
    void SetUp() override {
        GameRenderTest::SetUp();
        m_game = std::make_unique<CRecordingGame>();
        ASSERT_TRUE(StartEngine());
        m_device = static_cast<CRecordingRenderDevice*>(m_game->m_pRenderDevice);
        m_device->m_nWidth = fixture::kWidth;
        m_device->m_nHeight = fixture::kHeight;
        m_device->m_nDepthFormat = kFormatD24S8;
        StartGameWithScene();
        auto* mark = new CMarkingWindow;
        m_game->m_pRootWindow->AddChild(mark, 100);
        mark->Show();
    }

    std::vector<std::string> RenderCalls() {
        m_device->m_Calls.clear();
        EXPECT_EQ(m_game->Render(), 1);
        return m_device->m_Calls;
    }
    // The call that draws the object's mesh.
    std::string MeshDraw(C3DObject* object) {
        m_device->m_Calls.clear();
        object->Draw(0, 0.0);
        const int at = IndexOf(m_device->m_Calls, "DrawIndexedPrimitive", 0, true);
        return at < 0 ? "no mesh" : m_device->m_Calls[static_cast<size_t>(at)];
    }

    CRecordingRenderDevice* m_device = nullptr;
};

TEST_F(GameRenderCallsTest, ClearsTheStencilWhenThereIsOneAndDarkensOnlyWithShadowsOnIt) {
    struct Case {
        uint32_t depthFormat;
        int shadows;
        const char* clear;
        int darkenings;
    };
    const Case cases[] = {
        {kFormatD24S8, 1, "Clear 7 0x00000000 1 0", 1},
        {kFormatD24S8, 0, "Clear 7 0x00000000 1 0", 0},
        {kFormatD16, 1, "Clear 3 0x00000000 1 0", 0},
        {kFormatD16, 0, "Clear 3 0x00000000 1 0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth format " << c.depthFormat << ", Shadows " << c.shadows);
        m_device->m_nDepthFormat = c.depthFormat;
        m_game->m_nShadows = c.shadows;
        const std::vector<std::string> calls = RenderCalls();
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[0], "BeginScene");
        EXPECT_EQ(calls[1], c.clear);
        EXPECT_EQ(calls.back(), "EndScene");
        EXPECT_EQ(CountRuns(calls, kDarkening), c.darkenings);
        // The shadow volumes are the only other user of the stencil.
        EXPECT_EQ(IndexOf(calls, "SetRenderState 22 1") >= 0, c.darkenings > 0);
    }
}

TEST_F(GameRenderCallsTest, DrawsTheSceneTheShadowsTheOverlayAndTheInterfaceThenPauseAndThePointer) {
    const std::string sceneMesh = MeshDraw(m_scene.block);
    const std::string overlayMesh = MeshDraw(m_scene.ball);
    ASSERT_NE(sceneMesh, overlayMesh);
    m_game->m_nShadows = 1;
    m_game->m_bPaused = 1;
    m_game->m_nPointerX = 100;
    m_game->m_nPointerY = 200;
    const std::vector<std::string> calls = RenderCalls();

    const int overlay = IndexOf(calls, overlayMesh);
    EXPECT_EQ(IndexOf(calls, overlayMesh, static_cast<size_t>(overlay) + 1), -1) << "the overlay is drawn once";
    const struct {
        const char* what;
        int at;
    } steps[] = {
        {"begin", IndexOf(calls, "BeginScene")},
        {"clear", IndexOf(calls, "Clear 7 0x00000000 1 0")},
        {"scene pass", IndexOf(calls, sceneMesh)},
        {"shadow volumes", IndexOf(calls, "SetRenderState 22 1")},
        {"darkening", IndexOf(calls, kDarkening[11])},
        {"overlay pass", overlay},
        {"interface", IndexOf(calls, kInterfaceMark)},
        {"pause", IndexOf(calls, kPauseDraw)},
        {"pointer", IndexOf(calls, "DrawQuad2D 96 196 0.4 48 48 0xffffffff 0 0 1 1")},
        {"end", IndexOf(calls, "EndScene")},
    };
    int previous = -1;
    for (const auto& step : steps) {
        EXPECT_GT(step.at, previous) << step.what;
        previous = step.at;
    }
    EXPECT_EQ(previous, static_cast<int>(calls.size()) - 1);
    EXPECT_EQ(m_game->m_pWorld->m_pInstanceTree->m_pOList->m_nDrawn, 1u) << "what the overlay pass drew";
}

// What follows the interface: "Pause" and the pointer, each with its states, by the game's
// state and what its resources hold, at a GUI scale of (1.6, 1.25) with the pointer at
// (300, 200).
struct TailCase {
    const char* name;
    int paused;
    int windowEnabled;
    int startScreen;
    int softwareCursor;
    enum Missing { kNothing, kFont, kFontTexture, kPointerTexture } missing;
    bool pause;
    bool pointer;

    friend void PrintTo(const TailCase& c, std::ostream* out) { *out << c.name; }
};

class GameRenderTailTest : public GameRenderCallsTest, public ::testing::WithParamInterface<TailCase> {};

TEST_P(GameRenderTailTest, DrawsPauseAndThePointerWithTheirStates) {
    const TailCase& c = GetParam();
    const std::string font = Handle(m_game->m_pMenuFontTexture);
    const std::string pointer = Handle(m_game->m_pPointerTexture);
    m_game->m_fGuiScaleX = 1.6f;
    m_game->m_fGuiScaleY = 1.25f;
    m_game->m_nPointerX = 300;
    m_game->m_nPointerY = 200;
    m_game->m_bPaused = c.paused;
    m_game->m_bWindowEnabled = c.windowEnabled;
    m_game->m_pController->m_bStartScreen = c.startScreen;
    m_game->m_nSoftwareCursor = c.softwareCursor;
    if (c.missing == TailCase::kFont)
        m_game->m_pMenuFont = nullptr;
    if (c.missing == TailCase::kFontTexture)
        m_game->m_pMenuFontTexture = nullptr;
    if (c.missing == TailCase::kPointerTexture)
        m_game->m_pPointerTexture = nullptr;

    const std::vector<std::string> calls = RenderCalls();
    const int mark = IndexOf(calls, kInterfaceMark);
    ASSERT_GE(mark, 0);
    std::vector<std::string> expected;
    if (c.pause) {
        const std::vector<std::string> pause = {"SetTexture 0 " + font, "SetRenderState 13 1", "SetRenderState 6 4",
                                                "SetRenderState 7 5",   kPauseDraw,            "SetRenderState 13 0",
                                                "SetTexture 0 0"};
        expected.insert(expected.end(), pause.begin(), pause.end());
    }
    if (c.pointer) {
        // Both offsets and both sides follow the x scale.
        const std::vector<std::string> quad = {"SetRenderState 13 1",
                                               "SetRenderState 6 4",
                                               "SetRenderState 7 5",
                                               "SetTexture 0 " + pointer,
                                               "DrawQuad2D 293.6 193.6 0.4 76.8 76.8 0xffffffff 0 0 1 1",
                                               "SetTexture 0 0",
                                               "SetRenderState 13 0"};
        expected.insert(expected.end(), quad.begin(), quad.end());
    }
    expected.push_back("EndScene");
    EXPECT_EQ(std::vector<std::string>(calls.begin() + mark + 1, calls.end()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, GameRenderTailTest,
    ::testing::Values(TailCase{"Running", 0, 1, 0, 1, TailCase::kNothing, false, true},
                      TailCase{"Paused", 1, 1, 0, 1, TailCase::kNothing, true, true},
                      TailCase{"PausedOnTheStartScreen", 1, 1, 1, 1, TailCase::kNothing, true, true},
                      TailCase{"DisabledOffTheStartScreen", 0, 0, 0, 1, TailCase::kNothing, true, true},
                      TailCase{"DisabledOnTheStartScreen", 0, 0, 1, 1, TailCase::kNothing, false, true},
                      TailCase{"SystemPointer", 1, 1, 0, 0, TailCase::kNothing, true, false},
                      TailCase{"NoMenuFont", 1, 1, 0, 1, TailCase::kFont, false, true},
                      TailCase{"NoMenuFontTexture", 1, 1, 0, 1, TailCase::kFontTexture, false, true},
                      TailCase{"NoPointerTexture", 1, 1, 0, 1, TailCase::kPointerTexture, true, false}),
    [](const ::testing::TestParamInfo<TailCase>& info) { return info.param.name; });

// --- on pixels -----------------------------------------------------------------------------------

bool IsWhite(uint32_t colour) {
    return ChannelsNear(colour, 0xFFFFFF, 5);
}

// The board under half-transparent black.
constexpr uint32_t kDarkenedBoard = 0x404040;

// The smallest rectangle holding every pixel of the region that passes the test.
struct Bounds {
    int left = 1 << 20;
    int top = 1 << 20;
    int right = -1;
    int bottom = -1;
    int count = 0;

    template <class Test>
    static Bounds Of(const PixelFrame& frame, int x0, int y0, int x1, int y1, Test test) {
        Bounds b;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (!test(frame.At(x, y)))
                    continue;
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x);
                b.bottom = std::max(b.bottom, y);
                ++b.count;
            }
        }
        return b;
    }
};

class GameRenderPixelTest : public GameRenderTest {
protected:
    // The game started on the scene window, its display script asking for that many bits per
    // pixel.
    void StartOnWindow(int bitsPerPixel) {
        CValueScript display;
        ASSERT_TRUE(display.Load(kDisplayScript, "3DInit"));
        display.SetFloat("BPP", static_cast<float>(bitsPerPixel));
        ASSERT_TRUE(display.Save(kDisplayScript));
        auto game = std::make_unique<CSceneWindowGame>(&m_window);
        CSceneWindowGame* sceneGame = game.get();
        m_game = std::move(game);
        ASSERT_TRUE(sceneGame->StartEngine());
        StartGameWithScene();
        sceneGame->FollowCamera();
    }
    PixelFrame RenderFrame() {
        EXPECT_EQ(m_game->Render(), 1);
        PixelFrame frame = m_window.Grab();
        return frame;
    }
    // The pixel a world point lands on.
    void Pixel(const CVector3& world, int* x, int* y) const {
        float fx = 0.0f;
        float fy = 0.0f;
        m_window.Project(world, &fx, &fy);
        *x = static_cast<int>(std::lround(fx));
        *y = static_cast<int>(std::lround(fy));
    }

    // Goes after the game, whose window and device it holds.
    CSceneWindow m_window;
};

TEST_F(GameRenderPixelTest, TheOverlayPassShowsOverTheScenePass) {
    StartOnWindow(32);
    m_game->m_nSoftwareCursor = 0;
    int ballX = 0, ballY = 0, blockX = 0, blockY = 0;
    Pixel(kBallCentre, &ballX, &ballY);
    Pixel(kBlockOnly, &blockX, &blockY);
    // The ball stands behind the block, inside its front face as seen.
    int leftX = 0, topY = 0, rightX = 0, bottomY = 0;
    Pixel(CVector3(kBlockCentre.x - 0.6f, kBlockCentre.y + 0.6f, -0.6f), &leftX, &topY);
    Pixel(CVector3(kBlockCentre.x + 0.6f, kBlockCentre.y - 0.6f, -0.6f), &rightX, &bottomY);
    ASSERT_TRUE(leftX + 5 < ballX && ballX < rightX - 5 && topY + 5 < ballY && ballY < bottomY - 5);

    const PixelFrame frame = RenderFrame();
    const struct {
        int x;
        int y;
        uint32_t colour;
    } spots[] = {{ballX, ballY, kBallColour}, {blockX, blockY, kBlockColour}};
    for (const auto& spot : spots) {
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const uint32_t pixel = frame.At(spot.x + dx, spot.y + dy);
                EXPECT_TRUE(ChannelsNear(pixel, spot.colour, 3)) << HexRgb(pixel) << " at (" << spot.x + dx << ", "
                                                         << spot.y + dy << "), expected " << HexRgb(spot.colour);
            }
        }
    }
}

struct ShadowCase {
    const char* name;
    int bitsPerPixel;
    int shadows;
    bool darkened;

    friend void PrintTo(const ShadowCase& c, std::ostream* out) { *out << c.name; }
};

class GameRenderShadowTest : public GameRenderPixelTest, public ::testing::WithParamInterface<ShadowCase> {};

// Where the board shows, it is darkened exactly where the stencil counts a shadow.
TEST_P(GameRenderShadowTest, TheBlocksShadowIsDarkerThanTheBoardOnlyWithShadowsOnAThirtyTwoBitDisplay) {
    const ShadowCase& c = GetParam();
    StartOnWindow(c.bitsPerPixel);
    ASSERT_EQ(m_game->m_pRenderDevice->m_nDepthFormat, c.bitsPerPixel == 32 ? kFormatD24S8 : kFormatD16);
    m_game->m_nShadows = c.shadows;
    m_game->m_nSoftwareCursor = 0;
    const PixelFrame frame = RenderFrame();
    // 16 bits keep five or six of each channel's eight.
    const int tolerance = c.bitsPerPixel == 32 ? 3 : 8;
    int board = 0;
    int darkened = 0;
    for (const uint32_t pixel : frame.pixels) {
        board += ChannelsNear(pixel, kBoardColour, tolerance);
        darkened += ChannelsNear(pixel, kDarkenedBoard, tolerance);
    }
    EXPECT_GT(board, 500000);
    if (!c.darkened) {
        EXPECT_EQ(darkened, 0);
    } else {
        EXPECT_GT(darkened, 3000);
    }
    if (c.bitsPerPixel != 32)
        return;

    m_game->m_pRenderDevice->BeginScene();
    const std::vector<int> stencil = ReadStencil(&m_window);
    int counted = 0;
    int wrong = 0;
    std::string firstWrong;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const uint32_t pixel = frame.At(x, y);
            const int count = stencil[static_cast<size_t>(y) * frame.width + x];
            counted += count > 0;
            const bool isBoard = ChannelsNear(pixel, kBoardColour, tolerance);
            const bool isDarkened = ChannelsNear(pixel, kDarkenedBoard, tolerance);
            if (!isBoard && !isDarkened)
                continue;
            if (isDarkened != (count > 0) && wrong++ == 0)
                firstWrong = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): " + HexRgb(pixel) +
                             ", stencil " + std::to_string(count);
        }
    }
    EXPECT_EQ(counted > 0, c.shadows != 0);
    EXPECT_EQ(wrong, 0) << firstWrong;
}

INSTANTIATE_TEST_SUITE_P(Displays, GameRenderShadowTest,
                         ::testing::Values(ShadowCase{"ThirtyTwoBitsWithShadows", 32, 1, true},
                                           ShadowCase{"ThirtyTwoBitsWithoutShadows", 32, 0, false},
                                           ShadowCase{"SixteenBitsWithShadows", 16, 1, false}),
                         [](const ::testing::TestParamInfo<ShadowCase>& info) { return info.param.name; });

TEST_F(GameRenderPixelTest, PauseShowsWhilePausedOrInADisabledWindowOffTheStartScreen) {
    StartOnWindow(32);
    m_game->m_nSoftwareCursor = 0;
    struct Case {
        const char* name;
        int paused;
        int windowEnabled;
        int startScreen;
        bool drawn;
    };
    const Case cases[] = {
        {"running", 0, 1, 0, false},
        {"paused", 1, 1, 0, true},
        {"disabled off the start screen", 0, 0, 0, true},
        {"disabled on the start screen", 0, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_game->m_bPaused = c.paused;
        m_game->m_pController->m_bStartScreen = c.startScreen;
        winapi::ForceWindowEnabled(c.windowEnabled);
        ASSERT_EQ(Frame(0.0), 1);
        ASSERT_EQ(m_game->m_bWindowEnabled, c.windowEnabled);
        const PixelFrame frame = RenderFrame();
        m_game->m_pRenderDevice->Present();
        const Bounds text = Bounds::Of(frame, 0, 300, frame.width, 460, IsWhite);
        if (!c.drawn) {
            EXPECT_EQ(text.count, 0);
            continue;
        }
        // Its top at 380, centred on the reference width.
        EXPECT_GT(text.count, 40);
        EXPECT_GE(text.top, 380);
        EXPECT_LE(text.bottom, 380 + 30);
        EXPECT_NEAR((text.left + text.right) / 2.0, fixture::kWidth / 2.0, 6.0);
    }
}

// At a GUI scale of 1.6, with the pointer at (250, 550) over the bare board: the pointer
// texture made opaque white shows as a square of 76.8 pixels whose corner stands 6.4 pixels up
// and left of the pointer; without a pointer texture nothing shows there.
TEST_F(GameRenderPixelTest, ThePointerFollowsTheXScaleAndAMissingTextureDrawsNothing) {
    StartOnWindow(32);
    m_game->m_fGuiScaleX = 1.6f;
    m_game->m_fGuiScaleY = 1.6f;
    CTexture2D* texture = m_game->m_pPointerTexture->GetTexture()->m_pTexture;
    uint8_t* texels = nullptr;
    ASSERT_EQ(texture->Lock(&texels), 1);
    const size_t texelBytes = CRenderDevice::GetBytesPerPixel(texture->m_nFormat);
    memset(texels, 0xFF, static_cast<size_t>(texture->m_nWidth) * texture->m_nHeight * texelBytes);
    ASSERT_EQ(texture->Unlock(0), 1);
    winapi::InjectMouseMotion(250, 550, 1, 1);
    ASSERT_EQ(Frame(0.011), 1);
    ASSERT_EQ(m_game->m_nPointerX, 250);
    ASSERT_EQ(m_game->m_nPointerY, 550);

    const PixelFrame frame = RenderFrame();
    m_game->m_pRenderDevice->Present();
    const Bounds square = Bounds::Of(frame, 150, 450, 450, 750, IsWhite);
    EXPECT_NEAR(square.left, 250 - 6.4, 1.0);
    EXPECT_NEAR(square.top, 550 - 6.4, 1.0);
    EXPECT_NEAR(square.right + 1 - square.left, 76.8, 1.0);
    EXPECT_NEAR(square.bottom + 1 - square.top, 76.8, 1.0);
    EXPECT_EQ(square.count, (square.right + 1 - square.left) * (square.bottom + 1 - square.top));

    m_game->m_pPointerTexture = nullptr;
    const PixelFrame without = RenderFrame();
    const Bounds board =
        Bounds::Of(without, 150, 450, 450, 750, [](uint32_t colour) { return ChannelsNear(colour, kBoardColour, 3); });
    EXPECT_EQ(board.count, 300 * 300) << "the bare board";
}

}  // namespace
