// The render device seen from the frame: a loss reported once and the reset that ends it, and
// a change of display mode with everything that follows from it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/gui/Wnd.h"
#include "tests/engine/core/frame/FrameTest.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/WinWindow.h"

namespace {

using DisplayDeviceTest = FrameTest;
using Calls = std::vector<std::string>;

std::vector<float> GuiMetrics(const CTestGame& game) {
    float metrics[4] = {};
    game.GetGuiMetrics(metrics);
    return std::vector<float>(metrics, metrics + 4);
}

std::vector<float> ScreenRect(const CWnd& window) {
    const CWndRect& rect = window.m_rcScreen;
    return {rect.left, rect.top, rect.right, rect.bottom};
}

TEST_F(DisplayDeviceTest, LossIsReportedOnceAndTheResetFrameRestoresAndResets) {
    const TestGameOptions options;
    CTestGame game(m_record, options);
    ASSERT_EQ(game.Init(), 1);
    IDirect3DDevice9* device = game.Direct3DDevice();
    ASSERT_NE(device, nullptr);
    game.Frame();
    m_record.calls.clear();

    for (int i = 0; i < 3; ++i) {
        winapi::d3d::LoseDevice(device);
        game.Frame();
        EXPECT_EQ(game.m_bDeviceAvailable, 0);
    }
    game.Frame();
    EXPECT_EQ(game.m_bDeviceAvailable, 1);
    game.Frame();

    EXPECT_EQ(m_record.calls, (Calls{"Update", "OnDeviceLost", "Render",                     //
                                     "Update", "Render",                                     //
                                     "Update", "Render",                                     //
                                     "Update", "OnDeviceRestored", "OnDeviceReset", "Render",  //
                                     "Update", "Render"}));
    EXPECT_EQ(BackBufferPixel(device, 0, 0), options.clearColour);
    EXPECT_EQ(BackBufferPixel(device, 639, 479), options.clearColour);
}

TEST_F(DisplayDeviceTest, DisplayModeChangeResizesResetsRescalesAndIsSaved) {
    const TestGameOptions options;
    {
        CTestGame game(m_record, options);
        ASSERT_EQ(game.Init(), 1);
        game.m_pRootWindow->m_rcBase = CWndRect{16.0f, 32.0f, 320.0f, 240.0f};
        game.m_pRootWindow->SetScale(1.0f, 1.0f);

        ASSERT_EQ(game.SetDisplayMode(800, 600, 16, 0, 2, 1), 1);

        RECT client{};
        GetClientRect(game.m_pViewport->GetWindowHandle(), &client);
        EXPECT_EQ(client.right - client.left, 800);
        EXPECT_EQ(client.bottom - client.top, 600);
        const D3DPRESENT_PARAMETERS presented = winapi::d3d::PresentParameters(game.Direct3DDevice());
        EXPECT_EQ(presented.BackBufferWidth, 800u);
        EXPECT_EQ(presented.BackBufferHeight, 600u);
        EXPECT_EQ(GuiMetrics(game), (std::vector<float>{640.0f, 480.0f, 1.25f, 1.25f}));
        EXPECT_EQ(ScreenRect(*game.m_pRootWindow), (std::vector<float>{20.0f, 40.0f, 400.0f, 300.0f}));
        EXPECT_EQ(m_record.calls, Calls{"OnDeviceReset"});

        game.Frame();
        EXPECT_EQ(BackBufferPixel(game.Direct3DDevice(), 799, 599), options.clearColour);
    }
    EXPECT_EQ(ReadText(kDisplayScript),
              ScriptText("3DInit", {"Width = 800.000000", "Height = 600.000000", "Fullscreen = 0.000000",
                                    "LockableBackBuffer = 0.000000", "PRC2T1Count = 8192.000000",
                                    "PCT2Count = 2048.000000", "PNT1Count = 8192.000000", "VSync = 1.000000",
                                    "MultiSampleType = 2.000000", "BPP = 16.000000"}));
}

TEST_F(DisplayDeviceTest, DisplayModeThatCannotBeSetChangesNothing) {
    struct Case {
        const char* name;
        std::function<void(CTestGame&)> before;
        std::function<void(CTestGame&)> after;
    };
    const Case cases[] = {
        {"the window keeps its size",
         [](CTestGame& game) { dynamic_cast<CCountingViewport&>(*game.m_pViewport).failResize = true; },
         [](CTestGame& game) { dynamic_cast<CCountingViewport&>(*game.m_pViewport).failResize = false; }},
        // Direct3D refuses a reset inside a scene.
        {"the device cannot be reset", [](CTestGame& game) { game.m_pRenderDevice->BeginScene(); },
         [](CTestGame& game) { game.m_pRenderDevice->EndScene(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        FrameRecord record;
        CTestGame game(record);
        ASSERT_EQ(game.Init(), 1);
        game.m_pRootWindow->m_rcBase = CWndRect{16.0f, 32.0f, 320.0f, 240.0f};
        game.m_pRootWindow->SetScale(1.0f, 1.0f);

        c.before(game);
        EXPECT_EQ(game.SetDisplayMode(800, 600, 16, 0, 2, 1), 0);
        c.after(game);

        EXPECT_EQ(GuiMetrics(game), (std::vector<float>{640.0f, 480.0f, 1.0f, 1.0f}));
        EXPECT_EQ(ScreenRect(*game.m_pRootWindow), (std::vector<float>{16.0f, 32.0f, 320.0f, 240.0f}));
        EXPECT_EQ(game.m_DisplayScript.GetFloat("Width", 0.0f), 640.0f);
        EXPECT_EQ(game.m_DisplayScript.GetFloat("BPP", 0.0f), 32.0f);
        EXPECT_EQ(record.calls, Calls{});
    }
}

}  // namespace
