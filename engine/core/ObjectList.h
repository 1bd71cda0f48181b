// Base of the classes that own a list of objects: it owns the list and gives them a virtual
// destructor. The subclasses delete the objects the list points to.
#pragma once

#include "engine/core/PointerList.h"

class CObjectList {
public:
    // The list starts with `initialNodes` nodes and grows one node at a time.
    explicit CObjectList(int initialNodes);
    CObjectList(const CObjectList&) = delete;
    CObjectList& operator=(const CObjectList&) = delete;
    virtual ~CObjectList();

    CPointerList* m_pList;
};
