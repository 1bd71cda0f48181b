// GUI-script text from anywhere, loaded into a dialog with every window class registered:
// whatever it names, only windows join the tree, and the tree survives scaling, showing,
// the focus walk, hiding and deletion.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/graphics/GraphicsClasses.h"
#include "engine/gui/Dlg.h"
#include "engine/gui/GuiClasses.h"
#include "engine/sound/SoundClasses.h"
#include "game/ui/UiClasses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = [] {
        RegisterGraphicsClasses();
        RegisterSoundClasses();
        RegisterGuiClasses();
        RegisterUiClasses();
        return true;
    }();
    (void)registered;

    const std::string input(reinterpret_cast<const char*>(data), size);
    CWnd root;
    auto* dialog = new CDlg;
    dialog->m_nFlags |= CWnd::kModal;
    root.AddChild(dialog, 1);
    dialog->LoadScriptText(input.c_str());
    for (auto* node = dialog->m_pChildren->m_pHead; node; node = node->m_pNext) {
        if (!dynamic_cast<CWnd*>(static_cast<CObject*>(node->m_data)))
            abort();
    }
    root.SetScale(1.5f, 2.0f);
    dialog->Show();
    dialog->FocusFirst();
    dialog->FocusNext();
    dialog->Hide();
    dialog->Show();
    root.DeleteChildren();
    if (g_nModalCount != 0 || g_pCurrentModalWindow || g_pFocusWindow)
        abort();
    return 0;
}
