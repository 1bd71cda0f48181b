// Ogg files from anywhere, decoded from memory: refused, or a 16-bit mono or stereo sound
// whose reads, streamed in chunks as the sound device does, stay inside its data; rewound
// and read again, at a seeked position, and "everything" from near the end. Each input is
// tried as it is and with the checksums of all its pages made right.
#include <ogg/ogg.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/sound/SoundOgg.h"

namespace {

// Decoded bytes per pass at most: a small input can claim (and hold) a long sound.
constexpr int kBudget = 1 << 20;
constexpr int kChunk = 4096;
constexpr int kTail = 8192;

void Check(bool condition) {
    if (!condition)
        abort();
}

// Streams from the position in chunks until the data ends or the budget is spent.
void Stream(CSoundOgg* ogg, int position) {
    static uint8_t buffer[kChunk];
    const int dataSize = ogg->GetDataSize();
    const int end = position + std::min(kBudget, dataSize - position);
    while (position < end) {
        const int got = ogg->Read(buffer, position, kChunk);
        Check(got >= 0 && got <= kChunk && got <= dataSize - position);
        if (got == 0)
            break;
        position += got;
    }
}

// The input with the checksum of every page made right, so that changed header and audio
// packets reach vorbisfile and libvorbis instead of ending at the page checksum; changed
// setup headers then meet the sound's check of what libvorbis can decode with. Whatever
// reads as a whole page gets its checksum; other bytes are passed over one at a time, as
// libogg's search for the next page does.
std::vector<uint8_t> WithPageChecksums(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    size_t at = 0;
    while (at + 27 <= size) {
        const size_t segments = bytes[at + 26];
        size_t pageSize = 27 + segments;
        if (memcmp(bytes.data() + at, "OggS", 4) != 0 || at + pageSize > size) {
            ++at;
            continue;
        }
        for (size_t i = 0; i < segments; ++i)
            pageSize += bytes[at + 27 + i];
        if (at + pageSize > size) {
            ++at;
            continue;
        }
        ogg_page page = {bytes.data() + at, 27 + static_cast<long>(segments), bytes.data() + at + 27 + segments,
                         static_cast<long>(pageSize - 27 - segments)};
        ogg_page_checksum_set(&page);
        at += pageSize;
    }
    return bytes;
}

void Exercise(const uint8_t* data, size_t size) {
    CSoundOgg ogg;
    if (!ogg.OpenMemory(data, size)) {
        Check(ogg.GetDataSize() == 0 && ogg.GetFormat() == 0 && !ogg.m_pDecoder);
        return;
    }
    const int dataSize = ogg.GetDataSize();
    const int format = ogg.GetFormat();
    Check(format == CSound::kMono16 || format == CSound::kStereo16);
    Check(ogg.GetBitsPerSample() == 16 && ogg.GetSampleRate() > 0);
    Check(dataSize >= 0 && dataSize % (format == CSound::kStereo16 ? 4 : 2) == 0);
    Check(ogg.GetFileSize() == static_cast<int>(size));

    Stream(&ogg, 0);
    ogg.Rewind();
    Stream(&ogg, 0);

    // A jump to the middle, then past the end.
    const int frame = format == CSound::kStereo16 ? 4 : 2;
    Stream(&ogg, std::max(0, dataSize / 2 - kBudget / 2) / frame * frame);
    uint8_t byte = 0;
    Check(ogg.Read(&byte, dataSize, 1) == 0);
    if (dataSize <= INT_MAX - frame)
        Check(ogg.Read(&byte, dataSize + frame, -1) == 0);

    // Everything from near the end: cut to what remains.
    std::vector<uint8_t> tail(kTail);
    const int from = dataSize - std::min(dataSize, kTail);
    const int got = ogg.Read(tail.data(), from, -1);
    Check(got >= 0 && got <= dataSize - from);
}

}  // namespace

// vorbisfile 1.3.7 itself leaks what it read of a chain's link, its headers and serial number
// list, when the open fails on a later link's headers (xiph/vorbis#125, a fix proposed in
// xiph/vorbis#126). The leak reports' stacks, unwound quickly through the uninstrumented
// libraries, end in libvorbis and libvorbisfile, so the suppressions name those libraries:
// blocks they allocate themselves. A decoder the sound forgot to clear would still show by
// the blocks of its libogg sync and stream states, and the unit tests run without these
// suppressions.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvorbisfile.so\nleak:libvorbis.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // As given, checksums and all; then with every page's checksum right, when that changes
    // anything.
    Exercise(data, size);
    const std::vector<uint8_t> fixed = WithPageChecksums(data, size);
    if (size && memcmp(fixed.data(), data, size) != 0)
        Exercise(fixed.data(), fixed.size());
    return 0;
}
