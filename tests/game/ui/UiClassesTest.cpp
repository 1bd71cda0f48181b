// Every class of the game's interface is found by name and made by its factory, hidden and
// with the flags its kind starts with.
#include "game/ui/UiClasses.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "engine/core/Class.h"
#include "engine/gui/GuiClasses.h"
#include "engine/gui/Wnd.h"
#include "game/ui/WndDesktop.h"
#include "tests/support/GuiTestGame.h"

namespace {

struct ShellClass {
    const char* name;
    const char* parent;
    uint32_t flags;

    friend void PrintTo(const ShellClass& shell, std::ostream* out) { *out << shell.name; }
};

// Draggable, keeping their child order, focusable; the game dialogs modal too.
constexpr uint32_t kSkin = 0x15;
constexpr uint32_t kGameDialog = 0x35;

const ShellClass kShells[] = {
    {"CWndDesktop", "CWnd", 0},
    {"CDlgSkinWood", "CDlg", kSkin},
    {"CDlgOptionMenu", "CDlgSkinWood", kGameDialog},
    {"CDlgCreditsMenu", "CDlgSkinWood", kGameDialog},
    {"CDlgMemoBox", "CDlgSkinWood", kGameDialog},
    {"CDlgLevelProperty", "CDlgSkinWood", kGameDialog},
    {"CDlgLevelDone", "CDlgSkinWood", kGameDialog},
    {"CDlgFileOpen", "CDlgSkinWood", kGameDialog},
    {"CDlgStartLevel", "CDlgSkinWood", kGameDialog},
    {"CDlgChooseLevel", "CDlgSkinWood", kGameDialog},
    {"CDlgLabChoose", "CDlgSkinWood", kGameDialog},
    {"CDlgLabChooseEnhanced", "CDlgSkinWood", kGameDialog},
    {"CDlgMessageBox", "CDlgSkinWood", kGameDialog},
    {"CDlgInputBox", "CDlgSkinWood", kGameDialog},
};

class UiClassesTest : public ::testing::TestWithParam<ShellClass> {
protected:
    static void SetUpTestSuite() {
        RegisterGuiClasses();
        RegisterUiClasses();
    }
};

TEST_P(UiClassesTest, IsMadeByNameHiddenWithTheFlagsOfItsKind) {
    const ShellClass& shell = GetParam();
    const CClass* type = CClass::FindClass(shell.name);
    ASSERT_NE(type, nullptr);
    ASSERT_NE(type->m_pParent, nullptr);
    EXPECT_STREQ(type->m_pParent->m_pszName, shell.parent);

    std::unique_ptr<CObject> object(type->CreateObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->m_pClass, type);
    auto* window = dynamic_cast<CWnd*>(object.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_nFlags, shell.flags);
    EXPECT_FALSE(window->m_nFlags & CWnd::kVisible);
    EXPECT_EQ(window->m_pGame, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Shells, UiClassesTest, ::testing::ValuesIn(kShells),
                         [](const ::testing::TestParamInfo<ShellClass>& info) { return info.param.name; });

TEST(WndDesktopTest, StartsWithNoOpenBoxes) {
    const CWndDesktop desktop;
    EXPECT_EQ(desktop.m_nMessageBoxID, 0);
    EXPECT_EQ(desktop.m_nInputBoxID, 0);
}

}  // namespace
