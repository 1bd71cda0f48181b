// A stand-in application for the interface tests: an input device whose pointer, keys and
// left button the test sets, the GUI scale, and the two hooks the windows call, recorded.
#pragma once

#include <set>
#include <vector>

#include "engine/core/frame/BaseGame.h"
#include "engine/platform/InputDevice.h"

class FakeInputDevice : public CInputDevice {
public:
    int Init(HINSTANCE, CViewport*, CLogFile*, int) override { return 1; }
    void Release() override {}
    void Update(double) override {}
    int HasKeyboard() override { return 1; }
    // Negative while down, as the real device reports it.
    int IsKeyDown(int keyCode) override { return keysDown.count(keyCode) ? -128 : 0; }
    int HasMouse() override { return 1; }
    int GetMouseButton(int button) override { return button == 0 && leftHeld ? 1 : 0; }
    POINT* GetMousePos(POINT* out) override {
        *out = pointer;
        return out;
    }

    POINT pointer = {0, 0};
    std::set<int> keysDown;
    bool leftHeld = false;
};

// The application as the interface sees it: the input device, the GUI scale and the two hooks.
class FakeGame : public CBaseGame {
public:
    FakeGame() : input(new FakeInputDevice) {
        m_pInputDevice = input;  // CBaseGame deletes it
        SetGuiScale(1.0f, 1.0f);
    }
    int CreateDevices() override { return 0; }
    int CreateViewport() override { return 0; }
    int AllowWindowDrag() override { return allowDrag; }
    void SetPointerShape(int shape) override { pointerShapes.push_back(shape); }

    void SetGuiScale(float sx, float sy) {
        m_fReferenceWidth = 640.0f;
        m_fReferenceHeight = 480.0f;
        m_fGuiScaleX = sx;
        m_fGuiScaleY = sy;
    }

    FakeInputDevice* input;
    int allowDrag = 1;
    std::vector<int> pointerShapes;
};

// Clears the focus, capture and current modal window and the modal count, which every
// window of the process shares.
void ResetWindowGlobals();
