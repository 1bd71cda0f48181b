// The one place that takes events from SDL, and the test entry that feeds events into it.
#include <SDL.h>

#include <cstring>

#include "winapi/window/WinLayer.h"
#include "winapi/window/WinState_local.h"
#include "winapi/window/WindowTestHooks.h"

namespace winapi {
namespace {

void HandleWindowEvent(const SDL_WindowEvent& event) {
    detail::WindowRecord* record = detail::FindLiveWindowBySdlId(event.windowID);
    if (!record)
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        detail::PostClose(record->handle);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        detail::SetFocusWindow(record->handle);
        detail::OnFocusGained();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (detail::GetFocusWindow() == record->handle) {
            detail::SetFocusWindow(nullptr);
            // A window forced active for a test stays active whatever the display says.
            if (GetForegroundWindow() != record->handle)
                detail::OnFocusLost();
        }
        break;
    default:
        break;
    }
}

void Dispatch(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        // Also raised by Ctrl+C: it takes the close path, so the program still saves.
        for (const HWND window : detail::LiveWindows())
            detail::PostClose(window);
        break;
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
        detail::HandleInputEvent(event);
        break;
    default:
        break;
    }
}

// Injected events go to the newest window; none are pushed without one.
Uint32 TargetWindowId() {
    const detail::WindowRecord* record = detail::NewestLiveWindow();
    return record && record->sdl ? SDL_GetWindowID(record->sdl) : 0;
}

void Push(SDL_Event* event) {
    SDL_PushEvent(event);
}

void PushWindowEvent(Uint8 kind) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = TargetWindowId();
    event.window.event = kind;
    Push(&event);
}

}  // namespace

void PumpEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Dispatch(event);
}

void InjectKey(int sdlScancode, bool down, bool repeat) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = TargetWindowId();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = static_cast<SDL_Scancode>(sdlScancode);
    Push(&event);
}

void InjectText(const char* utf8) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = TargetWindowId();
    SDL_strlcpy(event.text.text, utf8 ? utf8 : "", sizeof event.text.text);
    Push(&event);
}

void InjectMouseButton(int sdlButton, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = TargetWindowId();
    event.button.button = static_cast<Uint8>(sdlButton);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    Push(&event);
}

void InjectMouseMotion(int x, int y, int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = TargetWindowId();
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    Push(&event);
}

void InjectWheel(int amount, bool flipped) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = TargetWindowId();
    event.wheel.y = amount;
    event.wheel.preciseY = static_cast<float>(amount);
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    Push(&event);
}

void InjectFocus(bool gained) {
    PushWindowEvent(gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

void InjectClose() {
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
}

void InjectQuit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    Push(&event);
}

}  // namespace winapi
