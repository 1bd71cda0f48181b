#include "game/app/NamedEntryList.h"

#include <cstring>

CNamedEntryList::~CNamedEntryList() {
    Clear();
}

CNamedEntry* CNamedEntryList::Add(const char* name, uint32_t id, uint32_t value) {
    if (!name)
        return nullptr;
    auto* entry = new CNamedEntry{};
    strncpy(entry->m_szName, name, sizeof entry->m_szName - 1);
    entry->m_szName[sizeof entry->m_szName - 1] = '\0';
    entry->m_nID = static_cast<uint8_t>(id & 0xFF);
    entry->m_nValue = value;
    m_pList->Append(entry);
    return entry;
}

CNamedEntry* CNamedEntryList::Find(const char* text) const {
    if (!text)
        return nullptr;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        auto* entry = static_cast<CNamedEntry*>(node->m_data);
        if (strstr(text, entry->m_szName))
            return entry;
    }
    return nullptr;
}

void CNamedEntryList::Clear() {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        delete static_cast<CNamedEntry*>(node->m_data);
    m_pList->RemoveAll();
}
