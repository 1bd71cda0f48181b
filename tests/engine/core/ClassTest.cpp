#include "engine/core/Class.h"

#include <gtest/gtest.h>

#include "engine/core/CoreClasses.h"

// Registered by this file like a library registers its classes.
class CAbstractShape : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CAbstractShape)
public:
    virtual int Corners() const = 0;
};

class CSquare : public CAbstractShape {
    DECLARE_RUNTIME_CLASS(CSquare)
public:
    int Corners() const override { return 4; }
};

IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CAbstractShape, CObject)
IMPLEMENT_RUNTIME_CLASS(CSquare, CAbstractShape)

namespace {

class ClassTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterCoreClasses(); }
};

TEST_F(ClassTest, FindsRecordsByExactName) {
    CClass* object = CClass::FindClass("CObject");
    CClass* record = CClass::FindClass("CClass");
    ASSERT_NE(object, nullptr);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(object, CObject::GetStaticClass());
    EXPECT_EQ(object->m_pParent, nullptr);
    EXPECT_EQ(record->m_pParent, object);
    EXPECT_EQ(record->m_nObjectSize, sizeof(CClass));

    for (const char* name : {"cobject", "CObject ", "CObj", "", "Cclass"})
        EXPECT_EQ(CClass::FindClass(name), nullptr) << name;
    EXPECT_EQ(CClass::FindClass(nullptr), nullptr);
}

TEST_F(ClassTest, FactoriesSetTheClassOfWhatTheyMake) {
    CObject* object = CObject::GetStaticClass()->CreateObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->m_pClass, CObject::GetStaticClass());
    delete object;

    // CClass's own factory makes a blank record that joins no list.
    CClass* const headBefore = CClass::GetFirstClass();
    CObject* blank = CClass::FindClass("CClass")->CreateObject();
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->m_pClass, CClass::GetStaticClass());
    EXPECT_EQ(CClass::GetFirstClass(), headBefore);
    delete blank;

    CObject plain;
    EXPECT_EQ(plain.m_pClass, nullptr);
}

TEST_F(ClassTest, AbstractClassesMakeBareObjectsAndConcreteOnesMakeThemselves) {
    CObject* bare = CClass::FindClass("CAbstractShape")->CreateObject();
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->m_pClass, CObject::GetStaticClass());
    EXPECT_EQ(dynamic_cast<CAbstractShape*>(bare), nullptr);
    delete bare;

    CClass* square = CClass::FindClass("CSquare");
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->m_pParent, CAbstractShape::GetStaticClass());
    CObject* made = square->CreateObject();
    auto* shape = dynamic_cast<CSquare*>(made);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->m_pClass, square);
    EXPECT_EQ(shape->Corners(), 4);
    delete made;
}

TEST_F(ClassTest, RecordWithoutFactoryMakesNothingAndLeavesTheListOnDestruction) {
    CClass* const headBefore = CClass::GetFirstClass();
    {
        CClass record("CNoFactory", 8, CObject::GetStaticClass(), nullptr);
        EXPECT_EQ(CClass::GetFirstClass(), &record);
        EXPECT_EQ(CClass::FindClass("CNoFactory"), &record);
        EXPECT_EQ(record.CreateObject(), nullptr);
    }
    EXPECT_EQ(CClass::GetFirstClass(), headBefore);
    EXPECT_EQ(CClass::FindClass("CNoFactory"), nullptr);
    EXPECT_NE(CClass::FindClass("CObject"), nullptr);
}

TEST_F(ClassTest, LaterRegistrationShadowsAnEarlierOneOfTheSameName) {
    static CClass first("CTwice", 1, nullptr, nullptr);
    CClass second("CTwice", 2, nullptr, nullptr);
    EXPECT_EQ(CClass::FindClass("CTwice"), &second);
}

}  // namespace
