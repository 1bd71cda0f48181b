// Release must hand every source and buffer back before it closes the device: OpenAL Soft
// warns in its log (ALSOFT_LOGLEVEL=2, ALSOFT_LOGFILE) about each one it has to delete itself,
// and about every failed call such as deleting a buffer still attached to a source.
#include "engine/sound/SoundDeviceOpenAL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/sound/Sound.h"
#include "tests/support/TempDir.h"

namespace {

class CToneSound : public CSound {
public:
    CToneSound(int format, int dataSize) : m_format(format), m_dataSize(dataSize) {}
    int Open(const char*, int) override { return 1; }
    void Close() override {}
    int GetBitsPerSample() override { return m_format == kMono8 || m_format == kStereo8 ? 8 : 16; }
    int GetSampleRate() override { return 22050; }
    int GetFileSize() override { return m_dataSize; }
    int GetDataSize() override { return m_dataSize; }
    int GetFormat() override { return m_format; }
    int Read(void* destination, int position, int size) override {
        const int delivered = std::max(0, std::min(size, m_dataSize - position));
        std::fill_n(static_cast<uint8_t*>(destination), delivered, uint8_t{0x40});
        return delivered;
    }
    void Rewind() override {}

private:
    int m_format;
    int m_dataSize;
};

std::vector<std::string> WarningsAbout(const std::string& log, const std::vector<std::string>& topics) {
    std::vector<std::string> found;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        for (const std::string& topic : topics) {
            if (line.find(topic) != std::string::npos)
                found.push_back(line);
        }
    }
    return found;
}

TEST(SoundDeviceReleaseTest, ReleaseLeavesOpenALNothingToCleanUp) {
    const char* logPath = getenv("ALSOFT_LOGFILE");
    if (!logPath)
        GTEST_SKIP() << "needs ALSOFT_LOGFILE and ALSOFT_LOGLEVEL=2";

    CToneSound shortSound(CSound::kMono16, 4000);
    CToneSound otherSound(CSound::kStereo8, 3000);
    CToneSound music(CSound::kStereo16, 1000000);
    {
        CSoundDeviceOpenAL device;
        ASSERT_EQ(device.Init(0, nullptr, 0, 2, 22050, 16, nullptr), 1);
        // Voices in every state: playing, streaming, paused, stopped, replaced, unused.
        ASSERT_EQ(device.Play(0, &shortSound, 1, 0), 0);
        ASSERT_EQ(device.Play(1, &music, 1, 1), 1);
        ASSERT_EQ(device.Play(2, &otherSound, 1, 0), 2);
        device.Pause(2);
        ASSERT_EQ(device.Play(3, &otherSound, 0, 0), 3);
        device.Stop(3, 1);
        ASSERT_EQ(device.Play(4, &shortSound, 1, 0), 4);
        ASSERT_EQ(device.Play(4, &music, 1, 1), 4);
        device.Update();
        device.Release();

        // Init releases what an earlier Init made; the destructor releases the rest.
        ASSERT_EQ(device.Init(0, nullptr, 0, 2, 22050, 16, nullptr), 1);
        ASSERT_EQ(device.Play(5, &music, 0, 1), 5);
        ASSERT_EQ(device.Init(0, nullptr, 0, 2, 11025, 8, nullptr), 1);
        ASSERT_EQ(device.Play(6, &shortSound, 1, 0), 6);
    }

    // OpenAL Soft buffers its log; flushing every stream of the process reaches it too.
    fflush(nullptr);
    const std::string log = ReadText(logPath);
    ASSERT_NE(log, "") << "OpenAL Soft wrote no log";
    // Errors on the device itself stay allowed: opening the "DirectSound" device fails here.
    const std::vector<std::string> topics = {"ReleaseAL", "Error generated on context", "Releasing context"};
    EXPECT_EQ(WarningsAbout(log, topics), std::vector<std::string>{}) << log;
}

}  // namespace
