// The entry the program calls, run in this process on a copy of the default data set: the one
// application object is the global one while it runs, and the global pointer is null after.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/Class.h"
#include "engine/gui/Wnd.h"
#include "game/app/Game.h"
#include "game/app/GameClasses.h"
#include "game/app/WinMain.h"
#include "tests/support/FrameReset.h"
#include "tests/support/GameRoot.h"
#include "tests/support/TempDir.h"

// A window a dialog script creates: at its first update it notes the global application
// object and ends the run.
class CProbeWnd : public CWnd {
    DECLARE_RUNTIME_CLASS(CProbeWnd)
public:
    int Update(double) override {
        seen = g_pGame;
        ++updates;
        return 0;
    }
    static inline CGame* seen = nullptr;
    static inline int updates = 0;
};

IMPLEMENT_RUNTIME_CLASS(CProbeWnd, CWnd)

namespace {

constexpr const char* kProbeBlock =
    "\r\n[Probe]\r\nClass = \"CProbeWnd\"\r\nID = 200.000000\r\nRectX = 0.000000\r\nRectY = 0.000000\r\n"
    "RectW = 1.000000\r\nRectH = 1.000000\r\n";

TEST(WinMainTest, TheGameIsTheGlobalOneWhileItRunsAndNoneAfter) {
    ResetFrameState();
    RegisterGameClasses();
    GameRoot root;
    ASSERT_TRUE(root.CopyFrom(BRENLOW_DATA_DIR));
    const std::string credits = root.File("scripts/gui/creditsmenu.vsc");
    WriteText(credits, ReadText(credits) + kProbeBlock);

    char commandLine[] = "";
    EXPECT_EQ(WinMain(nullptr, nullptr, commandLine, 1), 1);
    EXPECT_EQ(g_bStartUpFailed, 0);
    EXPECT_GT(CProbeWnd::updates, 0);
    EXPECT_NE(CProbeWnd::seen, nullptr);
    EXPECT_EQ(g_pGame, nullptr);
}

}  // namespace
