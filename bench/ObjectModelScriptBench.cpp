// Object-model scripts on the recording render device: reading an element script of 200
// templates (each a node with an arm and a tip below it, four objects with models, a shader
// and a billboard, and keywords), reading a level of their instances from memory as a lab
// record holds it (placed, turned and valued, its objects and arms re-used from the clones),
// and writing that level back as text. The level is read and written at three sizes, since
// the writer's cost grows with the text it has already written.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/ObjectModelScene.h"
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

namespace {

constexpr int kTemplates = 200;
constexpr int kLevelElements = 500;
constexpr int kColumns = 25;

constexpr char kShaderScript[] = "element {\r\n pass {\r\n  diffuse 0.8 0.7 0.6 1\r\n }\r\n}\r\n";

std::string Format(const char* format, int a, int b = 0, int c = 0) {
    char line[256];
    snprintf(line, sizeof line, format, a, b, c);
    return line;
}

// TEMPLATES with Element000 .. Element199: 600 nodes and 800 objects. Every node of the
// template tree is a template by its name, so the arms and tips are numbered too.
std::string ElementScript() {
    std::string text = "//#TOLP_SCRIPT#\r\nTEMPLATES\r\n{\r\n";
    for (int i = 0; i < kTemplates; ++i) {
        text += Format("\tElement%03d\r\n\t{\r\n\t\tID %d\r\n\t\tBKS 3\r\n\t\tVALN 2\r\n\t\tTAGSNAP 1\r\n", i, i + 1);
        text += Format("\t\t3DO Body%03d\r\n\t\t{\r\n", i);
        text += "\t\t\tMODEL Body\r\n\t\t\tSHADER element\r\n\t\t\tID 1\r\n\t\t}\r\n";
        text += "\t\t3DO Cap\r\n\t\t{\r\n\t\t\tMODEL Part\r\n\t\t\tPOSREL 0, 0.6, 0\r\n\t\t\tNO_SHADOW\r\n\t\t}\r\n";
        text += Format("\t\tArm%03d\r\n\t\t{\r\n\t\t\tPOSREL 0.5, 0, 0\r\n\t\t\tROTREL xyz 0, 0, 0.25\r\n", i);
        text += "\t\t\t3DO Joint\r\n\t\t\t{\r\n\t\t\t\tMODEL Part\r\n\t\t\t\tSCAL 0.5, 0.5, 0.5\r\n\t\t\t}\r\n";
        text += Format("\t\t\tTip%03d\r\n\t\t\t{\r\n\t\t\t\tPOSREL 0.25, 0, 0\r\n", i);
        text += "\t\t\t\t3DO Glow\r\n\t\t\t\t{\r\n\t\t\t\t\tMODEL BILLBOARD 0.2 0.2\r\n\t\t\t\t}\r\n\t\t\t}\r\n";
        text += "\t\t}\r\n\t}\r\n";
    }
    return text + "}\r\n";
}

// One "Level" node over the instances, element i of Element(i % 200): each clone brings 3
// nodes and 4 objects, and the text sets its placement and values, its first two objects'
// and its arm's.
std::string LevelScript(int elements) {
    std::string text = "//#TOLP_SCRIPT#\r\nLevel\r\n{\r\n";
    for (int i = 0; i < elements; ++i) {
        const int t = i % kTemplates;
        text += Format("\tElement%03d\r\n\t{\r\n\t\tPOS %d, %d, 0\r\n", t, 2 * (i % kColumns), 2 * (i / kColumns));
        text += Format("\t\tROT xyz 0, 1.57080, 0\r\n\t\tVALN %d\r\n\t\tFIXED %d\r\n\t\tBITS 00000101\r\n", i, i % 2);
        text += Format("\t\t3DO Body%03d\r\n\t\t{\r\n\t\t\tID %d\r\n\t\t}\r\n", t, i + 1);
        text += "\t\t3DO Cap\r\n\t\t{\r\n\t\t\tPOSREL 0, 0.70000, 0\r\n\t\t\tROT xyz 0, 0.50000, 0\r\n\t\t}\r\n";
        text += Format("\t\tArm%03d\r\n\t\t{\r\n", t);
        text += "\t\t\tPOSREL 0.50000, 0.10000, 0\r\n\t\t\tROTREL xyz 0, 0, 0.75000\r\n\t\t}\r\n";
        text += "\t}\r\n";
    }
    return text + "}\r\n";
}

// The device, the models and the shader, and a world whose templates can be read.
class ScriptStage {
public:
    bool Start(std::string* error) {
        if (!m_Device.InitForTest(64, 0, 0) || !m_Gfx.Init(&m_Device)) {
            *error = "the recording device did not start";
            return false;
        }
        m_Shaders.Init(&m_Device);
        m_Shaders.LoadScriptFromMemory(kShaderScript, sizeof kShaderScript - 1, &m_Gfx);
        if (!AddModel("Body", kObjectModelBodyText, error) || !AddModel("Part", kObjectModelPartText, error))
            return false;
        m_pWorld = std::make_unique<M3DOMWorld>(&m_Gfx, &m_Shaders, &m_Device, nullptr, &m_FrameTime, &m_RunTime);
        RegisterConnectorKinds(m_pWorld->m_pNamedEntries);
        return true;
    }

    // The world's templates from the element script; false when they did not all come.
    bool ReadTemplates(std::string* error) {
        const std::string text = ElementScript();
        m_pWorld->m_pScripter->AddScriptMOsFromMemory(nullptr, text.data(), static_cast<int>(text.size()), 1);
        if (m_pWorld->m_pTemplateTree->m_pRoot->CountMOs() != 3 * kTemplates) {
            *error = "the element script did not give every template";
            return false;
        }
        return true;
    }

    // The level read with re-use, as lab records are; its node, or none.
    M3DOMObject* ReadLevel(const std::string& text) {
        m_pWorld->m_pScripter->AddScriptMOsFromMemory(nullptr, text.data(), static_cast<int>(text.size()), 0);
        return m_pWorld->m_pInstanceTree->FindByName("Level");
    }

    M3DOMWorld* World() const { return m_pWorld.get(); }

private:
    bool AddModel(const char* name, const char* text, std::string* error) {
        return AddToolModelResource(&m_Gfx, &m_Device, name, text, error) != nullptr;
    }

    CRecordingRenderDevice m_Device;
    CGfxHandler m_Gfx;
    CShaderHandler m_Shaders;
    double m_FrameTime = 0.0;
    double m_RunTime = 0.0;
    std::unique_ptr<M3DOMWorld> m_pWorld;  // goes before the resources it points into
};

int ObjectCount(const M3DOMTree* tree) {
    return static_cast<int>(tree->m_pOList->m_pList->m_nCount);
}

void SetRates(benchmark::State& state, int64_t bytes, int nodes, int objects) {
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["nodes/s"] = benchmark::Counter(nodes, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["objects/s"] = benchmark::Counter(objects, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["nodes"] = nodes;
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ObjectModelScriptReadTemplates(benchmark::State& state) {
    ScriptStage stage;
    std::string error;
    if (!stage.Start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string text = ElementScript();
    M3DOMScripter* scripter = stage.World()->m_pScripter;
    M3DOMTree* templates = stage.World()->m_pTemplateTree;
    int nodes = 0;
    int objects = 0;
    for (auto _ : state) {
        scripter->AddScriptMOsFromMemory(nullptr, text.data(), static_cast<int>(text.size()), 1);
        state.PauseTiming();
        nodes = templates->m_pRoot->CountMOs();
        objects = ObjectCount(templates);
        templates->DeleteAll();
        state.ResumeTiming();
    }
    if (nodes != 3 * kTemplates)
        state.SkipWithError("the element script did not give every template");
    SetRates(state, static_cast<int64_t>(text.size()), nodes, objects);
}
BENCHMARK(BM_ObjectModelScriptReadTemplates)->Unit(benchmark::kMillisecond);

void BM_ObjectModelScriptReadLevel(benchmark::State& state) {
    ScriptStage stage;
    std::string error;
    if (!stage.Start(&error) || !stage.ReadTemplates(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int elements = static_cast<int>(state.range(0));
    const std::string text = LevelScript(elements);
    M3DOMTree* instances = stage.World()->m_pInstanceTree;
    int nodes = 0;
    int objects = 0;
    for (auto _ : state) {
        const M3DOMObject* level = stage.ReadLevel(text);
        state.PauseTiming();
        nodes = level ? 1 + level->CountMOs() : 0;
        objects = ObjectCount(instances);
        instances->DeleteAll();
        state.ResumeTiming();
    }
    if (nodes != 1 + 3 * elements)
        state.SkipWithError("the level did not give every element");
    SetRates(state, static_cast<int64_t>(text.size()), nodes, objects);
}
BENCHMARK(BM_ObjectModelScriptReadLevel)->Arg(125)->Arg(250)->Arg(kLevelElements)->Unit(benchmark::kMillisecond);

void BM_ObjectModelScriptWriteLevel(benchmark::State& state) {
    ScriptStage stage;
    std::string error;
    if (!stage.Start(&error) || !stage.ReadTemplates(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int elements = static_cast<int>(state.range(0));
    const M3DOMObject* level = stage.ReadLevel(LevelScript(elements));
    if (!level || level->CountMOs() != 3 * elements) {
        state.SkipWithError("the level did not give every element");
        return;
    }
    M3DOMScripter* scripter = stage.World()->m_pScripter;
    int64_t written = 0;
    for (auto _ : state) {
        char* text = nullptr;
        scripter->WriteMO(level, &text, 0);
        written = text ? static_cast<int64_t>(strlen(text)) : 0;
        free(text);
    }
    SetRates(state, written, 1 + level->CountMOs(), ObjectCount(stage.World()->m_pInstanceTree));
}
BENCHMARK(BM_ObjectModelScriptWriteLevel)->Arg(125)->Arg(250)->Arg(kLevelElements)->Unit(benchmark::kMillisecond);

}  // namespace
