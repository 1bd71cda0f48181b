// The game controller: it owns what belongs to the game being played rather than to the
// engine: the current lab, the string table, the score counters, the voice and music streams,
// and the named objects of the game scene. The application object creates it at start-up,
// steps and draws it every frame and deletes it at shut-down.
#pragma once

#include <cstdint>

#include "game/app/StringTable.h"

class CFlipCounter;
class CGame;
class CSoundOgg;
class CWorldContent;
class CWorldContentRecord;
class M3DOMObject;
class M3DOMWorld;

class RODAGame {
public:
    // The lab's header as the player writes it into every lab: name, program version, lab
    // format version and a word.
    static constexpr int kHeaderSize = 64;
    static constexpr int kPlayerNameSize = 40;
    static constexpr int kVersionSize = 10;
    // The score displays, in the order of their fields.
    enum ECounter { kHighScore, kScore, kExperimentScore, kExperimentBonus, kElementCount, kCounterCount };

    explicit RODAGame(CGame* game);
    RODAGame(const RODAGame&) = delete;
    RODAGame& operator=(const RODAGame&) = delete;
    ~RODAGame();

    // The set-up once the application has loaded its scripts: the string table, the connector
    // kinds, the element scripts, the scene objects and counters, the lab's place, and the
    // start screen. A failed element-script load asks the application to quit.
    void InitGame();
    // The effect set-up once the graphics are loaded.
    void InitEffects();
    // Shows the start screen's scene and hides the game's.
    void StartScreen();

    // The per-step and per-frame work and the drawing passes; the game's flow fills them.
    void Step();
    void Update(double dt);
    void PrepareLevelBar();
    void DrawScene();
    void DrawShadows();
    void Draw();
    void DrawHoverText();
    // Loads the record's experiment into the level; 0 when nothing was loaded.
    int LoadCurrentLevel(CWorldContentRecord* record);

    CGame* m_pGame;
    char m_szPlayerHeader[kHeaderSize] = {};
    CStringTable m_StringTable;
    // The scene objects looked up at set-up; none when the element scripts lack them.
    M3DOMObject* m_pMOGame = nullptr;
    M3DOMObject* m_pMOMenu = nullptr;
    CWorldContent* m_pLab = nullptr;
    // Screen mode: 0 normal, 1 experiment selection, 3 certificate shown, 4 lab selection,
    // 5 editor lab selection.
    int32_t nMode = 0;
    // 1 the career lab played in order, 0 a free lab.
    int32_t GameMode = 1;
    int32_t m_bStartScreen = 1;
    CSoundOgg* m_pVoiceStream = nullptr;
    CSoundOgg* m_pMusicStream = nullptr;
    CFlipCounter* m_pCounters[kCounterCount] = {};
    int32_t m_nMusicTheme = -1;

private:
    // The application's object-model world; none before it is made.
    M3DOMWorld* World() const;
    // A node of the instance tree by name; none when missing.
    M3DOMObject* FindSceneObject(const char* name) const;
    // The element scripts into the instance tree: 0 when they cannot be read.
    int LoadElementScripts();
    // The five score displays; one whose node is missing shows nothing.
    void CreateCounters();
    // The "UserName" setting into the player header's name, cut to stay terminated.
    void CopyPlayerName();
    // The scene placed once without motion, every object's shadow volume to be rebuilt.
    void PlaceScene();
};
