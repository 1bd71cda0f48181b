// Renders a small scene of scene objects for a person to look at: models made by the model
// tool in front of a plane, drawn by the object list's render pass with shaders of this
// program's own, one gear mirrored, a billboard facing the camera, the debug view of a tagged
// model's volumes and connection points, and the list's stencil shadows made visible by the
// application's darkening: scene_object_png <out.png>.
#include <cstdint>
#include <cstdio>
#include <string>

#include "bench/GameLight.h"
#include "engine/graphics/Camera.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "tests/game/app/SceneDrawStage.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/PngWriter.h"
#include "tests/support/ShadowStencil.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr uint32_t kBackground = 0xFF1C2433;
constexpr uint32_t kAmbient = 0xFF303030;
// A longer shadow than the game's, to reach the plane.
constexpr float kShadowLength = 0.6f;

const char* const kShaders =
    "floor { pass { diffuse 0.85 0.82 0.74 1 ambient 0.35 0.34 0.3 1 } }\r\n"
    "red { pass { diffuse 0.85 0.12 0.08 1 ambient 0.3 0.05 0.04 1 specular 0.4 0.4 0.4 1 power 24 } }\r\n"
    "green { pass { diffuse 0.1 0.75 0.15 1 ambient 0.04 0.3 0.06 1 specular 0.4 0.4 0.4 1 power 24 } }\r\n"
    "blue { pass { diffuse 0.2 0.35 0.9 1 ambient 0.08 0.12 0.3 1 } }\r\n"
    "wood { pass { diffuse 0.75 0.55 0.3 1 ambient 0.3 0.22 0.12 1 } }\r\n"
    // A billboard has no normals: its colour is the emissive one.
    "sign { pass { diffuse 0 0 0 1 ambient 0 0 0 1 emissive 1 0.8 0.25 1 } }\r\n";

struct Model {
    const char* name;
    const char* text;
};

const Model kModels[] = {
    // Wider than the view, its front face at z = 2.95.
    {"Plane", "part box size 24 18 0.1\n    translate 0 0 3\nend\n"},
    {"Gear", "part gear radius 0.6 teeth 16 depth 0.12 length 0.25 hole 0.08\nend\n"},
    {"Plank", "part plank size 3 0.2 0.5 bevel 0.03\nend\n"},
    // A motor block with three connection points, each pointing out of a face, and the
    // volumes the debug view draws.
    {"Motor",
     "part box size 1.4 1 0.9\nend\n"
     "part box size 0.5 0.3 0.5\n    translate 0 0.65 0\nend\n"
     "tag Power\n    rotate y 90\n    translate 0.7 0 0\nend\n"
     "tag Pipe\n    rotate x -90\n    translate 0 0.8 0\nend\n"
     "tag Gear\n    rotate y 180\n    translate 0 0 -0.45\nend\n"
     "sphere 0 0.15 0 0.95\n"
     "box 0 0 0 0.7 0.5 0.45\n"},
};

struct Placed {
    const char* model;
    const char* shader;
    CVector3 pos;
    CVector3 rot;
    CVector3 scale;  // the owner's: a negative x mirrors
};

const Placed kObjects[] = {
    {"Gear", "red", {-2.8f, 1.3f, 0.0f}, {0.0f, 0.0f, 0.2f}, {1.6f, 1.6f, 1.6f}},
    {"Gear", "green", {-0.7f, 0.1f, 0.0f}, {0.0f, 0.0f, 0.5f}, {-1.6f, 1.6f, 1.6f}},
    {"Motor", "blue", {1.7f, 1.1f, -0.2f}, {0.0f, 0.35f, 0.0f}, {1.0f, 1.0f, 1.0f}},
    {"Plank", "wood", {0.2f, -1.7f, 0.0f}, {0.0f, 0.0f, -0.25f}, {1.0f, 1.0f, 1.0f}},
};

bool BuildScene(CSceneDrawStage* stage) {
    std::string error;
    for (const Model& model : kModels) {
        if (!stage->AddModel(model.name, model.text, &error)) {
            fprintf(stderr, "scene_object_png: the model tool refused %s\n", error.c_str());
            return false;
        }
    }
    stage->LoadShaders(kShaders);
    C3DObject* plane = stage->AddObject("Plane", CVector3(0.0f, 0.0f, 0.0f), "floor");
    if (!plane)
        return false;
    plane->m_bCastShadow = 0;
    for (const Placed& placed : kObjects) {
        C3DObject* object = stage->AddObject(placed.model, placed.pos, placed.shader);
        if (!object)
            return false;
        object->m_vRot = placed.rot;
        object->m_vScale = placed.scale;
        object->m_fShadowLength = kShadowLength;
    }
    C3DObject* sign = stage->AddObject(C3DObjectList::kBillboardName, CVector3(3.0f, -1.3f, -0.6f), "sign");
    if (!sign)
        return false;
    sign->m_fBillboardWidth = 1.8f;
    sign->m_fBillboardHeight = 1.1f;
    stage->m_pObjects->UpdateMatrices();
    stage->m_pObjects->SetDebugDraw(1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: scene_object_png <out.png>\n");
        return 2;
    }
    const std::string out = argv[1];
    bool written = false;
    {
        CSceneDrawStage stage;
        if (!stage.Start(kWidth, kHeight)) {
            fprintf(stderr, "scene_object_png: no window or no device with a stencil buffer (is there a display?)\n");
            return 1;
        }
        if (!BuildScene(&stage)) {
            fprintf(stderr, "scene_object_png: cannot build the scene\n");
            return 1;
        }
        // Seen from up and to the left, so that the billboard's facing shows.
        CRenderDeviceDX9& device = stage.m_Scene.m_Device;
        CCamera& camera = stage.m_Scene.m_Camera;
        camera.SetEye(CVector3(-4.0f, 3.0f, -12.0f));
        camera.SetTarget(CVector3(0.0f, 0.0f, 0.5f));
        camera.Apply(&device);
        device.m_pCamera = &camera;

        // Lit along the shadows' direction, so that the lit faces agree with the shadows.
        stage.BeginFrame(kBackground, GameLight(), kAmbient);
        stage.m_pObjects->DrawPass(0.0, 0);
        stage.m_pObjects->DrawShadowVolumes();
        DarkenShadows(&device, kWidth, kHeight);
        device.EndScene();
        const PixelFrame frame = stage.m_Scene.Grab();
        written = stage.m_pObjects->m_nShadowsBuilt == 4 && WritePng(out, frame.pixels, frame.width, frame.height);
        device.Present();
        device.m_pCamera = nullptr;
    }
    if (!written) {
        fprintf(stderr, "scene_object_png: cannot render or write %s\n", out.c_str());
        return 1;
    }
    printf("scene_object_png: wrote %s (%dx%d)\n", out.c_str(), kWidth, kHeight);
    return 0;
}
