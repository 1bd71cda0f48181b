// Showing, hiding and destroying windows, and the modal state behind the current modal
// window and the modal count.
#include <algorithm>
#include <vector>

#include "engine/core/frame/BaseGame.h"
#include "engine/gui/Wnd.h"

namespace {

// Every window whose modal state is open. Their saved focus must not outlive the window it
// names, so deleting a window clears it here.
std::vector<CWnd*>& OpenModalWindows() {
    static std::vector<CWnd*> windows;
    return windows;
}

CWnd* WindowOf(const CPointerList::Node* node) {
    return static_cast<CWnd*>(node->m_data);
}

}  // namespace

void CWnd::SetVisibleRecursive(bool visible) {
    if (visible)
        m_nFlags |= kVisible;
    else
        m_nFlags &= ~static_cast<uint32_t>(kVisible);
    if (!m_bEnabled || !m_pChildren)
        return;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext)
        WindowOf(node)->SetVisibleRecursive(visible);
}

void CWnd::Show() {
    SetVisibleRecursive(true);
    if ((m_nFlags & kModal) && !m_bModalOpen)
        OpenModalState();
}

void CWnd::Hide() {
    SetVisibleRecursive(false);
    if (m_bModalOpen)
        CloseModalState();
}

void CWnd::Destroy() {
    DeleteChildren();
    if (m_pParent && m_pParent->m_pChildren && m_Position.pList == m_pParent->m_pChildren) {
        m_pParent->m_pChildren->RemoveAt(m_Position);
        m_Position = {nullptr, nullptr};
    }
    if (m_bModalOpen)
        CloseModalState();
    delete this;
}

void CWnd::SetActiveState(int state, CWnd* except, int up) {
    m_bActive = state;
    if (up && m_pParent)
        m_pParent->SetActiveState(0, this, up);
    if (!m_pChildren)
        return;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext) {
        if (WindowOf(node) != except)
            WindowOf(node)->SetActiveState(state, nullptr, 0);
    }
}

void CWnd::OpenModalState() {
    m_bModalOpen = true;
    OpenModalWindows().push_back(this);
    m_pSavedFocus = g_pFocusWindow;
    ++g_nModalCount;
    g_pCurrentModalWindow = this;
    if (m_pParent)
        m_pParent->BringChildToFront(this);
    m_bActive = 1;
    if (m_pGame)
        m_pGame->SetPointerShape(0);
    if (m_pParent)
        m_pParent->SetActiveState(0, this, 1);
    if (!m_pChildren)
        return;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext)
        WindowOf(node)->SetActiveState(1, nullptr, 0);
}

void CWnd::CloseModalState() {
    m_bModalOpen = false;
    auto& open = OpenModalWindows();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    const uint32_t countBefore = g_nModalCount;
    if (g_nModalCount != 0)
        --g_nModalCount;
    if (countBefore > 1 && m_pParent) {
        g_pCurrentModalWindow = m_pParent;
        m_pParent->SetActiveState(1, nullptr, 1);
    } else {
        g_pCurrentModalWindow = nullptr;
        SetActiveState(0, nullptr, 1);
    }
    g_pFocusWindow = m_pSavedFocus;
}

void CWnd::ForgetModalState() {
    auto& open = OpenModalWindows();
    for (CWnd* window : open) {
        if (window->m_pSavedFocus == this)
            window->m_pSavedFocus = nullptr;
    }
    if (!m_bModalOpen)
        return;
    m_bModalOpen = false;
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (g_nModalCount != 0)
        --g_nModalCount;
    // The parent outlives its children's deletion, so it can take the current modal state.
    if (g_pCurrentModalWindow == this)
        g_pCurrentModalWindow = g_nModalCount != 0 ? m_pParent : nullptr;
}
