// The game's full-screen window under the dialogs: the parent of the dialogs and of the
// message and input boxes the game opens, and the receiver of their answers.
#pragma once

#include "engine/gui/Wnd.h"

class CWndDesktop : public CWnd {
    DECLARE_RUNTIME_CLASS(CWndDesktop)

public:
    void OnMouse(CInputEvent* event) override;
    void OnKey(CInputEvent* event) override;
    void OnNotify(int childId, int code) override;

    // The IDs of the open message box and input box, stored by whoever opens them here, so
    // that their answers are recognised; 0 when none.
    int m_nMessageBoxID = 0;
    int m_nInputBoxID = 0;
};
