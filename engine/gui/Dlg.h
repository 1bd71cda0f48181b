// The engine's dialog: a window whose geometry, name and child widgets come from a GUI
// script, a value-script file whose first block is the dialog and every further block one
// child, created by its registered class name.
#pragma once

#include "engine/core/PointerList.h"
#include "engine/core/ValueScript.h"
#include "engine/gui/Wnd.h"

class CDlg : public CWnd {
    DECLARE_RUNTIME_CLASS(CDlg)

public:
    CDlg();

    // 1 when the dialog block was read; 0 when the file cannot be read or holds no block.
    int LoadScript(const char* path);
    // The same from script text in memory.
    int LoadScriptText(const char* text);
    // Rectangles and name from the dialog block; always 1.
    int ReadGeometry(CValueScript& block);
    // One child from a child block; 1 when a child was added, 0 when the block was dropped.
    int CreateChild(CValueScript& block);

private:
    // Builds the dialog from parsed blocks, then deletes them and empties the list.
    int BuildFromBlocks(CPointerList& blocks);
};
