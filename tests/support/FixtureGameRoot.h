// A small game root for the game's tests, written at test time into a GameRoot by the
// project's own tools and writers: the system scripts of a 1024 x 768 window, the loading,
// interface and game graphics scripts with textures from the texture generator under every
// name the game looks up, the menu font from the font converter and a model from the model
// writer, a shader script, a sound script with a tone made by sox under every effect name, the
// music themes from the sound synthesiser, the two settings scripts, the ten dialog scripts,
// the element scripts of the scenes with the score displays' rollers, and a string table. The
// names and paths are constants, so that a test can break one file and see one start-up step
// fail.
#pragma once

#include <string>

#include "game/app/GameFiles.h"
#include "game/app/GraphicsNames.h"
#include "game/flow/ControllerFiles.h"

class GameRoot;

namespace fixture {

// A named resource of a graphics or sound script and the file it names, relative to the root.
struct Resource {
    const char* name;
    const char* file;
};

// The window of the display script, and the reference size of the interface.
inline constexpr int kWidth = 1024;
inline constexpr int kHeight = 768;

// The scripts are where the game reads them.
inline constexpr const char* kLoadingGfxScript = ::kLoadingGfxScriptPath;
inline constexpr const char* kGuiGfxScript = ::kGuiGfxScriptPath;
inline constexpr const char* kGameGfxScript = ::kGameGfxScriptPath;
inline constexpr const char* kShaderScript = ::kShaderScriptPath;
inline constexpr const char* kSoundScript = ::kSoundScriptPath;
inline constexpr const char* kConfigScript = ::kConfigScriptPath;
inline constexpr const char* kLabsScript = ::kLabsScriptPath;

// The loading script: the background and the two gears of the loading screen.
inline constexpr Resource kLoadingBackground = {::kLoadingPictureName, "data/textures/loading.tga"};
inline constexpr Resource kBigGear = {::kBigGearName, "data/textures/gear_big.tga"};
inline constexpr Resource kSmallGear = {::kSmallGearName, "data/textures/gear_small.tga"};
inline constexpr Resource kLoadingTextures[] = {kLoadingBackground, kBigGear, kSmallGear};

// The interface script: the menu font (bitmap cells) and its glyph texture, the pointer and
// the nine pieces of the dialog frame, in this order.
inline constexpr Resource kMenuFont = {::kMenuFontName, "data/fonts/menu_cells.fnt"};
inline constexpr Resource kMenuFontTexture = {::kMenuFontTextureName, "data/fonts/menu_cells.tga"};
inline constexpr Resource kPointerTexture = {::kPointerTextureName, "data/textures/pointer.tga"};
inline constexpr Resource kDialogSkin[] = {
    {"TEXTURE_GUI_BORDER_LEFT", "data/textures/gui_border_left.tga"},
    {"TEXTURE_GUI_BORDER_RIGHT", "data/textures/gui_border_right.tga"},
    {"TEXTURE_GUI_BORDER_TOP", "data/textures/gui_border_top.tga"},
    {"TEXTURE_GUI_BORDER_BOTTOM", "data/textures/gui_border_bottom.tga"},
    {"TEXTURE_GUI_TOP_LEFT", "data/textures/gui_top_left.tga"},
    {"TEXTURE_GUI_TOP_RIGHT", "data/textures/gui_top_right.tga"},
    {"TEXTURE_GUI_TOP_BKGND", "data/textures/gui_top_bkgnd.tga"},
    {"TEXTURE_GUI_CAPTION", "data/textures/gui_caption.tga"},
    {"TEXTURE_GUI_CAPTION_MIDDLE", "data/textures/gui_caption_middle.tga"},
};
// Each of the three scripts then holds a plain texture under every other name the game looks
// up in it (the rest of the skin, the glow, the effect sprites), of the size the game needs.

// The game script: one texture, then the models: the scenes' ball and the rollers' card, a
// plain card of ten frames (a frame per digit).
inline constexpr Resource kGameTexture = {"TEXTURE_FLOOR", "data/textures/floor.tga"};
inline constexpr Resource kGameModel = {"MODEL_BALL", "data/models/ball.uzq"};
inline constexpr Resource kRollerModel = {"MODEL_ROLLER_CARD", "data/models/roller_card.uzq"};
inline constexpr int kRollerFrames = 10;

// The one shader of the shader script: one pass whose one stage draws the game texture.
inline constexpr const char* kShaderName = "floor";

// The sound script's own sound, a short tone, which every effect the game plays shares (with
// its loop flag); a short tone for every music theme beside it.
inline constexpr Resource kSound = {"SOUND_CLICK", "data/sound/click.wav"};

// What the settings scripts hold: block "Config" of the settings script and block "Labs" of
// the labs script.
struct NumberSetting {
    const char* key;
    float value;
};
inline constexpr NumberSetting kConfigSettings[] = {
    {"TextureQuality", 0.0f},
    {"TextureFilter", 1.0f},
    {"Shadows", 0.0f},
    {"SoftwareCursor", 1.0f},
};
inline constexpr const char* kLabNameGameKey = "LabNameGame";
inline constexpr const char* kLabNameGame = "tolp";

// The dialogs, each "scripts/gui/<name>.vsc": a dialog block named after the dialog, one
// plain child window of this ID, and every child the game looks up by ID, of its class (most
// of those classes are not registered yet, so the game drops them).
inline constexpr const char* kDialogNames[] = {
    "optionmenu", "creditsmenu", "chooselevel",   "labchoose", "labchooseenhanced",
    "fileopen",   "memobox",     "levelproperty", "leveldone", "startlevel",
};
inline constexpr int kDialogChildID = 99;
std::string DialogScriptPath(const char* name);

// The element scripts, plain object-model scripts with the marker line: the templates the game
// clones, the start screen's scene and the game's, each with an object of the game model, every
// node and object the game looks up by name (SceneNames.h) once, and the nodes of the five
// score displays, which hold nothing until the displays read their rollers into them.
inline constexpr const char* kElementScript = ::kElementScriptPath;
inline constexpr const char* kGameScene = ::kGameSceneName;
inline constexpr const char* kMenuScene = ::kMenuSceneName;
// The high score's node lies in the start screen's scene, the others in the game's.
inline constexpr const char* kHighScoreNode = "mo_highscore";
inline constexpr const char* kGameCounterNodes[] = {"mo_score_level", "mo_score_level_bonus", "mo_score",
                                                    "mo_element_count"};
// The roller scripts: one roller of three objects (upper half, lower half, flap) each, all of
// the roller model.
inline constexpr const char* kSmallRollerScript = ::kSmallRollerScript;
inline constexpr const char* kReversedRollerScript = ::kCountDownRollerScript;
inline constexpr const char* kRollerScript = ::kRollerScript;
inline constexpr const char* kRollerScripts[] = {kSmallRollerScript, kReversedRollerScript, kRollerScript};
inline constexpr int kRollerObjects = 3;

// The string table and its entries, in file order.
struct StringEntry {
    const char* key;
    const char* text;
};
inline constexpr const char* kStringTable = ::kStringTablePath;
// No key lies inside a key the game asks, so that none answers for another.
inline constexpr StringEntry kStrings[] = {
    {"experiment_deleted", "The experiment was deleted."},
    {"new_experiment_name_q", "Name of the new experiment?"},
    {"loaded", "loaded"},
    {"lab_saved", "The lab was saved."},
    // The hover texts of the start screen's sheets, which are clicked.
    {"clipboard_paper_new_game", "A new career"},
    {"clipboard_paper_start", "Start at an experiment"},
    {"clipboard_paper_continue", "Go on"},
    {"clipboard_paper_select", "Play a lab"},
    {"clipboard_paper_editor", "Build experiments"},
    {"clipboard_paper_options", "Options"},
    {"clipboard_paper_exit", "Leave"},
};

}  // namespace fixture

// Writes the whole fixture into the root; false with the file and the reason when a tool or
// a writer fails.
bool WriteFixtureGameRoot(const GameRoot& root, std::string* error);
// Writes the rollers' card model with that many frames into the file (relative to the root):
// for tests of a roller whose model lacks frames.
bool WriteRollerModel(const GameRoot& root, const char* file, int frames, std::string* error);
// Sets one number of block "Config" of the settings script, keeping the rest: for tests of
// one setting.
bool SetFixtureConfigNumber(const GameRoot& root, const char* key, float value);
