// The application's devices, its graphics and sound set-up, the graphics settings on the
// render device, the display-mode list, the system pointer and the CD's next track.
#include <cmath>

#include "engine/core/LogFile.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/platform/InputDevice.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/ViewportWin32.h"
#include "engine/sound/SoundDeviceOpenAL.h"
#include "engine/sound/SoundHandler.h"
#include "game/app/Game.h"
#include "game/app/GameFiles.h"
#include "game/app/GraphicsNames.h"
#include "game/flow/RODAGame.h"
#include "winapi/base/WinFile.h"
#include "winapi/base/WinRandom.h"
#include "winapi/window/WinWindow.h"

namespace {

constexpr int kTextureStages = 8;
constexpr uint32_t kMaxAnisotropy = 4;
constexpr WPARAM kCDPlayCompleted = 1;

CColorValue ColorFromARGB(uint32_t argb) {
    constexpr float kScale = 0.003921569f;
    return {static_cast<float>((argb >> 16) & 0xFF) * kScale, static_cast<float>((argb >> 8) & 0xFF) * kScale,
            static_cast<float>(argb & 0xFF) * kScale, static_cast<float>((argb >> 24) & 0xFF) * kScale};
}

CLight SceneLight() {
    const CColorValue white = {1.0f, 1.0f, 1.0f, 1.0f};
    const float length = std::sqrt(0.4f * 0.4f + 0.5f * 0.5f + 1.0f * 1.0f);
    CLight light = {};
    light.nType = kLightDirectional;
    light.Diffuse = white;
    light.Specular = white;
    light.Ambient = white;
    light.vPosition = CVector3(0.0f, 0.0f, 0.0f);
    light.vDirection = CVector3(0.4f / length, -0.5f / length, 1.0f / length);
    light.fAttenuation0 = 1.0f;
    return light;
}

CMaterial SceneMaterial() {
    CMaterial material = {};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = ColorFromARGB(0xFF808080);
    material.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Emissive = ColorFromARGB(0xFF000000);
    material.fPower = 32.0f;
    return material;
}

}  // namespace

int CGame::CreateDevices() {
    m_pRenderDevice = new CRenderDeviceDX9;
    m_pSoundDevice = new CSoundDeviceOpenAL;
    m_pInputDevice = new CInputDeviceDX;
    return m_pRenderDevice && m_pSoundDevice ? 1 : 0;
}

int CGame::CreateViewport() {
    m_pViewport = new CViewportWin32;
    return m_pViewport ? 1 : 0;
}

void CGame::OnDeviceLost() {
    m_bUseElapsedTime = 0;
}

void CGame::OnDeviceReset() {
    ApplyGfxSettings();
}

void CGame::Log(const char* text) {
    if (m_pLog)
        m_pLog->Write(text);
}

bool CGame::LogStep(const char* line, bool succeeded) {
    Log(line);
    Log(succeeded ? "\t\tOK\n" : "\t\tFAILED\n");
    return succeeded;
}

int CGame::InitGfx() {
    DeleteFileA("gfxhandler.log");
    if (!LogStep("\t\tInit GUI Gfx Handler", m_pGuiGfx->Init(m_pRenderDevice)))
        return 0;
    m_pGuiGfx->m_pfnProgress = &CGame::LoadingProgress;
    m_pGuiGfx->m_pProgressArgument = this;
    if (!LogStep("\t\tLoading GUI Gfx Script", m_pGuiGfx->LoadScript(kGuiGfxScriptPath, nullptr)))
        return 0;
    if (!LogStep("\t\tInit Gfx Handler", m_pGameGfx->Init(m_pRenderDevice)))
        return 0;
    m_pGameGfx->m_pfnProgress = &CGame::LoadingProgress;
    m_pGameGfx->m_pProgressArgument = this;
    if (!LogStep("\t\tLoading Gfx Script", m_pGameGfx->LoadScript(kGameGfxScriptPath, nullptr)))
        return 0;
    m_pShaderHandler->Init(m_pRenderDevice);
    LogStep("\t\tInit Shader Handler", true);
    if (!LogStep("\t\tLoading Shader Script", m_pShaderHandler->LoadScript(kShaderScriptPath, m_pGameGfx)))
        return 0;

    delete m_pCamera;
    m_pCamera = new CCamera;
    m_pCamera->Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.1f, 1000.0f, 40.0f, 0.5235988f, 1.3333334f, 0);
    m_pCamera->SetEye(CVector3(0.0f, 0.0f, -12.8f));
    m_pCamera->SetTarget(CVector3(0.0f, 0.0f, 0.0f));
    // Billboards and drawn texts find the scene camera through the device.
    m_pRenderDevice->m_pCamera = m_pCamera;
    ApplyGfxSettings();

    m_pMenuFont = m_pGuiGfx->Find(kMenuFontName);
    m_pMenuFontTexture = m_pGuiGfx->Find(kMenuFontTextureName);
    m_pPointerTexture = m_pGuiGfx->Find(kPointerTextureName);
    m_pController->InitEffects();
    return 1;
}

int CGame::InitSound() {
    if (!LogStep("\t\tInit Sound FX Handler", m_pSoundHandler->Init(m_pSoundDevice)))
        return 0;
    return LogStep("\t\tInit Sound FX Script", m_pSoundHandler->LoadScript(kSoundScriptPath)) ? 1 : 0;
}

void CGame::ApplyGfxSettings() {
    CRenderDevice* device = m_pRenderDevice;
    if (m_pCamera)
        m_pCamera->Apply(device);
    device->LightEnable(0, 1);
    const CLight light = SceneLight();
    device->SetLight(0, &light);
    const CMaterial material = SceneMaterial();
    device->SetMaterial(&material);
    device->SetRenderState(kRenderSpecularEnable, 1);
    device->SetTextureLOD(m_nTextureQuality);

    // Minification, magnification and mip filter by "TextureFilter"; any other value keeps
    // what the device has.
    static const uint32_t kFilters[3][3] = {
        {kFilterLinear, kFilterLinear, kFilterPoint},
        {kFilterLinear, kFilterLinear, kFilterLinear},
        {kFilterAnisotropic, kFilterAnisotropic, kFilterLinear},
    };
    if (m_nTextureFilter < 3) {
        const uint32_t* filters = kFilters[m_nTextureFilter];
        for (uint32_t stage = 0; stage < kTextureStages; ++stage) {
            device->SetTextureStageState(stage, kStageMinFilter, filters[0]);
            device->SetTextureStageState(stage, kStageMagFilter, filters[1]);
            device->SetTextureStageState(stage, kStageMipFilter, filters[2]);
            device->SetTextureStageState(stage, kStageTexCoordIndex, 0);
        }
    }
    for (uint32_t stage = 0; stage < kTextureStages; ++stage)
        device->SetTextureStageState(stage, kStageMaxAnisotropy, kMaxAnisotropy);
}

void CGame::CollectDisplayModes() {
    if (!m_pDisplayModes)
        m_pDisplayModes = new CEventList(1, 1);
    const CDisplayModeList* modes = m_pRenderDevice ? m_pRenderDevice->m_pDisplayModes : nullptr;
    if (!modes)
        return;
    for (uint32_t i = 0; i < modes->m_nCount; ++i) {
        const int32_t height = static_cast<int32_t>(modes->m_pItems[i].nHeight);
        const int32_t width = static_cast<int32_t>(modes->m_pItems[i].nWidth);
        bool known = false;
        for (auto* node = m_pDisplayModes->m_pHead; node && !known; node = node->m_pNext)
            known = node->m_data.m_nType == height && node->m_data.m_nParam == width;
        if (!known)
            m_pDisplayModes->Append(CInputEvent{height, width});
    }
}

int CGame::UpdateCursor() {
    RECT client = {};
    POINT pointer = {};
    if (m_pViewport)
        GetClientRect(m_pViewport->GetWindowHandle(), &client);
    if (m_pInputDevice)
        m_pInputDevice->GetMousePos(&pointer);
    if (m_nSoftwareCursor && PtInRect(&client, pointer)) {
        SetCursor(nullptr);
        return 1;
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return 0;
}

void CGame::OnCDNotify(WPARAM code, LPARAM /*device*/) {
    if (code != kCDPlayCompleted)
        return;
    const int tracks = m_CDAudio.GetTrackCount();
    if (tracks <= 0)
        return;
    uint32_t track = m_nMusicCDOrder ? static_cast<uint32_t>(winapi::rand() % tracks + 1) : m_nCDTrack + 1;
    if (track > static_cast<uint32_t>(tracks))
        track = 1;
    m_nCDTrack = track;
    m_CDAudio.Play(static_cast<int>(track), 0);
}
