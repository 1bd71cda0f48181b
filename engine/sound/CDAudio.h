// Music from the audio tracks of a compact disc, played a track at a time with a
// notification to the game window when a track ends, and the volume of the compact-disc line
// of every system mixer.
#pragma once

#include "winapi/base/WinTypes.h"

class CViewport;

class CCDAudio {
public:
    static constexpr int kMaxMixers = 10;

    // Opens the drive in track/minute/second/frame time and finds the mixers' CD lines.
    CCDAudio();
    CCDAudio(const CCDAudio&) = delete;
    CCDAudio& operator=(const CCDAudio&) = delete;
    virtual ~CCDAudio();

    virtual int GetTrackCount();
    // On success points `text` at the answer (the track's length).
    virtual int GetTrackLength(const char** text, int track);

    void SetNotifyWindow(CViewport* window) { m_pNotifyWindow = window; }
    // Plays one track (the last one to the end of the disc).
    void Play(int track, int flag);
    void Stop();
    int IsPlaying();
    // The first CD line's volume; 0 without one.
    DWORD GetVolume();
    // Sets every CD line's volume.
    void SetVolume(DWORD value);
    void InitMixer();

    struct MixerPair {
        UINT nMixer;
        DWORD nControlId;
    };
    MixerPair m_Mixers[kMaxMixers] = {};
    int m_nMixers = 0;
    CViewport* m_pNotifyWindow = nullptr;
    char m_szResult[256] = {};
    int m_nTrack = 0;
    int m_nFlag = 0;

private:
    // Sends a command with the notify window as the callback window; the answer lands in
    // m_szResult.
    unsigned Send(const char* command, unsigned answerLength = sizeof(m_szResult));
};
