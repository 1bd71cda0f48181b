// Renders one frame of the game for a person to look at: the game started on the fixture game
// root with the render tests' scene (a board, a block casting its shadow on it, a ball drawn
// over the block by the overlay pass), "Shadows" on, paused so that "Pause" shows, and the
// game-drawn pointer over the board: game_render_png <out.png>.
#include <string>

#include "tests/game/app/GameFramePicture.h"
#include "tests/game/app/GameRenderScene.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/SceneWindow.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

// Left of and below the scene's objects, over the bare board.
constexpr int kPointerX = 300;
constexpr int kPointerY = 560;

// One frame of the game with the scene; false with the reason when something fails.
bool RenderFrame(CSceneWindow* window, PixelFrame* frame, std::string* error) {
    CSceneWindowGame game(window);
    if (!game.StartEngine() || game.Init() != 1) {
        *error = "the game did not start (is there a display?)";
        return false;
    }
    GameRenderScene scene;
    if (!AddGameRenderScene(&game, &scene, error))
        return false;
    game.m_nShadows = 1;
    game.m_nSoftwareCursor = 1;
    game.m_bPaused = 1;
    // The pointer is read from the input devices, once the window is active, by the scene's
    // step.
    winapi::ForceActiveWindow(1);
    for (const double dt : {0.0, 0.02}) {
        game.Step(dt);
        winapi::InjectMouseMotion(kPointerX, kPointerY, 1, 1);
    }
    game.Render();
    *frame = window->Grab();
    if (game.m_nPointerX != kPointerX || game.m_nPointerY != kPointerY) {
        *error = "the pointer did not arrive";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    return RunGameFramePicture("game_render_png", argc, argv, &WriteFixtureGameRoot, &RenderFrame);
}
