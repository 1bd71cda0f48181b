// The game's string table, "scripts/strings/main.txt", made from one or more sources: their
// entries together, the longest key first, since the game's lookup takes the first entry whose
// key lies inside the key asked for.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/strings/StringSource.h"

class CStringTableBuilder {
public:
    // Adds the entries of a source named `name` in messages; false with "<name>: line <n>:
    // <why>" in *error and nothing added when the source is refused or repeats a key.
    bool AddSource(const std::string& name, const std::string& source, std::string* error);
    size_t GetEntryCount() const { return m_Entries.size(); }
    // The table's bytes, Windows-1252: per entry a key line, a "{" line, the text and a "}"
    // line, each ending in CR LF; sorted by descending key length, then by key byte by byte.
    std::string Write() const;

private:
    std::vector<CStringSourceEntry> m_Entries;
    std::map<std::string, std::string> m_KeyPlaces;  // key -> "<source>: line <n>"
};
