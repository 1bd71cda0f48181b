// The data check run as a user runs it: the tests' fixture game root passes, each copy of it
// broken in one place is reported on a line naming the file and the line or block, the root
// is left as it was, and a bad command line gives 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/graphics/Gfx.h"
#include "game/app/3DOMScripter.h"
#include "game/app/ScriptFile.h"
#include "game/app/ScriptKey.h"
#include "game/flow/SceneNames.h"
#include "tests/support/ExperimentBodyBuilder.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/GameRoot.h"
#include "tests/support/LabFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"
#include "tools/tga/TgaWriter.h"

namespace {

// The summary line the program ends a report with.
const char kSummary[] = "check_data: ";

// Text replaced once in a file of the root; the test fails when it is not there.
void Replace(const GameRoot& root, const char* file, const std::string& from, const std::string& to) {
    std::string text = ReadText(root.File(file));
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << file;
    WriteText(root.File(file), text.replace(at, from.size(), to));
}

void Append(const GameRoot& root, const char* file, const std::string& more) {
    WriteText(root.File(file), ReadText(root.File(file)) + more);
}

void Rename(const GameRoot& root, const char* from, const char* to) {
    std::filesystem::rename(root.File(from), root.File(to));
}

// The line of the first place the text holds `part` at, from 1.
int LineOf(const GameRoot& root, const char* file, const std::string& part) {
    const std::string text = ReadText(root.File(file));
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(text.find(part)),
                                           '\n'));
}

// A TGA file of that size and depth, every pixel grey. The writer takes 24 and 32 bits; a
// 16-bit file is laid out here: its header, then two bytes a pixel.
void WriteTexture(const GameRoot& root, const char* file, uint32_t width, uint32_t height, uint32_t bits) {
    std::vector<uint8_t> bytes;
    if (bits == 16) {
        bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                 static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), 16, 0x20};
        bytes.resize(bytes.size() + size_t{width} * height * 2, 0x42);
    } else {
        const std::vector<uint8_t> pixels(size_t{width} * height * (bits / 8), 0x80);
        bytes = EncodeTga(width, height, bits / 8, pixels.data(), ETgaEncoding::kPlain);
    }
    WriteBytes(root.File(file), bytes.data(), bytes.size());
}

// The level text of an experiment with nothing in it.
const char kEmptyLevel[] = "level\r\n{\r\n\tlevel_elements\r\n\t{\r\n\t}\r\n\tlevel_bar\r\n\t{\r\n\t}\r\n}\r\n";

// An experiment's body holding the level text.
std::vector<uint8_t> BodyOf(const char* level) {
    ExperimentBodyParts parts;
    parts.script = level;
    return BuildExperimentBody(parts).bytes;
}

// A lab of one experiment under the key given, its body as the game saves one, or the bytes
// given.
void WriteLab(const GameRoot& root, const char* name, const char* key,
              const std::vector<uint8_t>& body = BodyOf(kEmptyLevel)) {
    ASSERT_TRUE(
        WriteLabFile(root.File(kGameLabFolder), name, LabHeader("USER", "0.03"), {{"first experiment", body}}, key))
        << name;
}

// Every file under the root with its bytes.
std::map<std::string, std::vector<unsigned char>> Contents(const GameRoot& root) {
    std::map<std::string, std::vector<unsigned char>> files;
    const std::filesystem::path base = root.File(".");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), base).string()] = ReadBytes(entry.path().string());
    }
    return files;
}

class CheckDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteFixtureGameRoot(m_root, &error)) << error;
    }

    // The program on a root: its exit status, its lines but the summary in m_problems.
    int Check(const GameRoot& root) {
        const std::string messages = m_messages.File("messages");
        const int status = RunProgram(CHECK_DATA, Quoted(root.File(".")), messages);
        const std::string text = ReadText(messages);
        m_problems.clear();
        m_bSummaryLast = false;
        for (size_t start = 0; start < text.size();) {
            const size_t end = std::min(text.find('\n', start), text.size());
            const std::string line = text.substr(start, end - start);
            m_bSummaryLast = line.rfind(kSummary, 0) == 0;
            if (!m_bSummaryLast)
                m_problems.push_back(line);
            start = end + 1;
        }
        return status;
    }

    bool Reported(const std::string& line) const {
        return std::find(m_problems.begin(), m_problems.end(), line) != m_problems.end();
    }

    TempDir m_messages;
    GameRoot m_root;
    std::vector<std::string> m_problems;
    bool m_bSummaryLast = false;
};

TEST_F(CheckDataTest, FixtureGameRootPasses) {
    EXPECT_EQ(Check(m_root), 0);
    EXPECT_TRUE(m_problems.empty()) << testing::PrintToString(m_problems);
}

TEST_F(CheckDataTest, LabsThatLoadWithTheScriptKeyPass) {
    WriteLab(m_root, "tolp", kScriptKey);
    WriteLab(m_root, "sandbox", kScriptKey);
    EXPECT_EQ(Check(m_root), 0);
    EXPECT_TRUE(m_problems.empty()) << testing::PrintToString(m_problems);
}

// What the game creates when missing may be absent: the check neither minds nor makes it.
TEST_F(CheckDataTest, FilesNotRequiredMayBeAbsentAndStayAbsent) {
    std::filesystem::remove(m_root.File(fixture::kConfigScript));
    const auto before = Contents(m_root);
    EXPECT_EQ(Check(m_root), 0);
    EXPECT_TRUE(m_problems.empty()) << testing::PrintToString(m_problems);
    EXPECT_EQ(Contents(m_root), before);
}

// Broken the same way, a file checked in full whether or not the set must ship it.
struct BrokenRoot {
    const char* name;
    std::function<void(const GameRoot&)> breakRoot;
    // The whole line the fault must give.
    std::function<std::string(const GameRoot&)> line;
    // No other line follows from it; false where the game would trip over more.
    bool alone;
};

const BrokenRoot kBrokenRoots[] = {
    // The scripter then runs the words of the lines together and reads no roller.
    {"an element script with LF line ends only",
     [](const GameRoot& root) {
         std::string text = ReadText(root.File(fixture::kRollerScript));
         text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
         WriteText(root.File(fixture::kRollerScript), text);
     },
     [](const GameRoot& root) {
         const std::string text = ReadText(root.File(fixture::kRollerScript));
         return std::string(fixture::kRollerScript) + ":1: a line feed without a carriage return before it (" +
                std::to_string(std::count(text.begin(), text.end(), '\n')) + " line ends of the file are so)";
     },
     false},
    // The block does not load, so the game misses its name too.
    {"a missing graphics file",
     [](const GameRoot& root) { std::filesystem::remove(root.File(fixture::kPointerTexture.file)); },
     [](const GameRoot&) {
         return std::string(fixture::kGuiGfxScript) + " [" + fixture::kPointerTexture.name +
                "]: " + fixture::kPointerTexture.file + " is missing";
     },
     false},
    {"a graphics name the game looks up, missing",
     [](const GameRoot& root) { Replace(root, fixture::kGuiGfxScript, "[TEXTURE_GUI_BUTTON]", "[TEXTURE_GUI_KNOB]"); },
     [](const GameRoot&) {
         return std::string(fixture::kGuiGfxScript) + " [TEXTURE_GUI_BUTTON]: missing: the game looks this name up";
     },
     true},
    {"a texture of another size than the game draws",
     [](const GameRoot& root) { WriteTexture(root, fixture::kPointerTexture.file, 32, 32, 32); },
     [](const GameRoot&) {
         return std::string(fixture::kGuiGfxScript) + " [" + fixture::kPointerTexture.name + "]: " +
                fixture::kPointerTexture.file + " is 32 x 32, where the game needs 64 x 64";
     },
     true},
    {"a graphics script missing",
     [](const GameRoot& root) { std::filesystem::remove(root.File(fixture::kGameGfxScript)); },
     [](const GameRoot&) { return std::string(fixture::kGameGfxScript) + ": missing"; },
     false},
    {"a value script under a name of another case",
     [](const GameRoot& root) { Rename(root, fixture::kLabsScript, "scripts/config/Labs.vsc"); },
     [](const GameRoot&) {
         return std::string("scripts/config/labs.vsc: not there under this name, only as scripts/config/Labs.vsc: "
                      "names must match in case");
     },
     true},
    {"a block script under a name of another case",
     [](const GameRoot& root) { Rename(root, fixture::kRollerScript, "scripts/elements/FlipCounterNumber.fsc"); },
     [](const GameRoot&) {
         return std::string("scripts/elements/flipcounternumber.fsc: not there under this name, only as "
                      "scripts/elements/FlipCounterNumber.fsc: names must match in case");
     },
     true},
    {"a graphics file named in another case",
     [](const GameRoot& root) { Replace(root, fixture::kGameGfxScript, "floor.tga", "Floor.tga"); },
     [](const GameRoot&) {
         return std::string(fixture::kGameGfxScript) + " [" + fixture::kGameTexture.name +
                "]: data/textures/Floor.tga is not there under this name, only as data/textures/floor.tga: "
                "names must match in case";
     },
     true},
    {"a sound the game plays, missing",
     [](const GameRoot& root) { Replace(root, fixture::kSoundScript, "[SOUND_FX_MOTOR]", "[SOUND_FX_ENGINE]"); },
     [](const GameRoot&) {
         return std::string(fixture::kSoundScript) + " [SOUND_FX_MOTOR]: missing: the game looks this sound up";
     },
     true},
    // The script's first block is the fixture's own sound.
    {"a sound file that is not there",
     [](const GameRoot& root) { Replace(root, fixture::kSoundScript, fixture::kSound.file, "data/sound/clack.wav"); },
     [](const GameRoot&) {
         return std::string(fixture::kSoundScript) + " [" + fixture::kSound.name + "]: data/sound/clack.wav is missing";
     },
     true},
    {"a sound file named in capitals",
     [](const GameRoot& root) { Replace(root, fixture::kSoundScript, "click.wav", "click.WAV"); },
     [](const GameRoot&) {
         return std::string(fixture::kSoundScript) + " [" + fixture::kSound.name +
                "]: data/sound/click.WAV: the game reads a sound only by a lower-case \".ogg\" or \".wav\" ending "
                "its name, the first in it";
     },
     true},
    {"a music theme missing",
     [](const GameRoot& root) { std::filesystem::remove(root.File("data/music/theme03.ogg")); },
     [](const GameRoot&) { return std::string("data/music/theme03.ogg: missing"); },
     true},
    {"a texture of 100 x 64",
     [](const GameRoot& root) { WriteTexture(root, fixture::kGameTexture.file, 100, 64, 24); },
     [](const GameRoot&) {
         return std::string(fixture::kGameGfxScript) + " [" + fixture::kGameTexture.name + "]: " +
                fixture::kGameTexture.file + " is 100 x 64: a texture's sides must be powers of two";
     },
     true},
    {"a texture of 16 bits",
     [](const GameRoot& root) { WriteTexture(root, fixture::kSmallGear.file, 64, 64, 16); },
     [](const GameRoot&) {
         return std::string(fixture::kLoadingGfxScript) + " [" + fixture::kSmallGear.name + "]: " +
                fixture::kSmallGear.file + " has 16 bits a pixel: a texture needs 24 or 32";
     },
     true},
    {"a string key shadowing a scene node's name",
     [](const GameRoot& root) { Append(root, fixture::kStringTable, "mo_gam\r\n{\r\nThe game\r\n}\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kStringTable) +
                " [mo_gam]: answers the key \"mo_game\" (a scene node's name) in its own entry's place";
     },
     true},
    {"a dialog's name holding a shorter key",
     [](const GameRoot& root) { Append(root, fixture::kStringTable, "ldone\r\n{\r\nDone\r\n}\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kStringTable) +
                " [ldone]: answers the key \"leveldone\" (scripts/gui/leveldone.vsc [Dialog]) in its own entry's place";
     },
     true},
    {"a key the game asks, answered by a shorter one",
     [](const GameRoot& root) { Append(root, fixture::kStringTable, "exit_q\r\n{\r\nExit?\r\n}\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kStringTable) +
                " [exit_q]: answers the key \"want_to_exit_q\" (a key the game asks) in its own entry's place";
     },
     true},
    {"a child the dialog looks for, missing",
     [](const GameRoot& root) {
         Replace(root, fixture::DialogScriptPath("leveldone").c_str(), "ID = 5.000000", "ID = 15.000000");
     },
     [](const GameRoot&) { return std::string("scripts/gui/leveldone.vsc: no child of ID 5: the dialog looks for it"); },
     true},
    {"a child the dialog looks for, of another class",
     [](const GameRoot& root) {
         Replace(root, fixture::DialogScriptPath("memobox").c_str(), "Class = \"CMemo\"", "Class = \"CMemoField\"");
     },
     [](const GameRoot&) {
         return std::string("scripts/gui/memobox.vsc: the child of ID 2 is a CMemoField, where the dialog needs a CMemo");
     },
     true},
    {"a dialog script with a block name used twice",
     [](const GameRoot& root) {
         Append(root, fixture::DialogScriptPath("leveldone").c_str(), "[Child]\r\nClass = \"CWnd\"\r\nID = 2\r\n\r\n");
     },
     [](const GameRoot&) { return std::string("scripts/gui/leveldone.vsc [Child]: a second block of this name"); },
     true},
    {"a dialog child of a class outside the window classes",
     [](const GameRoot& root) {
         Replace(root, fixture::DialogScriptPath("optionmenu").c_str(), "\"CWnd\"", "\"CWidget\"");
     },
     [](const GameRoot&) {
         return std::string("scripts/gui/optionmenu.vsc [Child]: Class \"CWidget\" is no window class: the game drops "
                      "the block");
     },
     true},
    {"an element script with a scripter error",
     [](const GameRoot& root) { Append(root, fixture::kElementScript, "mo_unfinished\r\n{\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) +
                ": the scripter says M3DOMScripter::AddScriptMOs - ERROR: block without its end!";
     },
     false},
    {"a MODEL word naming no model",
     [](const GameRoot& root) { Replace(root, fixture::kElementScript, "MODEL MODEL_BALL", "MODEL MODEL_NONE"); },
     [](const GameRoot& root) {
         return std::string(fixture::kElementScript) + ":" +
                std::to_string(LineOf(root, fixture::kElementScript, "MODEL_NONE")) +
                ": MODEL MODEL_NONE names no model of " + fixture::kGameGfxScript;
     },
     true},
    {"a scene node missing",
     [](const GameRoot& root) { Replace(root, fixture::kElementScript, "mo_game\r\n", "mo_board\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + " [mo_game]: missing: the game looks this scene node up";
     },
     true},
    {"a scene node twice",
     [](const GameRoot& root) { Append(root, fixture::kElementScript, "mo_menu\r\n{\r\n}\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) +
                " [mo_menu]: occurs 2 times in the scene: the game finds only the first";
     },
     true},
    {"a scene object missing",
     [](const GameRoot& root) {
         Replace(root, fixture::kElementScript, std::string("3DO ") + kSceneObjects[0], "3DO to_other_board");
     },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + " [" + kSceneObjects[0] +
                "]: missing: the game looks this scene object up";
     },
     true},
    {"a scene object twice",
     [](const GameRoot& root) {
         Append(root, fixture::kElementScript, std::string("mo_spare\r\n{\r\n\t3DO ") + kSceneObjects[0] + "\r\n}\r\n");
     },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + " [" + kSceneObjects[0] +
                "]: occurs 2 times in the scene: the game finds only the first";
     },
     true},
    {"a score display's node with a child",
     [](const GameRoot& root) {
         const std::string node = std::string("\t") + kCounterSpecs[3].parent + "\r\n\t{\r\n";
         Replace(root, fixture::kElementScript, node, node + "\t\tmo_digit\r\n\t\t{\r\n\t\t}\r\n");
     },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + " [" + kCounterSpecs[3].parent +
                "]: has children: the score display hangs its own rollers here";
     },
     true},
    {"a template missing",
     [](const GameRoot& root) {
         Replace(root, fixture::kElementScript, std::string("\t") + kRopeDummyTemplate + "\r\n",
                 "\ttmo_cord_dummy\r\n");
     },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + " [" + kRopeDummyTemplate +
                "]: missing from the templates: the game clones this name";
     },
     true},
    {"the hammer's head outside the hammer",
     [](const GameRoot& root) {
         const std::string head = std::string(kHammerHeadTemplate) + "\r\n";
         const std::string hammer = std::string("\t") + kHammerTemplate + "\r\n\t{\r\n";
         Replace(root, fixture::kElementScript, hammer + "\t\t" + head + "\t\t{\r\n\t\t}\r\n",
                 hammer + "\t}\r\n\t" + head + "\t{\r\n");
     },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + " [" + kHammerHeadTemplate + "]: not a child of the template " +
                kHammerTemplate + ": the game finds it only there";
     },
     true},
    {"a roller script missing",
     [](const GameRoot& root) { std::filesystem::remove(root.File(fixture::kSmallRollerScript)); },
     [](const GameRoot&) { return std::string(fixture::kSmallRollerScript) + ": missing"; },
     true},
    {"a roller script with two objects",
     [](const GameRoot& root) {
         std::string text = ReadText(root.File(fixture::kRollerScript));
         const size_t flap = text.find("\t3DO Flap\r\n");
         ASSERT_NE(flap, std::string::npos);
         const std::string end = "\t}\r\n";
         text.erase(flap, text.find(end, flap) + end.size() - flap);
         WriteText(root.File(fixture::kRollerScript), text);
     },
     [](const GameRoot&) {
         return std::string(fixture::kRollerScript) +
                " [Roller]: holds 2 objects: a roller needs its upper half, lower half and flap";
     },
     true},
    // A model of its own for the first object, the upper half, of one roller script.
    {"a roller model of 9 frames",
     [](const GameRoot& root) {
         std::string error;
         ASSERT_TRUE(WriteRollerModel(root, "data/models/roller_nine.uzq", 9, &error)) << error;
         Append(root, fixture::kGameGfxScript,
                std::string("\r\n[MODEL_ROLLER_NINE]\r\nType = \"") + CGfx::kTypeModel +
                    "\"\r\nFile = \"data/models/roller_nine.uzq\"\r\n");
         Replace(root, fixture::kRollerScript, std::string("MODEL ") + fixture::kRollerModel.name,
                 "MODEL MODEL_ROLLER_NINE");
     },
     [](const GameRoot&) {
         return std::string(fixture::kRollerScript) + " [Upper]: its model has 9 frames: a roller's parts need 10";
     },
     true},
    {"a 3D button without its hover text",
     [](const GameRoot& root) { Append(root, fixture::kElementScript, "mo_spare_button\r\n{\r\n\tBKS 5\r\n}\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kStringTable) +
                " [mo_spare_button]: missing: the game shows this text (the hover text of a clickable scene node)";
     },
     true},
    {"the lever of a 3D button without its hover text",
     [](const GameRoot& root) {
         Append(root, fixture::kElementScript,
                "mo_spare_switch\r\n{\r\n\tBKS 5\r\n\tmo_spare_lever\r\n\t{\r\n\t}\r\n}\r\n");
         Append(root, fixture::kStringTable, "mo_spare_switch\r\n{\r\nA switch\r\n}\r\n");
     },
     [](const GameRoot&) {
         return std::string(fixture::kStringTable) +
                " [mo_spare_lever]: missing: the game shows this text (the hover text of a clickable scene node)";
     },
     true},
    {"a menu sheet without its hover text",
     [](const GameRoot& root) {
         Replace(root, fixture::kStringTable, std::string(kMenuSheets[0]) + "\r\n", "clipboard_paper_gone\r\n");
     },
     [](const GameRoot&) {
         return std::string(fixture::kStringTable) + " [" + kMenuSheets[0] +
                "]: missing: the game shows this text (the hover text of a clickable scene node)";
     },
     true},
    {"a settings script without the block the game reads",
     [](const GameRoot& root) { Replace(root, fixture::kLabsScript, "[Labs]", "[Lab]"); },
     [](const GameRoot&) {
         return std::string(fixture::kLabsScript) + " [Labs]: no such block: the game would read only defaults";
     },
     true},
    {"a graphics block of no known type",
     // The first block of the script is the game texture's.
     [](const GameRoot& root) { Replace(root, fixture::kGameGfxScript, CGfx::kTypeTexture, "TOLP3D_GFX_BITMAP"); },
     [](const GameRoot&) {
         return std::string(fixture::kGameGfxScript) + " [" + fixture::kGameTexture.name +
                "]: Type \"TOLP3D_GFX_BITMAP\" is no kind of graphics: the game loads nothing";
     },
     true},
    {"a shader stage naming a missing texture",
     [](const GameRoot& root) { Replace(root, fixture::kShaderScript, fixture::kGameTexture.file, "data/none.tga"); },
     [](const GameRoot& root) {
         return std::string(fixture::kShaderScript) + ":" +
                std::to_string(LineOf(root, fixture::kShaderScript, "data/none.tga")) + ": data/none.tga is missing";
     },
     true},
    // Every effect of the fixture shares the file, and each says so.
    {"a sound file that does not load",
     [](const GameRoot& root) { WriteText(root.File(fixture::kSound.file), "not a sound"); },
     [](const GameRoot&) {
         return std::string(fixture::kSoundScript) + " [" + fixture::kSound.name + "]: " + fixture::kSound.file +
                " does not load as a sound";
     },
     false},
    {"a dialog script without a block",
     [](const GameRoot& root) { WriteText(root.File(fixture::DialogScriptPath("startlevel")), NewScriptText()); },
     [](const GameRoot&) {
         return std::string("scripts/gui/startlevel.vsc: holds no block: the first block is the dialog, and "
                            "without it start-up stops");
     },
     true},
    {"an element script that asks the game to quit",
     [](const GameRoot& root) { Append(root, fixture::kElementScript, "TEMPLATES\r\n{\r\nstray\r\n}\r\n"); },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + ": the scripter asks the game to quit (code " +
                std::to_string(M3DOMScripter::kMalformedQuitCode) + ")";
     },
     false},
    {"an element script that is neither plain nor enciphered with the script key",
     [](const GameRoot& root) { Replace(root, fixture::kElementScript, CScriptFile::kPlainMarker, "// plain"); },
     [](const GameRoot&) {
         return std::string(fixture::kElementScript) + ": cannot be read, or not deciphered with the script key";
     },
     true},
    {"a SHADER word naming no shader",
     [](const GameRoot& root) {
         Replace(root, fixture::kElementScript, std::string("SHADER ") + fixture::kShaderName, "SHADER glow");
     },
     [](const GameRoot& root) {
         return std::string(fixture::kElementScript) + ":" +
                std::to_string(LineOf(root, fixture::kElementScript, "SHADER glow")) +
                ": SHADER glow names no shader of " + fixture::kShaderScript;
     },
     true},
    {"a required file missing",
     [](const GameRoot& root) { std::filesystem::remove(root.File(kDisplayScript)); },
     [](const GameRoot&) { return std::string(kDisplayScript) + ": missing"; },
     true},
    {"a lab enciphered with another key",
     [](const GameRoot& root) { WriteLab(root, "mine", "another key"); },
     [](const GameRoot&) { return std::string("data/labs/mine.zql: does not load with the script key"); },
     true},
    {"an experiment whose body is cut short",
     [](const GameRoot& root) { WriteLab(root, "mine", kScriptKey, {1, 0, 0}); },
     [](const GameRoot&) {
         return std::string("data/labs/mine.zql [first experiment]: the experiment's body does not read: a field "
                            "runs past its data, or its level text does not expand");
     },
     true},
    {"an experiment whose level text holds no level",
     [](const GameRoot& root) {
         WriteLab(root, "mine", kScriptKey, BodyOf("board\r\n{\r\n}\r\n"));
     },
     [](const GameRoot&) {
         return std::string("data/labs/mine.zql [first experiment]: the experiment's body does not read: its level "
                            "text holds no level with level_elements and level_bar");
     },
     true},
};

// Each case on a copy of the fixture.
TEST_F(CheckDataTest, EachBrokenRootIsReportedOnItsOwnLine) {
    for (const BrokenRoot& broken : kBrokenRoots) {
        SCOPED_TRACE(broken.name);
        GameRoot root;
        ASSERT_TRUE(root.CopyFrom(m_root.File(".")));
        broken.breakRoot(root);
        EXPECT_EQ(Check(root), 1);
        EXPECT_TRUE(Reported(broken.line(root))) << broken.line(root) << "\n" << testing::PrintToString(m_problems);
        if (broken.alone) {
            EXPECT_EQ(m_problems.size(), 1u) << testing::PrintToString(m_problems);
        }
        EXPECT_TRUE(m_bSummaryLast);
    }
}

TEST_F(CheckDataTest, BadCommandLinesGiveTwo) {
    const std::string root = Quoted(m_root.File("."));
    for (const std::string& arguments : {std::string(""), std::string("''"), root + " " + root})
        EXPECT_EQ(RunProgram(CHECK_DATA, arguments), 2) << arguments;
}

TEST_F(CheckDataTest, RootThatCannotBeEnteredGivesOne) {
    const std::string messages = m_messages.File("messages");
    EXPECT_EQ(RunProgram(CHECK_DATA, Quoted(m_messages.File("no-such-root")), messages), 1);
    EXPECT_NE(ReadText(messages).find("check_data: cannot enter the game root"), std::string::npos);
}

}  // namespace
