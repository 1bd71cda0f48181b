#include "engine/core/Timer.h"

#include "winapi/base/WinTimer.h"

CTimer::CTimer() {
    LARGE_INTEGER frequency;
    m_bHasCounter = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0;
    m_nFrequency = m_bHasCounter ? frequency.QuadPart : 0;
    Reset();
}

void CTimer::Update() {
    LARGE_INTEGER counter;
    if (m_bHasCounter && QueryPerformanceCounter(&counter)) {
        // Whole milliseconds, split so that counter * 1000 can never overflow.
        const uint64_t ticks = static_cast<uint64_t>(counter.QuadPart);
        const uint64_t frequency = static_cast<uint64_t>(m_nFrequency);
        const uint64_t milliseconds = ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
        m_dCurrent = static_cast<float>(milliseconds) * 0.001f;
    } else {
        m_dCurrent = static_cast<float>(GetTickCount()) * 0.001f;
    }
}

void CTimer::Reset() {
    Update();
    m_dStart = m_dCurrent;
}

float CTimer::GetTime() {
    Update();
    return static_cast<float>(m_dCurrent);
}

float CTimer::GetElapsed() {
    Update();
    return static_cast<float>(m_dCurrent - m_dStart);
}
