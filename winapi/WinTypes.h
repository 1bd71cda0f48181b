// The basic scalar types of the platform calls the engine makes. Our own definitions:
// DWORD and LONG are 32-bit, handles and window user data are pointer-sized.
#pragma once

#include <cstdint>

typedef int32_t BOOL;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int64_t LONGLONG;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// A 64-bit integer that can also be read as its two 32-bit halves.
union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
