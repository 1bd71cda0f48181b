// What the tests of the sound file readers share: the ways a file is opened, reads into a
// guarded buffer, and a fixture that writes edited files to a folder of its own and expects
// them read or refused every way, refused ones leaving the sound closed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/sound/Sound.h"
#include "tests/support/TempDir.h"

using Bytes = std::vector<uint8_t>;

inline Bytes Slice(const Bytes& bytes, size_t from, size_t count) {
    from = std::min(from, bytes.size());
    count = std::min(count, bytes.size() - from);
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

inline Bytes Prefix(const Bytes& bytes, size_t count) {
    return Slice(bytes, 0, count);
}

// Open in memory (1) and from the file (0), and OpenMemory on the file's bytes (2).
constexpr int kModes[] = {1, 0};
constexpr int kAllModes[] = {1, 0, 2};

inline const char* ModeName(int mode) {
    return mode == 2 ? "OpenMemory" : mode ? "in memory" : "from the file";
}

// What a read may change in the caller's buffer past the bytes it delivers.
enum class EReadSpill {
    kNothing,
    kRequestedSpan,  // a sound that clears the span it was asked for before filling it
};

constexpr uint8_t kUnwritten = 0xCD;

// Reads from the position into a buffer of kUnwritten bytes and returns what was delivered.
inline Bytes ReadGuarded(CSound* sound, int position, int size, EReadSpill spill) {
    const size_t room = static_cast<size_t>(std::max(sound->GetDataSize(), 0)) + 64;
    Bytes out(room, kUnwritten);
    const int got = sound->Read(out.data(), position, size);
    EXPECT_GE(got, 0);
    if (got < 0)
        return {};
    EXPECT_LE(static_cast<size_t>(got), out.size());
    if (spill == EReadSpill::kNothing) {
        for (size_t i = static_cast<size_t>(got); i < out.size(); ++i) {
            if (out[i] != kUnwritten) {
                ADD_FAILURE() << "Read wrote past the " << got << " bytes it delivered, at " << i;
                break;
            }
        }
    }
    out.resize(static_cast<size_t>(got));
    return out;
}

// A fixture over one sound class, which must have OpenMemory(data, size) besides Open.
template <class TSound>
class SoundFileTest : public ::testing::Test {
protected:
    SoundFileTest(const char* extension, EReadSpill spill) : m_extension(extension), m_spill(spill) {}

    // The sound holds nothing of a file any more: each class says what it would hold.
    virtual void ExpectHoldsNothing(TSound* sound) = 0;

    std::string Write(const Bytes& bytes) {
        const std::string path = m_dir.File("edited" + std::to_string(m_nextFile++) + m_extension);
        WriteBytes(path, bytes.data(), bytes.size());
        return path;
    }

    // Opens the file in one of the modes above.
    int OpenIn(TSound* sound, int mode, const std::string& path) {
        if (mode != 2)
            return sound->Open(path.c_str(), mode);
        const Bytes bytes = ReadBytes(path);
        return sound->OpenMemory(bytes.data(), bytes.size());
    }

    Bytes ReadAt(CSound* sound, int position, int size) { return ReadGuarded(sound, position, size, m_spill); }
    Bytes ReadAll(CSound* sound) { return ReadAt(sound, 0, -1); }

    // A closed sound: zero everywhere, reads nothing and writes nothing.
    void ExpectClosed(TSound* sound) {
        // Reading all of a sound that is not closed would write past the buffer below.
        ASSERT_EQ(sound->GetDataSize(), 0);
        EXPECT_EQ(sound->GetFileSize(), 0);
        EXPECT_EQ(sound->GetFormat(), 0);
        EXPECT_EQ(sound->GetBitsPerSample(), 0);
        EXPECT_EQ(sound->GetSampleRate(), 0);
        ExpectHoldsNothing(sound);
        uint8_t bytes[8];
        std::fill(std::begin(bytes), std::end(bytes), kUnwritten);
        EXPECT_EQ(sound->Read(bytes, 0, -1), 0);
        EXPECT_TRUE(std::all_of(std::begin(bytes), std::end(bytes), [](uint8_t b) { return b == kUnwritten; }));
        sound->Rewind();
    }

    // The file refused in every mode, leaving the sound closed.
    void ExpectRefused(const Bytes& file) {
        const std::string path = Write(file);
        for (const int mode : kAllModes) {
            SCOPED_TRACE(ModeName(mode));
            TSound sound;
            EXPECT_EQ(OpenIn(&sound, mode, path), 0);
            ExpectClosed(&sound);
        }
    }

    TempDir m_dir;
    int m_nextFile = 0;

private:
    std::string m_extension;
    EReadSpill m_spill;
};
