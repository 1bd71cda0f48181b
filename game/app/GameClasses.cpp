#include "game/app/GameClasses.h"

#include "engine/core/CoreClasses.h"
#include "engine/core/frame/FrameClasses.h"
#include "engine/graphics/GraphicsClasses.h"
#include "engine/gui/GuiClasses.h"
#include "engine/platform/PlatformClasses.h"
#include "engine/sound/SoundClasses.h"
#include "game/ui/UiClasses.h"

void RegisterGameClasses() {
    RegisterCoreClasses();
    RegisterPlatformClasses();
    RegisterGraphicsClasses();
    RegisterSoundClasses();
    RegisterGuiClasses();
    RegisterFrameClasses();
    RegisterUiClasses();
}
