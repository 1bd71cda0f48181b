// The application frame on the real window and devices: from construction to the first frame
// presented (the start-up a player waits through, scripts read and devices opened), and one
// empty frame (what the frame itself costs every frame before the game draws anything). Runs
// in a fresh game root of its own (so on the defaults: a 640 x 480 window) and OpenAL Soft's null output.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/core/frame/BaseGame.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/ViewportWin32.h"
#include "engine/sound/SoundDeviceOpenAL.h"

namespace {

class CBenchGame : public CBaseGame {
public:
    int CreateViewport() override {
        m_pViewport = new CViewportWin32;
        return 1;
    }
    int CreateDevices() override {
        m_pRenderDevice = new CRenderDeviceDX9;
        m_pSoundDevice = new CSoundDeviceOpenAL;
        m_pInputDevice = new CInputDeviceDX;
        return 1;
    }
    int Render() override {
        m_pRenderDevice->Clear(kClearTarget | kClearDepth, 0xFF000000u, 1.0f, 0);
        if (!m_pRenderDevice->BeginScene())
            return 1;
        CBaseGame::Render();
        m_pRenderDevice->EndScene();
        return 1;
    }
};

// A fresh game root as the working directory: the frame writes its scripts and log there.
class GameRootDirectory {
public:
    GameRootDirectory() {
        char pattern[] = "/tmp/brenlow-frame-bench-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        m_path = pattern;
        std::string config = m_path + "/scripts";
        m_ok = mkdir(config.c_str(), 0700) == 0 && mkdir((config + "/config").c_str(), 0700) == 0 &&
               getcwd(m_previous, sizeof m_previous) && chdir(m_path.c_str()) == 0;
    }
    ~GameRootDirectory() {
        if (m_ok && chdir(m_previous) == 0 && !m_path.empty())
            std::system(("rm -rf '" + m_path + "'").c_str());
    }
    bool Ok() const { return m_ok; }

private:
    std::string m_path;
    char m_previous[4096] = {};
    bool m_ok = false;
};

void BM_StartUpToFirstPresent(benchmark::State& state) {
    GameRootDirectory root;
    if (!root.Ok()) {
        state.SkipWithError("no game root");
        return;
    }
    for (auto _ : state) {
        CBenchGame game;
        if (!game.Init()) {
            state.SkipWithError("the frame did not start (is there a display?)");
            return;
        }
        benchmark::DoNotOptimize(game.Frame());
        state.PauseTiming();
        game.Shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstPresent)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EmptyFrame(benchmark::State& state) {
    GameRootDirectory root;
    if (!root.Ok()) {
        state.SkipWithError("no game root");
        return;
    }
    CBenchGame game;
    if (!game.Init()) {
        state.SkipWithError("the frame did not start (is there a display?)");
        return;
    }
    for (auto _ : state) {
        game.m_pViewport->ProcessMessages();
        benchmark::DoNotOptimize(game.Frame());
    }
    game.Shutdown();
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // Before OpenAL starts: no sound hardware needed, nothing heard.
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
