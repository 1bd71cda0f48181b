// The two lab choice dialogs: the plain one and the enhanced one with the lab operations.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgLabChoose : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgLabChoose)

public:
    CDlgLabChoose() { MakeGameDialog(); }
};

class CDlgLabChooseEnhanced : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgLabChooseEnhanced)

public:
    CDlgLabChooseEnhanced() { MakeGameDialog(); }
};
