// The options dialog: display, sound and music settings.
#pragma once

#include "game/ui/DlgSkinWood.h"

class CDlgOptionMenu : public CDlgSkinWood {
    DECLARE_RUNTIME_CLASS(CDlgOptionMenu)

public:
    CDlgOptionMenu() { MakeGameDialog(); }

    // Hands the application's sound settings to the sound handler, the music and voice streams
    // and the CD line of the mixers; nothing without a game application or its sound device.
    void Apply();
};
