// The frame clock in seconds, read from the high-resolution counter, or from the tick count
// where there is none. Readings have millisecond steps and pass through single precision.
#pragma once

#include <cstdint>

class CTimer {
public:
    CTimer();
    virtual ~CTimer() = default;

    void Update();
    // The start becomes the current reading.
    void Reset();
    float GetTime();
    // Seconds since construction or the last Reset.
    float GetElapsed();

    double m_dCurrent = 0.0;
    double m_dStart = 0.0;
    int32_t m_bHasCounter = 0;
    int64_t m_nFrequency = 0;
};
