#include "game/app/Game.h"

#include "engine/graphics/Camera.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/sound/SoundHandler.h"
#include "game/app/3DOMWorld.h"
#include "game/flow/RODAGame.h"
#include "game/ui/DlgChooseLevel.h"
#include "game/ui/DlgCreditsMenu.h"
#include "game/ui/DlgFileOpen.h"
#include "game/ui/DlgLabChoose.h"
#include "game/ui/DlgLevelDone.h"
#include "game/ui/DlgLevelProperty.h"
#include "game/ui/DlgMemoBox.h"
#include "game/ui/DlgOptionMenu.h"
#include "game/ui/DlgStartLevel.h"
#include "game/ui/WndDesktop.h"

CGame* g_pGame = nullptr;
int32_t g_bStartUpFailed = 0;

namespace {

template <class T>
void DeleteAndClear(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

CGame::CGame() {
    m_fFramesPerSecond = 0.0f;
}

CGame::~CGame() {
    if (m_pDisplayModes) {
        m_pDisplayModes->RemoveAll();
        DeleteAndClear(m_pDisplayModes);
    }
    if (m_pRenderDevice && m_pRenderDevice->m_pCamera == m_pCamera)
        m_pRenderDevice->m_pCamera = nullptr;
    DeleteAndClear(m_pCamera);
    // A shut-down that ran deleted these already.
    DeleteGameObjects();
    DeleteWindowsOutsideTheTree();
}

void CGame::CreateGameObjects() {
    m_pGuiGfx = new CGfxHandler;
    m_pGameGfx = new CGfxHandler;
    m_pLoadingGfx = new CGfxHandler;
    m_pShaderHandler = new CShaderHandler;
    m_pSoundHandler = new CSoundHandler;
    m_pDesktop = new CWndDesktop;
    m_pOptionMenu = new CDlgOptionMenu;
    m_pCreditsMenu = new CDlgCreditsMenu;
    m_pMemoBox = new CDlgMemoBox;
    m_pLevelProperty = new CDlgLevelProperty;
    m_pLevelDone = new CDlgLevelDone;
    m_pFileOpen = new CDlgFileOpen;
    m_pStartLevel = new CDlgStartLevel;
    m_pChooseLevel = new CDlgChooseLevel;
    m_pLabChoose = new CDlgLabChoose;
    m_pLabChooseEnhanced = new CDlgLabChooseEnhanced;
    m_pWorld = new M3DOMWorld(m_pGameGfx, m_pShaderHandler, m_pRenderDevice, m_pLog, &m_fStepTime, &m_fTotalStepTime);
    m_pController = new RODAGame(this);
}

void CGame::DeleteGameObjects() {
    DeleteAndClear(m_pController);
    DeleteAndClear(m_pWorld);
    DeleteAndClear(m_pGuiGfx);
    DeleteAndClear(m_pGameGfx);
    DeleteAndClear(m_pLoadingGfx);
    DeleteAndClear(m_pShaderHandler);
    DeleteAndClear(m_pSoundHandler);
}

void CGame::DeleteWindowsOutsideTheTree() {
    // A dialog in the desktop goes with it, and a desktop in the root window's tree with
    // the tree, which the frame's shut-down deletes.
    CWnd* dialogs[] = {m_pOptionMenu, m_pCreditsMenu, m_pMemoBox,     m_pLevelProperty, m_pLevelDone,
                       m_pFileOpen,   m_pStartLevel,  m_pChooseLevel, m_pLabChoose,     m_pLabChooseEnhanced};
    for (CWnd* dialog : dialogs) {
        if (dialog && !dialog->m_pParent)
            delete dialog;
    }
    if (m_pDesktop && !m_pDesktop->m_pParent)
        delete m_pDesktop;
    m_pDesktop = nullptr;
    m_pOptionMenu = nullptr;
    m_pCreditsMenu = nullptr;
    m_pMemoBox = nullptr;
    m_pLevelProperty = nullptr;
    m_pLevelDone = nullptr;
    m_pFileOpen = nullptr;
    m_pStartLevel = nullptr;
    m_pChooseLevel = nullptr;
    m_pLabChoose = nullptr;
    m_pLabChooseEnhanced = nullptr;
}
