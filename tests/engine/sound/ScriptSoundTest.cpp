// Sounds named in a sound script, played on the real OpenAL device (OpenAL Soft's null output):
// what a script block loads, and the volume, pitch and voices of the sounds as they play.
#include "engine/sound/ScriptSound.h"

#include <gtest/gtest.h>

#include <AL/al.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/sound/SoundDeviceOpenAL.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "engine/sound/SoundWave.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kScriptHead = "# TOLP Software Value Script\r\n\r\n";
const char kSound2D[] = "TOLPSOUND_SOUND_2D";
const char kMusic[] = "TOLPSOUND_MUSIC";
constexpr int kAnyVoice = CSoundDevice::kAnyVoice;

std::string Block(const std::string& name, const std::vector<std::string>& lines) {
    std::string text = "[" + name + "]\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text + "\r\n";
}

std::string TypeLine(const std::string& type) {
    return "Type = \"" + type + "\"";
}

std::string FileLine(const std::string& path) {
    return "File = \"" + path + "\"";
}

// What the device makes of a volume in hundredths of a decibel.
float GainOf(int volume) {
    return 1.0f - std::fabs(static_cast<float>(volume) / 10000.0f);
}

enum class EContent { kWav, kOgg, kText, kNothing };

class ScriptSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_device.Init(0, nullptr, 0, 2, 22050, 16, nullptr), 1);
        m_handler.Init(&m_device);
        m_handler.m_nSoundEnabled = 1;
    }

    // A one-second 22050 Hz tone (or other content) under that name; its path.
    std::string MakeFile(const std::string& name, EContent content) {
        const std::string path = m_dir.File(name);
        ToneFormat tone;
        tone.seconds = 1.0;
        switch (content) {
        case EContent::kWav:
            EXPECT_TRUE(MakeToneWav(path, tone)) << name;
            break;
        case EContent::kOgg:
            EXPECT_TRUE(MakeToneOgg(path, tone)) << name;
            break;
        case EContent::kText:
            WriteText(path, "RIFF? no, just words in a file\r\n");
            break;
        case EContent::kNothing:
            break;
        }
        return path;
    }

    int LoadScript(CSoundHandler* handler, const std::string& blocks) {
        const std::string path = m_dir.File("sounds.vsc");
        WriteText(path, kScriptHead + blocks);
        return handler->LoadScript(path.c_str());
    }
    int LoadScript(const std::string& blocks) { return LoadScript(&m_handler, blocks); }

    // Loads one block of that type and file (plus further lines) and finds it.
    CScriptSound* LoadSound(const std::string& name, const std::string& type, const std::string& path,
                            const std::vector<std::string>& more = {}) {
        std::vector<std::string> lines = {TypeLine(type), FileLine(path)};
        lines.insert(lines.end(), more.begin(), more.end());
        EXPECT_EQ(LoadScript(Block(name, lines)), 1) << name;
        return m_handler.Find(name.c_str());
    }

    float SourceValue(int voice, ALenum parameter) {
        float value = -1.0f;
        EXPECT_GE(voice, 0);
        if (voice >= 0 && voice < static_cast<int>(m_device.m_Voices.size()))
            alGetSourcef(m_device.m_Voices[static_cast<size_t>(voice)].nSource, parameter, &value);
        return value;
    }
    float Gain(int voice) { return SourceValue(voice, AL_GAIN); }
    float Pitch(int voice) { return SourceValue(voice, AL_PITCH); }

    int PlayingVoices() {
        int playing = 0;
        for (int voice = 0; voice < CSoundDeviceOpenAL::kVoiceCount; ++voice)
            playing += m_device.IsPlaying(voice);
        return playing;
    }

    // The device outlives the handler, whose sounds it plays.
    TempDir m_dir;
    CSoundDeviceOpenAL m_device;
    CSoundHandler m_handler;
};

// --- Loading --------------------------------------------------------------------------------

TEST_F(ScriptSoundTest, TheFileNameChoosesTheReader) {
    enum EReader { kNone, kWave, kOgg };
    struct Case {
        const char* name;
        EContent content;
        EReader reader;
    };
    const Case cases[] = {
        {"tone.wav", EContent::kWav, kWave},
        {"tone.ogg", EContent::kOgg, kOgg},
        {"tone.ogg.wav", EContent::kWav, kWave},
        {"tone.wav.ogg", EContent::kOgg, kOgg},
        {"upper.OGG", EContent::kOgg, kNone},
        {"mixed.Wav", EContent::kWav, kNone},
        {"twice.ogg.ogg", EContent::kOgg, kNone},
        {"twice.wav.wav", EContent::kWav, kNone},
        {"both.ogg.wav.ogg", EContent::kOgg, kNone},
        {"longer.wave", EContent::kWav, kNone},
        {"plainname", EContent::kWav, kNone},
        {"missing.wav", EContent::kNothing, kNone},
        {"missing.ogg", EContent::kNothing, kNone},
        {"words.wav", EContent::kText, kNone},
        {"words.ogg", EContent::kText, kNone},
        {"wave-data.ogg", EContent::kWav, kNone},
        {"ogg-data.wav", EContent::kOgg, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = MakeFile(c.name, c.content);
        CSoundHandler handler;
        handler.Init(&m_device);
        EXPECT_EQ(LoadScript(&handler, Block("Tone", {TypeLine(kSound2D), FileLine(path)})), c.reader != kNone);
        CScriptSound* sound = handler.Find("Tone");
        if (c.reader == kNone) {
            EXPECT_EQ(sound, nullptr);
            continue;
        }
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(dynamic_cast<CSoundWave*>(sound->m_pSound) != nullptr, c.reader == kWave);
        EXPECT_EQ(dynamic_cast<CSoundOgg*>(sound->m_pSound) != nullptr, c.reader == kOgg);
    }
}

TEST_F(ScriptSoundTest, TheTypeDecidesWhatABlockLoads) {
    const std::string path = MakeFile("tone.ogg", EContent::kOgg);
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        int result;
        bool found;
        int kind;
        int sound2DLoaded;
        int musicLoaded;
        bool hasSound;
    };
    const Case cases[] = {
        {"sound", {TypeLine(kSound2D), FileLine(path)}, 1, true, CScriptSound::kSound2D, 1, 0, true},
        {"music", {TypeLine(kMusic), FileLine(path)}, 1, true, CScriptSound::kMusic, 0, 1, true},
        {"other type", {TypeLine("TOLPSOUND_SOUND_3D"), FileLine(path)}, 1, true, 0, 0, 0, false},
        {"type in lower case", {TypeLine("tolpsound_music"), FileLine(path)}, 1, true, 0, 0, 0, false},
        {"no type", {FileLine(path)}, 0, false, 0, 0, 0, false},
        {"sound without a file", {TypeLine(kSound2D)}, 0, false, 0, 0, 0, false},
        {"music without a file", {TypeLine(kMusic)}, 0, false, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSoundHandler handler;
        handler.Init(&m_device);
        handler.m_nSoundEnabled = 1;
        EXPECT_EQ(LoadScript(&handler, Block("Block", c.lines)), c.result);
        CScriptSound* sound = handler.Find("Block");
        ASSERT_EQ(sound != nullptr, c.found);
        if (!sound)
            continue;
        EXPECT_EQ(sound->m_nKind, c.kind);
        EXPECT_EQ(sound->m_bSound2DLoaded, c.sound2DLoaded);
        EXPECT_EQ(sound->m_bMusicLoaded, c.musicLoaded);
        EXPECT_EQ(sound->m_pSound != nullptr, c.hasSound);
        if (!c.hasSound) {
            // A block of another type stays silent.
            EXPECT_EQ(sound->Play(kAnyVoice, 0), -1);
            EXPECT_EQ(PlayingVoices(), 0);
        }
    }
}

TEST_F(ScriptSoundTest, SoundsReadTheirSettingsAndMusicOnlyItsLoop) {
    const std::string path = MakeFile("tone.wav", EContent::kWav);
    const std::vector<std::string> settings = {"Loop = 1", "VolumeMin = -8000", "VolumeMax = -100",
                                               "Frequency = 11025"};
    struct Case {
        const char* name;
        const char* type;
        std::vector<std::string> more;
        int loop;
        int volumeMin;
        int volumeMax;
        int frequency;
    };
    const Case cases[] = {
        {"sound with defaults", kSound2D, {}, 0, -10000, 0, 0},
        {"sound with settings", kSound2D, settings, 1, -8000, -100, 11025},
        {"music with defaults", kMusic, {}, 0, -10000, 0, 0},
        {"music with settings", kMusic, settings, 1, -10000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptSound* sound = LoadSound(c.name, c.type, path, c.more);
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(sound->m_sName.GetText(), std::string(c.name));
        EXPECT_EQ(sound->m_bLoop, c.loop);
        EXPECT_EQ(sound->m_nVolumeMin, c.volumeMin);
        EXPECT_EQ(sound->m_nVolumeMax, c.volumeMax);
        EXPECT_EQ(sound->m_nFrequency, c.frequency);
    }
}

TEST_F(ScriptSoundTest, TheFirstFailingBlockEndsLoadingAndKeepsTheSoundsBeforeIt) {
    const std::string wav = MakeFile("tone.wav", EContent::kWav);
    const std::string ogg = MakeFile("tone.ogg", EContent::kOgg);
    const std::string words = MakeFile("words.wav", EContent::kText);
    struct Case {
        const char* name;
        std::vector<std::string> failing;
    };
    const Case cases[] = {
        {"no type", {FileLine(wav)}},
        {"no file", {TypeLine(kSound2D)}},
        {"unrecognised file name", {TypeLine(kSound2D), FileLine(wav + ".mp3")}},
        {"missing file", {TypeLine(kMusic), FileLine(m_dir.File("gone.ogg"))}},
        {"malformed WAV", {TypeLine(kSound2D), FileLine(words)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSoundHandler handler;
        handler.Init(&m_device);
        handler.m_nSoundEnabled = 1;
        const std::string script = Block("First", {TypeLine(kSound2D), FileLine(wav)}) +
                                   Block("Failing", c.failing) + Block("Last", {TypeLine(kMusic), FileLine(ogg)});
        EXPECT_EQ(LoadScript(&handler, script), 0);
        EXPECT_EQ(handler.m_pSounds->m_nCount, 1);
        ASSERT_NE(handler.Find("First"), nullptr);
        EXPECT_EQ(handler.Find("Failing"), nullptr);
        EXPECT_EQ(handler.Find("Last"), nullptr);
        EXPECT_GE(handler.Find("First")->Play(kAnyVoice, 0), 0);
        handler.StopAll(1);
    }
}

TEST_F(ScriptSoundTest, EveryBlockLoadsInFileOrderAndAnUnknownTypeDoesNotStopIt) {
    const std::string wav = MakeFile("tone.wav", EContent::kWav);
    const std::string ogg = MakeFile("tone.ogg", EContent::kOgg);
    const std::string script = Block("Click", {TypeLine(kSound2D), FileLine(wav)}) +
                               Block("Surround", {TypeLine("TOLPSOUND_SOUND_3D"), FileLine(wav)}) +
                               Block("Theme", {TypeLine(kMusic), FileLine(ogg)});
    EXPECT_EQ(LoadScript(script), 1);
    std::vector<std::string> names;
    for (auto* node = m_handler.m_pSounds->m_pHead; node; node = node->m_pNext)
        names.push_back(static_cast<CScriptSound*>(node->m_data)->m_sName.GetText());
    EXPECT_EQ(names, (std::vector<std::string>{"Click", "Surround", "Theme"}));
}

TEST_F(ScriptSoundTest, AMissingScriptIsCreatedEmptyAndLoadsNoSounds) {
    // As every value script: the file is made with its header, and every sound is absent.
    const std::string path = m_dir.File("nowhere.vsc");
    EXPECT_EQ(m_handler.LoadScript(path.c_str()), 1);
    EXPECT_EQ(m_handler.m_pSounds->m_nCount, 0);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(m_handler.Find("Click"), nullptr);
}

TEST_F(ScriptSoundTest, FindMatchesTheWholeName) {
    const std::string wav = MakeFile("tone.wav", EContent::kWav);
    ASSERT_EQ(LoadScript(Block("Click", {TypeLine(kSound2D), FileLine(wav)}) +
                         Block("ClickLoud", {TypeLine(kSound2D), FileLine(wav)})),
              1);
    CScriptSound* click = m_handler.Find("Click");
    CScriptSound* loud = m_handler.Find("ClickLoud");
    ASSERT_NE(click, nullptr);
    ASSERT_NE(loud, nullptr);
    EXPECT_NE(click, loud);
    for (const char* name : {"Cli", "click", "Click ", "ClickLoudest", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(m_handler.Find(name), nullptr);
    }
    EXPECT_EQ(m_handler.Find(nullptr), nullptr);
}

// --- Playing --------------------------------------------------------------------------------

TEST_F(ScriptSoundTest, VolumeIsTheMasterScaledFromSilence) {
    CScriptSound* sound = LoadSound("Hum", kSound2D, MakeFile("tone.wav", EContent::kWav), {"Loop = 1"});
    ASSERT_NE(sound, nullptr);
    // Playing applies the volume to the new voice.
    m_handler.SetVolume(-5000);
    const int voice = sound->Play(kAnyVoice, 0);
    ASSERT_GE(voice, 0);
    EXPECT_FLOAT_EQ(Gain(voice), 0.5f);

    struct Case {
        int master;
        float scale;
        int volume;
    };
    const Case cases[] = {
        {0, 1.0f, 0},
        {-5000, 1.0f, -5000},
        {-5000, 0.5f, -7500},
        {-2000, 0.25f, -8000},
        {-1, 0.5f, -5001},  // -4999.5 from silence is cut to -4999
        {0, 0.0f, -10000},
        {-10000, 1.0f, -10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.master) + " scaled by " + std::to_string(c.scale));
        m_handler.SetVolume(c.master);
        sound->SetVolume(c.scale);
        EXPECT_FLOAT_EQ(Gain(voice), GainOf(c.volume));
    }
}

TEST_F(ScriptSoundTest, TheMasterVolumeReachesEverySoundButMusicKeepsItsScale) {
    CScriptSound* effect = LoadSound("Hum", kSound2D, MakeFile("tone.wav", EContent::kWav), {"Loop = 1"});
    CScriptSound* music = LoadSound("Theme", kMusic, MakeFile("tone.ogg", EContent::kOgg), {"Loop = 1"});
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(music, nullptr);
    effect->SetVolume(0.5f);
    music->SetVolume(0.5f);
    EXPECT_FLOAT_EQ(music->m_fVolumeScale, 1.0f);
    const int effectVoice = effect->Play(kAnyVoice, 0);
    const int musicVoice = music->Play(kAnyVoice, 1);
    ASSERT_GE(effectVoice, 0);
    ASSERT_GE(musicVoice, 0);
    ASSERT_NE(effectVoice, musicVoice);

    m_handler.SetVolume(-5000);
    EXPECT_FLOAT_EQ(Gain(effectVoice), 0.25f);
    EXPECT_FLOAT_EQ(Gain(musicVoice), 0.5f);
    m_handler.SetVolume(-2000);
    EXPECT_FLOAT_EQ(Gain(effectVoice), 0.4f);
    EXPECT_FLOAT_EQ(Gain(musicVoice), 0.8f);
}

TEST_F(ScriptSoundTest, FrequencySetsThePitchOfSoundsButNotOfMusic) {
    const std::string wav = MakeFile("tone.wav", EContent::kWav);
    struct Case {
        const char* name;
        const char* type;
        std::vector<std::string> more;
        float pitch;
        float pitchAt33075;  // after SetFrequency
    };
    const Case cases[] = {
        {"double", kSound2D, {"Frequency = 44100"}, 2.0f, 1.5f},
        {"half", kSound2D, {"Frequency = 11025"}, 0.5f, 1.5f},
        {"as recorded", kSound2D, {}, 1.0f, 1.5f},
        {"music", kMusic, {"Frequency = 44100"}, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptSound* sound = LoadSound(c.name, c.type, wav, c.more);
        ASSERT_NE(sound, nullptr);
        const int voice = sound->Play(kAnyVoice, 0);
        ASSERT_GE(voice, 0);
        EXPECT_FLOAT_EQ(Pitch(voice), c.pitch);
        sound->SetFrequency(33075, voice);
        EXPECT_FLOAT_EQ(Pitch(voice), c.pitchAt33075);
        sound->Stop(-1);
    }
}

TEST_F(ScriptSoundTest, SetFrequencyChangesOnlyTheVoiceNamed) {
    CScriptSound* sound = LoadSound("Hum", kSound2D, MakeFile("tone.wav", EContent::kWav), {"Loop = 1"});
    ASSERT_NE(sound, nullptr);
    const int first = sound->Play(kAnyVoice, 0);
    const int second = sound->Play(kAnyVoice, 0);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    sound->SetFrequency(44100, second);
    EXPECT_FLOAT_EQ(Pitch(first), 1.0f);
    EXPECT_FLOAT_EQ(Pitch(second), 2.0f);
    EXPECT_EQ(sound->m_nFrequency, 44100);
}

TEST_F(ScriptSoundTest, NothingPlaysWhileSoundIsOff) {
    CScriptSound* sound = LoadSound("Hum", kSound2D, MakeFile("tone.wav", EContent::kWav), {"Loop = 1"});
    ASSERT_NE(sound, nullptr);
    m_handler.m_nSoundEnabled = 0;
    EXPECT_EQ(sound->Play(kAnyVoice, 0), -1);
    EXPECT_EQ(sound->Play(3, 0), -1);
    EXPECT_EQ(PlayingVoices(), 0);
    EXPECT_TRUE(sound->m_Voices.empty());

    m_handler.m_nSoundEnabled = 1;
    EXPECT_EQ(sound->Play(3, 0), 3);
    EXPECT_EQ(PlayingVoices(), 1);
}

TEST_F(ScriptSoundTest, EachVoiceIsListedOnce) {
    CScriptSound* sound = LoadSound("Hum", kSound2D, MakeFile("tone.wav", EContent::kWav), {"Loop = 1"});
    ASSERT_NE(sound, nullptr);
    const int first = sound->Play(kAnyVoice, 0);
    const int second = sound->Play(kAnyVoice, 0);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(sound->Play(first, 0), first);
    EXPECT_EQ(sound->m_Voices, (std::vector<int>{first, second}));
    EXPECT_EQ(PlayingVoices(), 2);

    EXPECT_EQ(sound->AddVoice(second), 1);
    EXPECT_EQ(sound->AddVoice(9), 2);
    EXPECT_EQ(sound->AddVoice(9), 2);
    EXPECT_EQ(sound->m_Voices, (std::vector<int>{first, second, 9}));
}

TEST_F(ScriptSoundTest, StopEndsOneVoiceOrEveryVoiceOfTheSound) {
    const std::string wav = MakeFile("tone.wav", EContent::kWav);
    CScriptSound* hum = LoadSound("Hum", kSound2D, wav, {"Loop = 1"});
    CScriptSound* buzz = LoadSound("Buzz", kSound2D, wav, {"Loop = 1"});
    ASSERT_NE(hum, nullptr);
    ASSERT_NE(buzz, nullptr);
    const int humFirst = hum->Play(kAnyVoice, 0);
    const int humSecond = hum->Play(kAnyVoice, 0);
    const int humThird = hum->Play(kAnyVoice, 0);
    const int buzzVoice = buzz->Play(kAnyVoice, 0);
    ASSERT_EQ(PlayingVoices(), 4);

    EXPECT_NE(hum->IsVoicePlaying(humSecond), 0);
    hum->Stop(humSecond);
    EXPECT_EQ(m_device.IsPlaying(humSecond), 0);
    EXPECT_EQ(hum->IsVoicePlaying(humSecond), 0);
    EXPECT_EQ(PlayingVoices(), 3);

    hum->Stop(-1);
    EXPECT_EQ(m_device.IsPlaying(humFirst), 0);
    EXPECT_EQ(m_device.IsPlaying(humThird), 0);
    EXPECT_EQ(m_device.IsPlaying(buzzVoice), 1);
}

TEST_F(ScriptSoundTest, AVoiceTakenByAnotherSoundIsNoLongerTheFirstSounds) {
    const std::string wav = MakeFile("tone.wav", EContent::kWav);
    CScriptSound* hum = LoadSound("Hum", kSound2D, wav, {"Loop = 1"});
    CScriptSound* buzz = LoadSound("Buzz", kSound2D, wav, {"Loop = 1"});
    ASSERT_NE(hum, nullptr);
    ASSERT_NE(buzz, nullptr);
    const int kept = hum->Play(kAnyVoice, 0);
    const int taken = hum->Play(kAnyVoice, 0);
    ASSERT_GE(kept, 0);
    ASSERT_GE(taken, 0);
    ASSERT_EQ(buzz->Play(taken, 0), taken);

    hum->PurgeVoices();
    EXPECT_EQ(hum->m_Voices, (std::vector<int>{kept}));
    // What the first sound does now leaves the taken voice alone.
    hum->SetVolume(0.5f);
    EXPECT_FLOAT_EQ(Gain(taken), 1.0f);
    hum->Stop(-1);
    EXPECT_EQ(m_device.IsPlaying(kept), 0);
    EXPECT_EQ(m_device.IsPlaying(taken), 1);
}

TEST_F(ScriptSoundTest, StopAllSparesStreamedSoundsUnlessMusicIsStoppedToo) {
    const std::string ogg = MakeFile("tone.ogg", EContent::kOgg);
    CScriptSound* music = LoadSound("Theme", kMusic, ogg, {"Loop = 1"});
    CScriptSound* streamed = LoadSound("Rain", kSound2D, ogg, {"Loop = 1"});
    CScriptSound* effect = LoadSound("Hum", kSound2D, ogg, {"Loop = 1"});
    ASSERT_NE(music, nullptr);
    ASSERT_NE(streamed, nullptr);
    ASSERT_NE(effect, nullptr);
    const int musicVoice = music->Play(kAnyVoice, 1);
    const int streamedVoice = streamed->Play(kAnyVoice, 1);
    const int effectVoice = effect->Play(kAnyVoice, 0);
    ASSERT_EQ(PlayingVoices(), 3);
    EXPECT_EQ(music->IsStreaming(), 1);
    EXPECT_EQ(effect->IsStreaming(), 0);

    m_handler.StopAll(0);
    EXPECT_EQ(m_device.IsPlaying(effectVoice), 0);
    EXPECT_EQ(m_device.IsPlaying(musicVoice), 1);
    EXPECT_EQ(m_device.IsPlaying(streamedVoice), 1);

    m_handler.StopAll(1);
    EXPECT_EQ(PlayingVoices(), 0);
}

TEST_F(ScriptSoundTest, DeleteAllSilencesAndForgetsEverySound) {
    const std::string wav = MakeFile("tone.wav", EContent::kWav);
    const std::string script = Block("Hum", {TypeLine(kSound2D), FileLine(wav), "Loop = 1"}) +
                               Block("Theme", {TypeLine(kMusic), FileLine(wav), "Loop = 1"});
    ASSERT_EQ(LoadScript(script), 1);
    ASSERT_GE(m_handler.Find("Hum")->Play(kAnyVoice, 0), 0);
    ASSERT_GE(m_handler.Find("Theme")->Play(kAnyVoice, 1), 0);
    ASSERT_EQ(PlayingVoices(), 2);

    m_handler.DeleteAll();
    EXPECT_EQ(PlayingVoices(), 0);
    EXPECT_EQ(m_handler.m_pSounds->m_nCount, 0);
    EXPECT_EQ(m_handler.Find("Hum"), nullptr);
    EXPECT_EQ(m_handler.Find("Theme"), nullptr);

    // The handler takes a script again afterwards.
    ASSERT_EQ(LoadScript(script), 1);
    EXPECT_EQ(m_handler.m_pSounds->m_nCount, 2);
}

}  // namespace
