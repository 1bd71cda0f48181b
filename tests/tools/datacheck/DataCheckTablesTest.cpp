// The data check's tables in process, on the tests' fixture game root: rows that name what
// the fixture holds pass, and each row the fixture does not answer gives one line naming the
// file and the block. The game's own tables hold few such rows yet; later data adds them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/graphics/Gfx.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/GameRoot.h"
#include "tools/datacheck/DataCheck.h"

namespace {

const CDialogChild kFixtureChildren[] = {{fixture::kDialogChildID, "CWnd"}};
const CDialogChild kAbsentChildren[] = {{fixture::kDialogChildID, "CWnd"}, {fixture::kDialogChildID + 1, "CWnd"}};
const CDialogChild kOtherClassChildren[] = {{fixture::kDialogChildID, "CButton"}};

// Names the fixture holds, each of its kind and, where it is a texture, of its size.
const CGraphicsNameLookup kFixtureGraphics[] = {
    {EGraphicsSet::kLoading, fixture::kBigGear.name, kGfxTexture, 128, 128},
    {EGraphicsSet::kInterface, fixture::kMenuFont.name, kGfxFont, 0, 0},
    {EGraphicsSet::kInterface, fixture::kDialogSkin[4].name, kGfxTexture, 64, 64},
    {EGraphicsSet::kGame, fixture::kGameModel.name, kGfxModel, 0, 0},
};
const CLookedUpSound kFixtureSounds[] = {{fixture::kSound.name, false}, {"SOUND_FX_MOTOR", true}};
const char* const kFixtureShaders[] = {fixture::kShaderName};
const char* const kFixtureKeys[] = {fixture::kStrings[0].key, fixture::kStrings[3].key};

class DataCheckTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteFixtureGameRoot(m_root, &error)) << error;
        for (const char* name : fixture::kDialogNames)
            m_dialogPaths.push_back(fixture::DialogScriptPath(name));
        m_lookups = GameLookups();
        m_dialogs = Dialogs(kFixtureChildren, true);
        m_lookups.dialogs = m_dialogs;
        m_lookups.graphicsNames = kFixtureGraphics;
        m_lookups.sounds = kFixtureSounds;
        m_lookups.shaders = kFixtureShaders;
        m_lookups.stringKeys = kFixtureKeys;
    }

    // The fixture's dialogs, each looking for these children.
    std::vector<CDialogLookup> Dialogs(std::span<const CDialogChild> children, bool required) const {
        std::vector<CDialogLookup> dialogs;
        for (const std::string& path : m_dialogPaths)
            dialogs.push_back({{path.c_str(), required}, children});
        return dialogs;
    }

    GameRoot m_root;
    std::vector<std::string> m_dialogPaths;
    CGameLookups m_lookups{};
    std::vector<CDialogLookup> m_dialogs;
};

TEST_F(DataCheckTablesTest, RowsTheFixtureAnswersPass) {
    EXPECT_EQ(CheckGameRoot(m_lookups), std::vector<std::string>());
}

// One row the fixture does not answer, and the line it gives.
struct UnansweredRow {
    const char* name;
    std::function<void(CGameLookups*)> change;
    std::string line;
};

const CGraphicsNameLookup kAbsentGraphics[] = {{EGraphicsSet::kInterface, "TEXTURE_GUI_NONE", kGfxTexture, 0, 0}};
const CGraphicsNameLookup kWrongKind[] = {{EGraphicsSet::kInterface, fixture::kMenuFontTexture.name, kGfxFont, 0, 0}};
// The skin's corner sheet is 64 x 64 in the fixture.
const CGraphicsNameLookup kWrongSize[] = {
    {EGraphicsSet::kInterface, fixture::kDialogSkin[4].name, kGfxTexture, 64, 32}};
const CLookedUpSound kAbsentSounds[] = {{"SOUND_NONE", false}};
const CLookedUpSound kLoopingSounds[] = {{fixture::kSound.name, true}};
const CLookedUpSound kOnceSounds[] = {{"SOUND_FX_MOTOR", false}};
const std::string kAbsentMusic[] = {"data/music/theme09.ogg"};
const char* const kAbsentShaders[] = {"glow"};
const char* const kAbsentTemplates[] = {"Gear"};
const char* const kAbsentScenes[] = {"mo_professor"};
// "loaded" lies inside it, ahead of any entry of its own.
const char* const kShadowedKeys[] = {"unloaded"};
const CLookedUpFile kAbsentElementScripts[] = {{fixture::kElementScript, true}, {"scripts/elements/level.fsc", true}};

const UnansweredRow kUnansweredRows[] = {
    {"a graphics name", [](CGameLookups* lookups) { lookups->graphicsNames = kAbsentGraphics; },
     "scripts/gfx/gui.vsc [TEXTURE_GUI_NONE]: missing: the game looks this name up"},
    {"a graphics name of another kind", [](CGameLookups* lookups) { lookups->graphicsNames = kWrongKind; },
     "scripts/gfx/gui.vsc [FONT_MENU_TEXTURE]: a texture, where the game needs a font"},
    {"a texture of another size", [](CGameLookups* lookups) { lookups->graphicsNames = kWrongSize; },
     "scripts/gfx/gui.vsc [TEXTURE_GUI_TOP_LEFT]: data/textures/gui_top_left.tga is 64 x 64, where the game needs "
     "64 x 32"},
    {"a sound", [](CGameLookups* lookups) { lookups->sounds = kAbsentSounds; },
     "scripts/sound/soundfx.vsc [SOUND_NONE]: missing: the game looks this sound up"},
    {"a sound that does not loop", [](CGameLookups* lookups) { lookups->sounds = kLoopingSounds; },
     "scripts/sound/soundfx.vsc [SOUND_CLICK]: does not loop (Loop 1): the game keeps it playing"},
    {"a sound that loops", [](CGameLookups* lookups) { lookups->sounds = kOnceSounds; },
     "scripts/sound/soundfx.vsc [SOUND_FX_MOTOR]: loops (Loop 1): the game plays it once"},
    {"a music theme", [](CGameLookups* lookups) { lookups->musicFiles = kAbsentMusic; },
     "data/music/theme09.ogg: missing"},
    {"a shader", [](CGameLookups* lookups) { lookups->shaders = kAbsentShaders; },
     "scripts/shaders/shaders.shd [glow]: missing: the game looks this shader up"},
    {"a template", [](CGameLookups* lookups) { lookups->templates = kAbsentTemplates; },
     "scripts/elements/elements.fsc [Gear]: missing from the templates: the game clones this name"},
    {"a scene node", [](CGameLookups* lookups) { lookups->sceneNodes = kAbsentScenes; },
     "scripts/elements/elements.fsc [mo_professor]: missing: the game looks this scene node up"},
    {"a string key a shorter one answers", [](CGameLookups* lookups) { lookups->stringKeys = kShadowedKeys; },
     "scripts/strings/main.txt [loaded]: answers the key \"unloaded\" (a key the game asks) in its own entry's "
     "place"},
    {"a required element script", [](CGameLookups* lookups) { lookups->elementScripts = kAbsentElementScripts; },
     "scripts/elements/level.fsc: missing"},
};

TEST_F(DataCheckTablesTest, EachUnansweredRowGivesOneLine) {
    for (const UnansweredRow& row : kUnansweredRows) {
        SCOPED_TRACE(row.name);
        CGameLookups lookups = m_lookups;
        row.change(&lookups);
        EXPECT_EQ(CheckGameRoot(lookups), std::vector<std::string>{row.line});
    }
}

TEST_F(DataCheckTablesTest, DialogChildrenLookedForByIDMustBeThereOfTheirClass) {
    const struct {
        std::span<const CDialogChild> children;
        std::string fault;
    } kCases[] = {
        {kAbsentChildren, ": no child of ID 100: the dialog looks for it"},
        {kOtherClassChildren, ": the child of ID 99 is a CWnd, where the dialog needs a CButton"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.fault);
        const std::vector<CDialogLookup> dialogs = Dialogs(c.children, true);
        m_lookups.dialogs = dialogs;
        std::vector<std::string> lines;
        for (const CDialogLookup& dialog : dialogs)
            lines.push_back(std::string(dialog.file.path) + c.fault);
        EXPECT_EQ(CheckGameRoot(m_lookups), lines);
    }
}

// Absent, a file not required is no problem; required, it is one.
TEST_F(DataCheckTablesTest, AbsentDialogScriptIsAProblemOnlyWhenRequired) {
    const std::string removed = fixture::DialogScriptPath(fixture::kDialogNames[0]);
    std::filesystem::remove(m_root.File(removed));
    std::vector<CDialogLookup> dialogs = Dialogs(kFixtureChildren, false);
    m_lookups.dialogs = dialogs;
    EXPECT_EQ(CheckGameRoot(m_lookups), std::vector<std::string>());
    dialogs = Dialogs(kFixtureChildren, true);
    m_lookups.dialogs = dialogs;
    EXPECT_EQ(CheckGameRoot(m_lookups), std::vector<std::string>{removed + ": missing"});
}

}  // namespace
