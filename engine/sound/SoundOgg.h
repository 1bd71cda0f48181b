// An Ogg Vorbis sound decoded through vorbisfile, from the file held in memory or read as it
// plays; always 16-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "engine/sound/Sound.h"

struct OggVorbis_File;

class CSoundOgg : public CSound {
    DECLARE_RUNTIME_CLASS(CSoundOgg)

public:
    // Where vorbisfile's callbacks read from: the open file, or the whole file in memory.
    struct Source {
        FILE* file;
        const uint8_t* data;
        size_t size;
        size_t position;
        int bFromFile;
    };

    CSoundOgg() = default;
    ~CSoundOgg() override;

    int Open(const char* path, int bInMemory) override;
    // The same on a file's bytes, which are copied.
    int OpenMemory(const uint8_t* data, size_t size);
    void Close() override;
    int GetBitsPerSample() override { return m_nBitsPerSample; }
    int GetSampleRate() override { return m_nSampleRate; }
    int GetFileSize() override { return m_nFileSize; }
    int GetDataSize() override { return m_nDataSize; }
    int GetFormat() override { return m_nFormat; }
    int Read(void* destination, int position, int size) override;
    void Rewind() override;

    // The decoder's source callbacks.
    static size_t ReadCallback(void* out, size_t itemSize, size_t items, void* source);
    static int SeekCallback(void* source, int64_t offset, int whence);
    static int CloseCallback(void* source);
    static long TellCallback(void* source);

    int m_bInMemory = 0;
    int m_nDataSize = 0;
    int m_nFileSize = 0;
    int m_nSampleRate = 0;
    int m_nBitsPerSample = 0;
    int m_nDecoderPosition = 0;
    int m_nFormat = 0;
    uint8_t* m_pBuffer = nullptr;
    FILE* m_pFile = nullptr;
    OggVorbis_File* m_pDecoder = nullptr;
    Source* m_pSource = nullptr;

private:
    int StartDecoder();
    int LinksShareOneFormat() const;
    int SetupHeadersDecodable();
};
