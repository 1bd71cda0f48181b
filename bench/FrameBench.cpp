// The application frame on the real window and devices at the program's 1024 x 768 (its
// shipped scripts in a fresh game root of its own), on OpenAL Soft's null output:
// - the cold start a player waits through: a fresh process, started by the benchmark, to its
//   first present (libraries loaded, classes registered, scripts read, window and devices
//   opened, one frame), timed from outside the process;
// - the warm start: the same start-up repeated inside this process, whose libraries and
//   driver have started before, so it shows the frame's own part of the cold start;
// - one empty frame: what the frame costs every frame before the game draws anything;
// - the game's run to its first presented frame on the tests' fixture game root: the engine,
//   the game's start-up (settings, graphics, sound, interface, controller) and one frame;
// - one idle frame of the game on that root, with "Shadows" off and on: its update, its
//   drawing (the scene's passes, the shadows, the interface, the pointer) and the present.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/BenchGame.h"
#include "game/app/Game.h"
#include "game/app/GameClasses.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/FrameReset.h"
#include "tests/support/GameRoot.h"
#include "winapi/window/WindowTestHooks.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A fresh game root as the working directory, holding the shipped system and display
// scripts: the frame reads them and rewrites the display script there.
class GameRootDirectory {
public:
    GameRootDirectory() {
        char pattern[] = "/tmp/brenlow-frame-bench-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        m_path = pattern;
        const std::filesystem::path config = m_path + "/scripts/config";
        std::error_code error;
        std::filesystem::create_directories(config, error);
        if (!error) {
            std::filesystem::copy(BRENLOW_SHIPPED_CONFIG_DIR, config, std::filesystem::copy_options::overwrite_existing,
                                  error);
        }
        m_ok = !error && getcwd(m_previous, sizeof m_previous) && chdir(m_path.c_str()) == 0;
    }
    ~GameRootDirectory() {
        if (m_ok && chdir(m_previous) != 0)
            return;
        std::error_code error;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
    }
    GameRootDirectory(const GameRootDirectory&) = delete;
    GameRootDirectory& operator=(const GameRootDirectory&) = delete;

    bool Ok() const { return m_ok; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    char m_previous[4096] = {};
    bool m_ok = false;
};

// One run of the cold-start probe: the times from the spawn to its first present and to its
// exit. False when it cannot be started or did not present and exit cleanly.
bool RunColdStartProbe(const std::string& root, double* toPresent, double* toExit) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copy: the probe gets the write end as descriptor 3.
    posix_spawn_file_actions_adddup2(&actions, channel[1], 3);
    std::string program = BRENLOW_COLD_START_PROBE;
    std::string rootArgument = root;
    char* argv[] = {program.data(), rootArgument.data(), nullptr};

    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    const bool spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(channel[1]);
    char presented = 0;
    ssize_t got = 0;
    if (spawned) {
        do {
            got = read(channel[0], &presented, 1);
        } while (got < 0 && errno == EINTR);
    }
    const Clock::time_point presentedAt = Clock::now();
    close(channel[0]);
    int status = 0;
    const bool exited = spawned && waitpid(child, &status, 0) == child;
    const Clock::time_point exitedAt = Clock::now();

    *toPresent = std::chrono::duration<double>(presentedAt - start).count();
    *toExit = std::chrono::duration<double>(exitedAt - start).count();
    return got == 1 && presented == 1 && exited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_ColdStartToFirstPresent(benchmark::State& state) {
    GameRootDirectory root;
    if (!root.Ok()) {
        state.SkipWithError("no game root");
        return;
    }
    double totalToExit = 0.0;
    for (auto _ : state) {
        double toPresent = 0.0;
        double toExit = 0.0;
        if (!RunColdStartProbe(root.Path(), &toPresent, &toExit)) {
            state.SkipWithError("the probe did not present (is there a display?)");
            return;
        }
        state.SetIterationTime(toPresent);
        totalToExit += toExit;
    }
    // Spawn to exit, shutdown included: what a timer outside the program would see.
    state.counters["to_exit_ms"] = 1000.0 * totalToExit / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ColdStartToFirstPresent)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void BM_WarmStartUpToFirstPresent(benchmark::State& state) {
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
BENCHMARK(BM_WarmStartUpToFirstPresent)->Unit(benchmark::kMillisecond)->UseRealTime();

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

// The game as the program runs it, closing its window once its first frame is presented (at
// the next frame's update) and keeping the time that took.
class FirstPresentGame : public CGame {
public:
    int Update(double dt) override {
        if (++m_nUpdates == 2) {
            m_presentedAt = Clock::now();
            winapi::InjectClose();
        }
        return CGame::Update(dt);
    }
    int m_nUpdates = 0;
    Clock::time_point m_presentedAt;
};

// A game root for one run: the tests' fixture, or a copy of the default data set.
bool MakeGameRoot(bool defaultData, const GameRoot& root, std::string* error) {
    if (!defaultData)
        return WriteFixtureGameRoot(root, error);
    return root.CopyFrom(BRENLOW_DATA_DIR, error);
}

// Argument 0: the fixture game root; 1: the default data set.
void BM_GameRunToFirstPresent(benchmark::State& state) {
    RegisterGameClasses();
    for (auto _ : state) {
        GameRoot root;
        std::string error;
        if (!MakeGameRoot(state.range(0) == 1, root, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        ResetFrameState();
        FirstPresentGame game;
        const Clock::time_point start = Clock::now();
        if (!game.Run(nullptr, "pv263918", "") || game.m_nUpdates < 2 || g_bStartUpFailed) {
            state.SkipWithError("the game did not start (is there a display?)");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(game.m_presentedAt - start).count());
    }
}
BENCHMARK(BM_GameRunToFirstPresent)
    ->ArgName("default_data")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// One frame of the started game with nothing moving: the start screen's scene of the fixture
// game root, the game-drawn pointer. Argument 1 turns "Shadows" on: the shadow volumes and the
// darkening over the whole screen.
void BM_GameIdleFrame(benchmark::State& state) {
    RegisterGameClasses();
    ResetFrameState();
    GameRoot root;
    std::string error;
    if (!WriteFixtureGameRoot(root, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    CGame game;
    if (!game.CBaseGame::Init() || !game.Init()) {
        state.SkipWithError("the game did not start (is there a display?)");
        return;
    }
    game.m_nShadows = static_cast<int32_t>(state.range(0));
    game.m_nSoftwareCursor = 1;
    for (auto _ : state) {
        game.m_pViewport->ProcessMessages();
        benchmark::DoNotOptimize(game.Frame());
    }
}
BENCHMARK(BM_GameIdleFrame)->ArgName("shadows")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // Before OpenAL starts, here and in the probe that inherits them: no sound hardware
    // needed, nothing heard.
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
