// Helpers on plain zero-terminated byte strings and on 16-bit character strings.
#pragma once

#include <cstddef>

// Frees `oldBuffer` and returns null for size 0; otherwise a new zero-filled block of `size`
// bytes holding the old text (at most size - 1 characters), the old block freed.
char* StrResize(char* oldBuffer, size_t size);

// 1 when both strings are equal (case-sensitive), else 0; null equals nothing.
int StrEqualPrefix(const char* a, const char* b);
// 0 when either is null or both are equal; else the sign of (b - a) at the first differing
// byte, both read as signed bytes. Callers test only for 0.
int StrCompare(const char* a, const char* b);
// Appends at most n characters of src to dst and terminates it; the new terminator, or null
// when n is not positive or a string is null.
char* StrAppendN(char* dst, const char* src, int n);
// The first place where the whole pattern stands in text; text for an empty pattern; null
// when absent or when either is null.
const char* StrFind(const char* text, const char* pattern);
// strncpy(dst, src, n): pads with zeros, adds no terminator when src has n characters or more.
// 1 when dst is not null, else 0.
int SafeStrCopy(const char* src, char* dst, int n);

// Copy each byte, sign-extended to 16 bits, until src's terminator or count characters;
// writes no terminator. 0 when an argument is null or count is below 1, else 1.
int AnsiToWide(const char* src, char16_t* dst, int count);
// The same in the other direction: the low byte of each 16-bit character.
int WideToAnsi(const char16_t* src, char* dst, int count);
int StrToWide(const char* src, char16_t* dst, int count);
int WideToStr(const char16_t* src, char* dst, int count);
