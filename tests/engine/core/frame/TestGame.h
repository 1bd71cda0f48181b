// The test application: the engine's frame on the real window and devices, clearing each frame
// to one colour. Its window and devices count how often the frame releases and deletes them,
// its hooks record the order the frame calls them in, and switches make single steps fail.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/frame/BaseGame.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/ViewportWin32.h"
#include "engine/sound/SoundDeviceOpenAL.h"

// What the render device's Init was handed, in its own argument order.
struct RenderInitArgs {
    uint32_t width, height, bitsPerPixel;
    int bFullscreen;
    uint32_t multisample;
    int bVSync;
    uint32_t pnt1Count, pct2Count, prc2t1Count;
    CLogFile* log;
    int bLockableBackBuffer;
};

struct SoundInitArgs {
    int b3DPossible;
    CViewport* viewport;
    int zero, channels, samplesPerSecond, bitsPerSample;
    CLogFile* log;
};

struct InputInitArgs {
    HINSTANCE instance;
    CViewport* viewport;
    CLogFile* log;
    int bExclusive;
};

// Outlives the game, so that the destructor's shut-down is seen too.
struct FrameRecord {
    // Hook calls in order: "OnStart", "Update", "Render", "OnDeviceLost", "OnDeviceRestored",
    // "OnDeviceReset", "OnExit", and "message" / "idle" for each ProcessMessages when recorded.
    std::vector<std::string> calls;
    std::vector<double> updateSteps;
    std::vector<int> pointerShapes;
    // Which objects were deleted, in order.
    std::vector<std::string> deletions;

    // Releases made by anyone but the device's own Init (which releases what it held first).
    int renderShutdowns = 0;
    int soundReleases = 0;
    int inputReleases = 0;
    int viewportCloses = 0;
    int viewportClosesAtExit = -1;

    std::vector<RenderInitArgs> renderInits;
    std::vector<SoundInitArgs> soundInits;
    std::vector<InputInitArgs> inputInits;

    int Deleted(const std::string& name) const;
};

struct TestGameOptions {
    bool failCreateViewport = false;
    // The devices are made, then the step reports failure: the shut-down must still free them.
    bool failCreateDevices = false;
    bool failSoundInit = false;
    bool recordMessages = false;
    // Like the game: each Update asks for the measured step of the next frame.
    bool useElapsedTimeFromUpdate = false;
    // Frame numbers count from 1; 0 never.
    int quitInFrame = 0;
    int updateFailsInFrame = 0;
    int renderFailsInFrame = 0;
    uint32_t clearColour = 0xFF3366CCu;
};

class CTestGame : public CBaseGame {
public:
    CTestGame(FrameRecord& record, TestGameOptions options = {});

    int CreateViewport() override;
    int CreateDevices() override;
    void OnStart() override;
    void OnExit() override;
    int Update(double dt) override;
    int Render() override;
    void OnDeviceRestored() override;
    void OnDeviceLost() override;
    void OnDeviceReset() override;
    void SetPointerShape(int shape) override;

    // The Direct3D device behind the render device, for the layer's switches and queries.
    IDirect3DDevice9* Direct3DDevice() const;

    // Runs after OnStart is recorded, before the loop.
    std::function<void(CTestGame&)> onStart;
    // Runs at the start of each Update, with the frame's number.
    std::function<void(CTestGame&, int)> onUpdate;
    int framesRun = 0;

private:
    FrameRecord& m_record;
    TestGameOptions m_options;
};

// The real devices, counting what the frame does to them.

class CCountingViewport : public CViewportWin32 {
public:
    CCountingViewport(FrameRecord& record, const TestGameOptions& options) : m_record(record), m_options(options) {}
    ~CCountingViewport() override;

    int Resize(int width, int height, int bFullscreen) override;
    int Close() override;
    int ProcessMessages() override;

    // Resize gives 0 while set.
    bool failResize = false;

private:
    FrameRecord& m_record;
    TestGameOptions m_options;
};

class CCountingRenderDevice : public CRenderDeviceDX9 {
public:
    explicit CCountingRenderDevice(FrameRecord& record) : m_record(record) {}
    // Writes its deletion into the log it was started with: the log must still be open.
    ~CCountingRenderDevice() override;

    int Init(CViewport* viewport, uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen,
             uint32_t multisample, int bVSync, uint32_t pnt1Count, uint32_t pct2Count, uint32_t prc2t1Count,
             CLogFile* log, int bLockableBackBuffer) override;
    void Shutdown() override;

private:
    FrameRecord& m_record;
    CLogFile* m_pStartLog = nullptr;
    bool m_bInInit = false;
};

class CCountingSoundDevice : public CSoundDeviceOpenAL {
public:
    CCountingSoundDevice(FrameRecord& record, bool failInit) : m_record(record), m_bFailInit(failInit) {}
    ~CCountingSoundDevice() override;

    int Init(int b3DPossible, CViewport* viewport, int zero, int channels, int samplesPerSecond, int bitsPerSample,
             CLogFile* log) override;
    void Release() override;

private:
    FrameRecord& m_record;
    bool m_bFailInit;
    CLogFile* m_pStartLog = nullptr;
    bool m_bInInit = false;
};

class CCountingInputDevice : public CInputDeviceDX {
public:
    explicit CCountingInputDevice(FrameRecord& record) : m_record(record) {}
    ~CCountingInputDevice() override;

    int Init(HINSTANCE instance, CViewport* viewport, CLogFile* log, int bExclusive) override;
    void Release() override;

private:
    FrameRecord& m_record;
    CLogFile* m_pStartLog = nullptr;
    bool m_bInInit = false;
};
