#include "engine/platform/InputDeviceDX.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/LogFile.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/TempDir.h"
#include "winapi/window/DInput.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

using Event = std::pair<int, int>;  // type, param
using Events = std::vector<Event>;

constexpr int kDown = CInputDevice::kKeyDown;
constexpr int kUp = CInputDevice::kKeyUp;
constexpr int kChar = CInputDevice::kCharacter;
constexpr int kPress = CInputDevice::kButtonDown;
constexpr int kRelease = CInputDevice::kButtonUp;
constexpr int kDouble = CInputDevice::kDoubleClick;
constexpr int kMoveX = CInputDevice::kMoveX;
constexpr int kMoveY = CInputDevice::kMoveY;
constexpr int kWheel = CInputDevice::kWheel;

// Key codes as the device reports them (set-1 scan codes, extended keys with 0x80).
constexpr int kKeyA = 0x1E;
constexpr int kKeyS = 0x1F;
constexpr int kKeyD = 0x20;
constexpr int kKeyF = 0x21;
constexpr int kKeyG = 0x22;
constexpr int kKeyLeft = 0xCB;

Events EventsOf(const CInputDevice& input) {
    Events events;
    for (const auto* node = input.m_Events.m_pHead; node; node = node->m_pNext)
        events.emplace_back(node->m_data.m_nType, node->m_data.m_nParam);
    return events;
}

void Key(SDL_Scancode key, bool down) {
    winapi::InjectKey(key, down);
}

// A key press that also types text, as the system reports it: the key, then its text.
void TypeKey(SDL_Scancode key, const char* utf8) {
    winapi::InjectKey(key, true);
    winapi::InjectText(utf8);
}

void Click(int sdlButton) {
    winapi::InjectMouseButton(sdlButton, true);
    winapi::InjectMouseButton(sdlButton, false);
}

class InputDeviceDXTest : public ::testing::Test {
protected:
    void SetUp() override {
        winapi::ForceActiveWindow(1);
        // Small enough that the system's pointer, in the middle of the screen, is not over it.
        ASSERT_EQ(m_viewport.Create(nullptr, 320, 240, 0), 1);
        m_log = std::make_unique<CLogFile>(LogPath().c_str());
        ASSERT_TRUE(m_log->IsOpen());
        StartDevice();
    }

    void TearDown() override {
        winapi::ForceActiveWindow(-1);
        winapi::ClearInputFailures();
        winapi::SetSwapMouseButtons(0);
        // Losing the focus makes the layer forget keys and buttons still held.
        if (m_viewport.GetWindowHandle()) {
            winapi::InjectFocus(true);
            winapi::InjectFocus(false);
            while (m_viewport.ProcessMessages()) {
            }
        }
        m_input.Release();
        m_viewport.Close();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void StartDevice() {
        ASSERT_EQ(m_input.Init(nullptr, &m_viewport, m_log.get(), 0), 1);
        ASSERT_EQ(m_input.HasKeyboard(), 1);
        ASSERT_EQ(m_input.HasMouse(), 1);
        Frame(0.0);
    }

    // One pass of the main loop: the messages, then the input of the frame at `time`.
    Events Frame(double time) {
        while (m_viewport.ProcessMessages()) {
        }
        m_input.Update(time);
        return EventsOf(m_input);
    }

    std::string LogPath() const { return m_dir.File("input.log"); }
    std::string LogText() const { return ReadText(LogPath()); }

    POINT MousePos() {
        POINT point{-1, -1};
        EXPECT_EQ(m_input.GetMousePos(&point), &point);
        return point;
    }

    TempDir m_dir;
    CViewportWin32 m_viewport;
    std::unique_ptr<CLogFile> m_log;
    CInputDeviceDX m_input;
};

// --- Keys and characters --------------------------------------------------------------------

TEST_F(InputDeviceDXTest, KeysArriveAsPressAndReleaseOfTheirScanCodes) {
    struct Case {
        const char* name;
        SDL_Scancode key;
        int code;
    };
    const Case cases[] = {
        {"A", SDL_SCANCODE_A, 0x1E},           {"Q", SDL_SCANCODE_Q, 0x10},
        {"M", SDL_SCANCODE_M, 0x32},           {"Z", SDL_SCANCODE_Z, 0x2C},
        {"1", SDL_SCANCODE_1, 0x02},           {"5", SDL_SCANCODE_5, 0x06},
        {"0", SDL_SCANCODE_0, 0x0B},           {"Esc", SDL_SCANCODE_ESCAPE, 0x01},
        {"Enter", SDL_SCANCODE_RETURN, 0x1C},  {"Backspace", SDL_SCANCODE_BACKSPACE, 0x0E},
        {"Tab", SDL_SCANCODE_TAB, 0x0F},       {"Delete", SDL_SCANCODE_DELETE, 0xD3},
        {"Up", SDL_SCANCODE_UP, 0xC8},         {"Down", SDL_SCANCODE_DOWN, 0xD0},
        {"Left", SDL_SCANCODE_LEFT, 0xCB},     {"Right", SDL_SCANCODE_RIGHT, 0xCD},
        {"Pause", SDL_SCANCODE_PAUSE, 0xC5},
    };
    double time = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Key(c.key, true);
        EXPECT_EQ(Frame(time), (Events{{kDown, c.code}}));
        EXPECT_LT(m_input.IsKeyDown(c.code), 0);
        Key(c.key, false);
        EXPECT_EQ(Frame(time + 0.125), (Events{{kUp, c.code}}));
        EXPECT_EQ(m_input.IsKeyDown(c.code), 0);
        time += 1.0;
    }
}

TEST_F(InputDeviceDXTest, TypedCharactersFollowTheirKeyDownAsUnsignedCodes) {
    struct Case {
        const char* name;
        SDL_Scancode key;
        int code;
        const char* utf8;
        int character;
    };
    const Case cases[] = {
        {"a", SDL_SCANCODE_A, 0x1E, "a", 'a'},
        {"A", SDL_SCANCODE_A, 0x1E, "A", 'A'},
        {"!", SDL_SCANCODE_1, 0x02, "!", '!'},
        {"space", SDL_SCANCODE_SPACE, 0x39, " ", ' '},
        {"a umlaut", SDL_SCANCODE_APOSTROPHE, 0x28, "\xC3\xA4", 0xE4},
        {"o umlaut", SDL_SCANCODE_SEMICOLON, 0x27, "\xC3\xB6", 0xF6},
        {"u umlaut", SDL_SCANCODE_LEFTBRACKET, 0x1A, "\xC3\xBC", 0xFC},
        {"sharp s", SDL_SCANCODE_MINUS, 0x0C, "\xC3\x9F", 0xDF},
        {"capital A umlaut", SDL_SCANCODE_APOSTROPHE, 0x28, "\xC3\x84", 0xC4},
        {"euro", SDL_SCANCODE_E, 0x12, "\xE2\x82\xAC", 0x80},
        {"y diaeresis", SDL_SCANCODE_Y, 0x15, "\xC3\xBF", 0xFF},
    };
    double time = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TypeKey(c.key, c.utf8);
        EXPECT_EQ(Frame(time), (Events{{kDown, c.code}, {kChar, c.character}}));
        Key(c.key, false);
        EXPECT_EQ(Frame(time + 0.125), (Events{{kUp, c.code}}));
        time += 1.0;
    }
}

TEST_F(InputDeviceDXTest, TextWithoutAPrintableCharacterGivesOnlyTheKeyDown) {
    struct Case {
        const char* name;
        SDL_Scancode key;
        int code;
        const char* utf8;
    };
    const Case cases[] = {
        {"tab", SDL_SCANCODE_TAB, 0x0F, "\t"},
        {"carriage return", SDL_SCANCODE_RETURN, 0x1C, "\r"},
        {"escape", SDL_SCANCODE_ESCAPE, 0x01, "\x1B"},
        {"character outside the code page", SDL_SCANCODE_A, 0x1E, "\xE4\xB8\xAD"},
    };
    double time = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TypeKey(c.key, c.utf8);
        EXPECT_EQ(Frame(time), (Events{{kDown, c.code}}));
        Key(c.key, false);
        EXPECT_EQ(Frame(time + 0.125), (Events{{kUp, c.code}}));
        time += 1.0;
    }
}

TEST_F(InputDeviceDXTest, SystemRepeatsAndStrayTextAreIgnored) {
    TypeKey(SDL_SCANCODE_A, "a");
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}, {kChar, 'a'}}));

    // The system's own repeat, with its text, and text that follows no key press.
    winapi::InjectKey(SDL_SCANCODE_A, true, true);
    winapi::InjectText("a");
    winapi::InjectText("x");
    EXPECT_EQ(Frame(1.125), Events{});

    Key(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(1.25), (Events{{kUp, kKeyA}}));
}

TEST_F(InputDeviceDXTest, KeysOfOneFrameKeepTheirOrderWithTheirCharacters) {
    TypeKey(SDL_SCANCODE_A, "a");
    TypeKey(SDL_SCANCODE_S, "s");
    Key(SDL_SCANCODE_A, false);
    TypeKey(SDL_SCANCODE_D, "D");
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}, {kChar, 'a'}, {kDown, kKeyS}, {kChar, 's'}, {kUp, kKeyA},
                                  {kDown, kKeyD}, {kChar, 'D'}}));
    EXPECT_EQ(m_input.IsKeyDown(kKeyA), 0);
    EXPECT_LT(m_input.IsKeyDown(kKeyS), 0);
    EXPECT_LT(m_input.IsKeyDown(kKeyD), 0);
    Key(SDL_SCANCODE_S, false);
    Key(SDL_SCANCODE_D, false);
    EXPECT_EQ(Frame(1.125), (Events{{kUp, kKeyS}, {kUp, kKeyD}}));
}

TEST_F(InputDeviceDXTest, KeyStateOutsideTheKeyRangeIsZero) {
    Key(SDL_SCANCODE_A, true);
    Key(SDL_SCANCODE_PAUSE, true);
    // A pointer x of 0x80 makes a read just past the key bytes look like a held key.
    winapi::InjectMouseMotion(0x80, 0x80, 4, 4);
    Frame(1.0);
    ASSERT_LT(m_input.IsKeyDown(kKeyA), 0);
    ASSERT_LT(m_input.IsKeyDown(0xC5), 0);
    ASSERT_EQ(MousePos().x, 0x80);
    EXPECT_EQ(m_input.IsKeyDown(0), 0);
    EXPECT_EQ(m_input.IsKeyDown(255), 0);
    for (const int index : {-1, -256, 256, 257, 1000, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(m_input.IsKeyDown(index), 0);
    }
    Key(SDL_SCANCODE_A, false);
    Key(SDL_SCANCODE_PAUSE, false);
}

// --- Key repeat -----------------------------------------------------------------------------

TEST_F(InputDeviceDXTest, HeldKeyRepeatsAfterTheDelayThenOncePerFrameAfterEachInterval) {
    TypeKey(SDL_SCANCODE_A, "a");
    const Events repeat{{kDown, kKeyA}, {kChar, 'a'}};
    struct Step {
        double time;
        bool repeats;
    };
    const Step steps[] = {
        {1.0, true},  // the press itself
        {1.25, false},
        {1.5, false},     // exactly the first delay: not yet
        {1.625, true},    // past the first delay
        {1.640625, false},  // within the interval
        {1.65625, false},
        {1.6875, true},   // 0.0625 after the last repeat
        {1.703125, false},
        {3.0, true},      // a long frame still gives only one repeat
        {3.0, false},
        {3.03125, false},
        {3.0625, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.time);
        EXPECT_EQ(Frame(step.time), step.repeats ? repeat : Events{});
        EXPECT_LT(m_input.IsKeyDown(kKeyA), 0);
    }
    Key(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(3.125), (Events{{kUp, kKeyA}}));
    EXPECT_EQ(Frame(5.0), Events{});
}

TEST_F(InputDeviceDXTest, KeyWithoutCharacterRepeatsOnlyItsKeyDown) {
    Key(SDL_SCANCODE_LEFT, true);
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyLeft}}));
    EXPECT_EQ(Frame(1.625), (Events{{kDown, kKeyLeft}}));
    EXPECT_EQ(Frame(1.6875), (Events{{kDown, kKeyLeft}}));
    Key(SDL_SCANCODE_LEFT, false);
    EXPECT_EQ(Frame(2.0), (Events{{kUp, kKeyLeft}}));
}

TEST_F(InputDeviceDXTest, SecondKeyTakesOverRepeatingAndReleasingItStopsRepeating) {
    TypeKey(SDL_SCANCODE_A, "a");
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}, {kChar, 'a'}}));
    TypeKey(SDL_SCANCODE_S, "s");
    EXPECT_EQ(Frame(1.25), (Events{{kDown, kKeyS}, {kChar, 's'}}));
    // The first key would have repeated by now; the second has its own delay.
    EXPECT_EQ(Frame(1.625), Events{});
    EXPECT_EQ(Frame(1.875), (Events{{kDown, kKeyS}, {kChar, 's'}}));
    EXPECT_EQ(Frame(1.9375), (Events{{kDown, kKeyS}, {kChar, 's'}}));

    Key(SDL_SCANCODE_S, false);
    EXPECT_EQ(Frame(2.0), (Events{{kUp, kKeyS}}));
    // The first key is still held but does not take repeating back.
    EXPECT_EQ(Frame(3.0), Events{});
    EXPECT_EQ(Frame(4.0), Events{});
    EXPECT_LT(m_input.IsKeyDown(kKeyA), 0);

    Key(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(4.5), (Events{{kUp, kKeyA}}));
}

TEST_F(InputDeviceDXTest, PressingAgainRestartsTheRepeatDelay) {
    TypeKey(SDL_SCANCODE_A, "a");
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}, {kChar, 'a'}}));
    EXPECT_EQ(Frame(1.625), (Events{{kDown, kKeyA}, {kChar, 'a'}}));
    Key(SDL_SCANCODE_A, false);
    TypeKey(SDL_SCANCODE_A, "a");
    EXPECT_EQ(Frame(1.75), (Events{{kUp, kKeyA}, {kDown, kKeyA}, {kChar, 'a'}}));
    // A new press waits the first delay again, not the short interval.
    EXPECT_EQ(Frame(1.875), Events{});
    EXPECT_EQ(Frame(2.125), Events{});
    EXPECT_EQ(Frame(2.375), (Events{{kDown, kKeyA}, {kChar, 'a'}}));
    Key(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(2.5), (Events{{kUp, kKeyA}}));
}

// --- Mouse ----------------------------------------------------------------------------------

TEST_F(InputDeviceDXTest, MouseButtonsArriveAsButtonsZeroToThreeAfterTheSystemSwap) {
    struct Case {
        const char* name;
        int sdlButton;
        int button;
        int swappedButton;
    };
    const Case cases[] = {
        {"left", SDL_BUTTON_LEFT, 0, 1},
        {"right", SDL_BUTTON_RIGHT, 1, 0},
        {"middle", SDL_BUTTON_MIDDLE, 2, 2},
        {"first extra", SDL_BUTTON_X1, 3, 3},
    };
    double time = 1.0;
    for (const int swapped : {0, 1}) {
        winapi::SetSwapMouseButtons(swapped);
        StartDevice();
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << (swapped ? ", swapped" : ""));
            const int expected = swapped ? c.swappedButton : c.button;
            winapi::InjectMouseButton(c.sdlButton, true);
            EXPECT_EQ(Frame(time), (Events{{kPress, expected}}));
            for (int button = 0; button < 4; ++button)
                EXPECT_EQ(m_input.GetMouseButton(button) != 0, button == expected) << "button " << button;
            winapi::InjectMouseButton(c.sdlButton, false);
            EXPECT_EQ(Frame(time + 0.125), (Events{{kRelease, expected}}));
            for (int button = 0; button < 4; ++button)
                EXPECT_EQ(m_input.GetMouseButton(button), 0) << "button " << button;
            time += 1.0;
        }
    }

    // Double clicks follow the swapped button.
    Click(SDL_BUTTON_RIGHT);
    EXPECT_EQ(Frame(20.0), (Events{{kPress, 0}, {kRelease, 0}}));
    Click(SDL_BUTTON_RIGHT);
    EXPECT_EQ(Frame(20.125), (Events{{kPress, 0}, {kDouble, 0}, {kRelease, 0}}));
}

TEST_F(InputDeviceDXTest, MouseButtonOutsideTheButtonRangeIsZero) {
    for (const int sdlButton : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1})
        winapi::InjectMouseButton(sdlButton, true);
    Frame(1.0);
    for (int button = 0; button < 4; ++button)
        ASSERT_NE(m_input.GetMouseButton(button), 0) << "button " << button;
    for (const int button : {-1, -4, 4, 5, 100, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(button);
        EXPECT_EQ(m_input.GetMouseButton(button), 0);
    }
    for (const int sdlButton : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1})
        winapi::InjectMouseButton(sdlButton, false);
}

// Clicks, then one frame of the input at a time.
struct ClickStep {
    std::vector<int> sdlButtons;  // each pressed and released
    double time;
    Events expected;
};

// A single click and a click that is the second of a double click, of the given button.
Events Single(int button) {
    return {{kPress, button}, {kRelease, button}};
}
Events Double(int button) {
    return {{kPress, button}, {kDouble, button}, {kRelease, button}};
}

// Two left clicks a gap apart, from one second on.
std::vector<ClickStep> TwoLeftClicks(double gap, bool doubleClick) {
    return {{{SDL_BUTTON_LEFT}, 1.0, Single(0)}, {{SDL_BUTTON_LEFT}, 1.0 + gap, doubleClick ? Double(0) : Single(0)}};
}

TEST_F(InputDeviceDXTest, DoubleClicksAreSecondPressesOfOneButtonWithinTheDoubleClickTime) {
    struct Case {
        const char* name;
        std::vector<ClickStep> steps;
    };
    const Case cases[] = {
        {"gap of 0.2", TwoLeftClicks(0.2, true)},
        {"no gap", TwoLeftClicks(0.0, true)},
        {"gap of the double-click time", TwoLeftClicks(0.3125, true)},
        {"gap just past it", TwoLeftClicks(0.34375, false)},
        {"gap of 0.4", TwoLeftClicks(0.4, false)},
        {"gap of 2", TwoLeftClicks(2.0, false)},
        {"three quick presses make two double clicks",
         {{{SDL_BUTTON_LEFT}, 1.0, Single(0)},
          {{SDL_BUTTON_LEFT}, 1.125, Double(0)},
          {{SDL_BUTTON_LEFT}, 1.25, Double(0)}}},
        {"three quick presses within one frame",
         {{{SDL_BUTTON_RIGHT, SDL_BUTTON_RIGHT, SDL_BUTTON_RIGHT}, 1.0,
           {{kPress, 1}, {kRelease, 1}, {kPress, 1}, {kDouble, 1}, {kRelease, 1}, {kPress, 1}, {kDouble, 1},
            {kRelease, 1}}},
          {{}, 1.0, {}}}},
        {"each button counts on its own",
         {{{SDL_BUTTON_LEFT}, 1.0, Single(0)},
          {{SDL_BUTTON_RIGHT}, 1.0625, Single(1)},
          {{SDL_BUTTON_MIDDLE}, 1.125, Single(2)},
          {{SDL_BUTTON_LEFT}, 1.25, Double(0)},
          {{SDL_BUTTON_X1}, 1.3125, Single(3)},
          {{SDL_BUTTON_X1}, 1.375, Double(3)}}},
        // Clicked at the very start of the clock, before the device was ever updated.
        {"first clicks after the start",
         {{{SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1},
           0.0,
           {{kPress, 0}, {kRelease, 0}, {kPress, 1}, {kRelease, 1}, {kPress, 2}, {kRelease, 2}, {kPress, 3},
            {kRelease, 3}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A device of its own, never updated before.
        CInputDeviceDX device;
        ASSERT_EQ(device.Init(nullptr, &m_viewport, m_log.get(), 0), 1);
        for (const ClickStep& step : c.steps) {
            SCOPED_TRACE(testing::Message() << "frame at " << step.time);
            for (const int sdlButton : step.sdlButtons)
                Click(sdlButton);
            while (m_viewport.ProcessMessages()) {
            }
            device.Update(step.time);
            EXPECT_EQ(EventsOf(device), step.expected);
        }
    }
}

TEST_F(InputDeviceDXTest, SwapSettingIsReadWhenTheDeviceStarts) {
    // Changed after the start, the setting has no effect until the next start.
    winapi::SetSwapMouseButtons(1);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, true);
    EXPECT_EQ(Frame(1.0), (Events{{kPress, 0}}));
    EXPECT_NE(m_input.GetMouseButton(0), 0);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, false);
    EXPECT_EQ(Frame(1.125), (Events{{kRelease, 0}}));
}

TEST_F(InputDeviceDXTest, WheelTurnsBy120PerNotch) {
    struct Case {
        int notches;
        bool flipped;
        int movement;
    };
    const Case cases[] = {{1, false, 120}, {-1, false, -120}, {3, false, 360}, {1, true, -120}, {-2, true, 240}};
    double time = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.notches << (c.flipped ? " flipped" : ""));
        winapi::InjectWheel(c.notches, c.flipped);
        EXPECT_EQ(Frame(time), (Events{{kWheel, c.movement}}));
        time += 1.0;
    }
}

TEST_F(InputDeviceDXTest, MotionGivesHorizontalThenVerticalMovementAndTheClientPosition) {
    struct Case {
        int x;
        int y;
        int dx;
        int dy;
        Events events;
    };
    const Case cases[] = {
        {100, 50, 7, -3, {{kMoveX, 7}, {kMoveY, -3}}},
        {105, 50, 5, 0, {{kMoveX, 5}}},
        {105, 40, 0, -10, {{kMoveY, -10}}},
        {0, 0, -105, -40, {{kMoveX, -105}, {kMoveY, -40}}},
        {319, 239, 319, 239, {{kMoveX, 319}, {kMoveY, 239}}},
    };
    double time = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        winapi::InjectMouseMotion(c.x, c.y, c.dx, c.dy);
        EXPECT_EQ(Frame(time), c.events);
        const POINT position = MousePos();
        EXPECT_EQ(position.x, c.x);
        EXPECT_EQ(position.y, c.y);
        time += 1.0;
    }
    // Without movement the pointer stays where it was.
    EXPECT_EQ(Frame(time), Events{});
    EXPECT_EQ(MousePos().x, 319);
    EXPECT_EQ(MousePos().y, 239);
}

TEST_F(InputDeviceDXTest, KeyboardEventsComeFirstThenMouseEventsInTheirOrder) {
    winapi::InjectMouseMotion(10, 20, 3, 4);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, true);
    TypeKey(SDL_SCANCODE_A, "a");
    winapi::InjectWheel(-1);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, false);
    Key(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}, {kChar, 'a'}, {kUp, kKeyA}, {kMoveX, 3}, {kMoveY, 4},
                                  {kPress, 0}, {kWheel, -120}, {kRelease, 0}}));
}

// --- Buffer overflow ------------------------------------------------------------------------

TEST_F(InputDeviceDXTest, KeyboardDeliversTheFirstEightRecordsOfAFrameAndDropsTheRest) {
    // Characters take no records: four typed keys fill the eight.
    TypeKey(SDL_SCANCODE_A, "a");
    Key(SDL_SCANCODE_A, false);
    TypeKey(SDL_SCANCODE_S, "s");
    Key(SDL_SCANCODE_S, false);
    TypeKey(SDL_SCANCODE_D, "d");
    Key(SDL_SCANCODE_D, false);
    TypeKey(SDL_SCANCODE_F, "f");
    Key(SDL_SCANCODE_F, false);
    TypeKey(SDL_SCANCODE_G, "g");
    Key(SDL_SCANCODE_G, false);
    TypeKey(SDL_SCANCODE_A, "a");
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}, {kChar, 'a'}, {kUp, kKeyA}, {kDown, kKeyS}, {kChar, 's'},
                                  {kUp, kKeyS}, {kDown, kKeyD}, {kChar, 'd'}, {kUp, kKeyD}, {kDown, kKeyF},
                                  {kChar, 'f'}, {kUp, kKeyF}}));
    // The dropped records do not turn up later.
    EXPECT_EQ(Frame(1.125), Events{});
    Key(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(1.25), (Events{{kUp, kKeyA}}));
    EXPECT_EQ(m_input.IsKeyDown(kKeyA), 0);
    EXPECT_EQ(m_input.IsKeyDown(kKeyG), 0);
}

TEST_F(InputDeviceDXTest, MouseDeliversTheFirstEightRecordsOfAFrameAndDropsTheRest) {
    for (int notch = 1; notch <= 6; ++notch)
        winapi::InjectWheel(notch);
    // Two records: one on each axis.
    winapi::InjectMouseMotion(40, 30, 1, 2);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, true);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, false);
    EXPECT_EQ(Frame(1.0), (Events{{kWheel, 120}, {kWheel, 240}, {kWheel, 360}, {kWheel, 480}, {kWheel, 600},
                                  {kWheel, 720}, {kMoveX, 1}, {kMoveY, 2}}));
    EXPECT_EQ(Frame(1.125), Events{});
    winapi::InjectWheel(-1);
    EXPECT_EQ(Frame(1.25), (Events{{kWheel, -120}}));
}

TEST_F(InputDeviceDXTest, ExactlyEightRecordsAreAllDelivered) {
    for (int i = 0; i < 4; ++i)
        Click(SDL_BUTTON_MIDDLE);
    EXPECT_EQ(Frame(1.0), (Events{{kPress, 2}, {kRelease, 2}, {kPress, 2}, {kDouble, 2}, {kRelease, 2},
                                  {kPress, 2}, {kDouble, 2}, {kRelease, 2}, {kPress, 2}, {kDouble, 2},
                                  {kRelease, 2}}));
    Click(SDL_BUTTON_MIDDLE);
    EXPECT_EQ(Frame(2.0), (Events{{kPress, 2}, {kRelease, 2}}));
}

// --- Activation -----------------------------------------------------------------------------

TEST_F(InputDeviceDXTest, InputSurvivesAFocusChangeBetweenTwoFrames) {
    winapi::ForceActiveWindow(-1);
    winapi::InjectFocus(true);
    Key(SDL_SCANCODE_A, true);
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}}));

    // Away and back before the next frame notices.
    winapi::InjectFocus(false);
    winapi::InjectFocus(true);
    Key(SDL_SCANCODE_S, true);
    EXPECT_EQ(Frame(1.125), (Events{{kDown, kKeyS}}));
    EXPECT_EQ(m_input.IsKeyDown(kKeyA), 0);
    EXPECT_LT(m_input.IsKeyDown(kKeyS), 0);
    Key(SDL_SCANCODE_S, false);
}

TEST_F(InputDeviceDXTest, WhileAnotherWindowIsActiveThereIsNoInput) {
    winapi::InjectMouseMotion(100, 50, 10, 10);
    Key(SDL_SCANCODE_A, true);
    EXPECT_EQ(Frame(1.0), (Events{{kDown, kKeyA}, {kMoveX, 10}, {kMoveY, 10}}));
    ASSERT_EQ(MousePos().x, 100);
    ASSERT_EQ(MousePos().y, 50);
    ASSERT_LT(m_input.IsKeyDown(kKeyA), 0);

    winapi::ForceActiveWindow(0);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, true);
    TypeKey(SDL_SCANCODE_S, "s");
    winapi::InjectWheel(1);
    winapi::InjectMouseMotion(120, 60, 20, 10);
    for (const double time : {2.0, 3.0}) {
        SCOPED_TRACE(time);
        EXPECT_EQ(Frame(time), Events{});
        EXPECT_EQ(m_input.IsKeyDown(kKeyA), 0);
        EXPECT_EQ(m_input.IsKeyDown(kKeyS), 0);
        EXPECT_EQ(m_input.GetMouseButton(0), 0);
        const POINT position = MousePos();
        EXPECT_EQ(position.x, 0);
        EXPECT_EQ(position.y, 0);
    }
    // Held keys do not repeat either.
    EXPECT_EQ(Frame(4.0), Events{});

    Key(SDL_SCANCODE_A, false);
    Key(SDL_SCANCODE_S, false);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, false);
    EXPECT_EQ(Frame(5.0), Events{});

    // Active again: what happened meanwhile is not replayed, new input arrives.
    winapi::ForceActiveWindow(1);
    EXPECT_EQ(Frame(6.0), Events{});
    EXPECT_EQ(MousePos().x, 120);
    EXPECT_EQ(MousePos().y, 60);
    TypeKey(SDL_SCANCODE_D, "d");
    Click(SDL_BUTTON_LEFT);
    EXPECT_EQ(Frame(7.0), (Events{{kDown, kKeyD}, {kChar, 'd'}, {kPress, 0}, {kRelease, 0}}));
    Key(SDL_SCANCODE_D, false);
}

// --- Failures and released devices ----------------------------------------------------------

TEST_F(InputDeviceDXTest, EachFailingStartStepLogsItsReasonOnce) {
    using winapi::EInputStep;
    struct Case {
        EInputStep step;
        const char* reason;
    };
    const Case cases[] = {
        {EInputStep::kLoadLibrary, "DirectX 8 is not installed"},
        {EInputStep::kGetProcAddress, "Function DirectInput8Create not found"},
        {EInputStep::kCreateInterface, "DirectInput8Create failed"},
        {EInputStep::kKeyboardStatus, "Get keyboard device status failed"},
        {EInputStep::kKeyboardCreate, "Create keyboard device failed"},
        {EInputStep::kKeyboardDataFormat, "Set keyboard data format failed"},
        {EInputStep::kKeyboardCooperativeLevel, "Set keyboard cooperative level failed"},
        {EInputStep::kKeyboardBufferSize, "Set keyboard buffer size failed"},
        {EInputStep::kMouseStatus, "Get mouse device status failed"},
        {EInputStep::kMouseCreate, "Create mouse device failed"},
        {EInputStep::kMouseDataFormat, "Set mouse data format failed"},
        {EInputStep::kMouseCooperativeLevel, "Set mouse cooperative level failed"},
        {EInputStep::kMouseBufferSize, "Set mouse buffer size failed"},
    };
    ASSERT_EQ(std::size(cases), static_cast<size_t>(EInputStep::kMouseBufferSize) + 1);
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::string path = m_dir.File("start" + std::to_string(index++) + ".log");
        CLogFile log(path.c_str());
        CInputDeviceDX device;
        winapi::SetInputFailure(c.step, true);
        EXPECT_EQ(device.Init(nullptr, &m_viewport, &log, 0), 0);
        const std::string expected = std::string("DirectX 8 input device: ") + c.reason;
        EXPECT_EQ(ReadText(path), expected);
        EXPECT_EQ(device.HasKeyboard(), 0);
        EXPECT_EQ(device.HasMouse(), 0);

        // Nothing to read afterwards, and nothing more to log.
        TypeKey(SDL_SCANCODE_A, "a");
        Click(SDL_BUTTON_LEFT);
        while (m_viewport.ProcessMessages()) {
        }
        device.Update(1.0);
        EXPECT_EQ(EventsOf(device), Events{});
        EXPECT_EQ(ReadText(path), expected);
        Key(SDL_SCANCODE_A, false);

        // Once the step works again, the same device starts.
        winapi::ClearInputFailures();
        EXPECT_EQ(device.Init(nullptr, &m_viewport, &log, 0), 1);
        EXPECT_EQ(device.HasKeyboard(), 1);
        EXPECT_EQ(device.HasMouse(), 1);
        EXPECT_EQ(ReadText(path), expected);
        device.Release();
    }
}

TEST_F(InputDeviceDXTest, FailedReadsAreLoggedAndTheFrameHasTheOtherDevicesEvents) {
    using winapi::EInputStep;
    struct Case {
        EInputStep step;
        const char* line;
        Events events;
        bool keyDown;
        bool buttonDown;
    };
    const Case cases[] = {
        {EInputStep::kKeyboardData, "MiniInputDX: Get keyboard data failed.\n", {{kPress, 0}}, true, true},
        {EInputStep::kKeyboardState, "MiniInputDX: Get keyboard state failed.\n",
         {{kDown, kKeyA}, {kPress, 0}}, false, true},
        {EInputStep::kMouseData, "MiniInputDX: Get mouse data failed.\n", {{kDown, kKeyA}}, true, true},
        {EInputStep::kMouseState, "MiniInputDX: Get mouse state failed.\n", {{kDown, kKeyA}, {kPress, 0}}, true,
         false},
    };
    double time = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        m_log = std::make_unique<CLogFile>(LogPath().c_str());
        StartDevice();
        winapi::SetInputFailure(c.step, true);
        Key(SDL_SCANCODE_A, true);
        winapi::InjectMouseButton(SDL_BUTTON_LEFT, true);
        EXPECT_EQ(Frame(time), c.events);
        EXPECT_EQ(LogText(), c.line);
        EXPECT_EQ(m_input.IsKeyDown(kKeyA) < 0, c.keyDown);
        EXPECT_EQ(m_input.GetMouseButton(0) != 0, c.buttonDown);
        // Every failing frame logs again.
        Frame(time + 0.125);
        EXPECT_EQ(LogText(), std::string(c.line) + c.line);

        winapi::ClearInputFailures();
        Key(SDL_SCANCODE_A, false);
        winapi::InjectMouseButton(SDL_BUTTON_LEFT, false);
        Frame(time + 0.25);
        EXPECT_EQ(LogText(), std::string(c.line) + c.line);
        time += 1.0;
    }
}

TEST_F(InputDeviceDXTest, ReleasedDeviceReadsAndLogsNothing) {
    m_input.Release();
    EXPECT_EQ(m_input.HasKeyboard(), 0);
    EXPECT_EQ(m_input.HasMouse(), 0);
    // Even a failing read has nothing to report.
    winapi::SetInputFailure(winapi::EInputStep::kKeyboardData, true);
    winapi::SetInputFailure(winapi::EInputStep::kMouseState, true);
    TypeKey(SDL_SCANCODE_A, "a");
    Click(SDL_BUTTON_LEFT);
    winapi::InjectMouseMotion(10, 10, 5, 5);
    EXPECT_EQ(Frame(1.0), Events{});
    EXPECT_EQ(Frame(2.0), Events{});
    EXPECT_EQ(m_input.IsKeyDown(kKeyA), 0);
    EXPECT_EQ(MousePos().x, 0);
    EXPECT_EQ(MousePos().y, 0);
    EXPECT_EQ(LogText(), "");
    m_input.Release();
    EXPECT_EQ(Frame(3.0), Events{});
    Key(SDL_SCANCODE_A, false);

    // A device that was never started reads nothing either.
    CInputDeviceDX unstarted;
    unstarted.Update(1.0);
    EXPECT_EQ(EventsOf(unstarted), Events{});
}

TEST_F(InputDeviceDXTest, DevicesFollowARecreatedWindow) {
    const HWND first = m_viewport.GetWindowHandle();
    ASSERT_EQ(m_viewport.Recreate(320, 240, 0), 1);
    ASSERT_NE(m_viewport.GetWindowHandle(), first);
    EXPECT_EQ(Frame(1.0), Events{});
    TypeKey(SDL_SCANCODE_A, "a");
    Click(SDL_BUTTON_LEFT);
    EXPECT_EQ(Frame(2.0), (Events{{kDown, kKeyA}, {kChar, 'a'}, {kPress, 0}, {kRelease, 0}}));
    Key(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(2.125), (Events{{kUp, kKeyA}}));
    EXPECT_EQ(LogText(), "");
    EXPECT_EQ(m_input.HasKeyboard(), 1);
    EXPECT_EQ(m_input.HasMouse(), 1);
}

TEST_F(InputDeviceDXTest, FailingToFollowARecreatedWindowLogsOnceAndReleasesTheDevices) {
    using winapi::EInputStep;
    struct Case {
        EInputStep step;
        const char* reason;
    };
    const Case cases[] = {
        {EInputStep::kKeyboardCooperativeLevel, "Set keyboard cooperative level failed"},
        {EInputStep::kMouseCooperativeLevel, "Set mouse cooperative level failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        m_log = std::make_unique<CLogFile>(LogPath().c_str());
        StartDevice();
        winapi::SetInputFailure(c.step, true);
        ASSERT_EQ(m_viewport.Recreate(320, 240, 0), 1);
        TypeKey(SDL_SCANCODE_A, "a");
        EXPECT_EQ(Frame(1.0), Events{});
        const std::string expected = std::string("DirectX 8 input device: ") + c.reason;
        EXPECT_EQ(LogText(), expected);
        EXPECT_EQ(m_input.HasKeyboard(), 0);
        EXPECT_EQ(m_input.HasMouse(), 0);

        // Later frames, failing or not, neither read nor log.
        Key(SDL_SCANCODE_A, false);
        EXPECT_EQ(Frame(2.0), Events{});
        winapi::ClearInputFailures();
        ASSERT_EQ(m_viewport.Recreate(320, 240, 0), 1);
        TypeKey(SDL_SCANCODE_S, "s");
        Click(SDL_BUTTON_LEFT);
        EXPECT_EQ(Frame(3.0), Events{});
        EXPECT_EQ(m_input.IsKeyDown(kKeyS), 0);
        EXPECT_EQ(LogText(), expected);
        Key(SDL_SCANCODE_S, false);
    }
}

}  // namespace
