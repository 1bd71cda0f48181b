// The typed views of the pointer-list nodes that the scene-object list and the object model walk.
#pragma once

#include "engine/core/PointerList.h"

class C3DObject;
class M3DOMObject;

inline M3DOMObject* ChildOf(const CPointerList::Node* node) {
    return static_cast<M3DOMObject*>(node->m_data);
}

inline C3DObject* ObjectOf(const CPointerList::Node* node) {
    return static_cast<C3DObject*>(node->m_data);
}
