// A lab: a named collection of experiments stored in one container file of named records,
// every field enciphered on its own with the caller's key. One record can also be exported
// to a file of its own and imported again. Between records the owner's sound device is
// stepped, so that streamed music keeps playing during long file work.
#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/core/PointerList.h"
#include "engine/core/ScriptCipher.h"

class CBaseGame;
class CWorldContentRecord;

// The 64-byte header a lab and an exported experiment carry for their caller. Fields come
// from files: compare them within their size, they may be unterminated.
struct CLabHeader {
    char szCreator[40];         // "USER" by default
    char szProgramVersion[10];  // kLabProgramVersion
    char szFormatVersion[10];   // kLabFormatVersion
    uint32_t nReserved;         // 0
};
static_assert(sizeof(CLabHeader) == 64, "the header is 64 bytes with no padding");

// The program and lab format versions the game writes into the headers of its labs.
inline constexpr char kLabProgramVersion[] = "V1.00";
inline constexpr char kLabFormatVersion[] = "0.03";

class CWorldContent {
public:
    static constexpr int kTitleSize = 80;
    static constexpr int kPathSize = 260;
    static constexpr int kSuffixSize = 16;

    // The owner's sound device is stepped between records; none steps nothing.
    explicit CWorldContent(CBaseGame* owner = nullptr);
    CWorldContent(const CWorldContent&) = delete;
    CWorldContent& operator=(const CWorldContent&) = delete;
    virtual ~CWorldContent();

    // Writes directory + name + suffix in one piece: the bytes of the enciphered fields, or 0
    // with the old file untouched when a field or the commit fails. headerLength 0 writes no
    // header.
    int Save(const char* name, const void* header, int headerLength, const char* key);
    // Reads directory + name + suffix (the name found without regard to case): the bytes of
    // the enciphered fields, or 0. The header is zeroed first. A missing file keeps the
    // records; a file that fails part-way keeps the records before the failing one.
    int Load(const char* name, void* header, int headerLength, const char* key);
    // The reading half of Load on an open stream.
    int LoadFrom(FILE* file, void* header, int headerLength, const char* key);

    // Writes the header and the record, its name in the 80-byte form, to a file of its own:
    // the bytes written, or 0 (no record, a failed field or commit).
    int ExportRecord(const char* path, const CWorldContentRecord* record, const void* header, int headerLength,
                     const char* key);
    // Reads an exported record into a new record at the end, marked wide when the file was
    // written by a wide lab; with replace, it takes the place of a record of the same name.
    // The bytes read, or 0 with nothing added.
    int ImportRecord(const char* path, CWorldContentRecord** out, void* header, int headerLength, const char* key,
                     int replace);
    int ImportFrom(FILE* file, CWorldContentRecord** out, void* header, int headerLength, const char* key,
                   int replace);

    // A new record at the end, in the lab's width, named, made current.
    CWorldContentRecord* AddRecord(const char* name);
    CWorldContentRecord* GetRecord(int index) const;
    int GetCount() const { return static_cast<int>(m_Records.m_nCount); }
    // The first record of exactly that name that is not skip.
    CWorldContentRecord* FindRecord(const char* name, const CWorldContentRecord* skip) const;
    int IndexOf(const CWorldContentRecord* record) const;
    // Removes every node holding the record and deletes it once.
    void DeleteRecord(CWorldContentRecord* record);
    // Puts replacement in old's place and deletes old: 1, or 0 when old is not listed.
    int ReplaceRecord(CWorldContentRecord* old, CWorldContentRecord* replacement);
    // Swaps the record with its successor (down) or predecessor: 1 when moved or already last
    // going down; 0 when first going up or not listed.
    int MoveRecord(CWorldContentRecord* record, int down);
    // The record just before the first open one; none when no record is open or the first is.
    CWorldContentRecord* GetRecordBeforeFirstOpen() const;
    void SetTypeAll(uint32_t type);
    // Deletes every record.
    void Clear();
    // Clear, with an empty title and best score 0.
    void Reset();
    // A text list of the records for debugging: 1, or 0 when it cannot be written.
    int DumpContents(const char* path);

    void SetDirectory(const char* directory);
    void SetSuffix(const char* suffix);

    CPointerList m_Records;  // CWorldContentRecord*, owned
    CWorldContentRecord* m_pCurrent = nullptr;
    char m_szDirectory[kPathSize] = {};
    char m_szSuffix[kSuffixSize] = {};
    int32_t m_bWide = 0;  // record names stored as UTF-16
    CScriptCipher m_Cipher;
    char m_szTitle[kTitleSize] = {};
    uint32_t m_nBestScore = 0;
    uint32_t m_nExtraValue = 0;
    CBaseGame* m_pOwner;

private:
    void StepSound() const;
    // directory + name + suffix; false when it does not fit.
    bool BuildPath(const char* name, char* path) const;
    CPointerList::Node* NodeOf(const CWorldContentRecord* record) const;
    // Unlinks every node holding the record and deletes it, clearing the current record.
    void Forget(CWorldContentRecord* record);
};
