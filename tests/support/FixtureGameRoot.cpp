#include "tests/support/FixtureGameRoot.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "engine/core/ValueScript.h"
#include "engine/core/frame/BaseGame.h"
#include "engine/graphics/Gfx.h"
#include "game/app/GraphicsNames.h"
#include "game/app/SoundNames.h"
#include "game/app/ScriptFile.h"
#include "game/flow/ControllerFiles.h"
#include "game/flow/SceneNames.h"
#include "game/ui/DialogChildren.h"
#include "tests/support/GameRoot.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolModel.h"
#include "tools/font/FontConverter.h"
#include "tools/font/FontFiles.h"
#include "tools/sound/SoundMaker.h"
#include "tools/texture/TexturePainter.h"

namespace fixture {

std::string DialogScriptPath(const char* name) {
    return std::string("scripts/gui/") + name + ".vsc";
}

}  // namespace fixture

namespace {

using fixture::Resource;

const char* const kFolders[] = {
    "scripts/config", "scripts/gfx",   "scripts/gui", "scripts/shaders", "scripts/sound", "scripts/elements",
    "scripts/strings", "data/textures", "data/fonts", "data/models",     "data/sound", "data/music",
};

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// Small enough to make quickly, large enough to read in a picture of the interface.
constexpr int kMenuFontCellHeight = 24;

const char* const kSoundType = "TOLPSOUND_SOUND_2D";

// Every texture of the graphics scripts, by its file, of the size the game needs.
struct TextureRecipe {
    const char* file;
    const char* recipe;
};
const TextureRecipe kTextureRecipes[] = {
    {fixture::kLoadingBackground.file, "size 512 512\nkind gradient\ncolour 36 40 48\naccent 112 104 88\n"},
    {fixture::kBigGear.file, "size 128 128\nkind gear\ncolour 196 160 96\nteeth 12\nbackground 0 0 0\n"},
    {fixture::kSmallGear.file, "size 64 64\nkind gear\ncolour 160 128 72\nteeth 8\nbackground 0 0 0\n"},
    {fixture::kPointerTexture.file, "size 64 64\nkind arrow\nbox 5 5 37 37\n"},
    // The frame in its order: four sides, two corner sheets, the background, the caption and
    // its middle.
    {fixture::kDialogSkin[0].file,
     "size 32 64\nbox 0 -64 64 128\nkind edge\ncolour 150 110 70 0\naccent 70 50 30\nborder 8\n"},
    {fixture::kDialogSkin[1].file,
     "size 32 64\nbox -32 -64 32 128\nkind edge\ncolour 150 110 70 0\naccent 70 50 30\nborder 8\n"},
    {fixture::kDialogSkin[2].file,
     "size 64 32\nbox -64 0 128 64\nkind edge\ncolour 150 110 70 0\naccent 70 50 30\nborder 8\n"},
    {fixture::kDialogSkin[3].file,
     "size 64 32\nbox -64 -32 128 32\nkind edge\ncolour 150 110 70 0\naccent 70 50 30\nborder 8\n"},
    {fixture::kDialogSkin[4].file, "size 64 64\nkind plate\ncolour 150 110 70 0\naccent 70 50 30\nborder 8\n"},
    {fixture::kDialogSkin[5].file, "size 64 64\nkind plate\ncolour 150 110 70 0\naccent 70 50 30\nborder 8\n"},
    {fixture::kDialogSkin[6].file, "size 256 256\nkind gradient\ncolour 150 110 70\naccent 120 84 52\n"},
    {fixture::kDialogSkin[7].file, "size 32 32\nkind plate\ncolour 120 84 52\naccent 60 40 24\n"},
    {fixture::kDialogSkin[8].file, "size 32 32\nkind gradient\ncolour 120 84 52\naccent 84 58 36\n"},
    {fixture::kGameTexture.file, "size 64 64\nkind stone\n"},
};
static_assert(std::size(fixture::kDialogSkin) == 9, "one recipe above for each piece of the skin");

// A plain texture under a name the game looks up that the fixture has no file of its own for.
struct PlainTexture {
    const char* script;
    std::string name;
    std::string file;
    uint32_t width;
    uint32_t height;
};

// The names the fixture makes resources of its own for, gathered once.
const std::set<std::string>& OwnResourceNames() {
    static const std::set<std::string> names = [] {
        std::set<std::string> own;
        for (const Resource& resource : fixture::kLoadingTextures)
            own.insert(resource.name);
        for (const Resource& resource : fixture::kDialogSkin)
            own.insert(resource.name);
        for (const Resource& resource : {fixture::kMenuFont, fixture::kMenuFontTexture, fixture::kPointerTexture})
            own.insert(resource.name);
        return own;
    }();
    return names;
}

bool IsOwnResource(const char* name) {
    return OwnResourceNames().count(name) > 0;
}

// A name that is a file's is kept as the file; any other becomes one in data/textures.
std::string PlainTextureFile(const std::string& name) {
    if (name.rfind("data/", 0) == 0)
        return name;
    std::string file = "data/textures/";
    for (const char c : name)
        file += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return file + ".tga";
}

std::vector<PlainTexture> PlainTextures() {
    std::vector<PlainTexture> textures;
    const auto add = [&](const char* script, std::span<const CLookedUpGraphic> graphics) {
        for (const CLookedUpGraphic& graphic : graphics) {
            if (graphic.kind != kGfxTexture || IsOwnResource(graphic.name))
                continue;
            // 32 by 32 where any size will do.
            const uint32_t width = graphic.width ? graphic.width : 32;
            const uint32_t height = graphic.height ? graphic.height : 32;
            textures.push_back({script, graphic.name, PlainTextureFile(graphic.name), width, height});
        }
    };
    add(fixture::kLoadingGfxScript, kLoadingGraphics);
    add(fixture::kGuiGfxScript, kInterfaceGraphics);
    add(fixture::kGameGfxScript, kGameGraphics);
    return textures;
}

// A ball as the game's own: a sphere picked as a circle of its radius, kept coarse.
const char* const kBallModel = "part sphere radius 0.3 segments 12 rings 6\nend\n\nsphere 0 0 0 0.3\n";
// A roller's card, the same in every frame.
std::string RollerCardText(int frames) {
    return "frames " + std::to_string(frames) + "\npart box size 0.18 0.3 0.02\nend\n";
}

// Lines end in CR LF: the shader script's only line separator.
// A plain shader under every name the game looks up, so that the root answers the game.
std::string LookedUpShadersText() {
    std::string text = "// The shaders the game looks up by name, plain.\r\n";
    for (const char* name : kLookedUpShaders)
        text += std::string(name) + "\r\n{\r\n\tpass\r\n\t{\r\n\t\tdiffuse 1.0 1.0 1.0 1.0\r\n\t}\r\n}\r\n";
    return text;
}

std::string ShaderText() {
    return std::string("// The floor of the fixture's scenes: the game texture under the light.\r\n") +
           fixture::kShaderName +
           "\r\n"
           "{\r\n"
           "\tpass\r\n"
           "\t{\r\n"
           "\t\tdiffuse 0.8 0.8 0.8 1.0\r\n"
           "\t\tambient 0.3 0.3 0.3 1.0\r\n"
           "\t\tstage\r\n"
           "\t\t{\r\n"
           "\t\t\ttexture " +
           fixture::kGameTexture.file +
           "\r\n"
           "\t\t\tcolorop modulate texture diffuse\r\n"
           "\t\t}\r\n"
           "\t}\r\n"
           "}\r\n" +
           LookedUpShadersText();
}

// One key of a block: a quoted text, or a number when the text is none.
struct Entry {
    const char* key;
    const char* text;
    float number;
};

// Appends one block to a value-script file (created when missing) with the engine's writer.
bool SaveBlock(const GameRoot& root, const std::string& path, const char* block, const std::vector<Entry>& entries,
               std::string* error) {
    CValueScript script;
    script.m_sName = block;
    for (const Entry& entry : entries) {
        if (entry.text)
            script.SetString(entry.key, entry.text);
        else
            script.SetFloat(entry.key, entry.number);
    }
    if (script.Save(root.File(path).c_str()))
        return true;
    *error = "cannot save block [" + std::string(block) + "] of " + path;
    return false;
}

bool SaveResources(const GameRoot& root, const char* script, const char* type, const std::vector<Resource>& resources,
                   std::string* error) {
    for (const Resource& resource : resources) {
        if (!SaveBlock(root, script, resource.name, {{"Type", type, 0.0f}, {"File", resource.file, 0.0f}}, error))
            return false;
    }
    return true;
}

bool SavePlainTextures(const GameRoot& root, std::string* error) {
    for (const PlainTexture& texture : PlainTextures()) {
        const Resource resource = {texture.name.c_str(), texture.file.c_str()};
        if (!SaveResources(root, texture.script, CGfx::kTypeTexture, {resource}, error))
            return false;
    }
    return true;
}

bool WriteSystemScripts(const GameRoot& root, std::string* error) {
    const float width = static_cast<float>(fixture::kWidth);
    const float height = static_cast<float>(fixture::kHeight);
    return SaveBlock(root, kSystemScriptPath, "System", {{"ResBaseX", nullptr, width}, {"ResBaseY", nullptr, height}},
                     error) &&
           SaveBlock(root, kSystemScriptPath, "Sound",
                     {{"BitsPerSample", nullptr, 16.0f},
                      {"SamplesPerSecond", nullptr, 22050.0f},
                      {"Channels", nullptr, 2.0f},
                      {"3DPossible", nullptr, 1.0f}},
                     error) &&
           SaveBlock(root, kDisplayScriptPath, "3DInit",
                     {{"Width", nullptr, width}, {"Height", nullptr, height}, {"Fullscreen", nullptr, 0.0f}}, error);
}

bool WriteTexture(const GameRoot& root, const std::string& file, const std::string& recipe, std::string* error) {
    std::vector<uint8_t> tga;
    int line = 0;
    std::string reason;
    if (!MakeTextureFromRecipe(recipe, &tga, &line, &reason)) {
        *error = file + ": recipe line " + std::to_string(line) + ": " + reason;
        return false;
    }
    WriteBytes(root.File(file), tga.data(), tga.size());
    return true;
}

bool WriteTextures(const GameRoot& root, std::string* error) {
    for (const TextureRecipe& texture : kTextureRecipes) {
        if (!WriteTexture(root, texture.file, texture.recipe, error))
            return false;
    }
    for (const PlainTexture& texture : PlainTextures()) {
        const std::string recipe = "size " + std::to_string(texture.width) + " " + std::to_string(texture.height) +
                                   "\nkind solid\ncolour 128 128 128\n";
        if (!WriteTexture(root, texture.file, recipe, error))
            return false;
    }
    return true;
}

bool WriteMenuFont(const GameRoot& root, std::string* error) {
    CCellFont font;
    std::string reason;
    if (!MakeCellFont(kDejaVuSans, kMenuFontCellHeight, &font, &reason)) {
        *error = std::string(fixture::kMenuFont.file) + ": " + reason;
        return false;
    }
    const std::vector<uint8_t> cells = EncodeCellFont(font);
    const std::vector<uint8_t> texture = EncodeCellTexture(font);
    WriteBytes(root.File(fixture::kMenuFont.file), cells.data(), cells.size());
    WriteBytes(root.File(fixture::kMenuFontTexture.file), texture.data(), texture.size());
    return true;
}

bool WriteModels(const GameRoot& root, std::string* error) {
    return WriteToolModelFile(root.File(fixture::kGameModel.file), kBallModel, error) &&
           WriteRollerModel(root, fixture::kRollerModel.file, fixture::kRollerFrames, error);
}

bool WriteGraphicsScripts(const GameRoot& root, std::string* error) {
    std::vector<Resource> gui = {fixture::kMenuFont};
    std::vector<Resource> guiTextures = {fixture::kMenuFontTexture, fixture::kPointerTexture};
    guiTextures.insert(guiTextures.end(), std::begin(fixture::kDialogSkin), std::end(fixture::kDialogSkin));
    const std::vector<Resource> loading(std::begin(fixture::kLoadingTextures), std::end(fixture::kLoadingTextures));
    return SaveResources(root, fixture::kLoadingGfxScript, CGfx::kTypeTexture, loading, error) &&
           SaveResources(root, fixture::kGuiGfxScript, CGfx::kTypeFont, gui, error) &&
           SaveResources(root, fixture::kGuiGfxScript, CGfx::kTypeTexture, guiTextures, error) &&
           SaveResources(root, fixture::kGameGfxScript, CGfx::kTypeTexture, {fixture::kGameTexture}, error) &&
           SaveResources(root, fixture::kGameGfxScript, CGfx::kTypeModel, {fixture::kGameModel, fixture::kRollerModel},
                         error) &&
           SavePlainTextures(root, error);
}

bool WriteSound(const GameRoot& root, std::string* error) {
    ToneFormat tone;
    tone.seconds = 0.2;
    if (!MakeToneWav(root.File(fixture::kSound.file), tone)) {
        *error = std::string(fixture::kSound.file) + ": sox failed";
        return false;
    }
    if (!SaveResources(root, fixture::kSoundScript, kSoundType, {fixture::kSound}, error))
        return false;
    for (const CLookedUpSound& effect : kEffectSounds) {
        if (!SaveBlock(root, fixture::kSoundScript, effect.name,
                       {{"Type", kSoundType, 0.0f}, {"File", fixture::kSound.file, 0.0f},
                        {"Loop", nullptr, effect.loop ? 1.0f : 0.0f}},
                       error))
            return false;
    }
    return true;
}

// Every music theme, one short tone made once a run by the sound synthesiser.
bool WriteMusic(const GameRoot& root, std::string* error) {
    static std::vector<uint8_t> ogg;
    static std::string failure;
    if (ogg.empty() && failure.empty()) {
        int line = 0;
        if (!MakeSoundFromRecipe("layer tone\n  pitch A3\n  length 0.3\n", "", ESoundContainer::kOgg, &ogg, &line,
                                 &failure))
            failure = "music recipe line " + std::to_string(line) + ": " + failure;
    }
    if (!failure.empty()) {
        *error = failure;
        return false;
    }
    for (int theme = 0; theme < kMusicThemeCount; ++theme)
        WriteBytes(root.File(MusicThemePath(theme)), ogg.data(), ogg.size());
    return true;
}

bool WriteSettings(const GameRoot& root, std::string* error) {
    std::vector<Entry> config;
    for (const fixture::NumberSetting& setting : fixture::kConfigSettings)
        config.push_back({setting.key, nullptr, setting.value});
    return SaveBlock(root, fixture::kConfigScript, "Config", config, error) &&
           SaveBlock(root, fixture::kLabsScript, "Labs", {{fixture::kLabNameGameKey, fixture::kLabNameGame, 0.0f}},
                     error);
}

// A dialog centred on the reference size, with one plain child below its caption, then every
// child the game looks up in it, each of its class, side by side.
bool WriteDialogChildren(const GameRoot& root, const std::string& path, std::span<const CDialogChild> children,
                         std::string* error) {
    float x = 24.0f;
    for (const CDialogChild& child : children) {
        if (!SaveBlock(root, path, ("Child" + std::to_string(child.id)).c_str(),
                       {{"Class", child.className, 0.0f},
                        {"ID", nullptr, static_cast<float>(child.id)},
                        {"RectX", nullptr, x},
                        {"RectY", nullptr, 300.0f},
                        {"RectW", nullptr, 24.0f},
                        {"RectH", nullptr, 32.0f},
                        {"Name", "child", 0.0f}},
                       error))
            return false;
        x += 26.0f;
    }
    return true;
}

bool WriteDialogs(const GameRoot& root, std::string* error) {
    static_assert(std::size(fixture::kDialogNames) == std::size(kDialogChildren), "the game's dialogs in its order");
    for (size_t index = 0; index < std::size(fixture::kDialogNames); ++index) {
        const char* name = fixture::kDialogNames[index];
        const std::string path = fixture::DialogScriptPath(name);
        if (!SaveBlock(root, path, "Dialog",
                       {{"RectX", nullptr, 212.0f},
                        {"RectY", nullptr, 184.0f},
                        {"RectW", nullptr, 600.0f},
                        {"RectH", nullptr, 400.0f},
                        {"Name", name, 0.0f}},
                       error) ||
            !SaveBlock(root, path, "Child",
                       {{"Class", "CWnd", 0.0f},
                        {"ID", nullptr, static_cast<float>(fixture::kDialogChildID)},
                        {"RectX", nullptr, 24.0f},
                        {"RectY", nullptr, 48.0f},
                        {"RectW", nullptr, 200.0f},
                        {"RectH", nullptr, 32.0f},
                        {"Name", "child", 0.0f}},
                       error) ||
            !WriteDialogChildren(root, path, kDialogChildren[index], error))
            return false;
    }
    return true;
}

// The element scripts' and the string table's lines end in CR LF, as the game's own do.
std::string Tabs(int depth) {
    return std::string(static_cast<size_t>(depth), '\t');
}

// A node of an element script at the depth, around its lines (already indented one deeper).
std::string Node(const char* name, int depth, const std::string& lines) {
    return Tabs(depth) + name + "\r\n" + Tabs(depth) + "{\r\n" + lines + Tabs(depth) + "}\r\n";
}

// A node placed relative to its parent, with nothing in it.
std::string EmptyNode(const char* name, const char* position) {
    return Node(name, 1, "\t\tPOSREL " + std::string(position) + "\r\n");
}

// Empty nodes, one for each name.
std::string Nodes(std::span<const char* const> names, int depth) {
    std::string text;
    for (const char* name : names)
        text += Node(name, depth, "");
    return text;
}

// A scene's node holding one object of the game model under the fixture's shader, then the
// given child nodes.
std::string SceneNode(const char* name, const char* object, const std::string& children) {
    return std::string(name) + "\r\n{\r\n\t3DO " + object + "\r\n\t{\r\n\t\tMODEL " +
           fixture::kGameModel.name + "\r\n\t\tSHADER " + fixture::kShaderName + "\r\n\t}\r\n" + children +
           "}\r\n";
}

// Every template the game clones, empty but for the hammer's head inside the hammer.
std::string Templates() {
    std::string text = Node(kHammerTemplate, 1, Node(kHammerHeadTemplate, 2, ""));
    const char* const others[] = {kPowerPlugTemplate, kBeltDummyTemplate, kPowerPlugDummyTemplate, kRopeDummyTemplate,
                                  kFuzeDummyTemplate};
    text += Nodes(others, 1) + Nodes(kBackgroundTemplates, 1);
    return Node("TEMPLATES", 0, text);
}

bool IsCounterNode(const char* name) {
    for (const CounterSpec& spec : kCounterSpecs) {
        if (std::string(spec.parent) == name)
            return true;
    }
    return false;
}

// The start screen: the high score, the clipboard with the menu sheets on the main menu, and
// the desk's props.
std::string MenuSceneChildren() {
    return EmptyNode(fixture::kHighScoreNode, "-1, 1, 0") +
           Node(kStartMenuNode, 1, Node(kClipboardNode, 2, Nodes(kMenuSheets, 3))) + Nodes(kDeskProps, 1);
}

// The game's board: the score displays, the set-up's other nodes, the experiment's nodes with
// the level bar's objects (model-less, so that they draw nothing), the pointer's marks, the
// camera's target, the switch and the buttons.
std::string GameSceneChildren() {
    const char* const positions[] = {"-3, 2, 0", "-3, 1.5, 0", "2, 2, 0", "2, 1.5, 0"};
    static_assert(std::size(positions) == std::size(fixture::kGameCounterNodes), "a place for every node");
    std::string text;
    for (size_t i = 0; i < std::size(positions); ++i)
        text += EmptyNode(fixture::kGameCounterNodes[i], positions[i]);
    for (const char* name : kSetUpSceneNodes) {
        const bool scene = name == std::string(fixture::kGameScene) || name == std::string(fixture::kMenuScene);
        if (!scene && !IsCounterNode(name))
            text += Node(name, 1, "");
    }
    std::string boardObjects;
    for (const char* name : kSceneObjects)
        boardObjects += "\t\t3DO " + std::string(name) + "\r\n\t\t{\r\n\t\t\tSHADER " + fixture::kShaderName +
                        "\r\n\t\t}\r\n";
    const char* const levelNodes[] = {kBackgroundNode, kLevelElementsNode};
    const char* const pointerNodes[] = {kCursorNode, kSelectionNode, kCameraTargetNode, kSmallNumberNode,
                                        kStartStopSwitch, kOptionsButton};
    return text + Node(kLevelNode, 1, Nodes(levelNodes, 2)) + Node(kLevelBarNode, 1, boardObjects) +
           Nodes(pointerNodes, 1) + Node(kEditorButtonsNode, 1, Nodes(kEditorButtons, 2)) +
           Node(kGameButtonsNode, 1, Nodes(kGameButtons, 2)) + Nodes(kContextButtons, 1);
}

std::string ElementScriptText() {
    return std::string(CScriptFile::kPlainMarker) +
           "\r\n// The fixture's scenes: the templates the game clones, the start screen's desk with the\r\n"
           "// high score, and the game's board with the other score displays; every node and object\r\n"
           "// the game looks up once.\r\n" +
           Templates() + SceneNode(fixture::kMenuScene, "desk", MenuSceneChildren()) +
           SceneNode(fixture::kGameScene, "board", GameSceneChildren());
}

// One roller: the upper and the lower half and the flap, folded away until it turns.
std::string RollerScriptText() {
    const std::string model = std::string("\t\tMODEL ") + fixture::kRollerModel.name + "\r\n\t\tSHADER " +
                              fixture::kShaderName + "\r\n";
    return std::string(CScriptFile::kPlainMarker) +
           "\r\n// One digit roller of a score display.\r\n"
           "Roller\r\n"
           "{\r\n"
           "\tPOSREL 0.2, 0, 0\r\n"
           "\t3DO Upper\r\n\t{\r\n" + model + "\t\tNO_SHADOW\r\n\t}\r\n"
           "\t3DO Lower\r\n\t{\r\n" + model + "\t\tNO_SHADOW\r\n\t}\r\n"
           "\t3DO Flap\r\n\t{\r\n" + model + "\t\tNO_SHADOW\r\n\t\tVISIBLE 0\r\n\t}\r\n"
           "}\r\n";
}

void WriteElementScripts(const GameRoot& root) {
    WriteText(root.File(fixture::kElementScript), ElementScriptText());
    for (const char* script : fixture::kRollerScripts)
        WriteText(root.File(script), RollerScriptText());
}

// Entries of a key line, a "{" line, the text and a "}" line.
void WriteStringTable(const GameRoot& root) {
    std::string text;
    for (const fixture::StringEntry& entry : fixture::kStrings)
        text += std::string(entry.key) + "\r\n{\r\n" + entry.text + "\r\n}\r\n";
    WriteText(root.File(fixture::kStringTable), text);
}

}  // namespace

bool WriteFixtureGameRoot(const GameRoot& root, std::string* error) {
    for (const char* folder : kFolders) {
        std::error_code failure;
        std::filesystem::create_directories(root.File(folder), failure);
        if (failure) {
            *error = std::string(folder) + ": " + failure.message();
            return false;
        }
    }
    if (!WriteSystemScripts(root, error) || !WriteTextures(root, error) || !WriteMenuFont(root, error) ||
        !WriteModels(root, error) || !WriteGraphicsScripts(root, error) || !WriteSound(root, error) ||
        !WriteMusic(root, error) || !WriteSettings(root, error) || !WriteDialogs(root, error))
        return false;
    WriteText(root.File(fixture::kShaderScript), ShaderText());
    WriteElementScripts(root);
    WriteStringTable(root);
    return true;
}

bool WriteRollerModel(const GameRoot& root, const char* file, int frames, std::string* error) {
    return WriteToolModelFile(root.File(file), RollerCardText(frames), error);
}

bool SetFixtureConfigNumber(const GameRoot& root, const char* key, float value) {
    CValueScript config;
    const std::string path = root.File(fixture::kConfigScript);
    if (!config.Load(path.c_str(), "Config"))
        return false;
    config.SetFloat(key, value);
    return config.Save(path.c_str()) != 0;
}
