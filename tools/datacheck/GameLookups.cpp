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
#include "game/flow/SceneNames.h"
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
    {kSmallRollerScript, true},
    {kCountDownRollerScript, true},
    {kRollerScript, true},
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

// Every node the game looks up or dispatches to by name: the set-up's, the experiment's, the
// buttons' and the start screen's.
std::vector<const char*> SceneNodes() {
    std::vector<const char*> names;
    const auto add = [&](std::span<const char* const> list) { names.insert(names.end(), list.begin(), list.end()); };
    add(kSetUpSceneNodes);
    const char* const single[] = {kLevelNode,       kBackgroundNode,  kLevelElementsNode, kLevelBarNode,
                                  kCursorNode,      kSelectionNode,   kCameraTargetNode,  kSmallNumberNode,
                                  kStartStopSwitch, kGameButtonsNode, kEditorButtonsNode, kOptionsButton,
                                  kStartMenuNode,   kClipboardNode};
    add(single);
    add(kEditorButtons);
    add(kGameButtons);
    add(kContextButtons);
    add(kMenuSheets);
    add(kDeskProps);
    return names;
}

std::vector<const char*> Templates() {
    std::vector<const char*> names = {kPowerPlugTemplate, kHammerTemplate,         kHammerHeadTemplate,
                                      kBeltDummyTemplate, kPowerPlugDummyTemplate, kRopeDummyTemplate,
                                      kFuzeDummyTemplate};
    names.insert(names.end(), std::begin(kBackgroundTemplates), std::end(kBackgroundTemplates));
    return names;
}

// The hammer is cloned with its head, which the game then finds under it.
const CNestedTemplate kNestedTemplates[] = {{kHammerTemplate, kHammerHeadTemplate}};

// The score displays read their digit rollers into their nodes and count on being alone there.
std::vector<CEmptyNodeLookup> CounterParents() {
    std::vector<CEmptyNodeLookup> nodes;
    for (const CounterSpec& spec : kCounterSpecs)
        nodes.push_back({spec.parent, "the score display hangs its own rollers here"});
    return nodes;
}


}  // namespace

const CGameLookups& GameLookups() {
    static const std::vector<CGraphicsNameLookup> graphicsNames = GraphicsNames();
    static const std::vector<std::string> musicFiles = MusicFiles();
    static const std::vector<const char*> sceneNodes = SceneNodes();
    static const std::vector<const char*> templates = Templates();
    static const std::vector<CEmptyNodeLookup> counterParents = CounterParents();
    static const CGameLookups lookups = {
        kValueScripts,
        kGraphicsScripts,
        {kShaderScriptPath, true},
        {kSoundScriptPath, true},
        {kStringTablePath, true},
        kElementScripts,
        kDialogs,
        kWindowClasses,
        sceneNodes,
        kSceneObjects,
        counterParents,
        templates,
        // The start screen's sheets are clicked, though no 3D buttons.
        kMenuSheets,
        kNestedTemplates,
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
