// The CD and mixer stand-in: parses the "cdaudio" commands the CD player sends and answers as
// a drive would, holding the disc and mixers that tests give it.
#include "winapi/mm/WinMm.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "winapi/mm/MmTestHooks.h"

namespace winapi {
namespace {

struct MixerState {
    bool hasCdLine;
    DWORD volume;
};

struct MmState {
    int tracks = 0;
    bool open = false;
    bool playing = false;
    int track = 1;
    HWND notify = nullptr;
    std::vector<MixerState> mixers;
    std::vector<std::string> commands;
};

MmState& State() {
    static MmState state;
    return state;
}

constexpr DWORD kCdLineId = 0x10;
constexpr DWORD kVolumeControlBase = 0x100;

MCIERROR Answer(char* out, UINT length, const std::string& text) {
    if (out && length > 0)
        snprintf(out, length, "%s", text.c_str());
    return 0;
}

MixerState* MixerAt(HMIXEROBJ mixer) {
    const size_t index = reinterpret_cast<uintptr_t>(mixer);
    auto& mixers = State().mixers;
    return index < mixers.size() ? &mixers[index] : nullptr;
}

}  // namespace

void SetCdTracks(int tracks) {
    State().tracks = tracks > 0 ? tracks : 0;
    State().playing = false;
}

void SetMixers(const std::vector<bool>& withCdLine) {
    State().mixers.clear();
    for (const bool line : withCdLine)
        State().mixers.push_back(MixerState{line, 0});
}

DWORD MixerCdVolume(int mixer) {
    const auto& mixers = State().mixers;
    return mixer >= 0 && static_cast<size_t>(mixer) < mixers.size() ? mixers[static_cast<size_t>(mixer)].volume : 0;
}

const std::vector<std::string>& SentCommands() {
    return State().commands;
}

void ClearSentCommands() {
    State().commands.clear();
}

HWND LastNotifyWindow() {
    return State().notify;
}

}  // namespace winapi

MCIERROR mciSendStringA(LPCSTR command, char* returnString, UINT returnLength, HWND callback) {
    auto& state = winapi::State();
    if (returnString && returnLength > 0)
        returnString[0] = 0;
    if (!command)
        return MCIERR_UNRECOGNIZED_COMMAND;
    state.commands.emplace_back(command);
    std::istringstream words(command);
    std::string verb;
    std::string device;
    words >> verb >> device;
    if (device != "cdaudio")
        return MCIERR_UNRECOGNIZED_COMMAND;
    std::string rest;
    std::getline(words, rest);
    if (!rest.empty() && rest[0] == ' ')
        rest.erase(0, 1);

    if (verb == "open") {
        state.open = true;
        return 0;
    }
    if (verb == "close") {
        state.open = false;
        state.playing = false;
        return 0;
    }
    if (verb == "set")
        return rest == "time format tmsf" ? 0 : MCIERR_UNRECOGNIZED_COMMAND;
    if (verb == "stop") {
        state.playing = false;
        return 0;
    }
    if (verb == "play") {
        int from = 0;
        int to = 0;
        const bool parsed = sscanf(rest.c_str(), "from %d to %d", &from, &to) == 2 ||
                            sscanf(rest.c_str(), "from %d", &from) == 1;
        state.notify = rest.find("notify") != std::string::npos ? callback : nullptr;
        if (!parsed || state.tracks == 0 || from < 1 || from > state.tracks)
            return MCIERR_HARDWARE;
        state.track = from;
        state.playing = true;
        return 0;
    }
    if (verb == "status") {
        if (rest == "mode")
            return winapi::Answer(returnString, returnLength,
                                  state.tracks == 0 ? "not ready" : (state.playing ? "playing" : "stopped"));
        if (state.tracks == 0)
            return MCIERR_HARDWARE;  // no disc: no answer
        if (rest == "number of tracks")
            return winapi::Answer(returnString, returnLength, std::to_string(state.tracks));
        int track = 0;
        if (sscanf(rest.c_str(), "length track %d", &track) == 1 && track >= 1 && track <= state.tracks)
            return winapi::Answer(returnString, returnLength, "03:" + std::to_string(10 + track % 50) + ":00");
        return MCIERR_HARDWARE;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

UINT mixerGetNumDevs() {
    return static_cast<UINT>(winapi::State().mixers.size());
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ mixer, MIXERLINEA* line, DWORD flags) {
    winapi::MixerState* state = winapi::MixerAt(mixer);
    if (!state)
        return MMSYSERR_BADDEVICEID;
    if (!line || line->cbStruct != sizeof(MIXERLINEA) ||
        flags != (MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_COMPONENTTYPE))
        return MMSYSERR_INVALPARAM;
    if (line->dwComponentType != MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC || !state->hasCdLine)
        return MIXERR_INVALLINE;
    line->dwLineID = winapi::kCdLineId;
    line->cChannels = 2;
    line->cControls = 1;
    snprintf(line->szShortName, sizeof line->szShortName, "CD");
    snprintf(line->szName, sizeof line->szName, "CD Audio");
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ mixer, MIXERLINECONTROLSA* controls, DWORD flags) {
    winapi::MixerState* state = winapi::MixerAt(mixer);
    if (!state)
        return MMSYSERR_BADDEVICEID;
    if (!controls || controls->cbStruct != sizeof(MIXERLINECONTROLSA) || !controls->pamxctrl ||
        controls->cControls != 1 || controls->cbmxctrl != sizeof(MIXERCONTROLA) ||
        flags != (MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE))
        return MMSYSERR_INVALPARAM;
    if (controls->dwLineID != winapi::kCdLineId || !state->hasCdLine)
        return MIXERR_INVALLINE;
    if (controls->dwControlType != MIXERCONTROL_CONTROLTYPE_VOLUME)
        return MIXERR_INVALCONTROL;
    MIXERCONTROLA& control = *controls->pamxctrl;
    control.dwControlID = winapi::kVolumeControlBase + static_cast<DWORD>(reinterpret_cast<uintptr_t>(mixer));
    control.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    control.dwMinimum = 0;
    control.dwMaximum = 0xFFFF;
    return MMSYSERR_NOERROR;
}

static MMRESULT ControlValue(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD** value) {
    winapi::MixerState* state = winapi::MixerAt(mixer);
    if (!state)
        return MMSYSERR_BADDEVICEID;
    if (!details || details->cbStruct != sizeof(MIXERCONTROLDETAILS) || !details->paDetails ||
        details->cbDetails != sizeof(MIXERCONTROLDETAILS_UNSIGNED))
        return MMSYSERR_INVALPARAM;
    if (!state->hasCdLine ||
        details->dwControlID != winapi::kVolumeControlBase + static_cast<DWORD>(reinterpret_cast<uintptr_t>(mixer)))
        return MIXERR_INVALCONTROL;
    *value = &state->volume;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetControlDetailsA(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD /*flags*/) {
    DWORD* value = nullptr;
    const MMRESULT result = ControlValue(mixer, details, &value);
    if (result == MMSYSERR_NOERROR)
        static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails)->dwValue = *value;
    return result;
}

MMRESULT mixerSetControlDetails(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD /*flags*/) {
    DWORD* value = nullptr;
    const MMRESULT result = ControlValue(mixer, details, &value);
    if (result == MMSYSERR_NOERROR)
        *value = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails)->dwValue;
    return result;
}
