// The basic types of the platform calls the engine makes. Our own definitions: DWORD and
// LONG are 32-bit; handles, window user data and message parameters are pointer-sized.
#pragma once

#include <cstdint>

typedef int32_t BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef int32_t HRESULT;
typedef int64_t LONGLONG;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uint16_t ATOM;
typedef const char* LPCSTR;
typedef char* LPSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
// The calling convention of the platform's entry points; one convention here.
#define WINAPI

// Handles are opaque: distinct pointer types that never point at anything the engine reads.
#define BRENLOW_DECLARE_HANDLE(name) \
    struct name##__;                 \
    typedef name##__* name
BRENLOW_DECLARE_HANDLE(HWND);
BRENLOW_DECLARE_HANDLE(HINSTANCE);
BRENLOW_DECLARE_HANDLE(HICON);
BRENLOW_DECLARE_HANDLE(HCURSOR);
BRENLOW_DECLARE_HANDLE(HDC);
BRENLOW_DECLARE_HANDLE(HBRUSH);
BRENLOW_DECLARE_HANDLE(HMENU);
BRENLOW_DECLARE_HANDLE(HKL);
BRENLOW_DECLARE_HANDLE(HGDIOBJ);
typedef HINSTANCE HMODULE;
#undef BRENLOW_DECLARE_HANDLE

// A handle of no particular kind (shared resources, searches). A failed open gives
// INVALID_HANDLE_VALUE, all bits set, not null.
typedef void* HANDLE;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(~static_cast<uintptr_t>(0)))

// A function found by name; cast to its real type before calling it.
typedef void (*FARPROC)();

// A 64-bit integer that can also be read as its two 32-bit halves.
union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i])
            return false;
    }
    return true;
}

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
