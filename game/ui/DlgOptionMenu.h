// The options dialog: display, sound and music settings.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgOptionMenu : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgOptionMenu)

public:
    CDlgOptionMenu() { MakeGameDialog(); }
};
