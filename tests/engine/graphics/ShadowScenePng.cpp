// Renders the default data set's models in front of a floor with their stencil shadows, drawn
// through the shipped shader script's shaders, the scene-object list's two-pass shadow
// protocol (one gear mirrored) and the application's darkening, and writes the frame as a PNG
// for a person to look at: shadow_scene_png <out.png> <models folder> <shader script>.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/GameLight.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/graphics/ShadowVolume.h"
#include "tests/engine/graphics/ShaderSceneFixture.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/PngWriter.h"
#include "tests/support/SceneWindow.h"
#include "tests/support/ShadowStencil.h"
#include "tests/support/ToolModel.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// A longer shadow than the game's, to reach the floor.
constexpr float kShadowLength = 0.6f;

struct Placed {
    CModel* model;
    const char* shader;
    CMatrix world;
    bool bMirrored;
};

// Scaled by s (mirrored in x when s is negative), turned, then moved.
CMatrix Place(float turnX, float turnY, float turnZ, float s, float x, float y, float z) {
    CMatrix scale, rx, ry, rz, move, out;
    scale.SetScale(s, s < 0.0f ? -s : s, s < 0.0f ? -s : s);
    rx.SetRotationX(turnX);
    ry.SetRotationY(turnY);
    rz.SetRotationZ(turnZ);
    move.SetTranslation(x, y, z);
    CMatrix::Multiply(&out, scale, rx);
    CMatrix::Multiply(&out, out, rz);
    CMatrix::Multiply(&out, out, ry);
    CMatrix::Multiply(&out, out, move);
    return out;
}

void Draw(CRenderDevice* device, CShaderHandler* shaders, const Placed& placed) {
    CShader* shader = shaders->GetShader(placed.shader);
    if (!shader)
        return;
    device->SetTransform(kTransformWorld, &placed.world);
    for (uint32_t i = 0; i < shader->GetPassCount(); ++i) {
        shader->Apply(shader->GetPass(i), nullptr);
        if (placed.bMirrored)
            device->SetRenderState(kRenderCullMode, kCullClockwise);
        placed.model->Draw(device, 0);
        if (placed.bMirrored)
            device->SetRenderState(kRenderCullMode, kCullCounterClockwise);
        shader->ResetShaderStates(shader->GetPass(i));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: shadow_scene_png <out.png> <models folder> <shader script>\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string folder = argv[2];
    CSceneWindow scene;
    if (!scene.Start(kWidth, kHeight)) {
        fprintf(stderr, "shadow_scene_png: no window or no device with a stencil buffer (is there a display?)\n");
        return 1;
    }
    CRenderDeviceDX9* device = &scene.m_Device;
    bool written = false;
    {
        CShaderHandler shaders;
        shaders.Init(device);
        CModel gear, ball, plank, floor;
        std::string error;
        const bool loaded = shaders.LoadScript(argv[3], nullptr) && gear.Load(device, (folder + "/gear.uzq").c_str()) &&
                            ball.Load(device, (folder + "/ball.uzq").c_str()) &&
                            plank.Load(device, (folder + "/plank.uzq").c_str()) &&
                            MakeToolModel(device, "part box size 16 12 0.1\n    translate 0 0 1.5\nend\n", &floor,
                                          &error);
        if (!loaded) {
            fprintf(stderr, "shadow_scene_png: cannot load the shaders or the models from %s %s\n", folder.c_str(),
                    error.c_str());
        } else {
            const std::vector<Placed> casters = {
                {&gear, "red", Place(0.0f, 0.0f, 0.2f, 1.6f, -2.4f, 1.2f, 0.0f), false},
                {&gear, "green", Place(0.0f, 0.0f, 0.5f, -1.6f, -0.6f, 0.2f, 0.0f), true},
                {&ball, "plain", Place(0.0f, 0.0f, 0.0f, 1.6f, 1.6f, 1.4f, -0.3f), false},
                {&plank, "plain", Place(-0.2f, 0.3f, -0.25f, 1.0f, 0.8f, -1.5f, 0.0f), false},
                {&ball, "glass", Place(0.0f, 0.0f, 0.0f, 2.0f, 3.3f, -0.4f, 0.2f), false},
            };
            std::vector<CShadowVolume> volumes(casters.size());
            std::vector<CShadowCaster> shadowCasters;
            for (size_t i = 0; i < casters.size(); ++i) {
                volumes[i].Create(device, casters[i].model);
                shadowCasters.push_back({&volumes[i], casters[i].world, casters[i].bMirrored});
            }
            device->Clear(kClearTarget | kClearDepth | kClearStencil, 0xFF1C2433, 1.0f, 0);
            device->BeginScene();
            // Lit along the shadows' direction, so that the lit faces agree with the shadows.
            const CLight light = GameLight();
            device->SetLight(0, &light);
            device->LightEnable(0, 1);
            device->SetRenderState(kRenderAmbient, 0xFF303030);
            Draw(device, &shaders, {&floor, "floor", CMatrix::Identity(), false});
            for (const Placed& placed : casters)
                Draw(device, &shaders, placed);
            const bool built = DrawShadowVolumes(device, shadowCasters, kShadowLength);
            DarkenShadows(device, kWidth, kHeight);
            device->EndScene();
            PixelFrame frame = scene.Grab();
            written = built && WritePng(out, frame.pixels, frame.width, frame.height);
            device->Present();
        }
    }
    scene.Stop();
    if (!written) {
        fprintf(stderr, "shadow_scene_png: cannot render or write %s\n", out.c_str());
        return 1;
    }
    printf("shadow_scene_png: wrote %s (%dx%d)\n", out.c_str(), kWidth, kHeight);
    return 0;
}
