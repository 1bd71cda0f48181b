#include "tests/tools/lab/LabFixtureRoot.h"

#include <filesystem>
#include <system_error>

#include "engine/core/ValueScript.h"
#include "engine/graphics/Gfx.h"
#include "game/app/ScriptFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolModel.h"

namespace {

struct FixtureModel {
    const char* name;
    const char* file;
    const char* text;
};

// Boxes with their points on their sides; the socket's two points share a name.
const FixtureModel kModels[] = {
    {"MODEL_GEAR", "data/models/gear.uzq",
     "part box size 1 1 0.2\nend\ntag Gear\n    translate 0.5 0 0\nend\ntag Wheel\n    translate -0.5 0 0\nend\n"
     "sphere 0 0 0 0.7\n"},
    {"MODEL_SOCKET", "data/models/socket.uzq",
     "part box size 0.5 0.5 0.5\nend\ntag Power\n    translate 0.25 0 0\nend\ntag Power\n    translate -0.25 0 0\n"
     "end\nbox 0 0 0 0.25 0.25 0.25\n"},
    {"MODEL_ARM", "data/models/arm.uzq",
     "part box size 0.1 1 0.1\nend\ntag Mechanic\n    translate 0 0.5 0\nend\nbox 0 0 0 0.05 0.5 0.05\n"},
    {"MODEL_PLAIN", "data/models/plain.uzq", "part box size 1 1 1\nend\nbox 0 0 0 0.5 0.5 0.5\n"},
};

const char* const kFolders[] = {"scripts/gfx", "scripts/shaders", "scripts/elements", "data/models"};

const char kShaders[] = "plain\n{\n\tpass\n\t{\n\t\tdiffuse 0.8 0.8 0.8 1.0\n\t\tambient 0.3 0.3 0.3 1.0\n\t}\n}\n";

// An object of a model under the plain shader, at the indent.
std::string Object(const char* name, const char* model, int tabs, const char* more = "") {
    const std::string in(static_cast<size_t>(tabs), '\t');
    return in + "3DO " + name + "\n" + in + "{\n" + in + "\tMODEL " + model + "\n" + in + "\tSHADER plain\n" + more +
           in + "}\n";
}

std::string ElementScript() {
    return std::string(CScriptFile::kPlainMarker) +
           "\n// The lab tool's test templates and a scene holding the level.\n"
           "TEMPLATES\n{\n"
           "\ttmo_gear\n\t{\n\t\tID 5\n\t\tBKS 3\n" +
           Object("o_gear", "MODEL_GEAR", 2) +
           "\t}\n"
           "\ttmo_socket\n\t{\n\t\tID 30\n\t\tBKS 3\n" +
           Object("o_socket", "MODEL_SOCKET", 2) +
           "\t}\n"
           "\ttmo_lever\n\t{\n\t\tID 12\n\t\tBKS 3\n" +
           Object("o_lever_base", "MODEL_PLAIN", 2) + "\t\ttmo_lever_arm\n\t\t{\n\t\t\tPOSREL 0, 0.5, 0\n" +
           Object("o_lever_arm", "MODEL_ARM", 3) +
           "\t\t}\n"
           "\t}\n"
           "\ttmo_ball\n\t{\n\t\tID 1\n\t\tBKS 3\n" +
           Object("o_ball", "MODEL_PLAIN", 2) +
           "\t}\n"
           "\ttmo_background_plain\n\t{\n\t\tPOSREL 0, 0, 0\n" +
           Object("o_background_plain", "MODEL_PLAIN", 2, "\t\t\tPOSREL 0, 0, 0.75\n") +
           "\t}\n"
           "}\n"
           "mo_game\n{\n"
           "\tlevel\n\t{\n\t\tPOSREL 0, 0, 0\n"
           "\t\tmo_background\n\t\t{\n\t\t\tPOSREL 0, 0, 0\n\t\t}\n"
           "\t\tlevel_elements\n\t\t{\n\t\t\tPOSREL 0, 0, 0\n\t\t}\n"
           "\t\tlevel_bar\n\t\t{\n\t\t\tPOSREL 4, 2.2, -0.1\n\t\t\tBKS 2\n\t\t}\n"
           "\t}\n"
           "}\n";
}

bool SaveModelBlock(const std::string& root, const FixtureModel& model, std::string* error) {
    CValueScript block;
    block.m_sName = model.name;
    block.SetString("Type", CGfx::kTypeModel);
    block.SetString("File", model.file);
    if (block.Save((root + "/" + labfixture::kGraphicsScript).c_str()))
        return true;
    *error = std::string("cannot save block [") + model.name + "] of " + labfixture::kGraphicsScript;
    return false;
}

}  // namespace

bool WriteLabFixtureRoot(const std::string& root, std::string* error) {
    for (const char* folder : kFolders) {
        std::error_code failure;
        std::filesystem::create_directories(root + "/" + folder, failure);
        if (failure) {
            *error = std::string(folder) + ": " + failure.message();
            return false;
        }
    }
    for (const FixtureModel& model : kModels) {
        if (!WriteToolModelFile(root + "/" + model.file, model.text, error) || !SaveModelBlock(root, model, error))
            return false;
    }
    WriteText(root + "/" + labfixture::kShaderScript, Crlf(kShaders));
    WriteText(root + "/" + labfixture::kElementScript, Crlf(ElementScript()));
    return true;
}
