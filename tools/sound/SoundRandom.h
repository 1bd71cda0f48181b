// The sound tool's own random numbers: PCG32, small and the same on every machine, so a
// recipe's noise is the same on every run. Each stream is a sequence of its own, so a layer's
// noise does not change when another layer is added.
#pragma once

#include <cstdint>

class CSoundRandom {
public:
    CSoundRandom(uint64_t seed, uint64_t stream) : m_increment((stream << 1) | 1) {
        Next();
        m_state += seed;
        Next();
    }

    uint32_t Next() {
        const uint64_t old = m_state;
        m_state = old * 6364136223846793005ULL + m_increment;
        const uint32_t shuffled = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
        const uint32_t rotation = static_cast<uint32_t>(old >> 59);
        return (shuffled >> rotation) | (shuffled << ((32 - rotation) & 31));
    }
    // In [-1, 1).
    double Signed() { return Next() / 2147483648.0 - 1.0; }

private:
    uint64_t m_state = 0;
    uint64_t m_increment;
};
