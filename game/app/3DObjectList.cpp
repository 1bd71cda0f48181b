#include "game/app/3DObjectList.h"

#include <cstring>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "game/app/3DObject.h"
#include "game/app/ListNodes_local.h"

namespace {

constexpr int kNodesPerBlock = 100;
// Where both pick searches start: farther than anything in a scene.
constexpr float kFarthest = 9999.0f;

}  // namespace

C3DObjectList::C3DObjectList(CGfxHandler* gfxHandler, CShaderHandler* shaderHandler, CRenderDevice* device,
                             CNamedEntryList* namedEntries)
    : CObjectList(kNodesPerBlock),
      m_pGfxHandler(gfxHandler),
      m_pShaderHandler(shaderHandler),
      m_pDevice(device),
      m_pNamedEntries(namedEntries) {}

C3DObjectList::~C3DObjectList() {
    DeleteAll();
}

C3DObject* C3DObjectList::Add(const char* name, const CVector3& posRel, M3DOMObject* owner) {
    if (!name)
        return nullptr;
    const bool billboard = strcmp(name, kBillboardName) == 0;
    CGfx* gfx = nullptr;
    if (!billboard) {
        gfx = m_pGfxHandler ? m_pGfxHandler->Find(name) : nullptr;
        if (!gfx || !gfx->GetModel())
            return nullptr;
    }
    auto* object = new C3DObject(m_pDevice, owner);
    strncpy(object->m_szName, name, sizeof object->m_szName - 1);
    object->m_vPosRel = posRel;
    object->m_bBillboard = billboard ? 1 : 0;
    object->m_pGfx = gfx;
    object->BuildConnectionPoints(m_pNamedEntries);
    m_pList->Append(object);
    return object;
}

CPointerList::Node* C3DObjectList::FindNode(const C3DObject* object) const {
    // From both ends at once: a deleted tree's objects go in the order they were made, clones
    // and other late additions from the tail.
    CPointerList::Node* front = m_pList->m_pHead;
    CPointerList::Node* back = m_pList->m_pTail;
    while (front && back) {
        if (front->m_data == object)
            return front;
        if (back->m_data == object)
            return back;
        if (front == back || front->m_pNext == back)
            break;
        front = front->m_pNext;
        back = back->m_pPrev;
    }
    return nullptr;
}

void C3DObjectList::Remove(C3DObject* object) {
    CPointerList::Node* node = FindNode(object);
    if (!node)
        return;
    m_pList->RemoveAt(CPointerList::Position{m_pList, node});
    delete object;
}

void C3DObjectList::MoveToFront(C3DObject* object) {
    CPointerList::Node* node = FindNode(object);
    if (!node)
        return;
    m_pList->RemoveAt(CPointerList::Position{m_pList, node});
    m_pList->Insert(nullptr, object, CPointerList::Position{m_pList, nullptr}, 0);
}

void C3DObjectList::DeleteAll() {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        delete ObjectOf(node);
    m_pList->Empty();
}

C3DObject* C3DObjectList::FindByName(const char* name) const {
    if (!name)
        return nullptr;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        if (strcmp(ObjectOf(node)->m_szName, name) == 0)
            return ObjectOf(node);
    }
    return nullptr;
}

C3DObject* C3DObjectList::FindByID(int32_t id) const {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        if (ObjectOf(node)->m_nID == id)
            return ObjectOf(node);
    }
    return nullptr;
}

void C3DObjectList::ResetIDs() {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        ObjectOf(node)->m_nID = -1;
}

void C3DObjectList::SetMatrixChangedAll(int32_t flag) {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
        ObjectOf(node)->m_bMatrixChanged = flag;
}

void C3DObjectList::UpdateMatrices() {
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        C3DObject* object = ObjectOf(node);
        if (!object->m_bVisible)
            continue;
        object->UpdateMatrix();
        object->UpdateConnectionPoints();
    }
}

C3DObject* C3DObjectList::Pick(const CVector3& origin, const CVector3& direction) const {
    C3DObject* front = nullptr;
    C3DObject* frontOrdinary = nullptr;  // VALUE not the picked-last mark
    float frontZ = kFarthest;
    float frontOrdinaryZ = kFarthest;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        C3DObject* object = ObjectOf(node);
        if (!object->m_bVisible || object->m_bBillboard || !object->m_bHit)
            continue;
        float distance;
        if (!object->RayPick(origin, direction, &distance))
            continue;
        if (object->m_vPos.z < frontZ) {
            frontZ = object->m_vPos.z;
            front = object;
        }
        if (object->m_fValue != C3DObject::kPickedLast && object->m_vPos.z < frontOrdinaryZ) {
            frontOrdinaryZ = object->m_vPos.z;
            frontOrdinary = object;
        }
    }
    if (front && front->m_fValue == C3DObject::kPickedLast && frontOrdinary)
        return frontOrdinary;
    return front;
}
