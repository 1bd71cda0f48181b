// The program entry: runs the engine's application frame inside the game root (the folder
// given as the first argument, else the current one). The game itself is not built yet; the
// frame runs a demonstration that opens the window on the system scripts and clears it.
#include <cstdio>
#include <unistd.h>

#include "game/app/DemoGame.h"
#include "game/app/GameClasses.h"
#include "game/app/ProgramIcon.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) {
        fprintf(stderr, "brenlow: cannot enter the game root %s\n", argv[1]);
        return 1;
    }
    // Without a display the program would run on a surface nobody sees.
    if (!winapi::HasDisplay()) {
        fprintf(stderr, "brenlow: no display\n");
        return 1;
    }
    RegisterGameClasses();
    RegisterProgramIcon();

    printf("brenlow: the game itself is not built yet; this runs the engine's frame on the system\n"
           "scripts in scripts/config/ and clears the window. Close it or press Escape.\n");
    int result = 0;
    {
        CDemoGame game;
        result = game.Run(GetModuleHandleA(nullptr), nullptr, argc > 2 ? argv[2] : "");
        if (!result)
            fprintf(stderr, "brenlow: the frame stopped with a failure; see the log file in the game root\n");
    }
    winapi::ShutdownPlatform();
    return result ? 0 : 1;
}
