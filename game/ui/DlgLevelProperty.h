// The dialog that shows and edits an experiment's name and description. The text settings
// wait for the memo widget they will pass on to.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CGfx;
class CRenderDevice;

class CDlgLevelProperty : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgLevelProperty)

public:
    CDlgLevelProperty() { MakeGameDialog(); }

    void SetFont(CGfx* /*font*/) {}
    void SetRenderDevice(CRenderDevice* /*device*/) {}
    void SetLineHeight(int /*height*/) {}
    void SetTextStyle(float /*scaleX*/, float /*scaleY*/, float /*characterSpacing*/) {}
    void SetEditable(int /*editable*/) {}
};
