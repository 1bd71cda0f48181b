// The controller as the application makes it: its application, its own lab and two unopened
// streams, the player's header and the starting screen state; what it owns is freed with it.
#include "game/flow/RODAGame.h"

#include <gtest/gtest.h>

#include "engine/sound/SoundOgg.h"
#include "game/app/FlipCounter.h"
#include "game/app/WorldContent.h"
#include "tests/game/app/GameFixture.h"
#include "tests/game/flow/PlayerHeader.h"

namespace {

using RODAGameTest = GameTest;

bool Unopened(const CSoundOgg* stream) {
    return stream && !stream->m_pFile && !stream->m_pDecoder && !stream->m_pBuffer && stream->m_nDataSize == 0;
}

TEST_F(RODAGameTest, KeepsItsApplicationAndMakesItsLabAndTwoUnopenedStreams) {
    RODAGame controller(m_game.get());
    EXPECT_EQ(controller.m_pGame, m_game.get());
    ASSERT_NE(controller.m_pLab, nullptr);
    // The lab keeps the music playing through the application's sound device.
    EXPECT_EQ(controller.m_pLab->m_pOwner, m_game.get());
    EXPECT_EQ(controller.m_pLab->GetCount(), 0);
    EXPECT_TRUE(Unopened(controller.m_pMusicStream));
    EXPECT_TRUE(Unopened(controller.m_pVoiceStream));
    EXPECT_NE(controller.m_pMusicStream, controller.m_pVoiceStream);
}

TEST_F(RODAGameTest, StartsOnTheStartScreenInTheCareerWithNoThemeAndNothingLookedUp) {
    const RODAGame controller(m_game.get());
    EXPECT_EQ(controller.GameMode, 1);
    EXPECT_EQ(controller.m_bStartScreen, 1);
    EXPECT_EQ(controller.m_nMusicTheme, -1);
    EXPECT_EQ(controller.nMode, 0);
    EXPECT_EQ(controller.m_pMOGame, nullptr);
    EXPECT_EQ(controller.m_pMOMenu, nullptr);
    for (const CFlipCounter* counter : controller.m_pCounters)
        EXPECT_EQ(counter, nullptr);
    EXPECT_EQ(controller.m_StringTable.GetEntries().m_nCount, 0);
}

TEST_F(RODAGameTest, PlayerHeaderHoldsTheDefaultNameTheVersionsAndZerosElsewhere) {
    const RODAGame controller(m_game.get());
    EXPECT_EQ(HeaderOf(controller), HeaderWithName("USER"));
}

// Every owned object goes with the controller, made or set up; the sanitizers see a leak or
// a second free.
TEST_F(RODAGameTest, FreesWhatItOwnsWithoutAnApplicationToo) {
    delete new RODAGame(m_game.get());
    delete new RODAGame(nullptr);
    SUCCEED();
}

TEST_F(RODAGameTest, WithoutAnApplicationSetUpAndStartScreenDoNothing) {
    RODAGame controller(nullptr);
    controller.InitGame();
    controller.StartScreen();
    EXPECT_EQ(controller.m_pMOGame, nullptr);
    for (const CFlipCounter* counter : controller.m_pCounters)
        EXPECT_EQ(counter, nullptr);
    EXPECT_EQ(HeaderOf(controller), HeaderWithName("USER"));
}

}  // namespace
