#include "tools/lab/LabWorld.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/GameFiles.h"
#include "game/app/ScriptKey.h"
#include "game/flow/ConnectorKinds.h"
#include "game/flow/ControllerFiles.h"
#include "game/flow/SceneNames.h"

namespace {

// The device's buffers for a display script that sets none.
constexpr uint32_t kPnt1Count = 8192;
constexpr uint32_t kPct2Count = 2048;
constexpr uint32_t kPrc2t1Count = 8192;

// The value-script loader makes a missing script, so presence is asked first.
bool Readable(const char* path, std::string* error) {
    FILE* file = fopen(path, "rb");
    if (!file) {
        *error = std::string(path) + ": cannot be read: " + strerror(errno);
        return false;
    }
    fclose(file);
    return true;
}

}  // namespace

CLabWorld::CLabWorld() = default;

CLabWorld::~CLabWorld() {
    m_pWorld.reset();
}

bool CLabWorld::Load(std::string* error) {
    m_device.m_bRecordCalls = false;
    if (m_device.InitForTest(kPnt1Count, kPct2Count, kPrc2t1Count) != 1) {
        *error = "the recording render device does not start";
        return false;
    }
    m_graphics.Init(&m_device);
    m_shaders.Init(&m_device);
    if (!Readable(kGameGfxScriptPath, error) || !Readable(kShaderScriptPath, error))
        return false;
    if (!m_graphics.LoadScript(kGameGfxScriptPath, nullptr)) {
        *error = std::string(kGameGfxScriptPath) + ": a block does not load";
        return false;
    }
    if (!m_shaders.LoadScript(kShaderScriptPath, &m_graphics)) {
        *error = std::string(kShaderScriptPath) + ": cannot be read";
        return false;
    }
    m_pWorld = std::make_unique<M3DOMWorld>(&m_graphics, &m_shaders, &m_device, nullptr, &m_frameTime, &m_runTime);
    // Points built before the kinds are known get none.
    RegisterConnectorKinds(m_pWorld->m_pNamedEntries);
    M3DOMTree* tree = m_pWorld->m_pInstanceTree;
    if (!m_pWorld->m_pScripter->LoadScript(tree->m_pRoot, kElementScriptPath, kScriptKey, kScriptKeyLength)) {
        *error = std::string(kElementScriptPath) + ": cannot be read, or not deciphered with the script key";
        return false;
    }
    m_pLevel = tree->FindByName(kLevelNode);
    m_pLevelParent = m_pLevel ? m_pLevel->GetParent() : nullptr;
    if (!m_pLevelParent) {
        *error = std::string(kElementScriptPath) + ": no \"" + kLevelNode + "\" node inside a scene node";
        return false;
    }
    return true;
}
