#include "winapi/window/WinWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "winapi/base/FailureReason.h"
#include "winapi/window/DInput.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

constexpr UINT kEchoMessage = 0x0400;    // answered with wParam + lParam
constexpr UINT kPlainMessage = 0x0401;   // answered with 0
constexpr UINT kOtherMessage = 0x0402;
constexpr LRESULT kRefuseCreate = -1;

struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// What the window procedure saw, and how it answers creation.
std::vector<ReceivedMessage> g_received;
LRESULT g_createResult = 0;

LRESULT TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_received.push_back(ReceivedMessage{window, message, wParam, lParam});
    switch (message) {
    case WM_CREATE:
        return g_createResult;
    case kEchoMessage:
        return static_cast<LRESULT>(wParam) + lParam;
    case kPlainMessage:
    case kOtherMessage:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

const char kClassName[] = "WinWindowTestClass";

constexpr DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;

int CountReceived(HWND window, UINT message) {
    int count = 0;
    for (const ReceivedMessage& received : g_received)
        count += received.window == window && received.message == message ? 1 : 0;
    return count;
}

class WinWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The class list lives as long as the process: register once for every test.
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
            windowClass.lpfnWndProc = &TestWindowProc;
            windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            windowClass.lpszClassName = kClassName;
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
    }

    void SetUp() override {
        g_received.clear();
        g_createResult = 0;
    }

    void TearDown() override {
        for (const HWND window : m_windows)
            DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        winapi::ForceActiveWindow(-1);
        winapi::ClearInputFailures();
        winapi::SetSwapMouseButtons(0);
        g_received.clear();
    }

    HWND MakeWindow(int width = 320, int height = 240, DWORD style = kWindowedStyle, DWORD exStyle = WS_EX_APPWINDOW,
                    const char* title = "", int x = 40, int y = 30) {
        const HWND window = CreateWindowExA(exStyle, kClassName, title, style, x, y, width, height, nullptr, nullptr,
                                            nullptr, nullptr);
        if (window)
            m_windows.push_back(window);
        return window;
    }

    static std::vector<MSG> DrainMessages(HWND filter = nullptr) {
        std::vector<MSG> messages;
        MSG message;
        while (PeekMessageA(&message, filter, 0, 0, PM_REMOVE))
            messages.push_back(message);
        return messages;
    }

    std::vector<HWND> m_windows;
};

// --- Classes and creation -------------------------------------------------------------

TEST_F(WinWindowTest, ClassNameRegistersOnlyOnce) {
    static int s_counter = 0;
    const std::string name = "OnceOnlyClass" + std::to_string(++s_counter);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TestWindowProc;
    windowClass.lpszClassName = name.c_str();
    EXPECT_NE(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(RegisterClassA(&windowClass), 0);

    WNDCLASSA withoutProcedure{};
    withoutProcedure.lpszClassName = "ClassWithoutProcedure";
    EXPECT_EQ(RegisterClassA(&withoutProcedure), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
}

TEST_F(WinWindowTest, UnknownClassMakesNoWindow) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", kWindowedStyle, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExA(0, nullptr, "", kWindowedStyle, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(WinWindowTest, CreationSendsCreateToTheProcedure) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CountReceived(window, WM_CREATE), 1);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowEnabled(window));
}

TEST_F(WinWindowTest, ProcedureRefusingCreationLeavesNoWindow) {
    g_createResult = kRefuseCreate;
    EXPECT_EQ(MakeWindow(), nullptr);
    ASSERT_FALSE(g_received.empty());
    const HWND refused = g_received.front().window;
    EXPECT_FALSE(IsWindow(refused));
    EXPECT_EQ(winapi::GetSdlWindow(refused), nullptr);
}

TEST_F(WinWindowTest, ClientAreaHasExactlyTheRequestedSize) {
    const struct {
        int width;
        int height;
        DWORD style;
    } cases[] = {
        {640, 480, kWindowedStyle},
        {800, 600, kFullScreenStyle},
        {321, 199, kWindowedStyle},
        {1024, 768, WS_POPUP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const HWND window = MakeWindow(c.width, c.height, c.style);
        ASSERT_NE(window, nullptr);
        RECT client{-1, -1, -1, -1};
        ASSERT_TRUE(GetClientRect(window, &client));
        EXPECT_EQ(client.left, 0);
        EXPECT_EQ(client.top, 0);
        EXPECT_EQ(client.right, c.width);
        EXPECT_EQ(client.bottom, c.height);

        SDL_Window* sdl = winapi::GetSdlWindow(window);
        ASSERT_NE(sdl, nullptr);
        EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL);
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(sdl, &drawableWidth, &drawableHeight);
        EXPECT_EQ(drawableWidth, c.width);
        EXPECT_EQ(drawableHeight, c.height);
    }
}

TEST_F(WinWindowTest, FrameAdjustmentAndResizeKeepTheClientSize) {
    const HWND window = MakeWindow(320, 240);
    ASSERT_NE(window, nullptr);
    const struct {
        int width;
        int height;
        DWORD style;
    } cases[] = {{640, 480, kWindowedStyle}, {1024, 768, kFullScreenStyle}, {200, 100, kWindowedStyle}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        RECT rect{0, 0, c.width, c.height};
        ASSERT_TRUE(AdjustWindowRectEx(&rect, c.style, FALSE, WS_EX_APPWINDOW));
        ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                                 SWP_NOMOVE | SWP_NOZORDER));
        RECT client{};
        ASSERT_TRUE(GetClientRect(window, &client));
        EXPECT_EQ(client.right - client.left, c.width);
        EXPECT_EQ(client.bottom - client.top, c.height);
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(winapi::GetSdlWindow(window), &drawableWidth, &drawableHeight);
        EXPECT_EQ(drawableWidth, c.width);
        EXPECT_EQ(drawableHeight, c.height);
    }
}

TEST_F(WinWindowTest, ResizeWithoutMoveKeepsThePosition) {
    const HWND window = MakeWindow(320, 240, kWindowedStyle, WS_EX_APPWINDOW, "", 40, 30);
    ASSERT_NE(window, nullptr);
    RECT before{};
    ASSERT_TRUE(GetWindowRect(window, &before));
    ASSERT_TRUE(SetWindowPos(window, nullptr, 500, 400, 400, 300, SWP_NOMOVE | SWP_NOZORDER));
    RECT after{};
    ASSERT_TRUE(GetWindowRect(window, &after));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, 400);
    EXPECT_EQ(after.bottom - after.top, 300);

    // Without the flag the window does move, and a size-only flag keeps the size.
    ASSERT_TRUE(SetWindowPos(window, nullptr, 70, 60, 10, 10, SWP_NOSIZE | SWP_NOZORDER));
    ASSERT_TRUE(GetWindowRect(window, &after));
    EXPECT_EQ(after.left, 70);
    EXPECT_EQ(after.top, 60);
    EXPECT_EQ(after.right - after.left, 400);
    EXPECT_EQ(after.bottom - after.top, 300);
}

TEST_F(WinWindowTest, StylesAreRecordedAndBorderFollowsTheCaption) {
    const struct {
        DWORD style;
        DWORD exStyle;
        bool borderless;
    } cases[] = {
        {kWindowedStyle, WS_EX_APPWINDOW, false},
        {kFullScreenStyle, 0, true},
        {WS_POPUP, WS_EX_APPWINDOW | WS_EX_TOPMOST, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.style);
        const HWND window = MakeWindow(200, 100, c.style, c.exStyle);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), c.style);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), c.exStyle);
        EXPECT_EQ((SDL_GetWindowFlags(winapi::GetSdlWindow(window)) & SDL_WINDOW_BORDERLESS) != 0, c.borderless);
    }
}

TEST_F(WinWindowTest, RestylingSwitchesBetweenWindowedAndFullScreen) {
    const HWND window = MakeWindow(320, 240, kWindowedStyle, WS_EX_APPWINDOW);
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = winapi::GetSdlWindow(window);
    ASSERT_NE(sdl, nullptr);

    const struct {
        DWORD style;
        DWORD exStyle;
        bool borderless;
    } steps[] = {
        {kFullScreenStyle, 0, true},
        {kWindowedStyle, WS_EX_APPWINDOW, false},
        {WS_POPUP, 0, true},
        {kWindowedStyle, WS_EX_APPWINDOW, false},
    };
    DWORD previousStyle = kWindowedStyle;
    DWORD previousExStyle = WS_EX_APPWINDOW;
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << step.style);
        EXPECT_EQ(static_cast<DWORD>(SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(step.style))), previousStyle);
        EXPECT_EQ(static_cast<DWORD>(SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(step.exStyle))),
                  previousExStyle);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), step.style);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), step.exStyle);
        EXPECT_EQ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS) != 0, step.borderless);
        previousStyle = step.style;
        previousExStyle = step.exStyle;
    }
}

TEST_F(WinWindowTest, UserDataHoldsAFullPointer) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
    int owner = 0;
    const LONG_PTR pointer = reinterpret_cast<LONG_PTR>(&owner);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, pointer), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), pointer);
    const LONG_PTR wide = static_cast<LONG_PTR>(0x123456789ABCLL);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, wide), pointer);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), wide);
    // Style reads are untouched by the user data.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), kWindowedStyle);
}

// --- Titles ----------------------------------------------------------------------------

TEST_F(WinWindowTest, TitlesReachSdlAsUtf8AndReadBackUnchanged) {
    const struct {
        const char* cp1252;
        const char* utf8;
    } cases[] = {
        {"Game", "Game"},
        {"Gr\xFC\xDF" "e", "Gr\xC3\xBC\xC3\x9F" "e"},
        {"\x80 5 \x96 \x84Tor\x93", "\xE2\x82\xAC 5 \xE2\x80\x93 \xE2\x80\x9ETor\xE2\x80\x9C"},
        {"", ""},
    };
    const HWND window = MakeWindow(200, 100, kWindowedStyle, WS_EX_APPWINDOW, "M\xE4rchen");
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = winapi::GetSdlWindow(window);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "M\xC3\xA4rchen");
    char text[64];
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 7);
    EXPECT_STREQ(text, "M\xE4rchen");

    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        ASSERT_TRUE(SetWindowTextA(window, c.cp1252));
        EXPECT_STREQ(SDL_GetWindowTitle(sdl), c.utf8);
        memset(text, 'x', sizeof text);
        EXPECT_EQ(GetWindowTextA(window, text, sizeof text), static_cast<int>(strlen(c.cp1252)));
        EXPECT_STREQ(text, c.cp1252);
    }
}

TEST_F(WinWindowTest, TitleReadIsCutToTheBuffer) {
    const HWND window = MakeWindow(200, 100, kWindowedStyle, WS_EX_APPWINDOW, "Abenteuer");
    ASSERT_NE(window, nullptr);
    char text[5];
    memset(text, 'x', sizeof text);
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 4);
    EXPECT_STREQ(text, "Aben");
    memset(text, 'x', sizeof text);
    EXPECT_EQ(GetWindowTextA(window, text, 1), 0);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(text[1], 'x');
}

// --- Destruction -----------------------------------------------------------------------

TEST_F(WinWindowTest, DestroyedWindowIsGoneForEveryCall) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(CountReceived(window, WM_DESTROY), 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_EQ(winapi::GetSdlWindow(window), nullptr);
    EXPECT_EQ(winapi::AcquireSdlWindow(window), nullptr);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(CountReceived(window, WM_DESTROY), 1);
    EXPECT_FALSE(PostMessageA(window, kPlainMessage, 0, 0));
    RECT rect{};
    EXPECT_FALSE(GetClientRect(window, &rect));
    EXPECT_FALSE(SetWindowTextA(window, "late"));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
    g_received.clear();
    EXPECT_EQ(SendMessageA(window, kEchoMessage, 1, 2), 0);
    EXPECT_TRUE(g_received.empty());
}

TEST_F(WinWindowTest, DestroyDropsOnlyThatWindowsQueuedMessages) {
    const HWND doomed = MakeWindow();
    const HWND other = MakeWindow();
    ASSERT_NE(doomed, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(PostMessageA(doomed, kPlainMessage, 1, 0));
    ASSERT_TRUE(PostMessageA(other, kPlainMessage, 2, 0));
    ASSERT_TRUE(PostMessageA(doomed, kOtherMessage, 3, 0));
    ASSERT_TRUE(DestroyWindow(doomed));

    const std::vector<MSG> left = DrainMessages();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].hwnd, other);
    EXPECT_EQ(left[0].wParam, 2u);
}

TEST_F(WinWindowTest, AcquiredSdlWindowOutlivesDestroyUntilReleased) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = winapi::AcquireSdlWindow(window);
    ASSERT_NE(sdl, nullptr);
    EXPECT_EQ(sdl, winapi::GetSdlWindow(window));
    const Uint32 id = SDL_GetWindowID(sdl);
    ASSERT_NE(id, 0u);

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(winapi::GetSdlWindow(window), nullptr);
    EXPECT_EQ(SDL_GetWindowFromID(id), sdl);

    winapi::ReleaseSdlWindow(window);
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST_F(WinWindowTest, ReleasingWhatWasNeverAcquiredKeepsTheWindow) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = winapi::GetSdlWindow(window);
    winapi::ReleaseSdlWindow(window);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(winapi::GetSdlWindow(window), sdl);
    EXPECT_EQ(SDL_GetWindowFromID(SDL_GetWindowID(sdl)), sdl);
}

TEST_F(WinWindowTest, UnacquiredSdlWindowGoesWithDestroy) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    const Uint32 id = SDL_GetWindowID(winapi::GetSdlWindow(window));
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST_F(WinWindowTest, DefaultCloseHandlingDestroysTheWindow) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(CountReceived(window, WM_CLOSE), 1);
    EXPECT_EQ(CountReceived(window, WM_DESTROY), 1);
    EXPECT_FALSE(IsWindow(window));
}

// --- The message queue -----------------------------------------------------------------

TEST_F(WinWindowTest, PeekHandsOutOneMessageAtATimeInOrder) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    for (WPARAM i = 1; i <= 3; ++i)
        ASSERT_TRUE(PostMessageA(window, kPlainMessage, i, static_cast<LPARAM>(10 * i)));

    MSG message{};
    for (WPARAM i = 1; i <= 3; ++i) {
        ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(message.hwnd, window);
        EXPECT_EQ(message.message, kPlainMessage);
        EXPECT_EQ(message.wParam, i);
        EXPECT_EQ(message.lParam, static_cast<LPARAM>(10 * i));
    }
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WinWindowTest, PeekWithoutRemoveLeavesTheMessageQueued) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageA(window, kPlainMessage, 7, 0));
    ASSERT_TRUE(PostMessageA(window, kPlainMessage, 8, 0));
    MSG message{};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(message.wParam, 7u);
    }
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 8u);
}

TEST_F(WinWindowTest, PeekFiltersByWindowAndMessageRange) {
    const HWND first = MakeWindow();
    const HWND second = MakeWindow();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(PostMessageA(first, kPlainMessage, 1, 0));
    ASSERT_TRUE(PostMessageA(second, kPlainMessage, 2, 0));
    ASSERT_TRUE(PostMessageA(first, kOtherMessage, 3, 0));

    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, second);
    EXPECT_EQ(message.wParam, 2u);
    EXPECT_FALSE(PeekMessageA(&message, second, 0, 0, PM_REMOVE));

    ASSERT_TRUE(PeekMessageA(&message, first, kOtherMessage, kOtherMessage, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));

    const std::vector<MSG> left = DrainMessages();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].wParam, 1u);
}

TEST_F(WinWindowTest, QuitComesAfterOtherMessagesWithItsExitCode) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageA(window, kPlainMessage, 1, 0));
    PostQuitMessage(3);
    ASSERT_TRUE(PostMessageA(window, kPlainMessage, 2, 0));

    MSG message{};
    for (WPARAM expected : {WPARAM{1}, WPARAM{2}}) {
        ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(message.message, kPlainMessage);
        EXPECT_EQ(message.wParam, expected);
    }
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WinWindowTest, WindowFilterLeavesTheQuitRequestAndAPeekWithoutAWindowTakesIt) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    PostQuitMessage(1);
    ASSERT_TRUE(PostMessageA(window, kPlainMessage, 5, 0));
    const struct {
        UINT filterMin;
        UINT filterMax;
    } filters[] = {{0, 0}, {WM_KEYDOWN, WM_KEYUP}, {kPlainMessage, kPlainMessage}};
    MSG message{};

    // The window's own messages only: the quit request stays queued even when asked to remove.
    ASSERT_TRUE(PeekMessageA(&message, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, kPlainMessage);
    for (const auto& filter : filters) {
        SCOPED_TRACE(testing::Message() << "window, " << filter.filterMin << "-" << filter.filterMax);
        EXPECT_FALSE(PeekMessageA(&message, window, filter.filterMin, filter.filterMax, PM_REMOVE));
    }

    for (const auto& filter : filters) {
        SCOPED_TRACE(testing::Message() << "no window, " << filter.filterMin << "-" << filter.filterMax);
        ASSERT_TRUE(PeekMessageA(&message, nullptr, filter.filterMin, filter.filterMax, PM_NOREMOVE));
        EXPECT_EQ(message.message, WM_QUIT);
        EXPECT_EQ(message.hwnd, nullptr);
        EXPECT_EQ(message.wParam, 1u);
    }
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WinWindowTest, DispatchAndSendCallTheWindowProcedure) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageA(window, kEchoMessage, 40, 2));
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    g_received.clear();
    EXPECT_EQ(DispatchMessageA(&message), 42);
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].window, window);
    EXPECT_EQ(g_received[0].message, kEchoMessage);
    EXPECT_EQ(g_received[0].wParam, 40u);
    EXPECT_EQ(g_received[0].lParam, 2);

    EXPECT_EQ(SendMessageA(window, kEchoMessage, 5, 6), 11);
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[1].message, kEchoMessage);
    // Sending does not go through the queue.
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

// --- Close and quit requests -----------------------------------------------------------

TEST_F(WinWindowTest, CloseRequestBecomesOneCloseMessage) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    winapi::InjectClose();
    winapi::InjectClose();
    const std::vector<MSG> messages = DrainMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].hwnd, window);
    EXPECT_EQ(messages[0].message, WM_CLOSE);
    // Nothing dispatched it, so the window is still there.
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(WinWindowTest, DispatchedCloseRequestDestroysTheWindowByDefault) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    winapi::InjectClose();
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, window, 0, 0, PM_REMOVE));
    ASSERT_EQ(message.message, WM_CLOSE);
    DispatchMessageA(&message);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CountReceived(window, WM_DESTROY), 1);
}

TEST_F(WinWindowTest, QuitRequestClosesEveryLiveWindowOnce) {
    const HWND first = MakeWindow();
    const HWND destroyed = MakeWindow();
    const HWND last = MakeWindow();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(destroyed, nullptr);
    ASSERT_NE(last, nullptr);
    ASSERT_TRUE(DestroyWindow(destroyed));

    winapi::InjectClose();
    winapi::InjectQuit();
    winapi::InjectQuit();
    const std::vector<MSG> messages = DrainMessages();
    ASSERT_EQ(messages.size(), 2u);
    for (const MSG& message : messages)
        EXPECT_EQ(message.message, WM_CLOSE);
    EXPECT_EQ(messages[0].hwnd == first ? messages[1].hwnd : messages[0].hwnd, last);
    EXPECT_TRUE(messages[0].hwnd == first || messages[1].hwnd == first);
}

TEST_F(WinWindowTest, CloseMessageCanBeRequestedAgainAfterItWasTaken) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    winapi::InjectClose();
    EXPECT_EQ(DrainMessages().size(), 1u);
    winapi::InjectQuit();
    const std::vector<MSG> messages = DrainMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, WM_CLOSE);
}

// --- Icons -----------------------------------------------------------------------------

TEST_F(WinWindowTest, EmbeddedIconLoadsFromTheProgramModuleOnly) {
    const uint8_t pixels[2 * 2 * 4] = {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 128, 10, 11, 12, 0};
    winapi::RegisterIconResource(100, 2, 2, pixels);
    const HINSTANCE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);

    EXPECT_NE(LoadIconA(program, MAKEINTRESOURCEA(100)), nullptr);
    EXPECT_EQ(LoadIconA(program, MAKEINTRESOURCEA(101)), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(100)), nullptr);
    EXPECT_EQ(LoadIconA(LoadLibraryA("dinput8.dll"), MAKEINTRESOURCEA(100)), nullptr);
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
}

TEST_F(WinWindowTest, WindowShowsTheIconItIsSent) {
    std::vector<uint8_t> pixels(3 * 2 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::vector<uint8_t> expected = pixels;
    winapi::RegisterIconResource(200, 3, 2, pixels.data());
    pixels.assign(pixels.size(), 0);  // the layer keeps its own copy

    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(200));
    ASSERT_NE(icon, nullptr);

    int width = 0;
    int height = 0;
    const uint8_t* rgba = nullptr;
    EXPECT_FALSE(winapi::GetWindowIconPixels(window, ICON_SMALL, &width, &height, &rgba));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);

    EXPECT_EQ(SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon)), 0);
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
    ASSERT_TRUE(winapi::GetWindowIconPixels(window, ICON_SMALL, &width, &height, &rgba));
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    ASSERT_NE(rgba, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(rgba, rgba + expected.size()), expected);
    const uint8_t* none = nullptr;
    EXPECT_FALSE(winapi::GetWindowIconPixels(window, ICON_BIG, &width, &height, &none));

    // The large icon is set on its own.
    const uint8_t bigPixels[4] = {9, 9, 9, 255};
    winapi::RegisterIconResource(201, 1, 1, bigPixels);
    const HICON big = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(201));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(icon));
    ASSERT_TRUE(winapi::GetWindowIconPixels(window, ICON_BIG, &width, &height, &rgba));
    EXPECT_EQ(width, 1);
    EXPECT_EQ(rgba[0], 9);

    // Setting again hands back the icon it replaces.
    EXPECT_EQ(SendMessageA(window, WM_SETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_FALSE(winapi::GetWindowIconPixels(window, ICON_SMALL, &width, &height, &rgba));
}

// --- Cursor and pointer ----------------------------------------------------------------

TEST_F(WinWindowTest, ArrowCursorShowsAndNullCursorHides) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), IDC_ARROW), nullptr);

    SetCursor(arrow);
    EXPECT_TRUE(winapi::IsCursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_FALSE(winapi::IsCursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    EXPECT_EQ(SetCursor(arrow), nullptr);
    EXPECT_TRUE(winapi::IsCursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(WinWindowTest, PointerPositionIsTheMotionsClientPosition) {
    const HWND window = MakeWindow(320, 240, kWindowedStyle, WS_EX_APPWINDOW, "", 40, 30);
    ASSERT_NE(window, nullptr);
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(window, &frame));

    const POINT positions[] = {{25, 35}, {0, 0}, {319, 239}, {160, 5}};
    for (const POINT& position : positions) {
        SCOPED_TRACE(testing::Message() << position.x << "," << position.y);
        winapi::InjectMouseMotion(position.x, position.y, 3, -2);
        winapi::PumpEvents();
        POINT cursor{-1, -1};
        ASSERT_TRUE(GetCursorPos(&cursor));
        EXPECT_EQ(cursor.x, frame.left + position.x);
        EXPECT_EQ(cursor.y, frame.top + position.y);
        ASSERT_TRUE(ScreenToClient(window, &cursor));
        EXPECT_EQ(cursor.x, position.x);
        EXPECT_EQ(cursor.y, position.y);
    }
    POINT point{0, 0};
    EXPECT_FALSE(GetCursorPos(nullptr));
    EXPECT_FALSE(ScreenToClient(nullptr, &point));
}

TEST_F(WinWindowTest, PointInRectIncludesLeftTopAndExcludesRightBottom) {
    const RECT rect{10, 20, 30, 50};
    const struct {
        POINT point;
        BOOL inside;
    } cases[] = {
        {{10, 20}, TRUE},  {{29, 49}, TRUE},  {{20, 35}, TRUE},  {{30, 35}, FALSE}, {{20, 50}, FALSE},
        {{9, 35}, FALSE},  {{20, 19}, FALSE}, {{30, 50}, FALSE}, {{29, 20}, TRUE},  {{10, 49}, TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
        EXPECT_EQ(PtInRect(&rect, c.point), c.inside);
    }
    EXPECT_FALSE(PtInRect(nullptr, POINT{15, 25}));
    const RECT empty{5, 5, 5, 5};
    EXPECT_FALSE(PtInRect(&empty, POINT{5, 5}));
}

// --- Active window and system settings -------------------------------------------------

TEST_F(WinWindowTest, ForcedActiveWindowOverridesTheFocus) {
    const HWND older = MakeWindow();
    const HWND newest = MakeWindow();
    ASSERT_NE(older, nullptr);
    ASSERT_NE(newest, nullptr);

    winapi::ForceActiveWindow(1);
    EXPECT_EQ(GetForegroundWindow(), newest);
    EXPECT_EQ(GetActiveWindow(), newest);
    ASSERT_TRUE(DestroyWindow(newest));
    EXPECT_EQ(GetForegroundWindow(), older);

    winapi::InjectFocus(true);
    winapi::PumpEvents();
    winapi::ForceActiveWindow(0);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WinWindowTest, ActiveWindowFollowsInjectedFocus) {
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    winapi::ForceActiveWindow(-1);
    winapi::InjectFocus(false);
    winapi::PumpEvents();
    EXPECT_EQ(GetForegroundWindow(), nullptr);

    winapi::InjectFocus(true);
    winapi::PumpEvents();
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(GetActiveWindow(), window);

    winapi::InjectFocus(false);
    winapi::PumpEvents();
    EXPECT_EQ(GetForegroundWindow(), nullptr);

    winapi::InjectFocus(true);
    winapi::PumpEvents();
    ASSERT_EQ(GetForegroundWindow(), window);
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(GetForegroundWindow(), nullptr);
}

TEST_F(WinWindowTest, FocusLostByAnotherWindowKeepsTheActiveOne) {
    const HWND focused = MakeWindow();
    ASSERT_NE(focused, nullptr);
    winapi::InjectFocus(true);
    winapi::PumpEvents();
    ASSERT_EQ(GetForegroundWindow(), focused);

    const HWND other = MakeWindow();
    ASSERT_NE(other, nullptr);
    winapi::InjectFocus(false);  // injected events go to the newest window
    winapi::PumpEvents();
    EXPECT_EQ(GetForegroundWindow(), focused);
}

TEST_F(WinWindowTest, MouseButtonSwapFollowsTheSetting) {
    EXPECT_EQ(GetSystemMetrics(SM_SWAPBUTTON), 0);
    winapi::SetSwapMouseButtons(1);
    EXPECT_EQ(GetSystemMetrics(SM_SWAPBUTTON), 1);
    winapi::SetSwapMouseButtons(0);
    EXPECT_EQ(GetSystemMetrics(SM_SWAPBUTTON), 0);
}

}  // namespace

// Without a display SDL would fall back to surfaces nobody sees: the layer takes one only when
// the caller names such a driver itself.
TEST(WinDisplayTest, WithoutADisplayOnlyANamedDriverGivesInvisibleSurfaces) {
    struct Case {
        const char* name;
        const char* display;      // nullptr: unset
        const char* videoDriver;  // nullptr: unset
        bool shown;
        const char* reason;
    };
    const std::string ownDisplay = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    ASSERT_FALSE(ownDisplay.empty()) << "runs under a display";
    const Case cases[] = {
        {"the display", ownDisplay.c_str(), nullptr, true, ""},
        {"no display", nullptr, nullptr, false, "no display"},
        {"no display, invisible surfaces asked for", nullptr, "offscreen", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winapi::ShutdownPlatform();
        winapi::ClearFailureReason();
        unsetenv("WAYLAND_DISPLAY");
        c.display ? setenv("DISPLAY", c.display, 1) : unsetenv("DISPLAY");
        c.videoDriver ? setenv("SDL_VIDEODRIVER", c.videoDriver, 1) : unsetenv("SDL_VIDEODRIVER");
        EXPECT_EQ(winapi::HasDisplay(), c.shown);
        EXPECT_STREQ(winapi::GetFailureReason(), c.reason);
    }
    winapi::ShutdownPlatform();
    winapi::ClearFailureReason();
    setenv("DISPLAY", ownDisplay.c_str(), 1);
    unsetenv("SDL_VIDEODRIVER");
}
