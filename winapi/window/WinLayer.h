// What the layer offers beyond the platform calls: the event pump, the SDL window behind a
// window handle for the render device, the program's embedded icons and shut-down. The
// switches and input injection that tests drive it with are in WindowTestHooks.h.
#pragma once

#include <cstdint>

#include "winapi/base/WinTypes.h"

struct SDL_Window;

namespace winapi {

// Drains SDL's events and hands each on: close and quit requests become WM_CLOSE messages,
// keys, buttons, motion and wheel go to the input devices, focus to the window state. The only
// caller of SDL_PollEvent; PeekMessageA runs it first.
void PumpEvents();

// The SDL window behind a live window, or none.
SDL_Window* GetSdlWindow(HWND window);
// Keeps a window's SDL window alive past DestroyWindow until released, for the render device;
// none when the window is not live.
SDL_Window* AcquireSdlWindow(HWND window);
void ReleaseSdlWindow(HWND window);

// An icon embedded in the program, found by LoadIconA(GetModuleHandleA(nullptr), id).
// rgba holds width x height pixels, 4 bytes each, rows from the top; the layer copies it.
void RegisterIconResource(int id, int width, int height, const uint8_t* rgba);
// The icon a window shows (ICON_SMALL or ICON_BIG), with its pixels; false when none is set.
bool GetWindowIconPixels(HWND window, WPARAM which, int* width, int* height, const uint8_t** rgba);
// Whether the system pointer is shown over the windows.
bool IsCursorVisible();
// Whether windows can be shown: false without a display, unless SDL_VIDEODRIVER names a
// driver of invisible surfaces on purpose (GetFailureReason then says why).
bool HasDisplay();
// Ends the layer's use of SDL; the program calls it last.
void ShutdownPlatform();

}  // namespace winapi
