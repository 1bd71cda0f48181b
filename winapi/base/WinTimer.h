// The high-resolution counter and the millisecond tick count, over the monotonic clock.
// Both count from process start, so that the engine's float conversions keep millisecond
// resolution for hours.
#pragma once

#include "winapi/base/WinTypes.h"

// Counts per second of the performance counter (nanoseconds here). FALSE when the counter
// is switched off for a test.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// The performance counter: nanoseconds since process start.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
// Milliseconds since process start, wrapping after 49.7 days.
DWORD GetTickCount();
