// What the program runs until the game itself exists: the engine's application frame on the
// real window and devices, clearing each frame to one colour. Escape or closing the window
// ends it.
#pragma once

#include "engine/core/frame/BaseGame.h"

class CDemoGame : public CBaseGame {
public:
    int CreateViewport() override;
    int CreateDevices() override;
    void OnStart() override;
    int Update(double dt) override;
    int Render() override;
};
