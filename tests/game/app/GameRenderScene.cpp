#include "tests/game/app/GameRenderScene.h"

#include <cstring>

#include "bench/GameCamera.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/Viewport.h"
#include "engine/sound/SoundDeviceOpenAL.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "tests/support/SceneWindow.h"
#include "tests/support/ToolModel.h"

namespace {

// Emissive only: no light changes a face's colour, so that a pixel names what it shows.
const char* const kShaders =
    "render_board { pass { diffuse 0 0 0 1 ambient 0 0 0 1 specular 0 0 0 1 emissive 0.5 0.5 0.5 1 } }\r\n"
    "render_block { pass { diffuse 0 0 0 1 ambient 0 0 0 1 specular 0 0 0 1 emissive 0.1 0.2 0.9 1 } }\r\n"
    "render_ball { pass { diffuse 0 0 0 1 ambient 0 0 0 1 specular 0 0 0 1 emissive 0.9 0.3 0.1 1 } }\r\n";

// A board wider than the view, its front face at z = 2.95.
const char* const kBoardModel = "part box size 16 12 0.1\n    translate 0 0 3\nend\n";
const char* const kBlockModel = "part box size 1.2 1.2 1.2\nend\n";
const char* const kBallModel = "part sphere radius 0.5 segments 16 rings 8\nend\n";
// Long enough for the block's shadow to reach the board.
constexpr float kShadowLength = 0.6f;

struct Part {
    const char* name;
    const char* model;
    const char* shader;
    CVector3 centre;
    uint32_t pass;
};

// A node of the instance tree holding one object of the part, placed.
C3DObject* AddPart(CGame* game, const Part& part, std::string* error) {
    if (!AddToolModelResource(game->m_pGameGfx, game->m_pRenderDevice, part.name, part.model, error)) {
        *error = std::string(part.name) + ": " + *error;
        return nullptr;
    }
    M3DOMTree* tree = game->m_pWorld->m_pInstanceTree;
    M3DOMObject* node = tree->CreateMO(part.name);
    M3DOMTree::Reparent(tree->m_pRoot, node);
    node->m_vPos = node->m_vTarget = part.centre;
    C3DObject* object = node->AddO(part.name, CVector3(0.0f, 0.0f, 0.0f));
    if (!object) {
        *error = std::string(part.name) + ": no object";
        return nullptr;
    }
    object->SetShader(game->m_pShaderHandler->GetShader(part.shader));
    object->m_nRenderPass = part.pass;
    return object;
}

}  // namespace

CSceneWindowGame::~CSceneWindowGame() {
    Shutdown();
    if (m_pRenderDevice) {
        m_pRenderDevice->m_pCamera = nullptr;
        // The log it writes to goes with the game.
        m_pRenderDevice->Shutdown();
        m_pRenderDevice->m_pLog = nullptr;
    }
    m_pRenderDevice = nullptr;
    m_pViewport = nullptr;
}

int CSceneWindowGame::CreateViewport() {
    m_pViewport = &m_pScene->m_Viewport;
    return 1;
}

int CSceneWindowGame::CreateDevices() {
    m_pRenderDevice = &m_pScene->m_Device;
    m_pSoundDevice = new CSoundDeviceOpenAL;
    m_pInputDevice = new CInputDeviceDX;
    return 1;
}

bool CSceneWindowGame::StartEngine() {
    if (CBaseGame::Init() != 1)
        return false;
    m_pScene->m_nWidth = static_cast<int>(m_pRenderDevice->m_nWidth);
    m_pScene->m_nHeight = static_cast<int>(m_pRenderDevice->m_nHeight);
    return true;
}

void CSceneWindowGame::FollowCamera() {
    CCamera& camera = m_pScene->m_Camera;
    SetUpGameCamera(&camera);
    camera.SetEye(m_pCamera->m_vPosition);
    camera.SetTarget(m_pCamera->m_vTarget);
    camera.BuildMatrices();
}

int CSceneWindowGame::Step(double dt) {
    while (m_pViewport->ProcessMessages()) {
    }
    return Update(dt);
}

bool AddGameRenderScene(CGame* game, GameRenderScene* scene, std::string* error) {
    using namespace render_scene;
    game->m_pShaderHandler->LoadScriptFromMemory(kShaders, strlen(kShaders), game->m_pGameGfx);
    M3DOMTree* tree = game->m_pWorld->m_pInstanceTree;
    tree->m_pRoot->SetVisible(0);
    const Part parts[] = {
        {"RENDER_BOARD", kBoardModel, "render_board", CVector3(0.0f, 0.0f, 0.0f), 0},
        {"RENDER_BLOCK", kBlockModel, "render_block", kBlockCentre, 0},
        {"RENDER_BALL", kBallModel, "render_ball", kBallCentre, 10},
    };
    C3DObject* objects[3] = {};
    for (int i = 0; i < 3; ++i) {
        objects[i] = AddPart(game, parts[i], error);
        if (!objects[i])
            return false;
    }
    scene->board = objects[0];
    scene->block = objects[1];
    scene->ball = objects[2];
    scene->board->m_bCastShadow = 0;
    scene->ball->m_bCastShadow = 0;
    scene->ball->m_bZEnable = 0;
    scene->block->m_fShadowLength = kShadowLength;
    tree->UpdateTransforms(nullptr);
    return true;
}
