#include "engine/core/Class.h"

#include <cstdlib>
#include <cstring>

CClass* CClass::s_pFirstClass = nullptr;

CClass::CClass(const char* name, uint32_t objectSize, CClass* parent, FactoryFunction factory)
    : m_pParent(parent), m_nObjectSize(objectSize), m_pfnFactory(factory) {
    m_pszName = strdup(name ? name : "");
    m_pNext = s_pFirstClass;
    s_pFirstClass = this;
}

CClass::~CClass() {
    // Unlink so that the list never points at a destroyed record; records die in the reverse
    // order of their registration, so this is normally the head.
    for (CClass** link = &s_pFirstClass; *link; link = &(*link)->m_pNext) {
        if (*link == this) {
            *link = m_pNext;
            break;
        }
    }
    free(m_pszName);
}

CClass* CClass::FindClass(const char* name) {
    if (!name)
        return nullptr;
    for (CClass* record = s_pFirstClass; record; record = record->m_pNext) {
        if (record->m_pszName && strcmp(record->m_pszName, name) == 0)
            return record;
    }
    return nullptr;
}

CObject* CClass::CreateObject() const {
    return m_pfnFactory ? m_pfnFactory() : nullptr;
}
