// DirectInput 8 as the engine uses it: the system keyboard and mouse as buffered devices
// with immediate state, fed from SDL's events by the layer's pump. Key codes are set-1 scan
// codes (extended keys | 0x80). Reached, as on the platform, through LoadLibraryA("dinput8.dll")
// and GetProcAddress(module, "DirectInput8Create").
#pragma once

#include "winapi/base/WinTypes.h"

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_BUFFEROVERFLOW = 1;  // a success: records were lost
constexpr HRESULT DI_NOEFFECT = 1;
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_GENERIC = E_FAIL;
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_NOTBUFFERED = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);

constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD INFINITE = 0xFFFFFFFFu;

// One buffered input record: the offset of the key or axis in the device state, and its
// data (0x80 for a key or button down, the signed movement for an axis).
struct DIDEVICEOBJECTDATA {
    DWORD dwOfs;
    DWORD dwData;
    DWORD dwTimeStamp;
    DWORD dwSequence;
    UINT_PTR uAppData;
};

// The standard mouse state: relative x, y and wheel, four buttons (bit 7 down).
struct DIMOUSESTATE {
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[4];
};

constexpr DWORD DIMOFS_X = 0;
constexpr DWORD DIMOFS_Y = 4;
constexpr DWORD DIMOFS_Z = 8;
constexpr DWORD DIMOFS_BUTTON0 = 12;
constexpr DWORD DIMOFS_BUTTON1 = 13;
constexpr DWORD DIMOFS_BUTTON2 = 14;
constexpr DWORD DIMOFS_BUTTON3 = 15;

// A device's data format; the layer knows the two standard ones by address.
struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwDataSize;
};
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};
// Property identifiers are small numbers passed where a GUID is expected.
#define DIPROP_BUFFERSIZE (reinterpret_cast<const GUID*>(static_cast<uintptr_t>(1)))

extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;
extern const GUID IID_IDirectInput8A;

class IDirectInputDevice8A {
public:
    virtual ULONG Release() = 0;
    virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetProperty(const GUID* property, const DIPROPHEADER* header) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    // Takes up to *count records (none stored with a null array: they are discarded).
    virtual HRESULT GetDeviceData(DWORD recordSize, DIDEVICEOBJECTDATA* records, DWORD* count,
                                  DWORD flags) = 0;
    virtual HRESULT GetDeviceState(DWORD size, void* state) = 0;

protected:
    virtual ~IDirectInputDevice8A() = default;
};

class IDirectInput8A {
public:
    virtual ULONG Release() = 0;
    virtual HRESULT CreateDevice(const GUID& device, IDirectInputDevice8A** out, void* outer) = 0;
    virtual HRESULT GetDeviceStatus(const GUID& device) = 0;

protected:
    virtual ~IDirectInput8A() = default;
};

typedef HRESULT (*DirectInput8CreateFunction)(HINSTANCE instance, DWORD version, const GUID& interfaceId,
                                              void** out, void* outer);
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& interfaceId, void** out,
                           void* outer);

namespace winapi {

// The set-1 scan code of an SDL scancode; 0 for keys without one.
int ScanCodeFromSdl(int sdlScancode);

}  // namespace winapi
