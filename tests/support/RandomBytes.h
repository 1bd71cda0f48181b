// Reproducible random bytes for fixtures: the same count and seed give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<uint8_t> RandomBytes(size_t count, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& value : bytes)
        value = static_cast<uint8_t>(byte(engine));
    return bytes;
}
