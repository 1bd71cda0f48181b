// The options dialog's Apply on the application object started on the fixture game root, its
// sound device OpenAL Soft on the null output: the sound handler's switch and volume, the
// volumes of the streams on the voices that play them, and the CD line of the platform
// layer's stand-in mixers; nothing without a sound device or a game application.
#include "game/ui/DlgOptionMenu.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundDeviceOpenAL.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "game/flow/RODAGame.h"
#include "tests/game/app/GameFixture.h"
#include "tests/support/GuiTestGame.h"
#include "tests/support/SoundFiles.h"
#include "winapi/mm/MmTestHooks.h"

namespace {

constexpr int kSilent = -10000;
constexpr int kFull = 0;

class DlgOptionMenuTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        winapi::SetMixers({true});
    }
    void TearDown() override {
        // The device must not keep playing streams the controller frees.
        if (m_game && m_game->m_pSoundDevice && m_game->m_pController) {
            m_game->m_pSoundDevice->StopSound(m_game->m_pController->m_pMusicStream, 1);
            m_game->m_pSoundDevice->StopSound(m_game->m_pController->m_pVoiceStream, 1);
        }
        GameTest::TearDown();
        winapi::SetMixers({});
    }

    // The engine and the game objects up, the dialog given its application, the CD player
    // looking for its mixers again.
    bool Start() {
        if (!StartWithGameObjects())
            return false;
        OptionMenu().SetGameRecursive(m_game.get());
        m_game->m_CDAudio.InitMixer();
        return true;
    }
    CDlgOptionMenu& OptionMenu() const { return *m_game->m_pOptionMenu; }
    CSoundDeviceOpenAL* Device() const { return dynamic_cast<CSoundDeviceOpenAL*>(m_game->m_pSoundDevice); }

    // Opens a tone into the stream and plays it looping, streamed: the voice, or -1.
    int PlayTone(CSoundOgg* stream, const char* file) {
        const std::string path = m_root.File(file);
        ToneFormat tone;
        tone.seconds = 0.3;
        if (!MakeToneOgg(path, tone) || !stream->Open(path.c_str(), 0))
            return -1;
        return m_game->m_pSoundDevice->Play(CSoundDevice::kAnyVoice, stream, 1, 1);
    }
    float Gain(int voice) const {
        float gain = -1.0f;
        alGetSourcef(Device()->m_Voices[static_cast<size_t>(voice)].nSource, AL_GAIN, &gain);
        return gain;
    }
    // OpenAL's gain for a volume in hundredths of a decibel, as the device maps it: full at 0,
    // silent at -10000, linear between.
    static float GainOf(int volume) { return 1.0f - static_cast<float>(-volume) / 10000.0f; }
};

TEST_F(DlgOptionMenuTest, SetsTheSoundHandlersSwitchAndVolume) {
    ASSERT_TRUE(Start());
    struct Case {
        int32_t soundFX;
        int32_t volume;
    };
    for (const Case& c : {Case{1, -2500}, Case{0, kSilent}, Case{1, kFull}}) {
        SCOPED_TRACE(c.volume);
        m_game->m_nSoundFX = c.soundFX;
        m_game->m_nSoundFXVol = c.volume;
        OptionMenu().Apply();
        EXPECT_EQ(m_game->m_pSoundHandler->m_nSoundEnabled, c.soundFX);
        EXPECT_EQ(m_game->m_pSoundHandler->m_nMasterVolume, c.volume);
    }
}

TEST_F(DlgOptionMenuTest, SetsEachStreamsVolumeOnTheVoiceThatPlaysIt) {
    ASSERT_TRUE(Start());
    ASSERT_NE(Device(), nullptr);
    const RODAGame& controller = *m_game->m_pController;
    const int musicVoice = PlayTone(controller.m_pMusicStream, "music.ogg");
    const int speechVoice = PlayTone(controller.m_pVoiceStream, "speech.ogg");
    ASSERT_GE(musicVoice, 0);
    ASSERT_GE(speechVoice, 0);
    ASSERT_NE(musicVoice, speechVoice);
    struct Case {
        int32_t music;
        int32_t speech;
    };
    for (const Case& c : {Case{-2500, -5000}, Case{kFull, kSilent}, Case{kSilent, -7500}}) {
        SCOPED_TRACE(c.music);
        m_game->m_nMusicGameVol = c.music;
        m_game->m_nSpeechVol = c.speech;
        OptionMenu().Apply();
        EXPECT_NEAR(Gain(musicVoice), GainOf(c.music), 1e-4f);
        EXPECT_NEAR(Gain(speechVoice), GainOf(c.speech), 1e-4f);
    }
}

// The voice stream plays on no voice: no voice takes its volume.
TEST_F(DlgOptionMenuTest, AStreamThatPlaysOnNoVoiceChangesNoVoice) {
    ASSERT_TRUE(Start());
    ASSERT_NE(Device(), nullptr);
    const int musicVoice = PlayTone(m_game->m_pController->m_pMusicStream, "music.ogg");
    ASSERT_GE(musicVoice, 0);
    m_game->m_nMusicGameVol = -2500;
    m_game->m_nSpeechVol = kSilent;
    OptionMenu().Apply();
    EXPECT_NEAR(Gain(musicVoice), GainOf(-2500), 1e-4f);
    for (int voice = 0; voice < CSoundDeviceOpenAL::kVoiceCount; ++voice) {
        if (voice != musicVoice) {
            EXPECT_FLOAT_EQ(Gain(voice), GainOf(kFull)) << voice;
        }
    }
}

TEST_F(DlgOptionMenuTest, SetsTheCdLineToTheVolumeAboveSilenceAsSixteenBits) {
    ASSERT_TRUE(Start());
    ASSERT_EQ(m_game->m_CDAudio.m_nMixers, 1);
    struct Case {
        int32_t setting;
        DWORD mixer;
    };
    // A setting above full wraps at 16 bits: 60000 + 10000 = 70000 = 65536 + 4464.
    for (const Case& c : {Case{kSilent, 0}, Case{-2500, 7500}, Case{kFull, 10000}, Case{60000, 4464}}) {
        SCOPED_TRACE(c.setting);
        m_game->m_nMusicCDVol = c.setting;
        OptionMenu().Apply();
        EXPECT_EQ(winapi::MixerCdVolume(0), c.mixer);
    }
}

// The game objects without the engine: no sound device, so nothing changes.
TEST_F(DlgOptionMenuTest, DoesNothingWithoutASoundDevice) {
    m_game->CreateGameObjects();
    ASSERT_EQ(m_game->m_pSoundDevice, nullptr);
    OptionMenu().SetGameRecursive(m_game.get());
    m_game->m_CDAudio.InitMixer();
    const DWORD mixerBefore = winapi::MixerCdVolume(0);
    m_game->m_nSoundFX = 1;
    m_game->m_nSoundFXVol = -2500;
    m_game->m_nMusicCDVol = -2500;
    OptionMenu().Apply();
    EXPECT_EQ(m_game->m_pSoundHandler->m_nSoundEnabled, 0);
    EXPECT_EQ(m_game->m_pSoundHandler->m_nMasterVolume, 0);
    EXPECT_EQ(winapi::MixerCdVolume(0), mixerBefore);
}

// A dialog without an application, or whose application is not the game's, applies nothing.
TEST_F(DlgOptionMenuTest, DoesNothingWithoutTheGameApplication) {
    ASSERT_TRUE(Start());
    m_game->m_nSoundFX = 1;
    m_game->m_nSoundFXVol = -2500;
    m_game->m_nMusicCDVol = -2500;
    const DWORD mixerBefore = winapi::MixerCdVolume(0);
    FakeGame otherApplication;
    for (CBaseGame* application : {static_cast<CBaseGame*>(nullptr), static_cast<CBaseGame*>(&otherApplication)}) {
        OptionMenu().SetGameRecursive(application);
        OptionMenu().Apply();
        EXPECT_EQ(m_game->m_pSoundHandler->m_nSoundEnabled, 0);
        EXPECT_EQ(winapi::MixerCdVolume(0), mixerBefore);
    }
    OptionMenu().SetGameRecursive(m_game.get());
}

}  // namespace
