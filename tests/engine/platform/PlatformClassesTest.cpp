// The platform library's run-time classes, found by name once RegisterPlatformClasses is
// referenced and made by their factories.
#include "engine/platform/PlatformClasses.h"

#include <gtest/gtest.h>

#include "engine/core/CoreClasses.h"
#include "engine/platform/InputDevice.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/Viewport.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/RunTimeClassTable.h"

namespace {

using enum EClassKind;

class PlatformClassesTest : public ::testing::TestWithParam<RunTimeClassRow> {
protected:
    static void SetUpTestSuite() {
        RegisterCoreClasses();
        RegisterPlatformClasses();
    }
};

TEST_P(PlatformClassesTest, IsFoundByNameUnderItsParentAndMadeByItsFactory) {
    ExpectRegisteredAsTheRowSays(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Classes, PlatformClassesTest,
                         ::testing::Values(ClassRow<CViewport>("CViewport", "CObject", kAbstract),
                                           ClassRow<CViewportWin32>("CViewportWin32", "CViewport", kConcrete),
                                           ClassRow<CInputDevice>("CInputDevice", "CObject", kAbstract),
                                           ClassRow<CInputDeviceDX>("CInputDeviceDX", "CInputDevice", kConcrete)),
                         RowName);

}  // namespace
