// CSoundWave on WAV files written by sox at test time, and on sox's files edited by hand
// where sox writes no such file: extra chunks, a longer "fmt " chunk, truncations, formats
// the reader must refuse.
#include "engine/sound/SoundWave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "tests/engine/sound/SoundFileChecks.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"

namespace {

constexpr size_t kNotFound = static_cast<size_t>(-1);

// ---------------------------------------------------------------------------------------------
// RIFF helpers of the test's own, for files that are well formed

uint16_t Get16(const Bytes& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t Get32(const Bytes& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

void Put16(Bytes* bytes, size_t at, uint16_t value) {
    (*bytes)[at] = static_cast<uint8_t>(value);
    (*bytes)[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(Bytes* bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

void Append32(Bytes* bytes, uint32_t value) {
    bytes->resize(bytes->size() + 4);
    Put32(bytes, bytes->size() - 4, value);
}

void AppendId(Bytes* bytes, const char* id) {
    for (int i = 0; i < 4; ++i)
        bytes->push_back(static_cast<uint8_t>(id[i]));
}

// The offset of the header of the first chunk with this id, or kNotFound.
size_t FindChunk(const Bytes& file, const char* id) {
    size_t at = 12;
    while (at + 8 <= file.size()) {
        if (memcmp(file.data() + at, id, 4) == 0)
            return at;
        at += 8 + ((size_t{Get32(file, at + 4)} + 1) & ~size_t{1});
    }
    return kNotFound;
}

// A whole chunk: header, payload and its pad byte.
Bytes Chunk(const char* id, const Bytes& payload) {
    Bytes chunk;
    AppendId(&chunk, id);
    Append32(&chunk, static_cast<uint32_t>(payload.size()));
    chunk.insert(chunk.end(), payload.begin(), payload.end());
    if (payload.size() % 2)
        chunk.push_back(0);
    return chunk;
}

// The chunk at this offset, whole.
Bytes ChunkAt(const Bytes& file, size_t at) {
    const size_t size = 8 + ((size_t{Get32(file, at + 4)} + 1) & ~size_t{1});
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at),
                 file.begin() + static_cast<std::ptrdiff_t>(std::min(at + size, file.size())));
}

// A RIFF WAVE file of these chunks, its RIFF size right.
Bytes Riff(std::initializer_list<Bytes> chunks) {
    Bytes file;
    AppendId(&file, "RIFF");
    Append32(&file, 0);
    AppendId(&file, "WAVE");
    for (const Bytes& chunk : chunks)
        file.insert(file.end(), chunk.begin(), chunk.end());
    Put32(&file, 4, static_cast<uint32_t>(file.size() - 8));
    return file;
}

// The file with a chunk inserted before the chunk at this offset.
Bytes InsertChunk(const Bytes& file, size_t at, const Bytes& chunk) {
    Bytes edited = file;
    edited.insert(edited.begin() + static_cast<std::ptrdiff_t>(at), chunk.begin(), chunk.end());
    Put32(&edited, 4, static_cast<uint32_t>(edited.size() - 8));
    return edited;
}

// The payload of the "data" chunk as the file holds it.
Bytes DataOf(const Bytes& file) {
    const size_t at = FindChunk(file, "data");
    if (at == kNotFound)
        return {};
    const size_t size = std::min<size_t>(Get32(file, at + 4), file.size() - at - 8);
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                 file.begin() + static_cast<std::ptrdiff_t>(at + 8 + size));
}

int ExpectedFormat(int channels, int bits) {
    if (channels == 1)
        return bits == 8 ? CSound::kMono8 : CSound::kMono16;
    return bits == 8 ? CSound::kStereo8 : CSound::kStereo16;
}

// ---------------------------------------------------------------------------------------------
// Fixture: a folder per test for the files sox writes

class SoundWaveTest : public SoundFileTest<CSoundWave> {
protected:
    SoundWaveTest() : SoundFileTest(".wav", EReadSpill::kNothing) {}

    void ExpectHoldsNothing(CSoundWave* wave) override {
        EXPECT_EQ(wave->m_pData, nullptr);
        EXPECT_EQ(wave->m_pFile, nullptr);
    }

    // A sox tone's bytes; empty (and a failure) when sox fails.
    Bytes Tone(const ToneFormat& tone) {
        const std::string path = m_dir.File("tone" + std::to_string(m_nextFile++) + ".wav");
        if (!MakeToneWav(path, tone)) {
            ADD_FAILURE() << "sox could not write " << path << " (is sox installed?)";
            return {};
        }
        return ReadBytes(path);
    }

    // A short tone made by sox with these arguments for the output (encoding, bits, type).
    Bytes Sox(const std::string& outputArguments, int channels = 1) {
        const std::string path = m_dir.File("sox" + std::to_string(m_nextFile++) + ".wav");
        std::string synth = " synth 0.05";
        for (int channel = 0; channel < channels; ++channel)
            synth += " sine " + std::to_string(440 * (channel + 1));
        const std::string command =
            "sox -n -r 22050 -c " + std::to_string(channels) + " " + outputArguments + " '" + path + "'" + synth;
        if (!RunTool(command)) {
            ADD_FAILURE() << "sox failed: " << command;
            return {};
        }
        return ReadBytes(path);
    }

    // The file opened in both modes and from memory, its format and samples as expected.
    void ExpectReads(const Bytes& file, int format, int bits, int rate, const Bytes& samples) {
        const std::string path = Write(file);
        for (const int mode : kAllModes) {
            SCOPED_TRACE(ModeName(mode));
            CSoundWave wave;
            ASSERT_EQ(OpenIn(&wave, mode, path), 1);
            EXPECT_EQ(wave.GetFormat(), format);
            EXPECT_EQ(wave.GetBitsPerSample(), bits);
            EXPECT_EQ(wave.GetSampleRate(), rate);
            EXPECT_EQ(wave.GetDataSize(), static_cast<int>(samples.size()));
            EXPECT_EQ(wave.GetFileSize(), wave.GetDataSize());
            EXPECT_EQ(ReadAll(&wave), samples);
        }
    }
};

// ---------------------------------------------------------------------------------------------
// Formats sox writes

struct FormatCase {
    int sampleRate;
    int channels;
    int bits;
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.sampleRate << " Hz, " << c.channels << " channels, " << c.bits << " bits";
}

class SoundWaveFormatTest : public SoundWaveTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(SoundWaveFormatTest, ReportsTheFormatAndReadsBackExactlyTheBytesOfTheDataChunk) {
    const FormatCase& c = GetParam();
    ToneFormat tone;
    tone.sampleRate = c.sampleRate;
    tone.channels = c.channels;
    tone.bits = c.bits;
    tone.seconds = 0.2;  // a whole number of frames at every rate
    const Bytes file = Tone(tone);
    ASSERT_FALSE(file.empty());
    const Bytes samples = DataOf(file);
    const size_t frame = static_cast<size_t>(c.channels * c.bits / 8);
    ASSERT_EQ(samples.size(), static_cast<size_t>(c.sampleRate / 5) * frame);
    ExpectReads(file, ExpectedFormat(c.channels, c.bits), c.bits, c.sampleRate, samples);
}

TEST_P(SoundWaveFormatTest, BothModesDeliverTheSameBytesAtEveryPosition) {
    const FormatCase& c = GetParam();
    ToneFormat tone;
    tone.sampleRate = c.sampleRate;
    tone.channels = c.channels;
    tone.bits = c.bits;
    tone.seconds = 0.05;
    const Bytes file = Tone(tone);
    ASSERT_FALSE(file.empty());
    const Bytes samples = DataOf(file);
    const int dataSize = static_cast<int>(samples.size());
    const std::string path = Write(file);
    CSoundWave memory;
    CSoundWave streamed;
    ASSERT_EQ(memory.Open(path.c_str(), 1), 1);
    ASSERT_EQ(streamed.Open(path.c_str(), 0), 1);
    EXPECT_NE(streamed.m_pFile, nullptr);
    EXPECT_EQ(streamed.m_pData, nullptr);
    for (const int position : {0, 1, 2, 3, 4, 100, dataSize / 3, dataSize / 2 + 1, dataSize - 4, dataSize - 1}) {
        for (const int size : {1, 2, 7, 4096, dataSize, -1}) {
            SCOPED_TRACE("position " + std::to_string(position) + ", size " + std::to_string(size));
            const size_t count = size < 0 ? samples.size() : static_cast<size_t>(size);
            const Bytes expected = Slice(samples, static_cast<size_t>(position), count);
            EXPECT_EQ(ReadAt(&memory, position, size), expected);
            EXPECT_EQ(ReadAt(&streamed, position, size), expected);
        }
    }
    // Backwards, as a looping voice reads again from the start.
    EXPECT_EQ(ReadAt(&streamed, dataSize - 8, 8), Slice(samples, samples.size() - 8, 8));
    EXPECT_EQ(ReadAt(&streamed, 0, 8), Prefix(samples, 8));
}

std::vector<FormatCase> AllFormats() {
    std::vector<FormatCase> cases;
    for (const int rate : {11025, 22050, 44100, 48000})
        for (const int channels : {1, 2})
            for (const int bits : {8, 16})
                cases.push_back({rate, channels, bits});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(SoxFormats, SoundWaveFormatTest, ::testing::ValuesIn(AllFormats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) {
                             return std::to_string(info.param.sampleRate) + "Hz_" +
                                    (info.param.channels == 1 ? "mono_" : "stereo_") +
                                    std::to_string(info.param.bits) + "bit";
                         });

// ---------------------------------------------------------------------------------------------
// Reading

TEST_F(SoundWaveTest, ReadIsCutAtTheEndAndGivesNothingAtOrPastIt) {
    const Bytes file = Tone({22050, 2, 16, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const Bytes samples = DataOf(file);
    const int dataSize = static_cast<int>(samples.size());
    const std::string path = Write(file);
    for (const int inMemory : kModes) {
        SCOPED_TRACE(ModeName(inMemory));
        CSoundWave wave;
        ASSERT_EQ(wave.Open(path.c_str(), inMemory), 1);
        EXPECT_EQ(ReadAt(&wave, dataSize - 6, 100), Slice(samples, samples.size() - 6, 6));
        EXPECT_EQ(ReadAt(&wave, dataSize - 6, -1), Slice(samples, samples.size() - 6, 6));
        EXPECT_EQ(ReadAt(&wave, 8, dataSize), Slice(samples, 8, samples.size()));
        EXPECT_EQ(ReadAt(&wave, 0, 0).size(), 0u);
        EXPECT_EQ(ReadAt(&wave, dataSize, -1).size(), 0u);
        EXPECT_EQ(ReadAt(&wave, dataSize, 4).size(), 0u);
        EXPECT_EQ(ReadAt(&wave, dataSize + 1, 4).size(), 0u);
        EXPECT_EQ(ReadAt(&wave, dataSize + 1000, -1).size(), 0u);
        EXPECT_EQ(ReadAt(&wave, -4, 4).size(), 0u);
        EXPECT_EQ(ReadAt(&wave, 0, -2).size(), 0u);
        EXPECT_EQ(wave.Read(nullptr, 0, 4), 0);
        // Nothing above moved anything: the whole sound still reads back.
        wave.Rewind();
        EXPECT_EQ(ReadAll(&wave), samples);
    }
}

TEST_F(SoundWaveTest, InMemoryTheDataIsFollowedByThirtyOneZeroBytes) {
    const Bytes file = Tone({11025, 1, 8, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const std::string path = Write(file);
    CSoundWave wave;
    ASSERT_EQ(wave.Open(path.c_str(), 1), 1);
    ASSERT_NE(wave.m_pData, nullptr);
    const size_t dataSize = static_cast<size_t>(wave.GetDataSize());
    EXPECT_EQ(Bytes(wave.m_pData, wave.m_pData + dataSize), DataOf(file));
    for (size_t i = 0; i < 31; ++i)
        EXPECT_EQ(wave.m_pData[dataSize + i], 0) << "tail byte " << i;
}

TEST_F(SoundWaveTest, OpeningAgainReplacesTheSoundAndCloseEmptiesIt) {
    const Bytes mono = Tone({11025, 1, 8, 0.05, 440.0});
    const Bytes stereo = Tone({44100, 2, 16, 0.05, 440.0});
    ASSERT_FALSE(mono.empty());
    ASSERT_FALSE(stereo.empty());
    const std::string monoPath = Write(mono);
    const std::string stereoPath = Write(stereo);
    for (const int inMemory : kModes) {
        SCOPED_TRACE(ModeName(inMemory));
        CSoundWave wave;
        ASSERT_EQ(wave.Open(monoPath.c_str(), inMemory), 1);
        ASSERT_EQ(wave.Open(stereoPath.c_str(), !inMemory), 1);
        EXPECT_EQ(wave.GetFormat(), CSound::kStereo16);
        EXPECT_EQ(wave.GetSampleRate(), 44100);
        EXPECT_EQ(ReadAll(&wave), DataOf(stereo));
        ASSERT_EQ(wave.OpenMemory(mono.data(), mono.size()), 1);
        EXPECT_EQ(wave.GetFormat(), CSound::kMono8);
        EXPECT_EQ(ReadAll(&wave), DataOf(mono));
        wave.Close();
        ExpectClosed(&wave);
        wave.Close();
        // A refused file after a good one leaves nothing of the good one behind.
        ASSERT_EQ(wave.Open(stereoPath.c_str(), inMemory), 1);
        EXPECT_EQ(wave.Open(m_dir.File("missing.wav").c_str(), inMemory), 0);
        ExpectClosed(&wave);
    }
}

// ---------------------------------------------------------------------------------------------
// Chunk layouts sox does not write

TEST_F(SoundWaveTest, ChunksBeforeTheDataAreSkippedWithTheirPadBytes) {
    const Bytes file = Tone({22050, 2, 16, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const Bytes samples = DataOf(file);
    const size_t fmt = FindChunk(file, "fmt ");
    ASSERT_EQ(fmt, 12u);
    const std::string comment = "made by sox";  // odd: a pad byte follows
    Bytes info;
    AppendId(&info, "INFO");
    info.insert(info.end(), comment.begin(), comment.end());
    const Bytes list = Chunk("LIST", info);
    ASSERT_EQ(list.size() % 2, 0u);

    const Bytes listBeforeData = InsertChunk(file, FindChunk(file, "data"), list);
    ASSERT_EQ(DataOf(listBeforeData), samples);
    ExpectReads(listBeforeData, CSound::kStereo16, 16, 22050, samples);

    const Bytes junkFirst = InsertChunk(listBeforeData, fmt, Chunk("JUNK", Bytes(28, 0)));
    ExpectReads(junkFirst, CSound::kStereo16, 16, 22050, samples);

    Bytes fact;
    Append32(&fact, static_cast<uint32_t>(samples.size() / 4));
    const Bytes many = InsertChunk(junkFirst, FindChunk(junkFirst, "data"), Chunk("fact", fact));
    const Bytes withEmpty = InsertChunk(many, FindChunk(many, "data"), Chunk("cue ", {}));
    ExpectReads(withEmpty, CSound::kStereo16, 16, 22050, samples);

    // And chunks after the data.
    Bytes after = file;
    const Bytes tail = Chunk("LIST", info);
    after.insert(after.end(), tail.begin(), tail.end());
    Put32(&after, 4, static_cast<uint32_t>(after.size() - 8));
    ExpectReads(after, CSound::kStereo16, 16, 22050, samples);
}

TEST_F(SoundWaveTest, OddDataChunkWithItsPadByteReadsWhole) {
    // 551 one-byte frames: sox pads the data chunk to an even size.
    const Bytes file = Tone({11025, 1, 8, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const Bytes samples = DataOf(file);
    ASSERT_EQ(samples.size() % 2, 1u);
    ExpectReads(file, CSound::kMono8, 8, 11025, samples);
    Bytes followed = file;
    const Bytes tail = Chunk("LIST", Bytes(6, 'x'));
    followed.insert(followed.end(), tail.begin(), tail.end());
    Put32(&followed, 4, static_cast<uint32_t>(followed.size() - 8));
    ExpectReads(followed, CSound::kMono8, 8, 11025, samples);
}

TEST_F(SoundWaveTest, FmtChunkLongerThanSixteenBytesStillFindsTheData) {
    const Bytes file = Tone({48000, 1, 16, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const Bytes samples = DataOf(file);
    const size_t fmt = FindChunk(file, "fmt ");
    ASSERT_EQ(Get32(file, fmt + 4), 16u);
    for (const size_t extra : {2, 3, 22}) {
        SCOPED_TRACE("fmt chunk of " + std::to_string(16 + extra) + " bytes");
        Bytes payload(file.begin() + static_cast<std::ptrdiff_t>(fmt + 8),
                      file.begin() + static_cast<std::ptrdiff_t>(fmt + 24));
        payload.insert(payload.end(), extra, 0);  // cbSize 0, then whatever follows
        if (extra > 2)
            payload.back() = 0x5A;
        const Bytes edited = Riff({Chunk("fmt ", payload), ChunkAt(file, FindChunk(file, "data"))});
        ExpectReads(edited, CSound::kMono16, 16, 48000, samples);
    }
}

// ---------------------------------------------------------------------------------------------
// Refused files

TEST_F(SoundWaveTest, MissingAndEmptyFilesAreRefused) {
    for (const int inMemory : kModes) {
        SCOPED_TRACE(ModeName(inMemory));
        CSoundWave wave;
        EXPECT_EQ(wave.Open(m_dir.File("missing.wav").c_str(), inMemory), 0);
        ExpectClosed(&wave);
        EXPECT_EQ(wave.Open(nullptr, inMemory), 0);
        EXPECT_EQ(wave.Open(m_dir.Path().c_str(), inMemory), 0);  // a folder
        ExpectClosed(&wave);
    }
    CSoundWave wave;
    EXPECT_EQ(wave.OpenMemory(nullptr, 0), 0);
    ExpectRefused({});
}

TEST_F(SoundWaveTest, FilesCutInsideTheHeadersAreRefused) {
    const Bytes file = Tone({22050, 2, 16, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const size_t data = FindChunk(file, "data");
    ASSERT_EQ(data, 36u);
    // RIFF header, "fmt " header and fields, "data" header.
    for (size_t cut = 0; cut < data + 8; ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        ExpectRefused(Prefix(file, cut));
    }
    // The same with a LIST chunk before the data: cut inside it, the data is never reached.
    const Bytes listed = InsertChunk(file, data, Chunk("LIST", Bytes(10, 'c')));
    for (size_t cut = data; cut < data + 18 + 8; ++cut) {
        SCOPED_TRACE("LIST file cut at " + std::to_string(cut));
        ExpectRefused(Prefix(listed, cut));
    }
}

TEST_F(SoundWaveTest, DataCutShortByTheEndOfTheFileKeepsTheWholeFramesPresent) {
    const Bytes file = Tone({22050, 2, 16, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const Bytes samples = DataOf(file);
    const size_t start = FindChunk(file, "data") + 8;
    const size_t size = samples.size();
    for (const size_t present : {size_t{0}, size_t{1}, size_t{3}, size_t{4}, size_t{5}, size_t{7}, size_t{8},
                                 size_t{401}, size - 1, size - 3}) {
        SCOPED_TRACE(std::to_string(present) + " data bytes present");
        const Bytes whole = Prefix(samples, present - present % 4);
        ExpectReads(Prefix(file, start + present), CSound::kStereo16, 16, 22050, whole);
    }
}

TEST_F(SoundWaveTest, HugeDataSizesAreCutToTheFileWithoutWrappingAround) {
    for (const int channels : {1, 2}) {
        const Bytes file = Tone({22050, channels, 16, 0.05, 440.0});
        ASSERT_FALSE(file.empty());
        const Bytes samples = DataOf(file);
        const size_t data = FindChunk(file, "data");
        const size_t frame = static_cast<size_t>(2 * channels);
        for (const uint32_t size : {0xFFFFFFF0u, 0xFFFFFFFFu, 0xFFFFFFF8u, 0x80000000u, 0x7FFFFFFFu}) {
            for (const uint32_t riffSize : {static_cast<uint32_t>(file.size() - 8), 0xFFFFFFFFu, 0xFFFFFFFEu}) {
                for (const size_t cut : {size_t{0}, size_t{1}, size_t{3}}) {
                    SCOPED_TRACE("channels " + std::to_string(channels) + ", data size " + std::to_string(size) +
                                 ", RIFF size " + std::to_string(riffSize) + ", cut " + std::to_string(cut));
                    Bytes edited = Prefix(file, file.size() - cut);
                    Put32(&edited, data + 4, size);
                    Put32(&edited, 4, riffSize);
                    const size_t present = samples.size() - cut;
                    ExpectReads(edited, ExpectedFormat(channels, 16), 16, 22050,
                                Prefix(samples, present - present % frame));
                }
            }
        }
    }
}

TEST_F(SoundWaveTest, DataWithoutAPcmFormatBeforeItIsRefused) {
    const Bytes file = Tone({22050, 1, 16, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const Bytes fmt = ChunkAt(file, FindChunk(file, "fmt "));
    const Bytes data = ChunkAt(file, FindChunk(file, "data"));
    ExpectReads(Riff({fmt, data}), CSound::kMono16, 16, 22050, DataOf(file));
    ExpectRefused(Riff({data, fmt}));
    ExpectRefused(Riff({data}));
    ExpectRefused(Riff({fmt}));
    ExpectRefused(Riff({}));
    ExpectRefused(Riff({Chunk("LIST", Bytes(4, 'x')), data}));
    Bytes renamed = fmt;
    memcpy(renamed.data(), "FMT ", 4);
    ExpectRefused(Riff({renamed, data}));
}

TEST_F(SoundWaveTest, FmtChunkShorterThanSixteenBytesIsRefusedWithoutLooping) {
    const Bytes file = Tone({22050, 1, 16, 0.05, 440.0});
    ASSERT_FALSE(file.empty());
    const size_t fmtAt = FindChunk(file, "fmt ");
    const Bytes fields(file.begin() + static_cast<std::ptrdiff_t>(fmtAt + 8),
                       file.begin() + static_cast<std::ptrdiff_t>(fmtAt + 24));
    const Bytes data = ChunkAt(file, FindChunk(file, "data"));
    for (size_t size = 0; size < 16; ++size) {
        SCOPED_TRACE("fmt chunk of " + std::to_string(size) + " bytes");
        const Bytes shortFmt = Chunk("fmt ", Prefix(fields, size));
        ExpectRefused(Riff({shortFmt, data}));
        ExpectRefused(Riff({shortFmt, shortFmt, shortFmt}));
        // A size field of 0 with the sixteen bytes still there.
        Bytes lying = Chunk("fmt ", fields);
        Put32(&lying, 4, static_cast<uint32_t>(size));
        ExpectRefused(Riff({lying, data}));
    }
}

TEST_F(SoundWaveTest, HeaderFieldsEditedToWhatTheReaderCannotPlayAreRefused) {
    struct Case {
        const char* field;
        size_t offset;  // in the "fmt " chunk, from its header
        ToneFormat tone;
        std::vector<uint16_t> badValues;
    };
    const Case cases[] = {
        {"format tag", 8, {22050, 1, 16, 0.05, 440.0}, {0, 2, 3, 0x11, 0xFFFE}},
        {"channels", 10, {22050, 2, 16, 0.05, 440.0}, {0, 3, 6, 0xFFFF}},
        {"block align of 8-bit stereo", 20, {22050, 2, 8, 0.05, 440.0}, {0}},
        {"block align of 16-bit stereo", 20, {22050, 2, 16, 0.05, 440.0}, {0}},
        {"bits per sample", 22, {22050, 1, 16, 0.05, 440.0}, {0, 4, 12, 15, 17, 24, 0xFFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const Bytes file = Tone(c.tone);
        ASSERT_FALSE(file.empty());
        const size_t fmt = FindChunk(file, "fmt ");
        for (const uint16_t value : c.badValues) {
            SCOPED_TRACE(value);
            Bytes edited = file;
            Put16(&edited, fmt + c.offset, value);
            ExpectRefused(edited);
        }
    }
}

// A form sox writes that the reader does not play: its output arguments and channels, and
// for plain PCM the format tag the file must carry, so that the row tests what it says.
struct CUnplayableWave {
    const char* arguments;
    int channels;
    uint16_t plainTag;  // 0: not looked at
};

TEST_F(SoundWaveTest, FormsOtherThanEightOrSixteenBitPcmInOneOrTwoChannelsAreRefused) {
    const CUnplayableWave cases[] = {
        // Three channels, as plain PCM and as WAVE_FORMAT_EXTENSIBLE.
        {"-b 16 -e signed-integer -t wavpcm", 3, 1},
        {"-b 16 -e signed-integer -t wav", 3, 0},
        // 24 and 32 bits as plain PCM, and 24 bits as WAVE_FORMAT_EXTENSIBLE.
        {"-b 24 -e signed-integer -t wavpcm", 1, 1},
        {"-b 32 -e signed-integer -t wavpcm", 1, 1},
        {"-b 24 -e signed-integer -t wav", 1, 0},
        // Compressed and floating-point samples.
        {"-e ima-adpcm -t wav", 1, 0},
        {"-e ms-adpcm -t wav", 1, 0},
        {"-e floating-point -b 32 -t wav", 1, 0},
        {"-e floating-point -b 64 -t wav", 1, 0},
        {"-e a-law -t wav", 1, 0},
        {"-e u-law -t wav", 1, 0},
        {"-e gsm-full-rate -t wav", 1, 0},
    };
    for (const CUnplayableWave& c : cases) {
        SCOPED_TRACE(std::string(c.arguments) + ", channels " + std::to_string(c.channels));
        const Bytes file = Sox(c.arguments, c.channels);
        ASSERT_FALSE(file.empty());
        ASSERT_NE(FindChunk(file, "data"), kNotFound);
        if (c.plainTag != 0) {
            ASSERT_EQ(Get16(file, FindChunk(file, "fmt ") + 8), c.plainTag);
            ASSERT_EQ(Get16(file, FindChunk(file, "fmt ") + 10), c.channels);
        }
        ExpectRefused(file);
    }
}

}  // namespace
