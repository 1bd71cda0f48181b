// A machine without sound output: OpenAL Soft is left with only its wave driver and no file to
// write, so no device opens. The OpenAL device says so, and the silent device takes over.
#include "engine/sound/SoundDeviceNull.h"
#include "engine/sound/SoundDeviceOpenAL.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/LogFile.h"
#include "engine/sound/Sound.h"
#include "tests/support/TempDir.h"

namespace {

class CSilentSound : public CSound {
public:
    int Open(const char*, int) override { return 1; }
    void Close() override {}
    int GetBitsPerSample() override { return 16; }
    int GetSampleRate() override { return 22050; }
    int GetFileSize() override { return 4000; }
    int GetDataSize() override { return 4000; }
    int GetFormat() override { return kMono16; }
    int Read(void*, int, int) override { return 0; }
    void Rewind() override {}
};

TEST(SoundDeviceMissingTest, InitFailsAndLogsThatNoDeviceOpened) {
    TempDir dir;
    const std::string logPath = dir.File("sound.log");
    CLogFile log(logPath.c_str());
    CSoundDeviceOpenAL device;
    EXPECT_EQ(device.Init(0, nullptr, 0, 2, 22050, 16, &log), 0);
    EXPECT_EQ(ReadText(logPath),
              "creating SoundDevice...\n"
              "\tCould not open AL Sound Device.\n"
              "failed creating SoundDevice...\n");
    EXPECT_EQ(device.m_pDevice, nullptr);
    EXPECT_EQ(device.m_pContext, nullptr);

    // What a caller may still do with it before giving up on it.
    CSilentSound sound;
    EXPECT_EQ(device.Play(CSoundDevice::kAnyVoice, &sound, 0, 0), -1);
    EXPECT_EQ(device.Play(0, &sound, 0, 1), -1);
    EXPECT_EQ(device.IsPlaying(0), 0);
    EXPECT_EQ(device.IsSoundPlaying(&sound), 0);
    EXPECT_EQ(device.FindVoice(&sound), -1);
    EXPECT_EQ(device.Update(), 0);
    device.Release();
    EXPECT_EQ(device.Init(0, nullptr, 0, 2, 22050, 16, nullptr), 0);
}

TEST(SoundDeviceMissingTest, SilentDeviceStandsInForEveryOperation) {
    CSoundDeviceNull silent;
    CSoundDevice& device = silent;
    CSilentSound sound;
    EXPECT_EQ(device.Init(0, nullptr, 0, 2, 22050, 16, nullptr), 1);

    struct Row {
        const char* name;
        int (*call)(CSoundDevice& device, CSound* sound, int voice);
        int result;
    };
    const Row rows[] = {
        {"Play", [](CSoundDevice& d, CSound* s, int v) { return d.Play(v, s, 1, 1); }, 0},
        {"StopSound", [](CSoundDevice& d, CSound* s, int) { return d.StopSound(s, 1); }, 1},
        {"Stop", [](CSoundDevice& d, CSound*, int v) { return d.Stop(v, 1); }, 1},
        {"Pause", [](CSoundDevice& d, CSound*, int v) { return d.Pause(v); }, 1},
        {"Resume", [](CSoundDevice& d, CSound*, int v) { return d.Resume(v); }, 1},
        {"SetFrequency", [](CSoundDevice& d, CSound*, int v) { return d.SetFrequency(v, 11025); }, 1},
        {"SetPan", [](CSoundDevice& d, CSound*, int v) { return d.SetPan(v, -10000); }, 1},
        {"SetVolume", [](CSoundDevice& d, CSound*, int v) { return d.SetVolume(v, -5000); }, 1},
        {"IsPlaying", [](CSoundDevice& d, CSound*, int v) { return d.IsPlaying(v); }, 1},
        {"IsSoundPlaying", [](CSoundDevice& d, CSound* s, int) { return d.IsSoundPlaying(s); }, 1},
        {"IsStreaming", [](CSoundDevice& d, CSound*, int v) { return d.IsStreaming(v); }, 1},
        {"IsSoundStreaming", [](CSoundDevice& d, CSound* s, int) { return d.IsSoundStreaming(s); }, 1},
        {"FindVoice", [](CSoundDevice& d, CSound* s, int) { return d.FindVoice(s); }, 0},
        {"GetVoiceSound", [](CSoundDevice& d, CSound*, int v) { return d.GetVoiceSound(v) ? 1 : 0; }, 0},
        {"Update", [](CSoundDevice& d, CSound*, int) { return d.Update(); }, 1},
    };
    const int voices[] = {0, 15, -1, CSoundDevice::kAnyVoice, CSoundDevice::kRestartAll, 1000};
    for (const Row& row : rows) {
        for (CSound* argument : {static_cast<CSound*>(&sound), static_cast<CSound*>(nullptr)}) {
            for (int voice : voices) {
                SCOPED_TRACE(std::string(row.name) + (argument ? " a sound" : " no sound") + " voice " +
                             std::to_string(voice));
                EXPECT_EQ(row.call(device, argument, voice), row.result);
            }
        }
    }
    device.Release();
}

}  // namespace
