// The input read and the output written as every data tool does it, each failure said on the
// standard error as "<tool>: cannot read <path>: <reason>" or "<tool>: cannot write <path>".
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/FileBytes.h"

// The whole file as text; false once the failure is said.
inline bool ReadToolInput(const char* tool, const char* path, std::string* text) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, &bytes)) {
        fprintf(stderr, "%s: cannot read %s: %s\n", tool, path, strerror(errno));
        return false;
    }
    text->assign(bytes.begin(), bytes.end());
    return true;
}

// Written aside and renamed, so a failed run never leaves half a file; false once the failure
// is said.
inline bool WriteToolOutput(const char* tool, const char* path, const void* bytes, size_t size) {
    if (WriteWholeFileAtomically(path, bytes, size))
        return true;
    fprintf(stderr, "%s: cannot write %s\n", tool, path);
    return false;
}
