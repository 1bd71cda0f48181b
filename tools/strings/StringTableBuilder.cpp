#include "tools/strings/StringTableBuilder.h"

#include <algorithm>

#include "winapi/base/Cp1252.h"

bool CStringTableBuilder::AddSource(const std::string& name, const std::string& source, std::string* error) {
    std::vector<CStringSourceEntry> entries;
    std::string message;
    if (!ParseStringSource(source, &entries, &message)) {
        *error = name + ": " + message;
        return false;
    }
    std::map<std::string, std::string> places = m_KeyPlaces;
    for (const CStringSourceEntry& entry : entries) {
        const std::string place = name + ": line " + std::to_string(entry.line);
        const auto [earlier, added] = places.emplace(entry.key, place);
        if (!added) {
            *error = place + ": the key \"" + winapi::Cp1252ToUtf8(entry.key.c_str()) + "\" is already used at " +
                     earlier->second;
            return false;
        }
    }
    m_Entries.insert(m_Entries.end(), entries.begin(), entries.end());
    m_KeyPlaces.swap(places);
    return true;
}

std::string CStringTableBuilder::Write() const {
    std::vector<const CStringSourceEntry*> sorted;
    for (const CStringSourceEntry& entry : m_Entries)
        sorted.push_back(&entry);
    // Keys are unique, so the order depends on the keys alone, not on the order of the sources;
    // strings compare their characters as unsigned bytes.
    std::sort(sorted.begin(), sorted.end(), [](const CStringSourceEntry* a, const CStringSourceEntry* b) {
        return a->key.size() != b->key.size() ? a->key.size() > b->key.size() : a->key < b->key;
    });
    std::string table;
    for (const CStringSourceEntry* entry : sorted)
        table += entry->key + "\r\n{\r\n" + entry->text + "\r\n}\r\n";
    return table;
}
