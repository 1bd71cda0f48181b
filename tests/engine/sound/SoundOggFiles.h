// What the tests of the Ogg Vorbis reader share: the pages of oggenc's files, edited and
// made anew with their checksums right, and the fixture over CSoundOgg.
#pragma once

#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "engine/sound/SoundOgg.h"
#include "tests/engine/sound/SoundFileChecks.h"

struct Page {
    size_t offset;
    size_t headerSize;
    size_t size;  // header and body
};

// The pages of a well-formed stream, in order.
inline std::vector<Page> Pages(const Bytes& file) {
    std::vector<Page> pages;
    size_t at = 0;
    while (at + 27 <= file.size() && memcmp(file.data() + at, "OggS", 4) == 0) {
        const size_t segments = file[at + 26];
        if (at + 27 + segments > file.size())
            break;
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += file[at + 27 + i];
        pages.push_back({at, 27 + segments, 27 + segments + body});
        at += 27 + segments + body;
    }
    return pages;
}

// Sets a page's checksum for what it now holds.
inline void Recrc(Bytes* file, const Page& page) {
    uint8_t* header = file->data() + page.offset;
    ogg_page view = {header, static_cast<long>(page.headerSize), header + page.headerSize,
                     static_cast<long>(page.size - page.headerSize)};
    ogg_page_checksum_set(&view);
}

inline void SetSerial(Bytes* file, const Page& page, uint32_t serial) {
    for (int i = 0; i < 4; ++i)
        (*file)[page.offset + 14 + static_cast<size_t>(i)] = static_cast<uint8_t>(serial >> (8 * i));
    Recrc(file, page);
}

// One page ending these packets (under 255 * 255 bytes in all).
inline Bytes MakePage(const std::vector<Bytes>& packets, uint8_t headerType, uint64_t granule, uint32_t serial,
                      uint32_t sequence) {
    Bytes page = {'O', 'g', 'g', 'S', 0, headerType};
    for (int i = 0; i < 8; ++i)
        page.push_back(static_cast<uint8_t>(granule >> (8 * i)));
    for (const uint32_t value : {serial, sequence, 0u})
        for (int i = 0; i < 4; ++i)
            page.push_back(static_cast<uint8_t>(value >> (8 * i)));
    Bytes lacing;
    for (const Bytes& packet : packets) {
        lacing.insert(lacing.end(), packet.size() / 255, 255);
        lacing.push_back(static_cast<uint8_t>(packet.size() % 255));
    }
    page.push_back(static_cast<uint8_t>(lacing.size()));
    page.insert(page.end(), lacing.begin(), lacing.end());
    for (const Bytes& packet : packets)
        page.insert(page.end(), packet.begin(), packet.end());
    Recrc(&page, {0, 27 + lacing.size(), page.size()});
    return page;
}

inline Bytes Concatenate(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Streams as the links of one chain. Links need serial numbers of their own, and oggenc
// may pick the same twice: each link after the first gets one made from the first's.
inline Bytes ChainOf(std::vector<Bytes> links) {
    Bytes all;
    uint32_t firstSerial = 0;
    for (int i = 0; i < 4 && !links.empty(); ++i)
        firstSerial |= static_cast<uint32_t>(links[0][14 + static_cast<size_t>(i)]) << (8 * i);
    for (size_t link = 0; link < links.size(); ++link) {
        Bytes& stream = links[link];
        if (link > 0) {
            const uint32_t serial = firstSerial ^ (0x5A5A5A5Au * static_cast<uint32_t>(link));
            for (const Page& page : Pages(stream))
                SetSerial(&stream, page, serial);
        }
        all.insert(all.end(), stream.begin(), stream.end());
    }
    return all;
}

inline Bytes Chain(const Bytes& first, const Bytes& second) {
    return ChainOf({first, second});
}

// A folder per test for oggenc's files and edited ones.
class SoundOggFileTest : public SoundFileTest<CSoundOgg> {
protected:
    SoundOggFileTest() : SoundFileTest(".ogg", EReadSpill::kRequestedSpan) {}

    void ExpectHoldsNothing(CSoundOgg* ogg) override {
        EXPECT_EQ(ogg->m_pDecoder, nullptr);
        EXPECT_EQ(ogg->m_pSource, nullptr);
        EXPECT_EQ(ogg->m_pBuffer, nullptr);
        EXPECT_EQ(ogg->m_pFile, nullptr);
    }
};
