// The program entry. The game itself is not built yet; this runs what the engine has so far
// inside the game root: it reads its system settings with defaults and writes them back,
// keeps a log, opens the game window with its icon, and logs keyboard and mouse input until
// the window is closed or Escape is pressed.
#include <cstdio>
#include <unistd.h>

#include "engine/core/Class.h"
#include "engine/core/CoreClasses.h"
#include "engine/core/LogFile.h"
#include "engine/core/Timer.h"
#include "engine/core/ValueScript.h"
#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/PlatformClasses.h"
#include "engine/platform/ViewportWin32.h"
#include "game/app/ProgramIcon.h"
#include "winapi/WinLayer.h"

namespace {

constexpr int kEscapeKey = 0x01;

// Runs the window until it closes; false when it cannot open (no display).
bool RunWindow(CLogFile* log, const char* title) {
    CViewportWin32 viewport;
    viewport.SetTitle(title);
    if (!viewport.Create(GetModuleHandleA(nullptr), 640, 480, 0))
        return false;
    viewport.SetIcon(100);
    CInputDeviceDX input;
    if (!input.Init(GetModuleHandleA(nullptr), &viewport, log, 0))
        log->Write("\tFailed\n");
    CTimer timer;
    while (!viewport.IsQuitting()) {
        if (viewport.ProcessMessages())
            continue;
        input.Update(timer.GetElapsed());
        for (auto* node = input.m_Events.m_pHead; node; node = node->m_pNext)
            log->Printf("\tinput event %d %d\n", node->m_data.m_nType, node->m_data.m_nParam);
        if (input.IsKeyDown(kEscapeKey))
            viewport.Close();
        usleep(10000);  // nothing is drawn yet: no need to spin
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) {
        fprintf(stderr, "brenlow: cannot enter the game root %s\n", argv[1]);
        return 1;
    }
    RegisterCoreClasses();
    RegisterPlatformClasses();
    RegisterProgramIcon();

    const char* systemScript = "scripts/config/sysinit.vsc";
    CValueScript system;
    if (!system.Load(systemScript, "System")) {
        fprintf(stderr, "brenlow: %s cannot be read\n", systemScript);
        return 1;
    }
    CDynString appName(system.GetString("AppName", "Game"));
    CDynString logName(appName);
    logName += ".log";
    CLogFile log(logName.GetText());
    log.Write("brenlow: engine core and game window\n");
    for (const CClass* record = CClass::GetFirstClass(); record; record = record->m_pNext)
        log.Printf("\tclass %s\n", record->m_pszName);
    const int saved = system.Save(systemScript);
    log.Printf("\tsettings %s: %s\n", systemScript, saved ? "Ok" : "Failed");

    printf("brenlow: only the engine core and the game window are built so far; graphics, sound\n"
           "and the game follow. The window shows nothing yet: close it or press Escape.\n"
           "Read %s; writing %s.\n",
           systemScript, logName.GetText());
    if (!RunWindow(&log, appName.GetText()))
        printf("brenlow: the game window could not open (no display?)\n");
    winapi::ShutdownPlatform();
    return saved ? 0 : 1;
}
