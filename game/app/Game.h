// The game's application object: on top of the engine's frame it owns the graphics, shader
// and sound handlers, the desktop and the game's dialogs, the object-model world, the
// controller, the scene camera, the CD player and the settings of "scripts/config/config.vsc"
// and "scripts/config/labs.vsc".
#pragma once

#include <cstdint>

#include "engine/core/EventList.h"
#include "engine/core/ValueScript.h"
#include "engine/core/frame/BaseGame.h"
#include "engine/sound/CDAudio.h"

class CCamera;
class CDlgChooseLevel;
class CDynString;
class CDlgCreditsMenu;
class CDlgFileOpen;
class CDlgLabChoose;
class CDlgLabChooseEnhanced;
class CDlgLevelDone;
class CDlgLevelProperty;
class CDlgMemoBox;
class CDlgOptionMenu;
class CDlgStartLevel;
class CGfx;
class CGfxHandler;
class CShaderHandler;
class CSoundHandler;
class CWnd;
class CWndDesktop;
class CWorldContentRecord;
class M3DOMWorld;
class RODAGame;

class CGame : public CBaseGame {
public:
    CGame();
    ~CGame() override;

    // Starts the engine, then the game (OnStart), runs frames until the window closes and
    // ends the game and the engine (OnExit); 0 when the engine did not start, else 1.
    int Run(HINSTANCE instance, const char* key, const char* commandLine) override;
    // The game's start-up: settings, graphics, sound, the interface, the controller's set-up;
    // 0 at the first failing step, which is logged, with what was made left for Shutdown.
    int Init() override;
    // Writes the settings back and releases the game's objects; 0 when a save failed.
    int Shutdown() override;
    void OnStart() override;
    void OnExit() override;
    int CreateDevices() override;
    int CreateViewport() override;
    // The step time of a lost device's last frame must not be handed on once it is back.
    void OnDeviceLost() override;
    void OnDeviceReset() override;
    // The frame's update: music kept alive, input to the interface, the device and window
    // watched, the Pause key, the scene in fixed steps of 0.01 s, the controller, the frame
    // rate; 0 when the interface asks to quit.
    int Update(double dt) override;
    // The frame's drawing: the scene's passes and the controller's, the shadows darkened when
    // "Shadows" is set and the depth buffer has a stencil, the interface, "Pause" while paused
    // or while the window is disabled off the start screen, and the pointer when the game draws
    // it; 1. A missing menu font or pointer texture leaves out only what it would draw.
    int Render() override;
    // One fixed step of the scene (0 while paused or while the window is disabled); 1.
    int FixedStep(double step);
    // The CD's end-of-track notification: code 1 plays the next track (random order by
    // "MusicCDOrder"); the device is not looked at.
    virtual void OnCDNotify(WPARAM code, LPARAM device);
    // Hides the system pointer over the window while the game draws its own; 1 when hidden.
    virtual int UpdateCursor();

    // The first steps of the game's start-up: the handlers, the desktop, the dialogs, the
    // object-model world and the controller, in that order.
    void CreateGameObjects();
    // Loads the GUI and game graphics, the shaders and the camera; 0 at the first failure,
    // which is logged.
    int InitGfx();
    int InitSound();
    // Camera, light, material, texture level of detail and filters onto the render device.
    void ApplyGfxSettings();
    // The render device's distinct resolutions in first-seen order, each node (height, width).
    void CollectDisplayModes();

    // A message box on `parent`, shown with the focus on its first button: its window ID, or
    // 0 (nothing shown) without a parent or answer flags.
    int ShowMessageBox(const CDynString& text, const CDynString& name, CWnd* parent, uint32_t flags);
    // An input box on `parent` whose field edits `text`, set to the initial text first: its
    // window ID, or 0 (nothing shown) without a parent or answer flags.
    int ShowInputBox(const CDynString& caption, const CDynString& prompt, CDynString* text, int fieldLength,
                     CWnd* parent, uint32_t flags, CDynString initialText, CDynString allowedChars);
    // The controller loads the record's experiment; 0 when nothing was loaded.
    int LoadCurrentLevel(CWorldContentRecord* record);

    // One frame of the loading screen, drawn and presented: the picture and three gears that
    // turn by a fixed angle per frame.
    void DrawLoadingScreen();
    // The loaders' progress callback; the context is the application object.
    static void LoadingProgress(void* context);

    CEventList* m_pDisplayModes = nullptr;
    CGfxHandler* m_pGuiGfx = nullptr;
    CWndDesktop* m_pDesktop = nullptr;
    CDlgOptionMenu* m_pOptionMenu = nullptr;
    CDlgCreditsMenu* m_pCreditsMenu = nullptr;
    CDlgMemoBox* m_pMemoBox = nullptr;
    CDlgLevelProperty* m_pLevelProperty = nullptr;
    CDlgLevelDone* m_pLevelDone = nullptr;
    CDlgFileOpen* m_pFileOpen = nullptr;
    CDlgStartLevel* m_pStartLevel = nullptr;
    CGfx* m_pPointerTexture = nullptr;
    CGfxHandler* m_pGameGfx = nullptr;
    // Emptied at the end of start-up: the loading screen is not drawn again.
    CGfxHandler* m_pLoadingGfx = nullptr;
    CShaderHandler* m_pShaderHandler = nullptr;
    CSoundHandler* m_pSoundHandler = nullptr;
    CCDAudio m_CDAudio;
    uint32_t m_nSavedCDVolume = 0;
    uint32_t m_nCDTrack = 1;
    // Seconds: the sum of all fixed steps, the last step, and the scene's clock.
    double m_fTotalStepTime = 0.0;
    double m_fStepTime = 0.0;
    double m_fSceneClock = 0.0;
    M3DOMWorld* m_pWorld = nullptr;
    RODAGame* m_pController = nullptr;
    int32_t m_nPointerX = 0;
    int32_t m_nPointerY = 0;
    CCamera* m_pCamera = nullptr;
    CGfx* m_pMenuFont = nullptr;
    CGfx* m_pMenuFontTexture = nullptr;
    CDlgChooseLevel* m_pChooseLevel = nullptr;
    CDlgLabChoose* m_pLabChoose = nullptr;
    CDlgLabChooseEnhanced* m_pLabChooseEnhanced = nullptr;
    CValueScript m_ConfigScript;
    CValueScript m_LabsScript;

    // The settings, named after their keys.
    uint32_t m_nTextureQuality = 0;
    uint32_t m_nTextureFilter = 0;
    int32_t m_nShadows = 0;
    int32_t m_nSoftwareCursor = 0;
    int32_t m_nSoundFX = 0;
    int32_t m_nSoundFXVol = 0;
    int32_t m_nSpeech = 0;
    int32_t m_nSpeechVol = 0;
    uint32_t m_nMusic = 0;
    int32_t m_nMusicGameVol = 0;
    int32_t m_nMusicCDVol = 0;
    uint32_t m_nMusicCDOrder = 0;
    int32_t m_nCommentFrequency = 0;
    int32_t m_nProfessor = 0;
    int32_t m_nToolTips = 0;
    int32_t m_nBonusBird = 0;
    char m_szLabNameGame[128] = {};
    char m_szLabNameEditor[128] = {};
    char m_szIEPath[512] = {};
    char m_szUserName[64] = {};

    int32_t m_bPaused = 0;
    int32_t m_bWindowEnabled = 0;
    // Frame time in seconds that no fixed step has consumed yet.
    double m_fStepAccumulator = 0.0;
    // Frames since the last frame-rate measurement.
    uint32_t m_nRateFrames = 0;
    // Timer time in seconds of the last frame-rate measurement.
    float m_fRateTime = 0.0f;
    // No demo screen is ever shown; the controller reads the word.
    int32_t m_bDemoScreen = 0;
    // Set once the bonus bird has appeared in this run.
    int32_t m_bBonusBirdShown = 0;

    // What this run read, and so may write back.
    int32_t m_bConfigLoaded = 0;
    int32_t m_bLabsLoaded = 0;
    int32_t m_bCDVolumeSaved = 0;

    // The loading screen's textures, looked up on its first frame, and its gears' angles.
    CGfx* m_pLoadingTexture = nullptr;
    CGfx* m_pBigGearTexture = nullptr;
    CGfx* m_pSmallGearTexture = nullptr;
    bool m_bLoadingTexturesFound = false;
    float m_fBigGearAngle = 0.0f;
    float m_fSmallGearAngle = 0.0f;

private:
    // Whether the render device's depth buffer has a stencil, which the shadows need.
    bool HasStencil() const;
    // The scene's part of the frame: the object list's passes and the controller's, with the
    // shadows between them.
    void DrawWorld();
    // Half-transparent black over the screen wherever the shadow pass left a stencil count.
    void DarkenShadows();
    // The word "Pause" in the menu font, centred on the reference width.
    void DrawPauseText();
    // The pointer texture on a square at the pointer position.
    void DrawPointer();

    // The steps of Init and Shutdown.
    int ReadSettings();
    int ReadTextSettings();
    int LoadDialogs();
    void JoinDesktop();
    void WriteSettings();
    int SaveSettingsScript(CValueScript& script, const char* path);
    // The controller first, then the world, then the handlers the two use.
    void DeleteGameObjects();

    void Log(const char* text);
    // Logs a set-up step's line and "\t\tOK\n" or "\t\tFAILED\n"; returns `succeeded`.
    bool LogStep(const char* line, bool succeeded);
    // Deletes the desktop and the dialogs that never joined the root window's tree (the
    // frame's shut-down deletes those that did) and forgets them all; it must run before
    // that shut-down.
    void DeleteWindowsOutsideTheTree();
};

// The one application object of the program.
extern CGame* g_pGame;
// Set when the game's start-up failed (its Init, or the controller's set-up asking to quit),
// so that the program's entry can end with a failure.
extern int32_t g_bStartUpFailed;
