// Root of the engine's run-time classes: a virtual destructor and the object's class record,
// which the class's factory sets (objects constructed directly keep none).
#pragma once

class CClass;

class CObject {
public:
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
    virtual ~CObject() = default;

    static CClass* GetStaticClass();
    // The factory the abstract classes share: a bare CObject whose class is CObject's record.
    static CObject* CreateObject();

    CClass* m_pClass = nullptr;
};
