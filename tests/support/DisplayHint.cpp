// Compiled into every test program: a test that fails after the platform layer found no
// display to open a window on says that it needs one, so that a run outside Xvfb (a bare
// ctest) is not taken for a fault. The layer keeps the reason of its first failure since the
// last clear; it is cleared as each test starts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "winapi/base/FailureReason.h"

namespace {

class DisplayHint : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { winapi::ClearFailureReason(); }

    void OnTestEnd(const ::testing::TestInfo& test) override {
        const char* reason = winapi::GetFailureReason();
        if (!test.result()->Failed() || strncmp(reason, "no display", strlen("no display")) != 0)
            return;
        printf("%s.%s needs a display (run it under xvfb-run): %s\n", test.test_suite_name(), test.name(), reason);
        fflush(stdout);
    }
};

const bool g_appended = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new DisplayHint);
    return true;
}();

}  // namespace
