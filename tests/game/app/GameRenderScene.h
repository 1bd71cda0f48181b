// What the tests of the game's frame and its picture program draw: the game started on the
// window and device of a scene window (so that the stencil probe and the read-back reach what
// the game drew), and a small scene in its instance tree, with models made by the model tool:
// a board at the back that catches shadows, a block in front of it that casts one, both drawn
// by the scene pass, and a ball drawn by the overlay pass without the depth test, standing
// behind the block but seen over it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Vector3.h"
#include "game/app/Game.h"

class C3DObject;
class CSceneWindow;

// The game on the scene window's window and Direct3D 9 device, which the scene window owns
// and which therefore must outlive the game.
class CSceneWindowGame : public CGame {
public:
    explicit CSceneWindowGame(CSceneWindow* scene) : m_pScene(scene) {}
    // The game's objects go while the device lives; the window and the device stay the scene
    // window's.
    ~CSceneWindowGame() override;

    int CreateViewport() override;
    int CreateDevices() override;
    // The frame's start-up, then the scene window told the size.
    bool StartEngine();
    // The scene window's projections from the game's camera where it stands now.
    void FollowCamera();
    // Hands the window's waiting messages to the input devices, then runs the update: one frame
    // of the game's own loop without its drawing. The update's result.
    int Step(double dt);

    CSceneWindow* m_pScene;
};

// The objects of the scene, each in a node of its own under the instance tree's root.
struct GameRenderScene {
    C3DObject* board = nullptr;
    C3DObject* block = nullptr;
    C3DObject* ball = nullptr;
};

namespace render_scene {

// Places, in world space.
inline const CVector3 kBlockCentre(1.0f, 1.0f, 0.0f);
inline const CVector3 kBallCentre(1.2f, 1.2f, 1.5f);
// A point of the block's front face far from the ball.
inline const CVector3 kBlockOnly(1.5f, 0.5f, -0.6f);

// Every face of a model shows its shader's one colour.
constexpr uint32_t kBoardColour = 0x808080;
constexpr uint32_t kBlockColour = 0x1A33E6;
constexpr uint32_t kBallColour = 0xE64D1A;

}  // namespace render_scene

// Hides the start screen's scene and adds the three objects with their models and shaders, placed;
// false with the reason when a model cannot be made.
bool AddGameRenderScene(CGame* game, GameRenderScene* scene, std::string* error);
