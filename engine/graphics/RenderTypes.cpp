#include "engine/graphics/RenderTypes.h"

#include <cstdlib>

#include "engine/core/OutOfMemory.h"

CDisplayModeList::~CDisplayModeList() {
    Clear();
}

void CDisplayModeList::Add(const CDisplayMode& mode) {
    if (m_nCount == m_nCapacity) {
        const uint32_t capacity = m_nCapacity + (m_nGrowStep ? m_nGrowStep : 1);
        auto* items = static_cast<CDisplayMode*>(realloc(m_pItems, sizeof(CDisplayMode) * capacity));
        if (!items)
            OutOfMemory(sizeof(CDisplayMode) * capacity);
        m_pItems = items;
        m_nCapacity = capacity;
    }
    m_pItems[m_nCount++] = mode;
}

void CDisplayModeList::Clear() {
    free(m_pItems);
    m_pItems = nullptr;
    m_nCount = m_nCapacity = 0;
}
