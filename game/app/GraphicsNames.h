// The graphics resources the game finds by name in each of its three graphics scripts, with
// the size a texture must have where the drawing reads its regions by texture coordinates or
// draws it texel for pixel (0 by 0 for any size): one list for the game and for the tools
// that check a game root.
#pragma once

#include <cstdint>

#include "engine/graphics/Gfx.h"

struct CLookedUpGraphic {
    const char* name;
    uint32_t kind;  // EGfxKind
    uint32_t width;
    uint32_t height;
};

inline constexpr const char* kLoadingPictureName = "TEXTURE_LOADING";
inline constexpr const char* kBigGearName = "TEXTURE_GEAR_BIG";
inline constexpr const char* kSmallGearName = "TEXTURE_GEAR_SMALL";
inline constexpr const char* kMenuFontName = "FONT_MENU_FONT";
inline constexpr const char* kMenuFontTextureName = "FONT_MENU_TEXTURE";
inline constexpr const char* kPointerTextureName = "MOUSE_POINTER_TEXTURE";
// The glow a focused button or chooser lays over itself, named by its file: the buttons and
// choosers find it among the game's graphics, the slider among the interface's.
inline constexpr const char* kFocusGlowName = "data/textures/light_glow.tga";

// "scripts/gfx/loading.vsc": the picture and the gears of the loading screen.
inline constexpr CLookedUpGraphic kLoadingGraphics[] = {
    {kLoadingPictureName, kGfxTexture, 512, 512},
    {kBigGearName, kGfxTexture, 128, 128},
    {kSmallGearName, kGfxTexture, 64, 64},
};

// "scripts/gfx/gui.vsc": the menu font with the texture bound beside it, the pointer, the
// glow and the dialog skin.
inline constexpr CLookedUpGraphic kInterfaceGraphics[] = {
    {kMenuFontName, kGfxFont, 0, 0},
    {kMenuFontTextureName, kGfxTexture, 0, 0},
    {kPointerTextureName, kGfxTexture, 64, 64},
    {kFocusGlowName, kGfxTexture, 64, 64},
    {"TEXTURE_GUI_TOP_BKGND", kGfxTexture, 256, 256},
    {"TEXTURE_GUI_BORDER_TOP", kGfxTexture, 64, 32},
    {"TEXTURE_GUI_BORDER_BOTTOM", kGfxTexture, 64, 32},
    {"TEXTURE_GUI_BORDER_LEFT", kGfxTexture, 32, 64},
    {"TEXTURE_GUI_BORDER_RIGHT", kGfxTexture, 32, 64},
    {"TEXTURE_GUI_TOP_LEFT", kGfxTexture, 64, 64},
    {"TEXTURE_GUI_TOP_RIGHT", kGfxTexture, 64, 64},
    {"TEXTURE_GUI_CAPTION", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_CAPTION_MIDDLE", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_BUTTON", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_BUTTON_PRESSED", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_BUTTON_MIDDLE", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_BUTTON_PRESSED_MIDDLE", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_CONTROL_BORDER", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_CONTROL_BORDER_MIDDLE_H", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_CONTROL_BLUE", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_BOX_BORDER_CORNERS", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_BOX_BORDER_H", kGfxTexture, 32, 32},
    {"TEXTURE_GUI_BOX_BORDER_V", kGfxTexture, 32, 32},
};

// "scripts/gfx/gfx.vsc": the glow again and the effect sprites. The scene's models come with
// the scene.
inline constexpr CLookedUpGraphic kGameGraphics[] = {
    {kFocusGlowName, kGfxTexture, 64, 64},
    {"TEXTURE_SPARKLE", kGfxTexture, 0, 0},
    {"TEXTURE_FLAME2", kGfxTexture, 0, 0},
    {"TEXTURE_FUZE", kGfxTexture, 0, 0},
    {"TEXTURE_ROCKET_EFFECT", kGfxTexture, 0, 0},
    {"TEXTURE_STEAM_EFFECT", kGfxTexture, 0, 0},
    {"TEXTURE_EXPLOSION_EFFECT", kGfxTexture, 0, 0},
    {"TEXTURE_BALLOON_EXPLODE_EFFECT", kGfxTexture, 0, 0},
    {"TEXTURE_WIND_EFFECT", kGfxTexture, 0, 0},
    {"TEXTURE_BRICK_EXPL_EFFECT", kGfxTexture, 0, 0},
    {"TEXTURE_CONTACT", kGfxTexture, 0, 0},
};
