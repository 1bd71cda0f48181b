#include "game/app/StringTable.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kEntryBlockNodes = 20;

}  // namespace

CStringTable::CStringTable(CLogFile* log) : CScriptFile(log), m_Entries(kEntryBlockNodes, kEntryBlockNodes) {}

CStringTable::~CStringTable() {
    for (CPointerList::Node* node = m_Entries.m_pHead; node; node = node->m_pNext) {
        auto* entry = static_cast<CStringEntry*>(node->m_data);
        free(entry->m_pText);
        delete entry;
    }
    m_Entries.RemoveAll();
}

int CStringTable::Load(const char* path) {
    if (!LoadScript(path, nullptr, 0))
        return 0;
    return AddEntriesFromText();
}

int CStringTable::AddEntriesFromText() {
    if (!m_pText)
        return 0;
    const char* pos = m_pText;
    const char* const end = GetTextEnd();
    char key[kTokenSize];
    char token[kTokenSize];
    int added = 0;
    while (pos < end) {
        if (!GetNextToken(key, sizeof key, &pos, end) || !GetNextToken(token, sizeof token, &pos, end))
            break;
        if (strcmp(token, "{") != 0)
            continue;
        // Separators, line breaks and comments in front of the text are skipped.
        const char* textStart = GetNextToken(token, sizeof token, &pos, end);
        if (!textStart)
            break;
        if (strcmp(token, "}") == 0)
            continue;
        const char* closing = FindToken("}", &pos, end);
        if (!closing)
            break;
        // The text ends before the line break in front of the closing brace.
        const ptrdiff_t length = closing - textStart - 2;
        if (AddString(key, textStart, length > 0 ? static_cast<int>(length) : 0))
            ++added;
    }
    return added;
}

const char* CStringTable::GetString(const char* key) const {
    if (!key)
        return nullptr;
    for (CPointerList::Node* node = m_Entries.m_pHead; node; node = node->m_pNext) {
        const auto* entry = static_cast<const CStringEntry*>(node->m_data);
        if (strstr(key, entry->m_szKey))
            return entry->m_pText;
    }
    return nullptr;
}

CStringEntry* CStringTable::AddString(const char* key, const char* text, int length) {
    if (length < 0 || (!text && length > 0))
        return nullptr;
    char* copy = static_cast<char*>(calloc(static_cast<size_t>(length) + 1, 1));
    if (!copy)
        return nullptr;
    if (length > 0)
        memcpy(copy, text, static_cast<size_t>(length));
    auto* entry = new CStringEntry{};
    if (key) {
        strncpy(entry->m_szKey, key, sizeof entry->m_szKey - 1);
        entry->m_szKey[sizeof entry->m_szKey - 1] = '\0';
    }
    entry->m_pText = copy;
    m_Entries.Append(entry);
    return entry;
}
