// The game's start-up failing at each step in turn on the fixture game root, run as the
// program runs it: the step's failure line, the loop ending at once, the start-up-failed flag,
// settings the run never read left as they were, and everything released once (the sanitizer
// build checks that); and shut-downs whose saves fail.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/AtomicFileTestHooks.h"
#include "tests/game/app/GameFixture.h"
#include "tests/support/FixtureGameRoot.h"

namespace {

constexpr const char* kKey = "pv263918";

enum class EBreak { kRemove, kUnreadable };

struct StartUpFailure {
    std::string name;
    std::string file;
    EBreak how;
    // The log's last step lines; empty for the steps that log no failure of their own.
    std::string lastLines;
    // Whether the run read the settings scripts (and so may rewrite them).
    bool configRead;
    bool labsRead;

    friend void PrintTo(const StartUpFailure& c, std::ostream* out) { *out << c.name; }
};

class GameStartupFailureTest : public GameTest, public ::testing::WithParamInterface<StartUpFailure> {};

TEST_P(GameStartupFailureTest, LogsTheStepEndsTheLoopAndKeepsUnreadSettings) {
    const StartUpFailure& c = GetParam();
    if (c.how == EBreak::kRemove) {
        ASSERT_EQ(std::remove(m_root.File(c.file).c_str()), 0) << c.file;
    } else {
        WriteUnreadableScript(m_root.File(c.file), kKey);
    }
    const std::string config = ReadText(m_root.File(fixture::kConfigScript));
    const std::string labs = ReadText(m_root.File(fixture::kLabsScript));

    EXPECT_EQ(m_game->Run(nullptr, kKey, ""), 1);
    EXPECT_EQ(g_bStartUpFailed, 1);
    const std::string steps = StepLinesFrom(0);
    const bool ended = c.lastLines.find("Game::Init -------- End") != std::string::npos;
    EXPECT_EQ(steps.find("Game::Init -------- End") != std::string::npos, ended);
    if (c.lastLines.back() == '\n') {
        ASSERT_GE(steps.size(), c.lastLines.size());
        EXPECT_EQ(steps.substr(steps.size() - c.lastLines.size()), c.lastLines);
    } else {
        // A line whose line end comes before its last character.
        EXPECT_NE(LogTextFrom(0).find(c.lastLines), std::string::npos);
    }
    if (!c.configRead) {
        EXPECT_EQ(ReadText(m_root.File(fixture::kConfigScript)), config);
    }
    if (!c.labsRead) {
        EXPECT_EQ(ReadText(m_root.File(fixture::kLabsScript)), labs);
    }
}

std::vector<StartUpFailure> Failures() {
    const std::string gfxSteps =
        "\t\tInit GUI Gfx Handler\t\tOK\n\t\tLoading GUI Gfx Script\t\tOK\n\t\tInit Gfx Handler\t\tOK\n";
    std::vector<StartUpFailure> failures = {
        {"LoadingTexture", fixture::kBigGear.file, EBreak::kRemove,
         "Game::Init -------- Start\n\t\tInit loading gfx handler\t\tOK\n\t\tLoading loading gfx script\t\tFAILED\n",
         false, false},
        {"UnreadableSettings", fixture::kConfigScript, EBreak::kUnreadable,
         "\t\tLoading loading gfx script\t\tOK\n", false, false},
        {"UnreadableLabs", fixture::kLabsScript, EBreak::kUnreadable, "\t\tLoading loading gfx script\t\tOK\n", true,
         false},
        {"InterfaceFont", fixture::kMenuFont.file, EBreak::kRemove,
         "\tInit Gfx\n\t\tInit GUI Gfx Handler\t\tOK\n\t\tLoading GUI Gfx Script\t\tFAILED\n\tFAILED\n", true, true},
        {"GameModel", fixture::kGameModel.file, EBreak::kRemove,
         "\tInit Gfx\n" + gfxSteps + "\t\tLoading Gfx Script\t\tFAILED\n\tFAILED\n", true, true},
        {"ShaderScript", fixture::kShaderScript, EBreak::kRemove,
         "\t\tLoading Gfx Script\t\tOK\n\t\tInit Shader Handler\t\tOK\n\t\tLoading Shader Script\t\tFAILED\n\tFAILED\n",
         true, true},
        {"SoundFile", fixture::kSound.file, EBreak::kRemove,
         "\tInit Sound\n\t\tInit Sound FX Handler\t\tOK\n\t\tInit Sound FX Script\t\tFAILED\n\tFAILED\n", true, true},
    };
    const std::pair<const char*, const char*> dialogs[] = {
        {"optionmenu", "\tFAILED (OptionMenu)\n"},   {"creditsmenu", "\tFAILED (Credits)\n"},
        {"chooselevel", "\tFAILED (ChooseLevel)\n"}, {"labchoose", "\tFAILED (LabChoose)\n"},
        {"labchooseenhanced", "\tFAILED (LabChooseEhanced)\n"},
        {"fileopen", "\tFAILED (FileOpen\n)"},       {"memobox", "\tFAILED (Memobox)\n"},
        {"levelproperty", "\tFAILED (LevelProperty)\n"}, {"leveldone", "\tFAILED (LevelDone)\n"},
        {"startlevel", "\tFAILED (StartLevel)\n"},
    };
    for (const auto& [name, line] : dialogs)
        failures.push_back({std::string("Dialog_") + name, fixture::DialogScriptPath(name), EBreak::kRemove, line,
                            true, true});
    // The controller's set-up asks to quit; the start-up itself has ended without a failure.
    failures.push_back({"ElementScript", fixture::kElementScript, EBreak::kRemove, "Game::Init -------- End\n",
                        true, true});
    return failures;
}

INSTANTIATE_TEST_SUITE_P(Steps, GameStartupFailureTest, ::testing::ValuesIn(Failures()),
                         [](const ::testing::TestParamInfo<StartUpFailure>& info) { return info.param.name; });

using GameShutdownTest = GameTest;

TEST_F(GameShutdownTest, FailedSavesAreLoggedAndEverythingIsReleased) {
    ASSERT_TRUE(StartEngine());
    ASSERT_EQ(m_game->Init(), 1);
    const size_t start = ReadText(kLogFile).size();
    SetAtomicFileCommitFailure(true);
    EXPECT_EQ(m_game->Shutdown(), 0);
    SetAtomicFileCommitFailure(false);
    EXPECT_EQ(StepLinesFrom(start),
              "\tFAILED saving scripts/config/config.vsc\n\tFAILED saving scripts/config/labs.vsc\n");
    EXPECT_EQ(m_game->m_pController, nullptr);
    EXPECT_EQ(m_game->m_pWorld, nullptr);
    EXPECT_EQ(m_game->m_pSoundHandler, nullptr);
}

TEST_F(GameShutdownTest, AShutDownAfterAFailedStartUpIsHarmless) {
    ASSERT_EQ(std::remove(m_root.File(fixture::kBigGear.file).c_str()), 0);
    ASSERT_TRUE(StartEngine());
    ASSERT_EQ(m_game->Init(), 0);
    EXPECT_EQ(m_game->Shutdown(), 1);
    m_game->OnExit();
}

}  // namespace
