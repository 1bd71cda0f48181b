#include "engine/sound/VorbisSetupCheck.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr uint32_t kCodebookSync = 0x564342;
constexpr size_t kReadSize = 4096;

// A packet's bits, least significant first within each byte, as Vorbis packs them.
class CPacketBits {
public:
    CPacketBits(const uint8_t* data, size_t size) : m_pData(data), m_nBits(uint64_t{size} * 8) {}

    // Up to 32 bits; false when the packet ends first.
    bool Read(int count, uint32_t* value) {
        if (static_cast<uint64_t>(count) > m_nBits - m_nAt)
            return false;
        uint32_t result = 0;
        for (int bit = 0; bit < count; ++bit, ++m_nAt)
            result |= static_cast<uint32_t>((m_pData[m_nAt >> 3] >> (m_nAt & 7)) & 1) << bit;
        *value = result;
        return true;
    }

    bool Skip(uint64_t count) {
        if (count > m_nBits - m_nAt)
            return false;
        m_nAt += count;
        return true;
    }

    uint64_t Position() const { return m_nAt; }

private:
    const uint8_t* m_pData;
    uint64_t m_nBits;
    uint64_t m_nAt = 0;
};

// Whether value^dimensions <= limit, without overflowing: a product past the limit stops.
bool PowerAtMost(uint32_t value, uint32_t dimensions, uint32_t limit) {
    if (value <= 1)
        return value <= limit;
    uint64_t product = 1;
    for (uint32_t i = 0; i < dimensions; ++i) {
        product *= value;
        if (product > limit)
            return false;
    }
    return true;
}

// The greatest value whose dimensions-th power is at most entries (dimensions >= 1).
uint32_t Lookup1Values(uint32_t entries, uint32_t dimensions) {
    uint32_t low = 0;
    uint32_t high = entries;  // entries < 2^24, so high + 1 never overflows
    while (low < high) {
        const uint32_t middle = low + (high - low + 1) / 2;
        if (PowerAtMost(middle, dimensions, entries))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

// The codeword lengths of a codebook's used entries, as a sum of 2^-length in units of 2^-32.
class CCodeLengths {
public:
    void Add(uint32_t length, uint32_t count = 1) {
        m_nKraft += uint64_t{count} << (32 - length);  // at most 2^24 * 2^31 in all
        m_nUsed += count;
        m_bAllOneBit = m_bAllOneBit && length == 1;
    }

    // Whether libvorbis can build the codebook's decoder: it refuses codeword lengths that
    // leave the tree over- or underpopulated (but for a single entry of one bit), and sorts the
    // codewords on the stack, twelve bytes an entry.
    bool Buildable() const {
        if (m_nUsed > kMaxUsedEntries)
            return false;
        return m_nUsed == 0 || m_nKraft == uint64_t{1} << 32 || (m_nUsed == 1 && m_bAllOneBit);
    }

    // Encoders write a few thousand entries at most.
    static constexpr uint32_t kMaxUsedEntries = 1 << 16;

private:
    uint64_t m_nKraft = 0;
    uint32_t m_nUsed = 0;
    bool m_bAllOneBit = true;
};

// Walks one codebook; false for one libvorbis cannot decode audio with: of no dimensions,
// its codeword lengths no complete code, ended by the packet, or an error by the Vorbis rules.
bool WalkCodebook(CPacketBits* bits) {
    uint32_t sync, dimensions, entries, ordered;
    if (!bits->Read(24, &sync) || sync != kCodebookSync || !bits->Read(16, &dimensions) ||
        !bits->Read(24, &entries) || !bits->Read(1, &ordered))
        return false;
    // No use as a vector: libvorbis divides by it while decoding a residue, and searches for
    // ever for the values of a type 1 lookup table of it.
    if (dimensions == 0)
        return false;

    CCodeLengths lengths;
    uint32_t length;
    if (!ordered) {
        uint32_t sparse;
        if (!bits->Read(1, &sparse))
            return false;
        // Every pass reads a bit at least.
        for (uint32_t entry = 0; entry < entries; ++entry) {
            uint32_t used = 1;
            if (sparse && !bits->Read(1, &used))
                return false;
            if (!used)
                continue;
            if (!bits->Read(5, &length))
                return false;
            lengths.Add(length + 1);
        }
    } else {
        if (!bits->Read(5, &length))
            return false;
        // Counts of entries per length, the lengths rising: every pass reads a bit at least.
        ++length;
        uint32_t entry = 0;
        while (entry < entries) {
            // The count is written in as many bits as the entries left need.
            const int countBits = static_cast<int>(std::bit_width(entries - entry));
            uint32_t count;
            if (length > 32 || !bits->Read(countBits, &count) || count > entries - entry)
                return false;
            if (count)
                lengths.Add(length, count);
            entry += count;
            ++length;
        }
    }
    if (!lengths.Buildable())
        return false;

    uint32_t lookupType;
    if (!bits->Read(4, &lookupType) || lookupType > 2)
        return false;
    if (lookupType == 0)
        return true;
    uint32_t valueBits;
    if (!bits->Skip(32 + 32) || !bits->Read(4, &valueBits) || !bits->Skip(1))
        return false;
    const uint64_t values = lookupType == 1 ? Lookup1Values(entries, dimensions) : uint64_t{entries} * dimensions;
    // At most 2^40 values of 16 bits: the product fits.
    return bits->Skip(values * (valueBits + 1));
}

bool IsVorbisHeader(const ogg_packet& packet, uint8_t type) {
    return packet.bytes >= 7 && packet.packet[0] == type && memcmp(packet.packet + 1, "vorbis", 6) == 0;
}

// The pages of the data the read function gives, through libogg as vorbisfile finds them.
class COggPages {
public:
    COggPages(VorbisReadFunction read, void* source) : m_read(read), m_pSource(source) {
        ogg_sync_init(&m_sync);
        ogg_stream_init(&m_stream, 0);
    }
    COggPages(const COggPages&) = delete;
    COggPages& operator=(const COggPages&) = delete;
    ~COggPages() {
        ogg_stream_clear(&m_stream);
        ogg_sync_clear(&m_sync);
    }

    // False at the end of the data.
    bool Next(ogg_page* page) {
        for (;;) {
            const int result = ogg_sync_pageout(&m_sync, page);
            if (result == 1)
                return true;
            if (result < 0)
                continue;  // bytes skipped on the way to a page
            char* buffer = ogg_sync_buffer(&m_sync, kReadSize);
            if (!buffer)
                return false;
            const size_t got = m_read(buffer, 1, kReadSize, m_pSource);
            if (got == 0)
                return false;
            ogg_sync_wrote(&m_sync, static_cast<long>(got));
        }
    }

    // One logical stream's packets at a time.
    ogg_stream_state* Stream() { return &m_stream; }

private:
    VorbisReadFunction m_read;
    void* m_pSource;
    ogg_sync_state m_sync;
    ogg_stream_state m_stream;
};

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

size_t ReadMemory(void* out, size_t itemSize, size_t items, void* source) {
    auto* memory = static_cast<MemorySource*>(source);
    if (itemSize == 0)
        return 0;
    const size_t whole = std::min(items, (memory->size - memory->position) / itemSize);
    if (whole == 0)
        return 0;
    memcpy(out, memory->data + memory->position, whole * itemSize);
    memory->position += whole * itemSize;
    return whole;
}

}  // namespace

bool VorbisSetupCodebooksDecodable(const uint8_t* packet, size_t size, uint64_t* endBit) {
    if (size < 7 || packet[0] != 5 || memcmp(packet + 1, "vorbis", 6) != 0)
        return false;
    CPacketBits bits(packet + 7, size - 7);
    uint32_t codebooks;
    if (!bits.Read(8, &codebooks))
        return false;
    for (uint32_t book = 0; book <= codebooks; ++book) {
        if (!WalkCodebook(&bits))
            return false;
    }
    if (endBit)
        *endBit = 7 * 8 + bits.Position();
    return true;
}

bool VorbisLinkSetupDecodable(VorbisReadFunction read, void* source) {
    COggPages pages(read, source);
    ogg_stream_state* stream = pages.Stream();
    ogg_page page;
    ogg_packet packet;
    // A link begins with the first pages of its streams; vorbisfile takes the first whose
    // packet is a Vorbis identification header.
    for (;;) {
        if (!pages.Next(&page) || !ogg_page_bos(&page))
            return false;
        ogg_stream_reset_serialno(stream, ogg_page_serialno(&page));
        if (ogg_stream_pagein(stream, &page) == 0 && ogg_stream_packetout(stream, &packet) == 1 && packet.b_o_s &&
            IsVorbisHeader(packet, 1))
            break;
    }
    // The comment header, then the setup header, from the stream's pages among the others.
    int headers = 1;
    for (;;) {
        const int result = ogg_stream_packetout(stream, &packet);
        if (result < 0)
            return false;  // a gap in the headers, which vorbisfile refuses
        if (result > 0) {
            if (++headers == 3)
                return VorbisSetupCodebooksDecodable(packet.packet, static_cast<size_t>(packet.bytes));
            continue;
        }
        if (!pages.Next(&page))
            return false;
        if (ogg_page_serialno(&page) == stream->serialno)
            ogg_stream_pagein(stream, &page);
    }
}

bool VorbisLinkSetupDecodable(const uint8_t* data, size_t size) {
    MemorySource source{data, size, 0};
    return VorbisLinkSetupDecodable(&ReadMemory, &source);
}
