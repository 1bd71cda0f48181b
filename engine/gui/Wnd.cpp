#include "engine/gui/Wnd.h"

#include "engine/core/frame/BaseGame.h"
#include "engine/platform/InputDevice.h"

CWnd* g_pFocusWindow = nullptr;
CWnd* g_pCaptureWindow = nullptr;
CWnd* g_pCurrentModalWindow = nullptr;
uint32_t g_nModalCount = 0;

namespace {

constexpr int kTabKey = 15;
constexpr int kLeftButton = 0;

CWnd* WindowOf(const CPointerList::Node* node) {
    return static_cast<CWnd*>(node->m_data);
}

bool IsKeyboardEvent(int type) {
    return type <= CInputDevice::kCharacter;
}

}  // namespace

CWnd::CWnd() : m_pChildren(new CPointerList(1, 1)) {}

CWnd::~CWnd() {
    DeleteChildren();
    delete m_pChildren;
    ForgetModalState();
    // Nothing may keep pointing at a window that is gone.
    if (g_pFocusWindow == this)
        g_pFocusWindow = nullptr;
    if (g_pCaptureWindow == this)
        g_pCaptureWindow = nullptr;
    if (g_pCurrentModalWindow == this)
        g_pCurrentModalWindow = nullptr;
}

void CWnd::Move(float dx, float dy) {
    m_rcBase.left += dx;
    m_rcBase.right += dx;
    m_rcBase.top += dy;
    m_rcBase.bottom += dy;
    if (!m_pChildren)
        return;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext)
        WindowOf(node)->Move(dx, dy);
}

int CWnd::Update(double dt) {
    if (!m_bEnabled || !m_pChildren)
        return 1;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext) {
        if (!WindowOf(node)->Update(dt))
            return 0;
    }
    return 1;
}

int CWnd::Draw(CBaseGame* game) {
    if (!m_bEnabled || !m_pChildren)
        return 1;
    // From the tail to the head, so that the front-most child is drawn last.
    for (auto* node = m_pChildren->m_pTail; node; node = node->m_pPrev) {
        CWnd* child = WindowOf(node);
        if (child->m_nFlags & kVisible)
            child->Draw(game);
    }
    return 1;
}

int CWnd::HitTest(int x, int y) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const bool inside = m_rcScreen.left <= fx && fx <= m_rcScreen.right && m_rcScreen.top <= fy &&
                        fy <= m_rcScreen.bottom;
    return inside ? kHitInside : kHitOutside;
}

void CWnd::AddChild(CWnd* child, int id) {
    if (!child || !m_pChildren)
        return;
    child->m_pParent = this;
    child->m_nID = id;
    child->m_Position = m_pChildren->Append(child);
    m_nLastChildID = id;
}

void CWnd::AddChildNextID(CWnd* child) {
    AddChild(child, m_nLastChildID + 1);
}

CWnd* CWnd::GetChildByID(int id) const {
    if (!m_pChildren)
        return nullptr;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext) {
        if (WindowOf(node)->m_nID == id)
            return WindowOf(node);
    }
    return nullptr;
}

void CWnd::SetGameRecursive(CBaseGame* game) {
    m_pGame = game;
    if (!m_pChildren)
        return;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext)
        WindowOf(node)->SetGameRecursive(game);
}

void CWnd::SetName(const CDynString& name) {
    m_sName = name;
}

void CWnd::DeleteChildren() {
    if (!m_pChildren)
        return;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext) {
        CWnd* child = WindowOf(node);
        child->DeleteChildren();
        delete child;
    }
    m_pChildren->RemoveAll();
}

void CWnd::BringChildToFront(CWnd* child) {
    if (!child || !m_bEnabled || !m_pChildren || child->m_Position.pList != m_pChildren)
        return;
    if ((m_nFlags & kKeepChildOrder) && !(child->m_nFlags & kModal))
        return;
    m_pChildren->RemoveAt(child->m_Position);
    m_pChildren->Insert(&child->m_Position, child, CPointerList::Position{m_pChildren, nullptr}, 0);
}

void CWnd::BringToFront() {
    CWnd* window = this;
    for (CWnd* parent = m_pParent; parent; parent = parent->m_pParent) {
        parent->BringChildToFront(window);
        window = parent;
    }
}

void CWnd::FocusFirst() {
    if (!m_bEnabled || !m_pChildren || !m_pChildren->m_pHead)
        return;
    g_pFocusWindow = nullptr;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext) {
        const uint32_t flags = WindowOf(node)->m_nFlags;
        if ((flags & kVisible) && (flags & kFocusable)) {
            g_pFocusWindow = WindowOf(node);
            return;
        }
    }
}

CWnd* CWnd::NextFocusable(CPointerList::Node* from, bool forward) const {
    auto step = [&](CPointerList::Node* node) {
        CPointerList::Node* next = forward ? node->m_pNext : node->m_pPrev;
        if (!next)
            next = forward ? m_pChildren->m_pHead : m_pChildren->m_pTail;
        return next;
    };
    for (auto* node = step(from); node != from; node = step(node)) {
        const uint32_t flags = WindowOf(node)->m_nFlags;
        if ((flags & kVisible) && (flags & kFocusable))
            return WindowOf(node);
    }
    const uint32_t flags = WindowOf(from)->m_nFlags;
    return (flags & kVisible) && (flags & kFocusable) ? WindowOf(from) : nullptr;
}

void CWnd::MoveFocus(bool forward) {
    if (!m_bEnabled || !m_pChildren || m_pChildren->m_nCount < 2)
        return;
    if (!g_pFocusWindow) {
        FocusFirst();
        return;
    }
    const bool isChild = g_pFocusWindow->m_Position.pList == m_pChildren;
    g_pFocusWindow = isChild ? NextFocusable(g_pFocusWindow->m_Position.pNode, forward) : nullptr;
}

void CWnd::FocusNext() {
    MoveFocus(true);
}

void CWnd::FocusPrev() {
    MoveFocus(false);
}

void CWnd::SetScale(float sx, float sy) {
    m_rcScreen.left = sx * m_rcBase.left;
    m_rcScreen.right = sx * m_rcBase.right;
    m_rcScreen.top = sy * m_rcBase.top;
    m_rcScreen.bottom = sy * m_rcBase.bottom;
    OnScale(sx, sy);
    if (!m_bEnabled || !m_pChildren)
        return;
    for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext)
        WindowOf(node)->SetScale(sx, sy);
}

CWnd* CWnd::WindowFromPoint() {
    if (m_bEnabled && m_pChildren) {
        for (auto* node = m_pChildren->m_pHead; node; node = node->m_pNext) {
            if (CWnd* found = WindowOf(node)->WindowFromPoint())
                return found;
        }
    }
    if (g_nModalCount != 0 && !m_bActive)
        return nullptr;
    if (!(m_nFlags & kVisible))
        return nullptr;
    // The pointer comes from this window's application; a window bound to none finds nothing.
    if (!m_pGame || !m_pGame->m_pInputDevice)
        return nullptr;
    POINT pointer = {};
    m_pGame->m_pInputDevice->GetMousePos(&pointer);
    return HitTest(pointer.x, pointer.y) == kHitInside ? this : nullptr;
}

void CWnd::DispatchEvent(CInputEvent* event) {
    if (!event)
        return;
    const bool keyboard = IsKeyboardEvent(event->m_nType);
    CWnd* target = g_pCaptureWindow;
    if (!target)
        target = keyboard ? g_pFocusWindow : WindowFromPoint();
    if (!target)
        return;
    if (!keyboard) {
        target->TrackMouse(event);
        target->OnMouse(event);
        return;
    }
    if (event->m_nType == CInputDevice::kKeyUp && target->m_pParent && target->m_pGame &&
        target->m_pGame->m_pInputDevice && target->m_pGame->m_pInputDevice->IsKeyDown(kTabKey))
        target->m_pParent->FocusNext();
    target->OnKey(event);
}

bool CWnd::Drag(const CInputEvent& event) {
    CBaseGame* game = m_pGame;
    if (!game || !game->m_pInputDevice || g_pCaptureWindow != this || !game->m_pInputDevice->GetMouseButton(0) ||
        !game->AllowWindowDrag())
        return false;
    float metrics[4];
    game->GetGuiMetrics(metrics);
    const float scaleX = metrics[2];
    const float scaleY = metrics[3];
    const float moved = static_cast<float>(event.m_nParam);
    if (event.m_nType == CInputDevice::kMoveX)
        Move(moved / scaleX, 0.0f);
    else
        Move(0.0f, moved / scaleY);
    SetScale(scaleX, scaleY);
    return true;
}

void CWnd::TrackMouse(CInputEvent* event) {
    const int type = event->m_nType;
    const bool leftButton = event->m_nParam == kLeftButton;
    if (type == CInputDevice::kButtonDown && leftButton) {
        BringToFront();
        g_pFocusWindow = this;
    }
    const bool movement = type == CInputDevice::kMoveX || type == CInputDevice::kMoveY;
    if ((m_nFlags & kDraggable) && type >= CInputDevice::kButtonDown && type <= CInputDevice::kMoveY) {
        if (type == CInputDevice::kButtonDown && leftButton)
            g_pCaptureWindow = this;
        else if (type == CInputDevice::kButtonUp && leftButton)
            g_pCaptureWindow = nullptr;
        else if (movement && !Drag(*event))
            return;
    }
    if (movement && !(m_nFlags & kNoPointerShape) && m_pGame)
        m_pGame->SetPointerShape(m_nPointerShape);
}
