// The pristine set's sounds as the game meets them: every effect it plays loads from the
// shipped sound script through the sound handler on OpenAL Soft's null output, as a 2D sound
// that loops or not as the game plays it; the sounds whose pitch the game sets are recorded
// at 22050 samples a second, the rate their hertz are reckoned against; every music theme
// opens as Ogg Vorbis.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "engine/sound/ScriptSound.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundDeviceOpenAL.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "game/app/GameFiles.h"
#include "game/app/SoundNames.h"

namespace {

constexpr int kPitchedRate = 22050;
const char* const kPitchedSounds[] = {"SOUND_FX_MOTOR", "SOUND_FX_VACUUM", "SOUND_FX_GRAMOPHONE_BACKWARD",
                                      "SOUND_FX_GRAMOPHONE_FOWARD"};

// Files open relative to the game root, as in the game.
class ShippedSoundsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(m_before, sizeof m_before), nullptr);
        ASSERT_EQ(chdir(BRENLOW_DATA_DIR), 0) << BRENLOW_DATA_DIR;
        ASSERT_EQ(m_device.Init(0, nullptr, 0, 2, 22050, 16, nullptr), 1);
        m_handler.Init(&m_device);
    }

    void TearDown() override { ASSERT_EQ(chdir(m_before), 0); }

    char m_before[4096] = {};
    CSoundDeviceOpenAL m_device;
    CSoundHandler m_handler;
};

TEST_F(ShippedSoundsTest, EveryEffectLoadsAsTheGamePlaysIt) {
    ASSERT_EQ(m_handler.LoadScript(kSoundScriptPath), 1);
    for (const CLookedUpSound& effect : kEffectSounds) {
        SCOPED_TRACE(effect.name);
        CScriptSound* sound = m_handler.Find(effect.name);
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(sound->m_nKind, CScriptSound::kSound2D);
        EXPECT_EQ(sound->m_bSound2DLoaded, 1);
        EXPECT_EQ(sound->m_bLoop != 0, effect.loop);
        ASSERT_NE(sound->m_pSound, nullptr);
        EXPECT_GT(sound->m_pSound->GetSampleRate(), 0);
    }
    for (const char* name : kPitchedSounds) {
        CScriptSound* sound = m_handler.Find(name);
        ASSERT_NE(sound, nullptr) << name;
        EXPECT_EQ(sound->m_pSound->GetSampleRate(), kPitchedRate) << name;
    }
}

TEST_F(ShippedSoundsTest, EveryMusicThemeOpensAsOggVorbis) {
    for (int theme = 0; theme < kMusicThemeCount; ++theme) {
        const std::string path = MusicThemePath(theme);
        CSoundOgg music;
        EXPECT_EQ(music.Open(path.c_str(), 0), 1) << path;
        EXPECT_GT(music.GetSampleRate(), 0) << path;
        music.Close();
    }
}

}  // namespace
