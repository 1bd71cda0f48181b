// The credits dialog.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgCreditsMenu : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgCreditsMenu)

public:
    CDlgCreditsMenu() { MakeGameDialog(); }
};
