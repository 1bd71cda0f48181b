#include "game/ui/WndDesktop.h"

// The certificate screen, the focus and the answers to the game's questions come with the
// game's controller.
void CWndDesktop::OnMouse(CInputEvent* /*event*/) {}

void CWndDesktop::OnKey(CInputEvent* /*event*/) {}

void CWndDesktop::OnNotify(int /*childId*/, int /*code*/) {}
