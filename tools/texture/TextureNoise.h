// The texture tool's own random numbers: a seeded generator and lattice noise drawn from it,
// so the same recipe always gives the same pixels on every run.
#pragma once

#include <cstdint>

// SplitMix64: small, fast and the same everywhere.
class CTextureRandom {
public:
    explicit CTextureRandom(uint64_t seed) : m_state(seed) {}

    uint64_t Next();
    // In [0, 1).
    double Unit();

private:
    uint64_t m_state;
};

// Value noise on an integer lattice that repeats every `period` cells in x and y, so a
// texture sampling it over whole periods tiles; octaves double the frequency and the period.
class CTextureNoise {
public:
    explicit CTextureNoise(uint32_t seed) : m_seed(seed) {}

    // A lattice cell's value in [0, 1).
    double Cell(int x, int y, int periodX, int periodY, uint32_t octave = 0) const;
    // Smoothly interpolated between cells, in [0, 1).
    double Value(double x, double y, int periodX, int periodY, uint32_t octave = 0) const;
    // `octaves` layers, each of half the weight, scaled back to [0, 1).
    double Fractal(double x, double y, int periodX, int periodY, int octaves) const;

private:
    uint32_t m_seed;
};
