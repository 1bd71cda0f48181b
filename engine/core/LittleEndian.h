// 32-bit numbers in file byte order, little-endian whatever the machine.
#pragma once

#include <cstdint>

inline void PutLittleEndian32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t GetLittleEndian32(const uint8_t* in) {
    return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}
