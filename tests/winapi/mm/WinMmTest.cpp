// The multimedia stand-in: the "cdaudio" command strings and the mixers' compact-disc line.
#include "winapi/mm/MmTestHooks.h"
#include "winapi/mm/WinMm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaveOutComponent = 0x00001008;  // a source line that is not the CD's
constexpr DWORD kMuteControlType = 0x20010002;
constexpr DWORD kLineInfoFlags = MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_COMPONENTTYPE;
constexpr DWORD kControlsFlags = MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE;
constexpr DWORD kDetailsFlags = MIXER_OBJECTF_MIXER | MIXER_GETCONTROLDETAILSF_VALUE;

HMIXEROBJ Mixer(uintptr_t index) {
    return reinterpret_cast<HMIXEROBJ>(index);
}

HWND FakeWindow(uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}

struct Reply {
    MCIERROR error;
    std::string answer;
};

// The answer buffer starts full of garbage, so an answer left untouched shows.
Reply Send(const char* command, HWND callback = nullptr) {
    char answer[64];
    memset(answer, '#', sizeof answer - 1);
    answer[sizeof answer - 1] = 0;
    const MCIERROR error = mciSendStringA(command, answer, sizeof answer, callback);
    return Reply{error, answer};
}

MIXERLINEA CdLineRequest() {
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;
    return line;
}

// A request for one control by type, pointing into itself.
struct ControlsRequest {
    MIXERCONTROLA control{};
    MIXERLINECONTROLSA controls{};

    ControlsRequest(DWORD lineId, DWORD controlType) {
        control.cbStruct = sizeof control;
        controls.cbStruct = sizeof controls;
        controls.dwLineID = lineId;
        controls.dwControlType = controlType;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof control;
        controls.pamxctrl = &control;
    }
    ControlsRequest(const ControlsRequest&) = delete;
    ControlsRequest& operator=(const ControlsRequest&) = delete;
};

// One unsigned value of a control, pointing into itself.
struct DetailsRequest {
    MIXERCONTROLDETAILS_UNSIGNED value{};
    MIXERCONTROLDETAILS details{};

    DetailsRequest(DWORD controlId, DWORD initial) {
        value.dwValue = initial;
        details.cbStruct = sizeof details;
        details.dwControlID = controlId;
        details.cChannels = 1;
        details.cbDetails = sizeof value;
        details.paDetails = &value;
    }
    DetailsRequest(const DetailsRequest&) = delete;
    DetailsRequest& operator=(const DetailsRequest&) = delete;
};

class WinMmTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() {
        winapi::SetCdTracks(0);
        winapi::SetMixers({});
        winapi::ClearSentCommands();
    }

    // The CD line's volume control of a mixer, found the way a program finds it.
    static DWORD VolumeControlId(uintptr_t mixer) {
        MIXERLINEA line = CdLineRequest();
        EXPECT_EQ(mixerGetLineInfoA(Mixer(mixer), &line, kLineInfoFlags), MMSYSERR_NOERROR);
        ControlsRequest request(line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME);
        EXPECT_EQ(mixerGetLineControlsA(Mixer(mixer), &request.controls, kControlsFlags), MMSYSERR_NOERROR);
        return request.control.dwControlID;
    }
};

// --- Command strings ------------------------------------------------------------------------

TEST_F(WinMmTest, ADiscAnswersLikeADrive) {
    winapi::SetCdTracks(12);
    struct Step {
        const char* command;
        const char* answer;
    };
    const Step steps[] = {
        {"open cdaudio", ""},
        {"set cdaudio time format tmsf", ""},
        {"status cdaudio number of tracks", "12"},
        {"status cdaudio length track 3", "03:13:00"},
        {"status cdaudio length track 12", "03:22:00"},
        {"status cdaudio mode", "stopped"},
        {"play cdaudio from 3 to 4 notify", ""},
        {"status cdaudio mode", "playing"},
        {"stop cdaudio", ""},
        {"status cdaudio mode", "stopped"},
        {"play cdaudio from 12", ""},
        {"status cdaudio mode", "playing"},
        {"close cdaudio", ""},
        {"status cdaudio mode", "stopped"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        const Reply reply = Send(step.command);
        EXPECT_EQ(reply.error, 0u);
        EXPECT_EQ(reply.answer, step.answer);
    }
}

TEST_F(WinMmTest, WithoutADiscThereAreNoTracksAndNothingPlays) {
    struct Step {
        const char* command;
        MCIERROR error;
        const char* answer;
    };
    const Step steps[] = {
        {"open cdaudio", 0, ""},
        {"status cdaudio number of tracks", MCIERR_HARDWARE, ""},
        {"status cdaudio length track 1", MCIERR_HARDWARE, ""},
        {"status cdaudio mode", 0, "not ready"},
        {"play cdaudio from 1 notify", MCIERR_HARDWARE, ""},
        {"status cdaudio mode", 0, "not ready"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        const Reply reply = Send(step.command);
        EXPECT_EQ(reply.error, step.error);
        EXPECT_EQ(reply.answer, step.answer);
    }
}

TEST_F(WinMmTest, UnknownAndMalformedCommandsFailWithAnEmptyAnswer) {
    winapi::SetCdTracks(5);
    struct Case {
        const char* command;
        MCIERROR error;
    };
    const Case cases[] = {
        {"", MCIERR_UNRECOGNIZED_COMMAND},
        {"status", MCIERR_UNRECOGNIZED_COMMAND},
        {"eject cdaudio", MCIERR_UNRECOGNIZED_COMMAND},
        {"open waveaudio", MCIERR_UNRECOGNIZED_COMMAND},
        {"status sequencer mode", MCIERR_UNRECOGNIZED_COMMAND},
        {"set cdaudio time format milliseconds", MCIERR_UNRECOGNIZED_COMMAND},
        {"status cdaudio volume", MCIERR_HARDWARE},
        {"status cdaudio length track 0", MCIERR_HARDWARE},
        {"status cdaudio length track 6", MCIERR_HARDWARE},
        {"status cdaudio length track x", MCIERR_HARDWARE},
        {"play cdaudio", MCIERR_HARDWARE},
        {"play cdaudio from x notify", MCIERR_HARDWARE},
        {"play cdaudio from 0", MCIERR_HARDWARE},
        {"play cdaudio from 6 notify", MCIERR_HARDWARE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const Reply reply = Send(c.command);
        EXPECT_EQ(reply.error, c.error);
        EXPECT_EQ(reply.answer, "");
    }
    // None of the refused plays started the disc.
    EXPECT_EQ(Send("status cdaudio mode").answer, "stopped");

    char answer[8] = "#######";
    EXPECT_EQ(mciSendStringA(nullptr, answer, sizeof answer, nullptr), MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_STREQ(answer, "");
}

TEST_F(WinMmTest, AnswersStayInsideTheGivenLength) {
    winapi::SetCdTracks(12);
    struct Case {
        const char* command;
        UINT length;
        std::string buffer;  // all eight bytes afterwards
    };
    const Case cases[] = {
        {"status cdaudio number of tracks", 0, std::string("########", 8)},
        {"status cdaudio number of tracks", 1, std::string("\0#######", 8)},
        {"status cdaudio number of tracks", 2, std::string("1\0######", 8)},
        {"status cdaudio number of tracks", 3, std::string("12\0#####", 8)},
        {"status cdaudio number of tracks", 8, std::string("12\0#####", 8)},
        {"status cdaudio mode", 4, std::string("sto\0####", 8)},
        {"status cdaudio mode", 8, std::string("stopped\0", 8)},
        {"status cdaudio length track 1", 7, std::string("03:11:\0#", 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " into " + std::to_string(c.length));
        char buffer[8];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(mciSendStringA(c.command, buffer, c.length, nullptr), 0u);
        EXPECT_EQ(std::string(buffer, sizeof buffer), c.buffer);
    }
    EXPECT_EQ(mciSendStringA("status cdaudio number of tracks", nullptr, 64, nullptr), 0u);
    EXPECT_EQ(mciSendStringA("status cdaudio mode", nullptr, 0, nullptr), 0u);
}

TEST_F(WinMmTest, EveryCommandIsRecordedInOrderUntilCleared) {
    winapi::SetCdTracks(3);
    const std::vector<std::string> sent = {"open cdaudio", "bogus", "status cdaudio mode",
                                           "play cdaudio from 9 notify"};
    for (const std::string& command : sent)
        Send(command.c_str());
    EXPECT_EQ(winapi::SentCommands(), sent);
    winapi::ClearSentCommands();
    EXPECT_TRUE(winapi::SentCommands().empty());
}

TEST_F(WinMmTest, OnlyAPlayAskingForNotificationNamesTheWindow) {
    winapi::SetCdTracks(3);
    const HWND game = FakeWindow(0x1000);
    const HWND other = FakeWindow(0x2000);
    struct Step {
        const char* command;
        HWND callback;
        HWND notified;
    };
    const Step steps[] = {
        {"play cdaudio from 1 to 2 notify", game, game},
        // Commands other than play leave the recorded window alone.
        {"status cdaudio mode", other, game},
        {"stop cdaudio", other, game},
        {"play cdaudio from 2", other, nullptr},
        {"play cdaudio from 3 notify", other, other},
        {"play cdaudio from 1 notify", nullptr, nullptr},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        Send(step.command, step.callback);
        EXPECT_EQ(winapi::LastNotifyWindow(), step.notified);
    }
}

// --- Mixers ---------------------------------------------------------------------------------

TEST_F(WinMmTest, DeviceCountIsTheNumberOfMixersGiven) {
    EXPECT_EQ(mixerGetNumDevs(), 0u);
    winapi::SetMixers({true, false, true});
    EXPECT_EQ(mixerGetNumDevs(), 3u);
    winapi::SetMixers({false});
    EXPECT_EQ(mixerGetNumDevs(), 1u);
}

TEST_F(WinMmTest, LineInfoFindsOnlyTheCompactDiscLine) {
    winapi::SetMixers({true, false});
    MIXERLINEA found = CdLineRequest();
    ASSERT_EQ(mixerGetLineInfoA(Mixer(0), &found, kLineInfoFlags), MMSYSERR_NOERROR);
    EXPECT_NE(found.dwLineID, 0u);
    EXPECT_EQ(found.cControls, 1u);
    EXPECT_EQ(found.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC);

    struct Case {
        const char* name;
        uintptr_t mixer;
        DWORD componentType;
        DWORD cbStruct;
        DWORD flags;
        MMRESULT expected;
    };
    const DWORD cd = MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;
    const DWORD size = sizeof(MIXERLINEA);
    const Case cases[] = {
        {"mixer without a CD line", 1, cd, size, kLineInfoFlags, MIXERR_INVALLINE},
        {"another component", 0, kWaveOutComponent, size, kLineInfoFlags, MIXERR_INVALLINE},
        {"no such mixer", 2, cd, size, kLineInfoFlags, MMSYSERR_BADDEVICEID},
        {"structure too small", 0, cd, size - 4, kLineInfoFlags, MMSYSERR_INVALPARAM},
        {"line by destination", 0, cd, size, MIXER_OBJECTF_MIXER, MMSYSERR_INVALPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MIXERLINEA line = CdLineRequest();
        line.dwComponentType = c.componentType;
        line.cbStruct = c.cbStruct;
        EXPECT_EQ(mixerGetLineInfoA(Mixer(c.mixer), &line, c.flags), c.expected);
        EXPECT_EQ(line.dwLineID, 0u);
    }
    EXPECT_EQ(mixerGetLineInfoA(Mixer(0), nullptr, kLineInfoFlags), MMSYSERR_INVALPARAM);
}

TEST_F(WinMmTest, TheCompactDiscLineHasOneVolumeControlPerMixer) {
    winapi::SetMixers({true, false, true});
    MIXERLINEA line = CdLineRequest();
    ASSERT_EQ(mixerGetLineInfoA(Mixer(0), &line, kLineInfoFlags), MMSYSERR_NOERROR);
    ControlsRequest volume(line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME);
    ASSERT_EQ(mixerGetLineControlsA(Mixer(0), &volume.controls, kControlsFlags), MMSYSERR_NOERROR);
    EXPECT_EQ(volume.control.dwControlType, MIXERCONTROL_CONTROLTYPE_VOLUME);
    EXPECT_EQ(volume.control.dwMinimum, 0u);
    EXPECT_EQ(volume.control.dwMaximum, 0xFFFFu);
    EXPECT_NE(volume.control.dwControlID, 0u);
    EXPECT_NE(VolumeControlId(0), VolumeControlId(2));

    using Spoil = void (*)(ControlsRequest*);
    struct Case {
        const char* name;
        uintptr_t mixer;
        DWORD lineId;
        DWORD controlType;
        Spoil spoil;
        MMRESULT expected;
    };
    const Spoil keep = [](ControlsRequest*) {};
    const DWORD cdLine = line.dwLineID;
    const DWORD vol = MIXERCONTROL_CONTROLTYPE_VOLUME;
    const Case cases[] = {
        {"mute control", 0, cdLine, kMuteControlType, keep, MIXERR_INVALCONTROL},
        {"unknown line", 0, cdLine + 1, vol, keep, MIXERR_INVALLINE},
        {"mixer without a CD line", 1, cdLine, vol, keep, MIXERR_INVALLINE},
        {"no such mixer", 3, cdLine, vol, keep, MMSYSERR_BADDEVICEID},
        {"two controls asked for", 0, cdLine, vol, [](ControlsRequest* r) { r->controls.cControls = 2; },
         MMSYSERR_INVALPARAM},
        {"control structure too small", 0, cdLine, vol,
         [](ControlsRequest* r) { r->controls.cbmxctrl = sizeof(MIXERCONTROLA) - 4; }, MMSYSERR_INVALPARAM},
        {"request structure too small", 0, cdLine, vol,
         [](ControlsRequest* r) { r->controls.cbStruct = sizeof(MIXERLINECONTROLSA) - 8; }, MMSYSERR_INVALPARAM},
        {"no control array", 0, cdLine, vol, [](ControlsRequest* r) { r->controls.pamxctrl = nullptr; },
         MMSYSERR_INVALPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControlsRequest request(c.lineId, c.controlType);
        c.spoil(&request);
        EXPECT_EQ(mixerGetLineControlsA(Mixer(c.mixer), &request.controls, kControlsFlags), c.expected);
        EXPECT_EQ(request.control.dwControlID, 0u);
    }
    EXPECT_EQ(mixerGetLineControlsA(Mixer(0), nullptr, kControlsFlags), MMSYSERR_INVALPARAM);
}

TEST_F(WinMmTest, EachMixerKeepsTheVolumeSetOnIt) {
    winapi::SetMixers({true, false, true});
    const DWORD first = VolumeControlId(0);
    const DWORD third = VolumeControlId(2);

    DetailsRequest setFirst(first, 1000);
    DetailsRequest setThird(third, 0xFFFF);
    ASSERT_EQ(mixerSetControlDetails(Mixer(0), &setFirst.details, kDetailsFlags), MMSYSERR_NOERROR);
    ASSERT_EQ(mixerSetControlDetails(Mixer(2), &setThird.details, kDetailsFlags), MMSYSERR_NOERROR);
    EXPECT_EQ(winapi::MixerCdVolume(0), 1000u);
    EXPECT_EQ(winapi::MixerCdVolume(1), 0u);
    EXPECT_EQ(winapi::MixerCdVolume(2), 0xFFFFu);

    DetailsRequest readFirst(first, 7);
    DetailsRequest readThird(third, 7);
    ASSERT_EQ(mixerGetControlDetailsA(Mixer(0), &readFirst.details, kDetailsFlags), MMSYSERR_NOERROR);
    ASSERT_EQ(mixerGetControlDetailsA(Mixer(2), &readThird.details, kDetailsFlags), MMSYSERR_NOERROR);
    EXPECT_EQ(readFirst.value.dwValue, 1000u);
    EXPECT_EQ(readThird.value.dwValue, 0xFFFFu);

    // Mixers given anew start silent.
    winapi::SetMixers({true});
    EXPECT_EQ(winapi::MixerCdVolume(0), 0u);
    EXPECT_EQ(winapi::MixerCdVolume(5), 0u);
}

TEST_F(WinMmTest, ControlDetailsRefuseBadRequestsWithoutTouchingAnything) {
    winapi::SetMixers({true, false, true});
    const DWORD first = VolumeControlId(0);
    DetailsRequest start(first, 500);
    ASSERT_EQ(mixerSetControlDetails(Mixer(0), &start.details, kDetailsFlags), MMSYSERR_NOERROR);

    using Spoil = void (*)(DetailsRequest*);
    struct Case {
        const char* name;
        uintptr_t mixer;
        DWORD controlId;
        Spoil spoil;
        MMRESULT expected;
    };
    const Spoil keep = [](DetailsRequest*) {};
    const Case cases[] = {
        {"no such mixer", 3, first, keep, MMSYSERR_BADDEVICEID},
        {"far beyond the mixers", 1000, first, keep, MMSYSERR_BADDEVICEID},
        {"another mixer's control", 2, first, keep, MIXERR_INVALCONTROL},
        {"mixer without a CD line", 1, first, keep, MIXERR_INVALCONTROL},
        {"unknown control", 0, first + 50, keep, MIXERR_INVALCONTROL},
        {"value too small", 0, first, [](DetailsRequest* r) { r->details.cbDetails = 2; }, MMSYSERR_INVALPARAM},
        {"value too large", 0, first, [](DetailsRequest* r) { r->details.cbDetails = 8; }, MMSYSERR_INVALPARAM},
        {"structure too small", 0, first,
         [](DetailsRequest* r) { r->details.cbStruct = sizeof(MIXERCONTROLDETAILS) - 8; }, MMSYSERR_INVALPARAM},
        {"no value", 0, first, [](DetailsRequest* r) { r->details.paDetails = nullptr; }, MMSYSERR_INVALPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailsRequest read(c.controlId, 7);
        c.spoil(&read);
        EXPECT_EQ(mixerGetControlDetailsA(Mixer(c.mixer), &read.details, kDetailsFlags), c.expected);
        EXPECT_EQ(read.value.dwValue, 7u);

        DetailsRequest write(c.controlId, 9999);
        c.spoil(&write);
        EXPECT_EQ(mixerSetControlDetails(Mixer(c.mixer), &write.details, kDetailsFlags), c.expected);
        EXPECT_EQ(winapi::MixerCdVolume(0), 500u);
        EXPECT_EQ(winapi::MixerCdVolume(1), 0u);
        EXPECT_EQ(winapi::MixerCdVolume(2), 0u);
    }
    EXPECT_EQ(mixerGetControlDetailsA(Mixer(0), nullptr, kDetailsFlags), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mixerSetControlDetails(Mixer(0), nullptr, kDetailsFlags), MMSYSERR_INVALPARAM);
}

}  // namespace
