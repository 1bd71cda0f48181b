// The engine's keyboard-and-mouse device. Once a frame Update rebuilds the frame's input
// events (key presses and releases, characters, buttons, double clicks, movement, wheel) and
// the key, button and pointer state. Keys are scan codes.
#pragma once

#include "engine/core/Class.h"
#include "engine/core/EventList.h"
#include "winapi/base/WinTypes.h"

class CLogFile;
class CViewport;

class CInputDevice : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CInputDevice)

public:
    enum EEventType {
        kKeyDown = 0,
        kKeyUp = 1,
        kCharacter = 2,
        kButtonDown = 3,
        kButtonUp = 4,
        kDoubleClick = 5,
        kMoveX = 6,
        kMoveY = 7,
        kWheel = 8,
    };

    CInputDevice();

    virtual int Init(HINSTANCE instance, CViewport* viewport, CLogFile* log, int bExclusive) = 0;
    virtual void Release() = 0;
    // time: the application's clock in seconds.
    virtual void Update(double time) = 0;
    virtual int HasKeyboard() = 0;
    // Negative while the key is down, 0 otherwise.
    virtual int IsKeyDown(int keyCode) = 0;
    virtual int HasMouse() = 0;
    // Non-zero while the button is down; 0 is the primary button.
    virtual int GetMouseButton(int button) = 0;
    // The pointer in the window's client coordinates.
    virtual POINT* GetMousePos(POINT* out) = 0;

    CEventList m_Events;
    CLogFile* m_pLog = nullptr;
    CViewport* m_pViewport = nullptr;
    BYTE m_KeyState[256] = {};
    LONG m_nMouseX = 0;
    LONG m_nMouseY = 0;
    LONG m_nMouseWheel = 0;
    BYTE m_MouseButtons[4] = {};
    double m_dDoubleClickTime = 0.33;
    double m_dKeyDownTime = 0.0;
    double m_dRepeatInterval = 0.033;
    double m_dFirstRepeatDelay = 0.5;
    double m_dLastButtonDownTime[4];
    int m_nRepeatKey = -1;
    int m_nRepeatChar = 0;
    int m_nRepeatCount = 0;
    int m_bButtonsSwapped = 0;
};
