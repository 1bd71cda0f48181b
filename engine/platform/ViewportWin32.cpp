#include "engine/platform/ViewportWin32.h"

#include "winapi/window/WinWindow.h"

namespace {

const char kWindowClassName[] = "WndClassName";

constexpr DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

CViewportWin32::~CViewportWin32() {
    Close();
}

int CViewportWin32::Create(HINSTANCE instance, int width, int height, int bFullscreen) {
    m_hInstance = instance;
    const DWORD style = bFullscreen ? WS_POPUP : kWindowedStyle;
    const DWORD exStyle = bFullscreen ? WS_EX_APPWINDOW | WS_EX_TOPMOST : WS_EX_APPWINDOW;

    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = &CViewportWin32::StaticWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when the class exists, as on Recreate

    m_hWnd = CreateWindowExA(exStyle, kWindowClassName, "", style, 0, 0, width, height, nullptr, nullptr,
                             instance, nullptr);
    if (!m_hWnd)
        return 0;
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(m_hWnd, SW_SHOW);

    SetTitle(m_sTitle.GetText());
    m_bQuitting = 0;
    return Resize(width, height, bFullscreen);
}

int CViewportWin32::Recreate(int width, int height, int bFullscreen) {
    Close();
    return Create(m_hInstance, width, height, bFullscreen);
}

int CViewportWin32::Resize(int width, int height, int bFullscreen) {
    if (!m_hWnd)
        return 0;
    RECT rect{0, 0, width, height};
    DWORD style = static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE));
    DWORD exStyle;
    if (bFullscreen) {
        style &= ~WS_CAPTION;
        style |= WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
        exStyle = 0;
    } else {
        style &= ~(WS_POPUP | kWindowedStyle);
        style |= kWindowedStyle;
        exStyle = WS_EX_APPWINDOW;
    }
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(exStyle));
    SetWindowPos(m_hWnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
    return 1;
}

int CViewportWin32::Close() {
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    m_bQuitting = 1;
    return 1;
}

int CViewportWin32::ProcessMessages() {
    MSG message;
    if (!PeekMessageA(&message, m_hWnd, 0, 0, PM_REMOVE))
        return 0;
    if (message.message == WM_QUIT)
        m_bQuitting = 1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return 1;
}

int CViewportWin32::IsEnabled() {
    return m_hWnd && IsWindowEnabled(m_hWnd) ? 1 : 0;
}

HDC CViewportWin32::GetDC() {
    return ::GetDC(m_hWnd);
}

int CViewportWin32::SetTitle(const char* text) {
    if (!text)
        return 0;
    // The text may be our own title: the string copes with assigning from itself.
    m_sTitle = text;
    if (m_hWnd)
        SetWindowTextA(m_hWnd, m_sTitle.GetText());
    return 1;
}

int CViewportWin32::SetIcon(int resourceId) {
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return 1;
}

LRESULT CViewportWin32::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // The window stays until Close; the main loop ends after this frame.
        PostQuitMessage(1);
        m_bQuitting = 1;
        return 0;
    case WM_ERASEBKGND:
    case WM_SETCURSOR:
        return 1;
    case WM_CHAR:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CViewportWin32::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* viewport = reinterpret_cast<CViewportWin32*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!viewport)
        return DefWindowProcA(window, message, wParam, lParam);
    return viewport->WindowProc(window, message, wParam, lParam);
}
