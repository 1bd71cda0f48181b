// The base of every interface element: a window in the tree under the application's root
// window, with a rectangle in reference-resolution units scaled to the screen, and the
// routing of input events to the window under the pointer or holding the focus.
#pragma once

#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/DynString.h"
#include "engine/core/InputEvent.h"
#include "engine/core/PointerList.h"

class CBaseGame;

struct CWndRect {
    float left;
    float top;
    float right;
    float bottom;
};

class CWnd : public CObject {
    DECLARE_RUNTIME_CLASS(CWnd)

public:
    enum EFlags : uint32_t {
        kDraggable = 0x01,
        kVisible = 0x02,
        kKeepChildOrder = 0x04,
        kFocusable = 0x10,
        kModal = 0x20,
        kNoPointerShape = 0x40,
    };
    // HitTest answers.
    enum { kHitOutside = 1, kHitInside = 2 };

    CWnd();
    // Deletes the children; the parent's list is left alone (Destroy unlinks).
    ~CWnd() override;

    virtual void OnCreate() {}
    // Shifts the base rectangle and every child's; the screen rectangle waits for SetScale.
    virtual void Move(float dx, float dy);
    // 0 asks the application to quit.
    virtual int Update(double dt);
    virtual int Draw(CBaseGame* game);
    virtual void OnScale(float /*sx*/, float /*sy*/) {}
    virtual void OnMouse(CInputEvent* /*event*/) {}
    virtual void OnKey(CInputEvent* /*event*/) {}
    virtual int HitTest(int x, int y);
    virtual void OnNotify(int /*childId*/, int /*code*/) {}

    void AddChild(CWnd* child, int id);
    void AddChildNextID(CWnd* child);
    CWnd* GetChildByID(int id) const;
    void SetGameRecursive(CBaseGame* game);
    void SetName(const CDynString& name);
    void DeleteChildren();
    void BringChildToFront(CWnd* child);
    void BringToFront();

    // Visible with every descendant. A modal window then opens its modal state: it becomes
    // the current modal window, takes the mouse from everything outside its subtree and
    // remembers the focus to give back.
    void Show();
    // Hidden with every descendant; a modal window closes its modal state, giving the focus
    // back and the current modal state to its parent while other modal windows stay open.
    void Hide();
    // Deletes the children, unlinks the window from its parent, closes its modal state as
    // Hide does and deletes the window itself.
    void Destroy();
    // Sets the active word here, in every child but `except` (recursively), and with `up`
    // clears it in the ancestors and their other subtrees.
    void SetActiveState(int state, CWnd* except, int up);

    void FocusFirst();
    void FocusNext();
    void FocusPrev();

    void SetScale(float sx, float sy);
    // The deepest visible window under the pointer, or none.
    CWnd* WindowFromPoint();
    // Hands one input event to the capture, focus or pointed-at window.
    void DispatchEvent(CInputEvent* event);
    // Focus, front order and dragging, common to every window before its OnMouse.
    void TrackMouse(CInputEvent* event);

    CBaseGame* m_pGame = nullptr;
    CPointerList* m_pChildren = nullptr;
    CWndRect m_rcScreen = {};
    CWndRect m_rcBase = {};
    CDynString m_sName;
    int m_nID = 0;
    CWnd* m_pParent = nullptr;
    CPointerList::Position m_Position = {nullptr, nullptr};
    uint32_t m_nFlags = 0;
    int m_bActive = 0;
    CWnd* m_pSavedFocus = nullptr;
    int m_bEnabled = 1;
    int m_nPointerShape = 0;
    int m_nLastChildID = 0;

private:
    void SetVisibleRecursive(bool visible);
    // A modal window counts once, from the Show that opened its modal state to the Hide,
    // Destroy or deletion that closes it, so showing twice or hiding a hidden window leaves
    // the count alone.
    void OpenModalState();
    void CloseModalState();
    // What deletion must undo of the modal state without touching other windows, which may
    // be half deleted themselves.
    void ForgetModalState();

    bool m_bModalOpen = false;

    // The next visible, focusable child after (or before) `from` in list order, wrapping
    // around; `from` itself when it is the only one that still qualifies, else none.
    CWnd* NextFocusable(CPointerList::Node* from, bool forward) const;
    void MoveFocus(bool forward);
    // Moves the window by a pointer movement while it holds the capture; false when it
    // does not move.
    bool Drag(const CInputEvent& event);
};

// One set for the whole interface: the window receiving keys, the window receiving every
// event while dragging, and the modal window shown last with the count of modal windows.
extern CWnd* g_pFocusWindow;
extern CWnd* g_pCaptureWindow;
extern CWnd* g_pCurrentModalWindow;
extern uint32_t g_nModalCount;
