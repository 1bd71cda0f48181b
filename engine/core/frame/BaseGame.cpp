#include "engine/core/frame/BaseGame.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/core/LogFile.h"
#include "engine/core/Timer.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/gui/Wnd.h"
#include "engine/platform/InputDevice.h"
#include "engine/platform/Viewport.h"
#include "engine/sound/SoundDeviceNull.h"
#include "winapi/base/FailureReason.h"

const char* const kSystemScriptPath = "scripts/config/sysinit.vsc";
const char* const kDisplayScriptPath = "scripts/config/3dinit.vsc";

double CBaseGame::FrameTimeStep = 0.0;
double CBaseGame::PrevFrameTime = 0.0;
uint32_t CBaseGame::FpsFrameCount = 0;
double CBaseGame::FpsLastTime = 0.0;

namespace {

constexpr float kDefaultReferenceWidth = 640.0f;
constexpr float kDefaultReferenceHeight = 480.0f;

}  // namespace

CBaseGame::CBaseGame() = default;

CBaseGame::~CBaseGame() {
    CBaseGame::Shutdown();
}

void CBaseGame::GetGuiMetrics(float out[4]) const {
    out[0] = m_fReferenceWidth;
    out[1] = m_fReferenceHeight;
    out[2] = m_fGuiScaleX;
    out[3] = m_fGuiScaleY;
}

void CBaseGame::LogLine(const char* text) {
    if (m_pLog)
        m_pLog->Write(text);
}

void CBaseGame::ReportStartFailure(const char* stepReason) {
    const char* platformReason = winapi::GetFailureReason();
    const char* reason = platformReason[0] ? platformReason : stepReason;
    fprintf(stderr, "%s\n", reason);
    if (m_pLog)
        m_pLog->Printf("\t%s\n", reason);
}

void CBaseGame::ReportScriptFailure(const char* path, const char* block) {
    char reason[512];
    FILE* file = fopen(path, "rb");
    if (!file) {
        snprintf(reason, sizeof reason, "cannot read %s: %s", path, strerror(errno));
    } else {
        fclose(file);
        snprintf(reason, sizeof reason, "%s has no readable [%s] block", path, block);
    }
    ReportStartFailure(reason);
}

int CBaseGame::ReadInt(CValueScript& script, const char* key, int defaultValue) {
    const float value = script.GetFloat(key, static_cast<float>(defaultValue));
    // -2^31 is exact as a float; 2^31 is the first value past the range.
    if (!(value >= -2147483648.0f && value < 2147483648.0f))
        return defaultValue;
    return static_cast<int>(value);
}

float CBaseGame::ReadReferenceSize(const char* key, float defaultValue) {
    const float value = m_SystemScript.GetFloat(key, defaultValue);
    if (value > 0.0f && std::isfinite(value))
        return value;
    if (m_pLog)
        m_pLog->Printf("\t%s must be above 0: using %g\n", key, static_cast<double>(defaultValue));
    return defaultValue;
}

int CBaseGame::Init() {
    winapi::ClearFailureReason();
    const int systemLoaded = m_SystemScript.Load(kSystemScriptPath, "System");
    CDynString logName(m_SystemScript.GetString("AppName", "Game"));
    logName += ".log";
    delete m_pLog;
    m_pLog = new CLogFile(logName.GetText());

    LogLine("CBaseGame::Init - Start\n");
    LogLine("\tLoading System-Init-Script .. ");
    if (!systemLoaded) {
        LogLine("\tFailed\n");
        ReportScriptFailure(kSystemScriptPath, "System");
        return 0;
    }
    LogLine("\tOk\n");

    LogLine("\tLoading 3D-Init-Script ..");
    if (!m_DisplayScript.Load(kDisplayScriptPath, "3DInit")) {
        LogLine("\tFailed\n");
        ReportScriptFailure(kDisplayScriptPath, "3DInit");
        return 0;
    }
    m_bDisplayScriptLoaded = 1;
    LogLine("\tOk\n");

    LogLine("\tLoading System-Sound-Script .. ");
    if (!m_SoundScript.Load(kSystemScriptPath, "Sound")) {
        LogLine("\tFailed\n");
        ReportScriptFailure(kSystemScriptPath, "Sound");
        return 0;
    }
    LogLine("\tOk\n");

    delete m_pTimer;
    m_pTimer = new CTimer;
    delete m_pRootWindow;
    m_pRootWindow = new CWnd;

    const int width = ReadInt(m_DisplayScript, "Width", 640);
    const int height = ReadInt(m_DisplayScript, "Height", 480);

    LogLine("\tCreating Viewport .. ");
    if (!CreateViewport()) {
        LogLine("\tFailed\n");
        ReportStartFailure("the game made no viewport");
        return 0;
    }
    LogLine("\tOk\n");
    const int fullscreen = ReadInt(m_DisplayScript, "Fullscreen", 0);
    m_pViewport->Create(m_hInstance, width, height, fullscreen);
    m_pViewport->SetTitle(m_SystemScript.GetString("AppName", "Game").GetText());

    LogLine("\tCreating Devices .. ");
    if (!CreateDevices() || !m_pRenderDevice || !m_pInputDevice) {
        LogLine("\tFailed\n");
        ReportStartFailure("the game made no render or input device");
        return 0;
    }
    LogLine("\tOk\n");
    ResizeViewport(width, height, ReadInt(m_DisplayScript, "Fullscreen", 0));

    // Each key is read before the call, in this order: a missing key is appended to the
    // script, and so written back, in the order it was read.
    const int lockableBackBuffer = ReadInt(m_DisplayScript, "LockableBackBuffer", 0);
    const int prc2t1Count = ReadInt(m_DisplayScript, "PRC2T1Count", 8192);
    const int pct2Count = ReadInt(m_DisplayScript, "PCT2Count", 2048);
    const int pnt1Count = ReadInt(m_DisplayScript, "PNT1Count", 8192);
    const int vsync = ReadInt(m_DisplayScript, "VSync", 0);
    const int multiSampleType = ReadInt(m_DisplayScript, "MultiSampleType", 0);
    const int renderFullscreen = ReadInt(m_DisplayScript, "Fullscreen", 0);
    const int bitsPerPixel = ReadInt(m_DisplayScript, "BPP", 32);
    if (!m_pRenderDevice->Init(m_pViewport, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                               static_cast<uint32_t>(bitsPerPixel), renderFullscreen,
                               static_cast<uint32_t>(multiSampleType), vsync, static_cast<uint32_t>(pnt1Count),
                               static_cast<uint32_t>(pct2Count), static_cast<uint32_t>(prc2t1Count), m_pLog,
                               lockableBackBuffer)) {
        ReportStartFailure("the render device cannot start");
        return 0;
    }

    if (!CreateSoundDevice()) {
        ReportStartFailure("not even the silent sound device can start");
        return 0;
    }

    m_nInputExclusive = ReadInt(m_SystemScript, "InputExclusive", 1);
    if (!m_pInputDevice->Init(m_hInstance, m_pViewport, m_pLog, m_nInputExclusive)) {
        // The device's own log line is left open.
        LogLine("\n");
        ReportStartFailure("the input devices cannot start");
        return 0;
    }

    m_fReferenceWidth = ReadReferenceSize("ResBaseX", kDefaultReferenceWidth);
    m_fReferenceHeight = ReadReferenceSize("ResBaseY", kDefaultReferenceHeight);
    m_fGuiScaleX = static_cast<float>(width) / m_fReferenceWidth;
    m_fGuiScaleY = static_cast<float>(height) / m_fReferenceHeight;
    m_pRootWindow->SetScale(m_fGuiScaleX, m_fGuiScaleY);

    m_bDeviceAvailable = 1;
    g_pFocusWindow = nullptr;
    g_pCaptureWindow = nullptr;
    return 1;
}

// The configured sound device, or the silent one when it cannot start.
int CBaseGame::CreateSoundDevice() {
    if (!m_pSoundDevice)
        m_pSoundDevice = new CSoundDeviceNull;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int bitsPerSample = ReadInt(m_SoundScript, "BitsPerSample", 16);
        const int samplesPerSecond = ReadInt(m_SoundScript, "SamplesPerSecond", 22050);
        const int channels = ReadInt(m_SoundScript, "Channels", 2);
        const int b3DPossible = ReadInt(m_SoundScript, "3DPossible", 1);
        if (m_pSoundDevice->Init(b3DPossible, m_pViewport, 0, static_cast<int16_t>(channels), samplesPerSecond,
                                 static_cast<int16_t>(bitsPerSample), m_pLog))
            return 1;
        if (attempt == 1)
            break;
        fprintf(stderr, "No sound output could start: the game runs without sound.\n");
        delete m_pSoundDevice;
        m_pSoundDevice = new CSoundDeviceNull;
    }
    return 0;
}

int CBaseGame::Shutdown() {
    delete m_pRootWindow;
    m_pRootWindow = nullptr;

    if (m_pRenderDevice)
        m_pRenderDevice->Shutdown();
    if (m_pSoundDevice)
        m_pSoundDevice->Release();
    if (m_pInputDevice)
        m_pInputDevice->Release();
    if (m_pViewport)
        m_pViewport->Close();

    int result = 1;
    if (m_bDisplayScriptLoaded && !m_DisplayScript.Save(kDisplayScriptPath)) {
        // The devices are released all the same, and never twice.
        if (m_pLog)
            m_pLog->Printf("CBaseGame::Shutdown - could not save %s\n", kDisplayScriptPath);
        result = 0;
    }
    // A second shut-down (the game's exit, then the destructor) saves nothing again.
    m_bDisplayScriptLoaded = 0;
    m_SystemScript.Clear();

    delete m_pRenderDevice;
    m_pRenderDevice = nullptr;
    delete m_pSoundDevice;
    m_pSoundDevice = nullptr;
    delete m_pInputDevice;
    m_pInputDevice = nullptr;
    delete m_pViewport;
    m_pViewport = nullptr;
    delete m_pTimer;
    m_pTimer = nullptr;
    // Last: the devices above write to it until they are gone.
    delete m_pLog;
    m_pLog = nullptr;

    Quit(0);
    return result;
}

int CBaseGame::Run(HINSTANCE instance, const char* key, const char* commandLine) {
    m_hInstance = instance;
    m_pszCommandLine = commandLine;
    SetValueScriptKey(key);
    if (!Init())
        return 0;
    OnStart();
    RunFrames();
    OnExit();
    return Shutdown();
}

void CBaseGame::RunFrames() {
    while (!m_pViewport->IsQuitting()) {
        if (!m_pViewport->ProcessMessages())
            Frame();
    }
}

int CBaseGame::AllowWindowDrag() {
    return 1;
}

int CBaseGame::Render() {
    if (m_pRootWindow)
        m_pRootWindow->Draw(this);
    return 1;
}

int CBaseGame::Update(double dt) {
    m_pInputDevice->Update(m_pTimer->GetElapsed());
    for (auto* node = m_pInputDevice->m_Events.m_pHead; node; node = node->m_pNext)
        m_pRootWindow->DispatchEvent(&node->m_data);
    if (!m_pRootWindow->Update(dt))
        return 0;

    const int state = m_pRenderDevice->CheckDevice();
    m_pSoundDevice->Update();
    TrackDeviceState(state);
    return 1;
}

void CBaseGame::TrackDeviceState(int state) {
    if (state == 0 && m_bDeviceAvailable) {
        OnDeviceLost();
        m_bDeviceAvailable = 0;
    }
    if (state != 0 && !m_bDeviceAvailable) {
        OnDeviceRestored();
        m_bDeviceAvailable = 1;
        if (state == -1)
            OnDeviceReset();
    }
}

void CBaseGame::Quit(int /*code*/) {
    if (m_pViewport)
        m_pViewport->Close();
}

int CBaseGame::ResizeViewport(int width, int height, int bFullscreen) {
    if (!m_pViewport)
        return 0;
    return m_pViewport->Resize(width, height, bFullscreen);
}

int CBaseGame::SetDisplayMode(int width, int height, int bitsPerPixel, int bFullscreen, int multiSampleType,
                              int bVSync) {
    if (!ResizeViewport(width, height, bFullscreen))
        return 0;
    if (!m_pRenderDevice->Reset(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                static_cast<uint8_t>(bitsPerPixel), bFullscreen, static_cast<uint32_t>(multiSampleType),
                                bVSync))
        return 0;
    m_fGuiScaleX = static_cast<float>(width) / m_fReferenceWidth;
    m_fGuiScaleY = static_cast<float>(height) / m_fReferenceHeight;
    m_DisplayScript.SetFloat("Width", static_cast<float>(width));
    m_DisplayScript.SetFloat("Height", static_cast<float>(height));
    m_DisplayScript.SetFloat("BPP", static_cast<float>(bitsPerPixel));
    m_DisplayScript.SetFloat("Fullscreen", static_cast<float>(bFullscreen));
    m_DisplayScript.SetFloat("MultiSampleType", static_cast<float>(multiSampleType));
    m_DisplayScript.SetFloat("VSync", static_cast<float>(bVSync));
    m_pRootWindow->SetScale(m_fGuiScaleX, m_fGuiScaleY);
    OnDeviceReset();
    return 1;
}

int CBaseGame::Frame() {
    const float now = m_pTimer->GetElapsed();
    if (now - FpsLastTime > 1.0) {
        m_fFramesPerSecond = static_cast<float>(FpsFrameCount / (now - FpsLastTime));
        FpsFrameCount = 0;
        FpsLastTime = now;
    }
    if (m_bUseElapsedTime)
        FrameTimeStep = now - PrevFrameTime;
    if (!Update(FrameTimeStep))
        Quit(0);
    if (!Render())
        Quit(0);
    PrevFrameTime = now;
    ++FpsFrameCount;
    return m_pRenderDevice->Present();
}
