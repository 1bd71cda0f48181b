// What make_texture refuses: bad recipes, each named by file and line with exit status 1 and
// no file written, and bad command lines with status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/tools/texture/TextureReaders.h"

namespace {

struct CBadRecipe {
    const char* name;
    const char* recipe;
    int line;
    const char* message;  // a part of the message
};

const CBadRecipe kBadRecipes[] = {
    {"unknown kind", "size 16 16\n# a comment\nkind velvet\n", 3, "unknown kind \"velvet\""},
    {"width not a power of two", "kind wood\nsize 48 64\n", 2, "not a power of two"},
    {"height not a power of two", "kind wood\nsize 64 3\n", 2, "not a power of two"},
    {"side too large", "kind wood\nsize 8192 64\n", 2, "from 1 to 4096"},
    {"colour missing a value", "size 8 8\nkind solid\ncolour 10 20\n", 3, "takes a colour"},
    {"colour out of range", "size 8 8\nkind solid\ncolour 10 20 256\n", 3, "from 0 to 255"},
    {"teeth out of range", "size 32 32\nkind gear\n\nteeth 99\n", 4, "from 3 to 64"},
    {"hole out of range", "size 32 32\nkind gear\nhole 0.95\n", 3, "from 0 to 0.9"},
    {"scale not a number", "size 32 32\nkind wood\nscale 1e3\n", 3, "not a number"},
    {"border wider than half", "size 16 16\nkind plate\nborder 9\n", 3, "half the image's smaller side"},
    {"text outside the image", "size 16 16\nkind text\ntext 16 0 8 0 0 0 \"A\"\n", 3, "outside"},
    {"text without quotes", "size 16 16\nkind text\ntext 0 0 8 0 0 0 A\n", 3, "double quotes"},
    {"quote left open", "size 16 16\nkind text\ntext 0 0 8 0 0 0 \"A\n", 3, "not closed"},
    {"font that cannot be opened", "size 16 16\nkind text\nfont \"/no/such/font.ttf\"\ntext 0 0 8 0 0 0 \"A\"\n", 3,
     "cannot read /no/such/font.ttf"},
    {"font that is no font", "size 16 16\nkind text\nfont \"/etc/hostname\"\ntext 0 0 8 0 0 0 \"A\"\n", 3,
     "not a font"},
    {"character the font lacks", "size 16 16\nkind text\ntext 0 0 8 0 0 0 \"\xe4\xb8\xad\"\n", 3, "no character U+4E2D"},
    {"parameter the kind does not take", "size 16 16\nkind wood\nteeth 12\n", 3, "takes no \"teeth\""},
    {"required parameter missing", "size 16 16\nkind gradient\ncolour 1 2 3\n", 2, "needs a \"accent\""},
    {"statement given twice", "size 16 16\nkind wood\nsize 8 8\n", 3, "given twice (first on line 1)"},
    {"unknown statement", "size 16 16\nkind wood\nshininess 3\n", 3, "unknown statement"},
    {"no size", "kind wood\nseed 3\n", 2, "no \"size\" line"},
    {"no kind", "size 8 8\n", 1, "no \"kind\" line"},
    {"bad depth", "size 8 8\nkind wood\ndepth 16\n", 3, "one of 24, 32"},
};

TEST(MakeTexture, RefusesBadRecipesNamingFileAndLine) {
    TempDir dir;
    for (const CBadRecipe& bad : kBadRecipes) {
        SCOPED_TRACE(bad.name);
        const std::string recipe = dir.File("bad.txt");
        const std::string messages = dir.File("messages");
        WriteText(recipe, bad.recipe);
        EXPECT_EQ(RunMakeTexture(Quoted(recipe) + " " + Quoted(dir.File("out.tga")), messages), 1);
        const std::string text = ReadText(messages);
        EXPECT_NE(text.find(recipe + ":" + std::to_string(bad.line) + ": "), std::string::npos) << text;
        EXPECT_NE(text.find(bad.message), std::string::npos) << text;
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bad.txt", "messages"})) << "nothing written";
    }
}

TEST(MakeTexture, RefusesAMissingRecipeAndAnUnwritableOutput) {
    TempDir dir;
    EXPECT_EQ(RunMakeTexture(Quoted(dir.File("missing.txt")) + " " + Quoted(dir.File("out.tga"))), 1);
    WriteText(dir.File("good.txt"), "size 8 8\nkind wood\n");
    EXPECT_EQ(RunMakeTexture(Quoted(dir.File("good.txt")) + " " + Quoted(dir.File("no/such/folder/out.tga"))), 1);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"good.txt"}));
}

TEST(MakeTexture, ABadCommandLineGivesTwo) {
    TempDir dir;
    WriteText(dir.File("good.txt"), "size 8 8\nkind wood\n");
    const std::string good = Quoted(dir.File("good.txt"));
    const std::string out = Quoted(dir.File("out.tga"));
    for (const std::string& arguments : {std::string(""), good, good + " " + out + " extra", std::string("'' ") + out})
        EXPECT_EQ(RunMakeTexture(arguments), 2) << arguments;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"good.txt"}));
}

}  // namespace
