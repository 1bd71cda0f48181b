#include "tests/game/flow/RecordBodyWorld.h"

#include <cstring>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/flow/ConnectorKinds.h"
#include "tests/support/ToolModel.h"

namespace {

std::string TaggedModel(const char* first, const char* second) {
    std::string text = "frames 1\npart box size 1 1 1\nend\n";
    if (first)
        text += std::string("tag ") + first + "\n    translate 0.5 0 0\nend\n";
    if (second)
        text += std::string("tag ") + second + "\n    translate -0.5 0 0\nend\n";
    return text + "sphere 0 0 0 0.7\n";
}

std::string Crlf(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n')
            out += '\r';
        out += *p;
    }
    return out;
}

const char kTemplates[] =
    "TEMPLATES\n{\n"
    "\ttmo_gear\n\t{\n\t\tID 5\n\t\tBKS 3\n\t\t3DO cog\n\t\t{\n\t\t\tMODEL Cog\n\t\t}\n\t}\n"
    "\ttmo_socket\n\t{\n\t\tID 30\n\t\tBKS 3\n\t\t3DO socket\n\t\t{\n\t\t\tMODEL Socket\n\t\t}\n\t}\n"
    "\ttmo_power_plug\n\t{\n\t\tID 31\n\t\t3DO plug\n\t\t{\n\t\t\tMODEL Plain\n\t\t}\n\t}\n"
    "\ttmo_ball\n\t{\n\t\tID 1\n\t\tBKS 3\n\t\t3DO ball\n\t\t{\n\t\t\tMODEL Plain\n\t\t}\n\t}\n"
    "\tboard_holder\n\t{\n\t\t3DO to_level_bar_board\n\t\t{\n\t\t\tMODEL Plain\n\t\t}\n\t}\n"
    "}\n";

const char kLevel[] =
    "level\n{\n"
    "\tlevel_elements\n\t{\n"
    "\t\ttmo_gear\n\t\t{\n\t\t\tPOS 0, 0, 0\n\t\t}\n"
    "\t\ttmo_gear\n\t\t{\n\t\t\tPOS 1, 0, 0\n\t\t}\n"
    "\t\ttmo_socket\n\t\t{\n\t\t\tPOS 2, 0, 0\n\t\t}\n"
    "\t\ttmo_socket\n\t\t{\n\t\t\tPOS 3, 0, 0\n\t\t}\n"
    "\t\ttmo_power_plug\n\t\t{\n\t\t\tPOS 3, 1, 0\n\t\t}\n"
    "\t\ttmo_ball\n\t\t{\n\t\t\tPOS 0, 2, 0\n\t\t\tGOAL 1\n\t\t}\n"
    "\t}\n"
    "\tlevel_bar\n\t{\n\t\tPOSREL 4, 2.2, 0\n"
    "\t\ttmo_ball\n\t\t{\n\t\t\tCOUNT 3\n\t\t\t3DO ball\n\t\t\t3DO to_level_bar_board\n\t\t}\n"
    "\t}\n"
    "}\n";

}  // namespace

RecordBodyWorld::~RecordBodyWorld() = default;

bool RecordBodyWorld::Init(std::string* error) {
    if (m_Device.InitForTest(64, 0, 0) != 1 || m_Gfx.Init(&m_Device) != 1) {
        *error = "the recording device or the graphics handler does not start";
        return false;
    }
    const struct {
        const char* name;
        const char* first;
        const char* second;
    } models[] = {{"Cog", "Gear01", "Wheel01"}, {"Socket", "Power01", "Power02"}, {"Plain", nullptr, nullptr}};
    for (const auto& model : models) {
        if (!AddToolModelResource(&m_Gfx, &m_Device, model.name, TaggedModel(model.first, model.second), error))
            return false;
    }
    return NewWorld(error);
}

bool RecordBodyWorld::NewWorld(std::string* error) {
    m_pWorld.reset();
    m_pWorld = std::make_unique<M3DOMWorld>(&m_Gfx, nullptr, &m_Device, nullptr, &m_FrameTime, &m_RunTime);
    if (RegisterConnectorKinds(m_pWorld->m_pNamedEntries) != 1) {
        *error = "the connector kinds are not registered";
        return false;
    }
    const std::string templates = Crlf(kTemplates);
    m_pWorld->m_pScripter->AddScriptMOsFromMemory(nullptr, templates.data(), static_cast<int>(templates.size()), 1);
    if (!m_pWorld->m_pTemplateTree->FindByName("tmo_gear") || !m_pWorld->m_pTemplateTree->FindByName("board_holder")) {
        *error = "the templates are not read";
        return false;
    }
    return true;
}

bool RecordBodyWorld::ReadLevel(const std::string& text, CLevelNodes* level) const {
    if (!m_pWorld->m_pScripter->AddScriptMOsFromMemory(nullptr, text.data(), static_cast<int>(text.size()), 0))
        return false;
    level->m_pLevelMO = m_pWorld->m_pInstanceTree->FindByName("level");
    level->m_pElements = level->m_pLevelMO ? level->m_pLevelMO->FindByName("level_elements", 0) : nullptr;
    level->m_pLevelBar = level->m_pLevelMO ? level->m_pLevelMO->FindByName("level_bar", 0) : nullptr;
    return level->m_pElements && level->m_pLevelBar;
}

std::string FixtureLevelText() {
    return Crlf(kLevel);
}
