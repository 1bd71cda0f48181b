// Start-up on the system scripts: what a fresh game root gets, which script values reach the
// window and the devices, and how numbers the devices cannot use are replaced.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/gui/Wnd.h"
#include "tests/engine/core/frame/FrameTest.h"
#include "winapi/window/WinWindow.h"

namespace {

using StartupTest = FrameTest;

// What the display script of a fresh game root holds after the first shut-down: every key
// the start-up read, in the order it read them.
const std::string kDefaultDisplayScript =
    ScriptText("3DInit", {"Width = 640.000000", "Height = 480.000000", "Fullscreen = 0.000000",
                          "LockableBackBuffer = 0.000000", "PRC2T1Count = 8192.000000", "PCT2Count = 2048.000000",
                          "PNT1Count = 8192.000000", "VSync = 0.000000", "MultiSampleType = 0.000000",
                          "BPP = 32.000000"});

RECT ClientRect(CTestGame& game) {
    RECT rect{-1, -1, -1, -1};
    GetClientRect(game.m_pViewport->GetWindowHandle(), &rect);
    return rect;
}

std::vector<float> GuiMetrics(const CTestGame& game) {
    float metrics[4] = {};
    game.GetGuiMetrics(metrics);
    return std::vector<float>(metrics, metrics + 4);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(StartupTest, FreshRootStartsWindowedAt640x480WithDefaultDevices) {
    CWnd stale;
    g_pFocusWindow = &stale;
    g_pCaptureWindow = &stale;
    CTestGame game(m_record);
    ASSERT_EQ(game.Init(), 1);

    const RECT client = ClientRect(game);
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);

    ASSERT_EQ(m_record.renderInits.size(), 1u);
    const RenderInitArgs& render = m_record.renderInits[0];
    EXPECT_EQ(render.width, 640u);
    EXPECT_EQ(render.height, 480u);
    EXPECT_EQ(render.bitsPerPixel, 32u);
    EXPECT_EQ(render.bFullscreen, 0);
    EXPECT_EQ(render.multisample, 0u);
    EXPECT_EQ(render.bVSync, 0);
    EXPECT_EQ(render.pnt1Count, 8192u);
    EXPECT_EQ(render.pct2Count, 2048u);
    EXPECT_EQ(render.prc2t1Count, 8192u);
    EXPECT_EQ(render.log, game.m_pLog);
    EXPECT_EQ(render.bLockableBackBuffer, 0);

    ASSERT_EQ(m_record.soundInits.size(), 1u);
    const SoundInitArgs& sound = m_record.soundInits[0];
    EXPECT_EQ(sound.b3DPossible, 1);
    EXPECT_EQ(sound.viewport, game.m_pViewport);
    EXPECT_EQ(sound.zero, 0);
    EXPECT_EQ(sound.channels, 2);
    EXPECT_EQ(sound.samplesPerSecond, 22050);
    EXPECT_EQ(sound.bitsPerSample, 16);
    EXPECT_EQ(sound.log, game.m_pLog);
    EXPECT_NE(dynamic_cast<CSoundDeviceOpenAL*>(game.m_pSoundDevice), nullptr);

    ASSERT_EQ(m_record.inputInits.size(), 1u);
    EXPECT_EQ(m_record.inputInits[0].viewport, game.m_pViewport);
    EXPECT_EQ(m_record.inputInits[0].log, game.m_pLog);
    EXPECT_EQ(m_record.inputInits[0].bExclusive, 1);
    EXPECT_EQ(game.m_nInputExclusive, 1);

    EXPECT_EQ(GuiMetrics(game), (std::vector<float>{640.0f, 480.0f, 1.0f, 1.0f}));
    EXPECT_EQ(game.m_bDeviceAvailable, 1);
    EXPECT_EQ(g_pFocusWindow, nullptr);
    EXPECT_EQ(g_pCaptureWindow, nullptr);
    EXPECT_EQ(m_record.calls, std::vector<std::string>{}) << "Init runs none of the hooks";
}

TEST_F(StartupTest, FreshRootGetsItsScriptsOnceAndKeepsThemOnTheNextStart) {
    {
        CTestGame game(m_record);
        ASSERT_EQ(game.Init(), 1);
    }
    const std::string system = ReadText(kSystemScript);
    const std::string display = ReadText(kDisplayScript);
    EXPECT_EQ(system, NewScriptText()) << "the system script is never saved";
    EXPECT_EQ(display, kDefaultDisplayScript);

    {
        FrameRecord second;
        CTestGame game(second);
        ASSERT_EQ(game.Init(), 1);
        EXPECT_EQ(second.renderInits.at(0).width, 640u);
    }
    EXPECT_EQ(ReadText(kSystemScript), system);
    EXPECT_EQ(ReadText(kDisplayScript), display);
}

TEST_F(StartupTest, LogIsNamedAfterTheApplicationAndOpensWithTheStartUpLines) {
    struct Case {
        const char* name;
        const char* systemScript;  // none: the fresh root's
        const char* logFile;
        const char* title;
    };
    const Case cases[] = {
        {"no name given", nullptr, "Game.log", "Game"},
        {"named", "AppName = \"Tumbler Works\"", "Tumbler Works.log", "Tumbler Works"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        if (c.systemScript)
            WriteText(kSystemScript, ScriptText("System", {c.systemScript}));
        FrameRecord record;
        CTestGame game(record);
        ASSERT_EQ(game.Init(), 1);
        const std::string log = ReadText(c.logFile);
        EXPECT_EQ(log.substr(0, std::string(kStartLog).size()), kStartLog);
        auto* viewport = dynamic_cast<CViewportWin32*>(game.m_pViewport);
        ASSERT_NE(viewport, nullptr);
        EXPECT_STREQ(viewport->m_sTitle.GetText(), c.title);
    }
}

TEST_F(StartupTest, DisplayScriptSizeScalesTheInterfaceAgainstTheReferenceSize) {
    WriteText(kDisplayScript, ScriptText("3DInit", {"Width = 800", "Height = 600"}));
    CTestGame game(m_record);
    ASSERT_EQ(game.Init(), 1);

    const RECT client = ClientRect(game);
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 600);
    EXPECT_EQ(GuiMetrics(game), (std::vector<float>{640.0f, 480.0f, 1.25f, 1.25f}));
}

TEST_F(StartupTest, ScriptValuesReachTheDevicesInTheirOwnPlaces) {
    WriteText(kDisplayScript,
              ScriptText("3DInit", {"Width = 800", "Height = 600", "BPP = 16", "Fullscreen = 0", "MultiSampleType = 4",
                                    "VSync = 1", "PNT1Count = 1000", "PCT2Count = 2000", "PRC2T1Count = 3000",
                                    "LockableBackBuffer = 1"}));
    WriteText(kSystemScript, ScriptText("System", {"InputExclusive = 0", "ResBaseX = 400", "ResBaseY = 200"}) +
                                 "[Sound]\r\nBitsPerSample = 8\r\nSamplesPerSecond = 44100\r\nChannels = 1\r\n"
                                 "3DPossible = 0\r\n\r\n");
    CTestGame game(m_record);
    ASSERT_EQ(game.Init(), 1);

    ASSERT_EQ(m_record.renderInits.size(), 1u);
    const RenderInitArgs& render = m_record.renderInits[0];
    EXPECT_EQ(render.width, 800u);
    EXPECT_EQ(render.height, 600u);
    EXPECT_EQ(render.bitsPerPixel, 16u);
    EXPECT_EQ(render.bFullscreen, 0);
    EXPECT_EQ(render.multisample, 4u);
    EXPECT_EQ(render.bVSync, 1);
    EXPECT_EQ(render.pnt1Count, 1000u);
    EXPECT_EQ(render.pct2Count, 2000u);
    EXPECT_EQ(render.prc2t1Count, 3000u);
    EXPECT_EQ(render.bLockableBackBuffer, 1);

    ASSERT_EQ(m_record.soundInits.size(), 1u);
    EXPECT_EQ(m_record.soundInits[0].b3DPossible, 0);
    EXPECT_EQ(m_record.soundInits[0].channels, 1);
    EXPECT_EQ(m_record.soundInits[0].samplesPerSecond, 44100);
    EXPECT_EQ(m_record.soundInits[0].bitsPerSample, 8);

    ASSERT_EQ(m_record.inputInits.size(), 1u);
    EXPECT_EQ(m_record.inputInits[0].bExclusive, 0);
    EXPECT_EQ(GuiMetrics(game), (std::vector<float>{400.0f, 200.0f, 2.0f, 3.0f}));
}

TEST_F(StartupTest, DisplayNumbersOutsideTheIntRangeTakeTheirDefaults) {
    struct Case {
        const char* name;
        std::vector<const char*> lines;
        uint32_t width, height, bitsPerPixel;
        int bFullscreen;
    };
    const Case cases[] = {
        {"not a number", {"Width = nan", "Height = nan", "BPP = nan"}, 640, 480, 32, 0},
        {"far beyond the range", {"Width = 3e9", "Height = -3e9", "Fullscreen = 1e30"}, 640, 480, 32, 0},
        {"infinite", {"Width = inf", "BPP = -inf", "Fullscreen = inf"}, 640, 480, 32, 0},
        {"just past the largest int", {"Width = 2147483648", "Height = 600"}, 640, 600, 32, 0},
        {"fractions are cut off", {"Width = 800.9", "Height = 600.99", "BPP = 16.5"}, 800, 600, 16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        WriteText(kDisplayScript, ScriptText("3DInit", c.lines));
        FrameRecord record;
        CTestGame game(record);
        ASSERT_EQ(game.Init(), 1);
        ASSERT_EQ(record.renderInits.size(), 1u);
        EXPECT_EQ(record.renderInits[0].width, c.width);
        EXPECT_EQ(record.renderInits[0].height, c.height);
        EXPECT_EQ(record.renderInits[0].bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(record.renderInits[0].bFullscreen, c.bFullscreen);
        const RECT client = ClientRect(game);
        EXPECT_EQ(client.right - client.left, static_cast<LONG>(c.width));
        EXPECT_EQ(client.bottom - client.top, static_cast<LONG>(c.height));
    }
}

TEST_F(StartupTest, ReferenceSizeOfZeroOrLessTakesTheDefaultAndIsLogged) {
    struct Case {
        const char* name;
        std::vector<const char*> lines;
        float referenceWidth, referenceHeight;
        const char* logged;
    };
    const char* const widthLine = "\tResBaseX must be above 0: using 640\n";
    const char* const heightLine = "\tResBaseY must be above 0: using 480\n";
    const Case cases[] = {
        {"zero", {"ResBaseX = 0", "ResBaseY = 0"}, 640.0f, 480.0f, "both"},
        {"negative", {"ResBaseX = -320", "ResBaseY = -0.5"}, 640.0f, 480.0f, "both"},
        {"not a number", {"ResBaseX = nan", "ResBaseY = nan"}, 640.0f, 480.0f, "both"},
        {"infinite", {"ResBaseX = inf", "ResBaseY = inf"}, 640.0f, 480.0f, "both"},
        {"only the height", {"ResBaseX = 320", "ResBaseY = 0"}, 320.0f, 480.0f, "height"},
        {"both usable", {"ResBaseX = 320", "ResBaseY = 240"}, 320.0f, 240.0f, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        WriteText(kSystemScript, ScriptText("System", c.lines));
        FrameRecord record;
        CTestGame game(record);
        ASSERT_EQ(game.Init(), 1);

        const std::vector<float> metrics = GuiMetrics(game);
        EXPECT_EQ(metrics[0], c.referenceWidth);
        EXPECT_EQ(metrics[1], c.referenceHeight);
        EXPECT_EQ(metrics[2], 640.0f / c.referenceWidth);
        EXPECT_EQ(metrics[3], 480.0f / c.referenceHeight);

        const std::string logged = c.logged;
        std::string expectedEnd;
        if (logged == "both")
            expectedEnd = std::string(widthLine) + heightLine;
        else if (logged == "height")
            expectedEnd = heightLine;
        const std::string log = LogText();
        EXPECT_TRUE(EndsWith(log, expectedEnd)) << log;
        EXPECT_EQ(log.find("must be above") == std::string::npos, expectedEnd.empty()) << log;
    }
}

}  // namespace
