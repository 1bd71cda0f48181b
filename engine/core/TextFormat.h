// The engine's printf-style formatter. It copies text and "%s" arguments itself and hands
// every other directive, one at a time, to the C library. Both entry points walk the same
// rules, so the length one measures is the length the other writes.
#pragma once

#include <cstdarg>

// The number of characters the format produces with the arguments; writes nothing.
int FormattedLength(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));

// Writes at most kFormatBufferLimit characters into buffer, then a terminator when room is
// left; returns the number of characters produced, also those that did not fit.
int FormatToBuffer(char* buffer, const char* format, va_list arguments)
    __attribute__((format(printf, 2, 0)));

constexpr int kFormatBufferLimit = 0x20000;
