#include "game/ui/DlgSkinWood.h"

CDlgSkinWood::CDlgSkinWood() {
    m_pGame = nullptr;
}

int CDlgSkinWood::Draw(CBaseGame* game) {
    return CWnd::Draw(game);
}
