#include "winapi/base/WinTimer.h"

#include <ctime>

#include "winapi/base/TimerTestHooks.h"

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

int64_t ReadMonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

int64_t ProcessStartNanoseconds() {
    static const int64_t start = ReadMonotonicNanoseconds();
    return start;
}

// Pins the origin while the process starts, not at the first reading.
[[maybe_unused]] const int64_t g_pinStart = ProcessStartNanoseconds();

bool g_useTestClock = false;
int64_t g_testClockNanoseconds = 0;
bool g_counterAvailable = true;

int64_t NanosecondsSinceStart() {
    if (g_useTestClock)
        return g_testClockNanoseconds;
    return ReadMonotonicNanoseconds() - ProcessStartNanoseconds();
}

}  // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency)
        return FALSE;
    if (!g_counterAvailable) {
        frequency->QuadPart = 0;
        return FALSE;
    }
    frequency->QuadPart = kNanosecondsPerSecond;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count || !g_counterAvailable)
        return FALSE;
    count->QuadPart = NanosecondsSinceStart();
    return TRUE;
}

DWORD GetTickCount() {
    return static_cast<DWORD>(NanosecondsSinceStart() / 1000000);
}

namespace winapi {

void SetTestClockNanoseconds(int64_t nanosecondsSinceStart) {
    g_useTestClock = true;
    g_testClockNanoseconds = nanosecondsSinceStart;
}

void UseRealClock() {
    g_useTestClock = false;
}

void SetPerformanceCounterAvailable(bool available) {
    g_counterAvailable = available;
}

}  // namespace winapi
