// Shut-down: every device released and deleted exactly once, also across the destructor's
// second shut-down, the log deleted last, and a display script that cannot be saved.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/engine/core/frame/FrameTest.h"

namespace {

using ShutdownTest = FrameTest;

// What the devices write into the frame's log as they are deleted, in the frame's order.
constexpr const char* kDeviceDeletionLines = "render device deleted\nsound device deleted\ninput device deleted\n";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void ExpectReleasedOnceAfterExit(const FrameRecord& record) {
    EXPECT_EQ(record.renderShutdowns, 1);
    EXPECT_EQ(record.soundReleases, 1);
    EXPECT_EQ(record.inputReleases, 1);
    ASSERT_GE(record.viewportClosesAtExit, 0) << "OnExit never ran";
    EXPECT_EQ(record.viewportCloses, record.viewportClosesAtExit + 1) << "one Close from the shut-down";
    EXPECT_EQ(record.deletions, (std::vector<std::string>{"render", "sound", "input", "viewport"}));
}

void ExpectNothingLeft(const CTestGame& game) {
    EXPECT_EQ(game.m_pRenderDevice, nullptr);
    EXPECT_EQ(game.m_pSoundDevice, nullptr);
    EXPECT_EQ(game.m_pInputDevice, nullptr);
    EXPECT_EQ(game.m_pViewport, nullptr);
    EXPECT_EQ(game.m_pTimer, nullptr);
    EXPECT_EQ(game.m_pLog, nullptr);
    EXPECT_EQ(game.m_pRootWindow, nullptr);
}

TEST_F(ShutdownTest, RunReleasesEachDeviceOnceAndDeletesTheLogLast) {
    TestGameOptions options;
    options.quitInFrame = 1;
    {
        CTestGame game(m_record, options);
        EXPECT_EQ(game.Run(nullptr, "", ""), 1);
        ExpectReleasedOnceAfterExit(m_record);
        ExpectNothingLeft(game);
        EXPECT_TRUE(EndsWith(LogText(), kDeviceDeletionLines)) << LogText();
    }
    ExpectReleasedOnceAfterExit(m_record);
}

TEST_F(ShutdownTest, RootWithoutConfigFolderStartsOnDefaultsAndReportsTheFailedSave) {
    std::filesystem::remove_all("scripts");
    TestGameOptions options;
    options.quitInFrame = 2;
    {
        CTestGame game(m_record, options);
        EXPECT_EQ(game.Run(nullptr, "", ""), 0) << "the display script could not be saved";
        EXPECT_EQ(game.framesRun, 2);
        ASSERT_EQ(m_record.renderInits.size(), 1u);
        EXPECT_EQ(m_record.renderInits[0].width, 640u);
        EXPECT_EQ(m_record.renderInits[0].height, 480u);
        EXPECT_EQ(m_record.renderInits[0].bitsPerPixel, 32u);
        ExpectReleasedOnceAfterExit(m_record);
        ExpectNothingLeft(game);
        const std::string log = LogText();
        EXPECT_EQ(log.substr(0, std::string(kStartLog).size()), kStartLog);
        EXPECT_TRUE(EndsWith(log, std::string("CBaseGame::Shutdown - could not save scripts/config/3dinit.vsc\n") +
                                      kDeviceDeletionLines))
            << log;
    }
    ExpectReleasedOnceAfterExit(m_record);
    EXPECT_FALSE(FileExists("scripts"));
}

}  // namespace
