// Start-ups that fail part way: the log names the step and then the reason, stderr the reason,
// the run ends at once, and the shut-down that follows frees what was made exactly once without
// writing a script it never read.
#include <gtest/gtest.h>

#include <string>

#include "engine/sound/SoundDeviceNull.h"
#include "tests/engine/core/frame/FrameTest.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/DInput.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

using StartupFailureTest = FrameTest;

constexpr const char* kKey = "FrameKey";

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void ExpectEachReleasedAndDeletedOnce(const FrameRecord& record) {
    EXPECT_EQ(record.renderShutdowns, 1);
    EXPECT_EQ(record.soundReleases, 1);
    EXPECT_EQ(record.inputReleases, 1);
    EXPECT_EQ(record.viewportCloses, 1);
    EXPECT_EQ(record.Deleted("render"), 1);
    EXPECT_EQ(record.Deleted("sound"), 1);
    EXPECT_EQ(record.Deleted("input"), 1);
    EXPECT_EQ(record.Deleted("viewport"), 1);
}

TEST_F(StartupFailureTest, FailedStepEndsTheLogWithFailedAndTheRunAtOnce) {
    enum class EStep { kSystemScript, kDisplayScript, kViewport, kDevices };
    struct Case {
        const char* name;
        EStep step;
        const char* log;
        const char* reason;
        bool displayScriptRead;
        bool devicesMade;
    };
    const Case cases[] = {
        {"system script", EStep::kSystemScript,
         "CBaseGame::Init - Start\n"
         "\tLoading System-Init-Script .. \tFailed\n",
         "scripts/config/sysinit.vsc has no readable [System] block", false, false},
        {"display script", EStep::kDisplayScript,
         "CBaseGame::Init - Start\n"
         "\tLoading System-Init-Script .. \tOk\n"
         "\tLoading 3D-Init-Script ..\tFailed\n",
         "scripts/config/3dinit.vsc has no readable [3DInit] block", false, false},
        {"window", EStep::kViewport,
         "CBaseGame::Init - Start\n"
         "\tLoading System-Init-Script .. \tOk\n"
         "\tLoading 3D-Init-Script ..\tOk\n"
         "\tLoading System-Sound-Script .. \tOk\n"
         "\tCreating Viewport .. \tFailed\n",
         "the game made no viewport", true, false},
        {"devices", EStep::kDevices,
         "CBaseGame::Init - Start\n"
         "\tLoading System-Init-Script .. \tOk\n"
         "\tLoading 3D-Init-Script ..\tOk\n"
         "\tLoading System-Sound-Script .. \tOk\n"
         "\tCreating Viewport .. \tOk\n"
         "\tCreating Devices .. \tFailed\n",
         "the game made no render or input device", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        if (c.step == EStep::kSystemScript)
            WriteUnreadableScript(kSystemScript, kKey);
        if (c.step == EStep::kDisplayScript)
            WriteUnreadableScript(kDisplayScript, kKey);
        const std::string displayScriptBefore = ReadText(kDisplayScript);
        const bool displayScriptExisted = FileExists(kDisplayScript);
        TestGameOptions options;
        options.failCreateViewport = c.step == EStep::kViewport;
        options.failCreateDevices = c.step == EStep::kDevices;
        options.quitInFrame = 1;
        FrameRecord record;
        {
            CTestGame game(record, options);
            testing::internal::CaptureStderr();
            EXPECT_EQ(game.Run(nullptr, kKey, ""), 0);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(c.reason) + "\n");
            EXPECT_EQ(LogText(), std::string(c.log) + "\t" + c.reason + "\n");
            EXPECT_EQ(record.calls, std::vector<std::string>{}) << "neither OnStart nor a frame";
        }

        if (c.devicesMade) {
            ExpectEachReleasedAndDeletedOnce(record);
        } else {
            EXPECT_EQ(record.viewportCloses, 0);
            EXPECT_EQ(record.deletions.size(), 0u);
        }
        if (c.displayScriptRead) {
            EXPECT_TRUE(StartsWith(ReadText(kDisplayScript), NewScriptText() + "[3DInit]\r\nWidth = 640.000000\r\n"));
        } else {
            // A script that was never read is never written, not even under the name it has
            // before loading.
            EXPECT_EQ(FileExists(kDisplayScript), displayScriptExisted);
            EXPECT_EQ(ReadText(kDisplayScript), displayScriptBefore);
        }
    }
}

TEST_F(StartupFailureTest, FailedDeviceStartLeavesOnlyTheDevicesOwnLogLines) {
    struct Case {
        const char* name;
        void (*fail)();
        const char* logEnd;
    };
    const Case cases[] = {
        {"render device", [] { winapi::d3d::SetFailure(winapi::d3d::EFailure::kCreateObject, true); },
         "\tCreating Devices .. \tOk\n\tthe render device cannot start\n"},
        {"input device", [] { winapi::SetInputFailure(winapi::EInputStep::kLoadLibrary, true); },
         "DirectX 8 input device: DirectX 8 is not installed\n\tthe input devices cannot start\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameRoot root;
        c.fail();
        FrameRecord record;
        {
            TestGameOptions options;
            options.quitInFrame = 1;
            CTestGame game(record, options);
            EXPECT_EQ(game.Run(nullptr, kKey, ""), 0);
            const std::string log = LogText();
            EXPECT_TRUE(StartsWith(log, kStartLog)) << log;
            EXPECT_TRUE(EndsWith(log, c.logEnd)) << log;
            EXPECT_EQ(record.calls, std::vector<std::string>{});
        }
        ExpectEachReleasedAndDeletedOnce(record);
        winapi::d3d::ClearFailures();
        winapi::ClearInputFailures();
    }
}

TEST_F(StartupFailureTest, SoundDeviceThatCannotStartIsReplacedBySilence) {
    TestGameOptions options;
    options.failSoundInit = true;
    CTestGame game(m_record, options);
    testing::internal::CaptureStderr();
    ASSERT_EQ(game.Init(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "No sound output could start: the game runs without sound.\n");

    EXPECT_NE(dynamic_cast<CSoundDeviceNull*>(game.m_pSoundDevice), nullptr);
    ASSERT_EQ(m_record.soundInits.size(), 1u);
    EXPECT_EQ(m_record.Deleted("sound"), 1) << "the device that failed is gone at once";
    EXPECT_EQ(m_record.soundReleases, 0);
    EXPECT_EQ(game.Frame(), 1);
    EXPECT_EQ(game.Frame(), 1);
    EXPECT_EQ(game.Shutdown(), 1);
}

}  // namespace
