#include "engine/gui/Dlg.h"

#include "engine/core/SaturatingCast.h"

namespace {

// Whether a registered class is a window, so that a script cannot put anything else (a
// graphics resource, an abstract class's bare object) into the window tree.
bool IsWindowClass(const CClass* type) {
    for (; type; type = type->m_pParent) {
        if (type == CWnd::GetStaticClass())
            return true;
    }
    return false;
}

float Truncated(float value) {
    return static_cast<float>(SaturatingTruncate(value));
}

CWndRect TruncatedRect(const CWndRect& rect) {
    return {Truncated(rect.left), Truncated(rect.top), Truncated(rect.right), Truncated(rect.bottom)};
}

// A block's rectangle from its position and size, in reference units.
CWndRect ScriptRect(CValueScript& block) {
    const float x = block.GetFloat("RectX", 0.0f);
    const float y = block.GetFloat("RectY", 0.0f);
    const float w = block.GetFloat("RectW", 0.0f);
    const float h = block.GetFloat("RectH", 0.0f);
    return {x, y, x + w, y + h};
}

void DeleteBlocks(CPointerList& blocks) {
    for (auto* node = blocks.m_pHead; node; node = node->m_pNext)
        delete static_cast<CValueScript*>(node->m_data);
    blocks.RemoveAll();
}

}  // namespace

CDlg::CDlg() {
    m_nFlags = kDraggable | kKeepChildOrder | kFocusable;
}

int CDlg::LoadScript(const char* path) {
    CPointerList blocks(1, 1);
    if (!CValueScript::LoadAll(path, &blocks)) {
        DeleteBlocks(blocks);
        return 0;
    }
    return BuildFromBlocks(blocks);
}

int CDlg::LoadScriptText(const char* text) {
    CPointerList blocks(1, 1);
    CValueScript::ParseAllBlocks(text, &blocks);
    return BuildFromBlocks(blocks);
}

int CDlg::BuildFromBlocks(CPointerList& blocks) {
    if (!blocks.m_pHead)
        return 0;
    ReadGeometry(*static_cast<CValueScript*>(blocks.m_pHead->m_data));
    for (auto* node = blocks.m_pHead->m_pNext; node; node = node->m_pNext)
        CreateChild(*static_cast<CValueScript*>(node->m_data));
    OnCreate();
    DeleteBlocks(blocks);
    return 1;
}

int CDlg::ReadGeometry(CValueScript& block) {
    m_rcBase = ScriptRect(block);
    m_rcScreen = TruncatedRect(m_rcBase);
    SetName(block.GetString("Name", "<unnamed>"));
    return 1;
}

int CDlg::CreateChild(CValueScript& block) {
    if (!m_pChildren)
        return 0;
    const CClass* type = CClass::FindClass(block.GetString("Class", "").GetText());
    if (!type || !IsWindowClass(type))
        return 0;
    // A NaN ID has no integer value: dropped like a negative one.
    const float scriptedId = block.GetFloat("ID", -1.0f);
    if (!(scriptedId >= 0.0f))
        return 0;
    // An abstract class's factory makes a bare object, which is no window either.
    CObject* object = type->CreateObject();
    if (!object || !IsWindowClass(object->m_pClass)) {
        delete object;
        return 0;
    }
    CWnd* child = static_cast<CWnd*>(object);

    const CWndRect rect = ScriptRect(block);
    const int id = SaturatingTruncate(scriptedId);
    m_nLastChildID = id;
    child->SetGameRecursive(m_pGame);
    child->SetName(block.GetString("Name", "<unnamed>"));
    child->m_nID = id;
    child->m_pParent = this;
    const float left = m_rcScreen.left;
    const float top = m_rcScreen.top;
    child->m_rcBase = {rect.left + left, rect.top + top, rect.right + left, rect.bottom + top};
    child->m_rcScreen = TruncatedRect(child->m_rcBase);
    child->OnCreate();
    // The position is recorded so that Destroy can unlink a scripted child as any other.
    child->m_Position = m_pChildren->Append(child);
    return 1;
}
