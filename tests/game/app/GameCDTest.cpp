// The application's CD end-of-track handler on the platform layer's test disc: the next track
// in order or at random, and nothing without a disc or for another notification.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "game/app/Game.h"
#include "game/app/GameClasses.h"
#include "winapi/mm/MmTestHooks.h"

namespace {

constexpr WPARAM kPlayCompleted = 1;

class GameCDTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterGameClasses();
        winapi::SetCdTracks(0);
        game = std::make_unique<CGame>();
        winapi::ClearSentCommands();
    }
    void TearDown() override {
        game.reset();
        winapi::SetCdTracks(0);
        winapi::ClearSentCommands();
    }

    // The track of each play command sent since the last call.
    static std::vector<std::string> PlayedTracks() {
        std::vector<std::string> played;
        for (const std::string& command : winapi::SentCommands()) {
            if (command.rfind("play cdaudio from ", 0) == 0)
                played.push_back(command);
        }
        winapi::ClearSentCommands();
        return played;
    }

    std::unique_ptr<CGame> game;
};

TEST_F(GameCDTest, StartsAtTrackOne) {
    EXPECT_EQ(game->m_nCDTrack, 1u);
}

TEST_F(GameCDTest, InOrderPlaysTheNextTrackAndWrapsToTheFirst) {
    winapi::SetCdTracks(3);
    game->m_nCDTrack = 2;
    game->OnCDNotify(kPlayCompleted, 0);
    EXPECT_EQ(game->m_nCDTrack, 3u);
    EXPECT_EQ(PlayedTracks(), std::vector<std::string>{"play cdaudio from 3 notify"});
    game->OnCDNotify(kPlayCompleted, 0);
    EXPECT_EQ(game->m_nCDTrack, 1u);
    EXPECT_EQ(PlayedTracks(), std::vector<std::string>{"play cdaudio from 1 to 2 notify"});
}

TEST_F(GameCDTest, RandomOrderStaysOnTheDisc) {
    winapi::SetCdTracks(4);
    game->m_nMusicCDOrder = 1;
    std::vector<bool> seen(5, false);
    for (int i = 0; i < 200; ++i) {
        game->OnCDNotify(kPlayCompleted, 0);
        ASSERT_GE(game->m_nCDTrack, 1u);
        ASSERT_LE(game->m_nCDTrack, 4u);
        seen[game->m_nCDTrack] = true;
    }
    EXPECT_EQ(seen, (std::vector<bool>{false, true, true, true, true}));
}

struct IgnoredNotification {
    const char* name;
    int tracks;
    WPARAM code;

    friend void PrintTo(const IgnoredNotification& n, std::ostream* out) { *out << n.name; }
};

class GameCDIgnoredTest : public GameCDTest, public ::testing::WithParamInterface<IgnoredNotification> {};

TEST_P(GameCDIgnoredTest, PlaysNothing) {
    winapi::SetCdTracks(GetParam().tracks);
    winapi::ClearSentCommands();
    game->OnCDNotify(GetParam().code, 0);
    EXPECT_EQ(game->m_nCDTrack, 1u);
    EXPECT_TRUE(PlayedTracks().empty());
}

INSTANTIATE_TEST_SUITE_P(Notifications, GameCDIgnoredTest,
                         ::testing::Values(IgnoredNotification{"NoDisc", 0, kPlayCompleted},
                                           IgnoredNotification{"Superseded", 5, 2},
                                           IgnoredNotification{"Aborted", 5, 4},
                                           IgnoredNotification{"Failed", 5, 8}),
                         [](const ::testing::TestParamInfo<IgnoredNotification>& info) { return info.param.name; });

}  // namespace
