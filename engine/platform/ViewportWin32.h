// The game window as a platform window of class "WndClassName", windowed with a caption or
// full screen as a popup.
#pragma once

#include "engine/core/DynString.h"
#include "engine/platform/Viewport.h"

class CViewportWin32 : public CViewport {
    DECLARE_RUNTIME_CLASS(CViewportWin32)

public:
    CViewportWin32() = default;
    ~CViewportWin32() override;

    int Create(HINSTANCE instance, int width, int height, int bFullscreen) override;
    int Recreate(int width, int height, int bFullscreen) override;
    int Resize(int width, int height, int bFullscreen) override;
    int Close() override;
    int ProcessMessages() override;
    int IsQuitting() override { return m_bQuitting; }
    int IsEnabled() override;
    HWND GetWindowHandle() override { return m_hWnd; }
    HDC GetDC() override;
    // 0 for no text; otherwise keeps a copy and shows it.
    int SetTitle(const char* text) override;
    int SetIcon(int resourceId) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND m_hWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    int m_bQuitting = 0;
    CDynString m_sTitle;

private:
    static LRESULT StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
