// Start-up on the system scripts: what a fresh game root gets, which script values reach the
// window and the devices, and how numbers the devices cannot use are replaced.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
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

// The fields of the devices' Init arguments that come from the scripts, comparable at once.
auto ScriptFields(const RenderInitArgs& a) {
    return std::make_tuple(a.width, a.height, a.bitsPerPixel, a.bFullscreen, a.multisample, a.bVSync, a.pnt1Count,
                           a.pct2Count, a.prc2t1Count, a.bLockableBackBuffer);
}

auto ScriptFields(const SoundInitArgs& a) {
    return std::make_tuple(a.b3DPossible, a.zero, a.channels, a.samplesPerSecond, a.bitsPerSample);
}

TEST_F(StartupTest, DevicesStartWithTheScriptValuesOrTheirDefaults) {
    struct Case {
        const char* name;
        // The lines of the display script's [3DInit] block and of the system script's [System]
        // and [Sound] blocks; none at all: the fresh root's script.
        std::vector<const char*> displayLines;
        std::vector<const char*> systemLines;
        std::vector<const char*> soundLines;
        RenderInitArgs render;  // the pointers are the game's own
        SoundInitArgs sound;
        int bInputExclusive;
        std::vector<float> guiMetrics;
    };
    const Case cases[] = {
        {"a fresh root: windowed 640 x 480",
         {},
         {},
         {},
         {.width = 640, .height = 480, .bitsPerPixel = 32, .bFullscreen = 0, .multisample = 0, .bVSync = 0,
          .pnt1Count = 8192, .pct2Count = 2048, .prc2t1Count = 8192, .log = nullptr, .bLockableBackBuffer = 0},
         {.b3DPossible = 1, .viewport = nullptr, .zero = 0, .channels = 2, .samplesPerSecond = 22050,
          .bitsPerSample = 16, .log = nullptr},
         1,
         {640.0f, 480.0f, 1.0f, 1.0f}},
        {"every value from the scripts, each in its own place",
         {"Width = 800", "Height = 600", "BPP = 16", "Fullscreen = 0", "MultiSampleType = 4", "VSync = 1",
          "PNT1Count = 1000", "PCT2Count = 2000", "PRC2T1Count = 3000", "LockableBackBuffer = 1"},
         {"InputExclusive = 0", "ResBaseX = 400", "ResBaseY = 200"},
         {"BitsPerSample = 8", "SamplesPerSecond = 44100", "Channels = 1", "3DPossible = 0"},
         {.width = 800, .height = 600, .bitsPerPixel = 16, .bFullscreen = 0, .multisample = 4, .bVSync = 1,
          .pnt1Count = 1000, .pct2Count = 2000, .prc2t1Count = 3000, .log = nullptr, .bLockableBackBuffer = 1},
         {.b3DPossible = 0, .viewport = nullptr, .zero = 0, .channels = 1, .samplesPerSecond = 44100,
          .bitsPerSample = 8, .log = nullptr},
         0,
         {400.0f, 200.0f, 2.0f, 3.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        if (!c.displayLines.empty())
            WriteText(kDisplayScript, ScriptText("3DInit", c.displayLines));
        if (!c.systemLines.empty() || !c.soundLines.empty()) {
            std::string sound = "[Sound]\r\n";
            for (const char* line : c.soundLines)
                sound += std::string(line) + "\r\n";
            WriteText(kSystemScript, ScriptText("System", c.systemLines) + sound + "\r\n");
        }
        CWnd stale;
        g_pFocusWindow = &stale;
        g_pCaptureWindow = &stale;
        FrameRecord record;
        CTestGame game(record);
        ASSERT_EQ(game.Init(), 1);

        const RECT client = ClientRect(game);
        EXPECT_EQ(client.right - client.left, static_cast<LONG>(c.render.width));
        EXPECT_EQ(client.bottom - client.top, static_cast<LONG>(c.render.height));

        ASSERT_EQ(record.renderInits.size(), 1u);
        EXPECT_EQ(ScriptFields(record.renderInits[0]), ScriptFields(c.render));
        EXPECT_EQ(record.renderInits[0].log, game.m_pLog);

        ASSERT_EQ(record.soundInits.size(), 1u);
        EXPECT_EQ(ScriptFields(record.soundInits[0]), ScriptFields(c.sound));
        EXPECT_EQ(record.soundInits[0].viewport, game.m_pViewport);
        EXPECT_EQ(record.soundInits[0].log, game.m_pLog);
        EXPECT_NE(dynamic_cast<CSoundDeviceOpenAL*>(game.m_pSoundDevice), nullptr);

        ASSERT_EQ(record.inputInits.size(), 1u);
        EXPECT_EQ(record.inputInits[0].viewport, game.m_pViewport);
        EXPECT_EQ(record.inputInits[0].log, game.m_pLog);
        EXPECT_EQ(record.inputInits[0].bExclusive, c.bInputExclusive);
        EXPECT_EQ(game.m_nInputExclusive, c.bInputExclusive);

        EXPECT_EQ(GuiMetrics(game), c.guiMetrics);
        EXPECT_EQ(game.m_bDeviceAvailable, 1);
        EXPECT_EQ(g_pFocusWindow, nullptr);
        EXPECT_EQ(g_pCaptureWindow, nullptr);
        EXPECT_EQ(record.calls, std::vector<std::string>{}) << "Init runs none of the hooks";
    }
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
