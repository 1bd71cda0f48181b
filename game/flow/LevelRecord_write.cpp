// Writing the level into a record's body.
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/LittleEndian.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/ExperimentBody.h"
#include "game/app/LZWCodec.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/LevelRecord.h"

namespace {

// The kind of a power cable's connectors, whose plugs are numbered.
constexpr int kPowerCableKind = 254;

M3DOMObject* NodeAt(const CPointerList::Node* node) {
    return static_cast<M3DOMObject*>(node->m_data);
}

C3DObject* ObjectAt(const CPointerList::Node* node) {
    return static_cast<C3DObject*>(node->m_data);
}

bool HasPartner(const C3DObject* o) {
    for (int i = 0; i < o->m_nPoints; ++i) {
        if (o->m_pPoints[i].m_pPartner)
            return true;
    }
    return false;
}

void AppendU32(std::vector<uint8_t>* out, uint32_t value) {
    uint8_t bytes[CExperimentBody::kFieldBytes];
    PutLittleEndian32(bytes, value);
    out->insert(out->end(), bytes, bytes + sizeof bytes);
}

// Visits the objects of mo's subtree in numbering order.
template <class Visit>
void VisitObjects(const M3DOMObject* mo, Visit& visit) {
    for (CPointerList::Node* node = mo->m_pOList->m_pHead; node; node = node->m_pNext)
        visit(ObjectAt(node));
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        VisitObjects(NodeAt(node), visit);
}

// The script field: the level's text with its zero, compressed. Empty when it cannot be made.
std::vector<uint8_t> CompressLevelScript(M3DOMWorld* world, const M3DOMObject* levelMO) {
    char* text = nullptr;
    world->m_pScripter->WriteMO(levelMO, &text, 0);
    std::vector<uint8_t> compressed;
    if (text) {
        uint8_t* out = nullptr;
        const int size = CLZWCodec().Compress(&out, reinterpret_cast<const uint8_t*>(text),
                                              static_cast<int>(strlen(text)) + 1);
        if (size > 0)
            compressed.assign(out, out + size);
        free(out);
    }
    free(text);
    return compressed;
}

void NumberPowerPlugs(const M3DOMObject* elements) {
    const int count = elements->CountConnectionsOfKind(kPowerCableKind);
    for (int i = 0; i < count; ++i) {
        const ConnectionPoint* connector = elements->GetConnection(kPowerCableKind, i);
        if (connector && connector->m_pPlug)
            static_cast<M3DOMObject*>(connector->m_pPlug)->m_fValF = static_cast<float>(i);
    }
}

// Every element's target index from its target; -1 for none or one outside the list.
void NumberTargets(const M3DOMObject* elements) {
    for (CPointerList::Node* node = elements->m_pList->m_pHead; node; node = node->m_pNext) {
        M3DOMObject* element = NodeAt(node);
        element->m_nConnectedTo = element->m_pTarget ? elements->IndexOfChild(element->m_pTarget) : -1;
    }
}

void AppendDescription(std::vector<uint8_t>* out, const CDynString& description, bool wide) {
    const char* text = description.GetText();
    const uint32_t length = static_cast<uint32_t>(strlen(text)) + 1;  // with the zero
    AppendU32(out, length);
    for (uint32_t i = 0; i < length; ++i) {
        out->push_back(static_cast<uint8_t>(text[i]));
        if (wide)
            out->push_back(0);  // the byte zero-extended
    }
}

}  // namespace

void RemoveLevelBarBoard(M3DOMObject* element) {
    CPointerList::Node* last = element ? element->m_pOList->m_pTail : nullptr;
    if (last && strcmp(ObjectAt(last)->m_szName, kLevelBarBoard) == 0)
        element->RemoveO(ObjectAt(last));
}

void NumberLinkedObjects(M3DOMObject* mo, int32_t* counter) {
    auto visit = [counter](C3DObject* o) {
        if (HasPartner(o))
            o->m_nID = (*counter)++;
    };
    VisitObjects(mo, visit);
}

uint32_t WriteLinkEntries(const M3DOMObject* elements, LinkValueFunc linkValue, std::vector<uint8_t>* out) {
    const size_t start = out->size();
    auto visit = [&](const C3DObject* o) {
        if (o->m_nID < 0)
            return;
        for (int i = 0; i < o->m_nPoints; ++i) {
            const ConnectionPoint& point = o->m_pPoints[i];
            const ConnectionPoint* partner = point.m_pPartner;
            if (!partner || !partner->m_pO || partner->m_pO->m_nID < 0)
                continue;
            const float value = point.m_pLink && linkValue ? linkValue(point.m_pLink) : 0.0f;
            AppendU32(out, static_cast<uint32_t>(o->m_nID));
            AppendU32(out, static_cast<uint32_t>(point.m_nIndex));
            AppendU32(out, static_cast<uint32_t>(partner->m_pO->m_nID));
            AppendU32(out, static_cast<uint32_t>(partner->m_nIndex));
            AppendU32(out, std::bit_cast<uint32_t>(value));
        }
    };
    if (elements)
        VisitObjects(elements, visit);
    return static_cast<uint32_t>(out->size() - start);
}

uint32_t StoreLevelRecord(CWorldContentRecord* record, M3DOMWorld* world, const CLevelNodes& level,
                          CLevelValues* values, LinkValueFunc linkValue) {
    if (!record || !world || !values || !level.m_pLevelMO || !level.m_pElements || !level.m_pLevelBar)
        return 0;
    for (CPointerList::Node* node = level.m_pLevelBar->m_pList->m_pHead; node; node = node->m_pNext)
        RemoveLevelBarBoard(NodeAt(node));

    world->m_pInstanceTree->m_pOList->ResetIDs();
    int32_t counter = 0;
    NumberLinkedObjects(level.m_pElements, &counter);
    NumberPowerPlugs(level.m_pElements);
    NumberTargets(level.m_pElements);

    // The whole body is laid out before the record changes, so that a failure leaves the
    // record's data as it was rather than empty or cut short.
    const std::vector<uint8_t> script = CompressLevelScript(world, level.m_pLevelMO);
    if (script.empty())
        return 0;
    std::vector<uint8_t> body;
    AppendU32(&body, static_cast<uint32_t>(script.size()));
    body.insert(body.end(), script.begin(), script.end());
    std::vector<uint8_t> links;
    AppendU32(&body, WriteLinkEntries(level.m_pElements, linkValue, &links));
    body.insert(body.end(), links.begin(), links.end());
    AppendDescription(&body, values->m_strDescription, record->m_bWide != 0);
    AppendU32(&body, values->m_nTime);
    if (values->m_nGravity > CExperimentBody::kGravityNone)
        values->m_nGravity = CExperimentBody::kGravityEarth;
    AppendU32(&body, values->m_nGravity);

    if (body.size() > UINT32_MAX)
        return 0;
    record->FreeData();
    return record->Append(body.data(), static_cast<uint32_t>(body.size()));
}
