#include "tools/datacheck/ValueScriptBlocks.h"

#include "engine/core/PointerList.h"
#include "engine/core/ValueScriptEntry.h"

bool CValueScriptBlocks::Load(const char* path) {
    m_blocks.clear();
    CPointerList list(1, 1);
    const bool read = CValueScript::LoadAll(path, &list) != 0;
    for (auto* node = list.m_pHead; node; node = node->m_pNext)
        m_blocks.emplace_back(static_cast<CValueScript*>(node->m_data));
    list.RemoveAll();
    return read;
}

const char* FindValueText(const CValueScript& block, const char* key) {
    const CValueScriptEntry* entry = block.FindEntry(key);
    return entry ? entry->m_sValue.GetText() : nullptr;
}
