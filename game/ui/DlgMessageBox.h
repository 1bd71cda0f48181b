// The modal question or notice: a text above one to three answer buttons, built in code
// for a parent window that hears the pressed button's answer.
#pragma once

#include <cstdint>

#include "engine/core/DynString.h"
#include "game/ui/DlgSkinWood.h"

class CDlgMessageBox : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgMessageBox)

public:
    CDlgMessageBox() { m_nFlags |= kModal; }

    // Keeps the text, the caption (the window's name, a string-table key) and the answer
    // flags, and joins the parent with its next free ID. 0, with nothing added, when the
    // parent is null, the flags hold no answer, or the application or its render device is
    // missing.
    int Run(const char* text, const char* caption, CWnd* parent, uint32_t flags, CBaseGame* game);

    CDynString m_sText;
    uint32_t m_nAnswerFlags = 0;
};
