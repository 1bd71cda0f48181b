// Renders a lit, waving flag with the immediate drawing primitives over it (a wire box, a
// sphere, the axes, a billboard, 2D panels and a turned quad) through the Direct3D 9 render
// device and the game's camera, and writes the frame as a PNG for a person to look at:
// render_scene_png [out.png].
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench/GameCamera.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "tests/support/PictureDevice.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct FlagPoint {
    float x, y, z;
};

// A flag of columns x rows points, row 0 at the top, rippling in depth.
std::vector<FlagPoint> Flag(int columns, int rows) {
    std::vector<FlagPoint> points;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const float u = static_cast<float>(c) / static_cast<float>(columns - 1);
            const float v = static_cast<float>(r) / static_cast<float>(rows - 1);
            points.push_back(FlagPoint{-2.4f + 4.8f * u, 2.0f - 3.0f * v + 0.25f * u * std::sin(6.0f * u),
                                       1.0f + 0.45f * u * std::sin(7.0f * u + 2.0f * v)});
        }
    }
    return points;
}

// A checkerboard of two colours (0xRRGGBB), eight squares a side.
bool FillChecker(CTexture2D* texture, int side, uint32_t light, uint32_t dark) {
    uint8_t* pixels = nullptr;
    if (!texture->Lock(&pixels))
        return false;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const uint32_t colour = ((x * 8 / side) + (y * 8 / side)) % 2 ? dark : light;
            uint8_t* p = pixels + 4 * (y * side + x);
            p[0] = static_cast<uint8_t>(colour >> 16);
            p[1] = static_cast<uint8_t>(colour >> 8);
            p[2] = static_cast<uint8_t>(colour);
            p[3] = 255;
        }
    }
    return texture->Unlock(1) != 0;
}

void DrawScene(CRenderDeviceDX9* device, CCamera* camera, CTexture2D* checker) {
    device->Clear(kClearTarget | kClearDepth, 0xFF1C2433, 1.0f, 0);
    device->BeginScene();
    camera->Apply(device);
    const CMatrix identity = CMatrix::Identity();
    device->SetTransform(kTransformWorld, &identity);

    // The flag, lit by a warm light from the upper left, drawn front and back as the cloth
    // effect draws it.
    CLight light{};
    light.nType = kLightDirectional;
    light.Diffuse = CColorValue{1.0f, 0.95f, 0.85f, 1.0f};
    light.vDirection = CVector3(0.45f, -0.5f, 0.75f);
    device->SetLight(0, &light);
    device->LightEnable(0, 1);
    CLight backLight{};
    backLight.nType = kLightDirectional;
    backLight.Diffuse = CColorValue{0.3f, 0.35f, 0.5f, 1.0f};
    backLight.vDirection = CVector3(-0.3f, 0.2f, -1.0f);
    device->SetLight(1, &backLight);
    device->LightEnable(1, 1);
    CMaterial material{};
    material.Diffuse = CColorValue{0.85f, 0.3f, 0.2f, 1.0f};
    material.Ambient = CColorValue{0.85f, 0.3f, 0.2f, 1.0f};
    device->SetMaterial(&material);
    device->SetRenderState(kRenderLighting, 1);
    device->SetRenderState(kRenderAmbient, 0xFF303030);
    device->SetRenderState(kRenderCullMode, kCullCounterClockwise);
    device->SetTexture(0, nullptr);
    const std::vector<FlagPoint> flag = Flag(16, 10);
    device->DrawGridMesh(flag.data(), sizeof(FlagPoint), 16, 10, 1, 0);
    device->DrawGridMesh(flag.data(), sizeof(FlagPoint), 16, 10, 1, 1);

    // The debugging primitives, unlit.
    device->SetRenderState(kRenderLighting, 0);
    const CVector3 boxCentre(3.0f, -1.9f, 0.0f);
    const CVector3 boxHalf(0.8f, 0.6f, 0.5f);
    const float turn = 0.5f;
    const CVector3 boxAxes[3] = {{std::cos(turn), 0.0f, -std::sin(turn)},
                                 {0.0f, 1.0f, 0.0f},
                                 {std::sin(turn), 0.0f, std::cos(turn)}};
    device->DrawBox(&boxCentre, &boxHalf, boxAxes, 0xFFFFD040);
    const CVector3 sphereCentre(-3.1f, 1.9f, 0.0f);
    device->DrawSphere(&sphereCentre, 0.9f, 0xFF40E0E0, 24);
    CMatrix axesPlace;
    axesPlace.SetTranslation(-3.6f, -1.7f, -1.0f);
    CMatrix axesTurnY;
    axesTurnY.SetRotationY(-0.7f);
    CMatrix axesTurnX;
    axesTurnX.SetRotationX(-0.5f);
    CMatrix axesWorld;
    CMatrix::Multiply(&axesWorld, axesTurnY, axesTurnX);
    CMatrix::Multiply(&axesWorld, axesWorld, axesPlace);
    device->SetTransform(kTransformWorld, &axesWorld);
    device->DrawAxes(1.5f);
    device->SetTransform(kTransformWorld, &identity);
    device->SetTexture(0, checker);
    const CVector3 billboard(3.1f, 2.0f, 0.0f);
    device->DrawBillboard(&billboard, 0.8f, 0.8f, 0xFFFFFFFF, camera);
    device->SetTexture(0, nullptr);

    // The interface on top: a translucent bar with two buttons and a turned marker.
    device->SetRenderState(kRenderDepthTest, kDepthOff);
    device->SetRenderState(kRenderAlphaBlendEnable, 1);
    device->SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
    device->SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
    device->DrawQuad2D(0.0f, 410.0f, 0.0f, static_cast<float>(kWidth), 70.0f, 0x90000000, 0, 0, 1, 1);
    device->DrawQuad2D(24.0f, 425.0f, 0.0f, 120.0f, 40.0f, 0xFFC05020, 0, 0, 1, 1);
    device->SetTexture(0, checker);
    device->DrawQuad2D(164.0f, 425.0f, 0.0f, 120.0f, 40.0f, 0xFF80C0FF, 0, 0, 3, 1);
    device->SetTexture(0, nullptr);
    const CVector3 marker(590.0f, 445.0f, 0.0f);
    device->DrawRotatedQuad2D(&marker, 36.0f, 36.0f, 0xC0F0F040, 0.7853982f);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
    device->SetRenderState(kRenderDepthTest, kDepthOn);
    device->EndScene();
}

}  // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "render-scene.png";
    CPictureDevice picture;
    if (!picture.Open("render_scene_png", kWidth, kHeight, 1024, 256, 64))
        return 1;
    CRenderDeviceDX9& device = picture.device;
    // The game's camera.
    CCamera camera;
    SetUpGameCamera(&camera);

    bool written = false;
    int width = 0;
    int height = 0;
    {
        CTexture2D checker;
        if (checker.Create(32, 32, 0, kFormatA8R8G8B8, 0, 0, &device) && FillChecker(&checker, 32, 0xF0E0C0, 0xB06030)) {
            DrawScene(&device, &camera, &checker);
            written = picture.WriteBackBuffer(out, &width, &height);
        }
    }
    if (!written) {
        fprintf(stderr, "render_scene_png: cannot render or write %s\n", out);
        return 1;
    }
    printf("render_scene_png: wrote %s (%dx%d)\n", out, width, height);
    return 0;
}
