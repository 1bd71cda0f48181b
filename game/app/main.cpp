// The program's entry: the game runs in its game root, the working directory, which holds
// scripts/ and data/; every path the game reads and writes is relative to it. The arguments,
// joined by single spaces, are handed on as the command line, which nothing interprets.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "game/app/Game.h"
#include "game/app/GameClasses.h"
#include "game/app/ProgramIcon.h"
#include "game/app/WinMain.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"

namespace {

bool InGameRoot() {
    struct stat info {};
    return stat("scripts", &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
    if (!InGameRoot()) {
        fprintf(stderr,
                "brenlow: start brenlow from its game root, the folder holding scripts/ and data/ "
                "(build/gameroot after a build)\n");
        return 1;
    }
    // Without a display the game would run on a surface nobody sees.
    if (!winapi::HasDisplay()) {
        fprintf(stderr, "brenlow: no display\n");
        return 1;
    }
    RegisterGameClasses();
    RegisterProgramIcon();
    std::string commandLine;
    for (int i = 1; i < argc; ++i)
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    const int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), 1);
    winapi::ShutdownPlatform();
    return result == 1 && !g_bStartUpFailed ? 0 : 1;
}
