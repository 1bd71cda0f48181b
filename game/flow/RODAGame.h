// The game controller: it owns what belongs to the game being played rather than to the
// engine: the current lab, the string table, the score counters, the voice and music streams,
// and the named objects of the game scene. The application object creates it at start-up,
// steps and draws it every frame and deletes it at shut-down.
#pragma once

#include <cstdint>

#include "game/app/StringTable.h"

class CFlipCounter;
class CGame;
class CMessageList;
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

    // --- The lab and experiment operations -------------------------------------------------
    // Every message goes to the message list; a string-table key that is missing stands for
    // itself. Labs are directory + name + suffix of the lab, the names those of the settings
    // "LabNameEditor" and "LabNameGame"; files are enciphered with the script key.
    static constexpr int kExperimentTextSize = 5000;
    static constexpr int kLabNameSize = 128;
    static constexpr int kNameLineSize = 80;
    // The pending action that deletes the lab named in m_szLabToDelete.
    static constexpr int32_t kDeleteLabQuestion = 13;

    // One block of an experiment texts file: the name line (cut to 79 characters) and the
    // text between the braces, a range of the file's text.
    struct ExperimentTextBlock {
        char szName[kNameLineSize];
        const char* pText;
        int nTextLength;
    };

    // The message list of 10 messages, each shown 5 s by the application's total step time.
    void CreateMessageList();
    // Saves the lab under "LabNameEditor" with the player's header: non-zero on success.
    int SaveLab();
    // Saves the lab under "LabNameGame" with the header as read: non-zero on success.
    int SaveGameLab();
    // Loads "LabNameEditor" into the header as read: 1 when it loaded with the player's format
    // version or "0.02sp", or when one of another version was replaced by a new empty lab;
    // else 0. Warns when the lab carries the creator tag and the player's name does not.
    int LoadLab();
    // Loads "LabNameGame" into the header as read: 1 with an accepted version; 0 when it could
    // not be loaded, or with its records cleared (and nothing written) for another version.
    int LoadGameLab();
    // The record's description, narrow (a wide one by its low bytes), cut to textSize - 1
    // characters and terminated, and its time as the running score: 1. A body that does not
    // hold its fields gives an empty text and leaves the score: 0.
    int ReadExperimentText(CWorldContentRecord* record, char* text, int textSize = kExperimentTextSize);
    // Replaces the record's description by length bytes of text, read in the old width and
    // written in the new (each byte zero-extended); everything else of the body stays as it
    // was: 1, or 0 with nothing changed when the body does not hold its fields.
    int WriteExperimentText(CWorldContentRecord* record, const char* text, int length, int oldWide, int newWide);
    // Exports the experiment selected in the experiment list to name (".zqe" appended unless
    // it ends so): 1 when written; nothing without a selection.
    int ExportExperiment(const char* name, const char* key);
    // Imports name (".zqe" appended unless it ends so) in the lab's width, replacing the
    // experiment of the same name, and saves the lab: 1. Refused (0, the lab unchanged) when
    // unreadable or of another format version than the player's.
    int ImportExperiment(const char* name, const char* key);
    // Writes every experiment's name and description to a text file, CR LF line ends: the
    // characters written; 0 (no message) when the file cannot be opened.
    int ExportExperimentTexts(const char* path);
    // Reads such a file back: the i-th block names and describes the i-th experiment, and the
    // lab takes the file's width; then the lab is saved. 0 with nothing changed when a block
    // is missing or a body does not hold its fields.
    int ReplaceExperimentTexts(const char* path);
    // Finds count blocks from the start of the text: 1, or 0 when one lacks its name line or
    // its braces. An empty pair of braces is an empty text.
    static int ParseExperimentTexts(const char* text, const char* end, int count, ExperimentTextBlock* blocks);
    // Fills the lab list of the enhanced lab chooser (editor, without the built-in lab) or of
    // the plain one with the labs on disk, and selects the lab of the settings.
    void ListLabs(int editor);
    // Fills the experiment list with "n. name", each item's ID its record.
    void FillExperimentList();
    // The player's answer to the pending question; nothing while the career lab is played.
    void OnQuestionAnswer(int yes);

    CGame* m_pGame;
    char m_szPlayerHeader[kHeaderSize] = {};
    // The header of the lab or exported experiment read last; its first field is the creator.
    char m_szLabHeader[kHeaderSize] = {};
    CStringTable m_StringTable;
    // The scene objects looked up at set-up; none when the element scripts lack them.
    M3DOMObject* m_pMOGame = nullptr;
    M3DOMObject* m_pMOMenu = nullptr;
    CWorldContent* m_pLab = nullptr;
    // Screen mode: 0 normal, 1 experiment selection, 3 certificate shown, 4 lab selection,
    // 5 editor lab selection.
    int32_t nMode = 0;
    // On-screen messages; none until the effects are set up.
    CMessageList* m_pMessageList = nullptr;
    // 1 the career lab played in order, 0 a free lab.
    int32_t GameMode = 1;
    int32_t m_bStartScreen = 1;
    // The career score; the description texts' reading sets it to an experiment's time.
    int32_t m_nScore = 0;
    // The pending action of the open question (0 none), the input box's question mode (2
    // rename an experiment, 3 rename the lab, 0 save as), the chosen experiment's index, and
    // the lab the deletion question names.
    int32_t m_nQuestionCode = 0;
    int32_t m_nQuestionMode = 0;
    int32_t m_nChosenExperiment = 0;
    char m_szLabToDelete[kLabNameSize] = {};
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
