// The dialog shown when an experiment is solved.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgLevelDone : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgLevelDone)

public:
    CDlgLevelDone() { MakeGameDialog(); }
};
