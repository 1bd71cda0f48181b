// The fixture of the application object's tests: a fresh fixture game root as the working
// directory, the process-wide frame state back at its start, every class registered, and one
// CGame, started on the real window and devices and run frame by frame, on a clock that the
// test sets, when a test asks for it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/app/Game.h"
#include "tests/support/GameRoot.h"

struct IDirect3DDevice9;

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The engine as the program starts it: the frame's Init, which makes the game's window
    // and devices.
    bool StartEngine();
    // The engine started and the first step of the game's start-up done.
    bool StartWithGameObjects();
    // The clock stands at 0 until the test moves it; TearDown gives the real clock back.
    void UseTestClock();
    // Hands the window's waiting messages to the input devices.
    void PumpMessages();
    // The messages handed on, then the game's update run.
    int Frame(double dt);
    // The window made active and one frame run, so that the input devices deliver and the
    // game has seen its window enabled.
    void Activate();
    // The Direct3D 9 device under the game's render device.
    IDirect3DDevice9* Direct3DDevice() const;
public:
    // What the log holds from `from` characters on.
    static std::string LogTextFrom(size_t from);
    // The start-up's own lines of the log from `from` on, without the loaders' lines about
    // each file ("loading ... ok").
    static std::string StepLinesFrom(size_t from);

protected:
    GameRoot m_root;
    std::unique_ptr<CGame> m_game;
};
