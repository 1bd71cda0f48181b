// The real program started as a person starts it, in a copy of the default data set: its exit
// status after SIGTERM or SIGINT in the main loop (with the settings saved), after a failed engine
// start-up, a failed game start-up and a missing element script, and outside a game root.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "game/app/GameFiles.h"
#include "game/app/WinMain.h"
#include "game/flow/ControllerFiles.h"
#include "tests/support/GameRoot.h"
#include "tests/support/TempDir.h"

namespace {

// The log the program writes in its root, named after the system script's "AppName".
constexpr const char* kShippedLog = "brenlow.log";
constexpr const char* kStartedLine = "Game::Init -------- End\n";

struct Ending {
    int status = -1;  // the exit status; -1 when the program did not exit by itself
    std::string errors;
};

class ProgramEntryTest : public ::testing::Test {
protected:
    // A copy of the default data set, broken by `change` when given.
    std::string MakeRoot(const std::function<void(const std::string&)>& change = {}) {
        const std::string root = m_roots.File("root");
        std::filesystem::copy(BRENLOW_DATA_DIR, root, std::filesystem::copy_options::recursive);
        if (change)
            change(root);
        return root;
    }

    // Runs the program in `folder`; with a signal, sends it once the log says start-up is over.
    // Waits at most a minute.
    Ending Run(const std::string& folder, int signal = 0) {
        const std::string errorsFile = m_output.File("stderr");
        const pid_t child = fork();
        if (child == 0) {
            const int errors = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (errors < 0 || dup2(errors, STDERR_FILENO) < 0 || chdir(folder.c_str()) != 0)
                _exit(127);
            execl(BRENLOW_PROGRAM, BRENLOW_PROGRAM, static_cast<char*>(nullptr));
            _exit(127);
        }
        Ending ending;
        if (child < 0)
            return ending;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        bool signalled = false;
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return ending;
            }
            if (signal && !signalled && ReadText(folder + "/" + kShippedLog).find(kStartedLine) != std::string::npos) {
                // A few frames of the main loop first.
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                kill(child, signal);
                signalled = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ending.errors = ReadText(errorsFile);
        return ending;
    }

    TempDir m_roots;
    TempDir m_output;
};

// Both close the window, as a person closing it would.
TEST_F(ProgramEntryTest, SigtermOrSigintInTheMainLoopEndsWithZeroAndSavesTheSettings) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove_all(m_roots.File("root"));
        const std::string root = MakeRoot();
        ASSERT_FALSE(FileExists(root + "/" + kConfigScriptPath));
        const Ending ending = Run(root, signal);
        EXPECT_EQ(ending.status, 0) << ending.errors;
        EXPECT_TRUE(FileExists(root + "/" + kConfigScriptPath)) << "written at shut-down";
    }
}

TEST_F(ProgramEntryTest, AFailedStartUpEndsWithOne) {
    const struct {
        const char* name;
        std::function<void(const std::string&)> breakRoot;
    } kCases[] = {
        {"the engine's: an unreadable system script",
         [](const std::string& root) { WriteUnreadableScript(root + "/" + kSystemScript, kValueScriptKey); }},
        {"the game's: a dialog script removed",
         [](const std::string& root) { std::filesystem::remove(root + "/" + kDialogScripts[3].path); }},
        {"the controller's: no element script",
         [](const std::string& root) { std::filesystem::remove(root + "/" + kElementScriptPath); }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_roots.File("root"));
        const std::string root = MakeRoot(c.breakRoot);
        EXPECT_EQ(Run(root).status, 1);
    }
}

// Without the system script's "AppName" the log is the frame's own "Game.log": it ends with
// the failed step and its reason.
TEST_F(ProgramEntryTest, AnEngineStartUpFailureEndsTheDefaultLogWithTheFailedStep) {
    const std::string root = MakeRoot(
        [](const std::string& folder) { WriteUnreadableScript(folder + "/" + kSystemScript, kValueScriptKey); });
    EXPECT_EQ(Run(root).status, 1);
    const std::string log = ReadText(root + "/" + kLogFile);
    const std::string ending = "\tLoading System-Init-Script .. \tFailed\n\t" + std::string(kSystemScript) +
                               " has no readable [System] block\n";
    ASSERT_GE(log.size(), ending.size()) << log;
    EXPECT_EQ(log.substr(log.size() - ending.size()), ending) << log;
}

TEST_F(ProgramEntryTest, OutsideAGameRootItSaysSoOnOneLineAndCreatesNothing) {
    const std::string folder = m_roots.File("empty");
    std::filesystem::create_directory(folder);
    const Ending ending = Run(folder);
    EXPECT_EQ(ending.status, 1);
    EXPECT_NE(ending.errors.find("game root"), std::string::npos) << ending.errors;
    EXPECT_EQ(std::count(ending.errors.begin(), ending.errors.end(), '\n'), 1) << ending.errors;
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
