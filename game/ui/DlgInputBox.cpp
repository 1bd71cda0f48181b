#include "game/ui/DlgInputBox.h"

#include "engine/gui/AnswerFlags.h"

namespace {

const char* TextOrEmpty(const char* text) {
    return text ? text : "";
}

}  // namespace

int CDlgInputBox::Run(const char* prompt, const char* caption, CWnd* parent, uint32_t flags,
                      const char* initialText, int fieldLength, const char* allowedChars, CDynString* boundText,
                      CBaseGame* game) {
    if (!parent || !(flags & kAnswerAll))
        return 0;
    SetGameRecursive(game);
    m_sPrompt = TextOrEmpty(prompt);
    m_sCaption = TextOrEmpty(caption);
    SetName(m_sCaption);
    m_nAnswerFlags = flags;
    m_sInitialText = TextOrEmpty(initialText);
    m_nFieldLength = fieldLength;
    m_sAllowedChars = TextOrEmpty(allowedChars);
    m_pBoundText = boundText;
    parent->AddChildNextID(this);
    Show();
    return 1;
}
