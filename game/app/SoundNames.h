// The sounds the game plays from a game root: the effects it finds by name in the sound
// script, each with whether it loops, and the music themes it opens by number. One list for
// the game and for the tools that check a game root.
#pragma once

#include <cstdio>
#include <string>

struct CLookedUpSound {
    const char* name;
    bool loop;
};

// Blocks of "scripts/sound/soundfx.vsc", each of type "TOLPSOUND_SOUND_2D". The motor, the
// vacuum cleaner and the gramophone set their own pitch, in hertz over the file's rate.
inline constexpr CLookedUpSound kEffectSounds[] = {
    {"SOUND_FX_AIRSHIP", true},
    {"SOUND_FX_BALLOON", false},
    {"SOUND_FX_BALL_BASKET", false},
    {"SOUND_FX_BALL_BEACH", false},
    {"SOUND_FX_BALL_BILLARD", false},
    {"SOUND_FX_BALL_BOWLING", false},
    {"SOUND_FX_BALL_STEEL", false},
    {"SOUND_FX_BALL_TABLETENNIS", false},
    {"SOUND_FX_BALL_TENNIS", false},
    {"SOUND_FX_BELLOW", false},
    {"SOUND_FX_BELLRING", true},
    {"SOUND_FX_BOMB", false},
    {"SOUND_FX_BONUS_BIRD", false},
    {"SOUND_FX_BUCKET", false},
    {"SOUND_FX_CABLE_PLUG", false},
    {"SOUND_FX_CAGE", false},
    {"SOUND_FX_CANNON", false},
    {"SOUND_FX_CATAPULT", false},
    {"SOUND_FX_CRATE", false},
    {"SOUND_FX_CROSSBOW", false},
    {"SOUND_FX_DOMINO", false},
    {"SOUND_FX_EXPLOSION", false},
    {"SOUND_FX_EXPLOSION_BOMB", false},
    {"SOUND_FX_EXPLOSION_NITRO", false},
    {"SOUND_FX_FLASK", true},
    {"SOUND_FX_FUZE", true},
    {"SOUND_FX_GRAMOPHONE_BACKWARD", true},
    {"SOUND_FX_GRAMOPHONE_FOWARD", true},  // spelt so in the game
    {"SOUND_FX_GRAVITATION", false},
    {"SOUND_FX_HAMMER", false},
    {"SOUND_FX_LAMPCLICK", false},
    {"SOUND_FX_MOTOR", true},
    {"SOUND_FX_POWER_LIGHTNING", false},
    {"SOUND_FX_POWER_SWITCH", false},
    {"SOUND_FX_PUSH_BUTTON", false},
    {"SOUND_FX_ROBOT", true},
    {"SOUND_FX_ROCKET_EXPLODE", false},
    {"SOUND_FX_ROCKET_FIRE", false},
    {"SOUND_FX_SCISSORS", false},
    {"SOUND_FX_SPRING", false},
    {"SOUND_FX_STEAM_WHISTLE", true},
    {"SOUND_FX_TOASTER", false},
    {"SOUND_FX_TRAP_DOOR", false},
    {"SOUND_FX_VACUUM", true},
    {"SOUND_FX_WEIGHT", false},
};

// The music themes, "data/music/theme00.ogg" to "theme04.ogg": set-up opens the theme one
// below the "Music" setting (1 to 4), the options dialog the theme of the setting itself.
inline constexpr const char* kMusicThemeFormat = "data/music/theme%02d.ogg";
inline constexpr int kMusicThemeCount = 5;

inline std::string MusicThemePath(int theme) {
    char path[64];
    snprintf(path, sizeof path, kMusicThemeFormat, theme);
    return path;
}
