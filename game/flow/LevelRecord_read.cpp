// Reading a record's body into the level: the body checked whole first, then the script read
// beside the old level and kept only when it holds a whole level.
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "engine/core/LittleEndian.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/ExperimentBody.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/LevelRecord.h"

namespace {

constexpr char kLevelName[] = "level";
constexpr char kElementsName[] = "level_elements";
constexpr char kLevelBarName[] = "level_bar";
// A link value at or beyond this size has no 32-bit integer part.
constexpr float kLinkValueLimit = 2147483648.0f;

M3DOMObject* NodeAt(const CPointerList::Node* node) {
    return static_cast<M3DOMObject*>(node->m_data);
}

M3DOMObject* DirectChild(const M3DOMObject* mo, const char* name) {
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext) {
        if (strcmp(NodeAt(node)->m_szName, name) == 0)
            return NodeAt(node);
    }
    return nullptr;
}

bool IsInSubtree(const M3DOMObject* mo, const M3DOMObject* top) {
    for (; mo; mo = mo->m_pParent) {
        if (mo == top)
            return true;
    }
    return false;
}

// The objects of the level's subtree by ID, the first of an ID in depth-first order.
void CollectIDs(const M3DOMObject* mo, std::unordered_map<int32_t, C3DObject*>* ids) {
    for (CPointerList::Node* node = mo->m_pOList->m_pHead; node; node = node->m_pNext) {
        auto* o = static_cast<C3DObject*>(node->m_data);
        if (o->m_nID >= 0)
            ids->emplace(o->m_nID, o);
    }
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        CollectIDs(NodeAt(node), ids);
}

ConnectionPoint* FindPoint(const std::unordered_map<int32_t, C3DObject*>& ids, uint32_t id, uint32_t index) {
    if (id > INT32_MAX || index > INT32_MAX)
        return nullptr;
    const auto found = ids.find(static_cast<int32_t>(id));
    return found == ids.end() ? nullptr : found->second->GetConnectionPoint(static_cast<int>(index));
}

// Frees the point from its partner on both sides, so that no point is left naming another
// that does not name it back (deleting either would leave the other's pointer dangling).
void Unpair(ConnectionPoint* point) {
    if (point->m_pPartner && point->m_pPartner->m_pPartner == point)
        point->m_pPartner->m_pPartner = nullptr;
    point->m_pPartner = nullptr;
}

// The description in the body's width as single bytes (a UTF-16 unit by its low byte), up
// to its zero or the end of its characters.
void ReadDescription(const CExperimentBody& body, CDynString* description) {
    std::vector<char> text;
    for (uint32_t i = 0; i < body.GetDescLength(); ++i) {
        const char c = static_cast<char>(body.GetDescriptionChar(i) & 0xFF);
        if (c == 0)
            break;
        text.push_back(c);
    }
    text.push_back(0);
    *description = text.data();
}

// The first top-level node named "level" at an index from first up to end.
M3DOMObject* FindTopLevel(const M3DOMTree* tree, int first, int end) {
    for (int i = first; i < end; ++i) {
        if (strcmp(tree->m_pRoot->GetChild(i)->m_szName, kLevelName) == 0)
            return tree->m_pRoot->GetChild(i);
    }
    return nullptr;
}

// Deletes the top-level nodes of the tree from index first on.
void DeleteTopLevelFrom(M3DOMTree* tree, int first) {
    while (tree->m_pRoot->m_pList->m_nCount > first)
        tree->m_pRoot->RemoveChild(tree->m_pRoot->GetChild(first), 1);
}

}  // namespace

int ApplyLinkEntries(M3DOMObject* level, const uint8_t* entries, uint32_t size) {
    if (!level || !entries)
        return 0;
    std::unordered_map<int32_t, C3DObject*> ids;
    CollectIDs(level, &ids);
    int applied = 0;
    for (uint32_t at = 0; size - at >= CExperimentBody::kLinkEntryBytes; at += CExperimentBody::kLinkEntryBytes) {
        const uint8_t* entry = entries + at;
        ConnectionPoint* point = FindPoint(ids, GetLittleEndian32(entry), GetLittleEndian32(entry + 4));
        ConnectionPoint* partner = FindPoint(ids, GetLittleEndian32(entry + 8), GetLittleEndian32(entry + 12));
        if (!point || !partner || point == partner)
            continue;
        float value = std::bit_cast<float>(GetLittleEndian32(entry + 16));
        if (!std::isfinite(value) || std::fabs(value) >= kLinkValueLimit)
            value = 0.0f;
        Unpair(point);
        Unpair(partner);
        point->m_pPartner = partner;
        partner->m_pPartner = point;
        partner->m_fValue = value;
        ++applied;
    }
    return applied;
}

CLevelRecordReader::~CLevelRecordReader() {
    Release();
}

void CLevelRecordReader::Release() {
    free(m_pScript);
    m_pScript = nullptr;
    m_nScriptSize = 0;
    m_pRecord = nullptr;
}

int CLevelRecordReader::Check(const CWorldContentRecord* record) {
    Release();
    CExperimentBody body;
    if (!record || !body.Read(record->GetData(), record->GetSize(), record->m_bWide != 0))
        return 0;
    uint8_t* expanded = nullptr;
    const int size = body.ExpandScript(&expanded);
    if (size <= 0)
        return 0;
    // The reader takes the text up to a zero of its own; one more keeps it ended either way.
    m_pScript = static_cast<uint8_t*>(calloc(static_cast<size_t>(size) + 1, 1));
    if (!m_pScript) {
        free(expanded);
        return 0;
    }
    memcpy(m_pScript, expanded, static_cast<size_t>(size));
    free(expanded);
    m_nScriptSize = size;
    m_pRecord = record;
    return 1;
}

int CLevelRecordReader::Apply(M3DOMWorld* world, CLevelNodes* level, CLevelValues* values) {
    m_nLinksApplied = 0;
    CExperimentBody body;
    if (!m_pRecord || !world || !level || !values ||
        !body.Read(m_pRecord->GetData(), m_pRecord->GetSize(), m_pRecord->m_bWide != 0))
        return 0;

    // Read beside the old level, so that a script without a whole level changes nothing.
    M3DOMTree* tree = world->m_pInstanceTree;
    const int topLevelBefore = tree->m_pRoot->m_pList->m_nCount;
    const char* script = reinterpret_cast<const char*>(m_pScript);
    const int result =
        world->m_pScripter->AddScriptMOsFromMemory(nullptr, script, static_cast<int>(strlen(script)), 0);
    M3DOMObject* newLevel = FindTopLevel(tree, topLevelBefore, tree->m_pRoot->m_pList->m_nCount);
    CLevelNodes found;
    if (newLevel) {
        found.m_pLevelMO = newLevel;
        found.m_pElements = DirectChild(newLevel, kElementsName);
        found.m_pLevelBar = DirectChild(newLevel, kLevelBarName);
    }
    if (result == 0 || !found.m_pElements || !found.m_pLevelBar) {
        DeleteTopLevelFrom(tree, topLevelBefore);
        return 0;
    }
    // The body carries its level alone.
    tree->m_pRoot->RemoveChild(newLevel, 0);
    DeleteTopLevelFrom(tree, topLevelBefore);
    tree->m_pRoot->m_pList->Append(newLevel);

    M3DOMObject* old = level->m_pLevelMO ? level->m_pLevelMO : FindTopLevel(tree, 0, topLevelBefore);
    if (old)
        (old->m_pParent ? old->m_pParent : tree->m_pRoot)->RemoveChild(old, 1);
    for (CPointerList::Node* node = tree->m_pOList->m_pList->m_pHead; node; node = node->m_pNext) {
        auto* o = static_cast<C3DObject*>(node->m_data);
        if (!IsInSubtree(o->m_pOwner, newLevel))
            o->m_nID = -1;
    }
    *level = found;

    M3DOMObject* bar = found.m_pLevelBar;
    bar->m_vPosRel.x = kLevelBarX;
    bar->m_vPosRel.y = kLevelBarY;
    bar->ResetMoveTarget();

    m_nLinksApplied = ApplyLinkEntries(newLevel, body.GetLinkEntries(), body.GetLinkSize());

    for (CPointerList::Node* node = found.m_pElements->m_pList->m_pHead; node; node = node->m_pNext) {
        M3DOMObject* element = NodeAt(node);
        element->m_pTarget = found.m_pElements->GetChild(element->m_nConnectedTo);
        if (!element->m_pTarget)
            element->m_nConnectedTo = -1;
    }

    ReadDescription(body, &values->m_strDescription);
    values->m_nTime = body.GetTime();
    values->m_nGravity = body.GetGravity() > CExperimentBody::kGravityNone ? CExperimentBody::kGravityEarth
                                                                            : body.GetGravity();
    return result;
}

int RestoreLevelRecord(const CWorldContentRecord* record, M3DOMWorld* world, CLevelNodes* level,
                       CLevelValues* values, int* linksApplied) {
    CLevelRecordReader reader;
    const int result = reader.Check(record) ? reader.Apply(world, level, values) : 0;
    if (linksApplied)
        *linksApplied = reader.GetLinksApplied();
    return result;
}
