#include "engine/core/Random.h"

#include "winapi/base/WinRandom.h"

static_assert(kRandomMax == winapi::kRandMax, "the engine's range is the generator's");

void SeedRandomNumbers(unsigned int seed) {
    winapi::srand(seed);
}

int NextRandomNumber() {
    return winapi::rand();
}
