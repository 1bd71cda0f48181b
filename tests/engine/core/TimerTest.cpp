#include "engine/core/Timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "winapi/base/TimerTestHooks.h"
#include "winapi/base/WinTimer.h"

namespace {

constexpr int64_t kNanosecondsPerMillisecond = 1000000;
constexpr int64_t kNanosecondsPerSecond = 1000000000;
constexpr int64_t kNanosecondsPerDay = 86400 * kNanosecondsPerSecond;

// A reading of `milliseconds` as the clock reports it: whole milliseconds through a float.
float Seconds(uint64_t milliseconds) {
    return static_cast<float>(milliseconds) * 0.001f;
}

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        winapi::SetPerformanceCounterAvailable(true);
        winapi::SetTestClockNanoseconds(kNanosecondsPerSecond);
    }
    void TearDown() override {
        winapi::UseRealClock();
        winapi::SetPerformanceCounterAvailable(true);
    }
};

TEST_F(TimerTest, ConstructionMakesTheFirstReadingTheStart) {
    winapi::SetTestClockNanoseconds(7 * kNanosecondsPerSecond + 250 * kNanosecondsPerMillisecond);
    CTimer timer;
    EXPECT_EQ(timer.m_bHasCounter, 1);
    EXPECT_EQ(timer.m_nFrequency, kNanosecondsPerSecond);
    EXPECT_EQ(timer.m_dStart, static_cast<double>(Seconds(7250)));
    EXPECT_EQ(timer.GetElapsed(), 0.0f);
    EXPECT_FLOAT_EQ(timer.GetTime(), 7.25f);
    EXPECT_EQ(timer.GetElapsed(), 0.0f);
}

TEST_F(TimerTest, ReadingsAreWholeMillisecondsThroughSinglePrecision) {
    struct Case {
        int64_t nanoseconds;
        uint64_t milliseconds;
    };
    const Case cases[] = {
        {0, 0},
        {999999, 0},
        {1000000, 1},
        {1234500000, 1234},
        {1234999999, 1234},
        {59999999999, 59999},
    };
    CTimer timer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nanoseconds);
        winapi::SetTestClockNanoseconds(c.nanoseconds);
        const float time = timer.GetTime();
        EXPECT_EQ(time, Seconds(c.milliseconds));
        EXPECT_EQ(timer.m_dCurrent, static_cast<double>(Seconds(c.milliseconds)));
    }
    winapi::SetTestClockNanoseconds(1234500000);
    EXPECT_FLOAT_EQ(timer.GetTime(), 1.234f);
}

TEST_F(TimerTest, ReadingsWithinOneMillisecondAreEqual) {
    CTimer timer;
    winapi::SetTestClockNanoseconds(5 * kNanosecondsPerSecond + 1);
    const float first = timer.GetTime();
    winapi::SetTestClockNanoseconds(5 * kNanosecondsPerSecond + 999999);
    EXPECT_EQ(timer.GetTime(), first);
    winapi::SetTestClockNanoseconds(5 * kNanosecondsPerSecond + 1000000);
    EXPECT_GT(timer.GetTime(), first);
}

TEST_F(TimerTest, ResetMovesTheStartAndOtherReadingsDoNot) {
    CTimer timer;  // starts at 1 s
    winapi::SetTestClockNanoseconds(3 * kNanosecondsPerSecond);
    timer.Update();
    EXPECT_FLOAT_EQ(static_cast<float>(timer.m_dCurrent), 3.0f);
    EXPECT_FLOAT_EQ(timer.GetTime(), 3.0f);
    EXPECT_FLOAT_EQ(timer.GetElapsed(), 2.0f);
    EXPECT_FLOAT_EQ(timer.GetElapsed(), 2.0f);

    timer.Reset();
    EXPECT_EQ(timer.m_dStart, timer.m_dCurrent);
    EXPECT_EQ(timer.GetElapsed(), 0.0f);
    winapi::SetTestClockNanoseconds(3 * kNanosecondsPerSecond + 500 * kNanosecondsPerMillisecond);
    EXPECT_FLOAT_EQ(timer.GetElapsed(), 0.5f);
}

TEST_F(TimerTest, FallsBackToTheTickCountWithoutTheCounter) {
    winapi::SetPerformanceCounterAvailable(false);
    winapi::SetTestClockNanoseconds(1234500000);
    CTimer timer;
    EXPECT_EQ(timer.m_bHasCounter, 0);
    EXPECT_EQ(timer.GetElapsed(), 0.0f);
    EXPECT_EQ(timer.GetTime(), Seconds(1234));

    winapi::SetTestClockNanoseconds(2 * kNanosecondsPerSecond);
    EXPECT_FLOAT_EQ(timer.GetElapsed(), Seconds(2000) - Seconds(1234));

    // The tick count is 32 bits and wraps after 2^32 ms; only the fallback shows that.
    const uint64_t fiftyDays = 50ull * 86400 * 1000;
    winapi::SetTestClockNanoseconds(50 * kNanosecondsPerDay);
    EXPECT_EQ(timer.GetTime(), Seconds(fiftyDays - 4294967296ull));

    winapi::SetPerformanceCounterAvailable(true);
    CTimer withCounter;
    EXPECT_EQ(withCounter.GetTime(), Seconds(fiftyDays));
}

TEST_F(TimerTest, LargeCounterValuesDoNotOverflow) {
    // counter * 1000 would overflow 64 bits from about 107 days (signed) or 213 days (unsigned).
    struct Case {
        int64_t days;
        int64_t extraNanoseconds;
    };
    const Case cases[] = {{49, 123456789}, {200, 0}, {200, 999999999}, {300, 5}, {3650, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.days) + " days");
        const int64_t nanoseconds = c.days * kNanosecondsPerDay + c.extraNanoseconds;
        winapi::SetTestClockNanoseconds(nanoseconds);
        CTimer timer;
        const uint64_t milliseconds = static_cast<uint64_t>(nanoseconds / kNanosecondsPerMillisecond);
        EXPECT_EQ(timer.GetTime(), Seconds(milliseconds));
        EXPECT_NEAR(timer.GetTime(), static_cast<double>(c.days) * 86400.0, c.days * 86400.0 * 1e-6 + 1.0);
    }
    winapi::SetTestClockNanoseconds(200 * kNanosecondsPerDay);
    CTimer timer;
    EXPECT_EQ(timer.GetTime(), 17280000.0f);
}

TEST_F(TimerTest, ReadingsCoarsenOnceTheMillisecondCountPassesSinglePrecision) {
    // 2^24 ms is about 4.66 hours; past it a float holds only every second millisecond.
    winapi::SetTestClockNanoseconds(18000000 * kNanosecondsPerMillisecond);
    CTimer timer;
    winapi::SetTestClockNanoseconds(18000001 * kNanosecondsPerMillisecond);
    EXPECT_EQ(timer.GetElapsed(), 0.0f);
    winapi::SetTestClockNanoseconds(18000002 * kNanosecondsPerMillisecond);
    EXPECT_GT(timer.GetElapsed(), 0.0f);

    // Below 2^24 ms every millisecond is its own reading.
    winapi::SetTestClockNanoseconds(16000000 * kNanosecondsPerMillisecond);
    timer.Reset();
    winapi::SetTestClockNanoseconds(16000001 * kNanosecondsPerMillisecond);
    EXPECT_GT(timer.GetElapsed(), 0.0f);
}

}  // namespace
