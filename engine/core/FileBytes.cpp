#include "engine/core/FileBytes.h"

#include <cerrno>
#include <cstdio>

bool ReadFileBytes(const char* fileName, std::vector<uint8_t>* out) {
    out->clear();
    if (!fileName)
        return false;
    FILE* file = fopen(fileName, "rb");
    if (!file)
        return false;
    uint8_t chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        out->insert(out->end(), chunk, chunk + got);
    const bool read = !ferror(file);
    // The caller may want to say why: the close must not change the read's reason.
    const int reason = errno;
    fclose(file);
    errno = reason;
    return read;
}
