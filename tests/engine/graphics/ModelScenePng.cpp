// Renders the default data set's models (a gear, a ball, a plank and digit wheels showing
// three frames) through the Direct3D 9 render device under the game's light and camera, and
// writes the frame as a PNG for a person to look at:
// model_scene_png <out.png> <models folder>.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/GameCamera.h"
#include "bench/GameLight.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "tests/support/PictureDevice.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Placed {
    CModel* model;
    uint32_t frame;
    CColorValue colour;
    CTexture2D* texture;
    CMatrix world;
};

CMatrix Place(float turnX, float turnY, float x, float y, float z) {
    CMatrix rx, ry, move, out;
    rx.SetRotationX(turnX);
    ry.SetRotationY(turnY);
    move.SetTranslation(x, y, z);
    CMatrix::Multiply(&out, rx, ry);
    CMatrix::Multiply(&out, out, move);
    return out;
}

// Light and dark squares, eight a side, with a red square at the top-left texel's corner,
// to show where a model's texture coordinates start.
bool FillMarkedChecker(CTexture2D* texture, int side) {
    uint8_t* pixels = nullptr;
    if (!texture->Lock(&pixels))
        return false;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const bool marker = x < side / 8 && y < side / 8;
            const bool dark = ((x * 8 / side) + (y * 8 / side)) % 2 != 0;
            uint8_t* p = pixels + 4 * (y * side + x);
            p[0] = marker ? 220 : (dark ? 150 : 235);
            p[1] = marker ? 30 : (dark ? 110 : 215);
            p[2] = marker ? 30 : (dark ? 70 : 170);
            p[3] = 255;
        }
    }
    return texture->Unlock(1) != 0;
}

void DrawScene(CRenderDeviceDX9* device, CCamera* camera, const std::vector<Placed>& scene) {
    device->Clear(kClearTarget | kClearDepth, 0xFF1C2433, 1.0f, 0);
    device->BeginScene();
    camera->Apply(device);
    // The game's light, along its shadows' direction: tops, fronts and left sides are lit.
    const CLight light = GameLight();
    device->SetLight(0, &light);
    device->LightEnable(0, 1);
    device->SetRenderState(kRenderLighting, 1);
    device->SetRenderState(kRenderAmbient, 0xFF282828);
    for (const Placed& placed : scene) {
        CMaterial material{};
        material.Diffuse = placed.colour;
        material.Ambient = placed.colour;
        device->SetMaterial(&material);
        device->SetTexture(0, placed.texture);
        device->SetTransform(kTransformWorld, &placed.world);
        placed.model->Draw(device, placed.frame);
    }
    device->SetTexture(0, nullptr);
    device->EndScene();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: model_scene_png <out.png> <models folder>\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string folder = argv[2];
    CPictureDevice picture;
    if (!picture.Open("model_scene_png", kWidth, kHeight, 1024, 256, 64))
        return 1;
    CRenderDeviceDX9& device = picture.device;
    CCamera camera;
    SetUpGameCamera(&camera);

    bool written = false;
    int width = 0;
    int height = 0;
    {
        CModel gear, ball, plank, wheel;
        CTexture2D checker;
        const bool loaded = gear.Load(&device, (folder + "/gear.uzq").c_str()) &&
                            ball.Load(&device, (folder + "/ball.uzq").c_str()) &&
                            plank.Load(&device, (folder + "/plank.uzq").c_str()) &&
                            wheel.Load(&device, (folder + "/digit_wheel.uzq").c_str());
        if (!loaded)
            fprintf(stderr, "model_scene_png: cannot load the models from %s\n", folder.c_str());
        if (loaded && checker.Create(64, 64, 0, kFormatA8R8G8B8, 0, 0, &device) && FillMarkedChecker(&checker, 64)) {
            const CColorValue white{1.0f, 1.0f, 1.0f, 1.0f};
            const std::vector<Placed> scene = {
                {&gear, 0, {0.85f, 0.65f, 0.25f, 1.0f}, nullptr, Place(-0.45f, 0.35f, -2.6f, 1.3f, 0.0f)},
                {&gear, 0, {0.7f, 0.72f, 0.75f, 1.0f}, nullptr, Place(0.0f, 0.0f, -1.35f, 0.35f, 0.0f)},
                {&ball, 0, white, &checker, Place(0.3f, 0.6f, 0.3f, 1.5f, 0.0f)},
                {&plank, 0, white, &checker, Place(-0.35f, 0.25f, -0.6f, -1.7f, 0.0f)},
                {&wheel, 1, {0.3f, 0.55f, 0.9f, 1.0f}, nullptr, Place(-0.4f, -0.5f, 1.6f, 0.1f, 0.0f)},
                {&wheel, 2, {0.3f, 0.55f, 0.9f, 1.0f}, nullptr, Place(-0.4f, -0.5f, 2.7f, 0.1f, 0.0f)},
                {&wheel, 8, {0.3f, 0.55f, 0.9f, 1.0f}, nullptr, Place(-0.4f, -0.5f, 3.8f, 0.1f, 0.0f)},
                {&wheel, 5, {0.9f, 0.5f, 0.3f, 1.0f}, nullptr, Place(-0.5f, 0.6f, 2.9f, 1.9f, 0.0f)},
            };
            DrawScene(&device, &camera, scene);
            written = picture.WriteBackBuffer(out, &width, &height);
        }
    }
    if (!written) {
        fprintf(stderr, "model_scene_png: cannot render or write %s\n", out.c_str());
        return 1;
    }
    printf("model_scene_png: wrote %s (%dx%d)\n", out.c_str(), width, height);
    return 0;
}
