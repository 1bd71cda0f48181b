// The interface library's run-time classes, found by name once RegisterGuiClasses is
// referenced and made by their factories.
#include "engine/gui/GuiClasses.h"

#include <gtest/gtest.h>

#include "engine/gui/Dlg.h"
#include "engine/gui/ListBox.h"
#include "engine/gui/Wnd.h"
#include "tests/support/RunTimeClassTable.h"

namespace {

using enum EClassKind;

class GuiClassesTest : public ::testing::TestWithParam<RunTimeClassRow> {
protected:
    static void SetUpTestSuite() { RegisterGuiClasses(); }
};

TEST_P(GuiClassesTest, IsFoundByNameUnderItsParentAndMadeByItsFactory) {
    ExpectRegisteredAsTheRowSays(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Classes, GuiClassesTest,
                         ::testing::Values(ClassRow<CWnd>("CWnd", "CObject", kConcrete),
                                           ClassRow<CDlg>("CDlg", "CWnd", kConcrete),
                                           ClassRow<CListBox>("CListBox", "CWnd", kConcrete)),
                         RowName);

}  // namespace
