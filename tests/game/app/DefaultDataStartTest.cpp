// The game started as the program starts it on a copy of the default data set, for a few
// hundred frames, then closed through the window layer: every step of start-up logs its OK
// line, nothing fails to load, the scripter reports no error, and start-up counts as done.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "game/app/Game.h"
#include "game/app/GameClasses.h"
#include "tests/support/FrameReset.h"
#include "tests/support/GameRoot.h"
#include "tests/support/TempDir.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

constexpr const char* kKey = "pv263918";
constexpr int kFrames = 300;

// The steps of start-up that log an OK line of their own.
const char* const kStepLines[] = {
    "\t\tInit loading gfx handler\t\tOK\n", "\t\tLoading loading gfx script\t\tOK\n",
    "\t\tInit GUI Gfx Handler\t\tOK\n",     "\t\tLoading GUI Gfx Script\t\tOK\n",
    "\t\tInit Gfx Handler\t\tOK\n",         "\t\tLoading Gfx Script\t\tOK\n",
    "\t\tInit Shader Handler\t\tOK\n",      "\t\tLoading Shader Script\t\tOK\n",
    "\t\tInit Sound FX Handler\t\tOK\n",    "\t\tInit Sound FX Script\t\tOK\n",
    "Game::Init -------- End\n",
};

// Counts its frames and closes its window through the window layer after the last.
class ClosingGame : public CGame {
public:
    int Update(double dt) override {
        if (++frames == kFrames)
            winapi::InjectClose();
        return CGame::Update(dt);
    }
    int frames = 0;
};

class DefaultDataStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFrameState();
        RegisterGameClasses();
        g_bStartUpFailed = 0;
        std::filesystem::copy(BRENLOW_DATA_DIR, m_root.File("."),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }

    void TearDown() override {
        g_bStartUpFailed = 0;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    GameRoot m_root;
};

TEST_F(DefaultDataStartTest, StartsRunsAndClosesWithoutAFailedStep) {
    auto game = std::make_unique<ClosingGame>();
    EXPECT_EQ(game->Run(nullptr, kKey, ""), 1);
    EXPECT_EQ(game->frames, kFrames);
    EXPECT_EQ(g_bStartUpFailed, 0);
    game.reset();

    // The log is named after the system script's "AppName".
    const std::string log = ReadText("brenlow.log");
    for (const char* line : kStepLines)
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("FAILED"), std::string::npos) << log;
    EXPECT_EQ(log.find("failed"), std::string::npos) << log;
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
}

}  // namespace
