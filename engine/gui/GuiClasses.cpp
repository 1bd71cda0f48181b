#include "engine/gui/GuiClasses.h"

#include "engine/gui/Dlg.h"
#include "engine/gui/ListBox.h"
#include "engine/gui/Wnd.h"

IMPLEMENT_RUNTIME_CLASS(CWnd, CObject)
IMPLEMENT_RUNTIME_CLASS(CDlg, CWnd)
IMPLEMENT_RUNTIME_CLASS(CListBox, CWnd)

void RegisterGuiClasses() {}
