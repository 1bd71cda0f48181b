// The program entry. The game itself is not built yet; this runs the engine core inside the
// game root: it reads its system settings with defaults, writes them back, keeps a log and
// lists the run-time classes it knows.
#include <cstdio>
#include <unistd.h>

#include "engine/core/Class.h"
#include "engine/core/CoreClasses.h"
#include "engine/core/LogFile.h"
#include "engine/core/Timer.h"
#include "engine/core/ValueScript.h"

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) {
        fprintf(stderr, "brenlow: cannot enter the game root %s\n", argv[1]);
        return 1;
    }
    RegisterCoreClasses();
    CTimer timer;

    const char* systemScript = "scripts/config/sysinit.vsc";
    CValueScript system;
    if (!system.Load(systemScript, "System")) {
        fprintf(stderr, "brenlow: %s cannot be read\n", systemScript);
        return 1;
    }
    CDynString logName(system.GetString("AppName", "Game"));
    logName += ".log";
    CLogFile log(logName.GetText());
    log.Write("brenlow: engine core started\n");
    for (const CClass* record = CClass::GetFirstClass(); record; record = record->m_pNext)
        log.Printf("\tclass %s\n", record->m_pszName);
    const int saved = system.Save(systemScript);
    log.Printf("\tsettings %s: %s\n", systemScript, saved ? "Ok" : "Failed");

    printf("brenlow: only the engine core is built so far (run-time classes, strings, lists,\n"
           "value scripts, cipher, log, timer); the window, graphics, sound and the game follow.\n"
           "Read %s, wrote %s, ran %.3f s.\n",
           systemScript, logName.GetText(), static_cast<double>(timer.GetElapsed()));
    return saved ? 0 : 1;
}
