#include "game/ui/UiClasses.h"

#include "game/ui/DlgChooseLevel.h"
#include "game/ui/DlgCreditsMenu.h"
#include "game/ui/DlgFileOpen.h"
#include "game/ui/DlgInputBox.h"
#include "game/ui/DlgLabChoose.h"
#include "game/ui/DlgLevelDone.h"
#include "game/ui/DlgLevelProperty.h"
#include "game/ui/DlgMemoBox.h"
#include "game/ui/DlgMessageBox.h"
#include "game/ui/DlgOptionMenu.h"
#include "game/ui/DlgSkinWood.h"
#include "game/ui/DlgStartLevel.h"
#include "game/ui/WndDesktop.h"

IMPLEMENT_RUNTIME_CLASS(CWndDesktop, CWnd)
IMPLEMENT_RUNTIME_CLASS(CDlgSkinWood, CDlg)
IMPLEMENT_RUNTIME_CLASS(CDlgChooseLevel, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgCreditsMenu, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgFileOpen, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgInputBox, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgLabChoose, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgLabChooseEnhanced, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgLevelDone, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgLevelProperty, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgMemoBox, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgMessageBox, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgOptionMenu, CDlgSkinWood)
IMPLEMENT_RUNTIME_CLASS(CDlgStartLevel, CDlgSkinWood)

void RegisterUiClasses() {}
