#include "engine/graphics/Texture2D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/LogFile.h"
#include "engine/graphics/RenderCodes.h"
#include "tests/support/TempDir.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kHeaderSize = 18;

// ---------------------------------------------------------------------------------------------
// Helpers

// A picture held the way the texture holds it: rows top first, pixels of 1 (grey), 3 (R, G, B)
// or 4 (R, G, B, A) bytes.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    Bytes pixels;
};

// Values differ from pixel to pixel and channel to channel, except along even rows, where
// pixels repeat in groups of `run` so that a run-length encoder finds runs to pack.
Picture MakePicture(uint32_t width, uint32_t height, uint32_t channels, uint32_t run) {
    Picture picture{width, height, channels, {}};
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t key = y % 2 == 0 ? x / run : x;
            for (uint32_t c = 0; c < channels; ++c) {
                uint32_t value = (key * 37 + y * 91 + c * 53 + 11) & 0xFF;
                if (c == 3)
                    value |= 0x01;  // no fully transparent pixel, whose colour a writer might drop
                picture.pixels.push_back(static_cast<uint8_t>(value));
            }
        }
    }
    return picture;
}

// PGM, PPM or PAM (with alpha) by the number of channels.
std::string WritePortableMap(const TempDir& dir, const Picture& picture) {
    char header[160];
    std::string name;
    switch (picture.channels) {
    case 1:
        snprintf(header, sizeof header, "P5\n%u %u\n255\n", picture.width, picture.height);
        name = "in.pgm";
        break;
    case 3:
        snprintf(header, sizeof header, "P6\n%u %u\n255\n", picture.width, picture.height);
        name = "in.ppm";
        break;
    default:
        snprintf(header, sizeof header, "P7\nWIDTH %u\nHEIGHT %u\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 picture.width, picture.height);
        name = "in.pam";
        break;
    }
    std::string bytes = header;
    bytes.append(picture.pixels.begin(), picture.pixels.end());
    const std::string path = dir.File(name);
    WriteText(path, bytes);
    return path;
}

// Runs convert; on failure `diagnostics` holds what it said.
bool RunConvert(const std::string& input, const std::string& options, const std::string& output,
                std::string* diagnostics) {
    const std::string errors = output + ".err";
    const std::string command = "convert '" + input + "' " + options + " '" + output + "' 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    *diagnostics = "convert " + options + " exited with " + std::to_string(status) + ": " + ReadText(errors);
    return status == 0 && FileExists(output);
}

// One row of the picture as a TGA file stores it: B, G, R(, A) for colour pixels.
Bytes StoredRow(const Picture& picture, uint32_t row) {
    const size_t rowBytes = size_t{picture.width} * picture.channels;
    Bytes stored(picture.pixels.begin() + static_cast<std::ptrdiff_t>(row * rowBytes),
                 picture.pixels.begin() + static_cast<std::ptrdiff_t>((row + 1) * rowBytes));
    if (picture.channels >= 3) {
        for (size_t i = 0; i < stored.size(); i += picture.channels)
            std::swap(stored[i], stored[i + 2]);
    }
    return stored;
}

// Where two top-first pixel buffers differ, pixel by pixel (the first few); empty when equal.
std::string PixelDifferences(const Bytes& actual, const Bytes& expected, uint32_t width, uint32_t channels) {
    if (actual.size() != expected.size())
        return "size " + std::to_string(actual.size()) + ", expected " + std::to_string(expected.size());
    std::string report;
    int reported = 0;
    for (size_t i = 0; i < actual.size() && reported < 6; i += channels) {
        if (std::equal(actual.begin() + static_cast<std::ptrdiff_t>(i),
                       actual.begin() + static_cast<std::ptrdiff_t>(i + channels),
                       expected.begin() + static_cast<std::ptrdiff_t>(i)))
            continue;
        const size_t pixel = i / channels;
        report += "pixel (" + std::to_string(pixel % width) + ", " + std::to_string(pixel / width) + "): got";
        for (uint32_t c = 0; c < channels; ++c)
            report += " " + std::to_string(actual[i + c]);
        report += ", expected";
        for (uint32_t c = 0; c < channels; ++c)
            report += " " + std::to_string(expected[i + c]);
        report += "\n";
        ++reported;
    }
    return report;
}

Bytes PixelsOf(CTexture2D* texture) {
    uint8_t* pixels = nullptr;
    if (!texture->Lock(&pixels))
        return {};
    const size_t size = size_t{CRenderDevice::GetBytesPerPixel(texture->GetFormat())} * texture->GetWidth() *
                        texture->GetHeight();
    return Bytes(pixels, pixels + size);
}

int CountCalls(const CRecordingRenderDevice& device, const std::string& name) {
    return static_cast<int>(std::count_if(device.m_Calls.begin(), device.m_Calls.end(), [&](const std::string& line) {
        return line.compare(0, name.size() + 1, name + " ") == 0;
    }));
}

// Runs the reader on an exactly sized heap copy of the bytes, so that any read past the end
// is a read outside the allocation (caught under the address sanitizer).
int LoadExactCopy(CTexture2D* texture, const Bytes& bytes, CRenderDevice* device) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return texture->LoadTga(copy.get(), bytes.size(), 0, 0, device);
}

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 2;
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntrySize = 0;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
};

// The 18-byte header followed by `body` (image id, colour map and pixel data as given).
Bytes Tga(const TgaHeader& h, const Bytes& body) {
    Bytes bytes = {h.idLength,
                   h.colorMapType,
                   h.imageType,
                   0,
                   0,
                   static_cast<uint8_t>(h.colorMapLength & 0xFF),
                   static_cast<uint8_t>(h.colorMapLength >> 8),
                   h.colorMapEntrySize,
                   0,
                   0,
                   0,
                   0,
                   static_cast<uint8_t>(h.width & 0xFF),
                   static_cast<uint8_t>(h.width >> 8),
                   static_cast<uint8_t>(h.height & 0xFF),
                   static_cast<uint8_t>(h.height >> 8),
                   h.depth,
                   h.descriptor};
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Repeat(const Bytes& part, size_t times) {
    Bytes all;
    for (size_t i = 0; i < times; ++i)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Prefix(const Bytes& bytes, size_t size) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

// Colours as the texture holds them (R, G, B) and as a file stores them (B, G, R).
const Bytes kRedish = {0xC1, 0x12, 0x23};
const Bytes kGreenish = {0x14, 0xD5, 0x36};
const Bytes kBluish = {0x07, 0x48, 0xE9};
const Bytes kGreyish = {0x5A, 0x6B, 0x7C};
Bytes Stored(const Bytes& rgb) {
    return {rgb[2], rgb[1], rgb[0]};
}

class TgaReaderFixture {
protected:
    TgaReaderFixture() { EXPECT_EQ(m_device.InitForTest(0, 0, 0), 1); }

    CRecordingRenderDevice m_device;
};

// ---------------------------------------------------------------------------------------------
// Files written by convert

// This convert (ImageMagick 6) writes rows in the order it holds them and only marks the
// origin in the descriptor: `-orient TopLeft` gives a true top-left file (descriptor 0x20),
// while a plain write gets descriptor 0 with the top row still stored first, i.e. the picture
// upside down. Flipping the picture first (`-flip`) makes a true bottom-left file of it; the
// test checks the stored row order of the uncompressed files to be sure of the fixture.
struct ConvertCase {
    const char* name;
    uint32_t width;
    uint32_t height;
    uint32_t channels;  // 1 grey, 3 true colour, 4 true colour with alpha
    uint32_t run;       // pixel repeats along even rows
    bool rle;
    bool topLeft;
};

void PrintTo(const ConvertCase& c, std::ostream* out) {
    *out << c.name;
}

std::string ConvertOptions(const ConvertCase& c) {
    std::string options = c.channels == 1   ? "-depth 8 -type Grayscale"
                          : c.channels == 3 ? "-depth 8 -type TrueColor"
                                            : "-depth 8 -type TrueColorAlpha";
    options += c.rle ? " -compress RLE" : " -compress None";
    options += c.topLeft ? " -orient TopLeft" : " -flip";
    return options;
}

uint32_t FormatOfChannels(uint32_t channels) {
    return channels == 1 ? kFormatA8 : channels == 3 ? kFormatR8G8B8 : kFormatA8R8G8B8;
}

class TgaReaderConvertTest : public TgaReaderFixture, public ::testing::TestWithParam<ConvertCase> {
protected:
    // Writes the case's picture with convert and checks that the file is what the case says.
    void WriteFile() {
        const ConvertCase& c = GetParam();
        m_picture = MakePicture(c.width, c.height, c.channels, c.run);
        m_path = m_dir.File("picture.tga");
        std::string diagnostics;
        ASSERT_TRUE(RunConvert(WritePortableMap(m_dir, m_picture), ConvertOptions(c), m_path, &diagnostics))
            << diagnostics;
        m_file = ReadBytes(m_path);
        ASSERT_GT(m_file.size(), kHeaderSize);
        const uint8_t imageType = (c.channels == 1 ? 3 : 2) + (c.rle ? 8 : 0);
        ASSERT_EQ(m_file[0], 0) << "image id";
        ASSERT_EQ(m_file[1], 0) << "colour-map type";
        ASSERT_EQ(m_file[2], imageType);
        ASSERT_EQ(m_file[12] | (m_file[13] << 8), static_cast<int>(c.width));
        ASSERT_EQ(m_file[14] | (m_file[15] << 8), static_cast<int>(c.height));
        ASSERT_EQ(m_file[16], c.channels * 8);
        ASSERT_EQ(m_file[17] & 0x30, c.topLeft ? 0x20 : 0x00);
        if (!c.rle) {
            const Bytes firstStored = StoredRow(m_picture, c.topLeft ? 0 : c.height - 1);
            ASSERT_TRUE(std::equal(firstStored.begin(), firstStored.end(), m_file.begin() + kHeaderSize))
                << "convert stored the rows in an unexpected order";
        }
    }

    TempDir m_dir;
    Picture m_picture;
    std::string m_path;
    Bytes m_file;
};

TEST_P(TgaReaderConvertTest, LoadsThePictureTopRowFirstAndUploadsItOnce) {
    ASSERT_NO_FATAL_FAILURE(WriteFile());
    const ConvertCase& c = GetParam();

    const std::string logPath = m_dir.File("log.txt");
    CLogFile log(logPath.c_str());
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0, &log), 1);
    CTexture2D* texture = nullptr;
    EXPECT_EQ(device.LoadTexture(m_path.c_str(), &texture), 1);
    ASSERT_NE(texture, nullptr);

    EXPECT_EQ(texture->GetWidth(), c.width);
    EXPECT_EQ(texture->GetHeight(), c.height);
    EXPECT_EQ(texture->GetFormat(), FormatOfChannels(c.channels));
    EXPECT_EQ(texture->GetLevels(), 0u);
    EXPECT_EQ(PixelDifferences(PixelsOf(texture), m_picture.pixels, c.width, c.channels), "");

    EXPECT_EQ(CountCalls(device, "AddTexture"), 1);
    EXPECT_EQ(CountCalls(device, "CreateTexture"), 1);
    const CRecordingRenderDevice::TextureRecord* record = device.Texture(texture->GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->owner, texture);
    EXPECT_EQ(record->width, c.width);
    EXPECT_EQ(record->height, c.height);
    EXPECT_EQ(record->format, FormatOfChannels(c.channels));
    EXPECT_EQ(record->uploads, 1);
    EXPECT_EQ(record->lastFlag, 1);
    EXPECT_EQ(PixelDifferences(record->uploadedPixels, m_picture.pixels, c.width, c.channels), "");

    EXPECT_EQ(ReadText(logPath), "loading " + m_path + "... ok\n");
    device.FreeTexture(texture);
}

TEST_P(TgaReaderConvertTest, RefusesEveryShortenedCopyOfTheFile) {
    ASSERT_NO_FATAL_FAILURE(WriteFile());
    {
        CTexture2D whole;
        ASSERT_EQ(LoadExactCopy(&whole, m_file, &m_device), 1);
    }
    m_device.m_Calls.clear();
    for (size_t size = 0; size < m_file.size(); ++size) {
        CTexture2D texture;
        EXPECT_EQ(LoadExactCopy(&texture, Prefix(m_file, size), &m_device), 0) << "first " << size << " bytes";
    }
    EXPECT_EQ(CountCalls(m_device, "CreateTexture"), 0);
}

const ConvertCase kConvertCases[] = {
    {"Raw24BottomLeft5x3", 5, 3, 3, 2, false, false},
    {"Raw24TopLeft5x3", 5, 3, 3, 2, false, true},
    {"Rle24BottomLeft7x3", 7, 3, 3, 3, true, false},
    {"Rle24TopLeft7x3", 7, 3, 3, 3, true, true},
    {"Rle24BottomLeftColumn1x7", 1, 7, 3, 1, true, false},
    {"Rle24TopLeftLongRuns150x4", 150, 4, 3, 1000, true, true},
    {"Raw32BottomLeft5x3", 5, 3, 4, 2, false, false},
    {"Raw32TopLeft7x1", 7, 1, 4, 3, false, true},
    {"Rle32BottomLeft5x3", 5, 3, 4, 2, true, false},
    {"Rle32TopLeft7x5", 7, 5, 4, 3, true, true},
    {"Raw24OnePixel", 1, 1, 3, 1, false, false},
    {"Rle24OnePixel", 1, 1, 3, 1, true, true},
    {"Raw32OnePixel", 1, 1, 4, 1, false, true},
    {"Rle32OnePixel", 1, 1, 4, 1, true, false},
    {"RawGreyBottomLeft5x3", 5, 3, 1, 2, false, false},
    {"RawGreyTopLeft7x1", 7, 1, 1, 3, false, true},
    {"RleGreyBottomLeft9x4", 9, 4, 1, 3, true, false},
    {"RleGreyTopLeft7x3", 7, 3, 1, 3, true, true},
};

INSTANTIATE_TEST_SUITE_P(Files, TgaReaderConvertTest, ::testing::ValuesIn(kConvertCases),
                         [](const ::testing::TestParamInfo<ConvertCase>& info) { return info.param.name; });

TEST(TgaReaderConvert, RefusesAColourMappedFile) {
    TempDir dir;
    const Picture picture = MakePicture(5, 3, 3, 2);
    const std::string path = dir.File("palette.tga");
    std::string diagnostics;
    ASSERT_TRUE(RunConvert(WritePortableMap(dir, picture), "-type Palette -compress None", path, &diagnostics))
        << diagnostics;
    const Bytes file = ReadBytes(path);
    ASSERT_GT(file.size(), kHeaderSize);
    ASSERT_EQ(file[1], 1) << "colour-map type";
    ASSERT_NE(file[5] | (file[6] << 8), 0) << "colour-map length";
    ASSERT_EQ(file[16], 8) << "depth";

    const std::string logPath = dir.File("log.txt");
    CLogFile log(logPath.c_str());
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0, &log), 1);
    CTexture2D* texture = nullptr;
    EXPECT_EQ(device.LoadTexture(path.c_str(), &texture), 0);
    EXPECT_NE(texture, nullptr);  // a failed load leaves the object to the caller
    EXPECT_EQ(device.m_Calls, std::vector<std::string>{});
    EXPECT_EQ(ReadText(logPath), "loading " + path + "... failed\n");
    device.FreeTexture(texture);
}

// ---------------------------------------------------------------------------------------------
// Hand-made files for what convert does not write

struct DecodeCase {
    const char* name;
    Bytes file;
    uint32_t format;
    uint32_t width;
    uint32_t height;
    Bytes expected;  // top row first, R, G, B(, A) for colour pixels
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
    *out << c.name;
}

class TgaReaderDecodeTest : public TgaReaderFixture, public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TgaReaderDecodeTest, LoadsTheExpectedPixels) {
    const DecodeCase& c = GetParam();
    CTexture2D texture;
    ASSERT_EQ(LoadExactCopy(&texture, c.file, &m_device), 1);
    EXPECT_EQ(texture.GetFormat(), c.format);
    EXPECT_EQ(texture.GetWidth(), c.width);
    EXPECT_EQ(texture.GetHeight(), c.height);
    const uint32_t channels = CRenderDevice::GetBytesPerPixel(c.format);
    EXPECT_EQ(PixelDifferences(PixelsOf(&texture), c.expected, c.width, channels), "");
    const CRecordingRenderDevice::TextureRecord* record = m_device.Texture(texture.GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->uploads, 1);
    EXPECT_EQ(record->lastFlag, 1);
    EXPECT_EQ(PixelDifferences(record->uploadedPixels, c.expected, c.width, channels), "");
}

const Bytes R = kRedish, G = kGreenish, B = kBluish, Y = kGreyish;
const Bytes r = Stored(kRedish), g = Stored(kGreenish), b = Stored(kBluish), y = Stored(kGreyish);

const DecodeCase kDecodeCases[] = {
    // Stored rows come bottom first: the first three pixels fill the bottom row.
    {"RunCrossesARowEndIntoColumn0OfTheRowAbove",
     Tga({.imageType = 10, .width = 3, .height = 2}, Concat({{0x83}, r, {0x01}, g, b})), kFormatR8G8B8, 3, 2,
     Concat({R, G, B, R, R, R})},
    {"RawPacketCrossesARowEnd", Tga({.imageType = 10, .width = 2, .height = 3}, Concat({{0x02}, r, g, b, {0x82}, y})),
     kFormatR8G8B8, 2, 3, Concat({Y, Y, B, Y, R, G})},
    {"PacketsCrossingRowEndsInATopLeftFile",
     Tga({.imageType = 10, .width = 3, .height = 2, .descriptor = 0x20}, Concat({{0x83}, r, {0x01}, g, b})),
     kFormatR8G8B8, 3, 2, Concat({R, R, R, R, G, B})},
    {"RunPastTheLastPixelIsClipped",
     Tga({.imageType = 10, .width = 2, .height = 2}, Concat({{0x01}, r, g, {0x85}, b})), kFormatR8G8B8, 2, 2,
     Concat({B, B, R, G})},
    {"LongestRunOnASmallImageIsClipped", Tga({.imageType = 10, .width = 3, .height = 1}, Concat({{0xFF}, y})),
     kFormatR8G8B8, 3, 1, Concat({Y, Y, Y})},
    {"RawPacketLongerThanTheImageIsClipped",
     Tga({.imageType = 10, .width = 2, .height = 1}, Concat({{0x03}, r, g, b, y})), kFormatR8G8B8, 2, 1,
     Concat({R, G})},
    {"BytesAfterTheLastPacketAreIgnored",
     Tga({.imageType = 10, .width = 2, .height = 1}, Concat({{0x81}, g, {0xFF, 0x00, 0x13}})), kFormatR8G8B8, 2, 1,
     Concat({G, G})},
    {"RunLengthTrueColourWithAlpha",
     Tga({.imageType = 10, .width = 2, .height = 2, .depth = 32, .descriptor = 0x28},
         Concat({{0x00}, b, {0x80}, {0x82}, r, {0x01}})),
     kFormatA8R8G8B8, 2, 2, Concat({B, {0x80}, R, {0x01}, R, {0x01}, R, {0x01}})},
    {"RunLengthGreyCrossesARowEnd", Tga({.imageType = 11, .width = 3, .height = 2, .depth = 8}, {0x84, 0x40, 0x00, 0x90}),
     kFormatA8, 3, 2, {0x40, 0x40, 0x90, 0x40, 0x40, 0x40}},
    {"UncompressedGreyBottomLeft", Tga({.imageType = 3, .width = 2, .height = 2, .depth = 8}, {1, 2, 3, 4}), kFormatA8,
     2, 2, {3, 4, 1, 2}},
    {"GreyOfImageType1WithoutColourMapReadsUncompressed",
     Tga({.imageType = 1, .width = 2, .height = 1, .depth = 8}, {0x11, 0xEE}), kFormatA8, 2, 1, {0x11, 0xEE}},
    {"ImageIdIsSkipped", Tga({.idLength = 3, .width = 2, .height = 1}, Concat({{'i', 'd', '!'}, r, b})),
     kFormatR8G8B8, 2, 1, Concat({R, B})},
    {"BytesAfterUncompressedPixelsAreIgnored",
     Tga({.width = 1, .height = 1}, Concat({g, Repeat({0xAB}, 26)})), kFormatR8G8B8, 1, 1, G},
    {"SixteenBitPixelsKeepTheirBytes",
     Tga({.width = 2, .height = 2, .depth = 16, .descriptor = 0x20}, {0x01, 0x80, 0x1F, 0x7C, 0xE0, 0x03, 0xFF, 0xFF}),
     kFormatA1R5G5B5, 2, 2, {0x01, 0x80, 0x1F, 0x7C, 0xE0, 0x03, 0xFF, 0xFF}},
    {"SixteenBitBottomLeftRowsComeTopFirst",
     Tga({.width = 1, .height = 2, .depth = 16}, {0x34, 0x12, 0x78, 0x56}), kFormatA1R5G5B5, 1, 2,
     {0x78, 0x56, 0x34, 0x12}},
    {"SixteenBitRunLength", Tga({.imageType = 10, .width = 3, .height = 1, .depth = 16}, {0x81, 0x34, 0x92, 0x00, 0x0F, 0x70}),
     kFormatA1R5G5B5, 3, 1, {0x34, 0x92, 0x34, 0x92, 0x0F, 0x70}},
    {"WidestAcceptedSide",
     Tga({.width = static_cast<uint16_t>(CTexture2D::kMaxTgaSide), .height = 1, .depth = 8},
         Repeat({0x5C}, CTexture2D::kMaxTgaSide)),
     kFormatA8, CTexture2D::kMaxTgaSide, 1, Repeat({0x5C}, CTexture2D::kMaxTgaSide)},
    {"TallestAcceptedSide",
     Tga({.width = 1, .height = static_cast<uint16_t>(CTexture2D::kMaxTgaSide), .depth = 8},
         Repeat({0xC5}, CTexture2D::kMaxTgaSide)),
     kFormatA8, 1, CTexture2D::kMaxTgaSide, Repeat({0xC5}, CTexture2D::kMaxTgaSide)},
};

INSTANTIATE_TEST_SUITE_P(Files, TgaReaderDecodeTest, ::testing::ValuesIn(kDecodeCases),
                         [](const ::testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

// The origin bits 4 and 5 of the descriptor: only 0x20 (top left) flips the stored rows back;
// bottom right (0x10) and top right (0x30) are read like bottom left. The other bits (alpha
// depth, interleave) do not matter.
struct DescriptorCase {
    uint8_t descriptor;
    bool storedTopFirst;
};

void PrintTo(const DescriptorCase& c, std::ostream* out) {
    *out << "descriptor " << static_cast<int>(c.descriptor);
}

class TgaReaderDescriptorTest : public TgaReaderFixture, public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(TgaReaderDescriptorTest, OnlyTheTopLeftOriginKeepsTheStoredRowOrder) {
    const DescriptorCase& c = GetParam();
    // Three stored rows of two pixels; an odd height keeps the middle row in place.
    const Bytes file = Tga({.width = 2, .height = 3, .descriptor = c.descriptor}, Concat({r, g, b, y, g, r}));
    const Bytes firstStored = Concat({R, G}), secondStored = Concat({B, Y}), lastStored = Concat({G, R});
    const Bytes expected = c.storedTopFirst ? Concat({firstStored, secondStored, lastStored})
                                            : Concat({lastStored, secondStored, firstStored});
    CTexture2D texture;
    ASSERT_EQ(LoadExactCopy(&texture, file, &m_device), 1);
    EXPECT_EQ(PixelDifferences(PixelsOf(&texture), expected, 2, 3), "");

    // The run-length path orders its rows the same way.
    const Bytes packed = Tga({.imageType = 10, .width = 2, .height = 3, .descriptor = c.descriptor},
                             Concat({{0x05}, r, g, b, y, g, r}));
    CTexture2D packedTexture;
    ASSERT_EQ(LoadExactCopy(&packedTexture, packed, &m_device), 1);
    EXPECT_EQ(PixelDifferences(PixelsOf(&packedTexture), expected, 2, 3), "");
}

INSTANTIATE_TEST_SUITE_P(Descriptors, TgaReaderDescriptorTest,
                         ::testing::Values(DescriptorCase{0x00, false}, DescriptorCase{0x08, false},
                                           DescriptorCase{0x10, false}, DescriptorCase{0x20, true},
                                           DescriptorCase{0x28, true}, DescriptorCase{0x30, false},
                                           DescriptorCase{0x38, false}, DescriptorCase{0xC0, false},
                                           DescriptorCase{0xE0, true}),
                         [](const ::testing::TestParamInfo<DescriptorCase>& info) {
                             char name[16];
                             snprintf(name, sizeof name, "Descriptor%02X", info.param.descriptor);
                             return std::string(name);
                         });

// ---------------------------------------------------------------------------------------------
// Hostile and unsupported files

// A well-formed 5x3 true-colour file, stored bottom row first, and the same picture run-length
// encoded as one run, one raw packet and one run per row.
const Bytes kRaw5x3 = Tga({.width = 5, .height = 3}, Repeat(Concat({r, g, b, y, r}), 3));
const Bytes kRle5x3 = Tga({.imageType = 10, .width = 5, .height = 3},
                          Concat({{0x84}, r, {0x04}, r, g, b, y, r, {0x84}, b}));

struct HostileCase {
    const char* name;
    Bytes file;
    bool refusedBeforeTheDevice;  // refused before the texture is registered with the device
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

class TgaReaderHostileTest : public TgaReaderFixture, public ::testing::TestWithParam<HostileCase> {};

TEST_P(TgaReaderHostileTest, IsRefusedWithoutAnUpload) {
    const HostileCase& c = GetParam();
    CTexture2D texture;
    EXPECT_EQ(LoadExactCopy(&texture, c.file, &m_device), 0);
    EXPECT_EQ(CountCalls(m_device, "CreateTexture"), 0);
    if (c.refusedBeforeTheDevice) {
        EXPECT_EQ(m_device.m_Calls, std::vector<std::string>{});
    }

    // The same bytes as a file.
    TempDir dir;
    const std::string path = dir.File("hostile.tga");
    WriteBytes(path, c.file.data(), c.file.size());
    CTexture2D fromFile;
    EXPECT_EQ(fromFile.LoadFile(path.c_str(), 0, 0, &m_device), 0);
    EXPECT_EQ(CountCalls(m_device, "CreateTexture"), 0);
}

TgaHeader Wide(uint32_t width, uint32_t height) {
    return {.width = static_cast<uint16_t>(width), .height = static_cast<uint16_t>(height)};
}

const HostileCase kHostileCases[] = {
    {"Empty", {}, true},
    {"OneByte", {0x00}, true},
    {"HeaderShortByOneByte", Prefix(kRaw5x3, kHeaderSize - 1), true},
    {"HeaderOnly", Prefix(kRaw5x3, kHeaderSize), false},
    {"RawEndsInsideTheFirstRow", Prefix(kRaw5x3, kHeaderSize + 7), false},
    {"RawEndsAfterTheFirstRow", Prefix(kRaw5x3, kHeaderSize + 15), false},
    {"RawEndsInsideTheLastRow", Prefix(kRaw5x3, kHeaderSize + 40), false},
    {"RawShortByOneByte", Prefix(kRaw5x3, kRaw5x3.size() - 1), false},
    {"RleHeaderOnly", Prefix(kRle5x3, kHeaderSize), false},
    {"RleRunWithoutItsPixel", Prefix(kRle5x3, kHeaderSize + 1), false},
    {"RleRunInsideItsPixel", Prefix(kRle5x3, kHeaderSize + 3), false},
    {"RleEndsAfterAWholePacket", Prefix(kRle5x3, kHeaderSize + 4), false},
    {"RleEndsInsideARawPacket", Prefix(kRle5x3, kHeaderSize + 12), false},
    {"RleLastRunWithoutItsPixel", Prefix(kRle5x3, kRle5x3.size() - 3), false},
    {"RleShortByOneByte", Prefix(kRle5x3, kRle5x3.size() - 1), false},
    {"RleRunsStopBeforeTheImageIsFull",
     Tga({.imageType = 10, .width = 2, .height = 2}, Concat({{0x82}, r})), false},
    {"ImageIdPastTheEnd", Tga({.idLength = 10, .width = 1, .height = 1}, Concat({r, {'x', 'y'}})), true},
    {"LongestImageIdWithNothingAfterIt", Tga({.idLength = 255, .width = 1, .height = 1}, {}), true},
    {"ImageIdEatingThePixels", Tga({.idLength = 3, .width = 1, .height = 1}, r), false},
    {"WidthZero", Tga(Wide(0, 3), Repeat(r, 3)), true},
    {"HeightZero", Tga(Wide(3, 0), Repeat(r, 3)), true},
    {"WidthAboveTheLimit", Tga(Wide(CTexture2D::kMaxTgaSide + 1, 1), Repeat(r, CTexture2D::kMaxTgaSide + 1)), true},
    {"HeightAboveTheLimit", Tga(Wide(1, CTexture2D::kMaxTgaSide + 1), Repeat(r, CTexture2D::kMaxTgaSide + 1)), true},
    {"Width65535", Tga(Wide(65535, 1), r), true},
    {"Height65535", Tga(Wide(1, 65535), r), true},
    {"BothSides65535", Tga(Wide(65535, 65535), r), true},
    {"Depth15", Tga({.width = 2, .height = 1, .depth = 15}, {0x1F, 0x00, 0xE0, 0x03}), true},
    {"Depth7", Tga({.width = 1, .height = 1, .depth = 7}, {0x01}), true},
    {"Depth0", Tga({.width = 1, .height = 1, .depth = 0}, {}), true},
    {"Depth64", Tga({.width = 1, .height = 1, .depth = 64}, Repeat({0x42}, 8)), true},
    {"Depth24ImageType0", Tga({.imageType = 0}, r), true},
    {"Depth24ImageType4", Tga({.imageType = 4}, r), true},
    {"Depth24ImageType32", Tga({.imageType = 32}, r), true},
    {"Depth8ImageType0", Tga({.imageType = 0, .depth = 8}, {0x42}), true},
    {"Depth8ImageType4", Tga({.imageType = 4, .depth = 8}, {0x42}), true},
    {"Depth8ImageType255", Tga({.imageType = 255, .depth = 8}, {0x42}), true},
    {"ColourMapType2", Tga({.colorMapType = 2}, r), true},
    {"TrueColourWithAColourMap",
     Tga({.colorMapType = 1, .imageType = 2, .colorMapLength = 2, .colorMapEntrySize = 24}, Concat({r, g, b})), true},
    {"ColourMappedIndices",
     Tga({.colorMapType = 1, .imageType = 1, .colorMapLength = 2, .colorMapEntrySize = 24, .depth = 8},
         Concat({r, g, {0x01}})),
     true},
    {"RunLengthColourMappedIndices",
     Tga({.colorMapType = 1, .imageType = 9, .colorMapLength = 1, .colorMapEntrySize = 24, .depth = 8},
         Concat({r, {0x80, 0x00}})),
     true},
};

INSTANTIATE_TEST_SUITE_P(Files, TgaReaderHostileTest, ::testing::ValuesIn(kHostileCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

TEST(TgaReaderFiles, RefusesNoNameAMissingFileAndAFolder) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    TempDir dir;
    CTexture2D texture;
    EXPECT_EQ(texture.LoadFile(nullptr, 0, 0, &device), 0);
    EXPECT_EQ(texture.LoadFile(dir.File("missing.tga").c_str(), 0, 0, &device), 0);
    EXPECT_EQ(texture.LoadFile(dir.Path().c_str(), 0, 0, &device), 0);
    EXPECT_EQ(device.m_Calls, std::vector<std::string>{});
    EXPECT_EQ(texture.GetHandle(), 0u);
}

TEST(TgaReaderFiles, LogsFailedForMissingAndDamagedFiles) {
    TempDir dir;
    const std::string missing = dir.File("missing.tga");
    const std::string damaged = dir.File("damaged.tga");
    WriteBytes(damaged, kRle5x3.data(), kRle5x3.size() - 1);
    const std::string logPath = dir.File("log.txt");
    CLogFile log(logPath.c_str());
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0, &log), 1);

    for (const std::string& path : {missing, damaged}) {
        CTexture2D* texture = nullptr;
        EXPECT_EQ(device.LoadTexture(path.c_str(), &texture), 0) << path;
        EXPECT_NE(texture, nullptr) << path;
        device.FreeTexture(texture);
    }
    EXPECT_EQ(ReadText(logPath), "loading " + missing + "... failed\nloading " + damaged + "... failed\n");
    EXPECT_EQ(CountCalls(device, "CreateTexture"), 0);
}

TEST(TgaReaderFiles, LoadsTheSameFileFromDiskAndFromMemory) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    TempDir dir;
    const std::string path = dir.File("rle.tga");
    WriteBytes(path, kRle5x3.data(), kRle5x3.size());
    CTexture2D fromFile, fromMemory;
    ASSERT_EQ(fromFile.LoadFile(path.c_str(), 7, 0, &device), 1);
    ASSERT_EQ(LoadExactCopy(&fromMemory, kRle5x3, &device), 1);
    EXPECT_EQ(fromFile.GetUserValue(), 7u);
    EXPECT_EQ(PixelDifferences(PixelsOf(&fromFile), Concat({B, B, B, B, B, R, G, B, Y, R, R, R, R, R, R}), 5, 3),
              "");
    EXPECT_EQ(PixelsOf(&fromFile), PixelsOf(&fromMemory));
}

}  // namespace
