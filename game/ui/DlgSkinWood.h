// The wooden look every game dialog shares: a framed, tiled background with a caption plate
// carrying the dialog's title. Until the frame is drawn it draws only the children.
#pragma once

#include "engine/gui/Dlg.h"

class CDlgSkinWood : public CDlg {
    DECLARE_RUNTIME_CLASS(CDlgSkinWood)

public:
    // The creator gives the dialog its application object later.
    CDlgSkinWood();

    int Draw(CBaseGame* game) override;

protected:
    // Every game dialog is modal and can be dragged by its frame.
    void MakeGameDialog() { m_nFlags |= kDraggable | kModal; }
};
