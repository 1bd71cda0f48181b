// Window classes and windows over SDL: every window is an OpenGL window whose client area is
// the whole SDL window. Handles are numbers, so a stale handle finds nothing.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "winapi/base/Cp1252.h"
#include "winapi/base/FailureReason.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinState_local.h"
#include "winapi/window/WindowTestHooks.h"

namespace winapi::detail {
namespace {

struct ClassRecord {
    WNDCLASSA windowClass;
    std::string name;
};

struct IconRecord {
    int width;
    int height;
    std::vector<uint8_t> rgba;
};

struct LayerState {
    std::map<std::string, ClassRecord> classes;
    std::vector<std::unique_ptr<WindowRecord>> windows;
    uintptr_t nextHandle = 1;
    HWND focus = nullptr;
    int forcedActive = -1;
    int forcedEnabled = -1;
    bool videoStarted = false;
    std::map<int, IconRecord> icons;
    HCURSOR cursor = nullptr;
    SDL_Cursor* arrow = nullptr;
    int swapButtons = 0;
};

LayerState& State() {
    static LayerState state;
    return state;
}

// Handles of the layer's own objects: the program module, the arrow cursor, the stock
// brush, the keyboard layout and the icons (by resource id).
HMODULE ProgramModule() {
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
}
HCURSOR ArrowCursor() {
    return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(32512));
}
constexpr uintptr_t kIconHandleBase = 0x10000;
HICON IconHandle(int id) {
    return reinterpret_cast<HICON>(kIconHandleBase + static_cast<uintptr_t>(id));
}
const IconRecord* FindIcon(HICON icon) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(icon);
    if (value <= kIconHandleBase)
        return nullptr;
    const auto found = State().icons.find(static_cast<int>(value - kIconHandleBase));
    return found == State().icons.end() ? nullptr : &found->second;
}

WindowRecord* FindAnyWindow(HWND window) {
    for (const auto& record : State().windows) {
        if (record->handle == window)
            return record.get();
    }
    return nullptr;
}

void ReleaseReference(WindowRecord* record) {
    if (--record->references > 0)
        return;
    if (record->sdl)
        SDL_DestroyWindow(record->sdl);
    auto& windows = State().windows;
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [record](const auto& owned) { return owned.get() == record; }),
                  windows.end());
}

// Popup windows are borderless; captioned ones get the window manager's frame.
void ApplyStyle(WindowRecord* record) {
    if (!record->sdl)
        return;
    SDL_SetWindowBordered(record->sdl, (record->style & WS_CAPTION) == WS_CAPTION ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(record->sdl, (record->exStyle & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
}

void ApplyIcon(WindowRecord* record, HICON icon) {
    const IconRecord* image = FindIcon(icon);
    if (!record->sdl || !image)
        return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(image->rgba.data()), image->width, image->height, 32, image->width * 4,
        SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return;
    SDL_SetWindowIcon(record->sdl, surface);
    SDL_FreeSurface(surface);
}

}  // namespace

bool EnsureVideo() {
    LayerState& state = State();
    if (state.videoStarted)
        return true;
    // The windows are the game's own: focus loss must not minimise them.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // A busy X server can turn a connection away for a moment (seen under heavy load): a
    // display that is named but not reached is tried again a few times before it counts as
    // none.
    constexpr int kAttempts = 4;
    constexpr Uint32 kPauseMilliseconds = 250;
    for (int attempt = 1;; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            winapi::SetFailureReason("no display (%s)", SDL_GetError());
            return false;
        }
        // Without a display SDL falls back to surfaces nobody sees; only a caller that names
        // a video driver itself gets one.
        const char* driver = SDL_GetCurrentVideoDriver();
        const bool invisible = driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
        if (!invisible || SDL_getenv("SDL_VIDEODRIVER"))
            break;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (attempt == kAttempts || !SDL_getenv("DISPLAY")) {
            winapi::SetFailureReason("no display");
            return false;
        }
        SDL_Delay(kPauseMilliseconds);
    }
    state.videoStarted = true;
    return true;
}

WindowRecord* FindLiveWindow(HWND window) {
    WindowRecord* record = window ? FindAnyWindow(window) : nullptr;
    return record && !record->destroyed ? record : nullptr;
}

WindowRecord* FindLiveWindowBySdlId(Uint32 id) {
    for (const auto& record : State().windows) {
        if (!record->destroyed && record->sdl && SDL_GetWindowID(record->sdl) == id)
            return record.get();
    }
    return nullptr;
}

WindowRecord* NewestLiveWindow() {
    auto& windows = State().windows;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!(*it)->destroyed)
            return it->get();
    }
    return nullptr;
}

std::vector<HWND> LiveWindows() {
    std::vector<HWND> handles;
    for (const auto& record : State().windows) {
        if (!record->destroyed)
            handles.push_back(record->handle);
    }
    return handles;
}

void SetFocusWindow(HWND window) {
    State().focus = window;
}

HWND GetFocusWindow() {
    return State().focus;
}

}  // namespace winapi::detail

using winapi::detail::FindLiveWindow;
using winapi::detail::State;
using winapi::detail::WindowRecord;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc)
        return 0;
    auto& classes = State().classes;
    const std::string name = windowClass->lpszClassName;
    if (classes.count(name))
        return 0;
    winapi::detail::ClassRecord& record = classes[name];
    record.windowClass = *windowClass;
    record.name = name;
    record.windowClass.lpszClassName = record.name.c_str();
    record.windowClass.lpszMenuName = nullptr;
    return static_cast<ATOM>(classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND /*parent*/, HMENU /*menu*/, HINSTANCE /*instance*/,
                     void* /*param*/) {
    if (!className)
        return nullptr;
    const auto found = State().classes.find(className);
    if (found == State().classes.end() || !winapi::detail::EnsureVideo())
        return nullptr;

    // X fixes a window's visual when it is created, and the render device comes later.
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if ((style & WS_CAPTION) != WS_CAPTION)
        flags |= SDL_WINDOW_BORDERLESS;
    const std::string title = winapi::Cp1252ToUtf8(windowName);
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), x, y, std::max(width, 1), std::max(height, 1), flags);
    if (!sdl) {
        winapi::SetFailureReason("the window cannot be %d x %d: %s", width, height, SDL_GetError());
        return nullptr;
    }

    auto record = std::make_unique<WindowRecord>();
    record->handle = reinterpret_cast<HWND>(State().nextHandle++);
    record->sdl = sdl;
    record->procedure = found->second.windowClass.lpfnWndProc;
    record->style = static_cast<LONG>(style);
    record->exStyle = static_cast<LONG>(exStyle);
    record->title = windowName ? windowName : "";
    const HWND handle = record->handle;
    winapi::detail::ApplyStyle(record.get());
    State().windows.push_back(std::move(record));
    if (style & WS_VISIBLE)
        ShowWindow(handle, SW_SHOW);
    if (SendMessageA(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

BOOL DestroyWindow(HWND window) {
    WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return FALSE;
    SendMessageA(window, WM_DESTROY, 0, 0);
    record->destroyed = true;
    if (record->sdl)
        SDL_HideWindow(record->sdl);
    winapi::detail::DropMessagesFor(window);
    if (State().focus == window) {
        State().focus = nullptr;
        winapi::detail::OnFocusLost();
    }
    winapi::detail::ReleaseReference(record);
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return FindLiveWindow(window) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window) {
    if (!FindLiveWindow(window))
        return FALSE;
    const int forced = State().forcedEnabled;
    return forced < 0 || forced ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command) {
    WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return FALSE;
    const bool wasVisible = (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_SHOWN) != 0;
    if (command == SW_HIDE) {
        SDL_HideWindow(record->sdl);
        record->style &= ~static_cast<LONG>(WS_VISIBLE);
    } else {
        SDL_ShowWindow(record->sdl);
        // Showing a window activates it, unless SDL's hint asks otherwise (tests running side
        // by side on one display must not take the focus from each other).
        if (!SDL_GetHintBoolean(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, SDL_FALSE))
            SDL_RaiseWindow(record->sdl);
        record->style |= static_cast<LONG>(WS_VISIBLE);
    }
    return wasVisible ? TRUE : FALSE;
}

LONG GetWindowLongA(HWND window, int index) {
    return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    const WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return 0;
    switch (index) {
    case GWL_STYLE:
        return record->style;
    case GWL_EXSTYLE:
        return record->exStyle;
    case GWLP_USERDATA:
        return record->userData;
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return 0;
    LONG_PTR previous = 0;
    switch (index) {
    case GWL_STYLE:
        previous = record->style;
        record->style = static_cast<LONG>(value);
        winapi::detail::ApplyStyle(record);
        break;
    case GWL_EXSTYLE:
        previous = record->exStyle;
        record->exStyle = static_cast<LONG>(value);
        winapi::detail::ApplyStyle(record);
        break;
    case GWLP_USERDATA:
        previous = record->userData;
        record->userData = value;
        break;
    default:
        break;
    }
    return previous;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return FALSE;
    record->title = text ? text : "";
    SDL_SetWindowTitle(record->sdl, winapi::Cp1252ToUtf8(record->title.c_str()).c_str());
    return TRUE;
}

int GetWindowTextA(HWND window, char* text, int capacity) {
    const WindowRecord* record = FindLiveWindow(window);
    if (!record || !text || capacity <= 0)
        return 0;
    const int length = std::min(static_cast<int>(record->title.size()), capacity - 1);
    memcpy(text, record->title.data(), static_cast<size_t>(length));
    text[length] = 0;
    return length;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD /*style*/, BOOL /*menu*/, DWORD /*exStyle*/) {
    return rect ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int width, int height, UINT flags) {
    WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return FALSE;
    if (!(flags & SWP_NOSIZE))
        SDL_SetWindowSize(record->sdl, std::max(width, 1), std::max(height, 1));
    if (!(flags & SWP_NOMOVE))
        SDL_SetWindowPosition(record->sdl, x, y);
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    const WindowRecord* record = FindLiveWindow(window);
    if (!record || !rect)
        return FALSE;
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(record->sdl, &width, &height);
    *rect = RECT{0, 0, width, height};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    const WindowRecord* record = FindLiveWindow(window);
    if (!record || !rect)
        return FALSE;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(record->sdl, &x, &y);
    SDL_GetWindowSize(record->sdl, &width, &height);
    *rect = RECT{x, y, x + width, y + height};
    return TRUE;
}

HDC GetDC(HWND window) {
    return FindLiveWindow(window) ? reinterpret_cast<HDC>(window) : nullptr;
}

int ReleaseDC(HWND /*window*/, HDC dc) {
    return dc ? 1 : 0;
}

HWND GetForegroundWindow() {
    const int forced = State().forcedActive;
    if (forced == 0)
        return nullptr;
    if (forced == 1) {
        const WindowRecord* newest = winapi::detail::NewestLiveWindow();
        return newest ? newest->handle : nullptr;
    }
    return FindLiveWindow(State().focus) ? State().focus : nullptr;
}

HWND GetActiveWindow() {
    return GetForegroundWindow();
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    return !instance && name == IDC_ARROW ? winapi::detail::ArrowCursor() : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    auto& state = State();
    const HCURSOR previous = state.cursor;
    state.cursor = cursor;
    if (!state.videoStarted)
        return previous;
    if (!cursor) {
        SDL_ShowCursor(SDL_DISABLE);
        return previous;
    }
    if (!state.arrow)
        state.arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (state.arrow)
        SDL_SetCursor(state.arrow);
    SDL_ShowCursor(SDL_ENABLE);
    return previous;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (instance != winapi::detail::ProgramModule() || id == 0 || id > 0xFFFF)
        return nullptr;
    return State().icons.count(static_cast<int>(id)) ? winapi::detail::IconHandle(static_cast<int>(id)) : nullptr;
}

HGDIOBJ GetStockObject(int object) {
    return object == BLACK_BRUSH ? reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x1004)) : nullptr;
}

HMODULE GetModuleHandleA(LPCSTR name) {
    return name ? nullptr : winapi::detail::ProgramModule();
}

int GetSystemMetrics(int index) {
    return index == SM_SWAPBUTTON ? State().swapButtons : 0;
}

// What the default window procedure does for the messages the layer knows: close destroys
// the window, and the icon messages set and report the window's icons.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return 0;
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SETICON: {
        if (wParam > ICON_BIG)
            return 0;
        const HICON previous = record->icons[wParam];
        record->icons[wParam] = reinterpret_cast<HICON>(lParam);
        winapi::detail::ApplyIcon(record, record->icons[wParam]);
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON:
        return wParam <= ICON_BIG ? reinterpret_cast<LRESULT>(record->icons[wParam]) : 0;
    default:
        return 0;
    }
}

namespace winapi {

SDL_Window* GetSdlWindow(HWND window) {
    const WindowRecord* record = FindLiveWindow(window);
    return record ? record->sdl : nullptr;
}

SDL_Window* AcquireSdlWindow(HWND window) {
    WindowRecord* record = FindLiveWindow(window);
    if (!record)
        return nullptr;
    ++record->references;
    ++record->acquisitions;
    return record->sdl;
}

void ReleaseSdlWindow(HWND window) {
    WindowRecord* record = detail::FindAnyWindow(window);
    if (!record || record->acquisitions == 0)
        return;
    --record->acquisitions;
    detail::ReleaseReference(record);
}

void RegisterIconResource(int id, int width, int height, const uint8_t* rgba) {
    if (id <= 0 || id > 0xFFFF || width <= 0 || height <= 0 || !rgba)
        return;
    detail::IconRecord& icon = State().icons[id];
    icon.width = width;
    icon.height = height;
    icon.rgba.assign(rgba, rgba + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
}

bool GetWindowIconPixels(HWND window, WPARAM which, int* width, int* height, const uint8_t** rgba) {
    const WindowRecord* record = FindLiveWindow(window);
    if (!record || which > ICON_BIG)
        return false;
    const detail::IconRecord* icon = detail::FindIcon(record->icons[which]);
    if (!icon)
        return false;
    *width = icon->width;
    *height = icon->height;
    *rgba = icon->rgba.data();
    return true;
}

bool IsCursorVisible() {
    return State().cursor != nullptr;
}

bool HasDisplay() {
    return detail::EnsureVideo();
}

void ShutdownPlatform() {
    auto& state = State();
    for (const HWND window : detail::LiveWindows())
        DestroyWindow(window);
    if (state.arrow) {
        SDL_FreeCursor(state.arrow);
        state.arrow = nullptr;
    }
    if (state.videoStarted) {
        // Windows a render device still holds go with SDL's video.
        for (const auto& record : state.windows)
            record->sdl = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        state.videoStarted = false;
    }
}

void ForceActiveWindow(int mode) {
    State().forcedActive = mode < 0 ? -1 : (mode ? 1 : 0);
}

void ForceWindowEnabled(int state) {
    State().forcedEnabled = state < 0 ? -1 : (state ? 1 : 0);
}

void SetSwapMouseButtons(int swapped) {
    State().swapButtons = swapped;
}

}  // namespace winapi
