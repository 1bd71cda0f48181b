// The string table: its line ends, and every key asked of it (the game's own, the scene
// nodes' and the dialogs' names) finds its own entry or none; a key whose text the game shows
// (a clickable scene node's hover text) finds its own. A lookup takes the first entry, in file
// order, whose key lies anywhere inside the one asked, so a shorter key can answer in a longer
// one's place.
#include <cstring>
#include <set>
#include <string>

#include "game/app/StringTable.h"
#include "tools/datacheck/DataCheck_local.h"

void CRootCheck::CheckStringTable() {
    const CLookedUpFile& file = m_lookups.stringTable;
    for (const char* key : m_lookups.stringKeys)
        AskKey(key, "a key the game asks");
    if (!Present(file, EOpen::kAnyCase))
        return;
    CStringTable table;
    table.Load(file.path);
    if (!table.GetText()) {
        m_problems.Add({file.path}, "cannot be read");
        return;
    }
    CheckLineEnds(file.path, std::string_view(table.GetText(), strnlen(table.GetText(),
                                                                         static_cast<size_t>(table.GetTextLength()))));
    std::set<std::string> needEntries;
    for (const CAskedKey& asked : m_askedKeys) {
        if (asked.needsEntry)
            needEntries.insert(asked.key);
    }
    std::set<std::string> done;
    for (const CAskedKey& asked : m_askedKeys) {
        if (!done.insert(asked.key).second)
            continue;
        const CStringEntry* answer = nullptr;
        for (const CPointerList::Node* node = table.GetEntries().m_pHead; node && !answer; node = node->m_pNext) {
            const auto* entry = static_cast<const CStringEntry*>(node->m_data);
            if (strstr(asked.key.c_str(), entry->m_szKey))
                answer = entry;
        }
        if (answer && asked.key != answer->m_szKey)
            m_problems.Add({file.path, 0, answer->m_szKey},
                           "answers the key \"" + asked.key + "\" (" + asked.asker + ") in its own entry's place");
        else if (!answer && needEntries.count(asked.key))
            m_problems.Add({file.path, 0, asked.key}, "missing: the game shows this text (" + asked.asker + ")");
    }
}
