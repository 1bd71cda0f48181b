#include "engine/core/StrHelpers.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/core/OutOfMemory.h"

char* StrResize(char* oldBuffer, size_t size) {
    if (size == 0) {
        free(oldBuffer);
        return nullptr;
    }
    char* block = static_cast<char*>(calloc(size, 1));
    if (!block)
        OutOfMemory(size);
    if (oldBuffer) {
        strncpy(block, oldBuffer, size - 1);
        free(oldBuffer);
    }
    return block;
}

int StrEqualPrefix(const char* a, const char* b) {
    if (!a || !b)
        return 0;
    return strcmp(a, b) == 0 ? 1 : 0;
}

int StrCompare(const char* a, const char* b) {
    if (!a || !b)
        return 0;
    for (size_t i = 0;; ++i) {
        const signed char ca = static_cast<signed char>(a[i]);
        const signed char cb = static_cast<signed char>(b[i]);
        if (ca != cb)
            return cb > ca ? 1 : -1;
        if (ca == 0)
            return 0;
    }
}

char* StrAppendN(char* dst, const char* src, int n) {
    if (n <= 0 || !dst || !src)
        return nullptr;
    char* end = dst + strlen(dst);
    int copied = 0;
    while (copied < n && src[copied] != 0) {
        end[copied] = src[copied];
        ++copied;
    }
    end[copied] = 0;
    return end + copied;
}

const char* StrFind(const char* text, const char* pattern) {
    if (!text || !pattern)
        return nullptr;
    if (pattern[0] == 0)
        return text;
    const size_t patternLength = strlen(pattern);
    for (const char* at = strchr(text, pattern[0]); at; at = strchr(at + 1, pattern[0])) {
        if (strncmp(at, pattern, patternLength) == 0)
            return at;
    }
    return nullptr;
}

int SafeStrCopy(const char* src, char* dst, int n) {
    if (!dst)
        return 0;
    if (n > 0)
        strncpy(dst, src ? src : "", static_cast<size_t>(n));
    return 1;
}

int AnsiToWide(const char* src, char16_t* dst, int count) {
    if (!src || !dst || count < 1)
        return 0;
    for (int i = 0; i < count && src[i] != 0; ++i)
        dst[i] = static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(src[i])));
    return 1;
}

int WideToAnsi(const char16_t* src, char* dst, int count) {
    if (!src || !dst || count < 1)
        return 0;
    for (int i = 0; i < count && src[i] != 0; ++i)
        dst[i] = static_cast<char>(src[i] & 0xFF);
    return 1;
}

int StrToWide(const char* src, char16_t* dst, int count) {
    return AnsiToWide(src, dst, count);
}

int WideToStr(const char16_t* src, char* dst, int count) {
    return WideToAnsi(src, dst, count);
}
