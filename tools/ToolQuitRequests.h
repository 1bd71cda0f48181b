// The scripter takes a stray top-level token of an object-model text for the end of the game
// and posts a quit request, as the game would have it; the tools that read such texts take
// the requests back and say so where it matters.
#pragma once

#include "winapi/window/WinWindow.h"

// Takes back every quit request posted so far: true with the first one's code when there was
// one.
inline bool TakeQuitRequests(int* code) {
    MSG quit{};
    if (!PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return false;
    *code = static_cast<int>(quit.wParam);
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return true;
}
