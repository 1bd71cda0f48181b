// The connection points of a subtree: counted and found by kind, linked to the points of
// another subtree that lie close enough, and cut loose.
#include "game/app/3DOMObject.h"

#include <cstring>

#include "game/app/3DObject.h"
#include "game/app/ListNodes_local.h"
#include "game/app/NamedEntryList.h"

namespace {

// Points nearer than this snap together.
constexpr float kSnapDistance = 0.04f;
// Where the nearest-point search starts.
constexpr float kNearestStart = 100000.0f;
// Kind ids from here up are belts, cables and ropes, which cutting the snap links keeps.
constexpr int kFirstHangingKind = 250;

bool IsKind(const ConnectionPoint& point, int kind) {
    return point.m_pKind && point.m_pKind->m_nID == kind;
}

// Calls visit(point, o) in the walkers' order until it returns true; true when it did.
template <class Visit>
bool VisitPoints(const M3DOMObject* mo, Visit& visit) {
    for (CPointerList::Node* node = mo->m_pOList->m_pHead; node; node = node->m_pNext) {
        C3DObject* o = ObjectOf(node);
        for (int i = 0; i < o->m_nPoints; ++i) {
            if (visit(o->m_pPoints[i], o))
                return true;
        }
    }
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext) {
        if (VisitPoints(ChildOf(node), visit))
            return true;
    }
    return false;
}

}  // namespace

int M3DOMObject::CountConnectionsOfKind(int kind) const {
    int count = 0;
    auto visit = [&](const ConnectionPoint& point, C3DObject*) {
        count += IsKind(point, kind) ? 1 : 0;
        return false;
    };
    VisitPoints(this, visit);
    return count;
}

ConnectionPoint* M3DOMObject::GetConnection(int kind, int n) const {
    ConnectionPoint* found = nullptr;
    int remaining = n;
    auto visit = [&](ConnectionPoint& point, C3DObject*) {
        if (!IsKind(point, kind))
            return false;
        if (remaining-- > 0)
            return false;
        found = &point;
        return true;
    };
    if (n >= 0)
        VisitPoints(this, visit);
    return found;
}

int M3DOMObject::GetConnectionIndex(int kind, const ConnectionPoint* point) const {
    int counter = 0;
    int index = -1;
    auto visit = [&](const ConnectionPoint& candidate, C3DObject*) {
        if (!IsKind(candidate, kind))
            return false;
        if (&candidate == point) {
            index = counter;
            return true;
        }
        ++counter;
        return false;
    };
    VisitPoints(this, visit);
    return index;
}

void M3DOMObject::SetConnectionsValue(int kind, float value) {
    auto visit = [&](ConnectionPoint& point, C3DObject*) {
        if (IsKind(point, kind) && point.m_pPartner)
            point.m_fValue2 = value;
        return false;
    };
    VisitPoints(this, visit);
}

ConnectionPoint* M3DOMObject::FindTag(const char* text) const {
    ConnectionPoint* found = nullptr;
    auto visit = [&](ConnectionPoint& point, C3DObject*) {
        if (!strstr(point.m_szName, text))
            return false;
        found = &point;
        return true;
    };
    if (text)
        VisitPoints(this, visit);
    return found;
}

float M3DOMObject::FindNearestConnectionPoint(ConnectionPoint** point, C3DObject** o,
                                              const ConnectionPoint* query) const {
    float best = kNearestStart;
    ConnectionPoint* bestPoint = nullptr;
    C3DObject* bestO = nullptr;
    auto visit = [&](ConnectionPoint& candidate, C3DObject* owner) {
        const float distance = C3DObject::ConnectionDistance(&candidate, query);
        // A point that may not snap at all is no candidate, however far the others are.
        if (distance < best && distance < C3DObject::kNoConnection) {
            best = distance;
            bestPoint = &candidate;
            bestO = owner;
        }
        return false;
    };
    VisitPoints(this, visit);
    if (point)
        *point = bestPoint;
    if (o)
        *o = bestO;
    return best;
}

int M3DOMObject::DisconnectAll() {
    int cut = 0;
    auto visit = [&](ConnectionPoint& point, C3DObject*) {
        ConnectionPoint* partner = point.m_pPartner;
        if (!partner || !partner->m_pKind || partner->m_pKind->m_nID >= kFirstHangingKind)
            return false;
        M3DOMObject* element = partner->m_pO ? partner->m_pO->m_pOwner : nullptr;
        if (!element || !element->FindByBKS(kWholeElementBKS))
            return false;
        partner->m_fValue = 0.0f;
        partner->m_pPartner = nullptr;
        point.m_pPartner = nullptr;
        cut += 2;
        return false;
    };
    VisitPoints(this, visit);
    return cut;
}

int M3DOMObject::SnapConnect(M3DOMObject* other) {
    if (!other)
        return 0;
    int linked = 0;
    for (CPointerList::Node* own = m_pOList->m_pHead; own; own = own->m_pNext) {
        C3DObject* o = ObjectOf(own);
        for (int i = 0; i < o->m_nPoints; ++i) {
            ConnectionPoint& a = o->m_pPoints[i];
            for (CPointerList::Node* their = other->m_pOList->m_pHead; their; their = their->m_pNext) {
                C3DObject* p = ObjectOf(their);
                for (int j = 0; j < p->m_nPoints; ++j) {
                    ConnectionPoint& b = p->m_pPoints[j];
                    // The distance test takes linked points as too far.
                    if (C3DObject::ConnectionDistance(&a, &b) >= kSnapDistance)
                        continue;
                    a.m_pPartner = &b;
                    b.m_pPartner = &a;
                    linked += 2;
                }
            }
        }
    }
    return linked;
}

int M3DOMObject::SnapConnectSubtrees(M3DOMObject* other) {
    if (!other)
        return 0;
    int linked = 0;
    for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext) {
        M3DOMObject* child = ChildOf(node);
        linked += child->SnapConnectSubtrees(other);
        for (CPointerList::Node* theirs = other->m_pList->m_pHead; theirs; theirs = theirs->m_pNext) {
            M3DOMObject* d = ChildOf(theirs);
            if (d == child)
                continue;
            linked += child->SnapConnect(d);
            linked += child->SnapConnectSubtrees(d);
        }
    }
    return linked;
}
