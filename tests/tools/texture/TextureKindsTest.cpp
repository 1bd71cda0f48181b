// The texture tool's kinds, written by make_texture and read back by ImageMagick and by the
// engine's TGA reader: sizes, depths, orientation, known pixels and alpha; the plain and
// run-length forms; text where the recipe puts it; the same bytes from the same recipe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/graphics/RenderCodes.h"
#include "tests/support/TempDir.h"
#include "tests/tools/texture/TextureReaders.h"
#include "tools/texture/TexturePainter.h"

namespace {

constexpr int kAny = -1;
constexpr int kTolerance = 2;

struct CKnownPixel {
    uint32_t x;
    uint32_t y;
    int r, g, b, a;  // kAny where the value is not known
};

struct CKindCase {
    const char* name;
    std::string recipe;
    uint32_t width;
    uint32_t height;
    uint32_t depth;
    std::vector<CKnownPixel> pixels;
    std::function<void(const CDecoded&)> check;  // what known pixels cannot say, or nothing
};

std::string Recipe(const char* kind, uint32_t width, uint32_t height, const std::string& more = "") {
    return "size " + std::to_string(width) + " " + std::to_string(height) + "\nkind " + kind + "\n" + more;
}

// Every pixel on the line from red 200 to blue 200, and not all alike: a material mixing its
// colour and accent.
void OnTheRedBlueLine(const CDecoded& image) {
    int outside = 0;
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        outside += image.rgba[i + 1] != 0 || std::abs(image.rgba[i] + image.rgba[i + 2] - 200) > 1 ? 1 : 0;
    EXPECT_EQ(outside, 0);
    uint8_t lowest = 255;
    uint8_t highest = 0;
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        lowest = std::min(lowest, image.rgba[i]);
        highest = std::max(highest, image.rgba[i]);
    }
    EXPECT_GT(highest - lowest, 20) << "a material varies";
}

std::vector<CKindCase> KindCases() {
    const std::string redBlue = "colour 200 0 0\naccent 0 0 200\nseed 9\n";
    const std::string frame = "colour 200 190 170\naccent 80 60 40\nborder 2\n";
    std::vector<CKindCase> cases = {
        {"solid", Recipe("solid", 16, 8, "colour 10 20 30\n"), 16, 8, 24, {{0, 0, 10, 20, 30, 255}, {15, 7, 10, 20, 30, 255}}, {}},
        {"translucent solid", Recipe("solid", 16, 8, "colour 10 20 30 128\n"), 16, 8, 32, {{0, 0, 10, 20, 30, 128}}, {}},
        {"gradient down", Recipe("gradient", 16, 8, "colour 255 0 0\naccent 0 0 255\n"), 16, 8, 24,
         {{0, 0, 255, 0, 0, 255}, {15, 0, 255, 0, 0, 255}, {0, 7, 0, 0, 255, 255}}, {}},
        {"gradient right", Recipe("gradient", 16, 8, "colour 255 0 0\naccent 0 0 255\ndirection right\n"), 16, 8, 24,
         {{0, 0, 255, 0, 0, 255}, {0, 7, 255, 0, 0, 255}, {15, 0, 0, 0, 255, 255}}, {}},
        {"gradient radial", Recipe("gradient", 16, 16, "colour 255 0 0\naccent 0 0 255\ndirection radial\n"), 16, 16,
         24, {{0, 0, 0, 0, 255, 255}, {8, 8, 232, 0, 22, 255}}, {}},
        {"glow", Recipe("glow", 16, 16), 16, 16, 32, {{0, 0, kAny, kAny, kAny, 0}, {15, 15, kAny, kAny, kAny, 0}},
         [](const CDecoded& image) { EXPECT_GT(image.At(8, 8)[3], 200); }},
        {"spark", Recipe("spark", 16, 16, "seed 4\n"), 16, 16, 32, {{0, 0, kAny, kAny, kAny, 0}},
         [](const CDecoded& image) { EXPECT_GT(image.At(8, 8)[3], 200); }},
        {"flame", Recipe("flame", 16, 16, "seed 4\n"), 16, 16, 32,
         {{0, 0, kAny, kAny, kAny, 0}, {15, 0, kAny, kAny, kAny, 0}, {8, 0, kAny, kAny, kAny, 0}},
         [](const CDecoded& image) { EXPECT_GT(image.At(8, 10)[3], 200); }},
        {"smoke", Recipe("smoke", 16, 16, "seed 4\n"), 16, 16, 32, {{0, 0, kAny, kAny, kAny, 0}},
         [](const CDecoded& image) { EXPECT_GT(image.At(8, 8)[3], 0); }},
        {"plate", Recipe("plate", 16, 16, frame + "radius 4\n"), 16, 16, 32,
         {{0, 0, kAny, kAny, kAny, 0}, {8, 8, 200, 190, 170, 255}, {8, 0, 80, 60, 40, 255}, {0, 8, 80, 60, 40, 255}}, {}},
        {"corner", Recipe("corner", 16, 16, frame + "radius 8\n"), 16, 16, 32,
         {{0, 0, kAny, kAny, kAny, 0}, {15, 15, 200, 190, 170, 255}, {15, 0, 80, 60, 40, 255}, {0, 15, 80, 60, 40, 255}},
         {}},
        {"edge", Recipe("edge", 16, 8, frame), 16, 8, 32,
         {{0, 0, 80, 60, 40, 255}, {15, 1, 80, 60, 40, 255}, {0, 7, 200, 190, 170, 255}, {15, 2, 200, 190, 170, 255}},
         {}},
        {"button", Recipe("button", 16, 16, frame), 16, 16, 32, {{0, 0, kAny, kAny, kAny, 0}},
         [](const CDecoded& image) { EXPECT_GT(image.At(8, 3)[0], image.At(8, 12)[0]) << "lit from above"; }},
        {"pressed button", Recipe("button", 16, 16, frame + "pressed yes\n"), 16, 16, 32, {{0, 0, kAny, kAny, kAny, 0}},
         [](const CDecoded& image) { EXPECT_LT(image.At(8, 3)[0], image.At(8, 12)[0]) << "lit from below"; }},
        {"arrow", Recipe("arrow", 32, 32, "colour 255 255 255\naccent 0 0 0\nborder 2\n"), 32, 32, 32,
         {{0, 4, 0, 0, 0, 255}, {6, 16, 255, 255, 255, 255}, {31, 0, kAny, kAny, kAny, 0}, {0, 31, kAny, kAny, kAny, 0}},
         {}},
        {"gear", Recipe("gear", 32, 32, "colour 100 110 120\nteeth 10\nhole 0.3\n"), 32, 32, 32,
         {{16, 16, kAny, kAny, kAny, 0}, {0, 0, kAny, kAny, kAny, 0}, {24, 16, 100, 110, 120, 255}}, {}},
        {"text background", Recipe("text", 16, 8), 16, 8, 32, {{0, 0, kAny, kAny, kAny, 0}}, {}},
        // A box lays a frame piece anywhere: here the bottom side of a frame, its rim below.
        {"edge in a box", Recipe("edge", 16, 8, frame + "box -16 -8 32 8\n"), 16, 8, 32,
         {{0, 7, 80, 60, 40, 255}, {15, 6, 80, 60, 40, 255}, {0, 0, 200, 190, 170, 255}, {15, 5, 200, 190, 170, 255}},
         {}},
        {"plate in a smaller box", Recipe("plate", 16, 16, frame + "radius 0\nbox 0 0 16 10\n"), 16, 16, 32,
         {{8, 9, 80, 60, 40, 255}, {8, 5, 200, 190, 170, 255}, {8, 10, kAny, kAny, kAny, 0}}, {}},
        {"arrow in a box", Recipe("arrow", 32, 32, "colour 255 255 255\naccent 0 0 0\nborder 2\nbox 4 4 28 28\n"),
         32, 32, 32, {{0, 8, kAny, kAny, kAny, 0}, {4, 8, 0, 0, 0, 255}, {3, 3, kAny, kAny, kAny, 0}}, {}},
        // Over an opaque background a sprite keeps no alpha: a gear on black.
        {"gear on a background", Recipe("gear", 32, 32, "colour 100 110 120\nbackground 0 0 0\n"), 32, 32, 24,
         {{0, 0, 0, 0, 0, 255}, {16, 16, 0, 0, 0, 255}, {24, 16, 100, 110, 120, 255}}, {}},
        {"glow on a translucent background", Recipe("glow", 16, 16, "background 0 0 255 64\n"), 16, 16, 32,
         {{0, 0, 0, 0, 255, 64}}, [](const CDecoded& image) { EXPECT_GT(image.At(8, 8)[3], 200); }},
    };
    for (const char* material :
         {"wood", "stone", "brick", "concrete", "paper", "cork", "metal", "marble", "fabric", "gridpaper"})
        cases.push_back({material, Recipe(material, 16, 16, redBlue + "scale 4\n"), 16, 16, 24, {}, OnTheRedBlueLine});
    cases.back().pixels = {{0, 0, 0, 0, 200, 255}, {1, 1, kAny, kAny, kAny, 255}};  // grid paper: a line at the top left
    return cases;
}

void ExpectKnownPixels(const CDecoded& image, const std::vector<CKnownPixel>& pixels, const char* reader) {
    for (const CKnownPixel& known : pixels) {
        const uint8_t* pixel = image.At(known.x, known.y);
        const int expected[4] = {known.r, known.g, known.b, known.a};
        for (int channel = 0; channel < 4; ++channel) {
            if (expected[channel] == kAny)
                continue;
            EXPECT_NEAR(pixel[channel], expected[channel], kTolerance)
                << reader << " pixel " << known.x << "," << known.y << " channel " << channel;
        }
    }
}

TEST(MakeTexture, EveryKindReadsBackThroughImageMagickAndTheEngine) {
    TempDir dir;
    for (const CKindCase& kind : KindCases()) {
        SCOPED_TRACE(kind.name);
        const std::string recipe = dir.File("recipe.txt");
        const std::string tga = dir.File("out.tga");
        WriteText(recipe, kind.recipe);
        ASSERT_EQ(MakeTexture(recipe, tga), 0);

        const std::vector<unsigned char> bytes = ReadBytes(tga);
        ASSERT_GT(bytes.size(), 18u);
        EXPECT_EQ(bytes[0], 0) << "no id field";
        EXPECT_EQ(bytes[1], 0) << "no colour map";
        EXPECT_EQ(bytes[16], kind.depth);
        EXPECT_EQ(bytes[17], kind.depth == 32 ? 0x28 : 0x20) << "rows top first";
        const std::string channels = kind.depth == 32 ? "srgba" : "srgb";
        const std::string compression = bytes[2] == 10 ? "RLE" : "None";
        EXPECT_EQ(Identify(tga), std::to_string(kind.width) + " " + std::to_string(kind.height) + " 8 " + channels +
                                     " " + compression);

        CDecoded magick;
        CDecoded engine;
        uint32_t format = 0;
        ASSERT_TRUE(ReadWithConvert(tga, &magick));
        ASSERT_TRUE(ReadWithEngine(tga, &engine, &format));
        EXPECT_EQ(engine.width, kind.width);
        EXPECT_EQ(engine.height, kind.height);
        EXPECT_EQ(format, static_cast<uint32_t>(kind.depth == 32 ? kFormatA8R8G8B8 : kFormatR8G8B8));
        EXPECT_EQ(engine.rgba, magick.rgba) << "both readers see the same pixels";
        ExpectKnownPixels(magick, kind.pixels, "ImageMagick");
        ExpectKnownPixels(engine, kind.pixels, "engine");
        if (kind.check)
            kind.check(engine);
    }
}

// The plain and run-length forms of one image: the headers say which, and both readers
// give the same pixels from each.
TEST(MakeTexture, PlainAndRunLengthFormsHoldTheSamePixels) {
    const std::string cases[] = {
        Recipe("solid", 256, 256, "colour 40 80 120\n"),  // runs longer than a packet
        Recipe("plate", 64, 32, "colour 200 190 170\naccent 80 60 40\n"),
        Recipe("stone", 32, 64),
        Recipe("gradient", 256, 4, "colour 0 0 0\naccent 255 255 255 0\ndirection right\n"),  // no runs at all
        Recipe("spark", 8, 8, "seed 3\n"),
    };
    TempDir dir;
    for (const std::string& recipe : cases) {
        SCOPED_TRACE(recipe);
        std::vector<CDecoded> decoded;
        size_t sizes[2] = {};
        for (const char* encoding : {"plain", "runlength"}) {
            const std::string source = dir.File(std::string(encoding) + ".txt");
            const std::string tga = dir.File(std::string(encoding) + ".tga");
            WriteText(source, recipe + "encoding " + encoding + "\n");
            ASSERT_EQ(MakeTexture(source, tga), 0);
            const std::vector<unsigned char> bytes = ReadBytes(tga);
            const bool runLength = std::string(encoding) == "runlength";
            EXPECT_EQ(bytes[2], runLength ? 10 : 2);
            EXPECT_NE(Identify(tga).find(runLength ? " RLE" : " None"), std::string::npos) << Identify(tga);
            sizes[runLength ? 1 : 0] = bytes.size();
            CDecoded magick;
            CDecoded engine;
            uint32_t format = 0;
            ASSERT_TRUE(ReadWithConvert(tga, &magick));
            ASSERT_TRUE(ReadWithEngine(tga, &engine, &format));
            EXPECT_EQ(engine.rgba, magick.rgba);
            decoded.push_back(engine);
        }
        EXPECT_EQ(decoded[0].rgba, decoded[1].rgba) << "the same pixels in either form";

        // Left to itself the tool writes the smaller form.
        const std::string source = dir.File("smaller.txt");
        WriteText(source, recipe);
        ASSERT_EQ(MakeTexture(source, dir.File("smaller.tga")), 0);
        EXPECT_EQ(ReadBytes(dir.File("smaller.tga")).size(), std::min(sizes[0], sizes[1]));
    }
}

TEST(MakeTexture, FlatImagesShrinkWhenRunLengthEncoded) {
    TempDir dir;
    WriteText(dir.File("flat.txt"), Recipe("solid", 256, 256, "colour 1 2 3\n"));
    ASSERT_EQ(MakeTexture(dir.File("flat.txt"), dir.File("flat.tga")), 0);
    const std::vector<unsigned char> bytes = ReadBytes(dir.File("flat.tga"));
    EXPECT_EQ(bytes[2], 10);
    // Two run packets of 128 pixels a row.
    EXPECT_EQ(bytes.size(), 18u + 256u * 2u * 4u);
}

// The bounds of the pixels whose alpha passes half: where the text was drawn.
struct CInk {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;
    int bottom = -1;
};

CInk InkOf(const CDecoded& image) {
    CInk ink;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            if (image.At(x, y)[3] < 128)
                continue;
            ink.left = std::min(ink.left, static_cast<int>(x));
            ink.right = std::max(ink.right, static_cast<int>(x));
            ink.top = std::min(ink.top, static_cast<int>(y));
            ink.bottom = std::max(ink.bottom, static_cast<int>(y));
        }
    }
    return ink;
}

TEST(MakeTexture, DrawsTextWhereTheRecipePutsIt) {
    struct CPlace {
        int x;
        int y;
    };
    const CPlace places[] = {{0, 0}, {20, 8}, {37, 30}};
    constexpr int kPixels = 24;
    TempDir dir;
    CInk first;
    for (const CPlace& place : places) {
        SCOPED_TRACE(std::to_string(place.x) + "," + std::to_string(place.y));
        WriteText(dir.File("text.txt"), Recipe("text", 64, 64) + "text " + std::to_string(place.x) + " " +
                                            std::to_string(place.y) + " " + std::to_string(kPixels) +
                                            " 255 255 255 \"8\"\n");
        ASSERT_EQ(MakeTexture(dir.File("text.txt"), dir.File("text.tga")), 0);
        CDecoded image;
        uint32_t format = 0;
        ASSERT_TRUE(ReadWithEngine(dir.File("text.tga"), &image, &format));
        const CInk ink = InkOf(image);
        ASSERT_GE(ink.right, 0) << "some ink";
        EXPECT_GE(ink.left, place.x);
        EXPECT_GE(ink.top, place.y);
        EXPECT_LT(ink.right, place.x + kPixels);
        EXPECT_LT(ink.bottom, place.y + kPixels);
        EXPECT_GT(ink.bottom - ink.top, kPixels / 2) << "a digit most of the line high";
        if (first.right < 0)
            first = ink;
        EXPECT_EQ(ink.left - first.left, place.x - places[0].x) << "moves with the place";
        EXPECT_EQ(ink.top - first.top, place.y - places[0].y);
        const uint8_t* solid = image.At(static_cast<uint32_t>(ink.left + ink.right) / 2, static_cast<uint32_t>(ink.top));
        EXPECT_EQ(solid[0], 255) << "in the text's colour";
    }
}

TEST(MakeTexture, TheSameRecipeGivesTheSameBytesAndAnotherSeedOtherNoise) {
    TempDir dir;
    for (const char* kind : {"wood", "stone", "brick", "concrete", "paper", "cork", "metal", "marble", "fabric",
                             "gridpaper", "spark", "flame", "smoke"}) {
        SCOPED_TRACE(kind);
        std::vector<std::vector<unsigned char>> files;
        for (const char* seed : {"5", "5", "6"}) {
            WriteText(dir.File("r.txt"), Recipe(kind, 32, 32, std::string("seed ") + seed + "\n"));
            ASSERT_EQ(MakeTexture(dir.File("r.txt"), dir.File("r.tga")), 0);
            files.push_back(ReadBytes(dir.File("r.tga")));
        }
        EXPECT_EQ(files[0], files[1]);
        EXPECT_NE(files[0], files[2]);
        std::vector<uint8_t> inMemory;
        int line = 0;
        std::string error;
        ASSERT_TRUE(MakeTextureFromRecipe(Recipe(kind, 32, 32, "seed 5\n"), &inMemory, &line, &error)) << error;
        EXPECT_EQ(std::vector<unsigned char>(inMemory.begin(), inMemory.end()), files[0]);
    }
}

}  // namespace
