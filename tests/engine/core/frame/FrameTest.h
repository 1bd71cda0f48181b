// The fixture of the frame's tests: a fresh game root as the working directory, the
// process-wide frame clock back at its start, and the layers' test switches off afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/engine/core/frame/TestGame.h"
#include "tests/support/GameRoot.h"

// The frame's own log lines of a start-up that got through every script and both creations.
extern const char* const kStartLog;

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static std::string LogText();
    // The timer's clock stands still at this reading until the next call.
    static void SetClockMilliseconds(int64_t milliseconds);

    GameRoot m_root;
    FrameRecord m_record;
};

// The back buffer pixel at (x, y), 0 when it cannot be read.
uint32_t BackBufferPixel(IDirect3DDevice9* device, int x, int y);
