// The game's keyed user-interface texts, read from a plain block-script file of entries
// "key { text }" with the closing brace on a line of its own. Every message the player sees
// is looked up here.
#pragma once

#include "engine/core/PointerList.h"
#include "game/app/ScriptFile.h"

struct CStringEntry {
    char m_szKey[128];  // at most 127 characters
    char* m_pText;      // own copy, zero-terminated
};

class CStringTable : public CScriptFile {
public:
    explicit CStringTable(CLogFile* log = nullptr);
    ~CStringTable() override;

    // Reads the file without a key and adds its entries: the number added, 0 when the file
    // cannot be read.
    int Load(const char* path);
    // Adds the entries of the text held (after LoadScript or SetText): the number added. A
    // text block that the end cuts off is not added and ends the reading.
    int AddEntriesFromText();
    // The text of the first entry, in file order, whose key occurs anywhere inside key; an
    // entry with an empty key answers every request. Null when none does.
    const char* GetString(const char* key) const;
    // Appends an entry with the key cut to 127 characters and its own copy of length bytes of
    // text; null for a negative length, a missing text of some length or a failed allocation.
    CStringEntry* AddString(const char* key, const char* text, int length);

    // The entries in file order.
    const CPointerList& GetEntries() const { return m_Entries; }

private:
    CPointerList m_Entries;
};
