// The floating-point control word of the C run-time, as far as the game sets it: a stand-in
// that changes nothing. On x86-64 floats are computed in SSE at the precision of their type,
// so single-precision arithmetic is already single precision; narrowing the x87 unit to 24
// bits would only degrade the x87 code that remains, such as the C library's long-double
// functions.
#pragma once

// Precision control: the mask of its field and its single-precision value.
inline constexpr unsigned int _MCW_PC = 0x30000;
inline constexpr unsigned int _PC_24 = 0x20000;

// Returns the control word, which stays as the process started.
unsigned int _controlfp(unsigned int newValue, unsigned int mask);
