// The keyboard and mouse through DirectInput 8: buffered records per frame (8 per device),
// with key repeat and double clicks made here. Both devices run non-exclusive and in the
// foreground, so they deliver input only while the game window is active.
#pragma once

#include "engine/platform/InputDevice.h"
#include "winapi/window/DInput.h"

class CInputDeviceDX : public CInputDevice {
    DECLARE_RUNTIME_CLASS(CInputDeviceDX)

public:
    CInputDeviceDX() = default;
    ~CInputDeviceDX() override;

    // 1 when both devices were created and configured; 0 after logging why not. The exclusive
    // argument has no effect.
    int Init(HINSTANCE instance, CViewport* viewport, CLogFile* log, int bExclusive) override;
    void Release() override;
    void Update(double time) override;
    int HasKeyboard() override { return m_pKeyboard ? 1 : 0; }
    int IsKeyDown(int keyCode) override;
    int HasMouse() override { return m_pMouse ? 1 : 0; }
    int GetMouseButton(int button) override;
    POINT* GetMousePos(POINT* out) override;

    // The characters the keyboard layout gives for the key just pressed; 0 when the keyboard
    // state cannot be read.
    static int KeyToChar(int keyCode, unsigned char* character);
    // Logs "DirectX 8 input device: <message>" when there is a message, then forgets the log
    // and releases the devices, the interface and the library. Returns 0.
    int ReleaseDevices(const char* message);

    HMODULE m_hLibrary = nullptr;
    HWND m_hWindow = nullptr;
    IDirectInput8A* m_pDirectInput = nullptr;
    IDirectInputDevice8A* m_pKeyboard = nullptr;
    IDirectInputDevice8A* m_pMouse = nullptr;

private:
    int CreateDevice(const GUID& device, const DIDATAFORMAT* format, HWND window, bool keyboard,
                     IDirectInputDevice8A** out);
    void Append(int type, int param);
    void Log(const char* text);
    void ReadKeyboard(double time);
    void RepeatKey(double time);
    void ReadMouse(double time);

    static int s_bAcquired;
};
