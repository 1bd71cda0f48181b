// Windows, window classes, the message queue, cursors, icons and the few system queries the
// engine makes, in the shapes it calls them. Windows are SDL windows with an OpenGL visual;
// the client area is the whole SDL window, so there is no frame to account for.
#pragma once

#include "winapi/base/WinTypes.h"

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

#define MAKEINTRESOURCEA(id) (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(id))))

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

// Messages.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_GETICON = 0x007F;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_FRAMECHANGED = 0x0020;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

constexpr int BLACK_BRUSH = 4;
constexpr int SM_SWAPBUTTON = 23;
constexpr UINT MAPVK_VSC_TO_VK = 1;
#define IDC_ARROW MAKEINTRESOURCEA(32512)

// Window classes and windows.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowEnabled(HWND window);
BOOL ShowWindow(HWND window, int command);
LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
// Titles are Windows-1252 text.
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, char* text, int capacity);
// The frame of a style: none here, the window manager draws decorations outside the client.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL GetClientRect(HWND window, RECT* rect);
// The window's rectangle on the screen.
BOOL GetWindowRect(HWND window, RECT* rect);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HWND GetForegroundWindow();
HWND GetActiveWindow();

// The message queue. PeekMessageA first drains the system's events. Only a peek with no
// window takes the quit request.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Cursors and icons. Icons come from the program's own embedded resources.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
BOOL GetCursorPos(POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL PtInRect(const RECT* rect, POINT point);
HGDIOBJ GetStockObject(int object);

// Modules: the program itself and the libraries the layer links in by name.
HMODULE GetModuleHandleA(LPCSTR name);
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

int GetSystemMetrics(int index);

// The keyboard layout: the character a key produced comes from the text the system paired
// with that key press.
HKL GetKeyboardLayout(DWORD thread);
BOOL GetKeyboardState(BYTE* state);
UINT MapVirtualKeyExA(UINT code, UINT mapType, HKL layout);
int ToAsciiEx(UINT virtualKey, UINT scanCode, const BYTE* keyState, WORD* chars, UINT flags, HKL layout);
