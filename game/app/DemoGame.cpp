#include "game/app/DemoGame.h"

#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/ViewportWin32.h"
#include "engine/sound/SoundDeviceOpenAL.h"

namespace {

constexpr int kEscapeKey = 0x01;
constexpr int kIconResource = 100;
constexpr uint32_t kBackgroundColour = 0xFF1C2433;

}  // namespace

int CDemoGame::CreateViewport() {
    m_pViewport = new CViewportWin32;
    return 1;
}

int CDemoGame::CreateDevices() {
    m_pRenderDevice = new CRenderDeviceDX9;
    m_pSoundDevice = new CSoundDeviceOpenAL;
    m_pInputDevice = new CInputDeviceDX;
    return 1;
}

void CDemoGame::OnStart() {
    m_pViewport->SetIcon(kIconResource);
}

int CDemoGame::Update(double dt) {
    m_bUseElapsedTime = 1;
    if (!CBaseGame::Update(dt))
        return 0;
    if (m_pInputDevice->IsKeyDown(kEscapeKey))
        Quit(0);
    return 1;
}

int CDemoGame::Render() {
    m_pRenderDevice->Clear(kClearTarget | kClearDepth, kBackgroundColour, 1.0f, 0);
    if (!m_pRenderDevice->BeginScene())
        return 1;  // lost: nothing to draw into until the device is back
    CBaseGame::Render();
    m_pRenderDevice->EndScene();
    return 1;
}
