// The engine's random numbers: the C run-time's generator as the platform layer keeps it,
// 0 to kRandomMax, one sequence per process, the same on every platform.
#pragma once

constexpr int kRandomMax = 32767;

void SeedRandomNumbers(unsigned int seed);
// The next number of the sequence, 0 to kRandomMax.
int NextRandomNumber();
