// The dialog that shows a longer text in a memo with a close button and two scroll buttons.
// The text settings wait for the memo widget they will pass on to.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CGfx;
class CRenderDevice;

class CDlgMemoBox : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgMemoBox)

public:
    CDlgMemoBox() { MakeGameDialog(); }

    void SetFont(CGfx* /*font*/) {}
    void SetRenderDevice(CRenderDevice* /*device*/) {}
    void SetLineHeight(int /*height*/) {}
    void SetTextStyle(float /*scaleX*/, float /*scaleY*/, float /*characterSpacing*/) {}
};
