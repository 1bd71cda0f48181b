#include "game/ui/DlgMessageBox.h"

#include "engine/core/frame/BaseGame.h"
#include "engine/gui/AnswerFlags.h"

int CDlgMessageBox::Run(const char* text, const char* caption, CWnd* parent, uint32_t flags, CBaseGame* game) {
    if (!parent || !(flags & kAnswerAll) || !game || !game->m_pRenderDevice)
        return 0;
    SetGameRecursive(game);
    m_sText = text ? text : "";
    SetName(CDynString(caption ? caption : "", 0));
    m_nAnswerFlags = flags;
    parent->AddChildNextID(this);
    float metrics[4];
    game->GetGuiMetrics(metrics);
    SetScale(metrics[2], metrics[3]);
    return 1;
}
