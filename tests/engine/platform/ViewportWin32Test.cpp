#include "engine/platform/ViewportWin32.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/InputDevice.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

constexpr DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;

DWORD StyleOf(HWND window) {
    // Whether the window is shown is checked on its own.
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & ~WS_VISIBLE;
}

DWORD ExStyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
}

RECT ClientRect(HWND window) {
    RECT rect{-1, -1, -1, -1};
    EXPECT_TRUE(GetClientRect(window, &rect));
    return rect;
}

RECT WindowRect(HWND window) {
    RECT rect{-1, -1, -1, -1};
    EXPECT_TRUE(GetWindowRect(window, &rect));
    return rect;
}

void ExpectClientSize(HWND window, int width, int height) {
    const RECT client = ClientRect(window);
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);

    SDL_Window* sdl = winapi::GetSdlWindow(window);
    ASSERT_NE(sdl, nullptr);
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(sdl, &drawableWidth, &drawableHeight);
    EXPECT_EQ(drawableWidth, width);
    EXPECT_EQ(drawableHeight, height);
}

std::string SdlTitle(HWND window) {
    SDL_Window* sdl = winapi::GetSdlWindow(window);
    return sdl ? SDL_GetWindowTitle(sdl) : "<no window>";
}

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// Records what Create hands to the overridable steps it runs.
class CRecordingViewport : public CViewportWin32 {
public:
    struct ResizeCall {
        DWORD style;
        DWORD exStyle;
        int quitting;
        std::string title;
    };

    int SetTitle(const char* text) override {
        titleCalls.push_back(text ? text : "<null>");
        titleFromOwnBuffer.push_back(text && text == m_sTitle.GetText());
        return CViewportWin32::SetTitle(text);
    }

    int Resize(int width, int height, int bFullscreen) override {
        if (m_hWnd) {
            resizeCalls.push_back(ResizeCall{static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)),
                                             ExStyleOf(m_hWnd), m_bQuitting, WindowText(m_hWnd)});
        }
        return CViewportWin32::Resize(width, height, bFullscreen);
    }

    std::vector<std::string> titleCalls;
    std::vector<bool> titleFromOwnBuffer;
    std::vector<ResizeCall> resizeCalls;
};

class ViewportWin32Test : public ::testing::Test {
protected:
    void SetUp() override { winapi::ForceActiveWindow(1); }

    void TearDown() override {
        winapi::ForceActiveWindow(-1);
        m_viewport.Close();
        DrainMessages();
    }

    CViewportWin32 m_viewport;
};

// --- Size and style -------------------------------------------------------------------------

TEST_F(ViewportWin32Test, ClientAreaIsExactlyTheRequestedSize) {
    struct Case {
        int width;
        int height;
        int fullscreen;
    };
    const Case cases[] = {{640, 480, 0}, {800, 600, 0}, {333, 217, 0}, {640, 480, 1}, {1024, 768, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " fullscreen " << c.fullscreen);
        CViewportWin32 viewport;
        ASSERT_EQ(viewport.Create(nullptr, c.width, c.height, c.fullscreen), 1);
        const HWND window = viewport.GetWindowHandle();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_NE(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_VISIBLE, 0u);
        ExpectClientSize(window, c.width, c.height);
        EXPECT_EQ(viewport.IsQuitting(), 0);
        viewport.Close();
    }
}

TEST_F(ViewportWin32Test, CreateGivesTheInitialStylesAndItsFinalResizeSettlesThem) {
    struct Case {
        int fullscreen;
        DWORD createdStyle;
        DWORD createdExStyle;
        DWORD finalStyle;
        DWORD finalExStyle;
    };
    const Case cases[] = {
        {0, kWindowedStyle, WS_EX_APPWINDOW, kWindowedStyle, WS_EX_APPWINDOW},
        // The final resize drops the extended styles the full-screen window was created with.
        {1, WS_POPUP, WS_EX_APPWINDOW | WS_EX_TOPMOST, kFullScreenStyle, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fullscreen " << c.fullscreen);
        CRecordingViewport viewport;
        ASSERT_EQ(viewport.Create(nullptr, 640, 480, c.fullscreen), 1);
        ASSERT_EQ(viewport.resizeCalls.size(), 1u);
        const CRecordingViewport::ResizeCall& call = viewport.resizeCalls[0];
        // The window is already shown when it is sized.
        EXPECT_EQ(call.style, c.createdStyle | WS_VISIBLE);
        EXPECT_EQ(call.exStyle, c.createdExStyle);
        EXPECT_EQ(call.quitting, 0);

        EXPECT_EQ(StyleOf(viewport.GetWindowHandle()), c.finalStyle);
        EXPECT_EQ(ExStyleOf(viewport.GetWindowHandle()), c.finalExStyle);
        ExpectClientSize(viewport.GetWindowHandle(), 640, 480);
    }
}

TEST_F(ViewportWin32Test, ResizeSwitchesBetweenWindowedAndFullScreenInPlace) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    const HWND window = m_viewport.GetWindowHandle();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    ASSERT_EQ(WindowRect(window).left, 40);
    ASSERT_EQ(WindowRect(window).top, 30);

    struct Step {
        int width;
        int height;
        int fullscreen;
        DWORD style;
        DWORD exStyle;
    };
    const Step steps[] = {
        {800, 600, 1, kFullScreenStyle, 0},
        {640, 480, 0, kWindowedStyle, WS_EX_APPWINDOW},
        {640, 480, 0, kWindowedStyle, WS_EX_APPWINDOW},
        {1024, 768, 1, kFullScreenStyle, 0},
        {1024, 768, 1, kFullScreenStyle, 0},
        {320, 240, 0, kWindowedStyle, WS_EX_APPWINDOW},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.width << "x" << step.height << " fullscreen " << step.fullscreen);
        EXPECT_EQ(m_viewport.Resize(step.width, step.height, step.fullscreen), 1);
        EXPECT_EQ(m_viewport.GetWindowHandle(), window);
        EXPECT_EQ(StyleOf(window), step.style);
        EXPECT_EQ(ExStyleOf(window), step.exStyle);
        EXPECT_NE(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_VISIBLE, 0u);
        ExpectClientSize(window, step.width, step.height);
        const RECT placed = WindowRect(window);
        EXPECT_EQ(placed.left, 40);
        EXPECT_EQ(placed.top, 30);
    }
}

TEST_F(ViewportWin32Test, ResizeStartsFromTheWindowsCurrentStyle) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 1), 1);
    const HWND window = m_viewport.GetWindowHandle();
    // Half of the caption bits, and a maximise box that neither style names.
    constexpr DWORD kBorder = 0x00800000u;
    constexpr DWORD kMaximizeBox = 0x00010000u;
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE | kBorder | kMaximizeBox));
    EXPECT_EQ(m_viewport.Resize(640, 480, 1), 1);
    EXPECT_EQ(StyleOf(window), kFullScreenStyle | kMaximizeBox);
    EXPECT_EQ(m_viewport.Resize(640, 480, 0), 1);
    EXPECT_EQ(StyleOf(window), kWindowedStyle | kMaximizeBox);
    EXPECT_EQ(m_viewport.Resize(640, 480, 1), 1);
    EXPECT_EQ(StyleOf(window), kFullScreenStyle | kMaximizeBox);
}

TEST_F(ViewportWin32Test, NothingIsSizedOrEnabledWithoutAWindow) {
    EXPECT_EQ(m_viewport.GetWindowHandle(), nullptr);
    EXPECT_EQ(m_viewport.IsEnabled(), 0);
    EXPECT_EQ(m_viewport.Resize(640, 480, 0), 0);
    EXPECT_EQ(m_viewport.Resize(640, 480, 1), 0);

    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    EXPECT_EQ(m_viewport.IsEnabled(), 1);
    m_viewport.Close();
    EXPECT_EQ(m_viewport.IsEnabled(), 0);
    EXPECT_EQ(m_viewport.Resize(800, 600, 0), 0);
}

TEST_F(ViewportWin32Test, CreateReportsAWindowThatCouldNotBeMade) {
    // Far larger than the system makes windows.
    EXPECT_EQ(m_viewport.Create(nullptr, 40000, 480, 0), 0);
    EXPECT_EQ(m_viewport.GetWindowHandle(), nullptr);
    EXPECT_EQ(m_viewport.IsEnabled(), 0);
    EXPECT_EQ(m_viewport.Resize(640, 480, 0), 0);

    // The same object still makes a window afterwards.
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    ExpectClientSize(m_viewport.GetWindowHandle(), 640, 480);
}

TEST_F(ViewportWin32Test, EnabledFollowsTheWindowNotTheFocus) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    winapi::ForceActiveWindow(0);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(m_viewport.IsEnabled(), 1);
    winapi::ForceActiveWindow(1);
    EXPECT_EQ(m_viewport.IsEnabled(), 1);
}

// --- Title and icon -------------------------------------------------------------------------

TEST_F(ViewportWin32Test, TitleIsShownAsUtf8) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    const HWND window = m_viewport.GetWindowHandle();
    EXPECT_EQ(SdlTitle(window), "");

    struct Case {
        const char* text;  // Windows-1252
        const char* utf8;
    };
    const Case cases[] = {
        {"Racing", "Racing"},
        {"Gr\xFC\xDF" "e aus K\xF6ln", "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln"},
        {"\x80 5 \xA9", "\xE2\x82\xAC 5 \xC2\xA9"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(m_viewport.SetTitle(c.text), 1);
        EXPECT_EQ(SdlTitle(window), c.utf8);
        EXPECT_EQ(WindowText(window), c.text);
        EXPECT_STREQ(m_viewport.m_sTitle.GetText(), c.text);
    }
}

TEST_F(ViewportWin32Test, SetTitleWithoutTextChangesNothing) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    const HWND window = m_viewport.GetWindowHandle();
    ASSERT_EQ(m_viewport.SetTitle("Kept"), 1);
    EXPECT_EQ(m_viewport.SetTitle(nullptr), 0);
    EXPECT_EQ(SdlTitle(window), "Kept");
    EXPECT_STREQ(m_viewport.m_sTitle.GetText(), "Kept");

    // Recreating shows the kept title on the new window.
    ASSERT_EQ(m_viewport.Recreate(640, 480, 0), 1);
    EXPECT_EQ(SdlTitle(m_viewport.GetWindowHandle()), "Kept");
}

TEST_F(ViewportWin32Test, TitleSetBeforeCreateSurvivesCreate) {
    const std::string title = "A title long enough to need more than one grow step of its string";
    CRecordingViewport viewport;
    EXPECT_EQ(viewport.SetTitle(title.c_str()), 1);
    ASSERT_EQ(viewport.Create(nullptr, 640, 480, 0), 1);

    // Create hands the object's own title back to SetTitle.
    ASSERT_EQ(viewport.titleCalls.size(), 2u);
    EXPECT_EQ(viewport.titleCalls[1], title);
    EXPECT_TRUE(viewport.titleFromOwnBuffer[1]);

    EXPECT_STREQ(viewport.m_sTitle.GetText(), title.c_str());
    EXPECT_EQ(SdlTitle(viewport.GetWindowHandle()), title);
    ASSERT_EQ(viewport.resizeCalls.size(), 1u);
    EXPECT_EQ(viewport.resizeCalls[0].title, title);
}

TEST_F(ViewportWin32Test, SetIconGivesTheWindowBothIcons) {
    std::vector<uint8_t> pixels(3 * 2 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    winapi::RegisterIconResource(100, 3, 2, pixels.data());

    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    const HWND window = m_viewport.GetWindowHandle();
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);

    EXPECT_EQ(m_viewport.SetIcon(100), 1);
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100));
    ASSERT_NE(icon, nullptr);
    for (const WPARAM which : {ICON_SMALL, ICON_BIG}) {
        SCOPED_TRACE(which == ICON_SMALL ? "small" : "big");
        EXPECT_EQ(SendMessageA(window, WM_GETICON, which, 0), reinterpret_cast<LRESULT>(icon));
        int width = 0;
        int height = 0;
        const uint8_t* rgba = nullptr;
        ASSERT_TRUE(winapi::GetWindowIconPixels(window, which, &width, &height, &rgba));
        EXPECT_EQ(width, 3);
        EXPECT_EQ(height, 2);
        EXPECT_EQ(std::vector<uint8_t>(rgba, rgba + pixels.size()), pixels);
    }
}

// --- Messages -------------------------------------------------------------------------------

TEST_F(ViewportWin32Test, CloseRequestSetsQuittingAndPostsQuitWithCodeOne) {
    struct Case {
        const char* name;
        void (*request)();
    };
    const Case cases[] = {{"window close", &winapi::InjectClose}, {"quit request", &winapi::InjectQuit}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_viewport.Recreate(640, 480, 0), 1);
        const HWND window = m_viewport.GetWindowHandle();
        while (m_viewport.ProcessMessages()) {
        }
        ASSERT_EQ(m_viewport.IsQuitting(), 0);

        c.request();
        // The close message: quitting at once, but the window stays.
        EXPECT_EQ(m_viewport.ProcessMessages(), 1);
        EXPECT_EQ(m_viewport.IsQuitting(), 1);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(m_viewport.GetWindowHandle(), window);
        EXPECT_EQ(m_viewport.IsEnabled(), 1);

        // The window's pump leaves the quit request; quitting already holds without it.
        EXPECT_EQ(m_viewport.ProcessMessages(), 0);
        EXPECT_EQ(m_viewport.IsQuitting(), 1);
        EXPECT_TRUE(IsWindow(window));

        MSG pending{};
        ASSERT_TRUE(PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(pending.message, WM_QUIT);
        EXPECT_EQ(pending.wParam, 1u);
        EXPECT_FALSE(PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE));

        EXPECT_EQ(m_viewport.Close(), 1);
        EXPECT_FALSE(IsWindow(window));
    }
}

TEST_F(ViewportWin32Test, PostedQuitRequestDoesNotEndTheWindowsPump) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    while (m_viewport.ProcessMessages()) {
    }
    ASSERT_TRUE(PostMessageA(m_viewport.GetWindowHandle(), WM_SETCURSOR, 0, 0));
    PostQuitMessage(666);

    // The window's own message is still handed out; the quit request is not.
    EXPECT_EQ(m_viewport.ProcessMessages(), 1);
    EXPECT_EQ(m_viewport.ProcessMessages(), 0);
    EXPECT_EQ(m_viewport.IsQuitting(), 0);
    EXPECT_EQ(m_viewport.IsEnabled(), 1);

    MSG pending{};
    ASSERT_TRUE(PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(pending.message, WM_QUIT);
    EXPECT_EQ(pending.wParam, 666u);
    EXPECT_FALSE(PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ViewportWin32Test, ProcessMessagesTakesOnePendingMessageOfItsOwnWindow) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    CViewportWin32 other;
    ASSERT_EQ(other.Create(nullptr, 320, 240, 0), 1);
    while (m_viewport.ProcessMessages()) {
    }
    while (other.ProcessMessages()) {
    }
    EXPECT_EQ(m_viewport.ProcessMessages(), 0);

    ASSERT_TRUE(PostMessageA(m_viewport.GetWindowHandle(), WM_SETCURSOR, 0, 0));
    ASSERT_TRUE(PostMessageA(m_viewport.GetWindowHandle(), WM_ERASEBKGND, 0, 0));
    ASSERT_TRUE(PostMessageA(other.GetWindowHandle(), WM_SETCURSOR, 0, 0));
    EXPECT_EQ(m_viewport.ProcessMessages(), 1);
    EXPECT_EQ(m_viewport.ProcessMessages(), 1);
    // The other window's message is left for it.
    EXPECT_EQ(m_viewport.ProcessMessages(), 0);
    EXPECT_EQ(other.ProcessMessages(), 1);
    EXPECT_EQ(other.ProcessMessages(), 0);
    EXPECT_EQ(m_viewport.IsQuitting(), 0);
    EXPECT_EQ(other.IsQuitting(), 0);
}

TEST_F(ViewportWin32Test, WindowProcHandlesItsMessagesAndPassesTheRestOn) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    const HWND window = m_viewport.GetWindowHandle();
    struct Case {
        UINT message;
        LRESULT result;
    };
    const Case cases[] = {
        {WM_ERASEBKGND, 1}, {WM_SETCURSOR, 1}, {WM_CHAR, 0}, {WM_SYSKEYUP, 0}, {WM_SYSCHAR, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << c.message);
        EXPECT_EQ(m_viewport.WindowProc(window, c.message, 'a', 0), c.result);
        // The window class reaches the same procedure.
        EXPECT_EQ(SendMessageA(window, c.message, 'a', 0), c.result);
    }
    EXPECT_EQ(m_viewport.IsQuitting(), 0);

    // Other messages get the default handling: here, the icon messages.
    winapi::RegisterIconResource(101, 1, 1, std::vector<uint8_t>{1, 2, 3, 4}.data());
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101));
    ASSERT_NE(icon, nullptr);
    m_viewport.WindowProc(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    EXPECT_EQ(m_viewport.WindowProc(window, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(icon));

    // A close request does not destroy the window.
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(m_viewport.IsQuitting(), 1);
    MSG pending{};
    ASSERT_TRUE(PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(pending.message, WM_QUIT);
    EXPECT_EQ(pending.wParam, 1u);
}

// --- Life cycle -----------------------------------------------------------------------------

TEST_F(ViewportWin32Test, CloseForgetsTheWindowAndRecreateMakesANewOne) {
    ASSERT_EQ(m_viewport.Create(nullptr, 640, 480, 0), 1);
    const HWND first = m_viewport.GetWindowHandle();

    EXPECT_EQ(m_viewport.Close(), 1);
    EXPECT_EQ(m_viewport.GetWindowHandle(), nullptr);
    EXPECT_EQ(m_viewport.IsQuitting(), 1);
    EXPECT_EQ(m_viewport.IsEnabled(), 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(m_viewport.ProcessMessages(), 0);
    EXPECT_EQ(m_viewport.Close(), 1);
    EXPECT_EQ(m_viewport.IsQuitting(), 1);

    EXPECT_EQ(m_viewport.Recreate(800, 600, 1), 1);
    const HWND second = m_viewport.GetWindowHandle();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(m_viewport.IsQuitting(), 0);
    EXPECT_EQ(m_viewport.IsEnabled(), 1);
    EXPECT_EQ(StyleOf(second), kFullScreenStyle);
    EXPECT_EQ(ExStyleOf(second), 0u);
    ExpectClientSize(second, 800, 600);

    // Recreating a live window replaces it.
    EXPECT_EQ(m_viewport.Recreate(640, 480, 0), 1);
    const HWND third = m_viewport.GetWindowHandle();
    EXPECT_FALSE(IsWindow(second));
    EXPECT_TRUE(IsWindow(third));
    EXPECT_EQ(m_viewport.IsQuitting(), 0);
    EXPECT_EQ(StyleOf(third), kWindowedStyle);
    EXPECT_EQ(ExStyleOf(third), WS_EX_APPWINDOW);
    ExpectClientSize(third, 640, 480);
}

TEST_F(ViewportWin32Test, DeletingTheViewportDestroysItsWindow) {
    auto* viewport = new CViewportWin32;
    ASSERT_EQ(viewport->Create(nullptr, 640, 480, 0), 1);
    const HWND window = viewport->GetWindowHandle();
    ASSERT_TRUE(IsWindow(window));
    delete viewport;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(winapi::GetSdlWindow(window), nullptr);
}

}  // namespace
