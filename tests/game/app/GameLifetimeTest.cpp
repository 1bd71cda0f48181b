// The application object from construction to destruction: what it starts with, and that
// destroying it frees everything it made exactly once, whether the engine and the game's
// objects were made or not (the sanitizer build checks the freeing).
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "engine/graphics/RenderDevice.h"
#include "game/app/Game.h"
#include "game/ui/DlgMemoBox.h"
#include "game/ui/DlgOptionMenu.h"
#include "game/ui/WndDesktop.h"
#include "tests/game/app/GameFixture.h"

namespace {

using GameLifetimeTest = GameTest;

TEST_F(GameLifetimeTest, StartsWithNothingMadeAndTheFirstCDTrack) {
    const CGame& game = *m_game;
    EXPECT_EQ(game.m_pDisplayModes, nullptr);
    EXPECT_EQ(game.m_pGuiGfx, nullptr);
    EXPECT_EQ(game.m_pDesktop, nullptr);
    EXPECT_EQ(game.m_pWorld, nullptr);
    EXPECT_EQ(game.m_pController, nullptr);
    EXPECT_EQ(game.m_pCamera, nullptr);
    EXPECT_EQ(game.m_pMenuFont, nullptr);
    EXPECT_EQ(game.m_pPointerTexture, nullptr);
    EXPECT_EQ(game.m_nCDTrack, 1u);
    EXPECT_EQ(game.m_fTotalStepTime, 0.0);
    EXPECT_EQ(game.m_fStepTime, 0.0);
    EXPECT_EQ(game.m_fSceneClock, 0.0);
    EXPECT_EQ(game.m_bPaused, 0);
    EXPECT_EQ(game.m_bWindowEnabled, 0);
    EXPECT_EQ(game.m_bDemoScreen, 0);
    EXPECT_EQ(game.m_bBonusBirdShown, 0);
    EXPECT_EQ(game.m_fFramesPerSecond, 0.0f);
}

TEST_F(GameLifetimeTest, MakesTheGameObjectsInTheirMembers) {
    m_game->CreateGameObjects();
    const CGame& game = *m_game;
    const std::vector<const void*> made = {
        game.m_pGuiGfx,       game.m_pGameGfx,       game.m_pLoadingGfx,    game.m_pShaderHandler,
        game.m_pSoundHandler, game.m_pDesktop,       game.m_pOptionMenu,    game.m_pCreditsMenu,
        game.m_pMemoBox,      game.m_pLevelProperty, game.m_pLevelDone,     game.m_pFileOpen,
        game.m_pStartLevel,   game.m_pChooseLevel,   game.m_pLabChoose,     game.m_pLabChooseEnhanced,
        game.m_pWorld,        game.m_pController,
    };
    for (const void* object : made)
        EXPECT_NE(object, nullptr);
    EXPECT_EQ(game.m_pDesktop->m_nMessageBoxID, 0);
}

// Each case makes the engine, the game's objects or both, perhaps joins the desktop and some
// dialogs to the root window as the start-up does, then destroys the application.
struct Lifetime {
    const char* name;
    bool engine;
    bool objects;
    bool desktopInTree;
    bool graphics;

    friend void PrintTo(const Lifetime& c, std::ostream* out) { *out << c.name; }
};

class GameDestructionTest : public GameTest, public ::testing::WithParamInterface<Lifetime> {};

TEST_P(GameDestructionTest, FreesWhatWasMadeOnce) {
    const Lifetime& c = GetParam();
    if (c.engine) {
        ASSERT_TRUE(StartEngine());
    }
    if (c.objects)
        m_game->CreateGameObjects();
    if (c.desktopInTree) {
        m_game->m_pRootWindow->AddChild(m_game->m_pDesktop, 0);
        m_game->m_pDesktop->AddChild(m_game->m_pOptionMenu, 1);
        m_game->m_pDesktop->AddChild(m_game->m_pMemoBox, 7);
    }
    if (c.graphics) {
        ASSERT_EQ(m_game->InitGfx(), 1);
        ASSERT_EQ(m_game->InitSound(), 1);
        m_game->CollectDisplayModes();
    }
    m_game.reset();
    SUCCEED();
}

INSTANTIATE_TEST_SUITE_P(Steps, GameDestructionTest,
                         ::testing::Values(Lifetime{"Nothing", false, false, false, false},
                                           Lifetime{"ObjectsOnly", false, true, false, false},
                                           Lifetime{"EngineOnly", true, false, false, false},
                                           Lifetime{"EngineAndObjects", true, true, false, false},
                                           Lifetime{"DesktopInTheTree", true, true, true, false},
                                           Lifetime{"GraphicsAndSoundLoaded", true, true, true, true}),
                         [](const ::testing::TestParamInfo<Lifetime>& info) { return info.param.name; });

}  // namespace
