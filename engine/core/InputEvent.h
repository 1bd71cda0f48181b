// One queued input event: its type (0 key down, 1 key up, 2 character, 3 button down,
// 4 button up, 5 double click, 6 and 7 mouse x and y movement, 8 wheel) and its key,
// character, button or value.
#pragma once

#include <cstdint>

struct CInputEvent {
    int32_t m_nType;
    int32_t m_nParam;
};
