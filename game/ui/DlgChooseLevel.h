// The experiment choice dialog.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgChooseLevel : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgChooseLevel)

public:
    CDlgChooseLevel() { MakeGameDialog(); }
};
