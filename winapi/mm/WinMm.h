// The multimedia calls of the CD player: the "cdaudio" command strings and the mixers'
// compact-disc line volume. There is no CD drive or mixer to drive here: the layer answers
// as a machine without an audio disc, and keeps volumes that hold what is set. Tests can give
// it a disc and mixers (MmTestHooks.h).
#pragma once

#include "winapi/base/WinTypes.h"

typedef DWORD MCIERROR;
typedef UINT MMRESULT;
struct HMIXEROBJ__;
typedef HMIXEROBJ__* HMIXEROBJ;  // here a mixer's device index, as MIXER_OBJECTF_MIXER says

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIXERR_INVALLINE = 1024;
constexpr MMRESULT MIXERR_INVALCONTROL = 1025;
constexpr MCIERROR MCIERR_HARDWARE = 262;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 261;

constexpr DWORD MIXER_OBJECTF_MIXER = 0x00000000;
constexpr DWORD MIXER_GETLINEINFOF_COMPONENTTYPE = 0x00000003;
constexpr DWORD MIXER_GETLINECONTROLSF_ONEBYTYPE = 0x00000002;
constexpr DWORD MIXER_GETCONTROLDETAILSF_VALUE = 0x00000000;
constexpr DWORD MIXER_SETCONTROLDETAILSF_VALUE = 0x00000000;
constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x00001005;
constexpr DWORD MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;

struct MIXERLINEA {
    DWORD cbStruct;
    DWORD dwDestination;
    DWORD dwSource;
    DWORD dwLineID;
    DWORD fdwLine;
    UINT_PTR dwUser;
    DWORD dwComponentType;
    DWORD cChannels;
    DWORD cConnections;
    DWORD cControls;
    char szShortName[16];
    char szName[64];
};

struct MIXERCONTROLA {
    DWORD cbStruct;
    DWORD dwControlID;
    DWORD dwControlType;
    DWORD fdwControl;
    DWORD cMultipleItems;
    char szShortName[16];
    char szName[64];
    DWORD dwMinimum;
    DWORD dwMaximum;
};

struct MIXERLINECONTROLSA {
    DWORD cbStruct;
    DWORD dwLineID;
    DWORD dwControlType;  // the control type asked for (one by type)
    DWORD cControls;
    DWORD cbmxctrl;
    MIXERCONTROLA* pamxctrl;
};

struct MIXERCONTROLDETAILS_UNSIGNED {
    DWORD dwValue;
};

struct MIXERCONTROLDETAILS {
    DWORD cbStruct;
    DWORD dwControlID;
    DWORD cChannels;
    DWORD cMultipleItems;
    DWORD cbDetails;
    void* paDetails;
};

// Sends a command string; its answer goes into returnString (at most returnLength characters
// with the terminator). 0 on success, an error code otherwise.
MCIERROR mciSendStringA(LPCSTR command, char* returnString, UINT returnLength, HWND callback);

UINT mixerGetNumDevs();
MMRESULT mixerGetLineInfoA(HMIXEROBJ mixer, MIXERLINEA* line, DWORD flags);
MMRESULT mixerGetLineControlsA(HMIXEROBJ mixer, MIXERLINECONTROLSA* controls, DWORD flags);
MMRESULT mixerGetControlDetailsA(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD flags);
MMRESULT mixerSetControlDetails(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD flags);
