// The game's start and end: the run with its main loop, the start-up from the settings, the
// graphics, sound and interface scripts to the controller's set-up, and the shut-down that
// writes the settings back and releases the game's objects.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "engine/core/LogFile.h"
#include "engine/core/Timer.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/gui/Wnd.h"
#include "engine/platform/Viewport.h"
#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundOgg.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMWorld.h"
#include "game/app/Game.h"
#include "game/app/GameFiles.h"
#include "game/flow/RODAGame.h"
#include "game/ui/DlgChooseLevel.h"
#include "game/ui/DlgCreditsMenu.h"
#include "game/ui/DlgFileOpen.h"
#include "game/ui/DlgInputBox.h"
#include "game/ui/DlgLabChoose.h"
#include "game/ui/DlgLevelDone.h"
#include "game/ui/DlgLevelProperty.h"
#include "game/ui/DlgMemoBox.h"
#include "game/ui/DlgMessageBox.h"
#include "game/ui/DlgOptionMenu.h"
#include "game/ui/DlgStartLevel.h"
#include "game/ui/WndDesktop.h"
#include "winapi/base/WinFile.h"

namespace {

constexpr int kIconResource = 100;
constexpr uint32_t kCDTrackOne = 1;
constexpr uint32_t kMusicFromCD = 5;
// The desktop covers the reference screen.
constexpr float kDesktopWidth = 1024.0f;
constexpr float kDesktopHeight = 768.0f;

// A text setting into its fixed member: cut to fit and always terminated.
void CopySetting(char* member, size_t size, const char* text) {
    const size_t length = text ? strnlen(text, size - 1) : 0;
    if (length)
        memcpy(member, text, length);
    member[length] = '\0';
}

template <class Dialog>
Dialog* Prepared(Dialog* dialog, CGame* game) {
    dialog->m_pClass = Dialog::GetStaticClass();
    dialog->SetGameRecursive(game);
    return dialog;
}

// A box whose Run succeeded, shown with the focus on its first control: its window ID. One that
// Run refused joined no tree: shown, it would take the mouse from every window, so it goes.
int ShownBox(CWnd* box, int ran) {
    if (!ran) {
        delete box;
        return 0;
    }
    box->Show();
    box->FocusFirst();
    return box->m_nID;
}

// The memo settings the memo box and the level-property dialog both get at start-up.
template <class Dialog>
void SetUpMemo(Dialog* dialog, CGfx* font, CRenderDevice* device) {
    dialog->SetFont(font);
    dialog->SetRenderDevice(device);
    dialog->SetLineHeight(20);
    dialog->SetTextStyle(0.5f, 0.5f, 0.0f);
}

}  // namespace

int CGame::Run(HINSTANCE instance, const char* key, const char* commandLine) {
    m_hInstance = instance;
    m_pszCommandLine = commandLine;
    SetValueScriptKey(key);
    if (!CBaseGame::Init())
        return 0;
    OnStart();
    RunFrames();
    OnExit();
    return 1;
}

void CGame::OnStart() {
    if (!Init()) {
        g_bStartUpFailed = 1;
        Quit(0);
    }
}

void CGame::OnExit() {
    if (!Shutdown())
        Quit(0);
    // The frame's shut-down deletes the window tree; what never joined it goes first.
    DeleteWindowsOutsideTheTree();
    CBaseGame::Shutdown();
}

int CGame::Init() {
    Log("Game::Init -------- Start\n");
    CreateGameObjects();
    if (!LogStep("\t\tInit loading gfx handler", m_pLoadingGfx->Init(m_pRenderDevice)))
        return 0;
    if (!LogStep("\t\tLoading loading gfx script", m_pLoadingGfx->LoadScript(kLoadingGfxScriptPath, nullptr)))
        return 0;
    DrawLoadingScreen();
    m_pViewport->SetIcon(kIconResource);

    if (!ReadSettings())
        return 0;
    UpdateCursor();
    if (!ReadTextSettings())
        return 0;

    Log("\tInit Gfx\n");
    if (!InitGfx()) {
        Log("\tFAILED\n");
        return 0;
    }
    Log("\tOK\n");
    Log("\tInit Sound\n");
    if (!InitSound()) {
        Log("\tFAILED\n");
        return 0;
    }
    Log("\tOK\n");
    delete m_pDisplayModes;
    m_pDisplayModes = new CEventList(1, 1);
    CollectDisplayModes();

    Log("\tInit GameGUI\n");
    if (!LoadDialogs())
        return 0;
    JoinDesktop();
    Log("\tOK\n");
    Log("Game::Init -------- End\n");

    M3DOMScripter* scripter = m_pWorld->m_pScripter;
    scripter->m_pfnProgress = &CGame::LoadingProgress;
    scripter->m_pProgressArg = this;
    m_pController->InitGame();
    scripter->m_pfnProgress = nullptr;
    scripter->m_pProgressArg = nullptr;

    m_CDAudio.SetNotifyWindow(m_pViewport);
    m_nSavedCDVolume = m_CDAudio.GetVolume();
    m_bCDVolumeSaved = 1;
    m_pOptionMenu->Apply();
    if (m_nMusic == kMusicFromCD)
        m_CDAudio.Play(kCDTrackOne, 0);

    // The loading screen is over: no later load may draw it.
    m_pLoadingGfx->FreeAll();
    m_pGuiGfx->m_pfnProgress = nullptr;
    m_pGameGfx->m_pfnProgress = nullptr;
    if (m_pTimer)
        m_pTimer->Reset();
    return 1;
}

int CGame::ReadSettings() {
    if (!m_ConfigScript.Load(kConfigScriptPath, "Config"))
        return 0;
    m_bConfigLoaded = 1;
    CValueScript& config = m_ConfigScript;
    m_nTextureQuality = static_cast<uint32_t>(ReadInt(config, "TextureQuality", 0));
    m_nTextureFilter = static_cast<uint32_t>(ReadInt(config, "TextureFilter", 1));
    m_nShadows = ReadInt(config, "Shadows", 0);
    m_nSoftwareCursor = ReadInt(config, "SoftwareCursor", 1);
    m_nSoundFX = ReadInt(config, "SoundFX", 1);
    m_nSoundFXVol = ReadInt(config, "SoundFXVol", 0);
    m_nSpeech = ReadInt(config, "Speech", 1);
    m_nSpeechVol = ReadInt(config, "SpeechVol", 0);
    m_nMusic = static_cast<uint32_t>(ReadInt(config, "Music", 1));
    m_nMusicGameVol = ReadInt(config, "MusicGameVol", 0);
    m_nMusicCDVol = ReadInt(config, "MusicCDVol", 0);
    m_nMusicCDOrder = static_cast<uint32_t>(ReadInt(config, "MusicCDOrder", 0));
    m_nCommentFrequency = ReadInt(config, "CommentFrequency", 100);
    m_nProfessor = ReadInt(config, "Professor", 1);
    m_nToolTips = ReadInt(config, "ToolTips", 1);
    m_nBonusBird = ReadInt(config, "BonusBird", 0);
    return 1;
}

int CGame::ReadTextSettings() {
    char directory[1024] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    char experiments[1100];
    snprintf(experiments, sizeof experiments, "%s%s", directory, "/data/experiments");
    for (char* c = experiments; *c; ++c) {
        if (*c == '\\')
            *c = '/';
    }
    CopySetting(m_szIEPath, sizeof m_szIEPath, m_ConfigScript.GetString("IEPath", experiments).GetText());
    if (!m_szIEPath[0])
        CopySetting(m_szIEPath, sizeof m_szIEPath, experiments);
    CopySetting(m_szUserName, sizeof m_szUserName, m_ConfigScript.GetString("UserName", "USER").GetText());

    if (!m_LabsScript.Load(kLabsScriptPath, "Labs"))
        return 0;
    m_bLabsLoaded = 1;
    CopySetting(m_szLabNameGame, sizeof m_szLabNameGame, m_LabsScript.GetString("LabNameGame", "tolp").GetText());
    CopySetting(m_szLabNameEditor, sizeof m_szLabNameEditor,
                m_LabsScript.GetString("LabNameEditor", "Mein Labor").GetText());
    return 1;
}

int CGame::LoadDialogs() {
    // In the order of the script list.
    CDlg* const dialogs[] = {
        Prepared(m_pOptionMenu, this),   Prepared(m_pCreditsMenu, this),       Prepared(m_pChooseLevel, this),
        Prepared(m_pLabChoose, this),    Prepared(m_pLabChooseEnhanced, this), Prepared(m_pFileOpen, this),
        Prepared(m_pMemoBox, this),      Prepared(m_pLevelProperty, this),     Prepared(m_pLevelDone, this),
        Prepared(m_pStartLevel, this),
    };
    static_assert(std::size(dialogs) == std::size(kDialogScripts), "a script for every dialog");
    for (size_t i = 0; i < std::size(dialogs); ++i) {
        CDlg* dialog = dialogs[i];
        if (!dialog->LoadScript(kDialogScripts[i].path)) {
            Log(kDialogScripts[i].failureLine);
            return 0;
        }
        if (dialog == m_pMemoBox) {
            SetUpMemo(m_pMemoBox, m_pMenuFont, m_pRenderDevice);
        } else if (dialog == m_pLevelProperty) {
            SetUpMemo(m_pLevelProperty, m_pMenuFont, m_pRenderDevice);
            m_pLevelProperty->SetEditable(1);
        }
    }
    return 1;
}

void CGame::JoinDesktop() {
    m_pDesktop->SetName(CDynString("Desktop", 0));
    m_pDesktop->m_rcBase = {0.0f, 0.0f, kDesktopWidth, kDesktopHeight};
    m_pDesktop->m_rcScreen = m_pDesktop->m_rcBase;
    m_pDesktop->SetGameRecursive(this);
    m_pDesktop->Show();
    m_pRootWindow->AddChild(m_pDesktop, 0);
    g_pFocusWindow = m_pDesktop;
    m_pRootWindow->SetGameRecursive(this);
    // The file dialog's ID 9 is the one the desktop relies on.
    m_pDesktop->AddChild(m_pOptionMenu, 1);
    m_pDesktop->AddChild(m_pStartLevel, 2);
    m_pDesktop->AddChild(m_pCreditsMenu, 3);
    m_pDesktop->AddChild(m_pChooseLevel, 5);
    m_pDesktop->AddChild(m_pLabChoose, 6);
    m_pDesktop->AddChild(m_pLabChooseEnhanced, 11);
    m_pDesktop->AddChild(m_pMemoBox, 7);
    m_pDesktop->AddChild(m_pLevelProperty, 8);
    m_pDesktop->AddChild(m_pFileOpen, 9);
    m_pDesktop->AddChild(m_pLevelDone, 10);
    m_pRootWindow->SetScale(m_fGuiScaleX, m_fGuiScaleY);
}

int CGame::Shutdown() {
    m_CDAudio.Stop();
    // The frame's shut-down deletes the window the player would notify.
    m_CDAudio.SetNotifyWindow(nullptr);
    // Only a volume this run read is given back.
    if (m_bCDVolumeSaved)
        m_CDAudio.SetVolume(m_nSavedCDVolume);
    if (m_pGuiGfx)
        m_pGuiGfx->FreeAll();
    if (m_pGameGfx)
        m_pGameGfx->FreeAll();
    if (m_pSoundDevice) {
        if (m_pController) {
            m_pSoundDevice->StopSound(m_pController->m_pVoiceStream, 0);
            m_pSoundDevice->StopSound(m_pController->m_pMusicStream, 0);
        }
        m_pSoundDevice->Release();
    }

    int result = 1;
    // A run that never read a settings script leaves the player's file as it was.
    if (m_bConfigLoaded) {
        WriteSettings();
        result &= SaveSettingsScript(m_ConfigScript, kConfigScriptPath);
    }
    if (m_bLabsLoaded) {
        m_LabsScript.SetString("LabNameGame", m_szLabNameGame);
        m_LabsScript.SetString("LabNameEditor", m_szLabNameEditor);
        result &= SaveSettingsScript(m_LabsScript, kLabsScriptPath);
    }
    DeleteGameObjects();
    return result;
}

void CGame::WriteSettings() {
    CValueScript& config = m_ConfigScript;
    config.SetFloat("TextureQuality", static_cast<float>(m_nTextureQuality));
    config.SetFloat("TextureFilter", static_cast<float>(m_nTextureFilter));
    config.SetFloat("Shadows", static_cast<float>(m_nShadows));
    config.SetFloat("SoftwareCursor", static_cast<float>(m_nSoftwareCursor));
    config.SetFloat("SoundFX", static_cast<float>(m_nSoundFX));
    config.SetFloat("SoundFXVol", static_cast<float>(m_nSoundFXVol));
    config.SetFloat("Speech", static_cast<float>(m_nSpeech));
    config.SetFloat("SpeechVol", static_cast<float>(m_nSpeechVol));
    config.SetFloat("Music", static_cast<float>(m_nMusic));
    config.SetFloat("MusicGameVol", static_cast<float>(m_nMusicGameVol));
    config.SetFloat("MusicCDVol", static_cast<float>(m_nMusicCDVol));
    config.SetFloat("MusicCDOrder", static_cast<float>(m_nMusicCDOrder));
    config.SetFloat("CommentFrequency", static_cast<float>(m_nCommentFrequency));
    config.SetFloat("Professor", static_cast<float>(m_nProfessor));
    config.SetFloat("ToolTips", static_cast<float>(m_nToolTips));
    config.SetString("IEPath", m_szIEPath);
    config.SetString("UserName", m_szUserName);
    config.SetFloat("BonusBird", static_cast<float>(m_nBonusBird));
}

int CGame::SaveSettingsScript(CValueScript& script, const char* path) {
    if (script.Save(path))
        return 1;
    // The game's objects are still released: they must not outlive the devices.
    Log("\tFAILED saving ");
    Log(path);
    Log("\n");
    return 0;
}

int CGame::ShowMessageBox(const CDynString& text, const CDynString& name, CWnd* parent, uint32_t flags) {
    if (!parent)
        return 0;
    auto* box = new CDlgMessageBox;
    box->SetGameRecursive(this);
    return ShownBox(box, box->Run(text.GetText(), name.GetText(), parent, flags, this));
}

int CGame::ShowInputBox(const CDynString& caption, const CDynString& prompt, CDynString* text, int fieldLength,
                        CWnd* parent, uint32_t flags, CDynString initialText, CDynString allowedChars) {
    if (!parent)
        return 0;
    if (text)
        *text = initialText;
    auto* box = new CDlgInputBox;
    box->SetGameRecursive(this);
    return ShownBox(box, box->Run(prompt.GetText(), caption.GetText(), parent, flags, initialText.GetText(),
                                  fieldLength, allowedChars.GetText(), text, this));
}

int CGame::LoadCurrentLevel(CWorldContentRecord* record) {
    return m_pController ? m_pController->LoadCurrentLevel(record) : 0;
}
