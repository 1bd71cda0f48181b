#include "tests/game/app/GameFixture.h"

#include "engine/graphics/RenderDeviceDX9.h"
#include "game/app/GameClasses.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/FrameReset.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/mm/MmTestHooks.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

void GameTest::SetUp() {
    ResetFrameState();
    RegisterGameClasses();
    std::string error;
    ASSERT_TRUE(WriteFixtureGameRoot(m_root, &error)) << error;
    m_game = std::make_unique<CGame>();
}

void GameTest::TearDown() {
    m_game.reset();
    winapi::d3d::ClearFailures();
    winapi::d3d::UseDefaultAdapterModes();
    winapi::SetCdTracks(0);
    winapi::ForceActiveWindow(-1);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
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

IDirect3DDevice9* GameTest::Direct3DDevice() const {
    auto* device = dynamic_cast<CRenderDeviceDX9*>(m_game->m_pRenderDevice);
    return device ? device->m_pDevice : nullptr;
}

std::string GameTest::LogTextFrom(size_t from) {
    const std::string text = ReadText(kLogFile);
    return text.size() > from ? text.substr(from) : std::string();
}
