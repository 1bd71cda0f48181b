#include "engine/core/LogFile.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"

namespace {

class LogFileTest : public ::testing::Test {
protected:
    TempDir m_dir;
};

TEST_F(LogFileTest, WritesAreJoinedAsGivenAndOnDiskAtOnce) {
    const std::string path = m_dir.File("app.log");
    CLogFile log(path.c_str());
    ASSERT_TRUE(log.IsOpen());
    EXPECT_EQ(ReadText(path), "");

    // Read while the log is still open: every write must already be flushed.
    log.Write("a");
    EXPECT_EQ(ReadText(path), "a");
    log.Write("b\n");
    EXPECT_EQ(ReadText(path), "ab\n");
    log.Write("");
    EXPECT_EQ(ReadText(path), "ab\n");
    log.Write("device: 100%\n");
    EXPECT_EQ(ReadText(path), "ab\ndevice: 100%\n");
}

TEST_F(LogFileTest, PrintfFormatsAndFlushes) {
    const std::string path = m_dir.File("app.log");
    CLogFile log(path.c_str());
    log.Printf("mode %dx%d, %s", 640, 480, "16 bit");
    EXPECT_EQ(ReadText(path), "mode 640x480, 16 bit");
    log.Printf(" %5.2f%%|%-3s|%03u\n", 3.14159, "x", 7u);
    EXPECT_EQ(ReadText(path), "mode 640x480, 16 bit  3.14%|x  |007\n");
    log.Write("after");
    EXPECT_EQ(ReadText(path), "mode 640x480, 16 bit  3.14%|x  |007\nafter");
}

TEST_F(LogFileTest, OpeningEmptiesAnExistingFile) {
    const std::string path = m_dir.File("app.log");
    WriteText(path, "a previous run's long log\nwith two lines\n");
    {
        CLogFile log(path.c_str());
        ASSERT_TRUE(log.IsOpen());
        EXPECT_EQ(ReadText(path), "");
        log.Write("new");
    }
    EXPECT_EQ(ReadText(path), "new");
}

TEST_F(LogFileTest, LogThatCannotBeOpenedTakesWritesSilently) {
    const std::string path = m_dir.File("missing/app.log");
    {
        CLogFile log(path.c_str());
        EXPECT_FALSE(log.IsOpen());
        log.Write("lost\n");
        log.Printf("%d %s\n", 1, "lost");
    }
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(FileExists(m_dir.File("missing")));
}

}  // namespace
