// The CD player over the platform layer's multimedia stand-in: the command strings it sends,
// what it makes of a drive's answers, and the CD line volume of the mixers.
#include "engine/sound/CDAudio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/platform/ViewportWin32.h"
#include "winapi/mm/MmTestHooks.h"
#include "winapi/mm/WinMm.h"

namespace {

using Commands = std::vector<std::string>;

class CDAudioTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() {
        winapi::SetCdTracks(0);
        winapi::SetMixers({});
        winapi::ClearSentCommands();
    }

    // Commands sent from now on only.
    static Commands SentBy(const std::function<void()>& action) {
        winapi::ClearSentCommands();
        action();
        return winapi::SentCommands();
    }

    static std::vector<DWORD> MixerVolumes(int mixers) {
        std::vector<DWORD> volumes;
        for (int i = 0; i < mixers; ++i)
            volumes.push_back(winapi::MixerCdVolume(i));
        return volumes;
    }
};

TEST_F(CDAudioTest, OpensTheDriveInTrackTimeAndClosesItAtTheEnd) {
    auto* cd = new CCDAudio;
    EXPECT_EQ(winapi::SentCommands(), (Commands{"open cdaudio", "set cdaudio time format tmsf"}));
    EXPECT_EQ(SentBy([&] { delete cd; }), (Commands{"stop cdaudio", "close cdaudio"}));
}

TEST_F(CDAudioTest, EachOperationSendsItsCommands) {
    winapi::SetCdTracks(10);
    CCDAudio cd;
    const char* length = nullptr;
    struct Case {
        const char* name;
        std::function<void()> action;
        Commands expected;
    };
    const Case cases[] = {
        {"play a track", [&] { cd.Play(3, 0); },
         {"status cdaudio number of tracks", "play cdaudio from 3 to 4 notify"}},
        {"play the last but one track", [&] { cd.Play(9, 0); },
         {"status cdaudio number of tracks", "play cdaudio from 9 to 10 notify"}},
        {"play the last track", [&] { cd.Play(10, 0); },
         {"status cdaudio number of tracks", "play cdaudio from 10 notify"}},
        {"stop", [&] { cd.Stop(); }, {"stop cdaudio"}},
        {"is playing", [&] { cd.IsPlaying(); }, {"status cdaudio mode"}},
        {"track count", [&] { cd.GetTrackCount(); }, {"status cdaudio number of tracks"}},
        {"track length", [&] { cd.GetTrackLength(&length, 7); }, {"status cdaudio length track 7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SentBy(c.action), c.expected);
    }
}

TEST_F(CDAudioTest, WithoutADiscThereAreNoTracksAndNothingPlays) {
    CCDAudio cd;
    EXPECT_EQ(cd.GetTrackCount(), 0);
    const char* length = "untouched";
    EXPECT_EQ(cd.GetTrackLength(&length, 1), 0);
    EXPECT_STREQ(length, "untouched");
    EXPECT_EQ(cd.IsPlaying(), 0);

    // With no track count the track is played to the end of the disc.
    EXPECT_EQ(SentBy([&] { cd.Play(3, 0); }),
              (Commands{"status cdaudio number of tracks", "play cdaudio from 3 notify"}));
    EXPECT_EQ(cd.IsPlaying(), 0);
}

TEST_F(CDAudioTest, ADiscPlaysUntilStopped) {
    winapi::SetCdTracks(10);
    CCDAudio cd;
    EXPECT_EQ(cd.GetTrackCount(), 10);
    const char* length = nullptr;
    ASSERT_EQ(cd.GetTrackLength(&length, 3), 1);
    EXPECT_STREQ(length, "03:13:00");
    EXPECT_EQ(cd.GetTrackLength(&length, 11), 0);
    EXPECT_EQ(cd.IsPlaying(), 0);

    struct Case {
        int track;
        int flag;
    };
    for (const Case c : {Case{3, 1}, Case{10, 0}}) {
        SCOPED_TRACE(c.track);
        cd.Play(c.track, c.flag);
        EXPECT_EQ(cd.IsPlaying(), 1);
        EXPECT_EQ(cd.m_nTrack, c.track);
        EXPECT_EQ(cd.m_nFlag, c.flag);
        cd.Stop();
        EXPECT_EQ(cd.IsPlaying(), 0);
    }
}

TEST_F(CDAudioTest, TheEndOfATrackIsToldToTheNotifyWindow) {
    winapi::SetCdTracks(4);
    CViewportWin32 window;
    ASSERT_EQ(window.Create(nullptr, 64, 48, 0), 1);
    ASSERT_NE(window.GetWindowHandle(), nullptr);
    CCDAudio cd;

    cd.Play(1, 0);
    EXPECT_EQ(winapi::LastNotifyWindow(), nullptr);
    cd.SetNotifyWindow(&window);
    cd.Play(2, 0);
    EXPECT_EQ(winapi::LastNotifyWindow(), window.GetWindowHandle());
    cd.Play(4, 0);
    EXPECT_EQ(winapi::LastNotifyWindow(), window.GetWindowHandle());
    cd.SetNotifyWindow(nullptr);
    cd.Play(3, 0);
    EXPECT_EQ(winapi::LastNotifyWindow(), nullptr);
    window.Close();
}

TEST_F(CDAudioTest, VolumeGoesToTheCdLineOfEveryMixer) {
    winapi::SetMixers({true, true});
    CCDAudio cd;
    ASSERT_EQ(cd.m_nMixers, 2);
    for (const DWORD volume : {DWORD{0x4000}, DWORD{0xFFFF}, DWORD{0}}) {
        SCOPED_TRACE(volume);
        cd.SetVolume(volume);
        EXPECT_EQ(MixerVolumes(2), (std::vector<DWORD>{volume, volume}));
        EXPECT_EQ(cd.GetVolume(), volume);
    }
}

TEST_F(CDAudioTest, MixersWithoutACdLineAreLeftOut) {
    winapi::SetMixers({false, true, false, true});
    CCDAudio cd;
    ASSERT_EQ(cd.m_nMixers, 2);
    EXPECT_EQ(cd.m_Mixers[0].nMixer, 1u);
    EXPECT_EQ(cd.m_Mixers[1].nMixer, 3u);
    cd.SetVolume(500);
    EXPECT_EQ(MixerVolumes(4), (std::vector<DWORD>{0, 500, 0, 500}));

    // The volume read back is the first CD line's.
    MIXERCONTROLDETAILS_UNSIGNED value{900};
    MIXERCONTROLDETAILS details{sizeof details, cd.m_Mixers[1].nControlId, 1, 0, sizeof value, &value};
    ASSERT_EQ(mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(uintptr_t{3}), &details,
                                     MIXER_OBJECTF_MIXER | MIXER_SETCONTROLDETAILSF_VALUE),
              MMSYSERR_NOERROR);
    EXPECT_EQ(cd.GetVolume(), 500u);
}

TEST_F(CDAudioTest, AtMostTenMixersAreKept) {
    winapi::SetMixers(std::vector<bool>(12, true));
    CCDAudio cd;
    ASSERT_EQ(cd.m_nMixers, CCDAudio::kMaxMixers);
    cd.SetVolume(77);
    std::vector<DWORD> expected(10, 77);
    expected.push_back(0);
    expected.push_back(0);
    EXPECT_EQ(MixerVolumes(12), expected);
}

TEST_F(CDAudioTest, WithoutMixersTheVolumeIsZeroAndSettingItIsHarmless) {
    CCDAudio cd;
    EXPECT_EQ(cd.m_nMixers, 0);
    EXPECT_EQ(cd.GetVolume(), 0u);
    // Mixers that appear later are not the player's.
    winapi::SetMixers({true});
    cd.SetVolume(1234);
    EXPECT_EQ(cd.GetVolume(), 0u);
    EXPECT_EQ(winapi::MixerCdVolume(0), 0u);
}

}  // namespace
