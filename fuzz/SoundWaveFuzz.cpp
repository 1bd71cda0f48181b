// WAV files from anywhere: refused, or a sound of one of the four formats whose reads stay
// inside its data. The same bytes read from a file (not in memory) give the same answer and
// the same samples.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/sound/SoundWave.h"

namespace {

// One file per fuzzing process for the file mode, removed at exit.
const std::string& ScratchPath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/fuzz_sound_wave_XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0)
            abort();
        close(fd);
        return std::string(pattern);
    }();
    static const bool removeAtExit = [] { return atexit([] { unlink(ScratchPath().c_str()); }) == 0; }();
    (void)removeAtExit;
    return path;
}

void WriteScratch(const uint8_t* data, size_t size) {
    FILE* file = fopen(ScratchPath().c_str(), "wb");
    if (!file || (size && fwrite(data, 1, size, file) != size) || fclose(file) != 0)
        abort();
}

void Check(bool condition) {
    if (!condition)
        abort();
}

// Reads at the position, checks the count and the bytes against the whole data.
void CheckRead(CSoundWave* wave, const std::vector<uint8_t>& all, int position, int size) {
    const int dataSize = static_cast<int>(all.size());
    const int available = position >= 0 && position <= dataSize ? dataSize - position : 0;
    const int expected = size == -1 ? available : std::max(0, std::min(size, available));
    std::vector<uint8_t> out(static_cast<size_t>(std::max(expected, 0)) + 16, 0xA5);
    const int got = wave->Read(out.data(), position, size);
    Check(got == expected);
    if (got > 0)
        Check(memcmp(out.data(), all.data() + position, static_cast<size_t>(got)) == 0);
    for (size_t i = static_cast<size_t>(std::max(got, 0)); i < out.size(); ++i)
        Check(out[i] == 0xA5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CSoundWave wave;
    const int opened = wave.OpenMemory(data, size);

    WriteScratch(data, size);
    CSoundWave streamed;
    Check(streamed.Open(ScratchPath().c_str(), 0) == opened);
    if (!opened) {
        Check(wave.GetDataSize() == 0 && wave.GetFormat() == 0 && !wave.m_pData);
        Check(!streamed.m_pFile);
        return 0;
    }

    const int format = wave.GetFormat();
    const int bits = wave.GetBitsPerSample();
    const int dataSize = wave.GetDataSize();
    Check(format >= CSound::kMono8 && format <= CSound::kStereo16);
    Check(bits == ((format == CSound::kMono16 || format == CSound::kStereo16) ? 16 : 8));
    Check(dataSize >= 0 && static_cast<size_t>(dataSize) <= size);
    Check(wave.GetFileSize() == dataSize);
    Check(wave.m_pData != nullptr);
    for (size_t i = 0; i < 31; ++i)
        Check(wave.m_pData[static_cast<size_t>(dataSize) + i] == 0);
    Check(streamed.GetFormat() == format && streamed.GetBitsPerSample() == bits &&
          streamed.GetSampleRate() == wave.GetSampleRate() && streamed.GetDataSize() == dataSize);

    // The whole data, which must lie in the input.
    std::vector<uint8_t> all(static_cast<size_t>(dataSize));
    Check(wave.Read(all.data(), 0, -1) == dataSize);
    Check(dataSize == 0 || memmem(data, size, all.data(), all.size()) != nullptr);

    for (CSoundWave* sound : {&wave, &streamed}) {
        for (const int position : {0, 1, dataSize / 2, dataSize - 1, dataSize, dataSize + 1, -1}) {
            for (const int count : {-1, 0, 1, 3, 4096})
                CheckRead(sound, all, position, count);
        }
        sound->Rewind();
        CheckRead(sound, all, 0, -1);
    }
    return 0;
}
