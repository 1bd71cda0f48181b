// A source of PCM data that a sound device voice plays: opened from a file, it reports its
// format and hands out bytes at a byte position.
#pragma once

#include "engine/core/Class.h"

class CSound : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CSound)

public:
    enum EFormat { kMono8 = 1, kMono16 = 2, kStereo8 = 3, kStereo16 = 4 };

    // Nonzero when the file could be opened and understood.
    virtual int Open(const char* path, int bInMemory) = 0;
    virtual void Close() = 0;
    virtual int GetBitsPerSample() = 0;
    virtual int GetSampleRate() = 0;
    virtual int GetFileSize() = 0;
    // PCM bytes.
    virtual int GetDataSize() = 0;
    virtual int GetFormat() = 0;
    // Copies up to size bytes (-1: all) from the byte position; returns the bytes delivered.
    virtual int Read(void* destination, int position, int size) = 0;
    virtual void Rewind() = 0;
};
