// What the program does from its start to its first present, in a fresh process of its own:
// registers the program's classes, starts the application frame in the game root (its window
// and devices as its scripts say), runs one frame, then writes one byte to descriptor 3 so
// that the frame benchmark can stop its clock, and shuts down as the program does.
// cold_start_probe <game root>.
#include <cstdio>
#include <unistd.h>

#include "bench/BenchGame.h"
#include "game/app/GameClasses.h"
#include "winapi/window/WinLayer.h"

namespace {

// Given by the benchmark: the write end of its pipe.
constexpr int kPresentedDescriptor = 3;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || chdir(argv[1]) != 0) {
        fprintf(stderr, "usage: cold_start_probe <game root>\n");
        return 2;
    }
    RegisterGameClasses();

    int result = 1;
    {
        CBenchGame game;
        if (game.Init()) {
            game.m_pViewport->ProcessMessages();
            const char presented = game.Frame() ? 1 : 0;
            result = write(kPresentedDescriptor, &presented, 1) == 1 && presented ? 0 : 1;
        } else {
            fprintf(stderr, "cold_start_probe: the frame did not start (is there a display?)\n");
        }
        game.Shutdown();
    }
    winapi::ShutdownPlatform();
    return result;
}
