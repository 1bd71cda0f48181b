// The game's lookups, one table each. A file row marked not required is one the default data
// set does not ship yet: the data work that ships it turns the flag on and adds the names the
// game looks up in it. Paths and names come from the game's own lists.
#include "tools/datacheck/GameLookups.h"

#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "engine/core/frame/BaseGame.h"
#include "game/app/GameFiles.h"
#include "game/app/GraphicsNames.h"
#include "game/app/SoundNames.h"
#include "game/flow/ControllerFiles.h"
#include "game/flow/StringKeys.h"

namespace {

const CValueScriptLookup kValueScripts[] = {
    {{kSystemScriptPath, true}, {"System", "Sound"}},
    {{kDisplayScriptPath, true}, {"3DInit", nullptr}},
    // The settings are written at the first shut-down when missing.
    {{kConfigScriptPath, false}, {"Config", nullptr}},
    {{kLabsScriptPath, true}, {"Labs", nullptr}},
};

const CGraphicsScriptLookup kGraphicsScripts[] = {
    {{kLoadingGfxScriptPath, true}, EGraphicsSet::kLoading},
    {{kGuiGfxScriptPath, true}, EGraphicsSet::kInterface},
    {{kGameGfxScriptPath, true}, EGraphicsSet::kGame},
};

// The scene first, then the digit rollers the score displays read.
const CLookedUpFile kElementScripts[] = {
    {kElementScriptPath, true},
    {kSmallRollerScript, false},
    {kCountDownRollerScript, false},
    {kRollerScript, false},
};

// In the order start-up loads them.
const CDialogLookup kDialogs[] = {
    {{kDialogScripts[0].path, true}, kDialogChildren[0]}, {{kDialogScripts[1].path, true}, kDialogChildren[1]},
    {{kDialogScripts[2].path, true}, kDialogChildren[2]}, {{kDialogScripts[3].path, true}, kDialogChildren[3]},
    {{kDialogScripts[4].path, true}, kDialogChildren[4]}, {{kDialogScripts[5].path, true}, kDialogChildren[5]},
    {{kDialogScripts[6].path, true}, kDialogChildren[6]}, {{kDialogScripts[7].path, true}, kDialogChildren[7]},
    {{kDialogScripts[8].path, true}, kDialogChildren[8]}, {{kDialogScripts[9].path, true}, kDialogChildren[9]},
};
static_assert(std::size(kDialogs) == std::size(kDialogScripts), "a row for every dialog");
static_assert(std::size(kDialogChildren) == std::size(kDialogScripts), "children for every dialog");

// The window classes a dialog script may name. Fixed here, not read from the class registry:
// widgets not built yet register later, and until they do the game drops their blocks
// without a word.
const char* const kWindowClasses[] = {
    // The engine's widgets, its dialog and the desktop.
    "CWnd", "CButton", "CListBox", "CSliderCtrl", "CEdit", "CDlg", "CStaticText", "CSlider", "CEditSkinWood",
    "CEditNumber", "CEditString", "CWndDesktop",
    // The wooden dialogs.
    "CDlgSkinWood", "CDlgChooseLevel", "CDlgCreditsMenu", "CDlgFileOpen", "CDlgInputBox", "CDlgLabChoose",
    "CDlgLabChooseEnhanced", "CDlgLevelDone", "CDlgLevelProperty", "CDlgMemoBox", "CDlgMessageBox",
    "CDlgOptionMenu", "CDlgStartLevel",
    // The game's widgets.
    "CBtnChoose", "CBtnChooseScroll", "CBtnMessageBox", "CBtnScroll", "CMemoField", "CMemo",
    "CListBoxLevelChoose",
};

// Every row of the game's graphics lists, each with the handler it is found in.
std::vector<CGraphicsNameLookup> GraphicsNames() {
    std::vector<CGraphicsNameLookup> rows;
    const auto add = [&](EGraphicsSet set, std::span<const CLookedUpGraphic> graphics) {
        for (const CLookedUpGraphic& graphic : graphics)
            rows.push_back({set, graphic.name, graphic.kind, graphic.width, graphic.height});
    };
    add(EGraphicsSet::kLoading, kLoadingGraphics);
    add(EGraphicsSet::kInterface, kInterfaceGraphics);
    add(EGraphicsSet::kGame, kGameGraphics);
    return rows;
}

// The music themes by their numbers.
std::vector<std::string> MusicFiles() {
    std::vector<std::string> files;
    for (int theme = 0; theme < kMusicThemeCount; ++theme)
        files.push_back(MusicThemePath(theme));
    return files;
}

// The game's board and the start screen's desk.
const char* const kSceneNodes[] = {kGameSceneName, kMenuSceneName};


}  // namespace

const CGameLookups& GameLookups() {
    static const std::vector<CGraphicsNameLookup> graphicsNames = GraphicsNames();
    static const std::vector<std::string> musicFiles = MusicFiles();
    static const CGameLookups lookups = {
        kValueScripts,
        kGraphicsScripts,
        {kShaderScriptPath, true},
        {kSoundScriptPath, true},
        {kStringTablePath, true},
        kElementScripts,
        kDialogs,
        kWindowClasses,
        kSceneNodes,
        // Templates: none until the scene data ships.
        {},
        kLookedUpShaders,
        kEffectSounds,
        musicFiles,
        graphicsNames,
        kAskedStringKeys,
        kLabDirectory,
        kLabSuffix,
    };
    return lookups;
}
