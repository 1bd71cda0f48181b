#include "tests/support/GuiTestGame.h"

#include "engine/gui/Wnd.h"

void ResetWindowGlobals() {
    g_pFocusWindow = nullptr;
    g_pCaptureWindow = nullptr;
    g_pCurrentModalWindow = nullptr;
    g_nModalCount = 0;
}
