#include "game/flow/RODAGame.h"

#include <cstring>

#include "engine/graphics/Camera.h"
#include "engine/sound/SoundOgg.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObjectList.h"
#include "game/app/FlipCounter.h"
#include "game/app/Game.h"
#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "game/flow/ConnectorKinds.h"
#include "game/flow/ControllerFiles.h"
#include "game/ui/MessageList.h"

namespace {

// The message list: how many messages it shows at once, and for how long each.
constexpr int kMessageCount = 10;
constexpr float kMessageSeconds = 5.0f;

// The player header's fields: the name, then the program and the lab format versions, then a
// word.
constexpr int kProgramVersionOffset = RODAGame::kPlayerNameSize;
constexpr int kFormatVersionOffset = kProgramVersionOffset + RODAGame::kVersionSize;
constexpr char kDefaultPlayerName[] = "USER";
static_assert(kFormatVersionOffset + RODAGame::kVersionSize + 4 == RODAGame::kHeaderSize,
              "the header ends with one 32-bit word");

// The start screen looks at the desk from in front.
const CVector3 kStartScreenEye(0.0f, 0.0f, -6.8f);
const CVector3 kStartScreenTarget(0.0f, 0.0f, 0.0f);

// The element counter's node moves faster than the others.
constexpr char kElementCountParent[] = "mo_element_count";
constexpr float kElementCountVelocity = 10.0f;

}  // namespace

RODAGame::RODAGame(CGame* game) : m_pGame(game) {
    m_pLab = new CWorldContent(game);
    m_pMusicStream = new CSoundOgg;
    m_pVoiceStream = new CSoundOgg;
    memset(m_szPlayerHeader, 0, sizeof m_szPlayerHeader);
    memcpy(m_szPlayerHeader, kDefaultPlayerName, sizeof kDefaultPlayerName);
    memcpy(m_szPlayerHeader + kProgramVersionOffset, kLabProgramVersion, sizeof kLabProgramVersion);
    memcpy(m_szPlayerHeader + kFormatVersionOffset, kLabFormatVersion, sizeof kLabFormatVersion);
}

RODAGame::~RODAGame() {
    delete m_pLab;
    delete m_pMessageList;
    delete m_pMusicStream;
    delete m_pVoiceStream;
    for (CFlipCounter*& counter : m_pCounters) {
        delete counter;
        counter = nullptr;
    }
}

M3DOMWorld* RODAGame::World() const {
    return m_pGame ? m_pGame->m_pWorld : nullptr;
}

M3DOMObject* RODAGame::FindSceneObject(const char* name) const {
    M3DOMWorld* world = World();
    return world && world->m_pInstanceTree ? world->m_pInstanceTree->FindByName(name) : nullptr;
}

void RODAGame::InitGame() {
    if (!m_pGame)
        return;
    // Loading took long: the next frame must not count it as its step.
    m_pGame->m_bUseElapsedTime = 0;
    m_StringTable.Load(kStringTablePath);

    M3DOMWorld* world = World();
    if (world)
        RegisterConnectorKinds(world->m_pNamedEntries);
    if (!LoadElementScripts()) {
        m_pGame->Quit(-1);
        g_bStartUpFailed = 1;
        return;
    }

    m_pMOGame = FindSceneObject(kGameSceneName);
    m_pMOMenu = FindSceneObject(kMenuSceneName);
    if (m_pMOGame)
        m_pMOGame->SetVisible(0);

    if (m_pLab) {
        m_pLab->SetDirectory(kLabDirectory);
        m_pLab->SetSuffix(kLabSuffix);
    }

    CreateCounters();
    CopyPlayerName();
    StartScreen();
}

int RODAGame::LoadElementScripts() {
    M3DOMWorld* world = World();
    if (!world || !world->m_pScripter || !world->m_pInstanceTree)
        return 0;
    return world->m_pScripter->LoadScript(world->m_pInstanceTree->m_pRoot, kElementScriptPath, kScriptKey,
                                          kScriptKeyLength) != 0;
}

void RODAGame::CreateCounters() {
    M3DOMWorld* world = World();
    // Later code counts on every display being there; one without its node shows nothing.
    for (const CounterSpec& spec : kCounterSpecs) {
        delete m_pCounters[spec.slot];
        m_pCounters[spec.slot] = new CFlipCounter(world, FindSceneObject(spec.parent), spec.digits, spec.step,
                                                  spec.turnSpeed, spec.countUp, spec.rollerScript);
    }
    if (M3DOMObject* elementCount = FindSceneObject(kElementCountParent))
        elementCount->m_fVelocity = kElementCountVelocity;
}

void RODAGame::CopyPlayerName() {
    memset(m_szPlayerHeader, 0, kPlayerNameSize);
    // The name stays terminated inside its field.
    const size_t length = strnlen(m_pGame->m_szUserName, kPlayerNameSize - 1);
    memcpy(m_szPlayerHeader, m_pGame->m_szUserName, length);
}

void RODAGame::PlaceScene() {
    M3DOMWorld* world = World();
    M3DOMTree* tree = world ? world->m_pInstanceTree : nullptr;
    if (!tree)
        return;
    tree->UpdateTransforms(nullptr);
    if (tree->m_pOList)
        tree->m_pOList->SetMatrixChangedAll(1);
}

// The effect spawners come with the controller's set-up.
void RODAGame::InitEffects() {
    CreateMessageList();
}

void RODAGame::CreateMessageList() {
    if (m_pMessageList)
        return;
    const double* clock = m_pGame ? &m_pGame->m_fTotalStepTime : nullptr;
    m_pMessageList = new CMessageList(kMessageCount, kMessageSeconds, clock);
}

void RODAGame::StartScreen() {
    m_bStartScreen = 1;
    if (m_pMOMenu) {
        m_pMOMenu->SetVisible(1);
        m_pMOMenu->m_bHold = 0;
    }
    if (m_pMOGame) {
        m_pMOGame->SetVisible(0);
        m_pMOGame->m_bHold = 1;
    }
    PlaceScene();
    CCamera* camera = m_pGame ? m_pGame->m_pCamera : nullptr;
    if (camera) {
        camera->SetEye(kStartScreenEye);
        camera->SetTarget(kStartScreenTarget);
        camera->Apply(m_pGame->m_pRenderDevice);
    }
}

// The game's flow fills these.
void RODAGame::Step() {}

void RODAGame::Update(double /*dt*/) {}

void RODAGame::PrepareLevelBar() {}

void RODAGame::DrawScene() {}

void RODAGame::DrawShadows() {}

void RODAGame::Draw() {}

void RODAGame::DrawHoverText() {}

int RODAGame::LoadCurrentLevel(CWorldContentRecord* /*record*/) {
    return 0;
}
