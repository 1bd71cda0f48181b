// The loading screen: a picture and three gears, drawn and presented whenever a loader
// reports progress during start-up.
#include <initializer_list>

#include "engine/core/PointerList.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "game/app/Game.h"
#include "game/app/GraphicsNames.h"

namespace {

// The gears turn by a fixed angle per drawn frame, however long loading takes: the big one
// by one degree, the small ones the other way and faster.
constexpr float kBigGearStep = 0.017453292f;
constexpr float kSmallGearStep = 0.0319913f;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kPictureColour = 0x0FFFFFFF;

// Binds the texture of a found resource; false when there is nothing to draw with.
bool BindTexture(CRenderDevice* device, const CGfx* gfx) {
    CTexture2D* texture = DeviceTextureOf(gfx);
    if (!texture)
        return false;
    device->SetTexture(0, texture);
    return true;
}

}  // namespace

void CGame::LoadingProgress(void* context) {
    static_cast<CGame*>(context)->DrawLoadingScreen();
}

void CGame::DrawLoadingScreen() {
    CRenderDevice* device = m_pRenderDevice;
    // Once start-up has emptied the loading handler its textures are gone.
    const bool loaded = m_pLoadingGfx && m_pLoadingGfx->m_pResources && m_pLoadingGfx->m_pResources->m_nCount > 0;
    if (!loaded)
        m_bLoadingTexturesFound = false;
    if (!device || !loaded)
        return;
    if (!m_bLoadingTexturesFound) {
        m_pLoadingTexture = m_pLoadingGfx->Find(kLoadingPictureName);
        m_pBigGearTexture = m_pLoadingGfx->Find(kBigGearName);
        m_pSmallGearTexture = m_pLoadingGfx->Find(kSmallGearName);
        m_bLoadingTexturesFound = true;
    }
    const float sx = m_fGuiScaleX;
    const float sy = m_fGuiScaleY;

    device->BeginScene();
    device->Clear(kClearTarget | kClearDepth, 0, 1.0f, 0);
    device->SetRenderState(kRenderDepthTest, kDepthOff);
    if (BindTexture(device, m_pLoadingTexture))
        device->DrawQuad2D(256.0f * sx, 64.0f * sy, 0.5f, 512.0f * sx, 512.0f * sy, kPictureColour, 0.0f, 0.0f, 1.0f,
                           1.0f);
    if (BindTexture(device, m_pBigGearTexture)) {
        const CVector3 centre(512.0f * sx, 660.0f * sy, 0.5f);
        device->DrawRotatedQuad2D(&centre, 128.0f * sx, 128.0f * sy, kWhite, m_fBigGearAngle);
    }
    device->SetRenderState(kRenderAlphaBlendEnable, 1);
    device->SetRenderState(kRenderSourceBlend, kBlendOne);
    device->SetRenderState(kRenderDestinationBlend, kBlendOne);
    if (BindTexture(device, m_pSmallGearTexture)) {
        for (const float x : {421.0f, 603.0f}) {
            const CVector3 centre(x * sx, 660.0f * sy, 0.5f);
            device->DrawRotatedQuad2D(&centre, 64.0f * sx, 64.0f * sy, kWhite, m_fSmallGearAngle);
        }
    }
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
    device->SetRenderState(kRenderDepthTest, kDepthOn);
    device->EndScene();
    device->Present();

    m_fBigGearAngle += kBigGearStep;
    m_fSmallGearAngle -= kSmallGearStep;
}
