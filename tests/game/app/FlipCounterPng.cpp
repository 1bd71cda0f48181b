// Renders two digit counters for a person to look at: a scene read from an element script (a
// wall and the counters' parent nodes), the rollers read from the roller scripts with models
// made by the model tool, one counter counting up above one counting down, each with three
// flaps caught at different points of their turns, drawn by the tree under the game's camera:
// flip_counter_png <out.png>.
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/graphics/RenderDeviceDX9.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObjectList.h"
#include "game/app/FlipCounter.h"
#include "game/app/ScriptKey.h"
#include "tests/game/app/RollerFixture.h"
#include "tests/game/app/SceneDrawStage.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/PngWriter.h"
#include "winapi/base/WinRandom.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr uint32_t kBackground = 0xFF1C2433;
// The device takes no ambient level: the shaders' emissive colours keep faces out of the light
// from going black.
constexpr uint32_t kNoAmbient = 0xFF000000;
// From the upper left, nearly across the cards: their faces stay dim while the bars' upper
// and left facets catch the light.
const CVector3 kLightDirection(0.7f, -0.7f, 0.15f);

constexpr int kRollers = 5;
constexpr float kStep = 1.1f;
constexpr float kSpeed = 3.0f;
constexpr unsigned kSeed = 7;

const char* const kShaders =
    "wall { pass { diffuse 0.3 0.32 0.36 1 emissive 0.2 0.22 0.26 1 } }\r\n"
    "card { pass { diffuse 1 0.9 0.6 1 emissive 0.14 0.13 0.11 1 } }\r\n";

const char* const kWallModel = "part box size 12 9 0.1\n    translate 0 0 1\nend\n";

// The updates that leave a counter with its three lowest rollers turning, each started a
// little after the one to its right: the values name, digit by digit, where they are going.
struct Update {
    double dt;
    unsigned value;
};

struct Counter {
    const char* node;
    int direction;
    const char* script;
    unsigned atRest;  // shown before the turns begin
    Update updates[6];
};

const Counter kCounters[] = {
    {kCountingUpNode, 1, kRollerCountUpScript, 1289,
     {{0.0, 1280}, {0.33, 1280}, {0.0, 1290}, {0.3, 1290}, {0.0, 1390}, {0.28, 1390}}},
    {kCountingDownNode, -1, kRollerCountDownScript, 40731,
     {{0.0, 40730}, {0.33, 40730}, {0.0, 40720}, {0.3, 40720}, {0.0, 40620}, {0.28, 40620}}},
};

std::string FixturePath(const char* name) {
    return std::string(ROLLER_FIXTURES_DIR) + "/" + name;
}

bool AddModels(CSceneDrawStage* stage) {
    std::string error;
    bool added = stage->AddModel("Wall", kWallModel, &error) != nullptr;
    for (const int direction : {1, -1}) {
        const RollerModelNames names = RollerModelsFor(direction);
        added = added && stage->AddModel(names.upper, RollerModelText(RollerPart::kUpper, direction), &error) &&
                stage->AddModel(names.lower, RollerModelText(RollerPart::kLower, direction), &error) &&
                stage->AddModel(names.flap, RollerModelText(RollerPart::kFlap, direction), &error);
    }
    if (!added)
        fprintf(stderr, "flip_counter_png: the model tool refused %s\n", error.c_str());
    return added;
}

// Builds the counter, brings it to rest on its first value and starts its turns.
bool RunCounter(M3DOMWorld* world, const Counter& c) {
    M3DOMObject* parent = world->m_pInstanceTree->FindByName(c.node);
    if (!parent) {
        fprintf(stderr, "flip_counter_png: the scene has no node %s\n", c.node);
        return false;
    }
    const std::string script = FixturePath(c.script);
    CFlipCounter counter(world, parent, kRollers, kStep, kSpeed, c.direction > 0 ? 1 : 0, script.c_str());
    if (parent->CountMOs() != kRollers) {
        fprintf(stderr, "flip_counter_png: %s holds no rollers\n", script.c_str());
        return false;
    }
    // A turn takes two updates of two seconds; at most nine turns a digit.
    for (int i = 0; i < 20; ++i)
        counter.Update(2.0, c.atRest);
    for (const Update& update : c.updates)
        counter.Update(update.dt, update.value);
    return true;
}

bool BuildScene(CSceneDrawStage* stage, M3DOMWorld* world) {
    if (!AddModels(stage))
        return false;
    stage->LoadShaders(kShaders);
    const std::string scene = FixturePath(kRollerSceneScript);
    if (!world->m_pScripter->LoadScript(nullptr, scene.c_str(), kScriptKey, kScriptKeyLength)) {
        fprintf(stderr, "flip_counter_png: cannot read %s\n", scene.c_str());
        return false;
    }
    // The counters' nodes hang relative to the root: placed before the rollers are.
    world->m_pInstanceTree->UpdateTransforms(nullptr);
    winapi::srand(kSeed);
    for (const Counter& c : kCounters) {
        if (!RunCounter(world, c))
            return false;
    }
    // As a frame of the game places the turned flaps.
    world->m_pInstanceTree->UpdateTransforms(nullptr);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: flip_counter_png <out.png>\n");
        return 2;
    }
    const std::string out = argv[1];
    bool written = false;
    {
        CSceneDrawStage stage;
        if (!stage.Start(kWidth, kHeight)) {
            fprintf(stderr, "flip_counter_png: no window or no device with a stencil buffer (is there a display?)\n");
            return 1;
        }
        double frameTime = 0.0;
        double runTime = 0.0;
        M3DOMWorld world(&stage.m_Gfx, &stage.m_Shaders, &stage.m_Scene.m_Device, nullptr, &frameTime, &runTime);
        if (!BuildScene(&stage, &world)) {
            fprintf(stderr, "flip_counter_png: cannot build the scene\n");
            return 1;
        }
        CRenderDeviceDX9& device = stage.m_Scene.m_Device;
        stage.BeginFrame(kBackground, DirectionalLight(kLightDirection), kNoAmbient);
        world.m_pInstanceTree->Draw(runTime);
        device.EndScene();
        const PixelFrame frame = stage.m_Scene.Grab();
        written = world.m_pInstanceTree->m_pOList->m_nDrawn > 0 && WritePng(out, frame.pixels, frame.width, frame.height);
        device.Present();
    }
    if (!written) {
        fprintf(stderr, "flip_counter_png: cannot render or write %s\n", out.c_str());
        return 1;
    }
    printf("flip_counter_png: wrote %s (%dx%d)\n", out.c_str(), kWidth, kHeight);
    return 0;
}
