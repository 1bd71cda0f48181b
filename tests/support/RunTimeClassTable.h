// A library's run-time classes as a table: each found by its name under its parent once the
// library's registration function is referenced, and made by its factory, as an object of its
// own for a concrete class and as a bare object for an abstract one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "engine/core/Class.h"

enum class EClassKind { kConcrete, kAbstract };

struct RunTimeClassRow {
    const char* name;
    const char* parent;
    EClassKind kind;
    // What the program itself knows of the class, to hold the record against.
    const CClass* record;
    uint32_t size;
    bool (*isOfClass)(const CObject*);

    friend void PrintTo(const RunTimeClassRow& row, std::ostream* out) { *out << row.name; }
};

template <typename T>
RunTimeClassRow ClassRow(const char* name, const char* parent, EClassKind kind) {
    return {name, parent, kind, T::GetStaticClass(), static_cast<uint32_t>(sizeof(T)),
            [](const CObject* object) { return dynamic_cast<const T*>(object) != nullptr; }};
}

// The row's name as a test name.
inline std::string RowName(const ::testing::TestParamInfo<RunTimeClassRow>& info) {
    return info.param.name;
}

inline void ExpectRegisteredAsTheRowSays(const RunTimeClassRow& row) {
    const CClass* record = CClass::FindClass(row.name);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record, row.record);
    EXPECT_EQ(record->m_nObjectSize, row.size);
    ASSERT_NE(record->m_pParent, nullptr);
    EXPECT_STREQ(record->m_pParent->m_pszName, row.parent);

    std::unique_ptr<CObject> object(record->CreateObject());
    ASSERT_NE(object, nullptr);
    if (row.kind == EClassKind::kConcrete) {
        EXPECT_EQ(object->m_pClass, record);
        EXPECT_TRUE(row.isOfClass(object.get()));
    } else {
        EXPECT_EQ(object->m_pClass, CObject::GetStaticClass());
        EXPECT_FALSE(row.isOfClass(object.get()));
    }
}
