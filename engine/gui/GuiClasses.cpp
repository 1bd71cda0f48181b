#include "engine/gui/GuiClasses.h"

#include "engine/gui/Wnd.h"

IMPLEMENT_RUNTIME_CLASS(CWnd, CObject)

void RegisterGuiClasses() {}
