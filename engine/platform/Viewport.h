// The engine's game window: it pumps the window's messages, tells the main loop when the
// program should end, and hands the render and input devices the window handle.
#pragma once

#include "engine/core/Class.h"
#include "winapi/base/WinTypes.h"

class CViewport : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CViewport)

public:
    // Registers the window class, creates and shows the window; 0 when no window was made.
    virtual int Create(HINSTANCE instance, int width, int height, int bFullscreen) = 0;
    virtual int Recreate(int width, int height, int bFullscreen) = 0;
    // Restyles the window for windowed or full-screen use with a client area of width x height.
    virtual int Resize(int width, int height, int bFullscreen) = 0;
    virtual int Close() = 0;
    // Handles at most one pending message: 1 when there was one, 0 when none was waiting.
    virtual int ProcessMessages() = 0;
    virtual int IsQuitting() = 0;
    virtual int IsEnabled() = 0;
    virtual HWND GetWindowHandle() = 0;
    virtual HDC GetDC() = 0;
    virtual int SetTitle(const char* text) = 0;
    virtual int SetIcon(int resourceId) = 0;
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};
