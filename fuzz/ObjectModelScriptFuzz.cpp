// Object-model script text from anywhere, read into a world on the recording device that holds
// node and object templates, a tool-made model with a tag of every connector kind, a billboard
// and a shader. The first byte picks the way in: bit 0 re-uses same-named nodes and objects,
// bit 1 reads under a node cloned from a template. A load makes no more nodes and objects than
// its limit and always ends outside template mode. What it leaves at the top level is written,
// read back with re-use and written, twice over: once the first round trip has cut the numbers
// to their written precision, the second must give the same text byte for byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/ShaderHandler.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObjectList.h"
#include "game/flow/ConnectorKinds.h"
#include "tests/support/ToolModel.h"
#include "tools/render/RecordingRenderDevice.h"
#include "winapi/window/WinWindow.h"

namespace {

// Larger inputs add nothing a template bomb cannot reach from a few hundred bytes.
constexpr size_t kMaxInput = 1 << 16;
// Only trees up to this many nodes and objects are written: bigger ones add time, not paths;
// the benchmark measures the writer on a level.
constexpr int kMaxWritten = 1000;
constexpr int kReuseBit = 1;
constexpr int kUnderCloneBit = 2;

constexpr char kKindsModel[] =
    "frames 10\npart box size 1 1 1\nend\n"
    "tag Gear\n    translate 0.5 0 0\nend\n"
    "tag Pipe\n    translate -0.5 0 0\nend\n"
    "tag Power\n    translate 0 0.5 0\nend\n"
    "tag Rope\n    translate 0 -0.5 0\nend\n"
    "tag Wheel\n    translate 0 0 0.5\nend\n"
    "sphere 0 0 0 0.7\nbox 0 0 0 0.5 0.5 0.5\n";

constexpr char kShaderScript[] = "element {\r\n pass {\r\n  diffuse 0.8 0.7 0.6 1\r\n }\r\n}\r\n";

// Read once per world: node templates with children and objects, and the object templates
// their objects become. Gear, Axle, Lamp and Rope hold one object each.
constexpr int kTemplateNodes = 4;
constexpr int kTemplateObjects = 4;
constexpr char kTemplates[] =
    "//#TOLP_SCRIPT#\r\n"
    "TEMPLATES\r\n{\r\n"
    "\tGear\r\n\t{\r\n\t\tID 3\r\n\t\tBKS 3\r\n"
    "\t\t3DO Wheel\r\n\t\t{\r\n\t\t\tMODEL Kinds\r\n\t\t\tSHADER element\r\n\t\t\tID 7\r\n\t\t}\r\n"
    "\t\tAxle\r\n\t\t{\r\n\t\t\tPOSREL 0, 0.5, 0\r\n"
    "\t\t\t3DO Pin\r\n\t\t\t{\r\n\t\t\t\tMODEL Kinds\r\n\t\t\t\tROT xyz 0, 1.5708, 0\r\n\t\t\t\tNO_SHADOW\r\n"
    "\t\t\t}\r\n\t\t}\r\n\t}\r\n"
    "\tLamp\r\n\t{\r\n\t\tID 12\r\n\t\tVALF 0.5\r\n"
    "\t\t3DO Bulb\r\n\t\t{\r\n\t\t\tMODEL BILLBOARD 1 1\r\n\t\t\tVALUE 0.5\r\n\t\t\tDYN_SHADOW\r\n\t\t}\r\n\t}\r\n"
    "\tRope\r\n\t{\r\n\t\tID 20\r\n"
    "\t\t3DO Coil\r\n\t\t{\r\n\t\t\tMODEL Kinds\r\n\t\t\tFRAME 0.25 0 9\r\n\t\t\tRENDER_PASS_ID 2\r\n\t\t}\r\n"
    "\t}\r\n}\r\n";

void Check(bool holds) {
    if (!holds)
        abort();
}

int CountMade(const M3DOMTree* tree) {
    return tree->m_pRoot->CountMOs() + static_cast<int>(tree->m_pOList->m_pList->m_nCount);
}

// The device, resources and a world with its templates, kept across inputs; the world is made
// anew when an input has added templates, so that every input meets the same world.
class Stage {
public:
    Stage() {
        Check(m_Device.InitForTest(64, 0, 0) == 1);
        Check(m_Gfx.Init(&m_Device) == 1);
        m_Shaders.Init(&m_Device);
        m_Shaders.LoadScriptFromMemory(kShaderScript, sizeof kShaderScript - 1, &m_Gfx);
        std::string error;
        Check(AddToolModelResource(&m_Gfx, &m_Device, "Kinds", kKindsModel, &error) != nullptr);
        NewWorld();
    }

    M3DOMWorld* World() { return m_pWorld.get(); }

    // Back to the world of the start: an empty instance tree and the templates alone.
    void Restore() {
        m_pWorld->m_pInstanceTree->DeleteAll();
        Check(m_pWorld->m_pInstanceTree->m_pOList->m_pList->m_nCount == 0);
        if (CountMade(m_pWorld->m_pTemplateTree) != m_nTemplatesMade)
            NewWorld();
    }

private:
    void NewWorld() {
        m_pWorld.reset();
        m_pWorld = std::make_unique<M3DOMWorld>(&m_Gfx, &m_Shaders, &m_Device, nullptr, &m_FrameTime, &m_RunTime);
        Check(RegisterConnectorKinds(m_pWorld->m_pNamedEntries) == 1);
        // Nodes inside TEMPLATES count in no result; the tree shows what came.
        m_pWorld->m_pScripter->AddScriptMOsFromMemory(nullptr, kTemplates, sizeof kTemplates - 1, 1);
        m_nTemplatesMade = CountMade(m_pWorld->m_pTemplateTree);
        Check(m_nTemplatesMade == kTemplateNodes + kTemplateObjects);
    }

    CRecordingRenderDevice m_Device;
    CGfxHandler m_Gfx;
    CShaderHandler m_Shaders;
    double m_FrameTime = 0.0;
    double m_RunTime = 0.0;
    std::unique_ptr<M3DOMWorld> m_pWorld;  // goes before the resources it points into
    int m_nTemplatesMade = 0;
};

// A stray top-level token posts a quit request; it is taken here, as the program's main loop
// would, so that it does not pile up.
void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// One load, with its limit on what it makes and template mode off afterwards: its result.
int Read(M3DOMWorld* world, M3DOMObject* parent, const char* text, int length, int createNew) {
    const int before = CountMade(world->m_pInstanceTree) + CountMade(world->m_pTemplateTree);
    const int result = world->m_pScripter->AddScriptMOsFromMemory(parent, text, length, createNew);
    DrainMessages();
    const int made = CountMade(world->m_pInstanceTree) + CountMade(world->m_pTemplateTree) - before;
    Check(result >= 0);
    Check(made >= 0 && made <= M3DOMScripter::kMaxMadePerLoad);
    Check(world->m_pScripter->m_bTemplateMode == 0);
    return result;
}

std::string WriteTopLevel(M3DOMWorld* world) {
    char* text = nullptr;
    for (CPointerList::Node* node = world->m_pInstanceTree->m_pRoot->m_pList->m_pHead; node; node = node->m_pNext)
        world->m_pScripter->WriteMO(static_cast<const M3DOMObject*>(node->m_data), &text, 0);
    std::string written = text ? text : "";
    free(text);
    return written;
}

// Written text read back with re-use into an empty instance tree, then written again.
std::string ReadBackAndWrite(Stage* stage, const std::string& text, bool* intact) {
    M3DOMWorld* world = stage->World();
    world->m_pInstanceTree->DeleteAll();
    const int templatesMade = CountMade(world->m_pTemplateTree);
    const int result = Read(world, nullptr, text.data(), static_cast<int>(text.size()), 0);
    // A stopped load, or a node renamed to TEMPLATES that read back as templates, leaves a
    // different tree for reasons of its own.
    if ((result == 0 && !text.empty()) || CountMade(world->m_pTemplateTree) != templatesMade)
        *intact = false;
    // A node renamed after a template reads back as a whole clone of it, which may be large.
    if (CountMade(world->m_pInstanceTree) > kMaxWritten) {
        *intact = false;
        return std::string();
    }
    return WriteTopLevel(world);
}

// A NUL byte ends a name early: "3DO" with an empty name writes a line that reads back as a
// node named "3DO", so only texts without one are held to the round trip.
void RoundTrip(Stage* stage, bool strict) {
    const std::string first = WriteTopLevel(stage->World());
    bool intact = true;
    const std::string second = ReadBackAndWrite(stage, first, &intact);
    if (!intact)
        return;
    const std::string third = ReadBackAndWrite(stage, second, &intact);
    if (intact && strict)
        Check(second == third);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput)
        return 0;
    static Stage stage;
    M3DOMWorld* world = stage.World();
    const int mode = data[0];
    M3DOMObject* parent = nullptr;
    if (mode & kUnderCloneBit) {
        // Hung as a top-level node is: in the root's list, without a parent, so that ".."
        // from it finds nothing rather than the tree's root.
        parent = world->m_pTemplateTree->FindByName("Gear")->Clone(world->m_pInstanceTree, nullptr);
        world->m_pInstanceTree->m_pRoot->m_pList->Append(parent);
    }
    Read(world, parent, reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1),
         (mode & kReuseBit) ? 0 : 1);
    if (CountMade(world->m_pInstanceTree) <= kMaxWritten)
        RoundTrip(&stage, memchr(data + 1, '\0', size - 1) == nullptr);
    stage.Restore();
    return 0;
}
