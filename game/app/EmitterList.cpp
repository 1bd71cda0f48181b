#include "game/app/EmitterList.h"

#include "engine/graphics/ParticleConeEmitter.h"
#include "engine/graphics/ParticleEmitter.h"

namespace {

void DeleteEntry(CEmitterEntry* entry) {
    delete entry->m_pEmitter;
    delete entry->m_pConeEmitter;
    delete entry;
}

}  // namespace

CEmitterList::~CEmitterList() {
    DeleteAll();
}

CEmitterEntry* CEmitterList::Create(uint32_t kind, uint32_t param1, uint32_t param2) {
    auto* entry = new CEmitterEntry{nullptr, nullptr, param1, param2};
    if (kind == kKindStandard)
        entry->m_pEmitter = new CParticleEmitter;
    else if (kind == kKindCone)
        entry->m_pConeEmitter = new CParticleConeEmitter;
    m_pList->Append(entry);
    return entry;
}

void CEmitterList::Update(double dt) {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        auto* entry = static_cast<CEmitterEntry*>(node->m_data);
        if (entry->m_pEmitter)
            entry->m_pEmitter->Step(&dt);
        if (entry->m_pConeEmitter)
            entry->m_pConeEmitter->Step(&dt);
    }
}

void CEmitterList::Remove(CEmitterEntry* entry) {
    if (!entry)
        return;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        if (node->m_data == entry) {
            DeleteEntry(entry);
            m_pList->RemoveAt(CPointerList::Position{m_pList, node});
            return;
        }
    }
}

void CEmitterList::DeleteAll() {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        DeleteEntry(static_cast<CEmitterEntry*>(node->m_data));
    m_pList->RemoveAll();
}
