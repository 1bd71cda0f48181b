#include "winapi/base/WinRandom.h"

#include <cstdint>

namespace winapi {

namespace {
uint32_t g_state = 1;
}  // namespace

int rand() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

void srand(unsigned int seed) {
    g_state = seed;
}

}  // namespace winapi
