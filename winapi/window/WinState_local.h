// The layer's shared state: its windows, the focus, and the hand-over from the event pump to
// the message queue and the input devices. Only the layer's own files include this.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "winapi/window/WinWindow.h"

namespace winapi::detail {

struct WindowRecord {
    HWND handle = nullptr;
    SDL_Window* sdl = nullptr;
    WNDPROC procedure = nullptr;
    LONG style = 0;
    LONG exStyle = 0;
    LONG_PTR userData = 0;
    std::string title;  // Windows-1252
    HICON icons[2] = {nullptr, nullptr};
    bool destroyed = false;
    int references = 1;  // the window itself, and each render device holding it
    int acquisitions = 0;  // the render devices' share of the references
};

// Starts SDL's video (once); false when it cannot start.
bool EnsureVideo();

// A window that has not been destroyed, or none.
WindowRecord* FindLiveWindow(HWND window);
WindowRecord* FindLiveWindowBySdlId(Uint32 id);
// The most recently created live window, or none.
WindowRecord* NewestLiveWindow();
std::vector<HWND> LiveWindows();

// Focus, as the events report it.
void SetFocusWindow(HWND window);
HWND GetFocusWindow();

// Message queue hand-over.
void PostClose(HWND window);
void DropMessagesFor(HWND window);

// Input hand-over, from the pump.
void HandleInputEvent(const SDL_Event& event);
// Losing the focus suspends the acquired input devices; regaining it acquires them again, so
// that input survives a focus change between two frames.
void OnFocusLost();
void OnFocusGained();

}  // namespace winapi::detail
