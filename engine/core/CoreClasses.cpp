#include "engine/core/CoreClasses.h"

#include "engine/core/Class.h"
#include "engine/core/Spline.h"

// CObject is the root: no parent, and its factory is the bare-object factory itself.
static CClass s_runtimeClassCObject("CObject", sizeof(CObject), nullptr, &CObject::CreateObject);

CClass* CObject::GetStaticClass() {
    return &s_runtimeClassCObject;
}

CObject* CObject::CreateObject() {
    CObject* object = new CObject;
    object->m_pClass = &s_runtimeClassCObject;
    return object;
}

// CClass's factory makes a blank, unregistered record.
static CClass s_runtimeClassCClass("CClass", sizeof(CClass), &s_runtimeClassCObject,
                                   &CClass::CreateBlankRecord);

CClass* CClass::GetStaticClass() {
    return &s_runtimeClassCClass;
}

CObject* CClass::CreateBlankRecord() {
    CClass* record = new CClass;
    record->m_pClass = &s_runtimeClassCClass;
    return record;
}

IMPLEMENT_RUNTIME_CLASS(CSpline, CObject)

void RegisterCoreClasses() {}
