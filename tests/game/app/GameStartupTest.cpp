// The game's start-up and shut-down on the fixture game root: the log of every step, the
// desktop with its dialogs, the settings read and written back, the CD at start, and the
// whole run from the program's start until the window is closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ValueScript.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/gui/Wnd.h"
#include "engine/platform/Viewport.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMWorld.h"
#include "game/flow/RODAGame.h"
#include "game/ui/WndDesktop.h"
#include "tests/game/app/GameFixture.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/FrameReset.h"
#include "winapi/base/WinFile.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/mm/MmTestHooks.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

constexpr const char* kKey = "pv263918";

const char* const kStartUpLog =
    "Game::Init -------- Start\n"
    "\t\tInit loading gfx handler\t\tOK\n"
    "\t\tLoading loading gfx script\t\tOK\n"
    "\tInit Gfx\n"
    "\t\tInit GUI Gfx Handler\t\tOK\n"
    "\t\tLoading GUI Gfx Script\t\tOK\n"
    "\t\tInit Gfx Handler\t\tOK\n"
    "\t\tLoading Gfx Script\t\tOK\n"
    "\t\tInit Shader Handler\t\tOK\n"
    "\t\tLoading Shader Script\t\tOK\n"
    "\tOK\n"
    "\tInit Sound\n"
    "\t\tInit Sound FX Handler\t\tOK\n"
    "\t\tInit Sound FX Script\t\tOK\n"
    "\tOK\n"
    "\tInit GameGUI\n"
    "\tOK\n"
    "Game::Init -------- End\n";

// Counts its frames and closes its window through the window layer after the third.
class ClosingGame : public CGame {
public:
    int Update(double dt) override {
        if (++frames == 3)
            winapi::InjectClose();
        return CGame::Update(dt);
    }
    int frames = 0;
};

class GameStartupTest : public GameTest {
protected:
    // The engine and the game started as the program starts them, then ended.
    bool StartAndEnd() {
        if (!StartEngine())
            return false;
        m_game->OnStart();
        m_game->OnExit();
        return true;
    }

    std::string Config() const { return ReadText(m_root.File(fixture::kConfigScript)); }
    std::string Labs() const { return ReadText(m_root.File(fixture::kLabsScript)); }
};

TEST_F(GameStartupTest, LogsEveryStepAndPutsTheDialogsUnderTheDesktop) {
    m_game->m_fGuiScaleX = 1.0f;
    ASSERT_TRUE(StartEngine());
    const size_t start = ReadText(kLogFile).size();
    ASSERT_EQ(m_game->Init(), 1);
    EXPECT_EQ(StepLinesFrom(start), kStartUpLog);

    CWndDesktop* desktop = m_game->m_pDesktop;
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(desktop->m_pParent, m_game->m_pRootWindow);
    EXPECT_EQ(desktop->m_nID, 0);
    EXPECT_STREQ(desktop->m_sName.GetText(), "Desktop");
    EXPECT_TRUE(desktop->m_nFlags & CWnd::kVisible);
    EXPECT_EQ(g_pFocusWindow, desktop);
    EXPECT_EQ(desktop->m_nLastChildID, 10);
    std::vector<int> ids;
    for (auto* node = desktop->m_pChildren->m_pHead; node; node = node->m_pNext) {
        const CWnd* dialog = static_cast<const CWnd*>(node->m_data);
        ids.push_back(dialog->m_nID);
        EXPECT_EQ(dialog->m_nFlags, 0x35u) << dialog->m_nID;
        EXPECT_EQ(dialog->m_pGame, m_game.get());
        ASSERT_NE(dialog->m_pClass, nullptr);
        // Scaled with the tree: the screen rectangle is the base one at the GUI scale.
        EXPECT_FLOAT_EQ(dialog->m_rcScreen.right, dialog->m_rcBase.right * m_game->m_fGuiScaleX);
        EXPECT_EQ(dialog->m_pChildren->m_nCount, 1) << "the script's child";
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 5, 6, 11, 7, 8, 9, 10}));
    EXPECT_STREQ(desktop->GetChildByID(9)->m_pClass->m_pszName, "CDlgFileOpen");
    EXPECT_STREQ(desktop->GetChildByID(11)->m_pClass->m_pszName, "CDlgLabChooseEnhanced");

    // The controller's start screen: the menu shown, the game scene hidden.
    const RODAGame* controller = m_game->m_pController;
    ASSERT_NE(controller->m_pMOMenu, nullptr);
    ASSERT_NE(controller->m_pMOGame, nullptr);
    EXPECT_TRUE(controller->m_pMOMenu->m_bVisible);
    EXPECT_FALSE(controller->m_pMOGame->m_bVisible);

    // The loading screen is over: its handler is empty and no loader draws it any more.
    EXPECT_EQ(m_game->m_pLoadingGfx->m_pResources->m_nCount, 0);
    EXPECT_EQ(m_game->m_pGuiGfx->m_pfnProgress, nullptr);
    EXPECT_EQ(m_game->m_pGameGfx->m_pfnProgress, nullptr);
    EXPECT_EQ(m_game->m_pWorld->m_pScripter->m_pfnProgress, nullptr);

    EXPECT_EQ(m_game->Shutdown(), 1);
    EXPECT_EQ(m_game->m_pController, nullptr);
    EXPECT_EQ(m_game->m_pWorld, nullptr);
    EXPECT_EQ(m_game->m_pGuiGfx, nullptr);
}

TEST_F(GameStartupTest, RunComesUpRunsFramesUntilTheWindowClosesAndReturnsOne) {
    auto game = std::make_unique<ClosingGame>();
    EXPECT_EQ(game->Run(nullptr, kKey, ""), 1);
    EXPECT_EQ(game->frames, 3);
    EXPECT_EQ(g_bStartUpFailed, 0);
    EXPECT_EQ(game->m_pRenderDevice, nullptr) << "the engine is shut down";
    EXPECT_NE(ReadText(kLogFile).find("Game::Init -------- End\n"), std::string::npos);
}

TEST_F(GameStartupTest, RunWithoutTheEngineReturnsZeroAndStartsNoGame) {
    winapi::d3d::SetFailure(winapi::d3d::EFailure::kAnyDevice, true);
    EXPECT_EQ(m_game->Run(nullptr, kKey, ""), 0);
    EXPECT_EQ(ReadText(kLogFile).find("Game::Init --------"), std::string::npos);
}

TEST_F(GameStartupTest, AFreshRootGetsEverySettingInOrderAndASecondRunKeepsTheBytes) {
    ASSERT_EQ(std::remove(m_root.File(fixture::kConfigScript).c_str()), 0);
    ASSERT_EQ(std::remove(m_root.File(fixture::kLabsScript).c_str()), 0);
    ASSERT_TRUE(StartAndEnd());
    const std::string config = Config();
    const char* keys[] = {"TextureQuality", "TextureFilter", "Shadows",      "SoftwareCursor",   "SoundFX",
                          "SoundFXVol",     "Speech",        "SpeechVol",    "Music",            "MusicGameVol",
                          "MusicCDVol",     "MusicCDOrder",  "CommentFrequency", "Professor",    "ToolTips",
                          "BonusBird",      "IEPath",        "UserName"};
    size_t at = 0;
    for (const char* key : keys) {
        const size_t found = config.find(std::string(key) + " = ");
        ASSERT_NE(found, std::string::npos) << key;
        EXPECT_GT(found, at) << key << " out of order";
        at = found;
    }
    EXPECT_NE(Labs().find("LabNameGame = \"tolp\""), std::string::npos);
    EXPECT_NE(Labs().find("LabNameEditor = \"Mein Labor\""), std::string::npos);

    const std::string labs = Labs();
    m_game.reset();
    ResetFrameState();
    m_game = std::make_unique<CGame>();
    ASSERT_TRUE(StartAndEnd());
    EXPECT_EQ(Config(), config);
    EXPECT_EQ(Labs(), labs);
}

// Each case writes one value into the settings script and states what the game reads.
struct ReadValue {
    const char* name;
    std::string line;
    std::function<bool(const CGame&)> check;

    friend void PrintTo(const ReadValue& c, std::ostream* out) { *out << c.name; }
};

class GameSettingValueTest : public GameStartupTest, public ::testing::WithParamInterface<ReadValue> {};

TEST_P(GameSettingValueTest, ReadsAsTheGameExpects) {
    const std::string text = std::string(CValueScript::kNewFileText) + "[Config]\r\n" + GetParam().line + "\r\n";
    FILE* file = fopen(m_root.File(fixture::kConfigScript).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    ASSERT_TRUE(StartEngine());
    ASSERT_EQ(m_game->Init(), 1);
    EXPECT_TRUE(GetParam().check(*m_game));
}

std::string CurrentDirectory() {
    char directory[1024] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory;
}

const std::string kLongName(300, 'n');

INSTANTIATE_TEST_SUITE_P(
    Values, GameSettingValueTest,
    ::testing::Values(
        ReadValue{"FractionTruncated", "TextureFilter = 2.9", [](const CGame& g) { return g.m_nTextureFilter == 2; }},
        ReadValue{"SmallNegativeIsZero", "SoundFXVol = -0.5", [](const CGame& g) { return g.m_nSoundFXVol == 0; }},
        ReadValue{"NotANumberIsTheDefault", "CommentFrequency = nan",
                  [](const CGame& g) { return g.m_nCommentFrequency == 100; }},
        ReadValue{"OutOfRangeIsTheDefault", "CommentFrequency = 1e12",
                  [](const CGame& g) { return g.m_nCommentFrequency == 100; }},
        ReadValue{"MissingIsTheDefault", "Unrelated = 1",
                  [](const CGame& g) { return g.m_nTextureFilter == 1 && g.m_nSoftwareCursor == 1 && g.m_nMusic == 1; }},
        ReadValue{"EmptyPathIsTheExperimentsFolder", "IEPath = \"\"",
                  [](const CGame& g) { return std::string(g.m_szIEPath) == CurrentDirectory() + "/data/experiments"; }},
        ReadValue{"LongNameIsCut", "UserName = \"" + kLongName + "\"",
                  [](const CGame& g) { return std::string(g.m_szUserName) == kLongName.substr(0, 63); }}),
    [](const ::testing::TestParamInfo<ReadValue>& info) { return info.param.name; });

TEST_F(GameStartupTest, ValuesThePlayerSetSurviveARun) {
    ASSERT_TRUE(SetFixtureConfigNumber(m_root, "MusicGameVol", -1500.0f));
    ASSERT_TRUE(SetFixtureConfigNumber(m_root, "TextureFilter", 2.0f));
    ASSERT_TRUE(StartAndEnd());
    CValueScript config;
    ASSERT_EQ(config.Load(fixture::kConfigScript, "Config"), 1);
    EXPECT_EQ(config.GetFloat("MusicGameVol", 0.0f), -1500.0f);
    EXPECT_EQ(config.GetFloat("TextureFilter", 0.0f), 2.0f);
}

TEST_F(GameStartupTest, MusicFromTheCDStartsTrackOne) {
    winapi::SetCdTracks(6);
    ASSERT_TRUE(SetFixtureConfigNumber(m_root, "Music", 5.0f));
    ASSERT_TRUE(StartEngine());
    winapi::ClearSentCommands();
    ASSERT_EQ(m_game->Init(), 1);
    std::vector<std::string> plays;
    for (const std::string& command : winapi::SentCommands()) {
        if (command.rfind("play cdaudio", 0) == 0)
            plays.push_back(command);
    }
    EXPECT_EQ(plays, std::vector<std::string>{"play cdaudio from 1 to 2 notify"});
}

TEST_F(GameStartupTest, OtherMusicLeavesTheCDAlone) {
    winapi::SetCdTracks(6);
    ASSERT_TRUE(StartEngine());
    winapi::ClearSentCommands();
    ASSERT_EQ(m_game->Init(), 1);
    for (const std::string& command : winapi::SentCommands())
        EXPECT_NE(command.rfind("play cdaudio", 0), 0u) << command;
}

}  // namespace
