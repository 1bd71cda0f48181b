#include "engine/sound/SoundWave.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/OutOfMemory.h"

namespace {

constexpr size_t kTail = 31;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The bytes of a WAV file: read in order, with skips, from memory or from the open file.
class CWaveSource {
public:
    CWaveSource(const uint8_t* data, size_t size) : m_pData(data), m_nSize(size) {}
    explicit CWaveSource(FILE* file) : m_pFile(file) {
        fseek(file, 0, SEEK_END);
        const long size = ftell(file);
        m_nSize = size > 0 ? static_cast<uint64_t>(size) : 0;
        fseek(file, 0, SEEK_SET);
    }

    bool Read(void* out, uint64_t count) {
        if (count > m_nSize - m_nPosition)
            return false;
        if (m_pFile) {
            if (fread(out, 1, static_cast<size_t>(count), m_pFile) != count)
                return false;
        } else {
            memcpy(out, m_pData + m_nPosition, static_cast<size_t>(count));
        }
        m_nPosition += count;
        return true;
    }

    bool Skip(uint64_t count) {
        if (count > m_nSize - m_nPosition)
            return false;
        m_nPosition += count;
        if (m_pFile)
            fseek(m_pFile, static_cast<long>(m_nPosition), SEEK_SET);
        return true;
    }

    uint64_t Position() const { return m_nPosition; }
    uint64_t Remaining() const { return m_nSize - m_nPosition; }

private:
    const uint8_t* m_pData = nullptr;
    FILE* m_pFile = nullptr;
    uint64_t m_nSize = 0;
    uint64_t m_nPosition = 0;
};

struct WaveFormat {
    int format;
    int sampleRate;
    int bitsPerSample;
    int blockAlign;
};

// Walks the chunks: a PCM "fmt " (1 or 2 channels, 8 or 16 bits, a block size) must come
// before "data". The data is cut to the whole frames the file holds.
bool ParseWave(CWaveSource* source, bool inMemory, WaveFormat* format, int* dataSize, uint8_t** data,
               long* dataOffset) {
    uint8_t header[12];
    // Only the RIFF size is used: the "RIFF" and "WAVE" tags are not looked at.
    if (!source->Read(header, sizeof header))
        return false;
    const uint64_t riffSize = (uint64_t{Le32(header + 4)} + 1) & ~uint64_t{1};
    uint64_t remaining = riffSize > 4 ? riffSize - 4 : 0;
    bool haveFormat = false;
    bool haveData = false;
    while (remaining > 0) {
        uint8_t chunk[8];
        if (!source->Read(chunk, sizeof chunk))
            break;
        const uint32_t size = Le32(chunk + 4);
        uint64_t consumed = 0;
        if (memcmp(chunk, "fmt ", 4) == 0) {
            uint8_t fields[16];
            if (size < 16 || !source->Read(fields, sizeof fields))
                return false;
            consumed = 16;
            const uint16_t tag = Le16(fields);
            const uint16_t channels = Le16(fields + 2);
            const uint16_t blockAlign = Le16(fields + 12);
            const uint16_t bits = Le16(fields + 14);
            if (tag != 1 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) || blockAlign == 0)
                return false;
            format->format = (channels == 1 ? CSound::kMono8 : CSound::kStereo8) + (bits == 16 ? 1 : 0);
            format->sampleRate = static_cast<int>(std::min<uint32_t>(Le32(fields + 4), INT_MAX));
            format->bitsPerSample = bits;
            format->blockAlign = blockAlign;
            haveFormat = true;
        } else if (memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            uint64_t bytes = std::min<uint64_t>(size, source->Remaining());
            bytes = std::min<uint64_t>(bytes, INT_MAX - kTail);
            bytes -= bytes % static_cast<uint64_t>(format->blockAlign);
            *dataSize = static_cast<int>(bytes);
            if (inMemory) {
                free(*data);
                *data = static_cast<uint8_t*>(calloc(bytes + kTail, 1));
                if (!*data)
                    OutOfMemory(bytes + kTail);
                if (!source->Read(*data, bytes))
                    return false;
                consumed = bytes;
            } else {
                *dataOffset = static_cast<long>(source->Position());
            }
            haveData = true;
        }
        if (size > consumed && !source->Skip(size - consumed))
            break;
        if ((size & 1) && !source->Skip(1))
            break;
        const uint64_t step = 8 + ((uint64_t{size} + 1) & ~uint64_t{1});
        remaining = remaining > step ? remaining - step : 0;
    }
    return haveFormat && haveData;
}

}  // namespace

CSoundWave::~CSoundWave() {
    Close();
}

void CSoundWave::Close() {
    free(m_pData);
    m_pData = nullptr;
    if (m_pFile)
        fclose(m_pFile);
    m_pFile = nullptr;
    m_bInMemory = m_nDataSize = m_nSampleRate = m_nBitsPerSample = m_nFormat = 0;
    m_nDataOffset = 0;
}

int CSoundWave::Open(const char* path, int bInMemory) {
    Close();
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file)
        return 0;
    CWaveSource source(file);
    WaveFormat format{};
    const bool parsed = ParseWave(&source, bInMemory != 0, &format, &m_nDataSize, &m_pData, &m_nDataOffset);
    if (bInMemory || !parsed)
        fclose(file);
    else
        m_pFile = file;
    if (!parsed) {
        Close();
        return 0;
    }
    m_bInMemory = bInMemory ? 1 : 0;
    m_nSampleRate = format.sampleRate;
    m_nBitsPerSample = format.bitsPerSample;
    m_nFormat = format.format;
    return 1;
}

int CSoundWave::OpenMemory(const uint8_t* data, size_t size) {
    Close();
    if (!data)
        return 0;
    CWaveSource source(data, size);
    WaveFormat format{};
    if (!ParseWave(&source, true, &format, &m_nDataSize, &m_pData, &m_nDataOffset)) {
        Close();
        return 0;
    }
    m_bInMemory = 1;
    m_nSampleRate = format.sampleRate;
    m_nBitsPerSample = format.bitsPerSample;
    m_nFormat = format.format;
    return 1;
}

int CSoundWave::Read(void* destination, int position, int size) {
    if (!destination || position < 0 || position > m_nDataSize)
        return 0;
    if (size == -1)
        size = m_nDataSize;
    size = std::min(size, m_nDataSize - position);
    if (size <= 0)
        return 0;
    if (m_bInMemory) {
        if (!m_pData)
            return 0;
        memcpy(destination, m_pData + position, static_cast<size_t>(size));
        return size;
    }
    if (!m_pFile || fseek(m_pFile, m_nDataOffset + position, SEEK_SET) != 0)
        return 0;
    return static_cast<int>(fread(destination, 1, static_cast<size_t>(size), m_pFile));
}
