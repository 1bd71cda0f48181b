// Run-time class records: a name, an instance size, the parent record and a factory, kept in
// one process-wide list so that objects can be created from a class name held in text.
#pragma once

#include <cstdint>

#include "engine/core/Object.h"

class CClass : public CObject {
public:
    typedef CObject* (*FactoryFunction)();

    // A blank record that is not registered; what CClass's own factory makes.
    CClass() = default;
    // Copies the name and pushes the record onto the front of the registration list.
    CClass(const char* name, uint32_t objectSize, CClass* parent, FactoryFunction factory);
    ~CClass() override;

    static CClass* GetStaticClass();
    static CObject* CreateBlankRecord();

    // The most recently registered record whose name equals `name` exactly, or none.
    static CClass* FindClass(const char* name);
    static CClass* GetFirstClass() { return s_pFirstClass; }

    // A new object from the factory with its class set; none without a factory.
    CObject* CreateObject() const;

    CClass* m_pNext = nullptr;
    CClass* m_pParent = nullptr;
    char* m_pszName = nullptr;
    uint32_t m_nObjectSize = 0;
    FactoryFunction m_pfnFactory = nullptr;

private:
    static CClass* s_pFirstClass;
};

// Class declarations use DECLARE_RUNTIME_CLASS; each library defines its records in one
// source file with IMPLEMENT_RUNTIME_CLASS (a factory making the class) or
// IMPLEMENT_ABSTRACT_RUNTIME_CLASS (the shared bare-object factory), so that a program finds
// every class of a library by name once it references that file's registration function.
#define DECLARE_RUNTIME_CLASS(ClassName) \
public:                                  \
    static CClass* GetStaticClass();     \
    static CObject* CreateObject();

#define DECLARE_ABSTRACT_RUNTIME_CLASS(ClassName) \
public:                                           \
    static CClass* GetStaticClass();

#define IMPLEMENT_RUNTIME_CLASS(ClassName, ParentName)                                          \
    static CClass s_runtimeClass##ClassName(#ClassName, sizeof(ClassName),                      \
                                            ParentName::GetStaticClass(), &ClassName::CreateObject); \
    CClass* ClassName::GetStaticClass() { return &s_runtimeClass##ClassName; }                  \
    CObject* ClassName::CreateObject() {                                                        \
        ClassName* object = new ClassName;                                                      \
        object->m_pClass = &s_runtimeClass##ClassName;                                          \
        return object;                                                                          \
    }

#define IMPLEMENT_ABSTRACT_RUNTIME_CLASS(ClassName, ParentName)                                \
    static CClass s_runtimeClass##ClassName(#ClassName, sizeof(ClassName),                     \
                                            ParentName::GetStaticClass(), &CObject::CreateObject); \
    CClass* ClassName::GetStaticClass() { return &s_runtimeClass##ClassName; }
