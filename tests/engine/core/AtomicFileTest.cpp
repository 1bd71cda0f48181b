// The atomic writer on a real folder: what a commit leaves, what a failure leaves, the modes
// of new and replaced files, and files the process may not write.
#include "engine/core/AtomicFile.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/AtomicFileTestHooks.h"
#include "tests/support/TempDir.h"

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Every test below writes through the whole-file writer, so its cases hold for it too.
int WriteWhole(const std::string& path, const std::string& text) {
    return WriteWholeFileAtomically(path.c_str(), text.data(), text.size());
}

// Runs body in a child process and gives its exit status; for limits and users that must not
// touch the test process.
template <typename Body>
int InChild(Body body) {
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(AtomicFileTest, TheWholeFileWriterRefusesNoPathAndNoBytes) {
    TempDir dir;
    const std::string path = dir.File("whole.txt");
    EXPECT_EQ(WriteWholeFileAtomically(nullptr, "x", 1), 0);
    EXPECT_EQ(WriteWholeFileAtomically(path.c_str(), nullptr, 1), 0);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_EQ(WriteWholeFileAtomically(path.c_str(), nullptr, 0), 1) << "an empty file";
    EXPECT_EQ(ReadText(path), "");
}

TEST(AtomicFileTest, NewFileGetsThePlainModeAndNothingElseStays) {
    TempDir dir;
    const std::string plain = dir.File("plain.txt");
    FILE* reference = fopen(plain.c_str(), "wb");
    ASSERT_NE(reference, nullptr);
    fclose(reference);

    const std::string path = dir.File("new.txt");
    ASSERT_EQ(WriteWhole(path, "hello"), 1);
    EXPECT_EQ(ReadText(path), "hello");
    EXPECT_EQ(ModeOf(path), ModeOf(plain));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"new.txt", "plain.txt"}));
}

TEST(AtomicFileTest, ReplacedFileKeepsItsModeAndLeftoversOfItGo) {
    TempDir dir;
    const std::string path = dir.File("settings.vsc");
    WriteText(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    // What killed writers left: of this file (removed), of another file and look-alikes (kept).
    const std::vector<std::string> others = {"other.vsc.tmp-a1b2c3", "settings.vsc.tmp-toolong", "settings.vsc.tmp"};
    WriteText(dir.File("settings.vsc.tmp-Zq9xY0"), "half");
    for (const std::string& other : others)
        WriteText(dir.File(other), "keep");

    ASSERT_EQ(WriteWhole(path, "new"), 1);
    EXPECT_EQ(ReadText(path), "new");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"other.vsc.tmp-a1b2c3", "settings.vsc", "settings.vsc.tmp",
                                                     "settings.vsc.tmp-toolong"}));
}

TEST(AtomicFileTest, ACaseVariantIsReplacedAndANewFileKeepsTheAskedCase) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("Labs").c_str(), 0755), 0);
    WriteText(dir.File("Labs/Mein Labor.zql"), "old");

    ASSERT_EQ(WriteWhole(dir.File("LABS/mein labor.zql"), "new"), 1);
    ASSERT_EQ(WriteWhole(dir.File("labs/Neues Labor.zql"), "fresh"), 1);
    EXPECT_EQ(ReadText(dir.File("Labs/Mein Labor.zql")), "new");
    EXPECT_EQ(ReadText(dir.File("Labs/Neues Labor.zql")), "fresh");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Labs"});
    std::vector<std::string> labs;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("Labs")))
        labs.push_back(entry.path().filename().string());
    std::sort(labs.begin(), labs.end());
    EXPECT_EQ(labs, (std::vector<std::string>{"Mein Labor.zql", "Neues Labor.zql"}));
}

TEST(AtomicFileTest, FailedCommitsLeaveTheOldFileAndNothingElse) {
    struct Case {
        const char* name;
        int (*write)(const std::string& path, const std::string& text);
    };
    const Case cases[] = {
        {"the switch",
         [](const std::string& path, const std::string& text) {
             SetAtomicFileCommitFailure(true);
             const int result = WriteWhole(path, text);
             SetAtomicFileCommitFailure(false);
             return result;
         }},
        {"a real short write",
         [](const std::string& path, const std::string& text) {
             // The file-size limit cuts the write short; ignoring SIGXFSZ turns it into an error.
             return InChild([&] {
                 signal(SIGXFSZ, SIG_IGN);
                 const rlimit limit{4096, 4096};
                 setrlimit(RLIMIT_FSIZE, &limit);
                 return WriteWhole(path, text) ? 1 : 0;
             });
         }},
        {"abandoned",
         [](const std::string& path, const std::string& text) {
             CAtomicFile file;
             return file.Open(path.c_str()) && file.Write(text.data(), text.size()) ? 0 : 1;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("lab.zql");
        const std::string old(1000, 'o');
        WriteText(path, old);
        EXPECT_EQ(c.write(path, std::string(100000, 'n')), 0);
        EXPECT_EQ(ReadText(path), old);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"lab.zql"});
    }
}

// Tests run as root, for whom every file is writable: the refusal is shown by a child that
// takes another user's identity.
TEST(AtomicFileTest, AFileThisProcessMayNotWriteIsRefusedAndKept) {
    TempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
    const std::string path = dir.File("readonly.vsc");
    WriteText(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const int result = InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 2;
        CAtomicFile file;
        return file.Open(path.c_str());
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadText(path), "old");
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"readonly.vsc"});
}

TEST(AtomicFileTest, PlacesThatCannotHoldTheFileAreRefused) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
    const std::string paths[] = {"", dir.File("missing/x.txt"), dir.File("folder")};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        CAtomicFile file;
        EXPECT_EQ(file.Open(path.c_str()), 0);
        EXPECT_EQ(file.Commit(), 0);
    }
    CAtomicFile none;
    EXPECT_EQ(none.Open(nullptr), 0);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"folder"});
}

}  // namespace
