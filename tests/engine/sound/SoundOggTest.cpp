// CSoundOgg on Ogg Vorbis files encoded by oggenc at test time. Vorbis is lossy, so the
// samples are compared with oggdec's decoding of the same file, never with the source tone.
#include "engine/sound/SoundOgg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/engine/sound/SoundOggFiles.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kChunk = 4096;  // what the sound device streams at a time

// ---------------------------------------------------------------------------------------------
// Ogg pages, for streams oggenc does not write

int64_t Granule(const Bytes& file, const Page& page) {
    uint64_t granule = 0;
    for (int i = 7; i >= 0; --i)
        granule = (granule << 8) | file[page.offset + 6 + static_cast<size_t>(i)];
    return static_cast<int64_t>(granule);
}

// The index of the first page after the header pages: oggenc ends the headers with a page
// of its own, and every page after them carries a sample position.
size_t FirstAudioPage(const Bytes& file, const std::vector<Page>& pages) {
    size_t index = 0;
    while (index < pages.size() && Granule(file, pages[index]) == 0)
        ++index;
    return index;
}

void SetGranule(Bytes* file, const Page& page, uint64_t granule) {
    for (int i = 0; i < 8; ++i)
        (*file)[page.offset + 6 + static_cast<size_t>(i)] = static_cast<uint8_t>(granule >> (8 * i));
    Recrc(file, page);
}

Bytes Noise(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random());
    return bytes;
}

// Consecutive reads of `chunk` bytes from the position, as the device streams, until one
// delivers nothing.
Bytes ReadInChunks(CSound* sound, int chunk, int position = 0) {
    Bytes all;
    Bytes buffer(static_cast<size_t>(chunk));
    for (;;) {
        const int got = sound->Read(buffer.data(), position, chunk);
        EXPECT_GE(got, 0);
        EXPECT_LE(got, chunk);
        if (got <= 0)
            break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
        position += got;
        if (all.size() > static_cast<size_t>(sound->GetDataSize()) + static_cast<size_t>(chunk)) {
            ADD_FAILURE() << "reads go on past the data size";
            break;
        }
    }
    return all;
}

// ---------------------------------------------------------------------------------------------
// Fixture: oggenc's files, and oggdec's decoding of them

class SoundOggTest : public SoundOggFileTest {
protected:
    // An oggenc file of the tone, and oggdec's raw decoding of it. False (and a failure)
    // when a tool fails.
    bool Encode(const ToneFormat& tone, std::string* path, Bytes* raw) {
        const std::string name = "tone" + std::to_string(m_nextFile++);
        *path = m_dir.File(name + ".ogg");
        if (!MakeToneOgg(*path, tone)) {
            ADD_FAILURE() << "sox and oggenc could not make " << *path << " (are sox and vorbis-tools installed?)";
            return false;
        }
        const std::string rawPath = m_dir.File(name + ".raw");
        if (!DecodeOggRaw(*path, rawPath)) {
            ADD_FAILURE() << "oggdec could not decode " << *path;
            return false;
        }
        *raw = ReadBytes(rawPath);
        if (raw->empty()) {
            ADD_FAILURE() << "oggdec decoded nothing from " << *path;
            return false;
        }
        return true;
    }
};

// ---------------------------------------------------------------------------------------------
// Formats oggenc writes

struct OggCase {
    int sampleRate;
    int channels;
};

void PrintTo(const OggCase& c, std::ostream* out) {
    *out << c.sampleRate << " Hz, " << c.channels << " channels";
}

class SoundOggFormatTest : public SoundOggTest, public ::testing::WithParamInterface<OggCase> {};

TEST_P(SoundOggFormatTest, ReportsTheFormatAndDecodesExactlyWhatOggdecDecodes) {
    const OggCase& c = GetParam();
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({c.sampleRate, c.channels, 16, 0.3, 440.0}, &path, &raw));
    ASSERT_EQ(raw.size() % static_cast<size_t>(2 * c.channels), 0u);
    for (const int mode : kAllModes) {
        SCOPED_TRACE(ModeName(mode));
        CSoundOgg ogg;
        ASSERT_EQ(OpenIn(&ogg, mode, path), 1);
        EXPECT_EQ(ogg.GetFormat(), c.channels == 1 ? CSound::kMono16 : CSound::kStereo16);
        EXPECT_EQ(ogg.GetBitsPerSample(), 16);
        EXPECT_EQ(ogg.GetSampleRate(), c.sampleRate);
        EXPECT_EQ(ogg.GetFileSize(), static_cast<int>(ReadBytes(path).size()));
        EXPECT_EQ(ogg.GetDataSize(), static_cast<int>(raw.size()));
        EXPECT_EQ(ReadAll(&ogg), raw);
    }
}

TEST_P(SoundOggFormatTest, StreamingInChunksAgainAndAfterRewindGivesTheSameSamples) {
    const OggCase& c = GetParam();
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({c.sampleRate, c.channels, 16, 0.5, 440.0}, &path, &raw));
    for (const int mode : kAllModes) {
        SCOPED_TRACE(ModeName(mode));
        CSoundOgg ogg;
        ASSERT_EQ(OpenIn(&ogg, mode, path), 1);
        EXPECT_EQ(ReadInChunks(&ogg, kChunk), raw);
        // From the start again after the end: the decoder seeks back.
        EXPECT_EQ(ReadInChunks(&ogg, kChunk), raw);
        // As a looping voice does: Rewind, then from 0.
        ogg.Rewind();
        EXPECT_EQ(ReadInChunks(&ogg, kChunk), raw);
        // Rewind halfway through.
        EXPECT_EQ(ReadAt(&ogg, 0, 3 * kChunk), Slice(raw, 0, 3 * kChunk));
        ogg.Rewind();
        EXPECT_EQ(ReadInChunks(&ogg, 1000), raw);
        // A one-shot read after all that.
        EXPECT_EQ(ReadAll(&ogg), raw);
    }
}

INSTANTIATE_TEST_SUITE_P(OggencFormats, SoundOggFormatTest,
                         ::testing::Values(OggCase{11025, 1}, OggCase{22050, 1}, OggCase{22050, 2}, OggCase{44100, 1},
                                           OggCase{44100, 2}, OggCase{48000, 2}),
                         [](const ::testing::TestParamInfo<OggCase>& info) {
                             return std::to_string(info.param.sampleRate) + "Hz_" +
                                    (info.param.channels == 1 ? "mono" : "stereo");
                         });

// ---------------------------------------------------------------------------------------------
// Reading

TEST_F(SoundOggTest, ReadsAtAnyWholeFramePositionSeekTheDecoder) {
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({44100, 2, 16, 1.0, 440.0}, &path, &raw));
    const int dataSize = static_cast<int>(raw.size());
    for (const int inMemory : kModes) {
        SCOPED_TRACE(ModeName(inMemory));
        CSoundOgg ogg;
        ASSERT_EQ(ogg.Open(path.c_str(), inMemory), 1);
        // Forward jumps, backward jumps, and reads that carry on where the last one ended.
        for (const int position : {40000, 4, 100000, 100000 + 2048, 8192, dataSize - 4096, dataSize / 8 * 4, 0,
                                   4096, dataSize - 4, 123456}) {
            for (const int size : {4, 2048}) {
                SCOPED_TRACE("position " + std::to_string(position) + ", size " + std::to_string(size));
                const Bytes expected = Slice(raw, static_cast<size_t>(position), static_cast<size_t>(size));
                EXPECT_EQ(ReadAt(&ogg, position, size), expected);
            }
        }
    }
}

TEST_F(SoundOggTest, ReadIsCutAtTheEndAndGivesNothingPastIt) {
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({22050, 1, 16, 0.4, 440.0}, &path, &raw));
    const int dataSize = static_cast<int>(raw.size());
    for (const int inMemory : kModes) {
        SCOPED_TRACE(ModeName(inMemory));
        CSoundOgg ogg;
        ASSERT_EQ(ogg.Open(path.c_str(), inMemory), 1);
        ASSERT_EQ(ogg.GetDataSize(), dataSize);
        EXPECT_EQ(ReadAt(&ogg, dataSize, -1).size(), 0u);
        EXPECT_EQ(ReadAt(&ogg, dataSize, kChunk).size(), 0u);
        EXPECT_EQ(ReadAt(&ogg, dataSize + 2, kChunk).size(), 0u);
        EXPECT_EQ(ReadAt(&ogg, dataSize + 100000, -1).size(), 0u);
        EXPECT_EQ(ReadAt(&ogg, -2, kChunk).size(), 0u);
        EXPECT_EQ(ReadAt(&ogg, 0, 0).size(), 0u);
        EXPECT_EQ(ReadAt(&ogg, 0, -2).size(), 0u);
        EXPECT_EQ(ogg.Read(nullptr, 0, kChunk), 0);
        // "Everything" from a later position is what remains.
        for (const int position : {dataSize - 2, dataSize - 1000, dataSize / 4 * 2, 2}) {
            SCOPED_TRACE("from " + std::to_string(position));
            EXPECT_EQ(ReadAt(&ogg, position, -1), Slice(raw, static_cast<size_t>(position), raw.size()));
        }
        EXPECT_EQ(ReadAt(&ogg, dataSize - 1000, 5000), Slice(raw, raw.size() - 1000, 1000));
        EXPECT_EQ(ReadAt(&ogg, 0, dataSize + 5000), raw);
    }
}

TEST_F(SoundOggTest, OpeningAgainReplacesTheSoundAndCloseEmptiesIt) {
    std::string monoPath, stereoPath;
    Bytes mono, stereo;
    ASSERT_TRUE(Encode({22050, 1, 16, 0.2, 440.0}, &monoPath, &mono));
    ASSERT_TRUE(Encode({44100, 2, 16, 0.2, 440.0}, &stereoPath, &stereo));
    for (const int inMemory : kModes) {
        SCOPED_TRACE(ModeName(inMemory));
        CSoundOgg ogg;
        ASSERT_EQ(ogg.Open(monoPath.c_str(), inMemory), 1);
        EXPECT_EQ(ReadAt(&ogg, 0, kChunk), Slice(mono, 0, kChunk));
        ASSERT_EQ(ogg.Open(stereoPath.c_str(), !inMemory), 1);
        EXPECT_EQ(ogg.GetFormat(), CSound::kStereo16);
        EXPECT_EQ(ogg.GetSampleRate(), 44100);
        EXPECT_EQ(ReadAll(&ogg), stereo);
        ogg.Close();
        ExpectClosed(&ogg);
        ogg.Close();
        ASSERT_EQ(ogg.Open(monoPath.c_str(), inMemory), 1);
        EXPECT_EQ(ogg.Open(m_dir.File("missing.ogg").c_str(), inMemory), 0);
        ExpectClosed(&ogg);
    }
}

// ---------------------------------------------------------------------------------------------
// Chains: oggenc's files one after another, as `cat` joins them

struct ChainCase {
    const char* name;
    std::vector<ToneFormat> links;
    // A first link of one audio page is where vorbisfile's open leaves the decoder past it.
    bool firstLinkOneAudioPage;
};

void PrintTo(const ChainCase& c, std::ostream* out) {
    *out << c.name;
}

class SoundOggChainTest : public SoundOggTest, public ::testing::WithParamInterface<ChainCase> {
protected:
    // Encodes every link; `linkRaws` gets oggdec's decoding of each link on its own.
    bool EncodeLinks(const std::vector<ToneFormat>& tones, std::vector<Bytes>* links, std::vector<Bytes>* linkRaws) {
        for (const ToneFormat& tone : tones) {
            std::string path;
            Bytes raw;
            if (!Encode(tone, &path, &raw))
                return false;
            links->push_back(ReadBytes(path));
            linkRaws->push_back(raw);
        }
        return true;
    }
};

TEST_P(SoundOggChainTest, EveryLinkDecodesWholeFromTheFirstSampleOfTheFirstLink) {
    const ChainCase& c = GetParam();
    std::vector<Bytes> links, linkRaws;
    ASSERT_TRUE(EncodeLinks(c.links, &links, &linkRaws));
    const std::vector<Page> firstPages = Pages(links[0]);
    ASSERT_EQ(firstPages.size() - FirstAudioPage(links[0], firstPages) == 1, c.firstLinkOneAudioPage);
    const std::string path = Write(ChainOf(links));
    Bytes raw;
    std::vector<size_t> boundaries;
    for (const Bytes& linkRaw : linkRaws) {
        raw.insert(raw.end(), linkRaw.begin(), linkRaw.end());
        boundaries.push_back(raw.size());
    }
    boundaries.pop_back();
    for (const int mode : kAllModes) {
        SCOPED_TRACE(ModeName(mode));
        CSoundOgg ogg;
        ASSERT_EQ(OpenIn(&ogg, mode, path), 1);
        EXPECT_EQ(ogg.GetFormat(), c.links[0].channels == 1 ? CSound::kMono16 : CSound::kStereo16);
        EXPECT_EQ(ogg.GetSampleRate(), c.links[0].sampleRate);
        EXPECT_EQ(ogg.GetDataSize(), static_cast<int>(raw.size()));
        // Read straight after opening, so the decoder must already stand at the first sample.
        EXPECT_EQ(ReadAll(&ogg), raw);
        EXPECT_EQ(ReadInChunks(&ogg, kChunk), raw);
        ogg.Rewind();
        EXPECT_EQ(ReadInChunks(&ogg, 1000), raw);
        for (const size_t boundary : boundaries) {
            SCOPED_TRACE("across the link boundary at " + std::to_string(boundary));
            EXPECT_EQ(ReadAt(&ogg, static_cast<int>(boundary) - 8, 16), Slice(raw, boundary - 8, 16));
        }
    }
    // Streamed straight after opening too, as the sound device does.
    for (const int mode : kAllModes) {
        SCOPED_TRACE(ModeName(mode) + std::string(", streamed"));
        CSoundOgg ogg;
        ASSERT_EQ(OpenIn(&ogg, mode, path), 1);
        EXPECT_EQ(ReadInChunks(&ogg, kChunk), raw);
    }
}

INSTANTIATE_TEST_SUITE_P(
    OggencLinks, SoundOggChainTest,
    ::testing::Values(ChainCase{"long_then_short", {{22050, 2, 16, 3.0, 440.0}, {22050, 2, 16, 0.3, 660.0}}, false},
                      ChainCase{"two_short", {{22050, 2, 16, 0.3, 440.0}, {22050, 2, 16, 0.3, 660.0}}, true},
                      ChainCase{"short_then_long", {{44100, 2, 16, 0.2, 440.0}, {44100, 2, 16, 2.0, 550.0}}, true},
                      ChainCase{"three_short",
                                {{22050, 1, 16, 0.2, 440.0}, {22050, 1, 16, 0.1, 550.0}, {22050, 1, 16, 0.3, 660.0}},
                                true},
                      ChainCase{"three_short_8kHz",
                                {{8000, 1, 16, 0.05, 440.0}, {8000, 1, 16, 0.2, 330.0}, {8000, 1, 16, 0.1, 660.0}},
                                true}),
    [](const ::testing::TestParamInfo<ChainCase>& info) { return std::string(info.param.name); });

TEST_F(SoundOggTest, ChainsOfLinksInDifferentFormatsAreRefused) {
    const ToneFormat mono8k = {8000, 1, 16, 0.2, 440.0};
    const ToneFormat stereo48k = {48000, 2, 16, 0.2, 440.0};
    const ToneFormat mono22k = {22050, 1, 16, 0.2, 440.0};
    const ToneFormat stereo22k = {22050, 2, 16, 0.2, 440.0};
    const ToneFormat mono44k = {44100, 1, 16, 0.2, 440.0};
    const struct {
        const char* name;
        std::vector<ToneFormat> links;
    } rows[] = {
        {"mono 8 kHz, then stereo 48 kHz", {mono8k, stereo48k}},
        {"stereo 48 kHz, then mono 8 kHz", {stereo48k, mono8k}},
        {"channels alone differ", {mono22k, stereo22k}},
        {"rate alone differs", {mono22k, mono44k}},
        {"the last of three differs", {mono22k, mono22k, mono44k}},
        {"the middle of three differs", {stereo22k, stereo48k, stereo22k}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Bytes> links;
        for (const ToneFormat& tone : row.links) {
            const std::string path = m_dir.File("link" + std::to_string(m_nextFile++) + ".ogg");
            ASSERT_TRUE(MakeToneOgg(path, tone)) << "sox and oggenc could not make " << path;
            links.push_back(ReadBytes(path));
        }
        ExpectRefused(ChainOf(links));
    }
}

// ---------------------------------------------------------------------------------------------
// The decoder's memory source

TEST(SoundOggSourceTest, MemorySourceSeeksReadsAndTellsWithinTheData) {
    Bytes data(100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    CSoundOgg::Source source{nullptr, data.data(), data.size(), 0, 0};
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, -10, SEEK_END), 0);
    EXPECT_EQ(CSoundOgg::TellCallback(&source), 90);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, 0, SEEK_END), 0);
    EXPECT_EQ(CSoundOgg::TellCallback(&source), 100);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, 1, SEEK_END), -1);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, -101, SEEK_END), -1);
    EXPECT_EQ(CSoundOgg::TellCallback(&source), 100);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, 30, SEEK_SET), 0);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, 5, SEEK_CUR), 0);
    EXPECT_EQ(CSoundOgg::TellCallback(&source), 35);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, -36, SEEK_CUR), -1);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, 101, SEEK_SET), -1);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, -1, SEEK_SET), -1);
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, 0, 12345), -1);
    EXPECT_EQ(CSoundOgg::TellCallback(&source), 35);

    // Whole items only, none past the end.
    uint8_t out[64] = {};
    EXPECT_EQ(CSoundOgg::SeekCallback(&source, 90, SEEK_SET), 0);
    EXPECT_EQ(CSoundOgg::ReadCallback(out, 4, 16, &source), 2u);
    EXPECT_EQ(out[0], 90);
    EXPECT_EQ(out[7], 97);
    EXPECT_EQ(CSoundOgg::TellCallback(&source), 98);
    EXPECT_EQ(CSoundOgg::ReadCallback(out, 1, 16, &source), 2u);
    EXPECT_EQ(CSoundOgg::ReadCallback(out, 1, 16, &source), 0u);
    EXPECT_EQ(CSoundOgg::ReadCallback(out, 0, 16, &source), 0u);
    EXPECT_EQ(CSoundOgg::CloseCallback(&source), 0);
    EXPECT_EQ(CSoundOgg::TellCallback(&source), 0);
}

// ---------------------------------------------------------------------------------------------
// Refused and damaged files

TEST_F(SoundOggTest, MissingEmptyAndForeignFilesAreRefused) {
    for (const int inMemory : kModes) {
        SCOPED_TRACE(ModeName(inMemory));
        CSoundOgg ogg;
        EXPECT_EQ(ogg.Open(m_dir.File("missing.ogg").c_str(), inMemory), 0);
        ExpectClosed(&ogg);
        EXPECT_EQ(ogg.Open(nullptr, inMemory), 0);
        EXPECT_EQ(ogg.Open(m_dir.Path().c_str(), inMemory), 0);  // a folder
        ExpectClosed(&ogg);
    }
    CSoundOgg ogg;
    EXPECT_EQ(ogg.OpenMemory(nullptr, 0), 0);
    ExpectRefused({});
    ExpectRefused({'O', 'g', 'g', 'S'});
    for (const uint32_t seed : {1u, 2u, 3u})
        ExpectRefused(Noise(4096, seed));
    // Noise behind a real Ogg capture pattern.
    Bytes noisy = Noise(4096, 4);
    memcpy(noisy.data(), "OggS", 4);
    ExpectRefused(noisy);

    // A WAV file.
    const std::string wav = m_dir.File("tone.wav");
    ASSERT_TRUE(MakeToneWav(wav, {22050, 1, 16, 0.1, 440.0})) << "sox failed (is sox installed?)";
    ExpectRefused(ReadBytes(wav));
}

TEST_F(SoundOggTest, OggStreamsOfOtherCodecsAreRefused) {
    // Well-formed Ogg pages, checksums right, carrying packets that are not Vorbis.
    const Bytes flacHead = {0x7F, 'F', 'L', 'A', 'C', 1, 0, 0, 1, 'f', 'L', 'a', 'C', 0, 0, 0, 34};
    Bytes flacInfo = flacHead;
    flacInfo.resize(flacHead.size() + 34, 0x11);
    const Bytes flac = Concatenate({MakePage({flacInfo}, 2, 0, 77, 0), MakePage({Noise(300, 5)}, 0, 0, 77, 1),
                                    MakePage({Noise(3000, 6)}, 4, 4096, 77, 2)});
    ExpectRefused(flac);

    Bytes opusHead = {'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, 2, 0x38, 1, 0x80, 0xBB, 0, 0, 0, 0, 0};
    Bytes opusTags = {'O', 'p', 'u', 's', 'T', 'a', 'g', 's', 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes opus = Concatenate({MakePage({opusHead}, 2, 0, 9, 0), MakePage({opusTags}, 0, 0, 9, 1),
                                    MakePage({Noise(2000, 7)}, 4, 48000, 9, 2)});
    ExpectRefused(opus);

    const Bytes garbage =
        Concatenate({MakePage({Noise(200, 8)}, 2, 0, 1, 0), MakePage({Noise(200, 9)}, 0, 0, 1, 1),
                     MakePage({Noise(200, 10)}, 0, 0, 1, 2), MakePage({Noise(2000, 11)}, 4, 999, 1, 3)});
    ExpectRefused(garbage);

    // A Vorbis identification header with impossible fields: no channels, rate 0.
    for (const int field : {0, 1}) {
        Bytes vorbisHead = {1, 'v', 'o', 'r', 'b', 'i', 's', 0, 0, 0, 0, 1, 0x22, 0x56, 0, 0,
                            0, 0, 0, 0, 0, 0xEE, 2, 0, 0, 0, 0, 0, 0xB8, 1};
        if (field == 0)
            vorbisHead[11] = 0;
        else
            vorbisHead[12] = vorbisHead[13] = 0;
        ExpectRefused(Concatenate({MakePage({vorbisHead}, 2, 0, 3, 0), MakePage({Noise(500, 12)}, 0, 0, 3, 1),
                                   MakePage({Noise(2000, 13)}, 4, 4096, 3, 2)}));
    }
}

TEST_F(SoundOggTest, VorbisOfMoreThanTwoChannelsIsRefused) {
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({22050, 3, 16, 0.2, 440.0}, &path, &raw));
    ExpectRefused(ReadBytes(path));
}

TEST_F(SoundOggTest, LengthsBeyondWhatTheSoundCanCountAreRefused) {
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({44100, 2, 16, 8.0, 440.0}, &path, &raw));
    const Bytes file = ReadBytes(path);
    const std::vector<Page> pages = Pages(file);
    ASSERT_LT(FirstAudioPage(file, pages) + 2, pages.size()) << "the length comes from the last of several audio pages";
    ASSERT_EQ(pages.back().offset + pages.back().size, file.size());
    // Samples times four bytes: past INT_MAX, and far past what 64 bits hold.
    for (const uint64_t granule :
         {uint64_t{0x20000000}, uint64_t{1} << 40, uint64_t{1} << 62, uint64_t{0x7FFFFFFFFFFFFFF0}}) {
        SCOPED_TRACE("last granule position " + std::to_string(granule));
        Bytes edited = file;
        SetGranule(&edited, pages.back(), granule);
        ExpectRefused(edited);
    }
    // Just under INT_MAX bytes is a size the sound can count.
    Bytes edited = file;
    SetGranule(&edited, pages.back(), 0x1FFFFFF0);
    const std::string bigPath = Write(edited);
    CSoundOgg ogg;
    ASSERT_EQ(ogg.Open(bigPath.c_str(), 0), 1);
    EXPECT_EQ(ogg.GetDataSize(), 0x1FFFFFF0 * 4);
    Bytes start(kChunk);
    ASSERT_EQ(ogg.Read(start.data(), 0, kChunk), kChunk);
    EXPECT_EQ(start, Slice(raw, 0, kChunk));
}

TEST_F(SoundOggTest, TruncatedFilesAreRefusedOrEndEarlyWithTheSamplesBeforeTheCut) {
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({44100, 2, 16, 8.0, 440.0}, &path, &raw));
    const Bytes file = ReadBytes(path);
    const std::vector<Page> pages = Pages(file);
    const size_t first = FirstAudioPage(file, pages);
    ASSERT_EQ(first, 2u) << "oggenc's headers: identification, then comments and setup books";
    ASSERT_GE(pages.size(), first + 4);
    // Inside the header pages: refused.
    const size_t audio = pages[first].offset;
    const std::vector<size_t> cuts = {1, 4, 20, 27, 28, 40, 57, pages[1].offset, pages[1].offset + 1,
                                      pages[1].offset + 30, pages[1].offset + 200, audio - 100, audio - 1};
    for (const size_t cut : cuts) {
        SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(file.size()));
        ASSERT_LT(cut, audio);
        ExpectRefused(Slice(file, 0, cut));
    }
    // Inside the audio: either refused, or the samples before the cut, then an early end.
    for (const size_t cut : {audio, audio + 1, audio + 100, pages[first + 1].offset, pages[first + 2].offset + 27,
                             file.size() / 2, file.size() - 100, file.size() - 1}) {
        SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(file.size()));
        const Bytes cutFile = Slice(file, 0, cut);
        const std::string cutPath = Write(cutFile);
        for (const int mode : kAllModes) {
            SCOPED_TRACE(ModeName(mode));
            CSoundOgg ogg;
            if (!OpenIn(&ogg, mode, cutPath)) {
                ExpectClosed(&ogg);
                continue;
            }
            EXPECT_EQ(ogg.GetFormat(), CSound::kStereo16);
            EXPECT_LE(ogg.GetDataSize(), static_cast<int>(raw.size()));
            const Bytes all = ReadAll(&ogg);
            EXPECT_LE(all.size(), static_cast<size_t>(ogg.GetDataSize()));
            EXPECT_EQ(all, Slice(raw, 0, all.size()));
            const Bytes chunks = ReadInChunks(&ogg, kChunk);
            EXPECT_LE(chunks.size(), static_cast<size_t>(ogg.GetDataSize()));
            EXPECT_EQ(chunks, Slice(raw, 0, chunks.size()));
            ogg.Rewind();
            EXPECT_EQ(ReadAt(&ogg, 0, 64), Slice(raw, 0, std::min<size_t>(64, all.size())));
        }
    }
}

TEST_F(SoundOggTest, DamagedAudioPacketsDecodeWithoutGoingPastTheData) {
    std::string path;
    Bytes raw;
    ASSERT_TRUE(Encode({22050, 2, 16, 1.0, 440.0}, &path, &raw));
    const Bytes file = ReadBytes(path);
    const std::vector<Page> pages = Pages(file);
    const size_t first = FirstAudioPage(file, pages);
    ASSERT_LT(first, pages.size());
    std::mt19937 random(2024);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Bytes damaged = file;
        // Bytes changed in the bodies of the audio pages, checksums made right again, so the
        // decoder meets the damage rather than skipping the pages.
        for (size_t p = first; p < pages.size(); ++p) {
            const Page& page = pages[p];
            const size_t body = page.size - page.headerSize;
            if (body == 0)
                continue;
            for (int hit = 0; hit < 1 + round; ++hit)
                damaged[page.offset + page.headerSize + random() % body] = static_cast<uint8_t>(random());
            Recrc(&damaged, page);
        }
        const std::string damagedPath = Write(damaged);
        for (const int inMemory : kModes) {
            SCOPED_TRACE(ModeName(inMemory));
            CSoundOgg ogg;
            ASSERT_EQ(ogg.Open(damagedPath.c_str(), inMemory), 1);
            const Bytes all = ReadAll(&ogg);
            EXPECT_LE(all.size(), static_cast<size_t>(ogg.GetDataSize()));
            const Bytes chunks = ReadInChunks(&ogg, kChunk);
            EXPECT_LE(chunks.size(), static_cast<size_t>(ogg.GetDataSize()));
            ogg.Rewind();
            EXPECT_LE(ReadInChunks(&ogg, kChunk).size(), static_cast<size_t>(ogg.GetDataSize()));
        }
    }
}

}  // namespace
