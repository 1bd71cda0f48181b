// The file dialog that chooses an experiment file to import or export.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgFileOpen : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgFileOpen)

public:
    CDlgFileOpen() { MakeGameDialog(); }
};
