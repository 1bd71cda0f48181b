#include "tools/sound/SoundEncoders.h"

#include <cstring>

#include "engine/core/LittleEndian.h"

namespace {

constexpr uint32_t kHeaderSize = 44;

void Put16(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

std::vector<uint8_t> EncodeWave16(const std::vector<int16_t>& samples, int rate) {
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> file(kHeaderSize + dataSize);
    uint8_t* header = file.data();
    memcpy(header, "RIFF", 4);
    PutLittleEndian32(header + 4, kHeaderSize - 8 + dataSize);
    memcpy(header + 8, "WAVEfmt ", 8);
    PutLittleEndian32(header + 16, 16);                               // the "fmt " chunk's size
    Put16(header + 20, 1);                                            // PCM
    Put16(header + 22, 1);                                            // mono
    PutLittleEndian32(header + 24, static_cast<uint32_t>(rate));      // frames a second
    PutLittleEndian32(header + 28, static_cast<uint32_t>(rate) * 2);  // bytes a second
    Put16(header + 32, 2);                                            // bytes a frame
    Put16(header + 34, 16);                                           // bits a sample
    memcpy(header + 36, "data", 4);
    PutLittleEndian32(header + 40, dataSize);
    for (size_t i = 0; i < samples.size(); ++i)
        Put16(header + kHeaderSize + 2 * i, static_cast<uint16_t>(samples[i]));
    return file;
}
