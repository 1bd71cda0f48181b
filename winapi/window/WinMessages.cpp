// The message queue: messages posted to windows, and the quit flag that PostQuitMessage
// raises, which is handed out to a peek with no window once the queue holds nothing else.
#include <SDL.h>

#include <deque>

#include "winapi/window/WinLayer.h"
#include "winapi/window/WinState_local.h"

namespace winapi::detail {
namespace {

struct QueueState {
    std::deque<MSG> messages;
    bool quitPosted = false;
    int quitCode = 0;
};

QueueState& Queue() {
    static QueueState queue;
    return queue;
}

bool Matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    if (window && message.hwnd != window)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return message.message >= filterMin && message.message <= filterMax;
}

}  // namespace

void PostClose(HWND window) {
    for (const MSG& queued : Queue().messages) {
        if (queued.hwnd == window && queued.message == WM_CLOSE)
            return;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void DropMessagesFor(HWND window) {
    auto& messages = Queue().messages;
    for (auto it = messages.begin(); it != messages.end();)
        it = it->hwnd == window ? messages.erase(it) : it + 1;
}

}  // namespace winapi::detail

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message)
        return FALSE;
    winapi::PumpEvents();
    auto& queue = winapi::detail::Queue();
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!winapi::detail::Matches(*it, window, filterMin, filterMax))
            continue;
        *message = *it;
        if (removeFlags & PM_REMOVE)
            queue.messages.erase(it);
        return TRUE;
    }
    // The quit request belongs to no window: a window's own pump leaves it, so a request
    // posted on a recoverable error cannot end the program. It passes every message range.
    if (queue.quitPosted && !window) {
        *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, SDL_GetTicks(), POINT{0, 0}};
        if (removeFlags & PM_REMOVE)
            queue.quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* message) {
    // Characters reach the program through the input devices, not as messages.
    return message && message->message == WM_KEYDOWN ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (!message)
        return 0;
    const winapi::detail::WindowRecord* record = winapi::detail::FindLiveWindow(message->hwnd);
    if (!record || !record->procedure)
        return 0;
    return record->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !winapi::detail::FindLiveWindow(window))
        return FALSE;
    winapi::detail::Queue().messages.push_back(MSG{window, message, wParam, lParam, SDL_GetTicks(), POINT{0, 0}});
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const winapi::detail::WindowRecord* record = winapi::detail::FindLiveWindow(window);
    if (!record || !record->procedure)
        return 0;
    return record->procedure(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    auto& queue = winapi::detail::Queue();
    queue.quitPosted = true;
    queue.quitCode = exitCode;
}
