// Test switches of the clock. Production code never includes this header.
#pragma once

#include <cstdint>

namespace winapi {

// The clock reads the given time instead of the real one until UseRealClock, and the
// performance counter can be made unavailable to exercise the tick-count fallback.
void SetTestClockNanoseconds(int64_t nanosecondsSinceStart);
void UseRealClock();
void SetPerformanceCounterAvailable(bool available);

}  // namespace winapi
