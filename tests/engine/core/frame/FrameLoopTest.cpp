// The main loop and the frame: frames only on idle passes, quitting from inside a frame, the
// step handed to Update, the frames-per-second count, and input on its way to the interface.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/gui/Wnd.h"
#include "tests/engine/core/frame/FrameTest.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

using FrameLoopTest = FrameTest;
using Calls = std::vector<std::string>;

// Hook calls of frames 1..count.
Calls FrameCalls(int count) {
    Calls calls;
    for (int i = 0; i < count; ++i) {
        calls.push_back("Update");
        calls.push_back("Render");
    }
    return calls;
}

Calls Joined(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST_F(FrameLoopTest, FramesRunOnlyOnPassesWithoutAWaitingMessage) {
    TestGameOptions options;
    options.recordMessages = true;
    options.quitInFrame = 2;
    CTestGame game(m_record, options);
    game.onStart = [](CTestGame& self) {
        for (int i = 0; i < 3; ++i)
            PostMessageA(self.m_pViewport->GetWindowHandle(), WM_ERASEBKGND, 0, 0);
    };
    ASSERT_EQ(game.Run(nullptr, "", ""), 1);

    EXPECT_EQ(m_record.calls, (Calls{"OnStart", "message", "message", "message", "idle", "Update", "Render", "idle",
                                     "Update", "Render", "OnExit"}));
}

TEST_F(FrameLoopTest, QuittingInsideAFrameEndsTheRunAfterThatFrame) {
    struct Case {
        const char* name;
        TestGameOptions options;
    };
    TestGameOptions quit;
    quit.quitInFrame = 3;
    TestGameOptions updateFails;
    updateFails.updateFailsInFrame = 3;
    TestGameOptions renderFails;
    renderFails.renderFailsInFrame = 3;
    const Case cases[] = {{"Quit from Update", quit}, {"Update gives 0", updateFails}, {"Render gives 0", renderFails}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        FrameRecord record;
        CTestGame game(record, c.options);
        const char* commandLine = "-level 3";
        EXPECT_EQ(game.Run(nullptr, "", commandLine), 1);
        EXPECT_EQ(game.m_pszCommandLine, commandLine);
        EXPECT_EQ(record.calls, Joined(Joined({"OnStart"}, FrameCalls(3)), {"OnExit"}));
        EXPECT_EQ(record.renderShutdowns, 1);
    }
}

TEST_F(FrameLoopTest, RootWindowThatAsksToQuitEndsTheRun) {
    class CQuittingWindow : public CWnd {
    public:
        int Update(double) override { return 0; }
    };
    CTestGame game(m_record);
    game.onUpdate = [](CTestGame& self, int frame) {
        if (frame == 2)
            self.m_pRootWindow->AddChild(new CQuittingWindow, 1);
    };
    EXPECT_EQ(game.Run(nullptr, "", ""), 1);
    EXPECT_EQ(game.framesRun, 2);
    EXPECT_EQ(m_record.calls, Joined(Joined({"OnStart"}, FrameCalls(2)), {"OnExit"}));
}

TEST_F(FrameLoopTest, StepIsZeroUntilTheElapsedTimeIsAskedForThenKeptWhileItIsNot) {
    SetClockMilliseconds(0);
    CTestGame game(m_record);
    ASSERT_EQ(game.Init(), 1);

    const std::pair<int, int> frames[] = {
        // clock in ms, use elapsed time
        {100, 0}, {250, 1}, {450, 1}, {900, 0}, {1000, 1},
    };
    for (const auto& [milliseconds, useElapsed] : frames) {
        SetClockMilliseconds(milliseconds);
        game.m_bUseElapsedTime = useElapsed;
        game.Frame();
    }
    ASSERT_EQ(m_record.updateSteps.size(), 5u);
    EXPECT_EQ(m_record.updateSteps[0], 0.0) << "nothing measured before the first frame";
    EXPECT_NEAR(m_record.updateSteps[1], 0.150, 1e-6);
    EXPECT_NEAR(m_record.updateSteps[2], 0.200, 1e-6);
    EXPECT_NEAR(m_record.updateSteps[3], 0.200, 1e-6) << "the previous step, not the 0.45 s gone by";
    EXPECT_NEAR(m_record.updateSteps[4], 0.100, 1e-6);
}

TEST_F(FrameLoopTest, FirstFrameOfARunHandsUpdateAStepOfZero) {
    TestGameOptions options;
    options.useElapsedTimeFromUpdate = true;
    options.quitInFrame = 3;
    CTestGame game(m_record, options);
    int frame = 0;
    game.onUpdate = [&frame](CTestGame&, int) { SetClockMilliseconds(1000 + 20 * ++frame); };
    SetClockMilliseconds(1000);
    ASSERT_EQ(game.Run(nullptr, "", ""), 1);
    ASSERT_EQ(m_record.updateSteps.size(), 3u);
    EXPECT_EQ(m_record.updateSteps[0], 0.0);
    EXPECT_NEAR(m_record.updateSteps[1], 0.020, 1e-6);
    EXPECT_NEAR(m_record.updateSteps[2], 0.020, 1e-6);
}

TEST_F(FrameLoopTest, FramesPerSecondIsCountedOnlyOnceMoreThanASecondHasPassed) {
    SetClockMilliseconds(0);
    CTestGame game(m_record);
    ASSERT_EQ(game.Init(), 1);

    for (int milliseconds = 100; milliseconds <= 1000; milliseconds += 100) {
        SetClockMilliseconds(milliseconds);
        game.Frame();
        EXPECT_EQ(game.m_fFramesPerSecond, 0.0f) << "at " << milliseconds << " ms";
    }
    EXPECT_EQ(CBaseGame::FpsFrameCount, 10u);

    SetClockMilliseconds(1250);
    game.Frame();
    EXPECT_FLOAT_EQ(game.m_fFramesPerSecond, 10.0f / 1.25f);
    EXPECT_EQ(CBaseGame::FpsLastTime, 1.25);
    EXPECT_EQ(CBaseGame::FpsFrameCount, 1u) << "the counting frame starts the next second";

    SetClockMilliseconds(2250);
    game.Frame();
    EXPECT_FLOAT_EQ(game.m_fFramesPerSecond, 8.0f) << "exactly one second is not more than one";
    SetClockMilliseconds(2500);
    game.Frame();
    EXPECT_FLOAT_EQ(game.m_fFramesPerSecond, 2.0f / 1.25f);
}

TEST_F(FrameLoopTest, HundredFramesRunAndShutDownCleanly) {
    TestGameOptions options;
    options.useElapsedTimeFromUpdate = true;
    options.quitInFrame = 100;
    CTestGame game(m_record, options);
    ASSERT_EQ(game.Run(nullptr, "", ""), 1);
    EXPECT_EQ(game.framesRun, 100);
    EXPECT_EQ(m_record.renderShutdowns, 1);
    EXPECT_EQ(m_record.Deleted("render"), 1);
}

// --- Input on its way to the interface --------------------------------------------------------

class CRecordingWindow : public CWnd {
public:
    CRecordingWindow() {
        m_nFlags = kVisible | kFocusable;
        m_nPointerShape = 7;
        m_rcBase = CWndRect{-10000.0f, -10000.0f, 10000.0f, 10000.0f};
    }
    void OnKey(CInputEvent* event) override { events.emplace_back(event->m_nType, event->m_nParam); }
    void OnMouse(CInputEvent* event) override { events.emplace_back(event->m_nType, event->m_nParam); }

    std::vector<std::pair<int, int>> events;
};

// A started game in the active window whose root holds one recording window over the screen.
CRecordingWindow* StartWithRecordingWindow(CTestGame* game) {
    winapi::ForceActiveWindow(1);
    if (game->Init() != 1)
        return nullptr;
    auto* window = new CRecordingWindow;
    game->m_pRootWindow->AddChild(window, 1);
    game->m_pRootWindow->SetGameRecursive(game);
    game->m_pRootWindow->SetScale(1.0f, 1.0f);
    return window;
}

TEST_F(FrameLoopTest, InputEventsReachTheInterfaceInQueueOrder) {
    CTestGame game(m_record);
    CRecordingWindow* window = StartWithRecordingWindow(&game);
    ASSERT_NE(window, nullptr);
    g_pFocusWindow = window;
    game.Frame();  // the devices start delivering once acquired
    window->events.clear();

    winapi::InjectKey(SDL_SCANCODE_A, true);
    winapi::InjectKey(SDL_SCANCODE_A, false);
    winapi::InjectKey(SDL_SCANCODE_S, true);
    while (game.m_pViewport->ProcessMessages()) {
    }
    game.Frame();

    constexpr int kKeyA = 0x1E;
    constexpr int kKeyS = 0x1F;
    EXPECT_EQ(window->events, (std::vector<std::pair<int, int>>{{CInputDevice::kKeyDown, kKeyA},
                                                                {CInputDevice::kKeyUp, kKeyA},
                                                                {CInputDevice::kKeyDown, kKeyS}}));
    winapi::InjectKey(SDL_SCANCODE_S, false);
    winapi::InjectFocus(false);
}

TEST_F(FrameLoopTest, PointerMovingOverAWindowAsksTheGameForItsPointerShape) {
    CTestGame game(m_record);
    CRecordingWindow* window = StartWithRecordingWindow(&game);
    ASSERT_NE(window, nullptr);
    game.Frame();  // the devices start delivering once acquired
    window->events.clear();
    m_record.pointerShapes.clear();

    winapi::InjectMouseMotion(100, 80, 5, 0);
    while (game.m_pViewport->ProcessMessages()) {
    }
    game.Frame();

    EXPECT_EQ(window->events, (std::vector<std::pair<int, int>>{{CInputDevice::kMoveX, 5}}));
    EXPECT_EQ(m_record.pointerShapes, std::vector<int>{7});
    winapi::InjectFocus(false);
}

}  // namespace
