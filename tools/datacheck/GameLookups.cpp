// The game's lookups, one table each. A file row marked not required is one the default data
// set does not ship yet: the data work that ships it turns the flag on and adds the names the
// game looks up in it. Paths and names come from the game's own lists.
#include "tools/datacheck/GameLookups.h"

#include <iterator>

#include "engine/core/frame/BaseGame.h"
#include "game/app/GameFiles.h"
#include "game/flow/ControllerFiles.h"

namespace {

const CValueScriptLookup kValueScripts[] = {
    {{kSystemScriptPath, true}, {"System", "Sound"}},
    {{kDisplayScriptPath, true}, {"3DInit", nullptr}},
    // The settings are written at the first shut-down when missing.
    {{kConfigScriptPath, false}, {"Config", nullptr}},
    {{kLabsScriptPath, true}, {"Labs", nullptr}},
};

const CGraphicsScriptLookup kGraphicsScripts[] = {
    {{kLoadingGfxScriptPath, false}, EGraphicsSet::kLoading},
    {{kGuiGfxScriptPath, false}, EGraphicsSet::kInterface},
    {{kGameGfxScriptPath, false}, EGraphicsSet::kGame},
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
    {{kDialogScripts[0].path, false}, {}}, {{kDialogScripts[1].path, false}, {}},
    {{kDialogScripts[2].path, false}, {}}, {{kDialogScripts[3].path, false}, {}},
    {{kDialogScripts[4].path, false}, {}}, {{kDialogScripts[5].path, false}, {}},
    {{kDialogScripts[6].path, false}, {}}, {{kDialogScripts[7].path, false}, {}},
    {{kDialogScripts[8].path, false}, {}}, {{kDialogScripts[9].path, false}, {}},
};
static_assert(std::size(kDialogs) == std::size(kDialogScripts), "a row for every dialog");

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

// The game's board and the start screen's desk.
const char* const kSceneNodes[] = {kGameSceneName, kMenuSceneName};


}  // namespace

const CGameLookups& GameLookups() {
    static const CGameLookups lookups = {
        kValueScripts,
        kGraphicsScripts,
        {kShaderScriptPath, true},
        {kSoundScriptPath, false},
        {kStringTablePath, false},
        kElementScripts,
        kDialogs,
        kWindowClasses,
        kSceneNodes,
        // Templates, sounds, graphics names and string keys: none until the data the game looks
        // them up in ships.
        {},
        kLookedUpShaders,
        {},
        {},
        {},
        kLabDirectory,
        kLabSuffix,
    };
    return lookups;
}
