// The input devices and their interface: buffers of records filled by the event pump while
// a device is acquired, and immediate state from the layer's own key and button state.
#include <SDL.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <deque>
#include <vector>

#include "winapi/window/DInput_local.h"
#include "winapi/window/WinWindow.h"

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 256};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIMOUSESTATE)};
const GUID GUID_SysKeyboard = {0x6b657962, 0x6f61, 0x7264, {'b', 'r', 'e', 'n', 'l', 'o', 'w', 'k'}};
const GUID GUID_SysMouse = {0x6d6f7573, 0x6500, 0x0000, {'b', 'r', 'e', 'n', 'l', 'o', 'w', 'm'}};
const GUID IID_IDirectInput8A = {0x64696e38, 0x0008, 0x0000, {'b', 'r', 'e', 'n', 'l', 'o', 'w', 'i'}};

namespace winapi::detail {
namespace {

std::bitset<static_cast<size_t>(EInputStep::kCount)>& Failures() {
    static std::bitset<static_cast<size_t>(EInputStep::kCount)> failures;
    return failures;
}

struct BufferedRecord {
    DIDEVICEOBJECTDATA data;
    BYTE characters[2];
    int characterCount;
};

class CLayerInputDevice;
std::vector<CLayerInputDevice*>& Devices() {
    static std::vector<CLayerInputDevice*> devices;
    return devices;
}

DWORD g_nextSequence = 1;

class CLayerInputDevice final : public IDirectInputDevice8A {
public:
    explicit CLayerInputDevice(bool keyboard) : m_bKeyboard(keyboard) { Devices().push_back(this); }

    ULONG Release() override {
        if (--m_nReferences > 0)
            return m_nReferences;
        auto& devices = Devices();
        devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
        delete this;
        return 0;
    }

    HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
        if (InputStepFails(m_bKeyboard ? EInputStep::kKeyboardDataFormat : EInputStep::kMouseDataFormat))
            return DIERR_GENERIC;
        if (m_bAcquired)
            return DIERR_GENERIC;
        if (format != (m_bKeyboard ? &c_dfDIKeyboard : &c_dfDIMouse))
            return DIERR_INVALIDPARAM;
        m_bFormatSet = true;
        return DI_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        if (InputStepFails(m_bKeyboard ? EInputStep::kKeyboardCooperativeLevel
                                       : EInputStep::kMouseCooperativeLevel))
            return DIERR_GENERIC;
        const bool oneAccess = ((flags & DISCL_EXCLUSIVE) != 0) != ((flags & DISCL_NONEXCLUSIVE) != 0);
        const bool oneTime = ((flags & DISCL_FOREGROUND) != 0) != ((flags & DISCL_BACKGROUND) != 0);
        if (!IsWindow(window) || !oneAccess || !oneTime)
            return DIERR_INVALIDPARAM;
        m_window = window;
        m_nFlags = flags;
        return DI_OK;
    }

    HRESULT SetProperty(const GUID* property, const DIPROPHEADER* header) override {
        if (InputStepFails(m_bKeyboard ? EInputStep::kKeyboardBufferSize : EInputStep::kMouseBufferSize))
            return DIERR_GENERIC;
        if (property != DIPROP_BUFFERSIZE || !header || header->dwSize != sizeof(DIPROPDWORD) ||
            header->dwHow != DIPH_DEVICE)
            return DIERR_INVALIDPARAM;
        m_nBufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        return DI_OK;
    }

    HRESULT Acquire() override {
        if (!m_bFormatSet || !m_window)
            return DIERR_INVALIDPARAM;
        if (m_bAcquired)
            return DI_NOEFFECT;
        // A foreground device works only while its window is the active one.
        if ((m_nFlags & DISCL_FOREGROUND) && GetForegroundWindow() != m_window)
            return DIERR_OTHERAPPHASPRIO;
        m_bAcquired = true;
        m_accumulated[0] = m_accumulated[1] = m_accumulated[2] = 0;
        return DI_OK;
    }

    HRESULT Unacquire() override {
        m_bSuspended = false;
        if (!m_bAcquired)
            return DI_NOEFFECT;
        m_bAcquired = false;
        m_buffer.clear();
        m_bOverflow = false;
        return DI_OK;
    }

    HRESULT GetDeviceData(DWORD recordSize, DIDEVICEOBJECTDATA* records, DWORD* count, DWORD /*flags*/) override {
        if (!count || recordSize != sizeof(DIDEVICEOBJECTDATA))
            return DIERR_INVALIDPARAM;
        const DWORD wanted = *count;
        *count = 0;
        if (InputStepFails(m_bKeyboard ? EInputStep::kKeyboardData : EInputStep::kMouseData))
            return DIERR_GENERIC;
        if (!m_bAcquired)
            return DIERR_NOTACQUIRED;
        if (m_nBufferSize == 0)
            return DIERR_NOTBUFFERED;
        if (m_bKeyboard && records)
            ClearDeliveredCharacters();
        const DWORD taken = std::min<DWORD>(wanted, static_cast<DWORD>(m_buffer.size()));
        for (DWORD i = 0; i < taken; ++i) {
            const BufferedRecord& record = m_buffer.front();
            if (records) {
                records[i] = record.data;
                if (m_bKeyboard && (record.data.dwData & 0x80))
                    AddDeliveredCharacters(record.data.dwOfs, record.characters, record.characterCount);
            }
            m_buffer.pop_front();
        }
        *count = taken;
        const bool overflow = m_bOverflow;
        m_bOverflow = false;
        return overflow ? DI_BUFFEROVERFLOW : DI_OK;
    }

    HRESULT GetDeviceState(DWORD size, void* state) override {
        if (!state)
            return DIERR_INVALIDPARAM;
        if (InputStepFails(m_bKeyboard ? EInputStep::kKeyboardState : EInputStep::kMouseState))
            return DIERR_GENERIC;
        if (!m_bAcquired)
            return DIERR_NOTACQUIRED;
        if (m_bKeyboard) {
            if (size != 256)
                return DIERR_INVALIDPARAM;
            memcpy(state, KeyStates(), 256);
            return DI_OK;
        }
        if (size != sizeof(DIMOUSESTATE))
            return DIERR_INVALIDPARAM;
        DIMOUSESTATE mouse{};
        mouse.lX = m_accumulated[0];
        mouse.lY = m_accumulated[1];
        mouse.lZ = m_accumulated[2];
        memcpy(mouse.rgbButtons, ButtonStates(), 4);
        m_accumulated[0] = m_accumulated[1] = m_accumulated[2] = 0;
        memcpy(state, &mouse, sizeof mouse);
        return DI_OK;
    }

    void Suspend() {
        if (m_bAcquired) {
            Unacquire();
            m_bSuspended = true;
        }
    }

    void Resume() {
        if (m_bSuspended && SUCCEEDED(Acquire()))
            m_bSuspended = false;
    }

    bool IsKeyboard() const { return m_bKeyboard; }
    bool IsAcquired() const { return m_bAcquired; }

    // A record from the pump; dropped past the buffer's size, which the next fetch reports.
    bool Append(DWORD offset, DWORD data, DWORD time, DWORD sequence) {
        if (!m_bAcquired || m_nBufferSize == 0)
            return false;
        if (m_buffer.size() >= m_nBufferSize) {
            m_bOverflow = true;
            return false;
        }
        m_buffer.push_back(BufferedRecord{DIDEVICEOBJECTDATA{offset, data, time, sequence, 0}, {0, 0}, 0});
        return true;
    }

    void Attach(DWORD sequence, const std::string& characters) {
        for (auto it = m_buffer.rbegin(); it != m_buffer.rend(); ++it) {
            if (it->data.dwSequence != sequence)
                continue;
            it->characterCount = static_cast<int>(std::min<size_t>(characters.size(), 2));
            for (int i = 0; i < it->characterCount; ++i)
                it->characters[i] = static_cast<BYTE>(characters[static_cast<size_t>(i)]);
            return;
        }
    }

    void Accumulate(LONG dx, LONG dy, LONG dz) {
        if (!m_bAcquired)
            return;
        m_accumulated[0] += dx;
        m_accumulated[1] += dy;
        m_accumulated[2] += dz;
    }

private:
    ~CLayerInputDevice() override = default;

    bool m_bKeyboard;
    ULONG m_nReferences = 1;
    bool m_bFormatSet = false;
    HWND m_window = nullptr;
    DWORD m_nFlags = 0;
    DWORD m_nBufferSize = 0;
    bool m_bAcquired = false;
    bool m_bSuspended = false;  // unacquired by a focus loss, to be acquired again on its return
    bool m_bOverflow = false;
    std::deque<BufferedRecord> m_buffer;
    LONG m_accumulated[3] = {0, 0, 0};
};

class CLayerDirectInput final : public IDirectInput8A {
public:
    ULONG Release() override {
        if (--m_nReferences > 0)
            return m_nReferences;
        delete this;
        return 0;
    }

    HRESULT CreateDevice(const GUID& device, IDirectInputDevice8A** out, void* /*outer*/) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        const bool keyboard = device == GUID_SysKeyboard;
        if (!keyboard && !(device == GUID_SysMouse))
            return DIERR_DEVICENOTREG;
        if (InputStepFails(keyboard ? EInputStep::kKeyboardCreate : EInputStep::kMouseCreate))
            return DIERR_GENERIC;
        *out = new CLayerInputDevice(keyboard);
        return DI_OK;
    }

    HRESULT GetDeviceStatus(const GUID& device) override {
        const bool keyboard = device == GUID_SysKeyboard;
        if (!keyboard && !(device == GUID_SysMouse))
            return DIERR_DEVICENOTREG;
        return InputStepFails(keyboard ? EInputStep::kKeyboardStatus : EInputStep::kMouseStatus) ? DIERR_GENERIC
                                                                                                 : DI_OK;
    }

private:
    ~CLayerDirectInput() override = default;

    ULONG m_nReferences = 1;
};

DWORD AppendToDevices(bool keyboard, DWORD offset, DWORD data, DWORD time) {
    const DWORD sequence = g_nextSequence++;
    bool taken = false;
    for (CLayerInputDevice* device : Devices()) {
        if (device->IsKeyboard() == keyboard)
            taken = device->Append(offset, data, time, sequence) || taken;
    }
    return taken ? sequence : 0;
}

}  // namespace

bool InputStepFails(EInputStep step) {
    return Failures().test(static_cast<size_t>(step));
}

DWORD AppendKeyboardRecord(DWORD keyCode, DWORD data, DWORD time) {
    return AppendToDevices(true, keyCode, data, time);
}

DWORD AppendMouseRecord(DWORD offset, DWORD data, DWORD time) {
    return AppendToDevices(false, offset, data, time);
}

void AccumulateMouse(LONG dx, LONG dy, LONG dz) {
    for (CLayerInputDevice* device : Devices()) {
        if (!device->IsKeyboard())
            device->Accumulate(dx, dy, dz);
    }
}

void AttachCharacters(DWORD sequence, const std::string& characters) {
    for (CLayerInputDevice* device : Devices()) {
        if (device->IsKeyboard())
            device->Attach(sequence, characters);
    }
}

void SuspendAcquiredDevices() {
    for (CLayerInputDevice* device : Devices())
        device->Suspend();
}

void ResumeSuspendedDevices() {
    for (CLayerInputDevice* device : Devices())
        device->Resume();
}

}  // namespace winapi::detail

HRESULT DirectInput8Create(HINSTANCE /*instance*/, DWORD version, const GUID& interfaceId, void** out,
                           void* /*outer*/) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (version != DIRECTINPUT_VERSION || !(interfaceId == IID_IDirectInput8A))
        return DIERR_INVALIDPARAM;
    if (winapi::detail::InputStepFails(winapi::EInputStep::kCreateInterface))
        return DIERR_GENERIC;
    *out = static_cast<IDirectInput8A*>(new winapi::detail::CLayerDirectInput);
    return DI_OK;
}

namespace winapi {

void SetInputFailure(EInputStep step, bool fail) {
    if (step < EInputStep::kCount)
        detail::Failures().set(static_cast<size_t>(step), fail);
}

void ClearInputFailures() {
    detail::Failures().reset();
}

}  // namespace winapi
