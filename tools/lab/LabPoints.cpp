#include "tools/lab/LabPoints.h"

#include <cstring>

#include "game/app/3DOMObject.h"
#include "game/app/3DObject.h"

namespace {

void CollectPoints(const M3DOMObject* mo, std::vector<ConnectionPoint*>* points) {
    for (CPointerList::Node* node = mo->m_pOList->m_pHead; node; node = node->m_pNext) {
        C3DObject* o = static_cast<C3DObject*>(node->m_data);
        for (int i = 0; i < o->m_nPoints; ++i)
            points->push_back(&o->m_pPoints[i]);
    }
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        CollectPoints(static_cast<const M3DOMObject*>(node->m_data), points);
}

}  // namespace

std::vector<ConnectionPoint*> ElementPoints(const M3DOMObject* element) {
    std::vector<ConnectionPoint*> points;
    CollectPoints(element, &points);
    return points;
}

ConnectionPoint* FindElementPoint(const M3DOMObject* element, const CLabPointRef& ref) {
    uint32_t seen = 0;
    for (ConnectionPoint* point : ElementPoints(element)) {
        if (ref.tag == point->m_szName && ++seen == ref.occurrence)
            return point;
    }
    return nullptr;
}

CLabPointRef PointRefOf(const M3DOMObject* element, uint32_t index, const ConnectionPoint* point) {
    CLabPointRef ref;
    ref.element = index;
    ref.tag = point->m_szName;
    ref.occurrence = 0;
    for (const ConnectionPoint* other : ElementPoints(element)) {
        if (strcmp(other->m_szName, point->m_szName) == 0)
            ++ref.occurrence;
        if (other == point)
            break;
    }
    return ref;
}

const M3DOMObject* ElementHolding(const M3DOMObject* elements, const M3DOMObject* owner) {
    for (; owner; owner = owner->GetParent()) {
        if (owner->GetParent() == elements)
            return owner;
    }
    return nullptr;
}
