// The game's frame: the scene through the object list's passes and the controller's, the
// stencil shadows darkened, the interface, the word "Pause" and the game-drawn pointer.
#include "engine/core/Vector3.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/Texture2D.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObjectList.h"
#include "game/app/Game.h"
#include "game/flow/RODAGame.h"

namespace {

// The object list's passes: the scene, and what is drawn over it.
constexpr uint32_t kScenePass = 0;
constexpr uint32_t kOverlayPass = 10;
constexpr uint32_t kWhite = 0xFFFFFFFF;
// Black at half strength, laid over every pixel that lies in a shadow.
constexpr uint32_t kShadowColour = 0x80000000;
// The texture-stage arguments the darkening takes its alpha from.
constexpr uint32_t kArgumentDiffuse = 0;
constexpr uint32_t kArgumentTexture = 2;

constexpr const char kPauseText[] = "Pause";
constexpr int kPauseLength = sizeof kPauseText - 1;
// The word's top in reference pixels.
constexpr float kPauseTop = 380.0f;
// The pointer's square in reference pixels, and how far its corner stands up and left of the
// pointer position; both scale with the interface's x scale only.
constexpr float kPointerSize = 48.0f;
constexpr float kPointerOffset = 4.0f;

// What follows is laid over what is drawn by its alpha.
void BlendOverWhatIsDrawn(CRenderDevice* device) {
    device->SetRenderState(kRenderAlphaBlendEnable, 1);
    device->SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
    device->SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
}

}  // namespace

bool CGame::HasStencil() const {
    return m_pRenderDevice->m_nDepthFormat == kFormatD24S8;
}

void CGame::DarkenShadows() {
    CRenderDevice* device = m_pRenderDevice;
    device->SetRenderState(kRenderDepthTest, kDepthOff);
    device->SetRenderState(kRenderStencilEnable, 1);
    BlendOverWhatIsDrawn(device);
    device->SetTextureStageState(0, kStageAlphaArgument1, kArgumentTexture);
    device->SetTextureStageState(0, kStageAlphaArgument2, kArgumentDiffuse);
    device->SetTextureStageState(0, kStageAlphaOperation, kOpModulate);
    // Wherever the shadow volumes left a count of 1 or more.
    device->SetRenderState(kRenderStencilReference, 1);
    device->SetRenderState(kRenderStencilCompare, kCompareLessEqual);
    device->SetRenderState(kRenderStencilPass, kStencilKeep);
    device->DrawQuad2D(0.0f, 0.0f, 0.5f, static_cast<float>(device->m_nWidth), static_cast<float>(device->m_nHeight),
                       kShadowColour, 0.0f, 0.0f, 1.0f, 1.0f);
    device->SetTextureStageState(0, kStageAlphaOperation, kOpSelectArgument1);
    device->SetRenderState(kRenderDepthTest, kDepthOn);
    device->SetRenderState(kRenderStencilEnable, 0);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
}

void CGame::DrawPauseText() {
    CFont* font = m_pMenuFont ? m_pMenuFont->GetFont() : nullptr;
    CTexture2D* texture = DeviceTextureOf(m_pMenuFontTexture);
    if (!font || !texture)
        return;
    CRenderDevice* device = m_pRenderDevice;
    device->SetTexture(0, texture);
    BlendOverWhatIsDrawn(device);
    const float width = device->GetTextWidth(kPauseText, kPauseLength, font, 1.0f, 0.0f);
    const CVector3 at((m_fReferenceWidth - width) * m_fGuiScaleX * 0.5f, kPauseTop * m_fGuiScaleY, 0.5f);
    device->DrawText2D(&at, kPauseText, kPauseLength, font, static_cast<int>(texture->GetWidth()),
                       static_cast<int>(texture->GetHeight()), kWhite, m_fGuiScaleX, m_fGuiScaleY, 0.0f);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
    device->SetTexture(0, nullptr);
}

void CGame::DrawPointer() {
    CTexture2D* texture = DeviceTextureOf(m_pPointerTexture);
    if (!texture)
        return;
    CRenderDevice* device = m_pRenderDevice;
    BlendOverWhatIsDrawn(device);
    device->SetTexture(0, texture);
    const float offset = kPointerOffset * m_fGuiScaleX;
    const float size = kPointerSize * m_fGuiScaleX;
    device->DrawQuad2D(static_cast<float>(m_nPointerX) - offset, static_cast<float>(m_nPointerY) - offset, 0.4f, size,
                       size, kWhite, 0.0f, 0.0f, 1.0f, 1.0f);
    device->SetTexture(0, nullptr);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
}

void CGame::DrawWorld() {
    C3DObjectList* objects = m_pWorld->m_pInstanceTree->m_pOList;
    objects->m_nDrawn = 0;
    m_pController->PrepareLevelBar();
    objects->DrawPass(m_fSceneClock, kScenePass);
    m_pController->DrawScene();
    if (m_nShadows != 0 && HasStencil()) {
        objects->DrawShadowVolumes();
        m_pController->DrawShadows();
        DarkenShadows();
    }
    m_pController->Draw();
    objects->DrawPass(m_fTotalStepTime, kOverlayPass);
    m_pController->DrawHoverText();
}

int CGame::Render() {
    CRenderDevice* device = m_pRenderDevice;
    device->BeginScene();
    device->Clear(HasStencil() ? kClearTarget | kClearDepth | kClearStencil : kClearTarget | kClearDepth, 0, 1.0f, 0);
    // Until the start-up has made them there is no scene.
    if (m_pWorld && m_pController)
        DrawWorld();
    CBaseGame::Render();
    const bool offStartScreen = m_pController && !m_pController->m_bStartScreen;
    if (m_bPaused || (!m_bWindowEnabled && offStartScreen))
        DrawPauseText();
    if (m_nSoftwareCursor != 0)
        DrawPointer();
    device->EndScene();
    return 1;
}
