// The world's particle systems, one entry each, in creation order. Element effects create
// them by kind, their objects refer to the entries, and the application steps them all once
// a frame.
#pragma once

#include <cstdint>

#include "engine/core/ObjectList.h"

class CParticleConeEmitter;
class CParticleEmitter;

struct CEmitterEntry {
    CParticleEmitter* m_pEmitter;          // owned; the system of kind 1, else none
    CParticleConeEmitter* m_pConeEmitter;  // owned; the system of kind 2, else none
    uint32_t m_nParam1;
    uint32_t m_nParam2;
};

// How an object refers to one of its emitters in its own list.
struct CEmitterLink {
    CEmitterEntry* m_pEntry;
    uint32_t m_nID;
    uint32_t m_nReserved;  // 0
};

class CEmitterList : public CObjectList {
public:
    enum EKind { kKindStandard = 1, kKindCone = 2 };

    CEmitterList() : CObjectList(20) {}
    ~CEmitterList() override;

    // Appends an entry with a new system of the kind (none for another kind) and the two words.
    CEmitterEntry* Create(uint32_t kind, uint32_t param1, uint32_t param2);
    // Steps every entry's systems by dt seconds.
    void Update(double dt);
    // Deletes the entry and its systems; nothing for an entry that is not in the list.
    void Remove(CEmitterEntry* entry);
    void DeleteAll();
};
