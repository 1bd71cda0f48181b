// What make_texture refuses: bad recipes, each named by file and line with exit status 1 and
// no file written, and bad command lines with status 2.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"

namespace {

constexpr char kGoodRecipe[] = "size 8 8\nkind wood\n";

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
    {"box with three numbers", "size 16 16\nkind plate\nbox 0 0 16\n", 3, "left, top, right and bottom"},
    {"box turned inside out", "size 16 16\nkind plate\nbox 0 8 16 4\n", 3, "bottom below its top"},
    {"box too far out", "size 16 16\nkind edge\nbox -5000 0 16 16\n", 3, "from -4096 to 8192"},
    {"box a kind does not take", "size 16 16\nkind gear\nbox 0 0 16 16\n", 3, "takes no \"box\""},
    {"radius wider than half the box", "size 16 16\nkind plate\nradius 3\nbox 0 0 16 4\n", 3,
     "half the box's smaller side"},
    {"background without blue", "size 8 8\nkind glow\nbackground 0 0\n", 3, "takes a colour"},
};

TEST(MakeTexture, RefusesBadRecipesNamingFileAndLine) {
    TempDir dir;
    ExpectBadRecipesRefused(MAKE_TEXTURE, kBadRecipes, dir, "bad.txt", "out.tga", {"bad.txt", "messages"});
}

TEST(MakeTexture, RefusesAMissingRecipeAndAnUnwritableOutput) {
    ExpectMissingRecipeAndUnwritableOutputRefused(MAKE_TEXTURE, kGoodRecipe, "out.tga");
}

TEST(MakeTexture, ABadCommandLineGivesTwo) {
    ExpectBadCommandLinesRefused(MAKE_TEXTURE, kGoodRecipe, "out.tga");
}

}  // namespace
