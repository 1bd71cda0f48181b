// The object-model scripts: the text in which element definitions, templates, a level's fixed
// parts and the node data inside lab files are written. The scripter reads such text into the
// world's trees, node blocks with their keywords and scene-object definitions, cloning
// templates by name, and writes a subtree back as text. Lab files are outside input: a load
// is bounded in depth and in the nodes and objects it makes.
#pragma once

#include <cstdint>

#include "game/app/ScriptFile.h"

class C3DObject;
class M3DOMObject;
class M3DOMTree;
class M3DOMWorld;

class M3DOMScripter : public CScriptFile {
public:
    using ProgressCallback = void (*)(void* arg);

    // Blocks nested deeper than this stop a load.
    static constexpr int kMaxBlockDepth = 256;
    // A load that would make more nodes and objects together than this stops: ten times the
    // largest real scene.
    static constexpr int kMaxMadePerLoad = 50000;
    // The code of the quit request a stray top-level token posts; it does not end the run.
    static constexpr int kMalformedQuitCode = 666;

    // Messages go to the instance tree's log.
    explicit M3DOMScripter(M3DOMWorld* world);
    ~M3DOMScripter() override;

    // Reads the node definitions of the range under parent (the trees' roots for none) and
    // moves the range's start past what it read: the nodes made or re-used, counted through
    // the nested blocks; 0 for a stopped load. With createNew 0, same-named children of parent
    // are re-used in order.
    int AddScriptMOs(M3DOMObject* parent, CScriptRange* range, int createNew);
    // Reads one "3DO" definition, its name already read: a clone of the same-named template
    // object, a new object, or with reuse the parent's object at oIndex; then its block of
    // keywords, when one follows. None when the load's limit stops it.
    C3DObject* AddScriptOs(M3DOMObject* parent, const char* name, CScriptRange* range, int oIndex, int reuse);
    // Loads the file (deciphered with the key unless it is marked plain) and reads it under
    // parent with new nodes throughout: the bytes loaded, 0 when the file cannot be read.
    int LoadScript(M3DOMObject* parent, const char* path, const char* key, int keyLength);
    // Reads length bytes of text, copied first since tokens point into it.
    int AddScriptMOsFromMemory(M3DOMObject* parent, const char* text, int length, int createNew);

    // Appends the node's definition, its objects and its subtree at the indent.
    void WriteMO(const M3DOMObject* mo, char** text, int indent);
    // Writes the node's definition as a plain file: the characters written, or 0.
    int SaveScript(const M3DOMObject* mo, const char* path);

    ProgressCallback m_pfnProgress = nullptr;
    void* m_pProgressArg = nullptr;
    uint32_t m_nCallCount = 0;  // reads begun, nested blocks included; never reset
    M3DOMWorld* m_pWorld;
    int32_t m_bTemplateMode = 0;  // new nodes and objects go to the template tree

private:
    int ReadItems(M3DOMObject* parent, CScriptRange* range, int createNew);
    // The node a definition names: re-used, cloned from its template or new, and linked.
    M3DOMObject* ObtainMO(M3DOMObject* parent, const char* name, int childIndex, int createNew);
    // One node keyword and its arguments; the token was not a keyword when nothing is read.
    void ReadMOKeyword(M3DOMObject* mo, const char* keyword, const char** pos, const char* end);
    void ReadPosRel(M3DOMObject* mo, const char** pos, const char* end);
    void ConnectByTags(M3DOMObject* mo, const char* ownTag, const char* path, const char* otherTag);
    void ReadBits(M3DOMObject* mo, const char** pos, const char* end);
    void ReadOKeywords(C3DObject* o, const char** pos, const char* end);
    M3DOMTree* TargetTree() const;
    // Counts what a load makes; false (the load stopped, with a log line) past the limit.
    bool Reserve(int count);
    void StopLoad(const char* message);
    void LogF(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    int m_nDepth = 0;      // blocks open in the running load
    int m_nMade = 0;       // nodes and objects the running load made
    bool m_bStopped = false;
};
