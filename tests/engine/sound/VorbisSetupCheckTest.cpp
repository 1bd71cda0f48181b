// The check of Vorbis setup headers: on codebooks packed here bit by bit, on oggenc's files,
// and through CSoundOgg on files whose setup header libvorbis accepts at open but cannot
// decode audio with.
#include "engine/sound/VorbisSetupCheck.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/sound/SoundOgg.h"
#include "tests/engine/sound/SoundOggFiles.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"

namespace {

// Sets bits as Vorbis packs them: least significant first, from the least significant bit
// of each byte.
void SetBits(Bytes* bytes, uint64_t at, int count, uint32_t value) {
    for (int bit = 0; bit < count; ++bit, ++at) {
        uint8_t& byte = (*bytes)[at >> 3];
        const auto mask = static_cast<uint8_t>(1u << (at & 7));
        byte = ((value >> bit) & 1) ? byte | mask : byte & static_cast<uint8_t>(~mask);
    }
}

class CBitWriter {
public:
    void Put(uint32_t value, int count) {
        m_bytes.resize((m_nBits + static_cast<uint64_t>(count) + 7) / 8);
        SetBits(&m_bytes, m_nBits, count, value);
        m_nBits += static_cast<uint64_t>(count);
    }

    const Bytes& BytesWritten() const { return m_bytes; }
    uint64_t BitsWritten() const { return m_nBits; }

private:
    Bytes m_bytes;
    uint64_t m_nBits = 0;
};

// A codebook to pack: its codeword lengths either one per entry (0 for an unused entry,
// which makes the book sparse) or, ordered, how many entries have each length from the
// first length up.
struct Codebook {
    uint32_t dimensions;
    uint32_t entries;
    std::vector<uint32_t> lengths = {};
    uint32_t firstLength = 0;  // ordered when not 0
    std::vector<uint32_t> countsPerLength = {};
    uint32_t lookupType = 0;
    uint32_t lookupValues = 0;  // packed for lookup types 1 and 2, of 3 bits each
};

void PackCodebook(CBitWriter* out, const Codebook& book) {
    out->Put(0x564342, 24);
    out->Put(book.dimensions, 16);
    out->Put(book.entries, 24);
    out->Put(book.firstLength != 0, 1);
    if (book.firstLength) {
        out->Put(book.firstLength - 1, 5);
        uint32_t entry = 0;
        for (const uint32_t count : book.countsPerLength) {
            out->Put(count, static_cast<int>(std::bit_width(book.entries - entry)));
            entry += count;
        }
    } else {
        const bool sparse = std::find(book.lengths.begin(), book.lengths.end(), 0u) != book.lengths.end();
        out->Put(sparse, 1);
        for (const uint32_t length : book.lengths) {
            if (sparse)
                out->Put(length != 0, 1);
            if (length)
                out->Put(length - 1, 5);
        }
    }
    out->Put(book.lookupType, 4);
    if (book.lookupType) {
        out->Put(0, 32);  // minimum
        out->Put(0, 32);  // delta
        out->Put(3 - 1, 4);  // bits a value
        out->Put(0, 1);  // not a sequence
        for (uint32_t value = 0; value < book.lookupValues; ++value)
            out->Put(value & 7, 3);
    }
}

// A setup header packet of these codebooks alone, and its length in bits.
Bytes SetupPacket(const std::vector<Codebook>& books, uint64_t* bits = nullptr) {
    CBitWriter out;
    for (const char c : std::string("\x05vorbis"))
        out.Put(static_cast<uint8_t>(c), 8);
    out.Put(static_cast<uint32_t>(books.size() - 1), 8);
    for (const Codebook& book : books)
        PackCodebook(&out, book);
    if (bits)
        *bits = out.BitsWritten();
    return out.BytesWritten();
}

// Eight entries of three bits: a complete code.
const Codebook kPlainBook = {1, 8, {3, 3, 3, 3, 3, 3, 3, 3}};

TEST(VorbisSetupCodebooksTest, DecodableOnlyWhenEveryCodebookIsOfUseToLibvorbis) {
    struct Case {
        const char* name;
        Codebook book;
        bool decodable;
    };
    const Case cases[] = {
        {"a complete code", {1, 4, {1, 2, 3, 3}}, true},
        {"a single entry of one bit", {1, 1, {1}}, true},
        {"a single used entry of one bit", {1, 3, {0, 1, 0}}, true},
        {"a complete code of the used entries", {1, 5, {2, 0, 2, 0, 1}}, true},
        {"no dimensions", {0, 4, {1, 2, 3, 3}}, false},
        {"an incomplete code", {1, 3, {1, 2, 3}}, false},
        {"an overfull code", {1, 3, {1, 1, 2}}, false},
        {"a single entry of two bits", {1, 1, {2}}, false},
        {"ordered lengths, a complete code", {1, 6, {}, 2, {2, 4}}, true},
        {"ordered lengths, an incomplete code", {1, 5, {}, 2, {1, 4}}, false},
        // Five of three bits and six of four would be a complete code, but there are nine entries.
        {"ordered lengths counting past the entries", {1, 9, {}, 3, {5, 6}}, false},
        // Four million entries: libvorbis sorts them on the stack, 48 MB of it.
        {"ordered lengths of millions of entries", {1, 1u << 22, {}, 22, {1u << 22}}, false},
        // Three values a dimension: 3^2 <= 9 entries < 4^2.
        {"lookup type 1", {2, 9, {3, 3, 3, 3, 3, 3, 3, 4, 4}, 0, {}, 1, 3}, true},
        // Two values a dimension: 26 entries are one short of 3^3.
        {"lookup type 1 of three dimensions", {3, 26, {}, 4, {6, 20}, 1, 2}, true},
        {"lookup type 2", {2, 4, {2, 2, 2, 2}, 0, {}, 2, 8}, true},
        {"lookup type 3", {2, 4, {2, 2, 2, 2}, 0, {}, 3, 8}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // After a plain codebook: every codebook counts, not only the first.
        uint64_t bits = 0;
        const Bytes packet = SetupPacket({kPlainBook, c.book}, &bits);
        uint64_t endBit = 0;
        EXPECT_EQ(VorbisSetupCodebooksDecodable(packet.data(), packet.size(), &endBit), c.decodable);
        // The walk ends where the packing did, so the values of each lookup were counted right.
        if (c.decodable) {
            EXPECT_EQ(endBit, bits);
        }
    }
}

TEST(VorbisSetupCodebooksTest, TruncatedPacketsAndOtherPacketsAreRefused) {
    uint64_t bits = 0;
    const Bytes packet = SetupPacket({kPlainBook, {2, 9, {3, 3, 3, 3, 3, 3, 3, 4, 4}, 0, {}, 1, 3},
                                      {1, 6, {}, 2, {2, 4}}, {2, 4, {2, 2, 2, 2}, 0, {}, 2, 8}},
                                     &bits);
    ASSERT_EQ(packet.size(), (bits + 7) / 8);
    ASSERT_TRUE(VorbisSetupCodebooksDecodable(packet.data(), packet.size()));
    for (size_t size = 0; size < packet.size(); ++size) {
        SCOPED_TRACE("cut to " + std::to_string(size) + " bytes");
        EXPECT_FALSE(VorbisSetupCodebooksDecodable(packet.data(), size));
    }
    for (const size_t at : {size_t{0}, size_t{3}, size_t{8}}) {
        SCOPED_TRACE("byte " + std::to_string(at) + " changed");
        Bytes other = packet;
        other[at] ^= 0x01;
        EXPECT_FALSE(VorbisSetupCodebooksDecodable(other.data(), other.size()));
    }
}

// ---------------------------------------------------------------------------------------------
// Files

// Where oggenc puts the setup header: behind the comment header on the second page.
struct SetupSpan {
    size_t offset;
    size_t size;
};

SetupSpan FindSetup(const Bytes& file, const std::vector<Page>& pages) {
    if (pages.size() < 3)
        return {0, 0};
    const Page& page = pages[1];
    std::vector<size_t> packets(1, 0);
    for (size_t i = 0; i < page.headerSize - 27; ++i) {
        const uint8_t lacing = file[page.offset + 27 + i];
        packets.back() += lacing;
        if (lacing < 255)
            packets.push_back(0);
    }
    if (packets.size() != 3)
        return {0, 0};
    return {page.offset + page.headerSize + packets[0], packets[1]};
}

// The serial number of the stream the file's first page belongs to.
uint32_t Serial(const Bytes& file) {
    uint32_t serial = 0;
    for (size_t i = 0; i < 4; ++i)
        serial |= static_cast<uint32_t>(file[14 + i]) << (8 * i);
    return serial;
}

// Whether vorbisfile alone opens the file, without the sound's check.
bool VorbisfileOpens(const std::string& path) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0)
        return false;
    ov_clear(&file);
    return true;
}

class VorbisSetupCheckTest : public SoundOggFileTest {
protected:
    // oggenc's file of a short tone at the quality; empty (and a failure) when a tool fails.
    Bytes Oggenc(int channels, const char* quality) {
        const std::string name = m_dir.File("tone" + std::to_string(m_nextFile++));
        const std::string command =
            "oggenc -Q -q " + std::string(quality) + " -o '" + name + ".ogg' '" + name + ".wav'";
        if (!MakeToneWav(name + ".wav", {22050, channels, 16, 0.3, 440.0}) || !RunTool(command)) {
            ADD_FAILURE() << "sox and oggenc could not make " << name << ".ogg (are sox and vorbis-tools installed?)";
            return {};
        }
        return ReadBytes(name + ".ogg");
    }

    // The file opened every way, the whole of its sound read.
    void ExpectReadsWhole(const Bytes& file) {
        const std::string path = Write(file);
        for (const int mode : kAllModes) {
            SCOPED_TRACE(ModeName(mode));
            CSoundOgg ogg;
            ASSERT_EQ(OpenIn(&ogg, mode, path), 1);
            EXPECT_GT(ogg.GetDataSize(), 0);
            EXPECT_EQ(ReadAll(&ogg).size(), static_cast<size_t>(ogg.GetDataSize()));
        }
    }

    // The file with bits of its setup header changed, counted from the packet's start.
    Bytes EditSetup(const Bytes& file, uint64_t bit, int count, uint32_t value) {
        Bytes edited = file;
        const std::vector<Page> pages = Pages(file);
        const SetupSpan setup = FindSetup(file, pages);
        if (!setup.size) {
            ADD_FAILURE() << "no setup header where oggenc puts it";
            return {};
        }
        SetBits(&edited, setup.offset * 8 + bit, count, value);
        Recrc(&edited, pages[1]);
        return edited;
    }
};

TEST_F(VorbisSetupCheckTest, OggencFilesPassAtEveryQuality) {
    for (const int channels : {1, 2}) {
        for (const char* quality : {"-1", "0", "4", "10"}) {
            SCOPED_TRACE(std::to_string(channels) + " channels, quality " + quality);
            const Bytes file = Oggenc(channels, quality);
            ASSERT_FALSE(file.empty());
            const SetupSpan setup = FindSetup(file, Pages(file));
            ASSERT_NE(setup.size, 0u);
            EXPECT_TRUE(VorbisSetupCodebooksDecodable(file.data() + setup.offset, setup.size));
            EXPECT_TRUE(VorbisLinkSetupDecodable(file.data(), file.size()));
            ExpectReadsWhole(file);
        }
    }
}

// Bits of the first codebook, from the packet's start: its dimensions, and the first two
// codeword lengths of oggenc's first codebook, which is neither ordered nor sparse.
constexpr uint64_t kFirstDimensions = 88;
constexpr uint64_t kFirstBookOrdered = 128;
constexpr uint64_t kFirstLength = 130;
constexpr uint64_t kSecondLength = 135;

struct SetupEdit {
    const char* name;
    uint64_t bit;
    int count;
    uint32_t value;
};

const SetupEdit kUndecodable[] = {
    {"first codebook of no dimensions", kFirstDimensions, 16, 0},
    {"first codeword of 32 bits: an incomplete code", kFirstLength, 5, 31},
    {"second codeword of one bit: an overfull code", kSecondLength, 5, 0},
};

TEST_F(VorbisSetupCheckTest, SetupHeadersLibvorbisCannotDecodeWithAreRefusedEveryWay) {
    for (const int channels : {1, 2}) {
        const Bytes file = Oggenc(channels, "2");
        ASSERT_FALSE(file.empty());
        const SetupSpan setup = FindSetup(file, Pages(file));
        ASSERT_NE(setup.size, 0u);
        ASSERT_EQ(file[setup.offset + kFirstBookOrdered / 8] & 3, 0) << "the first codebook ordered or sparse";
        for (const SetupEdit& edit : kUndecodable) {
            SCOPED_TRACE(std::to_string(channels) + " channels, " + edit.name);
            const Bytes edited = EditSetup(file, edit.bit, edit.count, edit.value);
            ASSERT_NE(edited, file);
            ASSERT_TRUE(VorbisfileOpens(Write(edited))) << "libvorbis refuses it itself";
            EXPECT_FALSE(VorbisLinkSetupDecodable(edited.data(), edited.size()));
            ExpectRefused(edited);
        }
    }
}

TEST_F(VorbisSetupCheckTest, ChainsWithAnUndecodableLaterLinkAreRefused) {
    const Bytes first = Oggenc(2, "3");
    const Bytes second = Oggenc(1, "0");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    for (const SetupEdit& edit : kUndecodable) {
        SCOPED_TRACE(edit.name);
        const Bytes chain = Chain(first, EditSetup(second, edit.bit, edit.count, edit.value));
        ASSERT_TRUE(VorbisfileOpens(Write(chain))) << "libvorbis refuses it itself";
        ExpectRefused(chain);
    }
}

// vorbisfile decodes the first stream whose first page is a Vorbis identification header.
TEST_F(VorbisSetupCheckTest, TheVorbisStreamIsCheckedBehindTheFirstPagesOfOthers) {
    const Bytes file = Oggenc(1, "1");
    ASSERT_FALSE(file.empty());
    const Bytes other = MakePage({Bytes(30, 'x')}, 2, 0, Serial(file) + 1, 0);
    ExpectReadsWhole(Concatenate({other, file}));
    const SetupEdit& edit = kUndecodable[0];
    const Bytes edited = Concatenate({other, EditSetup(file, edit.bit, edit.count, edit.value)});
    ASSERT_TRUE(VorbisfileOpens(Write(edited))) << "libvorbis refuses it itself";
    ExpectRefused(edited);
}

TEST_F(VorbisSetupCheckTest, SetupHeadersCutShortAreRefused) {
    const Bytes file = Oggenc(2, "1");
    ASSERT_FALSE(file.empty());
    const std::vector<Page> pages = Pages(file);
    const SetupSpan setup = FindSetup(file, pages);
    ASSERT_NE(setup.size, 0u);
    const size_t body = pages[1].offset + pages[1].headerSize;
    const Bytes comment = Slice(file, body, setup.offset - body);
    const Bytes packet = Slice(file, setup.offset, setup.size);
    // The second page again, holding the setup header up to the size.
    const auto withSetupOf = [&](size_t size) {
        const Bytes page = MakePage({comment, Prefix(packet, size)}, 0, 0, Serial(file), 1);
        return Concatenate({Prefix(file, pages[1].offset), page, Slice(file, pages[2].offset, file.size())});
    };
    ASSERT_EQ(withSetupOf(packet.size()), file);
    uint64_t codebooksEnd = 0;
    ASSERT_TRUE(VorbisSetupCodebooksDecodable(packet.data(), packet.size(), &codebooksEnd));
    struct Cut {
        size_t size;
        bool codebooksWhole;
    };
    for (const Cut& cut : {Cut{8, false}, Cut{static_cast<size_t>(codebooksEnd / 2 / 8), false},
                           Cut{static_cast<size_t>(codebooksEnd / 8 - 1), false},
                           Cut{static_cast<size_t>((codebooksEnd + 7) / 8), true}, Cut{packet.size() - 1, true}}) {
        SCOPED_TRACE("setup header cut to " + std::to_string(cut.size) + " of " + std::to_string(packet.size()));
        const Bytes cutFile = withSetupOf(cut.size);
        EXPECT_EQ(VorbisLinkSetupDecodable(cutFile.data(), cutFile.size()), cut.codebooksWhole);
        // Whole codebooks or not, libvorbis refuses what follows them cut short.
        ExpectRefused(cutFile);
    }
}

}  // namespace
