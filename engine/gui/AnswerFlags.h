// The buttons of a message or input box as a bit set, and the mark that tells a box's answer
// (the pressed button's flag with the high bit set, negative as a signed code) from the
// ordinary notification codes.
#pragma once

#include <cstdint>

enum EAnswerFlags : uint32_t {
    kAnswerYes = 2,
    kAnswerNo = 4,
    kAnswerOK = 8,
    kAnswerCancel = 16,
    kAnswerAll = kAnswerYes | kAnswerNo | kAnswerOK | kAnswerCancel,
};

constexpr uint32_t kAnswerMark = 0x80000000u;
