#include "winapi/base/TimerTestHooks.h"
#include "winapi/base/WinTimer.h"

#include <gtest/gtest.h>

namespace {

class WinTimerTest : public ::testing::Test {
protected:
    void TearDown() override {
        winapi::UseRealClock();
        winapi::SetPerformanceCounterAvailable(true);
    }
};

TEST_F(WinTimerTest, CounterRunsInNanosecondsFromProcessStart) {
    LARGE_INTEGER frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000);

    LARGE_INTEGER first;
    LARGE_INTEGER second;
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    ASSERT_TRUE(QueryPerformanceCounter(&second));
    EXPECT_GE(first.QuadPart, 0);
    EXPECT_GE(second.QuadPart, first.QuadPart);
    // A test program starts well within a minute of its first reading.
    EXPECT_LT(first.QuadPart, 60LL * 1000000000);
}

TEST_F(WinTimerTest, TestClockDrivesCounterAndTickCount) {
    winapi::SetTestClockNanoseconds(5 * 1000000000LL + 999999);
    LARGE_INTEGER counter;
    ASSERT_TRUE(QueryPerformanceCounter(&counter));
    EXPECT_EQ(counter.QuadPart, 5 * 1000000000LL + 999999);
    EXPECT_EQ(GetTickCount(), 5000u);

    // 50 days of ticks wrap the 32-bit millisecond count.
    winapi::SetTestClockNanoseconds(50LL * 24 * 3600 * 1000 * 1000000);
    EXPECT_EQ(GetTickCount(), static_cast<DWORD>(50ULL * 24 * 3600 * 1000));
}

TEST_F(WinTimerTest, SwitchedOffCounterReportsFailure) {
    winapi::SetPerformanceCounterAvailable(false);
    LARGE_INTEGER value;
    EXPECT_FALSE(QueryPerformanceFrequency(&value));
    EXPECT_FALSE(QueryPerformanceCounter(&value));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}

}  // namespace
