// Renders the start screen of the default data set for a person to look at: the game started
// on a copy of the pristine set and run while the clipboard slides into place, then the best
// score brought to rest on 1223 and counted on to 1234, the flaps of its last two rollers caught
// in mid-turn, one showing the digit it leaves and one nearly down with the digit it brings:
// start_screen_png <out.png>.
#include <string>

#include "game/app/3DOMObject.h"
#include "game/app/3DObject.h"
#include "game/app/FlipCounter.h"
#include "game/flow/RODAGame.h"
#include "tests/game/app/GameFramePicture.h"
#include "tests/game/app/GameRenderScene.h"
#include "tests/game/app/RollerFixture.h"
#include "tests/support/GameRoot.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/SceneWindow.h"

namespace {

constexpr double kFrame = 0.02;
// Long enough for the clipboard to arrive.
constexpr int kSettlingFrames = 75;
constexpr unsigned kAtRest = 1223;
constexpr unsigned kTensOn = 1233;
constexpr unsigned kUnitsOn = 1234;
// Where the flaps are caught: the tens past upright (showing its back) when the units start,
// the units a quarter of the way.
constexpr float kTensAngle = -1.8f;
constexpr float kUnitsAngle = -0.8f;
constexpr int kMostFrames = 100;

// Frames of the game with the counter going to the value, until the roller's flap has turned
// past the angle; false when it never gets there.
bool TurnUntil(CSceneWindowGame* game, CFlipCounter* counter, unsigned value, const C3DObject* flap, float angle) {
    counter->Update(0.0, value);
    for (int frame = 0; frame < kMostFrames && flap->m_vOwnRot.x > angle; ++frame) {
        counter->Update(kFrame, value);
        game->Step(kFrame);
    }
    return flap->m_fValue != 0.0f && flap->m_vOwnRot.x <= angle;
}

bool RenderFrame(CSceneWindow* window, PixelFrame* frame, std::string* error) {
    CSceneWindowGame game(window);
    if (!game.StartEngine() || game.Init() != 1 || !game.m_pController) {
        *error = "the game did not start (is there a display?)";
        return false;
    }
    CFlipCounter* counter = game.m_pController->m_pCounters[RODAGame::kHighScore];
    if (!counter || !counter->m_pParent || counter->m_pParent->m_pList->m_nCount != counter->m_nCount) {
        *error = "the best score has no rollers";
        return false;
    }
    for (int i = 0; i < kSettlingFrames; ++i)
        game.Step(kFrame);
    for (int i = 0; i < kUpdatesToRest; ++i)
        counter->Update(kLongDt, kAtRest);
    const M3DOMObject* parent = counter->m_pParent;
    const C3DObject* tensFlap = parent->GetChild(counter->m_nCount - 2)->GetO(kFlap);
    const C3DObject* unitsFlap = parent->GetChild(counter->m_nCount - 1)->GetO(kFlap);
    if (!TurnUntil(&game, counter, kTensOn, tensFlap, kTensAngle) ||
        !TurnUntil(&game, counter, kUnitsOn, unitsFlap, kUnitsAngle) || tensFlap->m_fValue == 0.0f) {
        *error = "the flaps were not caught in mid-turn";
        return false;
    }
    game.Render();
    *frame = window->Grab();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const auto copyPristineSet = [](const GameRoot& root, std::string* error) {
        return root.CopyFrom(BRENLOW_DATA_DIR, error);
    };
    return RunGameFramePicture("start_screen_png", argc, argv, copyPristineSet, &RenderFrame);
}
