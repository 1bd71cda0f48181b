#include "engine/platform/InputDeviceDX.h"

#include <cstring>
#include <initializer_list>

#include "engine/core/LogFile.h"
#include "engine/platform/Viewport.h"
#include "winapi/window/WinWindow.h"

int CInputDeviceDX::s_bAcquired = 0;

namespace {

constexpr DWORD kBufferedRecords = 8;
constexpr DWORD kCooperativeLevel = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

// The texts of the steps that set a device up, for the keyboard and the mouse.
struct DeviceTexts {
    const char* status;
    const char* create;
    const char* format;
    const char* cooperativeLevel;
    const char* bufferSize;
};
const DeviceTexts kKeyboardTexts = {"Get keyboard device status failed", "Create keyboard device failed",
                                    "Set keyboard data format failed", "Set keyboard cooperative level failed",
                                    "Set keyboard buffer size failed"};
const DeviceTexts kMouseTexts = {"Get mouse device status failed", "Create mouse device failed",
                                 "Set mouse data format failed", "Set mouse cooperative level failed",
                                 "Set mouse buffer size failed"};

// Empties what a device still buffers after it reported an overflow.
void DiscardBuffered(IDirectInputDevice8A* device) {
    DWORD count = INFINITE;
    device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, 0);
}

}  // namespace

CInputDeviceDX::~CInputDeviceDX() {
    ReleaseDevices(nullptr);
}

int CInputDeviceDX::Init(HINSTANCE instance, CViewport* viewport, CLogFile* log, int /*bExclusive*/) {
    Release();
    m_bButtonsSwapped = GetSystemMetrics(SM_SWAPBUTTON);
    m_pViewport = viewport;
    m_pLog = log;

    m_hLibrary = LoadLibraryA("dinput8.dll");
    if (!m_hLibrary)
        return ReleaseDevices("DirectX 8 is not installed");
    const auto create = reinterpret_cast<DirectInput8CreateFunction>(GetProcAddress(m_hLibrary, "DirectInput8Create"));
    if (!create)
        return ReleaseDevices("Function DirectInput8Create not found");
    if (FAILED(create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A, reinterpret_cast<void**>(&m_pDirectInput),
                      nullptr)))
        return ReleaseDevices("DirectInput8Create failed");

    const HWND window = viewport ? viewport->GetWindowHandle() : nullptr;
    if (!CreateDevice(GUID_SysKeyboard, &c_dfDIKeyboard, window, true, &m_pKeyboard))
        return 0;
    if (!CreateDevice(GUID_SysMouse, &c_dfDIMouse, window, false, &m_pMouse))
        return 0;
    m_hWindow = window;
    return 1;
}

int CInputDeviceDX::CreateDevice(const GUID& device, const DIDATAFORMAT* format, HWND window, bool keyboard,
                                 IDirectInputDevice8A** out) {
    const DeviceTexts& texts = keyboard ? kKeyboardTexts : kMouseTexts;
    if (FAILED(m_pDirectInput->GetDeviceStatus(device)))
        return ReleaseDevices(texts.status);
    if (FAILED(m_pDirectInput->CreateDevice(device, out, nullptr)))
        return ReleaseDevices(texts.create);
    if (FAILED((*out)->SetDataFormat(format)))
        return ReleaseDevices(texts.format);
    if (FAILED((*out)->SetCooperativeLevel(window, kCooperativeLevel)))
        return ReleaseDevices(texts.cooperativeLevel);
    DIPROPDWORD bufferSize{};
    bufferSize.diph = DIPROPHEADER{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    bufferSize.dwData = kBufferedRecords;
    if (FAILED((*out)->SetProperty(DIPROP_BUFFERSIZE, &bufferSize.diph)))
        return ReleaseDevices(texts.bufferSize);
    (*out)->Acquire();  // fails while the window is not active; Update acquires later
    return 1;
}

void CInputDeviceDX::Release() {
    ReleaseDevices(nullptr);
}

int CInputDeviceDX::ReleaseDevices(const char* message) {
    if (message && m_pLog)
        m_pLog->Printf("DirectX 8 input device: %s", message);
    m_pLog = nullptr;
    for (IDirectInputDevice8A** device : {&m_pMouse, &m_pKeyboard}) {
        if (*device) {
            (*device)->Unacquire();
            (*device)->Release();
            *device = nullptr;
        }
    }
    if (m_pDirectInput) {
        m_pDirectInput->Release();
        m_pDirectInput = nullptr;
    }
    if (m_hLibrary) {
        FreeLibrary(m_hLibrary);
        m_hLibrary = nullptr;
    }
    // New devices start unacquired; a flag left set would keep Update from acquiring them.
    s_bAcquired = 0;
    return 0;
}

void CInputDeviceDX::Append(int type, int param) {
    m_Events.Append(CInputEvent{type, param});
}

void CInputDeviceDX::Log(const char* text) {
    if (m_pLog)
        m_pLog->Write(text);
}

void CInputDeviceDX::Update(double time) {
    m_Events.Empty();
    memset(m_KeyState, 0, sizeof m_KeyState);
    m_nMouseX = m_nMouseY = m_nMouseWheel = 0;
    memset(m_MouseButtons, 0, sizeof m_MouseButtons);
    // Without a window, or after the devices were released, there is nothing to read.
    if (!m_pViewport || !m_pKeyboard)
        return;

    const HWND window = m_pViewport->GetWindowHandle();
    if (window != m_hWindow) {
        // The window was made anew: the devices follow it.
        m_hWindow = window;
        if (FAILED(m_pKeyboard->SetCooperativeLevel(window, kCooperativeLevel))) {
            ReleaseDevices(kKeyboardTexts.cooperativeLevel);
            return;
        }
        if (m_pMouse && FAILED(m_pMouse->SetCooperativeLevel(window, kCooperativeLevel))) {
            ReleaseDevices(kMouseTexts.cooperativeLevel);
            return;
        }
        m_pKeyboard->Acquire();
        if (m_pMouse)
            m_pMouse->Acquire();
    }

    if (!window || GetForegroundWindow() != window) {
        if (s_bAcquired) {
            m_pKeyboard->Unacquire();
            if (m_pMouse)
                m_pMouse->Unacquire();
            s_bAcquired = 0;
        }
        return;
    }
    if (!s_bAcquired) {
        if (FAILED(m_pKeyboard->Acquire()))
            return;
        if (m_pMouse && FAILED(m_pMouse->Acquire()))
            return;
        s_bAcquired = 1;
    }

    ReadKeyboard(time);
    RepeatKey(time);
    if (m_pMouse)
        ReadMouse(time);
}

void CInputDeviceDX::ReadKeyboard(double time) {
    DIDEVICEOBJECTDATA records[kBufferedRecords];
    DWORD count = kBufferedRecords;
    const HRESULT result = m_pKeyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &count, 0);
    if (FAILED(result)) {
        Log("MiniInputDX: Get keyboard data failed.\n");
    } else {
        for (DWORD i = 0; i < count; ++i) {
            const int key = static_cast<int>(records[i].dwOfs);
            const bool down = (records[i].dwData & 0x80) != 0;
            Append(down ? kKeyDown : kKeyUp, key);
            if (!down)
                continue;
            m_nRepeatKey = key;
            m_nRepeatCount = 0;
            m_nRepeatChar = 0;
            m_dKeyDownTime = time;
            unsigned char character = 0;
            if (KeyToChar(key, &character) > 0 && character >= 32) {
                m_nRepeatChar = character;
                Append(kCharacter, character);
            }
        }
        if (result == DI_BUFFEROVERFLOW)
            DiscardBuffered(m_pKeyboard);
    }
    if (FAILED(m_pKeyboard->GetDeviceState(sizeof m_KeyState, m_KeyState)))
        Log("MiniInputDX: Get keyboard state failed.\n");
}

// At most one repeat a frame: the first after the first-repeat delay, then one per interval.
void CInputDeviceDX::RepeatKey(double time) {
    if (m_nRepeatKey == -1)
        return;
    if (!(m_KeyState[m_nRepeatKey & 0xFF] & 0x80)) {
        m_nRepeatKey = -1;
        return;
    }
    const double delay = m_nRepeatCount >= 1 ? m_dRepeatInterval : m_dFirstRepeatDelay;
    if (time - m_dKeyDownTime > delay) {
        Append(kKeyDown, m_nRepeatKey);
        if (m_nRepeatChar)
            Append(kCharacter, m_nRepeatChar);
        m_dKeyDownTime = time;
        ++m_nRepeatCount;
    }
}

void CInputDeviceDX::ReadMouse(double time) {
    DIDEVICEOBJECTDATA records[kBufferedRecords];
    DWORD count = kBufferedRecords;
    const HRESULT result = m_pMouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &count, 0);
    if (FAILED(result)) {
        Log("MiniInputDX: Get mouse data failed.\n");
    } else {
        for (DWORD i = 0; i < count; ++i) {
            const DIDEVICEOBJECTDATA& record = records[i];
            const int movement = static_cast<int>(static_cast<LONG>(record.dwData));
            if (record.dwOfs == DIMOFS_X) {
                Append(kMoveX, movement);
            } else if (record.dwOfs == DIMOFS_Y) {
                Append(kMoveY, movement);
            } else if (record.dwOfs == DIMOFS_Z) {
                Append(kWheel, movement);
            } else if (record.dwOfs >= DIMOFS_BUTTON0 && record.dwOfs <= DIMOFS_BUTTON3) {
                int button = static_cast<int>(record.dwOfs - DIMOFS_BUTTON0);
                if (m_bButtonsSwapped && button < 2)
                    button ^= 1;
                const bool down = (record.dwData & 0x80) != 0;
                Append(down ? kButtonDown : kButtonUp, button);
                if (down) {
                    // Three quick presses make two double clicks.
                    if (time - m_dLastButtonDownTime[button] < m_dDoubleClickTime)
                        Append(kDoubleClick, button);
                    m_dLastButtonDownTime[button] = time;
                }
            }
        }
        if (result == DI_BUFFEROVERFLOW)
            DiscardBuffered(m_pMouse);
    }

    DIMOUSESTATE state{};
    if (FAILED(m_pMouse->GetDeviceState(sizeof state, &state))) {
        Log("MiniInputDX: Get mouse state failed.\n");
    } else {
        m_nMouseX = state.lX;
        m_nMouseY = state.lY;
        m_nMouseWheel = state.lZ;
        memcpy(m_MouseButtons, state.rgbButtons, sizeof m_MouseButtons);
    }
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    ScreenToClient(m_hWindow, &cursor);
    m_nMouseX = cursor.x;
    m_nMouseY = cursor.y;
}

int CInputDeviceDX::IsKeyDown(int keyCode) {
    if (keyCode < 0 || keyCode > 255)
        return 0;
    return static_cast<signed char>(m_KeyState[keyCode]);
}

int CInputDeviceDX::GetMouseButton(int button) {
    if (button < 0 || button > 3)
        return 0;
    if (m_bButtonsSwapped && button < 2)
        button ^= 1;
    return m_MouseButtons[button];
}

POINT* CInputDeviceDX::GetMousePos(POINT* out) {
    out->x = m_nMouseX;
    out->y = m_nMouseY;
    return out;
}

int CInputDeviceDX::KeyToChar(int keyCode, unsigned char* character) {
    // The layout is taken once; the state buffer serves every call.
    static HKL s_layout = nullptr;
    static BYTE s_keyboardState[256];
    if (!s_layout)
        s_layout = GetKeyboardLayout(0);
    if (!GetKeyboardState(s_keyboardState))
        return 0;
    const UINT virtualKey = MapVirtualKeyExA(static_cast<UINT>(keyCode), MAPVK_VSC_TO_VK, s_layout);
    WORD characters = 0;
    const int count = ToAsciiEx(virtualKey, static_cast<UINT>(keyCode), s_keyboardState, &characters, 0, s_layout);
    if (count > 0)
        *character = static_cast<unsigned char>(characters & 0xFF);
    return count;
}
