#include "tests/game/app/GameFixture.h"

#include "engine/core/AtomicFileTestHooks.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/Viewport.h"
#include "game/app/GameClasses.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/FrameReset.h"
#include "winapi/base/TimerTestHooks.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/mm/MmTestHooks.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

void GameTest::SetUp() {
    ResetFrameState();
    RegisterGameClasses();
    g_bStartUpFailed = 0;
    std::string error;
    ASSERT_TRUE(WriteFixtureGameRoot(m_root, &error)) << error;
    m_game = std::make_unique<CGame>();
}

void GameTest::TearDown() {
    m_game.reset();
    g_bStartUpFailed = 0;
    SetAtomicFileCommitFailure(false);
    winapi::d3d::ClearFailures();
    winapi::d3d::UseDefaultAdapterModes();
    winapi::SetCdTracks(0);
    winapi::ForceActiveWindow(-1);
    winapi::ForceWindowEnabled(-1);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    winapi::UseRealClock();
}

bool GameTest::StartEngine() {
    return m_game->CBaseGame::Init() == 1;
}

bool GameTest::StartWithGameObjects() {
    if (!StartEngine())
        return false;
    m_game->CreateGameObjects();
    return true;
}

void GameTest::UseTestClock() {
    winapi::SetTestClockNanoseconds(0);
}

void GameTest::PumpMessages() {
    while (m_game->m_pViewport->ProcessMessages()) {
    }
}

int GameTest::Frame(double dt) {
    PumpMessages();
    return m_game->Update(dt);
}

void GameTest::Activate() {
    winapi::ForceActiveWindow(1);
    ASSERT_EQ(Frame(0.0), 1);
    ASSERT_EQ(m_game->m_bWindowEnabled, 1);
}

IDirect3DDevice9* GameTest::Direct3DDevice() const {
    auto* device = dynamic_cast<CRenderDeviceDX9*>(m_game->m_pRenderDevice);
    return device ? device->m_pDevice : nullptr;
}

std::string GameTest::StepLinesFrom(size_t from) {
    std::string steps;
    const std::string text = LogTextFrom(from);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text[start] == '\t' || text.compare(start, 6, "Game::") == 0)
            steps += text.substr(start, end - start);
        start = end;
    }
    return steps;
}

std::string GameTest::LogTextFrom(size_t from) {
    const std::string text = ReadText(kLogFile);
    return text.size() > from ? text.substr(from) : std::string();
}
