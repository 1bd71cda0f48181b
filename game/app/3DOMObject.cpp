#include "game/app/3DOMObject.h"

#include <cstring>

#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/EmitterList.h"
#include "game/app/ListNodes_local.h"

namespace {

constexpr int kChildNodes = 20;
constexpr int kNodesPerBlock = 5;
// Where GetCenter's box starts: beyond anything in a scene.
constexpr float kBoxStart = 9999.0f;

CPointerList::Node* NodeAt(const CPointerList* list, int index) {
    if (index < 0 || index >= list->m_nCount)
        return nullptr;
    CPointerList::Node* node = list->m_pHead;
    for (; index > 0; --index)
        node = node->m_pNext;
    return node;
}

}  // namespace

M3DOMObject::M3DOMObject(M3DOMTree* tree)
    : CObjectList(kChildNodes),
      m_pTree(tree),
      m_pOList(new CPointerList(0, kNodesPerBlock)),
      m_pEmitterList(new CPointerList(0, kNodesPerBlock)) {
    Reset(nullptr);
}

M3DOMObject::~M3DOMObject() {
    Clear();
    delete m_pOList;
    delete m_pEmitterList;
}

void M3DOMObject::Reset(M3DOMObject* parent) {
    m_nTypeID = 0;
    m_nValN = 0;
    m_szName[0] = 0;
    m_nBKS = 0;
    m_nCount = 1;
    m_pParent = parent;
    const CVector3 zero(0.0f, 0.0f, 0.0f);
    m_vPos = m_vPosRel = m_vTarget = m_vTargetRel = m_vMoveDir = zero;
    m_vRot = m_vRotRel = m_vAngularVelocity = zero;
    m_fValF = 0.0f;
    m_bRelative = 0;
    m_bRotRel = 0;
    m_fVelocity = 0.0f;
    m_bArrived = 0;
    m_vScale = CVector3(1.0f, 1.0f, 1.0f);
    m_bUnscaledOffsets = 0;
    if (m_pTree && m_pTree->m_pRoot) {
        m_pRunTime = m_pTree->m_pRoot->m_pRunTime;
        m_pFrameTime = m_pTree->m_pRoot->m_pFrameTime;
    }
    m_nFrameMark = 0;
    m_bVisible = 1;
    m_nGoal = 0;
    m_nTagSnap = 0;
    m_nLink = 0;
    m_nConnectedTo = -1;
    m_pTarget = nullptr;
    m_nFixed = 0;
    m_bHold = 0;
    m_nUnlocked = 0;
    m_nBits = 0;
}

void M3DOMObject::CopyValues(const M3DOMObject& source) {
    m_nTypeID = source.m_nTypeID;
    m_nValN = source.m_nValN;
    memcpy(m_szName, source.m_szName, sizeof m_szName);
    m_nBKS = source.m_nBKS;
    m_nCount = source.m_nCount;
    m_vPos = source.m_vPos;
    m_vPosRel = source.m_vPosRel;
    m_vTarget = source.m_vTarget;
    m_vTargetRel = source.m_vTargetRel;
    m_vMoveDir = source.m_vMoveDir;
    m_vRot = source.m_vRot;
    m_vRotRel = source.m_vRotRel;
    m_vAngularVelocity = source.m_vAngularVelocity;
    m_fValF = source.m_fValF;
    m_bRelative = source.m_bRelative;
    m_bRotRel = source.m_bRotRel;
    m_fVelocity = source.m_fVelocity;
    m_bArrived = source.m_bArrived;
    m_vScale = source.m_vScale;
    m_bUnscaledOffsets = source.m_bUnscaledOffsets;
    m_pRunTime = source.m_pRunTime;
    m_pFrameTime = source.m_pFrameTime;
    m_nFrameMark = source.m_nFrameMark;
    m_bVisible = source.m_bVisible;
    m_nGoal = source.m_nGoal;
    m_nTagSnap = source.m_nTagSnap;
    m_nLink = source.m_nLink;
    m_nConnectedTo = source.m_nConnectedTo;
    m_nFixed = source.m_nFixed;
    m_bHold = source.m_bHold;
    m_nUnlocked = source.m_nUnlocked;
    m_nBits = source.m_nBits;
}

void M3DOMObject::SetName(const char* name) {
    memset(m_szName, 0, sizeof m_szName);
    if (name)
        strncpy(m_szName, name, sizeof m_szName - 1);
}

void M3DOMObject::Clear() {
    RemoveAllOs();
    RemoveAllEmitters();
    DeleteChildren();
}

M3DOMObject* M3DOMObject::GetChild(int index) const {
    CPointerList::Node* node = NodeAt(m_pList, index);
    return node ? ChildOf(node) : nullptr;
}

int M3DOMObject::IndexOfChild(const M3DOMObject* mo) const {
    int index = 0;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext, ++index) {
        if (node->m_data == mo)
            return index;
    }
    return -1;
}

M3DOMObject* M3DOMObject::HasChild(const M3DOMObject* mo) const {
    return mo && IndexOfChild(mo) >= 0 ? const_cast<M3DOMObject*>(mo) : nullptr;
}

int M3DOMObject::CountMOs() const {
    int count = 0;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        count += 1 + ChildOf(node)->CountMOs();
    return count;
}

M3DOMObject* M3DOMObject::FindByName(const char* name, int startIndex) const {
    if (!name)
        return nullptr;
    if (strcmp(name, "..") == 0)
        return m_pParent;
    for (CPointerList::Node* node = NodeAt(m_pList, startIndex); node; node = node->m_pNext) {
        M3DOMObject* child = ChildOf(node);
        if (strcmp(child->m_szName, name) == 0)
            return child;
        if (M3DOMObject* found = child->FindByName(name, 0))
            return found;
    }
    return nullptr;
}

M3DOMObject* M3DOMObject::FindByPath(M3DOMObject** first, const char* path) {
    if (first)
        *first = nullptr;
    if (!path)
        return nullptr;
    M3DOMObject* current = this;
    bool firstStep = true;
    char name[kNameSize];
    while (*path) {
        const char* end = strchr(path, '/');
        const size_t length = end ? static_cast<size_t>(end - path) : strlen(path);
        if (length > 0) {
            // A name longer than any node's cannot match.
            if (length >= sizeof name)
                return nullptr;
            memcpy(name, path, length);
            name[length] = 0;
            current = current->FindByName(name, 0);
            if (!current)
                return nullptr;
            if (firstStep && first)
                *first = current;
            firstStep = false;
        }
        path += length;
        if (*path == '/')
            ++path;
    }
    return current;
}

M3DOMObject* M3DOMObject::FindAncestorByName(const char* name) {
    if (!name)
        return nullptr;
    for (M3DOMObject* mo = this; mo; mo = mo->m_pParent) {
        if (strcmp(mo->m_szName, name) == 0)
            return mo;
    }
    return nullptr;
}

M3DOMObject* M3DOMObject::FindByBKS(int32_t value) {
    for (M3DOMObject* mo = this; mo; mo = mo->m_pParent) {
        if (mo->m_nBKS == value)
            return mo;
    }
    return nullptr;
}

M3DOMObject* M3DOMObject::GetTopAncestor() const {
    M3DOMObject* top = m_pParent;
    while (top && top->m_pParent)
        top = top->m_pParent;
    return top;
}

M3DOMObject* M3DOMObject::FindChildByLink(uint32_t value) const {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        if (ChildOf(node)->m_nLink == value)
            return ChildOf(node);
    }
    return nullptr;
}

C3DObject* M3DOMObject::GetO(int index) const {
    CPointerList::Node* node = NodeAt(m_pOList, index);
    return node ? ObjectOf(node) : nullptr;
}

C3DObject* M3DOMObject::FindOByName(const char* name) const {
    if (!name)
        return nullptr;
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext) {
        if (strcmp(ObjectOf(node)->m_szName, name) == 0)
            return ObjectOf(node);
    }
    return nullptr;
}

CEmitterLink* M3DOMObject::FindEmitter(uint32_t id) const {
    for (CPointerList::Node* node = m_pEmitterList->m_pHead; node; node = node->m_pNext) {
        auto* link = static_cast<CEmitterLink*>(node->m_data);
        if (link->m_nID == id)
            return link;
    }
    return nullptr;
}

C3DObject* M3DOMObject::AddO(const char* name, const CVector3& posRel) {
    if (!m_pTree)
        return nullptr;
    C3DObject* o = m_pTree->m_pOList->Add(name, posRel, this);
    if (o)
        m_pOList->Append(o);
    return o;
}

void M3DOMObject::RemoveO(C3DObject* o) {
    bool held = false;
    for (CPointerList::Node* node = m_pOList->m_pHead; node;) {
        CPointerList::Node* next = node->m_pNext;
        if (node->m_data == o) {
            m_pOList->RemoveAt(CPointerList::Position{m_pOList, node});
            held = true;
        }
        node = next;
    }
    // The object's destructor frees its partners' points too.
    if (held && m_pTree)
        m_pTree->m_pOList->Remove(o);
}

void M3DOMObject::RemoveAllOs() {
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext) {
        if (m_pTree)
            m_pTree->m_pOList->Remove(ObjectOf(node));
    }
    m_pOList->Empty();
}

CEmitterLink* M3DOMObject::AddEmitter(uint32_t id, uint32_t type, uint32_t param1, uint32_t param2) {
    if (!m_pTree || !m_pTree->m_pEmitters)
        return nullptr;
    auto* link = new CEmitterLink{m_pTree->m_pEmitters->Create(type, param1, param2), id, 0};
    m_pEmitterList->Append(link);
    return link;
}

void M3DOMObject::RemoveAllEmitters() {
    for (CPointerList::Node* node = m_pEmitterList->m_pHead; node; node = node->m_pNext) {
        auto* link = static_cast<CEmitterLink*>(node->m_data);
        if (m_pTree && m_pTree->m_pEmitters)
            m_pTree->m_pEmitters->Remove(link->m_pEntry);
        delete link;
    }
    m_pEmitterList->Empty();
}

void M3DOMObject::DeleteChildren() {
    // Each child deletes its own children first, in its destructor.
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        delete ChildOf(node);
    m_pList->Empty();
}

void M3DOMObject::RemoveChild(M3DOMObject* child, int deleteChild) {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        if (node->m_data != child)
            continue;
        m_pList->RemoveAt(CPointerList::Position{m_pList, node});
        child->m_pParent = nullptr;
        if (deleteChild)
            delete child;
        return;
    }
}

void M3DOMObject::SetOwnerTree(M3DOMTree* tree) {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        ChildOf(node)->m_pTree = tree;
        ChildOf(node)->SetOwnerTree(tree);
    }
}

M3DOMObject* M3DOMObject::Clone(M3DOMTree* tree, M3DOMObject* parent) const {
    if (!tree)
        return nullptr;
    auto* clone = new M3DOMObject(tree);
    clone->CopyValues(*this);
    clone->m_pParent = parent;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        clone->m_pList->Append(ChildOf(node)->Clone(tree, clone));
    C3DObjectList* objects = tree->m_pOList;
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext) {
        C3DObject* o = ObjectOf(node)->Clone(clone, objects->m_pNamedEntries);
        clone->m_pOList->Append(o);
        objects->m_pList->Append(o);
    }
    return clone;
}

void M3DOMObject::SetVisible(int32_t visible) {
    m_bVisible = visible;
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext)
        ObjectOf(node)->m_bVisible = visible;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        ChildOf(node)->SetVisible(visible);
}

void M3DOMObject::SetHit(int32_t hit) {
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext)
        ObjectOf(node)->m_bHit = hit;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        ChildOf(node)->SetHit(hit);
}

void M3DOMObject::ClearConnectionLinks() {
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext)
        ObjectOf(node)->ClearConnections();
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        ChildOf(node)->ClearConnectionLinks();
}

void M3DOMObject::MinMaxVector(CVector3* a, const CVector3& b, int takeMax) {
    if (takeMax) {
        a->x = a->x > b.x ? a->x : b.x;
        a->y = a->y > b.y ? a->y : b.y;
        a->z = a->z > b.z ? a->z : b.z;
    } else {
        a->x = a->x < b.x ? a->x : b.x;
        a->y = a->y < b.y ? a->y : b.y;
        a->z = a->z < b.z ? a->z : b.z;
    }
}

void M3DOMObject::GetBounds(CVector3* min, CVector3* max) const {
    if (!min || !max)
        return;
    for (CPointerList::Node* node = m_pOList->m_pHead; node; node = node->m_pNext) {
        CVector3 low;
        CVector3 high;
        if (!ObjectOf(node)->GetBounds(&low, &high))
            continue;
        MinMaxVector(min, low, 0);
        MinMaxVector(max, high, 1);
    }
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        ChildOf(node)->GetBounds(min, max);
}

CVector3 M3DOMObject::GetCenter() const {
    CVector3 min(kBoxStart, kBoxStart, kBoxStart);
    CVector3 max(-kBoxStart, -kBoxStart, -kBoxStart);
    GetBounds(&min, &max);
    return CVector3((min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f, (min.z + max.z) * 0.5f);
}
