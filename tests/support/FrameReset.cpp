#include "tests/support/FrameReset.h"

#include "engine/core/frame/BaseGame.h"
#include "engine/core/frame/FrameClasses.h"
#include "tests/support/GuiTestGame.h"

void ResetFrameState() {
    RegisterFrameClasses();
    CBaseGame::FrameTimeStep = 0.0;
    CBaseGame::PrevFrameTime = 0.0;
    CBaseGame::FpsFrameCount = 0;
    CBaseGame::FpsLastTime = 0.0;
    ResetWindowGlobals();
}
