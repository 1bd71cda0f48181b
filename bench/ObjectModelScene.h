// A level-sized object-model scene built in code on the recording render device: 4 groups of
// 125 elements, each element a node with one body object and three parts placed relative to
// it with three objects each, so 2,004 nodes (root not counted) and 5,000 objects. Some parts
// move towards targets and some turn, so a frame has work. Its models are the model tool's,
// read by the engine's model reader, with connection tags of the game's kinds. For drawing,
// every object can be given one lit single-pass shader, and shadows can be limited to the
// turning bodies of some elements.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/core/PointerList.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/ShaderHandler.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/EmitterList.h"
#include "game/app/NamedEntryList.h"
#include "game/flow/ConnectorKinds.h"
#include "tests/support/ToolModel.h"
#include "tools/render/RecordingRenderDevice.h"

// The models of the benchmark scenes: an element's body with two connection tags, and a small
// part with one.
inline constexpr char kObjectModelBodyText[] =
    "frames 10\npart box size 1 1 1\nend\n"
    "tag Gear\n    translate 0.5 0 0\nend\n"
    "tag Pipe\n    translate -0.5 0 0\nend\n"
    "sphere 0 0 0 0.7\nbox 0 0 0 0.5 0.5 0.5\n";
inline constexpr char kObjectModelPartText[] =
    "frames 10\npart sphere radius 0.2 segments 8 rings 6\nend\n"
    "tag Power\nend\n"
    "sphere 0 0 0 0.2\n";

class CObjectModelScene {
public:
    static constexpr int kGroups = 4;
    static constexpr int kElementsPerGroup = 125;
    static constexpr int kPartsPerElement = 3;
    static constexpr int kObjectsPerPart = 3;
    static constexpr int kElements = kGroups * kElementsPerGroup;
    static constexpr int kObjects = kElements * (1 + kPartsPerElement * kObjectsPerPart);
    // Elements stand on a grid in the x-y plane, this far apart, facing the viewer along z.
    static constexpr float kSpacing = 2.0f;
    static constexpr int kColumns = 25;

    // Loads the models; false with the reason when the device or the tool fails.
    bool LoadModels(std::string* error) {
        if (!m_Device.InitForTest(64, 0, 0) || !m_Gfx.Init(&m_Device)) {
            *error = "the recording device did not start";
            return false;
        }
        m_Shaders.Init(&m_Device);
        RegisterConnectorKinds(&m_Entries);
        return AddModel("Body", kObjectModelBodyText, error) && AddModel("Part", kObjectModelPartText, error);
    }

    // Parses the scene's shader: one lit pass with a material and one texture stage, as an
    // element's shader has (its texture left out: the recording device draws none).
    bool LoadShader(std::string* error) {
        static constexpr char kScript[] =
            "element {\r\n pass {\r\n  diffuse 0.8 0.7 0.6 1\r\n  specular 0.3 0.3 0.3 1\r\n  power 12\r\n"
            "  stage { colorop modulate texture current }\r\n }\r\n}\r\n";
        m_Shaders.LoadScriptFromMemory(kScript, sizeof kScript - 1, &m_Gfx);
        m_pShader = m_Shaders.GetShader("element");
        if (!m_pShader || m_pShader->GetPassCount() != 1) {
            *error = "the scene's shader did not parse to one pass";
            return false;
        }
        return true;
    }

    // Every object of the built scene draws through the loaded shader, shared as from the script.
    void ShadeAll() {
        for (CPointerList::Node* node = m_pTree->m_pOList->m_pList->m_pHead; node; node = node->m_pNext)
            static_cast<C3DObject*>(node->m_data)->SetShader(m_pShader);
    }

    // The body objects of the first `casters` elements cast shadows that follow their turn, and
    // those elements turn, so each frame rebuilds their volumes; no other object casts one.
    void SetTurningShadowCasters(int casters) {
        for (CPointerList::Node* node = m_pTree->m_pOList->m_pList->m_pHead; node; node = node->m_pNext)
            static_cast<C3DObject*>(node->m_data)->m_bCastShadow = 0;
        for (int element = 0; element < casters && element < kElements; ++element) {
            M3DOMObject* mo = Group(element / kElementsPerGroup)->GetChild(element % kElementsPerGroup);
            mo->m_vAngularVelocity = CVector3(0.0f, 1.0f, 0.0f);
            auto* body = static_cast<C3DObject*>(mo->m_pOList->m_pHead->m_data);
            body->m_bCastShadow = 1;
            body->m_bDynShadow = 1;
        }
    }

    // Builds the scene in the tree made anew; the models must be loaded.
    void Build() {
        m_pTree = std::make_unique<M3DOMTree>(&m_Gfx, &m_Shaders, &m_Device, nullptr, &m_FrameTime, &m_RunTime,
                                              &m_Entries, &m_Emitters);
        char name[32];
        int element = 0;
        for (int g = 0; g < kGroups; ++g) {
            snprintf(name, sizeof name, "group%d", g);
            M3DOMObject* group = Link(m_pTree->CreateMO(name), m_pTree->m_pRoot);
            for (int e = 0; e < kElementsPerGroup; ++e, ++element) {
                snprintf(name, sizeof name, "element%d", element);
                M3DOMObject* mo = Link(m_pTree->CreateMO(name), group);
                mo->m_nBKS = M3DOMObject::kWholeElementBKS;
                mo->m_vPos = mo->m_vTarget = ElementPosition(element);
                mo->AddO("Body", CVector3(0.0f, 0.0f, 0.0f));
                for (int p = 0; p < kPartsPerElement; ++p) {
                    snprintf(name, sizeof name, "part%d", p);
                    M3DOMObject* part = Link(m_pTree->CreateMO(name), mo);
                    part->m_bRelative = 1;
                    part->m_bRotRel = 1;
                    part->m_vPosRel = part->m_vTargetRel = CVector3(0.3f * static_cast<float>(p), 0.4f, -0.2f);
                    // Every third element's parts slide to and fro, every fifth element's turn.
                    if (element % 3 == 0) {
                        part->m_vTargetRel.y = -0.4f;
                        part->m_fVelocity = 0.5f;
                    }
                    if (element % 5 == 0)
                        part->m_vAngularVelocity = CVector3(0.0f, 1.0f, 0.0f);
                    for (int o = 0; o < kObjectsPerPart; ++o)
                        part->AddO("Part", CVector3(0.1f * static_cast<float>(o), 0.0f, 0.0f));
                }
            }
        }
        m_FrameTime = 1.0 / 60.0;
        m_pTree->UpdateAll();
    }

    static CVector3 ElementPosition(int element) {
        const int column = element % kColumns;
        const int row = element / kColumns;
        return CVector3(kSpacing * static_cast<float>(column), kSpacing * static_cast<float>(row), 0.0f);
    }

    M3DOMObject* Group(int g) const { return m_pTree->m_pRoot->GetChild(g); }

    CRecordingRenderDevice m_Device;
    CGfxHandler m_Gfx;
    CShaderHandler m_Shaders;
    CShader* m_pShader = nullptr;  // the handler's, once loaded
    CNamedEntryList m_Entries;
    CEmitterList m_Emitters;
    double m_FrameTime = 0.0;
    double m_RunTime = 0.0;
    std::unique_ptr<M3DOMTree> m_pTree;  // goes before the lists it points into

private:
    static M3DOMObject* Link(M3DOMObject* mo, M3DOMObject* parent) {
        M3DOMTree::Reparent(parent, mo);
        return mo;
    }

    bool AddModel(const char* name, const char* text, std::string* error) {
        return AddToolModelResource(&m_Gfx, &m_Device, name, text, error) != nullptr;
    }
};

// Loads the models and builds the scene; a failure skips the benchmark with its reason.
inline bool PrepareObjectModelScene(benchmark::State& state, CObjectModelScene* scene) {
    std::string error;
    if (!scene->LoadModels(&error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    scene->Build();
    return true;
}
