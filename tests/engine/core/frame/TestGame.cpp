#include "tests/engine/core/frame/TestGame.h"

#include <algorithm>

#include "engine/core/LogFile.h"
#include "engine/graphics/RenderCodes.h"

namespace {

// Marks the device's own Init, which releases whatever the device held before starting.
class CInitScope {
public:
    explicit CInitScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CInitScope() { m_flag = false; }

private:
    bool& m_flag;
};

void LogDeletion(CLogFile* log, const char* text) {
    if (log)
        log->Write(text);
}

}  // namespace

int FrameRecord::Deleted(const std::string& name) const {
    return static_cast<int>(std::count(deletions.begin(), deletions.end(), name));
}

// --- The application -------------------------------------------------------------------------

CTestGame::CTestGame(FrameRecord& record, TestGameOptions options) : m_record(record), m_options(options) {}

int CTestGame::CreateViewport() {
    if (m_options.failCreateViewport)
        return 0;
    m_pViewport = new CCountingViewport(m_record, m_options);
    return 1;
}

int CTestGame::CreateDevices() {
    m_pRenderDevice = new CCountingRenderDevice(m_record);
    m_pSoundDevice = new CCountingSoundDevice(m_record, m_options.failSoundInit);
    m_pInputDevice = new CCountingInputDevice(m_record);
    return m_options.failCreateDevices ? 0 : 1;
}

void CTestGame::OnStart() {
    m_record.calls.push_back("OnStart");
    if (onStart)
        onStart(*this);
}

void CTestGame::OnExit() {
    m_record.calls.push_back("OnExit");
    m_record.viewportClosesAtExit = m_record.viewportCloses;
}

int CTestGame::Update(double dt) {
    const int frame = ++framesRun;
    m_record.calls.push_back("Update");
    m_record.updateSteps.push_back(dt);
    if (m_options.useElapsedTimeFromUpdate)
        m_bUseElapsedTime = 1;
    if (onUpdate)
        onUpdate(*this, frame);
    const int result = CBaseGame::Update(dt);
    if (frame == m_options.quitInFrame)
        Quit(0);
    if (frame == m_options.updateFailsInFrame)
        return 0;
    return result;
}

int CTestGame::Render() {
    m_record.calls.push_back("Render");
    m_pRenderDevice->Clear(kClearTarget | kClearDepth, m_options.clearColour, 1.0f, 0);
    if (m_pRenderDevice->BeginScene()) {
        CBaseGame::Render();
        m_pRenderDevice->EndScene();
    }
    return framesRun == m_options.renderFailsInFrame ? 0 : 1;
}

void CTestGame::OnDeviceRestored() {
    m_record.calls.push_back("OnDeviceRestored");
}

void CTestGame::OnDeviceLost() {
    m_record.calls.push_back("OnDeviceLost");
}

void CTestGame::OnDeviceReset() {
    m_record.calls.push_back("OnDeviceReset");
}

void CTestGame::SetPointerShape(int shape) {
    m_record.pointerShapes.push_back(shape);
}

IDirect3DDevice9* CTestGame::Direct3DDevice() const {
    auto* device = dynamic_cast<CRenderDeviceDX9*>(m_pRenderDevice);
    return device ? device->m_pDevice : nullptr;
}

// --- The window ------------------------------------------------------------------------------

CCountingViewport::~CCountingViewport() {
    m_record.deletions.push_back("viewport");
}

int CCountingViewport::Resize(int width, int height, int bFullscreen) {
    if (failResize)
        return 0;
    return CViewportWin32::Resize(width, height, bFullscreen);
}

int CCountingViewport::Close() {
    ++m_record.viewportCloses;
    return CViewportWin32::Close();
}

int CCountingViewport::ProcessMessages() {
    const int handled = CViewportWin32::ProcessMessages();
    if (m_options.recordMessages)
        m_record.calls.push_back(handled ? "message" : "idle");
    return handled;
}

// --- The devices -----------------------------------------------------------------------------

CCountingRenderDevice::~CCountingRenderDevice() {
    m_record.deletions.push_back("render");
    LogDeletion(m_pStartLog, "render device deleted\n");
}

int CCountingRenderDevice::Init(CViewport* viewport, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                                int bFullscreen, uint32_t multisample, int bVSync, uint32_t pnt1Count,
                                uint32_t pct2Count, uint32_t prc2t1Count, CLogFile* log, int bLockableBackBuffer) {
    m_record.renderInits.push_back(RenderInitArgs{width, height, bitsPerPixel, bFullscreen, multisample, bVSync,
                                                  pnt1Count, pct2Count, prc2t1Count, log, bLockableBackBuffer});
    m_pStartLog = log;
    CInitScope scope(m_bInInit);
    return CRenderDeviceDX9::Init(viewport, width, height, bitsPerPixel, bFullscreen, multisample, bVSync, pnt1Count,
                                  pct2Count, prc2t1Count, log, bLockableBackBuffer);
}

void CCountingRenderDevice::Shutdown() {
    if (!m_bInInit)
        ++m_record.renderShutdowns;
    CRenderDeviceDX9::Shutdown();
}

CCountingSoundDevice::~CCountingSoundDevice() {
    m_record.deletions.push_back("sound");
    LogDeletion(m_pStartLog, "sound device deleted\n");
}

int CCountingSoundDevice::Init(int b3DPossible, CViewport* viewport, int zero, int channels, int samplesPerSecond,
                               int bitsPerSample, CLogFile* log) {
    m_record.soundInits.push_back(
        SoundInitArgs{b3DPossible, viewport, zero, channels, samplesPerSecond, bitsPerSample, log});
    if (m_bFailInit)
        return 0;
    m_pStartLog = log;
    CInitScope scope(m_bInInit);
    return CSoundDeviceOpenAL::Init(b3DPossible, viewport, zero, channels, samplesPerSecond, bitsPerSample, log);
}

void CCountingSoundDevice::Release() {
    if (!m_bInInit)
        ++m_record.soundReleases;
    CSoundDeviceOpenAL::Release();
}

CCountingInputDevice::~CCountingInputDevice() {
    m_record.deletions.push_back("input");
    LogDeletion(m_pStartLog, "input device deleted\n");
}

int CCountingInputDevice::Init(HINSTANCE instance, CViewport* viewport, CLogFile* log, int bExclusive) {
    m_record.inputInits.push_back(InputInitArgs{instance, viewport, log, bExclusive});
    m_pStartLog = log;
    CInitScope scope(m_bInInit);
    return CInputDeviceDX::Init(instance, viewport, log, bExclusive);
}

void CCountingInputDevice::Release() {
    if (!m_bInInit)
        ++m_record.inputReleases;
    CInputDeviceDX::Release();
}
