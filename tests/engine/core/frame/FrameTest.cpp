#include "tests/engine/core/frame/FrameTest.h"

#include <vector>

#include "tests/support/FrameReset.h"
#include "winapi/base/TimerTestHooks.h"
#include "winapi/base/WinTimer.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/DInput.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

const char* const kStartLog =
    "CBaseGame::Init - Start\n"
    "\tLoading System-Init-Script .. \tOk\n"
    "\tLoading 3D-Init-Script ..\tOk\n"
    "\tLoading System-Sound-Script .. \tOk\n"
    "\tCreating Viewport .. \tOk\n"
    "\tCreating Devices .. \tOk\n";

void FrameTest::SetUp() {
    ResetFrameState();
}

void FrameTest::TearDown() {
    winapi::d3d::ClearFailures();
    winapi::ClearInputFailures();
    winapi::UseRealClock();
    winapi::ForceActiveWindow(-1);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

std::string FrameTest::LogText() {
    return ReadText(kLogFile);
}

void FrameTest::SetClockMilliseconds(int64_t milliseconds) {
    winapi::SetTestClockNanoseconds(milliseconds * 1000000);
}

uint32_t BackBufferPixel(IDirect3DDevice9* device, int x, int y) {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    if (!winapi::d3d::ReadBackBuffer(device, &pixels, &width, &height) || x >= width || y >= height)
        return 0;
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}
