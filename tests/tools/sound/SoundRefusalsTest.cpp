// What make_sound refuses: bad recipes and inputs, each named by the recipe's file and line,
// output names the sound scripts would not recognise, each with exit status 1 and no file
// written; and bad command lines with status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"
#include "tests/tools/sound/SoundToolChecks.h"

namespace {

constexpr char kGoodRecipe[] = "layer noise\nlength 0.01\n";

const CBadRecipe kBadRecipes[] = {
    {"unknown kind", "# a comment\nlayer hum\nlength 1\n", 2, "one of noise, tone, fm"},
    {"unknown statement", "layer tone\npitch 440\nlength 1\nvibrato 3\n", 4, "unknown statement \"vibrato\""},
    {"missing value", "layer tone\npitch\nlength 1\n", 2, "takes a pitch"},
    {"missing statement", "layer tone\n\nlength 0.5\n", 1, "needs a \"pitch\" line"},
    {"missing length", "layer noise\nfilter lowpass 300\n", 1, "needs a \"length\" line"},
    {"no layer", "seed 4\n", 1, "no \"layer\" and no \"input\""},
    {"pitch too high", "layer tone\nlength 1\npitch 12000\n", 3, "from 20 to 10000 hertz"},
    {"note out of range", "layer fm\nnote C0 1\n", 2, "nor a note name"},
    {"volume at full scale", "volume 1\nlayer noise\nlength 1\n", 1, "from 0.01 to 0.95"},
    {"length beyond a minute", "layer noise\nstart 30\nlength 40\n", 1, "ends after 60 seconds"},
    {"negative number", "layer noise\nlength -1\n", 2, "not a number"},
    {"number with an exponent", "layer noise\nlength 1e-1\n", 2, "not a number"},
    {"statement the kind does not take", "layer noise\nlength 1\npitch 100\n", 3, "a noise layer takes no \"pitch\""},
    {"statement given twice", "layer noise\nlength 1\nlength 2\n", 3, "given twice (first on line 2)"},
    {"recipe statement inside a layer", "layer noise\nlength 1\nseed 3\n", 3, "before the first layer"},
    {"layer statement before a layer", "length 1\nlayer noise\n", 1, "belongs to a layer"},
    {"notes with a pitch", "layer tone\npitch 300\nnote A4 1\n", 2, "the notes give it"},
    {"a loop's layer with a length", "loop 1\nlayer tone\npitch 100\nlength 1\n", 4, "take no \"length\""},
    {"a loop's pitch sliding", "loop 1\nlayer tone\npitch 100 200\n", 3, "cannot slide"},
    {"a silent mix", "layer tone\nnote rest 4\n", 1, "silent"},
    {"input with layers", "input \"a.wav\"\nlayer noise\nlength 1\n", 2, "takes no layers"},
    {"input with a volume", "volume 0.5\ninput \"a.wav\"\n", 1, "does not go with \"input\""},
    {"input without quotes", "input a.wav\n", 1, "in double quotes"},
    {"quote left open", "input \"a.wav\n", 1, "not closed"},
    {"input that is missing", "\ninput \"missing.wav\"\n", 2, "cannot read"},
    {"input that is no WAV file", "input \"sound.txt\"\n", 1, "no WAV file"},
    {"input of 24-bit samples", "input \"deep.wav\"\n", 1, "no WAV file of 8- or 16-bit PCM"},
};

TEST(MakeSound, RefusesBadRecipesNamingFileAndLine) {
    TempDir dir;
    ToneFormat deep;
    deep.bits = 24;
    ASSERT_TRUE(MakeToneWav(dir.File("deep.wav"), deep)) << "is sox installed?";
    ExpectBadRecipesRefused(MAKE_SOUND, kBadRecipes, dir, "sound.txt", "out.ogg",
                            {"deep.wav", "messages", "sound.txt"});
}

TEST(MakeSound, EncodesAnInputOnlyAsOgg) {
    TempDir dir;
    ASSERT_TRUE(MakeToneWav(dir.File("voice.wav"), ToneFormat()));
    WriteText(dir.File("voice.txt"), "input \"voice.wav\"\n");
    const std::string messages = dir.File("messages");
    EXPECT_EQ(MakeSound(dir.File("voice.txt"), dir.File("out.wav"), messages), 1);
    EXPECT_NE(ReadText(messages).find(dir.File("voice.txt") + ":1: "), std::string::npos) << ReadText(messages);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"messages", "voice.txt", "voice.wav"}));
}

// The sound scripts take a file by the first ".ogg" or ".wav" in its name, in lower case.
TEST(MakeSound, RefusesOutputNamesTheSoundScriptsWouldNotRecognise) {
    TempDir dir;
    WriteText(dir.File("sound.txt"), kGoodRecipe);
    const std::string messages = dir.File("messages");
    for (const char* name : {"click", "click.WAV", "click.Ogg", "click.mp3", "click.ogg.ogg", "click.wav.wav",
                             "click.wav.ogg.wav", "click.ogg.tmp", ".oggx"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MakeSound(dir.File("sound.txt"), dir.File(name), messages), 1);
        EXPECT_NE(ReadText(messages).find(dir.File(name) + ": "), std::string::npos) << ReadText(messages);
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"messages", "sound.txt"}));
    }
    // What the scripts do recognise, a folder's name with a dot in it included.
    ASSERT_EQ(MakeSound(dir.File("sound.txt"), dir.File("a.ogg.wav")), 0);
    ASSERT_EQ(MakeSound(dir.File("sound.txt"), dir.File("a.wav.ogg")), 0);
    EXPECT_EQ(Soxi(dir.File("a.ogg.wav")), "22050 1 16 221");
    EXPECT_EQ(ReadWithSoundOgg(dir.File("a.wav.ogg")).samples.size(), 221u);
}

TEST(MakeSound, RefusesAMissingRecipeAndAnUnwritableOutput) {
    ExpectMissingRecipeAndUnwritableOutputRefused(MAKE_SOUND, kGoodRecipe, "out.wav");
}

TEST(MakeSound, ABadCommandLineGivesTwo) {
    ExpectBadCommandLinesRefused(MAKE_SOUND, kGoodRecipe, "out.wav");
}

}  // namespace
