// A RIFF WAVE sound of 8- or 16-bit PCM, mono or stereo, read whole into memory or from the
// open file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "engine/sound/Sound.h"

class CSoundWave : public CSound {
    DECLARE_RUNTIME_CLASS(CSoundWave)

public:
    CSoundWave() = default;
    ~CSoundWave() override;

    // 0 for a file without a PCM "fmt " chunk (1 or 2 channels, 8 or 16 bits) before its
    // "data" chunk.
    int Open(const char* path, int bInMemory) override;
    // The same on a file's bytes, which are copied.
    int OpenMemory(const uint8_t* data, size_t size);
    void Close() override;
    int GetBitsPerSample() override { return m_nBitsPerSample; }
    int GetSampleRate() override { return m_nSampleRate; }
    int GetFileSize() override { return m_nDataSize; }
    int GetDataSize() override { return m_nDataSize; }
    int GetFormat() override { return m_nFormat; }
    int Read(void* destination, int position, int size) override;
    void Rewind() override {}

    int m_bInMemory = 0;
    int m_nDataSize = 0;
    int m_nSampleRate = 0;
    int m_nBitsPerSample = 0;
    int m_nFormat = 0;
    uint8_t* m_pData = nullptr;  // data size + 31 bytes, the last 31 zero
    FILE* m_pFile = nullptr;
    long m_nDataOffset = 0;
};
