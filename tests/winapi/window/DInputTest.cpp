#include "winapi/window/DInput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <utility>
#include <vector>

#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

const char kClassName[] = "DInputTestClass";
constexpr DWORD kForeground = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
const GUID kUnknownDevice = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};

HRESULT SetBufferSize(IDirectInputDevice8A* device, DWORD records) {
    DIPROPDWORD property{};
    property.diph = DIPROPHEADER{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    property.dwData = records;
    return device->SetProperty(DIPROP_BUFFERSIZE, &property.diph);
}

IDirectInput8A* CreateInterface() {
    void* out = nullptr;
    if (FAILED(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr)))
        return nullptr;
    return static_cast<IDirectInput8A*>(out);
}

// A device with its data format, cooperative level and buffer set, not yet acquired.
IDirectInputDevice8A* CreateReadyDevice(IDirectInput8A* input, HWND window, bool keyboard, DWORD bufferSize = 8,
                                        DWORD flags = kForeground) {
    IDirectInputDevice8A* device = nullptr;
    if (FAILED(input->CreateDevice(keyboard ? GUID_SysKeyboard : GUID_SysMouse, &device, nullptr)))
        return nullptr;
    if (FAILED(device->SetDataFormat(keyboard ? &c_dfDIKeyboard : &c_dfDIMouse)) ||
        FAILED(device->SetCooperativeLevel(window, flags)) || FAILED(SetBufferSize(device, bufferSize))) {
        device->Release();
        return nullptr;
    }
    return device;
}

std::vector<DIDEVICEOBJECTDATA> Fetch(IDirectInputDevice8A* device, HRESULT* result = nullptr, DWORD capacity = 32) {
    std::vector<DIDEVICEOBJECTDATA> records(capacity);
    DWORD count = capacity;
    const HRESULT hr = device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &count, 0);
    if (result)
        *result = hr;
    records.resize(SUCCEEDED(hr) ? count : 0);
    return records;
}

// The character the layer paired with a delivered key-down, as the input device asks for it.
int CharacterOf(DWORD scanCode, WORD* characters) {
    const HKL layout = GetKeyboardLayout(0);
    BYTE state[256];
    if (!GetKeyboardState(state))
        return -1;
    const UINT virtualKey = MapVirtualKeyExA(scanCode, MAPVK_VSC_TO_VK, layout);
    *characters = 0;
    return ToAsciiEx(virtualKey, scanCode, state, characters, 0, layout);
}

void PressKey(int sdlScancode, const char* text = nullptr) {
    winapi::InjectKey(sdlScancode, true);
    if (text)
        winapi::InjectText(text);
    winapi::InjectKey(sdlScancode, false);
}

class DInputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = &DefWindowProcA;
            windowClass.lpszClassName = kClassName;
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
    }

    void SetUp() override {
        m_window = MakeWindow();
        ASSERT_NE(m_window, nullptr);
        m_input = CreateInterface();
        ASSERT_NE(m_input, nullptr);
    }

    void TearDown() override {
        for (IDirectInputDevice8A* device : m_devices) {
            device->Unacquire();
            device->Release();
        }
        m_devices.clear();
        if (m_input)
            m_input->Release();
        // Let go of any key or button a test left held.
        winapi::ForceActiveWindow(-1);
        winapi::InjectFocus(true);
        winapi::InjectFocus(false);
        winapi::PumpEvents();
        for (const HWND window : m_windows)
            DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        winapi::ForceActiveWindow(-1);
        winapi::ClearInputFailures();
        winapi::SetSwapMouseButtons(0);
    }

    HWND MakeWindow() {
        const HWND window = CreateWindowExA(WS_EX_APPWINDOW, kClassName, "", WS_CAPTION | WS_SYSMENU, 0, 0, 320, 240,
                                            nullptr, nullptr, nullptr, nullptr);
        if (window)
            m_windows.push_back(window);
        return window;
    }

    IDirectInputDevice8A* Device(bool keyboard, DWORD bufferSize = 8, DWORD flags = kForeground) {
        IDirectInputDevice8A* device = CreateReadyDevice(m_input, m_window, keyboard, bufferSize, flags);
        if (device)
            m_devices.push_back(device);
        return device;
    }

    // A device acquired with the window forced active.
    IDirectInputDevice8A* AcquiredDevice(bool keyboard, DWORD bufferSize = 8) {
        winapi::ForceActiveWindow(1);
        IDirectInputDevice8A* device = Device(keyboard, bufferSize);
        if (device && FAILED(device->Acquire()))
            return nullptr;
        return device;
    }

    HWND m_window = nullptr;
    IDirectInput8A* m_input = nullptr;
    std::vector<HWND> m_windows;
    std::vector<IDirectInputDevice8A*> m_devices;
};

// --- Library and interface -------------------------------------------------------------

TEST_F(DInputTest, LibraryProvidesTheCreateFunctionByName) {
    const HMODULE library = LoadLibraryA("dinput8.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(LoadLibraryA("DINPUT8.DLL"), library);
    EXPECT_EQ(LoadLibraryA("dinput.dll"), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);

    const FARPROC function = GetProcAddress(library, "DirectInput8Create");
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(GetProcAddress(library, "DirectInputCreate"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "directinput8create"), nullptr);
    EXPECT_EQ(GetProcAddress(library, nullptr), nullptr);
    EXPECT_EQ(GetProcAddress(GetModuleHandleA(nullptr), "DirectInput8Create"), nullptr);

    const auto create = reinterpret_cast<DirectInput8CreateFunction>(function);
    void* out = nullptr;
    ASSERT_EQ(create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), DI_OK);
    ASSERT_NE(out, nullptr);
    static_cast<IDirectInput8A*>(out)->Release();
    EXPECT_TRUE(FreeLibrary(library));
}

TEST_F(DInputTest, CreateChecksVersionAndInterface) {
    const struct {
        DWORD version;
        const GUID* interfaceId;
        bool succeeds;
    } cases[] = {
        {DIRECTINPUT_VERSION, &IID_IDirectInput8A, true},
        {0x0700, &IID_IDirectInput8A, false},
        {0x0801, &IID_IDirectInput8A, false},
        {DIRECTINPUT_VERSION, &GUID_SysKeyboard, false},
        {DIRECTINPUT_VERSION, &kUnknownDevice, false},
    };
    int marker = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version 0x" << std::hex << c.version);
        void* out = &marker;
        const HRESULT result = DirectInput8Create(nullptr, c.version, *c.interfaceId, &out, nullptr);
        EXPECT_EQ(SUCCEEDED(result), c.succeeds);
        if (c.succeeds) {
            ASSERT_NE(out, nullptr);
            static_cast<IDirectInput8A*>(out)->Release();
        } else {
            EXPECT_EQ(out, nullptr);
        }
    }
    EXPECT_TRUE(FAILED(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, nullptr, nullptr)));
}

TEST_F(DInputTest, OnlyTheSystemKeyboardAndMouseExist) {
    for (const GUID* device : {&GUID_SysKeyboard, &GUID_SysMouse}) {
        EXPECT_EQ(m_input->GetDeviceStatus(*device), DI_OK);
        IDirectInputDevice8A* out = nullptr;
        ASSERT_EQ(m_input->CreateDevice(*device, &out, nullptr), DI_OK);
        ASSERT_NE(out, nullptr);
        out->Release();
    }
    EXPECT_TRUE(FAILED(m_input->GetDeviceStatus(kUnknownDevice)));
    IDirectInputDevice8A* out = reinterpret_cast<IDirectInputDevice8A*>(&out);
    EXPECT_TRUE(FAILED(m_input->CreateDevice(kUnknownDevice, &out, nullptr)));
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(FAILED(m_input->CreateDevice(GUID_SysKeyboard, nullptr, nullptr)));
}

// --- Device set-up ---------------------------------------------------------------------

TEST_F(DInputTest, DataFormatMustBeTheDevicesOwn) {
    const struct {
        bool keyboard;
        const DIDATAFORMAT* format;
        bool accepted;
    } cases[] = {
        {true, &c_dfDIKeyboard, true},
        {true, &c_dfDIMouse, false},
        {true, nullptr, false},
        {false, &c_dfDIMouse, true},
        {false, &c_dfDIKeyboard, false},
        {false, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.keyboard ? "keyboard" : "mouse") << " case");
        IDirectInputDevice8A* device = nullptr;
        ASSERT_EQ(m_input->CreateDevice(c.keyboard ? GUID_SysKeyboard : GUID_SysMouse, &device, nullptr), DI_OK);
        m_devices.push_back(device);
        EXPECT_EQ(SUCCEEDED(device->SetDataFormat(c.format)), c.accepted);
        ASSERT_EQ(device->SetCooperativeLevel(m_window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
        // A device without its format cannot be acquired.
        EXPECT_EQ(SUCCEEDED(device->Acquire()), c.accepted);
    }
}

TEST_F(DInputTest, CooperativeLevelNeedsOneAccessAndOneTimeFlag) {
    const struct {
        DWORD flags;
        bool accepted;
    } cases[] = {
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, true},
        {DISCL_EXCLUSIVE | DISCL_FOREGROUND, true},
        {DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, true},
        {0, false},
        {DISCL_NONEXCLUSIVE, false},
        {DISCL_FOREGROUND, false},
        {DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, false},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, false},
    };
    for (const bool keyboard : {true, false}) {
        IDirectInputDevice8A* device = nullptr;
        ASSERT_EQ(m_input->CreateDevice(keyboard ? GUID_SysKeyboard : GUID_SysMouse, &device, nullptr), DI_OK);
        m_devices.push_back(device);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (keyboard ? "keyboard" : "mouse") << " flags 0x" << std::hex
                                            << c.flags);
            EXPECT_EQ(SUCCEEDED(device->SetCooperativeLevel(m_window, c.flags)), c.accepted);
        }
        EXPECT_TRUE(FAILED(device->SetCooperativeLevel(nullptr, kForeground)));
    }
}

TEST_F(DInputTest, CooperativeLevelNeedsALiveWindow) {
    const HWND gone = MakeWindow();
    ASSERT_NE(gone, nullptr);
    ASSERT_TRUE(DestroyWindow(gone));
    IDirectInputDevice8A* device = nullptr;
    ASSERT_EQ(m_input->CreateDevice(GUID_SysKeyboard, &device, nullptr), DI_OK);
    m_devices.push_back(device);
    EXPECT_TRUE(FAILED(device->SetCooperativeLevel(gone, kForeground)));
}

TEST_F(DInputTest, BufferSizeIsTheOnlyPropertyAndMustBeSetToBuffer) {
    IDirectInputDevice8A* device = nullptr;
    ASSERT_EQ(m_input->CreateDevice(GUID_SysKeyboard, &device, nullptr), DI_OK);
    m_devices.push_back(device);
    ASSERT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(device->SetCooperativeLevel(m_window, kForeground), DI_OK);
    winapi::ForceActiveWindow(1);
    ASSERT_EQ(device->Acquire(), DI_OK);
    HRESULT result = DI_OK;
    Fetch(device, &result);
    EXPECT_EQ(result, DIERR_NOTBUFFERED);
    ASSERT_EQ(device->Unacquire(), DI_OK);

    DIPROPDWORD property{};
    property.diph = DIPROPHEADER{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    property.dwData = 8;
    EXPECT_TRUE(FAILED(device->SetProperty(reinterpret_cast<const GUID*>(static_cast<uintptr_t>(2)), &property.diph)));
    EXPECT_TRUE(FAILED(device->SetProperty(DIPROP_BUFFERSIZE, nullptr)));
    DIPROPDWORD wrongSize = property;
    wrongSize.diph.dwSize = sizeof(DIPROPHEADER);
    EXPECT_TRUE(FAILED(device->SetProperty(DIPROP_BUFFERSIZE, &wrongSize.diph)));
    DIPROPDWORD wrongHow = property;
    wrongHow.diph.dwHow = 1;
    EXPECT_TRUE(FAILED(device->SetProperty(DIPROP_BUFFERSIZE, &wrongHow.diph)));
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);

    ASSERT_EQ(device->Acquire(), DI_OK);
    PressKey(SDL_SCANCODE_A);
    winapi::PumpEvents();
    EXPECT_EQ(Fetch(device, &result).size(), 2u);
    EXPECT_EQ(result, DI_OK);
}

// --- Acquiring -------------------------------------------------------------------------

TEST_F(DInputTest, ForegroundDeviceAcquiresOnlyWhileItsWindowIsActive) {
    for (const bool keyboard : {true, false}) {
        SCOPED_TRACE(keyboard ? "keyboard" : "mouse");
        IDirectInputDevice8A* device = Device(keyboard);
        ASSERT_NE(device, nullptr);
        winapi::ForceActiveWindow(0);
        EXPECT_EQ(device->Acquire(), DIERR_OTHERAPPHASPRIO);
        winapi::ForceActiveWindow(1);
        EXPECT_EQ(device->Acquire(), DI_OK);
        EXPECT_EQ(device->Acquire(), DI_NOEFFECT);
        EXPECT_EQ(device->Unacquire(), DI_OK);
        EXPECT_EQ(device->Unacquire(), DI_NOEFFECT);
    }
}

TEST_F(DInputTest, ForegroundDeviceOfAnInactiveWindowCannotAcquire) {
    IDirectInputDevice8A* device = Device(true);
    ASSERT_NE(device, nullptr);
    ASSERT_NE(MakeWindow(), nullptr);  // the newest window is the forced active one
    winapi::ForceActiveWindow(1);
    EXPECT_EQ(device->Acquire(), DIERR_OTHERAPPHASPRIO);
}

TEST_F(DInputTest, BackgroundDeviceAcquiresWhileInactive) {
    IDirectInputDevice8A* device = Device(true, 8, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    ASSERT_NE(device, nullptr);
    winapi::ForceActiveWindow(0);
    EXPECT_EQ(device->Acquire(), DI_OK);
}

TEST_F(DInputTest, RecordsAreKeptOnlyWhileAcquired) {
    IDirectInputDevice8A* keyboard = Device(true);
    ASSERT_NE(keyboard, nullptr);
    winapi::ForceActiveWindow(1);
    HRESULT result = DI_OK;
    Fetch(keyboard, &result);
    EXPECT_EQ(result, DIERR_NOTACQUIRED);

    PressKey(SDL_SCANCODE_A);
    winapi::PumpEvents();
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_TRUE(Fetch(keyboard).empty());

    PressKey(SDL_SCANCODE_B);
    winapi::PumpEvents();
    const std::vector<DIDEVICEOBJECTDATA> records = Fetch(keyboard);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].dwOfs, 0x30u);

    // Records still waiting when the device lets go are lost with it.
    PressKey(SDL_SCANCODE_C);
    winapi::PumpEvents();
    ASSERT_EQ(keyboard->Unacquire(), DI_OK);
    PressKey(SDL_SCANCODE_D);
    winapi::PumpEvents();
    Fetch(keyboard, &result);
    EXPECT_EQ(result, DIERR_NOTACQUIRED);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_TRUE(Fetch(keyboard, &result).empty());
    EXPECT_EQ(result, DI_OK);
}

TEST_F(DInputTest, FocusLossUnacquiresAndClearsHeldState) {
    IDirectInputDevice8A* keyboard = Device(true);
    IDirectInputDevice8A* mouse = Device(false);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(mouse, nullptr);
    winapi::ForceActiveWindow(-1);
    winapi::InjectFocus(true);
    winapi::PumpEvents();
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);

    winapi::InjectKey(SDL_SCANCODE_A, true);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, true);
    winapi::InjectMouseMotion(10, 10, 4, 4);
    winapi::PumpEvents();
    BYTE keys[256];
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    ASSERT_EQ(keys[0x1E], 0x80);

    winapi::InjectFocus(false);
    winapi::PumpEvents();
    HRESULT result = DI_OK;
    Fetch(keyboard, &result);
    EXPECT_EQ(result, DIERR_NOTACQUIRED);
    Fetch(mouse, &result);
    EXPECT_EQ(result, DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);

    // Regaining the focus acquires the devices again, so input survives a quick switch away.
    winapi::InjectFocus(true);
    winapi::PumpEvents();
    EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
    EXPECT_EQ(mouse->Acquire(), DI_NOEFFECT);
    EXPECT_TRUE(Fetch(keyboard).empty());
    EXPECT_TRUE(Fetch(mouse).empty());
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    for (int key = 0; key < 256; ++key)
        EXPECT_EQ(keys[key], 0) << "key 0x" << std::hex << key;
    DIMOUSESTATE state{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    for (const BYTE button : state.rgbButtons)
        EXPECT_EQ(button, 0);
}

// --- Keyboard records ------------------------------------------------------------------

struct KeyCase {
    int sdl;
    DWORD scanCode;
};

const KeyCase kKeyCases[] = {
    // Letters by their US position.
    {SDL_SCANCODE_Q, 0x10}, {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12}, {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14}, {SDL_SCANCODE_Y, 0x15}, {SDL_SCANCODE_U, 0x16}, {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18}, {SDL_SCANCODE_P, 0x19}, {SDL_SCANCODE_A, 0x1E}, {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_F, 0x21}, {SDL_SCANCODE_G, 0x22}, {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_J, 0x24}, {SDL_SCANCODE_K, 0x25}, {SDL_SCANCODE_L, 0x26}, {SDL_SCANCODE_Z, 0x2C},
    {SDL_SCANCODE_X, 0x2D}, {SDL_SCANCODE_C, 0x2E}, {SDL_SCANCODE_V, 0x2F}, {SDL_SCANCODE_B, 0x30},
    {SDL_SCANCODE_N, 0x31}, {SDL_SCANCODE_M, 0x32},
    // Digits.
    {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_2, 0x03}, {SDL_SCANCODE_3, 0x04}, {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06}, {SDL_SCANCODE_6, 0x07}, {SDL_SCANCODE_7, 0x08}, {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A}, {SDL_SCANCODE_0, 0x0B},
    // Editing and control keys.
    {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F}, {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_LSHIFT, 0x2A}, {SDL_SCANCODE_RSHIFT, 0x36}, {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_CAPSLOCK, 0x3A}, {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_F11, 0x57}, {SDL_SCANCODE_F12, 0x58}, {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D}, {SDL_SCANCODE_LEFTBRACKET, 0x1A}, {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_SEMICOLON, 0x27}, {SDL_SCANCODE_APOSTROPHE, 0x28}, {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_BACKSLASH, 0x2B}, {SDL_SCANCODE_COMMA, 0x33}, {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35}, {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    // Keypad.
    {SDL_SCANCODE_KP_7, 0x47}, {SDL_SCANCODE_KP_0, 0x52}, {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_KP_MINUS, 0x4A}, {SDL_SCANCODE_KP_PLUS, 0x4E}, {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45}, {SDL_SCANCODE_SCROLLLOCK, 0x46},
    // Extended keys.
    {SDL_SCANCODE_DELETE, 0xD3}, {SDL_SCANCODE_INSERT, 0xD2}, {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_END, 0xCF}, {SDL_SCANCODE_PAGEUP, 0xC9}, {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_UP, 0xC8}, {SDL_SCANCODE_DOWN, 0xD0}, {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_RIGHT, 0xCD}, {SDL_SCANCODE_PAUSE, 0xC5}, {SDL_SCANCODE_KP_ENTER, 0x9C},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5}, {SDL_SCANCODE_RCTRL, 0x9D}, {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7}, {SDL_SCANCODE_LGUI, 0xDB}, {SDL_SCANCODE_RGUI, 0xDC},
    {SDL_SCANCODE_APPLICATION, 0xDD},
};

TEST_F(DInputTest, SdlScancodesMapToSetOneScanCodes) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(SDL_GetScancodeName(static_cast<SDL_Scancode>(c.sdl)));
        EXPECT_EQ(winapi::ScanCodeFromSdl(c.sdl), static_cast<int>(c.scanCode));
    }
}

TEST_F(DInputTest, InjectedKeysGiveDownAndUpRecordsWithTheirScanCode) {
    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    ASSERT_NE(keyboard, nullptr);
    DWORD lastSequence = 0;
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(SDL_GetScancodeName(static_cast<SDL_Scancode>(c.sdl)));
        PressKey(c.sdl);
        winapi::PumpEvents();
        HRESULT result = DI_OK;
        const std::vector<DIDEVICEOBJECTDATA> records = Fetch(keyboard, &result);
        EXPECT_EQ(result, DI_OK);
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].dwOfs, c.scanCode);
        EXPECT_EQ(records[0].dwData, 0x80u);
        EXPECT_EQ(records[1].dwOfs, c.scanCode);
        EXPECT_EQ(records[1].dwData, 0u);
        EXPECT_GT(records[0].dwSequence, lastSequence);
        EXPECT_GT(records[1].dwSequence, records[0].dwSequence);
        lastSequence = records[1].dwSequence;
    }
}

TEST_F(DInputTest, KeysWithoutScanCodeMakeNoRecords) {
    for (const int sdl : {static_cast<int>(SDL_SCANCODE_UNKNOWN), static_cast<int>(SDL_SCANCODE_F24), -1,
                          static_cast<int>(SDL_NUM_SCANCODES), 100000})
        EXPECT_EQ(winapi::ScanCodeFromSdl(sdl), 0) << "SDL scancode " << sdl;

    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    ASSERT_NE(keyboard, nullptr);
    winapi::InjectKey(SDL_SCANCODE_F24, true);
    winapi::InjectText("x");
    winapi::InjectKey(SDL_SCANCODE_F24, false);
    winapi::PumpEvents();
    EXPECT_TRUE(Fetch(keyboard).empty());
}

// --- Characters paired with key-downs ------------------------------------------------

// One event as the system sends it.
struct KeyEvent {
    enum Kind { kDown, kRepeat, kUp, kText } kind;
    int sdl;           // the key, for all but text
    const char* text;  // for text
};

KeyEvent Down(int sdl) {
    return {KeyEvent::kDown, sdl, nullptr};
}
KeyEvent Repeat(int sdl) {
    return {KeyEvent::kRepeat, sdl, nullptr};
}
KeyEvent Up(int sdl) {
    return {KeyEvent::kUp, sdl, nullptr};
}
KeyEvent Text(const char* utf8) {
    return {KeyEvent::kText, 0, utf8};
}

// A key pressed and released, with the text it typed in between when there is any.
std::vector<KeyEvent> Press(int sdl, const char* utf8 = nullptr) {
    if (!utf8)
        return {Down(sdl), Up(sdl)};
    return {Down(sdl), Text(utf8), Up(sdl)};
}

// The events of each part, one part after the other.
std::vector<KeyEvent> Sequence(std::initializer_list<std::vector<KeyEvent>> parts) {
    std::vector<KeyEvent> events;
    for (const std::vector<KeyEvent>& part : parts)
        events.insert(events.end(), part.begin(), part.end());
    return events;
}

void Send(const std::vector<KeyEvent>& events) {
    for (const KeyEvent& event : events) {
        if (event.kind == KeyEvent::kText)
            winapi::InjectText(event.text);
        else
            winapi::InjectKey(event.sdl, event.kind != KeyEvent::kUp, event.kind == KeyEvent::kRepeat);
    }
}

// A record of the fetch: the scan code, and its data (0x80 pressed, 0 released).
struct KeyRecord {
    DWORD scanCode;
    DWORD data;

    bool operator==(const KeyRecord&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const KeyRecord& r) {
        return out << std::hex << "{0x" << r.scanCode << ", 0x" << r.data << "}";
    }
};

constexpr DWORD kPressed = 0x80;
constexpr DWORD kReleased = 0;

// What the input device asks after the fetch, in this order: the character count for a scan
// code and, when there are any, the characters (the second in the high byte).
struct CharacterQuestion {
    DWORD scanCode;
    int count;
    WORD characters;
};

TEST_F(DInputTest, KeyDownsGetTheCharactersOfTheTextThatFollowedThem) {
    struct Case {
        const char* name;
        std::vector<KeyEvent> events;
        std::vector<KeyRecord> records;
        std::vector<CharacterQuestion> questions;
    };
    const Case cases[] = {
        // Text is paired with the key-down that produced it, in the code page.
        {"a umlaut", Press(SDL_SCANCODE_APOSTROPHE, "\xC3\xA4"), {{0x28, kPressed}, {0x28, kReleased}},
         {{0x28, 1, 0xE4}}},
        {"o umlaut", Press(SDL_SCANCODE_SEMICOLON, "\xC3\xB6"), {{0x27, kPressed}, {0x27, kReleased}},
         {{0x27, 1, 0xF6}}},
        {"u umlaut", Press(SDL_SCANCODE_LEFTBRACKET, "\xC3\xBC"), {{0x1A, kPressed}, {0x1A, kReleased}},
         {{0x1A, 1, 0xFC}}},
        {"sharp s", Press(SDL_SCANCODE_MINUS, "\xC3\x9F"), {{0x0C, kPressed}, {0x0C, kReleased}},
         {{0x0C, 1, 0xDF}}},
        {"euro", Press(SDL_SCANCODE_E, "\xE2\x82\xAC"), {{0x12, kPressed}, {0x12, kReleased}},
         {{0x12, 1, 0x80}}},
        {"small a", Press(SDL_SCANCODE_A, "a"), {{0x1E, kPressed}, {0x1E, kReleased}}, {{0x1E, 1, 'a'}}},
        {"capital A", Press(SDL_SCANCODE_A, "A"), {{0x1E, kPressed}, {0x1E, kReleased}}, {{0x1E, 1, 'A'}}},
        {"space", Press(SDL_SCANCODE_SPACE, " "), {{0x39, kPressed}, {0x39, kReleased}}, {{0x39, 1, ' '}}},
        {"quote on the 2 key", Press(SDL_SCANCODE_2, "\""), {{0x03, kPressed}, {0x03, kReleased}},
         {{0x03, 1, '"'}}},
        // A dead key that cannot combine with the next key gives both characters.
        {"text of two characters", Press(SDL_SCANCODE_X, "^x"), {{0x2D, kPressed}, {0x2D, kReleased}},
         {{0x2D, 2, '^' | 'x' << 8}}},
        // Keys without text, or whose text the code page lacks, give none; text without a
        // key-down waiting for it goes nowhere.
        {"no text", Sequence({{Text("x")}, Press(SDL_SCANCODE_LEFT)}), {{0xCB, kPressed}, {0xCB, kReleased}},
         {{0xCB, 0, 0}}},
        {"Cyrillic", Sequence({{Text("x")}, Press(SDL_SCANCODE_A, "\xD0\xB6")}), {{0x1E, kPressed}, {0x1E, kReleased}},
         {{0x1E, 0, 0}}},
        {"emoji", Sequence({{Text("x")}, Press(SDL_SCANCODE_B, "\xF0\x9F\x98\x80")}),
         {{0x30, kPressed}, {0x30, kReleased}}, {{0x30, 0, 0}}},
        // Only the first text after a key-down is paired.
        {"second text", {Down(SDL_SCANCODE_A), Text("a"), Text("b"), Up(SDL_SCANCODE_A)},
         {{0x1E, kPressed}, {0x1E, kReleased}}, {{0x1E, 1, 'a'}}},
        // SDL's repeats are dropped, and the text each brings with them.
        {"repeated key-downs",
         {Down(SDL_SCANCODE_A), Text("a"), Repeat(SDL_SCANCODE_A), Text("a"), Repeat(SDL_SCANCODE_A), Text("a"),
          Repeat(SDL_SCANCODE_A), Text("a"), Up(SDL_SCANCODE_A)},
         {{0x1E, kPressed}, {0x1E, kReleased}}, {{0x1E, 1, 'a'}}},
        // A key-down whose own text is missing, then a repeat with text, then a new key.
        {"repeat text after a key-down without its own",
         {Down(SDL_SCANCODE_A), Repeat(SDL_SCANCODE_A), Text("a"), Down(SDL_SCANCODE_B), Text("b"),
          Up(SDL_SCANCODE_A), Up(SDL_SCANCODE_B)},
         {{0x1E, kPressed}, {0x30, kPressed}, {0x1E, kReleased}, {0x30, kReleased}},
         {{0x1E, 0, 0}, {0x30, 1, 'b'}}},
        {"a key that was not delivered", Press(SDL_SCANCODE_A, "a"), {{0x1E, kPressed}, {0x1E, kReleased}},
         {{0x30, 0, 0}}},
        // Each key-down of a fetch gets its own character, text taking no records.
        {"four keys in one fetch",
         Sequence({Press(SDL_SCANCODE_A, "a"), Press(SDL_SCANCODE_LEFT), Press(SDL_SCANCODE_A, "A"),
                   Press(SDL_SCANCODE_APOSTROPHE, "\xC3\xA4")}),
         {{0x1E, kPressed}, {0x1E, kReleased}, {0xCB, kPressed}, {0xCB, kReleased}, {0x1E, kPressed},
          {0x1E, kReleased}, {0x28, kPressed}, {0x28, kReleased}},
         {{0x1E, 1, 'a'}, {0xCB, 0, 0}, {0x1E, 1, 'A'}, {0x28, 1, 0xE4}}},
        {"four letters in one fetch",
         Sequence({Press(SDL_SCANCODE_Q, "q"), Press(SDL_SCANCODE_W, "w"), Press(SDL_SCANCODE_E, "e"),
                   Press(SDL_SCANCODE_R, "r")}),
         {{0x10, kPressed}, {0x10, kReleased}, {0x11, kPressed}, {0x11, kReleased}, {0x12, kPressed},
          {0x12, kReleased}, {0x13, kPressed}, {0x13, kReleased}},
         {{0x10, 1, 'q'}, {0x11, 1, 'w'}, {0x12, 1, 'e'}, {0x13, 1, 'r'}}},
    };
    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    ASSERT_NE(keyboard, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Send(c.events);
        winapi::PumpEvents();
        HRESULT result = DI_OK;
        std::vector<KeyRecord> records;
        for (const DIDEVICEOBJECTDATA& record : Fetch(keyboard, &result))
            records.push_back({record.dwOfs, record.dwData});
        EXPECT_EQ(result, DI_OK);
        EXPECT_EQ(records, c.records);
        for (const CharacterQuestion& question : c.questions) {
            SCOPED_TRACE(testing::Message() << "scan code 0x" << std::hex << question.scanCode);
            WORD characters = 0x7777;
            ASSERT_EQ(CharacterOf(question.scanCode, &characters), question.count);
            if (question.count > 0) {
                EXPECT_EQ(characters, question.characters);
            }
        }
    }
}

// --- Buffer limits ---------------------------------------------------------------------

TEST_F(DInputTest, RecordsPastTheBufferAreDroppedAndReported) {
    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    IDirectInputDevice8A* mouse = AcquiredDevice(false);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(mouse, nullptr);
    for (int i = 0; i < 4; ++i)
        PressKey(SDL_SCANCODE_1 + i);
    winapi::InjectKey(SDL_SCANCODE_5, true);  // the ninth
    for (int i = 0; i < 9; ++i)
        winapi::InjectMouseButton(SDL_BUTTON_LEFT, i % 2 == 0);
    winapi::PumpEvents();

    HRESULT result = DI_OK;
    std::vector<DIDEVICEOBJECTDATA> records = Fetch(keyboard, &result);
    EXPECT_EQ(result, DI_BUFFEROVERFLOW);
    ASSERT_EQ(records.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(records[i].dwOfs, static_cast<DWORD>(0x02 + i / 2)) << "record " << i;
        EXPECT_EQ(records[i].dwData, i % 2 == 0 ? 0x80u : 0u) << "record " << i;
    }
    EXPECT_TRUE(Fetch(keyboard, &result).empty());
    EXPECT_EQ(result, DI_OK);

    records = Fetch(mouse, &result);
    EXPECT_EQ(result, DI_BUFFEROVERFLOW);
    EXPECT_EQ(records.size(), 8u);
    EXPECT_TRUE(Fetch(mouse, &result).empty());
    EXPECT_EQ(result, DI_OK);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, false);
    winapi::InjectKey(SDL_SCANCODE_5, false);
    winapi::PumpEvents();
}

TEST_F(DInputTest, EightRecordsFitWithoutOverflow) {
    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    ASSERT_NE(keyboard, nullptr);
    for (int i = 0; i < 4; ++i)
        PressKey(SDL_SCANCODE_A + i);
    winapi::PumpEvents();
    HRESULT result = DI_BUFFEROVERFLOW;
    EXPECT_EQ(Fetch(keyboard, &result).size(), 8u);
    EXPECT_EQ(result, DI_OK);
}

TEST_F(DInputTest, FetchTakesAtMostTheRequestedCount) {
    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    ASSERT_NE(keyboard, nullptr);
    PressKey(SDL_SCANCODE_A);
    PressKey(SDL_SCANCODE_B);
    winapi::PumpEvents();
    std::vector<DIDEVICEOBJECTDATA> records = Fetch(keyboard, nullptr, 3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].dwOfs, 0x30u);
    records = Fetch(keyboard);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].dwOfs, 0x30u);
    EXPECT_EQ(records[0].dwData, 0u);

    DIDEVICEOBJECTDATA record{};
    DWORD count = 1;
    EXPECT_EQ(keyboard->GetDeviceData(sizeof record - 1, &record, &count, 0), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->GetDeviceData(sizeof record, &record, nullptr, 0), DIERR_INVALIDPARAM);
}

TEST_F(DInputTest, FetchWithoutArrayDiscardsTheBuffer) {
    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    IDirectInputDevice8A* mouse = AcquiredDevice(false);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(mouse, nullptr);
    for (int i = 0; i < 3; ++i)
        PressKey(SDL_SCANCODE_A + i);
    winapi::InjectMouseMotion(5, 5, 2, 2);
    winapi::PumpEvents();

    DWORD count = INFINITE;
    EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, 0), DI_OK);
    EXPECT_EQ(count, 6u);
    EXPECT_TRUE(Fetch(keyboard).empty());
    count = INFINITE;
    EXPECT_EQ(mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, 0), DI_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_TRUE(Fetch(mouse).empty());

    // Recording goes on after the discard.
    PressKey(SDL_SCANCODE_Z);
    winapi::PumpEvents();
    const std::vector<DIDEVICEOBJECTDATA> records = Fetch(keyboard);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].dwOfs, 0x2Cu);
}

// --- Mouse records ---------------------------------------------------------------------

TEST_F(DInputTest, MouseButtonsBecomeButtonRecords) {
    const struct {
        int sdl;
        DWORD offset;
    } cases[] = {
        {SDL_BUTTON_LEFT, DIMOFS_BUTTON0},
        {SDL_BUTTON_RIGHT, DIMOFS_BUTTON1},
        {SDL_BUTTON_MIDDLE, DIMOFS_BUTTON2},
        {SDL_BUTTON_X1, DIMOFS_BUTTON3},
    };
    IDirectInputDevice8A* mouse = AcquiredDevice(false);
    ASSERT_NE(mouse, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "SDL button " << c.sdl);
        winapi::InjectMouseButton(c.sdl, true);
        winapi::InjectMouseButton(c.sdl, false);
        winapi::PumpEvents();
        const std::vector<DIDEVICEOBJECTDATA> records = Fetch(mouse);
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].dwOfs, c.offset);
        EXPECT_EQ(records[0].dwData, 0x80u);
        EXPECT_EQ(records[1].dwOfs, c.offset);
        EXPECT_EQ(records[1].dwData, 0u);
    }
    // A fifth button has no place in the state.
    winapi::InjectMouseButton(SDL_BUTTON_X2, true);
    winapi::InjectMouseButton(SDL_BUTTON_X2, false);
    winapi::PumpEvents();
    EXPECT_TRUE(Fetch(mouse).empty());
}

TEST_F(DInputTest, MotionGivesOneRecordPerMovedAxisXFirst) {
    const struct {
        int dx;
        int dy;
        std::vector<std::pair<DWORD, LONG>> records;
    } cases[] = {
        {5, -3, {{DIMOFS_X, 5}, {DIMOFS_Y, -3}}},
        {-12, 40, {{DIMOFS_X, -12}, {DIMOFS_Y, 40}}},
        {0, 7, {{DIMOFS_Y, 7}}},
        {-4, 0, {{DIMOFS_X, -4}}},
        {0, 0, {}},
    };
    IDirectInputDevice8A* mouse = AcquiredDevice(false);
    ASSERT_NE(mouse, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        winapi::InjectMouseMotion(100, 100, c.dx, c.dy);
        winapi::PumpEvents();
        const std::vector<DIDEVICEOBJECTDATA> records = Fetch(mouse);
        ASSERT_EQ(records.size(), c.records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].dwOfs, c.records[i].first);
            EXPECT_EQ(static_cast<LONG>(records[i].dwData), c.records[i].second);
        }
    }
}

TEST_F(DInputTest, WheelStepsAreOneHundredTwentyEach) {
    const struct {
        int amount;
        bool flipped;
        LONG expected;
    } cases[] = {
        {1, false, 120}, {-1, false, -120}, {1, true, -120}, {-1, true, 120}, {3, false, 360},
    };
    IDirectInputDevice8A* mouse = AcquiredDevice(false);
    ASSERT_NE(mouse, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.amount << (c.flipped ? " flipped" : ""));
        winapi::InjectWheel(c.amount, c.flipped);
        winapi::PumpEvents();
        const std::vector<DIDEVICEOBJECTDATA> records = Fetch(mouse);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].dwOfs, DIMOFS_Z);
        EXPECT_EQ(static_cast<LONG>(records[0].dwData), c.expected);
    }
}

// --- Immediate state -------------------------------------------------------------------

TEST_F(DInputTest, KeyboardStateShowsHeldKeys) {
    IDirectInputDevice8A* keyboard = AcquiredDevice(true);
    ASSERT_NE(keyboard, nullptr);
    const int held[] = {SDL_SCANCODE_A, SDL_SCANCODE_LEFT, SDL_SCANCODE_RCTRL};
    for (const int key : held)
        winapi::InjectKey(key, true);
    winapi::PumpEvents();

    BYTE keys[256];
    memset(keys, 0xAA, sizeof keys);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    for (int key = 0; key < 256; ++key) {
        const bool down = key == 0x1E || key == 0xCB || key == 0x9D;
        EXPECT_EQ(keys[key], down ? 0x80 : 0) << "key 0x" << std::hex << key;
    }

    winapi::InjectKey(SDL_SCANCODE_A, false);
    winapi::PumpEvents();
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    EXPECT_EQ(keys[0x1E], 0);
    EXPECT_EQ(keys[0xCB], 0x80);

    EXPECT_EQ(keyboard->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, nullptr), DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);

    for (const int key : held)
        winapi::InjectKey(key, false);
    winapi::PumpEvents();
}

TEST_F(DInputTest, MouseStateAccumulatesMovementSinceTheLastRead) {
    IDirectInputDevice8A* mouse = AcquiredDevice(false);
    ASSERT_NE(mouse, nullptr);
    winapi::InjectMouseMotion(10, 10, 5, -3);
    winapi::InjectMouseMotion(12, 11, 2, 1);
    winapi::InjectWheel(1);
    winapi::InjectWheel(1, true);
    winapi::InjectWheel(-2);
    winapi::InjectMouseButton(SDL_BUTTON_LEFT, true);
    winapi::InjectMouseButton(SDL_BUTTON_X1, true);
    winapi::PumpEvents();

    DIMOUSESTATE state{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 7);
    EXPECT_EQ(state.lY, -2);
    EXPECT_EQ(state.lZ, -240);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[1], 0);
    EXPECT_EQ(state.rgbButtons[2], 0);
    EXPECT_EQ(state.rgbButtons[3], 0x80);

    // A second read sees no new movement; held buttons stay.
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[3], 0x80);

    winapi::InjectMouseButton(SDL_BUTTON_LEFT, false);
    winapi::InjectMouseButton(SDL_BUTTON_X1, false);
    winapi::InjectMouseMotion(13, 11, 1, 0);
    winapi::PumpEvents();
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 1);
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.rgbButtons[3], 0);

    EXPECT_EQ(mouse->GetDeviceState(sizeof state - 1, &state), DIERR_INVALIDPARAM);
}

// --- Failure switches ------------------------------------------------------------------

// Everything a call needs, made before a failure is switched on.
struct Rig {
    HMODULE library = nullptr;
    IDirectInput8A* input = nullptr;
    IDirectInputDevice8A* keyboard = nullptr;
    IDirectInputDevice8A* mouse = nullptr;
    HWND window = nullptr;

    explicit Rig(HWND target) : window(target) {
        library = LoadLibraryA("dinput8.dll");
        input = CreateInterface();
        if (input) {
            keyboard = CreateReadyDevice(input, window, true);
            mouse = CreateReadyDevice(input, window, false);
        }
    }
    ~Rig() {
        for (IDirectInputDevice8A* device : {keyboard, mouse}) {
            if (device) {
                device->Unacquire();
                device->Release();
            }
        }
        if (input)
            input->Release();
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    bool Complete() const { return library && input && keyboard && mouse; }
};

bool CreateSucceeds(Rig& rig, const GUID& guid) {
    IDirectInputDevice8A* device = nullptr;
    const HRESULT result = rig.input->CreateDevice(guid, &device, nullptr);
    if (device)
        device->Release();
    return SUCCEEDED(result) && device;
}

bool DataSucceeds(IDirectInputDevice8A* device) {
    if (FAILED(device->Acquire()))
        return false;
    DIDEVICEOBJECTDATA records[8];
    DWORD count = 8;
    return SUCCEEDED(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &count, 0));
}

bool StateSucceeds(IDirectInputDevice8A* device, DWORD size) {
    if (FAILED(device->Acquire()))
        return false;
    BYTE state[256];
    return SUCCEEDED(device->GetDeviceState(size, state));
}

using winapi::EInputStep;

const struct {
    EInputStep step;
    const char* name;
    bool (*call)(Rig&);
} kSteps[] = {
    {EInputStep::kLoadLibrary, "load library", [](Rig&) { return LoadLibraryA("dinput8.dll") != nullptr; }},
    {EInputStep::kGetProcAddress, "find function",
     [](Rig& rig) { return GetProcAddress(rig.library, "DirectInput8Create") != nullptr; }},
    {EInputStep::kCreateInterface, "create interface",
     [](Rig&) {
         IDirectInput8A* input = CreateInterface();
         if (input)
             input->Release();
         return input != nullptr;
     }},
    {EInputStep::kKeyboardStatus, "keyboard status",
     [](Rig& rig) { return SUCCEEDED(rig.input->GetDeviceStatus(GUID_SysKeyboard)); }},
    {EInputStep::kKeyboardCreate, "keyboard create", [](Rig& rig) { return CreateSucceeds(rig, GUID_SysKeyboard); }},
    {EInputStep::kKeyboardDataFormat, "keyboard data format",
     [](Rig& rig) { return SUCCEEDED(rig.keyboard->SetDataFormat(&c_dfDIKeyboard)); }},
    {EInputStep::kKeyboardCooperativeLevel, "keyboard cooperative level",
     [](Rig& rig) { return SUCCEEDED(rig.keyboard->SetCooperativeLevel(rig.window, kForeground)); }},
    {EInputStep::kKeyboardBufferSize, "keyboard buffer size",
     [](Rig& rig) { return SUCCEEDED(SetBufferSize(rig.keyboard, 8)); }},
    {EInputStep::kMouseStatus, "mouse status",
     [](Rig& rig) { return SUCCEEDED(rig.input->GetDeviceStatus(GUID_SysMouse)); }},
    {EInputStep::kMouseCreate, "mouse create", [](Rig& rig) { return CreateSucceeds(rig, GUID_SysMouse); }},
    {EInputStep::kMouseDataFormat, "mouse data format",
     [](Rig& rig) { return SUCCEEDED(rig.mouse->SetDataFormat(&c_dfDIMouse)); }},
    {EInputStep::kMouseCooperativeLevel, "mouse cooperative level",
     [](Rig& rig) { return SUCCEEDED(rig.mouse->SetCooperativeLevel(rig.window, kForeground)); }},
    {EInputStep::kMouseBufferSize, "mouse buffer size", [](Rig& rig) { return SUCCEEDED(SetBufferSize(rig.mouse, 8)); }},
    {EInputStep::kKeyboardData, "keyboard data", [](Rig& rig) { return DataSucceeds(rig.keyboard); }},
    {EInputStep::kKeyboardState, "keyboard state", [](Rig& rig) { return StateSucceeds(rig.keyboard, 256); }},
    {EInputStep::kMouseData, "mouse data", [](Rig& rig) { return DataSucceeds(rig.mouse); }},
    {EInputStep::kMouseState, "mouse state",
     [](Rig& rig) { return StateSucceeds(rig.mouse, sizeof(DIMOUSESTATE)); }},
};

TEST_F(DInputTest, EachFailureSwitchFailsItsOwnCallOnly) {
    static_assert(std::size(kSteps) == static_cast<size_t>(EInputStep::kCount));
    winapi::ForceActiveWindow(1);
    for (const auto& failing : kSteps) {
        for (const auto& call : kSteps) {
            SCOPED_TRACE(testing::Message() << "switch: " << failing.name << ", call: " << call.name);
            Rig rig(m_window);
            ASSERT_TRUE(rig.Complete());
            winapi::SetInputFailure(failing.step, true);
            EXPECT_EQ(call.call(rig), &failing != &call);
            winapi::ClearInputFailures();
        }
    }
}

TEST_F(DInputTest, ClearedOrSwitchedOffFailuresLetEveryCallSucceed) {
    winapi::ForceActiveWindow(1);
    for (const auto& step : kSteps)
        winapi::SetInputFailure(step.step, true);
    winapi::ClearInputFailures();
    winapi::SetInputFailure(EInputStep::kMouseState, true);
    winapi::SetInputFailure(EInputStep::kMouseState, false);
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.name);
        Rig rig(m_window);
        ASSERT_TRUE(rig.Complete());
        EXPECT_TRUE(step.call(rig));
    }
}

}  // namespace
