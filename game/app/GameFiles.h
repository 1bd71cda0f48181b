// The files the game's start-up reads, relative to the game root: one list for the game and
// for the tools that check a game root.
#pragma once

inline constexpr const char* kConfigScriptPath = "scripts/config/config.vsc";
inline constexpr const char* kLabsScriptPath = "scripts/config/labs.vsc";
inline constexpr const char* kLoadingGfxScriptPath = "scripts/gfx/loading.vsc";
inline constexpr const char* kGuiGfxScriptPath = "scripts/gfx/gui.vsc";
inline constexpr const char* kGameGfxScriptPath = "scripts/gfx/gfx.vsc";
inline constexpr const char* kShaderScriptPath = "scripts/shaders/shaders.shd";
inline constexpr const char* kSoundScriptPath = "scripts/sound/soundfx.vsc";

// The dialogs' scripts in the order start-up loads them, with the line a failed load logs.
struct CDialogScript {
    const char* path;
    const char* failureLine;
};
inline constexpr CDialogScript kDialogScripts[] = {
    {"scripts/gui/optionmenu.vsc", "\tFAILED (OptionMenu)\n"},
    {"scripts/gui/creditsmenu.vsc", "\tFAILED (Credits)\n"},
    {"scripts/gui/chooselevel.vsc", "\tFAILED (ChooseLevel)\n"},
    {"scripts/gui/labchoose.vsc", "\tFAILED (LabChoose)\n"},
    {"scripts/gui/labchooseenhanced.vsc", "\tFAILED (LabChooseEhanced)\n"},
    {"scripts/gui/fileopen.vsc", "\tFAILED (FileOpen\n)"},
    {"scripts/gui/memobox.vsc", "\tFAILED (Memobox)\n"},
    {"scripts/gui/levelproperty.vsc", "\tFAILED (LevelProperty)\n"},
    {"scripts/gui/leveldone.vsc", "\tFAILED (LevelDone)\n"},
    {"scripts/gui/startlevel.vsc", "\tFAILED (StartLevel)\n"},
};
