// Keyboard and mouse events from the pump: the layer's own key, button and pointer state,
// the records for the input devices, and the characters paired with key presses.
#include <SDL.h>

#include <cstring>
#include <deque>

#include "winapi/base/Cp1252.h"
#include "winapi/window/DInput_local.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinState_local.h"

namespace winapi::detail {
namespace {

struct DeliveredKey {
    DWORD keyCode;
    BYTE characters[2];
    int count;
};

struct InputState {
    BYTE keys[256] = {};
    BYTE buttons[4] = {};
    HWND pointerWindow = nullptr;
    int pointerX = 0;
    int pointerY = 0;
    // The key-down record waiting for the text event that follows it.
    DWORD keyDownAwaitingText = 0;
    // SDL's repeats are dropped, and so is the text event each one brings.
    bool dropNextText = false;
    std::deque<DeliveredKey> delivered;
};

InputState& Input() {
    static InputState state;
    return state;
}

// SDL's left, middle, right, X1 are the devices' buttons 0, 2, 1, 3.
int ButtonIndex(Uint8 sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    case SDL_BUTTON_X1:
        return 3;
    default:
        return -1;
    }
}

void HandleKey(const SDL_KeyboardEvent& event, bool down) {
    InputState& state = Input();
    if (down && event.repeat) {
        state.dropNextText = true;
        return;
    }
    state.dropNextText = false;
    state.keyDownAwaitingText = 0;
    const int keyCode = ScanCodeFromSdl(event.keysym.scancode);
    if (keyCode == 0)
        return;
    state.keys[keyCode] = down ? 0x80 : 0;
    const DWORD sequence = AppendKeyboardRecord(static_cast<DWORD>(keyCode), down ? 0x80 : 0, event.timestamp);
    if (down)
        state.keyDownAwaitingText = sequence;
}

void HandleText(const SDL_TextInputEvent& event) {
    InputState& state = Input();
    const DWORD sequence = state.keyDownAwaitingText;
    state.keyDownAwaitingText = 0;
    if (state.dropNextText) {
        state.dropNextText = false;
        return;
    }
    const std::string characters = Utf8ToCp1252(event.text);
    if (sequence && !characters.empty())
        AttachCharacters(sequence, characters);
}

void HandleMotion(const SDL_MouseMotionEvent& event) {
    InputState& state = Input();
    const WindowRecord* window = FindLiveWindowBySdlId(event.windowID);
    state.pointerWindow = window ? window->handle : nullptr;
    state.pointerX = event.x;
    state.pointerY = event.y;
    // One motion on both axes is two records, x first.
    if (event.xrel)
        AppendMouseRecord(DIMOFS_X, static_cast<DWORD>(event.xrel), event.timestamp);
    if (event.yrel)
        AppendMouseRecord(DIMOFS_Y, static_cast<DWORD>(event.yrel), event.timestamp);
    AccumulateMouse(event.xrel, event.yrel, 0);
}

void HandleButton(const SDL_MouseButtonEvent& event, bool down) {
    const int button = ButtonIndex(event.button);
    if (button < 0)
        return;
    Input().buttons[button] = down ? 0x80 : 0;
    AppendMouseRecord(DIMOFS_BUTTON0 + static_cast<DWORD>(button), down ? 0x80 : 0, event.timestamp);
}

void HandleWheel(const SDL_MouseWheelEvent& event) {
    LONG amount = event.y * 120;
    if (event.direction == SDL_MOUSEWHEEL_FLIPPED)
        amount = -amount;
    if (amount == 0)
        return;
    AppendMouseRecord(DIMOFS_Z, static_cast<DWORD>(amount), event.timestamp);
    AccumulateMouse(0, 0, amount);
}

}  // namespace

void HandleInputEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        return HandleKey(event.key, true);
    case SDL_KEYUP:
        return HandleKey(event.key, false);
    case SDL_TEXTINPUT:
        return HandleText(event.text);
    case SDL_MOUSEMOTION:
        return HandleMotion(event.motion);
    case SDL_MOUSEBUTTONDOWN:
        return HandleButton(event.button, true);
    case SDL_MOUSEBUTTONUP:
        return HandleButton(event.button, false);
    case SDL_MOUSEWHEEL:
        return HandleWheel(event.wheel);
    default:
        return;
    }
}

void OnFocusGained() {
    ResumeSuspendedDevices();
}

void OnFocusLost() {
    InputState& state = Input();
    SuspendAcquiredDevices();
    memset(state.keys, 0, sizeof state.keys);
    memset(state.buttons, 0, sizeof state.buttons);
    state.keyDownAwaitingText = 0;
}

BYTE* KeyStates() {
    return Input().keys;
}

BYTE* ButtonStates() {
    return Input().buttons;
}

void ClearDeliveredCharacters() {
    Input().delivered.clear();
}

void AddDeliveredCharacters(DWORD keyCode, const BYTE* characters, int count) {
    Input().delivered.push_back(DeliveredKey{keyCode, {characters[0], characters[1]}, count});
}

}  // namespace winapi::detail

namespace {

bool WindowPosition(HWND window, int* x, int* y) {
    SDL_Window* sdl = winapi::GetSdlWindow(window);
    if (!sdl)
        return false;
    SDL_GetWindowPosition(sdl, x, y);
    return true;
}

}  // namespace

BOOL GetCursorPos(POINT* point) {
    if (!point)
        return FALSE;
    const auto& state = winapi::detail::Input();
    int x = 0;
    int y = 0;
    WindowPosition(state.pointerWindow, &x, &y);
    *point = POINT{x + state.pointerX, y + state.pointerY};
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    int x = 0;
    int y = 0;
    if (!point || !WindowPosition(window, &x, &y))
        return FALSE;
    point->x -= x;
    point->y -= y;
    return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
                   point.y < rect->bottom
               ? TRUE
               : FALSE;
}

HKL GetKeyboardLayout(DWORD /*thread*/) {
    return reinterpret_cast<HKL>(static_cast<uintptr_t>(0x0409));
}

BOOL GetKeyboardState(BYTE* state) {
    if (!state)
        return FALSE;
    memset(state, 0, 256);
    return TRUE;
}

UINT MapVirtualKeyExA(UINT code, UINT mapType, HKL /*layout*/) {
    // The layer's virtual keys are the scan codes themselves.
    return mapType == MAPVK_VSC_TO_VK ? code : 0;
}

int ToAsciiEx(UINT /*virtualKey*/, UINT scanCode, const BYTE* /*keyState*/, WORD* chars, UINT /*flags*/,
              HKL /*layout*/) {
    auto& delivered = winapi::detail::Input().delivered;
    while (!delivered.empty()) {
        const winapi::detail::DeliveredKey key = delivered.front();
        delivered.pop_front();
        if (key.keyCode != scanCode)
            continue;
        if (chars && key.count > 0)
            *chars = static_cast<WORD>(key.characters[0] | (key.count > 1 ? key.characters[1] << 8 : 0));
        return key.count;
    }
    return 0;
}
