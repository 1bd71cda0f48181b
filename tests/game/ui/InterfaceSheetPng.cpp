// Draws the interface graphics of a game root (the pristine set's, made by the texture tool
// at build time) through the Direct3D 9 render device, laid out as the loading screen and the
// wooden dialogs lay them out, and writes the frame as a PNG for a person to look at: the
// loading screen at half size, a dialog with its frame, caption, buttons, fields, slider and
// memo frame, the pointer, and the effect sprites.
// interface_sheet_png <out.png> <game root>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "game/app/GameFiles.h"
#include "game/app/GraphicsNames.h"
#include "tests/support/PictureDevice.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 640;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kGlowColour = 0xFF606060;
constexpr uint32_t kFieldText = 0xFFD1ECE2;

class CSheet {
public:
    CSheet(CRenderDeviceDX9* device, CGfxHandler* loading, CGfxHandler* gui, CGfxHandler* game)
        : m_pDevice(device), m_pLoading(loading), m_pGui(gui), m_pGame(game) {}

    // False when a name the drawing needs is missing.
    bool Draw() {
        m_pFont = m_pGui->Find(kMenuFontName) ? m_pGui->Find(kMenuFontName)->GetFont() : nullptr;
        if (!m_pFont || !Texture(m_pGui, kMenuFontTextureName))
            return false;
        m_pDevice->Clear(kClearTarget | kClearDepth, 0xFF303840, 1.0f, 0);
        m_pDevice->BeginScene();
        m_pDevice->SetRenderState(kRenderDepthTest, kDepthOff);
        const bool drawn = LoadingScreen(0.5f) && Dialog(512.0f, 24.0f, 1000.0f, 420.0f) && Sprites(24.0f, 470.0f);
        m_pDevice->EndScene();
        return drawn && !m_bMissing;
    }

private:
    CTexture2D* Texture(CGfxHandler* handler, const char* name) {
        CGfx* gfx = handler->Find(name);
        CTexture* texture = gfx ? gfx->GetTexture() : nullptr;
        if (!texture || !texture->m_pTexture) {
            fprintf(stderr, "interface_sheet_png: no texture %s\n", name);
            m_bMissing = true;
            return nullptr;
        }
        return texture->m_pTexture;
    }

    void Quad(CGfxHandler* handler, const char* name, float x, float y, float w, float h, float u0, float v0,
              float u1, float v1, uint32_t colour = kWhite) {
        m_pDevice->SetTexture(0, Texture(handler, name));
        m_pDevice->DrawQuad2D(x, y, 0.5f, w, h, colour, u0, v0, u1, v1);
    }

    void Blend(uint32_t source, uint32_t destination) {
        m_pDevice->SetRenderState(kRenderAlphaBlendEnable, 1);
        m_pDevice->SetRenderState(kRenderSourceBlend, source);
        m_pDevice->SetRenderState(kRenderDestinationBlend, destination);
    }

    void Address(uint32_t u, uint32_t v) {
        m_pDevice->SetTextureStageState(0, kStageAddressU, u);
        m_pDevice->SetTextureStageState(0, kStageAddressV, v);
    }

    void Text(const char* text, float x, float y, float scale, uint32_t colour) {
        CTexture2D* texture = Texture(m_pGui, kMenuFontTextureName);
        m_pDevice->SetTexture(0, texture);
        const CVector3 at(x, y, 0.5f);
        m_pDevice->DrawText2D(&at, text, static_cast<int>(strlen(text)), m_pFont, static_cast<int>(texture->GetWidth()),
                              static_cast<int>(texture->GetHeight()), colour, scale, scale, 0.0f);
    }

    float TextWidth(const char* text, float scale) {
        return m_pDevice->GetTextWidth(text, static_cast<int>(strlen(text)), m_pFont, scale, 0.0f);
    }

    // The picture without blending, the big gear opaque, the small ones adding their light.
    bool LoadingScreen(float scale) {
        m_pDevice->SetRenderState(kRenderAlphaBlendEnable, 0);
        Quad(m_pLoading, kLoadingPictureName, 256 * scale, 64 * scale, 512 * scale, 512 * scale, 0, 0, 1, 1);
        m_pDevice->SetTexture(0, Texture(m_pLoading, kBigGearName));
        const CVector3 big(512 * scale, 660 * scale, 0.5f);
        m_pDevice->DrawRotatedQuad2D(&big, 128 * scale, 128 * scale, kWhite, 0.2f);
        Blend(kBlendOne, kBlendOne);
        m_pDevice->SetTexture(0, Texture(m_pLoading, kSmallGearName));
        for (const float x : {421.0f, 603.0f}) {
            const CVector3 small(x * scale, 660 * scale, 0.5f);
            m_pDevice->DrawRotatedQuad2D(&small, 64 * scale, 64 * scale, kWhite, -0.3f);
        }
        m_pDevice->SetRenderState(kRenderAlphaBlendEnable, 0);
        return true;
    }

    // The frame as the wooden dialog draws it: background, sides, corners, caption.
    void Frame(float left, float top, float right, float bottom, const char* caption) {
        const float w = right - left;
        const float h = bottom - top;
        Address(kAddressWrap, kAddressWrap);
        Quad(m_pGui, "TEXTURE_GUI_TOP_BKGND", left + 8, top + 8, w - 16, h - 16, 0, 0, (w - 16) / 256, (h - 16) / 256);
        Blend(kBlendSourceAlpha, kBlendInverseSourceAlpha);
        Address(kAddressWrap, kAddressClamp);
        Quad(m_pGui, "TEXTURE_GUI_BORDER_TOP", left + 44, top, w - 84, 32, 0, 0, (w - 84) / 64, 1);
        Quad(m_pGui, "TEXTURE_GUI_BORDER_BOTTOM", left + 40, bottom - 32, w - 80, 32, 0, 0, (w - 80) / 64, 1);
        Address(kAddressClamp, kAddressWrap);
        Quad(m_pGui, "TEXTURE_GUI_BORDER_LEFT", left, top + 44, 32, h - 84, 0, 0, 1, (h - 84) / 64);
        Quad(m_pGui, "TEXTURE_GUI_BORDER_RIGHT", right - 32, top + 40, 32, h - 80, 0, 0, 1, (h - 80) / 64);
        Address(kAddressClamp, kAddressClamp);
        Quad(m_pGui, "TEXTURE_GUI_TOP_LEFT", left, top, 44, 44, 0, 0, 0.6875f, 0.6875f);
        Quad(m_pGui, "TEXTURE_GUI_TOP_LEFT", right - 40, bottom - 40, 40, 40, 0.375f, 0.375f, 1, 1);
        Quad(m_pGui, "TEXTURE_GUI_TOP_RIGHT", right - 40, top, 40, 40, 0.375f, 0, 1, 0.625f);
        Quad(m_pGui, "TEXTURE_GUI_TOP_RIGHT", left, bottom - 40, 40, 40, 0, 0.375f, 0.625f, 1);
        const float plate = TextWidth(caption, 0.6f) + 32;
        const float cx = left + (w - plate) / 2 + 4;
        Quad(m_pGui, "TEXTURE_GUI_CAPTION", cx, top, 4, 32, 0, 0, 0.125f, 1);
        Quad(m_pGui, "TEXTURE_GUI_CAPTION", cx + plate - 12, top, 12, 32, 0.625f, 0, 1, 1);
        Address(kAddressWrap, kAddressClamp);
        Quad(m_pGui, "TEXTURE_GUI_CAPTION_MIDDLE", cx + 4, top, plate - 16, 32, 0, 0, 3.125f, 1);
        Blend(kBlendZero, kBlendInverseSourceColor);
        Text(caption, cx + 12, top, 0.6f, 0xFF808080);
        Blend(kBlendSourceAlpha, kBlendInverseSourceAlpha);
        Address(kAddressWrap, kAddressWrap);
    }

    void Button(float left, float top, float width, const char* label, bool pressed, bool focused) {
        const char* ends = pressed ? "TEXTURE_GUI_BUTTON_PRESSED" : "TEXTURE_GUI_BUTTON";
        const char* middle = pressed ? "TEXTURE_GUI_BUTTON_PRESSED_MIDDLE" : "TEXTURE_GUI_BUTTON_MIDDLE";
        Quad(m_pGui, middle, left + 16, top, width - 32, 32, pressed ? -0.09375f : 0.0f, 0, (width - 20) / 32, 1);
        Quad(m_pGui, ends, left, top, 16, 32, 0, 0, 0.5f, 1);
        Quad(m_pGui, ends, left + width - 16, top, 16, 32, 0.5f, 0, 1, 1);
        const float x = left + (width - TextWidth(label, 0.6f)) / 2 + (pressed ? 0 : -2);
        Text(label, x, top + (pressed ? 3 : 1), 0.6f, kWhite);
        if (focused)
            Glow(m_pGame, left - 16, top - 16, width + 32, 64);
    }

    void Glow(CGfxHandler* handler, float x, float y, float w, float h) {
        Blend(kBlendOne, kBlendOne);
        Quad(handler, kFocusGlowName, x, y, w, h, 0, 0, 1, 1, kGlowColour);
        Blend(kBlendSourceAlpha, kBlendInverseSourceAlpha);
    }

    // An edit field or a chooser: the shadow, the text, and the hollow frame over both.
    void Field(float left, float top, float width, const char* text, bool centred) {
        m_pDevice->SetTexture(0, nullptr);
        m_pDevice->DrawQuad2D(left + 3, top + 3, 0.5f, width - 6, 20, 0x80000000, 0, 0, 1, 1);
        const float x = centred ? left + (width - TextWidth(text, 0.5f)) / 2 : left + 4;
        Text(text, x, top + 1, 0.5f, kFieldText);
        Quad(m_pGui, "TEXTURE_GUI_CONTROL_BORDER_MIDDLE_H", left + 16, top, width - 32, 25, 0, 0, (width - 20) / 32,
             0.796875f);
        Quad(m_pGui, "TEXTURE_GUI_CONTROL_BORDER", left, top, 16, 25, 0, 0, 0.5f, 0.796875f);
        Quad(m_pGui, "TEXTURE_GUI_CONTROL_BORDER", left + width - 16, top, 16, 25, 0.5f, 0, 1, 0.796875f);
    }

    void Slider(float left, float top, float width, float thumb) {
        Field(left, top, width, "", false);
        Quad(m_pGui, "TEXTURE_GUI_CONTROL_BLUE", thumb + 3, top + 3, 10, 19, 0, 0, 0.3125f, 0.609375f);
        Quad(m_pGui, "TEXTURE_GUI_CONTROL_BLUE", left + width + 8, top, 40, 20, 0, 0, 40.0f / 32, 0.609375f);
        Text("+", left + width + 22, top - 1, 0.5f, kWhite);
    }

    // A memo's frame around its text, on half-transparent black.
    void Memo(float left, float top, float right, float bottom) {
        const float w = right - left;
        const float h = bottom - top;
        m_pDevice->SetTexture(0, nullptr);
        m_pDevice->DrawQuad2D(left - 2, top - 2, 0.5f, w + 4, h + 4, 0x80000000, 0, 0, 1, 1);
        const float l = left - 3;
        const float t = top - 23;
        const float r = right + 3;
        const float b = bottom + 23;
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_CORNERS", l, t, 16, 16, 0, 0, 0.5f, 0.5f);
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_CORNERS", r - 16, t, 16, 16, 0.5f, 0, 1, 0.5f);
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_CORNERS", l, b - 16, 16, 16, 0, 0.5f, 0.5f, 1);
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_CORNERS", r - 16, b - 16, 16, 16, 0.5f, 0.5f, 1, 1);
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_H", l + 16, t, w - 26, 16, 0, 0, (w - 32) / 32, 0.5f);
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_H", l + 16, b - 16, w - 26, 16, 0, 0.5f, (w - 32) / 32, 1);
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_V", l, t + 16, 16, h + 14, 0, 0, 0.5f, (h - 32) / 32);
        Quad(m_pGui, "TEXTURE_GUI_BOX_BORDER_V", r - 16, t + 16, 16, h + 14, 0.5f, 0, 1, (h - 32) / 32);
        Text("Build a machine that rings the bell.", left + 4, top, 0.5f, kWhite);
        Text("Drag parts from the bar onto the board.", left + 4, top + 20, 0.5f, kWhite);
    }

    bool Dialog(float left, float top, float right, float bottom) {
        Frame(left, top, right, bottom, "Options");
        Field(left + 48, top + 56, 200, "Player", false);
        Field(left + 270, top + 56, 160, "1024 x 768", true);
        Slider(left + 48, top + 100, 320, left + 200);
        Memo(left + 56, top + 176, right - 56, top + 236);
        Button(left + 48, bottom - 72, 120, "OK", false, true);
        Button(left + 180, bottom - 72, 120, "Cancel", true, false);
        Button(left + 312, bottom - 72, 120, "Help", false, false);
        Quad(m_pGui, kPointerTextureName, left + 100 - 4, bottom - 60 - 4, 48, 48, 0, 0, 1, 1);
        m_pDevice->SetRenderState(kRenderAlphaBlendEnable, 0);
        m_pDevice->SetTexture(0, nullptr);
        return true;
    }

    // The effect sprites side by side, blended by their alpha, with the glow added after them.
    bool Sprites(float left, float top) {
        static const char* const kSprites[] = {
            "TEXTURE_SPARKLE", "TEXTURE_FLAME2", "TEXTURE_FUZE", "TEXTURE_ROCKET_EFFECT",
            "TEXTURE_STEAM_EFFECT", "TEXTURE_EXPLOSION_EFFECT", "TEXTURE_BALLOON_EXPLODE_EFFECT", "TEXTURE_WIND_EFFECT",
            "TEXTURE_BRICK_EXPL_EFFECT", "TEXTURE_CONTACT",
        };
        Blend(kBlendSourceAlpha, kBlendInverseSourceAlpha);
        float x = left;
        for (const char* name : kSprites) {
            Quad(m_pGame, name, x, top, 80, 80, 0, 0, 1, 1);
            x += 88;
        }
        Glow(m_pGame, x, top, 80, 80);
        m_pDevice->SetRenderState(kRenderAlphaBlendEnable, 0);
        m_pDevice->SetTexture(0, nullptr);
        return true;
    }

    CRenderDeviceDX9* m_pDevice;
    CGfxHandler* m_pLoading;
    CGfxHandler* m_pGui;
    CGfxHandler* m_pGame;
    CFont* m_pFont = nullptr;
    bool m_bMissing = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: interface_sheet_png <out.png> <game root>\n");
        return 2;
    }
    const char* out = argv[1];
    const std::string prefix = std::string(argv[2]) + "/";
    CPictureDevice picture;
    if (!picture.Open("interface_sheet_png", kWidth, kHeight, 64, 1024, 1024))
        return 1;
    bool written = false;
    int width = 0;
    int height = 0;
    {
        CGfxHandler loading;
        CGfxHandler gui;
        CGfxHandler game;
        bool loaded = true;
        for (auto [handler, script] : {std::pair{&loading, kLoadingGfxScriptPath}, std::pair{&gui, kGuiGfxScriptPath},
                                       std::pair{&game, kGameGfxScriptPath}}) {
            handler->Init(&picture.device);
            if (!handler->LoadScript((prefix + script).c_str(), prefix.c_str())) {
                fprintf(stderr, "interface_sheet_png: %s%s does not load\n", prefix.c_str(), script);
                loaded = false;
            }
        }
        CSheet sheet(&picture.device, &loading, &gui, &game);
        written = loaded && sheet.Draw() && picture.WriteBackBuffer(out, &width, &height);
    }
    if (!written) {
        fprintf(stderr, "interface_sheet_png: cannot render or write %s\n", out);
        return 1;
    }
    printf("interface_sheet_png: wrote %s (%dx%d)\n", out, width, height);
    return 0;
}
