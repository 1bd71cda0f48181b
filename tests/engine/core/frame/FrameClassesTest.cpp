// A program that uses nothing of the frame but its registration still finds the frame's
// class by name: registering is what brings the record in.
#include <gtest/gtest.h>

#include "engine/core/Class.h"
#include "engine/core/CoreClasses.h"
#include "engine/core/frame/FrameClasses.h"

TEST(FrameClassesTest, RegisteringMakesTheAbstractFrameKnownByName) {
    RegisterCoreClasses();
    RegisterFrameClasses();
    CClass* record = CClass::FindClass("CBaseGame");
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->m_pszName, "CBaseGame");
    EXPECT_EQ(record->m_pParent, CClass::FindClass("CObject"));
    // Abstract: its factory makes bare objects.
    EXPECT_EQ(record->m_pfnFactory, &CObject::CreateObject);
}
