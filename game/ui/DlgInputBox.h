// The modal box in which the player types a name: a prompt, an entry field bound to a
// string the caller owns, and answer buttons; it checks the name against the lab's
// experiments before storing or renaming.
#pragma once

#include <cstdint>

#include "engine/core/DynString.h"
#include "game/ui/DlgSkinWood.h"

class CDlgInputBox : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgInputBox)

public:
    CDlgInputBox() { m_nFlags |= kModal; }

    // Keeps its arguments (the caption as the window's name), joins the parent with its next
    // free ID and shows itself; 0, with nothing added, without a parent or answer flags.
    int Run(const char* prompt, const char* caption, CWnd* parent, uint32_t flags, const char* initialText,
            int fieldLength, const char* allowedChars, CDynString* boundText, CBaseGame* game);

    CDynString m_sPrompt;
    CDynString m_sCaption;
    uint32_t m_nAnswerFlags = 0;
    CDynString m_sInitialText;
    int m_nFieldLength = 0;
    CDynString m_sAllowedChars;
    // Not owned: the field copies its text there on every key.
    CDynString* m_pBoundText = nullptr;
};
