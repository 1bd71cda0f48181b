#include "game/app/3DOMTree.h"

#include "game/app/3DOMObject.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/ListNodes_local.h"

namespace {

bool IsInSubtree(const M3DOMObject* mo, const M3DOMObject* top) {
    for (; mo; mo = mo->m_pParent) {
        if (mo == top)
            return true;
    }
    return false;
}

void Unlink(M3DOMObject* mo) {
    M3DOMObject* parent = mo->m_pParent;
    if (!parent)
        return;
    for (CPointerList::Node* node = parent->m_pList->m_pHead; node; node = node->m_pNext) {
        if (node->m_data == mo) {
            parent->m_pList->RemoveAt(CPointerList::Position{parent->m_pList, node});
            break;
        }
    }
    mo->m_pParent = nullptr;
}

}  // namespace

M3DOMTree::M3DOMTree(CGfxHandler* gfxHandler, CShaderHandler* shaderHandler, CRenderDevice* device, CLogFile* log,
                     double* frameTime, double* runTime, CNamedEntryList* namedEntries, CEmitterList* emitters)
    : m_pLog(log), m_pRoot(nullptr), m_pOList(nullptr), m_pEmitters(emitters) {
    m_pRoot = new M3DOMObject(this);
    m_pRoot->SetName(kRootName);
    m_pRoot->m_pFrameTime = frameTime;
    m_pRoot->m_pRunTime = runTime;
    m_pOList = new C3DObjectList(gfxHandler, shaderHandler, device, namedEntries);
}

M3DOMTree::~M3DOMTree() {
    // The nodes take their objects out of the list, so the list goes last.
    delete m_pRoot;
    delete m_pOList;
}

M3DOMObject* M3DOMTree::CreateMO(const char* name) {
    auto* mo = new M3DOMObject(this);
    mo->SetName(name);
    return mo;
}

M3DOMObject* M3DOMTree::CloneMO(const M3DOMObject* mo, M3DOMTree* tree) {
    return mo ? mo->Clone(tree, nullptr) : nullptr;
}

void M3DOMTree::DeleteAll() {
    m_pRoot->DeleteChildren();
}

M3DOMObject* M3DOMTree::FindByName(const char* name) const {
    return m_pRoot->FindByName(name, 0);
}

int M3DOMTree::MoveChildren(M3DOMObject* to, M3DOMObject* from) {
    if (!to || !from || IsInSubtree(to, from))
        return 0;
    for (CPointerList::Node* node = from->m_pList->m_pHead; node; node = node->m_pNext) {
        ChildOf(node)->m_pParent = to;
        to->m_pList->Append(node->m_data);
    }
    from->m_pList->Empty();
    return 1;
}

int M3DOMTree::Reparent(M3DOMObject* newParent, M3DOMObject* mo) {
    if (!newParent || !mo || IsInSubtree(newParent, mo))
        return 0;
    Unlink(mo);
    newParent->m_pList->Append(mo);
    mo->m_pParent = newParent;
    return 1;
}

int M3DOMTree::Touches(const M3DOMObject* a, const M3DOMObject* b, float excludeValue) {
    if (!a || !b || a == b)
        return 0;
    for (CPointerList::Node* na = a->m_pOList->m_pHead; na; na = na->m_pNext) {
        for (CPointerList::Node* nb = b->m_pOList->m_pHead; nb; nb = nb->m_pNext) {
            if (C3DObject::Touches(ObjectOf(na), ObjectOf(nb), excludeValue))
                return 1;
        }
    }
    return 0;
}

int M3DOMTree::CollidesWithList(const M3DOMObject* mo, const C3DObject* o, float excludeValue) {
    if (!mo || !o)
        return 0;
    for (CPointerList::Node* child = mo->m_pList->m_pHead; child; child = child->m_pNext) {
        for (CPointerList::Node* node = ChildOf(child)->m_pOList->m_pHead; node; node = node->m_pNext) {
            if (C3DObject::Touches(o, ObjectOf(node), excludeValue))
                return 1;
        }
    }
    return 0;
}

int M3DOMTree::Collide(const M3DOMObject* a, const M3DOMObject* b, float excludeValue) {
    if (!a || !b || a == b)
        return 0;
    for (CPointerList::Node* node = a->m_pList->m_pHead; node; node = node->m_pNext) {
        if (Collide(ChildOf(node), b, excludeValue))
            return 1;
    }
    for (CPointerList::Node* node = b->m_pList->m_pHead; node; node = node->m_pNext) {
        if (Collide(a, ChildOf(node), excludeValue))
            return 1;
    }
    return Touches(a, b, excludeValue);
}

void M3DOMTree::Draw(double time) {
    m_pOList->DrawPass(time, 0);
    m_pOList->DrawShadowVolumes();
}

void M3DOMTree::UpdateAll() {
    m_pRoot->UpdateTransform(nullptr);
    m_pOList->UpdateMatrices();
}

void M3DOMTree::UpdateTransforms(M3DOMObject* mo) {
    // With no time passing, nothing moves or turns: the pass only places.
    double* frameTime = m_pRoot->m_pFrameTime;
    const double saved = frameTime ? *frameTime : 0.0;
    if (frameTime)
        *frameTime = 0.0;
    if (mo)
        mo->UpdateTransform(mo->m_pParent);
    else
        m_pRoot->UpdateTransform(nullptr);
    m_pOList->UpdateMatrices();
    if (frameTime)
        *frameTime = saved;
}
