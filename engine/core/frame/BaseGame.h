// The engine's application object: it reads the start-up scripts, owns the log, the timer,
// the game window, the render, sound and input devices and the root interface window, and
// drives the frame (input to the interface, update, draw, present, device loss and reset).
// The game derives from it and provides the window and the devices.
#pragma once

#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/ValueScript.h"
#include "winapi/base/WinTypes.h"

class CInputDevice;
class CLogFile;
class CRenderDevice;
class CSoundDevice;
class CTimer;
class CViewport;
class CWnd;

class CBaseGame : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CBaseGame)

public:
    CBaseGame();
    ~CBaseGame() override;

    virtual int Init();
    virtual int Shutdown();
    virtual int Run(HINSTANCE instance, const char* key, const char* commandLine);
    // Whether the interface may move a captured window with the mouse.
    virtual int AllowWindowDrag();
    virtual int Render();
    virtual int Update(double dt);
    // Asks the window to close; the loop ends after the current frame. The argument is unused.
    virtual void Quit(int code);
    virtual int CreateDevices() = 0;
    virtual int CreateViewport() = 0;
    virtual int ResizeViewport(int width, int height, int bFullscreen);
    virtual void OnStart() {}
    virtual void OnExit() {}
    virtual int SetDisplayMode(int width, int height, int bitsPerPixel, int bFullscreen, int multiSampleType,
                               int bVSync);
    virtual void OnDeviceRestored() {}
    virtual void OnDeviceLost() {}
    virtual void OnDeviceReset() {}
    // Receives the pointer shape a window asks for; the game draws the pointer.
    virtual void SetPointerShape(int /*shape*/) {}

    // One frame; the render device's Present result.
    int Frame();
    // Reference width, reference height, GUI scale x, GUI scale y.
    void GetGuiMetrics(float out[4]) const;

    HINSTANCE m_hInstance = nullptr;
    const char* m_pszCommandLine = nullptr;
    CValueScript m_SystemScript;
    CValueScript m_DisplayScript;
    CInputDevice* m_pInputDevice = nullptr;
    int32_t m_nInputExclusive = 0;
    CValueScript m_SoundScript;
    CSoundDevice* m_pSoundDevice = nullptr;
    CRenderDevice* m_pRenderDevice = nullptr;
    CViewport* m_pViewport = nullptr;
    int32_t m_bDeviceAvailable = 0;
    // While 0, Frame hands Update the previous step again.
    int32_t m_bUseElapsedTime = 0;
    CTimer* m_pTimer = nullptr;
    float m_fFramesPerSecond = 0.0f;
    CLogFile* m_pLog = nullptr;
    float m_fReferenceWidth = 0.0f;
    float m_fReferenceHeight = 0.0f;
    float m_fGuiScaleX = 0.0f;
    float m_fGuiScaleY = 0.0f;
    CWnd* m_pRootWindow = nullptr;
    // Set once the display script was read, so a start-up that failed before cannot write
    // a script it never loaded.
    int32_t m_bDisplayScriptLoaded = 0;

    // The frame clock, one set per process.
    static double FrameTimeStep;     // seconds handed to Update
    static double PrevFrameTime;     // timer reading of the previous frame
    static uint32_t FpsFrameCount;   // frames since the last frames-per-second update
    static double FpsLastTime;       // timer reading of that update

protected:
    // What the render device's check answered (1 usable, 0 lost, -1 just reset or failing):
    // the loss, the restoring and the reset each reported once, by the device-available flag.
    void TrackDeviceState(int state);
    // The main loop: a frame whenever no window message waits, until the window closes.
    void RunFrames();
    // A script number truncated to an int; NaN or out of range gives the default.
    static int ReadInt(CValueScript& script, const char* key, int defaultValue);

private:
    int CreateSoundDevice();
    // A reference size from the system script; one of 0 or less takes the default, logged.
    float ReadReferenceSize(const char* key, float defaultValue);
    void LogLine(const char* text);
    // Why a start-up step failed, on stderr and as the log's next line: the platform's
    // reason when it gave one, else the step's own.
    void ReportStartFailure(const char* stepReason);
    void ReportScriptFailure(const char* path, const char* block);
};

// Where the scripts of the start-up live, relative to the game root.
extern const char* const kSystemScriptPath;
extern const char* const kDisplayScriptPath;
