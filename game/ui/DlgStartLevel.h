// The dialog that starts an experiment of the lab.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgStartLevel : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgStartLevel)

public:
    CDlgStartLevel() { MakeGameDialog(); }
};
