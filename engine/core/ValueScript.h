// One named block of a value script: the engine's small "Key = value" configuration files,
// plain or enciphered with the process-wide value-script key. Reading a missing key adds it
// with its default, so that saving the block writes every key the program uses.
#pragma once

#include <cstdint>

#include "engine/core/DynString.h"
#include "engine/core/PointerList.h"
#include "engine/core/ValueScriptEntry.h"

// The key enciphered value scripts are read and written with: at most 16 characters, empty
// at start.
extern char ValueScriptKey[17];
// Takes `key` when its length is even and at most 16; otherwise the previous key stays.
void SetValueScriptKey(const char* key);

class CValueScript {
public:
    static constexpr const char* kHeader = "# TOLP Software Value Script";
    // What a created file holds: the header and a blank line.
    static constexpr const char* kNewFileText = "# TOLP Software Value Script\r\n\r\n";

    CValueScript();
    CValueScript(const CValueScript&) = delete;
    CValueScript& operator=(const CValueScript&) = delete;
    virtual ~CValueScript();

    // Names the block and reads it from the file; 0 only when the file text cannot be read.
    // A file without the block gives no entries.
    int Load(const char* path, const char* name);
    // Rewrites this block inside the file (appending it when absent), keeping every other
    // byte; 0 when nothing was written.
    int Save(const char* path);
    // Reads every block of a file into new scripts appended to `list`; the caller deletes
    // them. 0 only when the file text cannot be read.
    static int LoadAll(const char* path, CPointerList* list);

    // The whole file text, deciphered when enciphered; a missing file is created with the
    // header first. 0 when an enciphered file holds no more than the key.
    static int ReadBlockText(const char* path, CDynString* text);
    // 1 when the file opens, is not empty and lacks the header.
    static int IsEnciphered(const char* path);

    // The same steps on text in memory. ParseBlock appends the entries of the first block
    // of this script's name and records the body's length.
    void ParseBlock(const char* text);
    static void ParseAllBlocks(const char* text, CPointerList* list);
    // Replaces this block in `text` (or appends it) as Save writes it.
    void WriteInto(CDynString* text);

    float GetFloat(const char* key, float defaultValue);
    const CDynString& GetString(const char* key, const char* defaultValue);
    void SetFloat(const char* key, float value);
    void SetString(const char* key, const char* text);
    CValueScriptEntry* FindEntry(const char* key) const;
    void Clear();

    CPointerList* m_pEntries;
    CDynString m_sName;
    int32_t m_nBlockLength = 0;  // characters of the body as last read or written

private:
    CValueScriptEntry* AddEntry(const char* key, const char* value, int bQuoted);
    void AddEntryFromLine(const char* line, const char* end);
};
