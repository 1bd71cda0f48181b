// The application frame on the real window and devices as the program opens them (the
// Direct3D 9 render device, OpenAL sound, keyboard and mouse input), clearing every frame:
// what the frame benchmark and its cold-start probe run.
#pragma once

#include "engine/core/frame/BaseGame.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/ViewportWin32.h"
#include "engine/sound/SoundDeviceOpenAL.h"

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
