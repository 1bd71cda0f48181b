#include "engine/sound/CDAudio.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/platform/Viewport.h"
#include "winapi/mm/WinMm.h"

namespace {

HMIXEROBJ MixerHandle(UINT index) {
    return reinterpret_cast<HMIXEROBJ>(static_cast<uintptr_t>(index));
}

}  // namespace

CCDAudio::CCDAudio() {
    mciSendStringA("open cdaudio", m_szResult, sizeof m_szResult, nullptr);
    mciSendStringA("set cdaudio time format tmsf", m_szResult, sizeof m_szResult, nullptr);
    InitMixer();
}

CCDAudio::~CCDAudio() {
    mciSendStringA("stop cdaudio", m_szResult, sizeof m_szResult, nullptr);
    mciSendStringA("close cdaudio", m_szResult, sizeof m_szResult, nullptr);
}

unsigned CCDAudio::Send(const char* command, unsigned answerLength) {
    m_szResult[0] = 0;
    return mciSendStringA(command, m_szResult, answerLength,
                          m_pNotifyWindow ? m_pNotifyWindow->GetWindowHandle() : nullptr);
}

void CCDAudio::InitMixer() {
    m_nMixers = 0;
    const UINT count = mixerGetNumDevs();
    for (UINT index = 0; index < count && m_nMixers < kMaxMixers; ++index) {
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;
        if (mixerGetLineInfoA(MixerHandle(index), &line, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
            MMSYSERR_NOERROR)
            continue;
        MIXERCONTROLA control{};
        control.cbStruct = sizeof control;
        MIXERLINECONTROLSA controls{};
        controls.cbStruct = sizeof controls;
        controls.dwLineID = line.dwLineID;
        controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof control;
        controls.pamxctrl = &control;
        if (mixerGetLineControlsA(MixerHandle(index), &controls, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
            MMSYSERR_NOERROR)
            continue;
        m_Mixers[m_nMixers++] = MixerPair{index, control.dwControlID};
    }
}

void CCDAudio::Play(int track, int flag) {
    Send("status cdaudio number of tracks", 255);
    const int tracks = atoi(m_szResult);
    char command[64];
    if (track < tracks)
        snprintf(command, sizeof command, "play cdaudio from %d to %d notify", track, track + 1);
    else
        snprintf(command, sizeof command, "play cdaudio from %d notify", track);
    Send(command);
    m_nTrack = track;
    m_nFlag = flag;
}

void CCDAudio::Stop() {
    Send("stop cdaudio");
}

int CCDAudio::IsPlaying() {
    Send("status cdaudio mode");
    return strcmp(m_szResult, "playing") == 0 ? 1 : 0;
}

int CCDAudio::GetTrackCount() {
    Send("status cdaudio number of tracks");
    return atoi(m_szResult);
}

int CCDAudio::GetTrackLength(const char** text, int track) {
    char command[64];
    snprintf(command, sizeof command, "status cdaudio length track %d", track);
    if (Send(command) != 0)
        return 0;
    if (text)
        *text = m_szResult;
    return 1;
}

DWORD CCDAudio::GetVolume() {
    if (m_nMixers == 0)
        return 0;
    MIXERCONTROLDETAILS_UNSIGNED value{0};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = m_Mixers[0].nControlId;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    if (mixerGetControlDetailsA(MixerHandle(m_Mixers[0].nMixer), &details,
                                MIXER_OBJECTF_MIXER | MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return 0;
    return value.dwValue;
}

void CCDAudio::SetVolume(DWORD volume) {
    for (int i = 0; i < m_nMixers; ++i) {
        MIXERCONTROLDETAILS_UNSIGNED value{volume};
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof details;
        details.dwControlID = m_Mixers[i].nControlId;
        details.cChannels = 1;
        details.cbDetails = sizeof value;
        details.paDetails = &value;
        mixerSetControlDetails(MixerHandle(m_Mixers[i].nMixer), &details,
                               MIXER_OBJECTF_MIXER | MIXER_SETCONTROLDETAILSF_VALUE);
    }
}
