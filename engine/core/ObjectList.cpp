#include "engine/core/ObjectList.h"

CObjectList::CObjectList(int initialNodes) : m_pList(new CPointerList(initialNodes, 1)) {}

CObjectList::~CObjectList() {
    m_pList->RemoveAll();
    delete m_pList;
    m_pList = nullptr;
}
