// Switches and input injection that tests drive the window layer and the input devices with.
// Production code never includes this header.
#pragma once

#include "winapi/base/WinTypes.h"

namespace winapi {

// The active window follows the focus (-1), or is forced to none (0) or to the most
// recently created live window (1).
void ForceActiveWindow(int mode);
// Every live window answers IsWindowEnabled as it is (-1), disabled (0) or enabled (1); a
// handle that is no live window answers 0 whatever the switch.
void ForceWindowEnabled(int state);
// What the system reports for its mouse-button swap setting.
void SetSwapMouseButtons(int swapped);

// Events pushed through the same path as SDL's own, for the most recently created
// live window. Keys are SDL scancodes; buttons SDL button numbers; text is UTF-8.
void InjectKey(int sdlScancode, bool down, bool repeat = false);
void InjectText(const char* utf8);
void InjectMouseButton(int sdlButton, bool down);
void InjectMouseMotion(int x, int y, int dx, int dy);
void InjectWheel(int amount, bool flipped = false);
void InjectFocus(bool gained);
void InjectClose();
void InjectQuit();

// Makes one step of setting up or reading the input devices fail.
enum class EInputStep {
    kLoadLibrary,
    kGetProcAddress,
    kCreateInterface,
    kKeyboardStatus,
    kKeyboardCreate,
    kKeyboardDataFormat,
    kKeyboardCooperativeLevel,
    kKeyboardBufferSize,
    kMouseStatus,
    kMouseCreate,
    kMouseDataFormat,
    kMouseCooperativeLevel,
    kMouseBufferSize,
    kKeyboardData,
    kKeyboardState,
    kMouseData,
    kMouseState,
    kCount,
};
void SetInputFailure(EInputStep step, bool fail);
void ClearInputFailures();

}  // namespace winapi
