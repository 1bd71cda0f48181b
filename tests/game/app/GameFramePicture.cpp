#include "tests/game/app/GameFramePicture.h"

#include <cstdio>

#include "game/app/GameClasses.h"
#include "tests/support/FrameReset.h"
#include "tests/support/GameRoot.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/PngWriter.h"
#include "tests/support/SceneWindow.h"
#include "winapi/window/WindowTestHooks.h"

int RunGameFramePicture(const char* program, int argc, char** argv, FillGameRoot fill,
                        DrawGameFrame draw) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <out.png>\n", program);
        return 2;
    }
    const std::string out = argv[1];
    RegisterGameClasses();
    ResetFrameState();
    PixelFrame frame;
    std::string error;
    bool drawn = false;
    {
        // Declared first, the root is removed last, after the window.
        GameRoot root;
        CSceneWindow window;
        drawn = fill(root, &error) && draw(&window, &frame, &error);
    }
    // A frame may have made its window the active one to read the pointer.
    winapi::ForceActiveWindow(-1);
    if (!drawn) {
        fprintf(stderr, "%s: %s\n", program, error.c_str());
        return 1;
    }
    return WriteFramePng(program, out, frame);
}
