// The C run-time's random numbers as the engine expects them: 0 to 32767 from a linear
// congruential generator seeded with 1 at start, the same sequence on every platform. Kept
// in a namespace so that the C library's own rand and srand stay as they are for every
// other library in the process.
#pragma once

namespace winapi {

constexpr int kRandMax = 32767;

// x = x * 214013 + 2531011; the result is (x >> 16) & 0x7FFF.
int rand();
void srand(unsigned int seed);

}  // namespace winapi
