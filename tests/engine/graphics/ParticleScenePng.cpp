// Renders particle systems and polylines through the Direct3D 9 render device and the game's
// camera and writes the frame as a PNG for a person to look at: a fountain of sparks under
// gravity, a puff of smoke from a sphere, a drive belt round two wheels, a sagging rope and a
// fuze with a spark at its end. particle_scene_png [out.png]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

#include "bench/GameCamera.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/ParticleConeEmitter.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleGravityModifier.h"
#include "engine/graphics/Polyline.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "tests/support/PictureDevice.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kPi = std::numbers::pi_v<float>;

// A white disc whose alpha falls off towards its rim: the look of a spark or a puff.
bool FillSoftDot(CTexture2D* texture, int side) {
    uint8_t* pixels = nullptr;
    if (!texture->Lock(&pixels))
        return false;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f) / static_cast<float>(side) * 2.0f - 1.0f;
            const float dy = (static_cast<float>(y) + 0.5f) / static_cast<float>(side) * 2.0f - 1.0f;
            const float fall = std::fmax(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            uint8_t* p = pixels + 4 * (y * side + x);
            p[0] = p[1] = p[2] = 255;
            p[3] = static_cast<uint8_t>(255.0f * fall * fall);
        }
    }
    return texture->Unlock(1) != 0;
}

void AddPoint(CPolyline* line, float x, float y, float z) {
    const int index = line->m_Points.AddPoints(1);
    line->m_Points.m_pPoints[index] = CVector3(x, y, z);
}

// A belt round two wheels: the upper and lower straight runs and half circles at both ends.
void MakeBelt(CPolyline* belt, float leftX, float rightX, float y, float radius) {
    const int steps = 12;
    for (int i = 0; i <= steps; ++i) {
        const float angle = -kPi / 2 + kPi * static_cast<float>(i) / steps;
        AddPoint(belt, rightX + radius * std::cos(angle), y + radius * std::sin(angle), 0.0f);
    }
    for (int i = 0; i <= steps; ++i) {
        const float angle = kPi / 2 + kPi * static_cast<float>(i) / steps;
        AddPoint(belt, leftX + radius * std::cos(angle), y + radius * std::sin(angle), 0.0f);
    }
    belt->m_bClosed = 1;
}

struct Scene {
    CParticleConeEmitter fountain;
    CParticleEmitter smoke;
    CParticleConeEmitter fuzeSpark;
    CParticleGravityModifier gravity;
    CPolyline belt;
    CPolyline rope;
    CPolyline fuze;
};

bool BuildScene(Scene* scene) {
    // Sparks thrown up and out, falling back.
    if (!scene->fountain.Init(1000, 7))
        return false;
    scene->fountain.m_vPosition = CVector3(-2.6f, -2.2f, 0.0f);
    scene->fountain.m_fAngleA = kPi / 2;
    scene->fountain.m_fAngleB = kPi / 2;
    scene->fountain.m_fSpreadA = 0.3f;
    scene->fountain.m_fSpreadB = 0.3f;
    scene->fountain.m_fRate = 400.0f;
    scene->fountain.m_fLife = 1.2f;
    scene->fountain.m_fSpeed = 4.8f;
    scene->fountain.m_fSpeedVar = 0.4f;
    scene->fountain.m_fSize = 0.16f;
    scene->fountain.m_fSizeVar = 0.5f;
    scene->fountain.m_nColor = 0xFFFFB030;
    scene->gravity.m_fRate = 9.0f;
    scene->fountain.AttachModifier(&scene->gravity);

    // A grey puff rising out of a sphere.
    if (!scene->smoke.Init(600, 11))
        return false;
    scene->smoke.m_vPosition = CVector3(2.7f, 1.0f, 0.0f);
    scene->smoke.m_nShape = CParticleEmitter::kShapeSphere;
    scene->smoke.m_vExtent = CVector3(0.7f, 0.7f, 0.7f);
    scene->smoke.m_vDirection = CVector3(0.0f, 1.0f, 0.0f);
    scene->smoke.m_fRate = 150.0f;
    scene->smoke.m_fLife = 1.5f;
    scene->smoke.m_fSpeed = 0.6f;
    scene->smoke.m_fSpeedVar = 1.0f;
    scene->smoke.m_fSize = 0.6f;
    scene->smoke.m_fSizeVar = 0.6f;
    scene->smoke.m_nColor = 0x90B0B8C0;

    // Sparks all round the fuze's burning end.
    if (!scene->fuzeSpark.Init(300, 3))
        return false;
    scene->fuzeSpark.m_vPosition = CVector3(0.9f, 2.3f, 0.0f);
    scene->fuzeSpark.m_fAngleA = kPi / 2;
    scene->fuzeSpark.m_fAngleB = kPi;
    scene->fuzeSpark.m_fSpreadA = kPi;
    scene->fuzeSpark.m_fSpreadB = kPi;
    scene->fuzeSpark.m_fRate = 150.0f;
    scene->fuzeSpark.m_fLife = 0.5f;
    scene->fuzeSpark.m_fSpeed = 0.8f;
    scene->fuzeSpark.m_fSpeedVar = 0.5f;
    scene->fuzeSpark.m_fSize = 0.1f;
    scene->fuzeSpark.m_nColor = 0xFFFFFFA0;

    MakeBelt(&scene->belt, -1.2f, 1.8f, -1.6f, 0.7f);
    for (int i = 0; i <= 20; ++i) {
        const float t = static_cast<float>(i) / 20.0f;
        AddPoint(&scene->rope, -4.0f + 3.2f * t, 2.6f - 1.6f * std::sin(kPi * t) + 0.3f * t, 0.0f);
    }
    for (int i = 0; i <= 24; ++i) {
        const float t = static_cast<float>(i) / 24.0f;
        AddPoint(&scene->fuze, -0.3f + 1.2f * t, 0.6f + 1.7f * t + 0.25f * std::sin(4.0f * kPi * t), 0.0f);
    }

    // A second and a half at the game's fixed step.
    const double step = 0.01;
    for (int i = 0; i < 150; ++i) {
        scene->fountain.Step(&step);
        scene->smoke.Step(&step);
        scene->fuzeSpark.Step(&step);
    }
    return true;
}

bool DrawScene(CRenderDeviceDX9* device, CCamera* camera, Scene* scene, CTexture2D* dot) {
    device->Clear(kClearTarget | kClearDepth, 0xFF1C2433, 1.0f, 0);
    device->BeginScene();
    camera->Apply(device);
    const CMatrix identity = CMatrix::Identity();
    device->SetTransform(kTransformWorld, &identity);
    device->SetRenderState(kRenderLighting, 0);
    device->SetTexture(0, nullptr);

    // The ribbons, solid.
    bool drawn = scene->belt.Draw(device, &camera->m_vPosition, 0.12f, 0xFF404850) != 0;
    drawn &= scene->rope.Draw(device, &camera->m_vPosition, 0.07f, 0xFFC8A060) != 0;
    drawn &= scene->fuze.Draw(device, &camera->m_vPosition, 0.05f, 0xFF303030) != 0;

    // The particles: soft dots, blended without writing depth; the quads wind the other way.
    device->SetTexture(0, dot);
    device->SetRenderState(kRenderDepthWrite, 0);
    device->SetRenderState(kRenderAlphaBlendEnable, 1);
    device->SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
    device->SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
    device->SetRenderState(kRenderCullMode, kCullNone);
    drawn &= scene->smoke.Render(device, 1.0f, 1.0f, camera) != 0;
    device->SetRenderState(kRenderDestinationBlend, kBlendOne);
    drawn &= scene->fountain.Render(device, 1.0f, 1.0f, camera) != 0;
    drawn &= scene->fuzeSpark.Render(device, 1.0f, 1.0f, camera) != 0;
    device->SetRenderState(kRenderCullMode, kCullCounterClockwise);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
    device->SetRenderState(kRenderDepthWrite, 1);
    device->SetTexture(0, nullptr);
    device->EndScene();
    return drawn;
}

}  // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "particle-scene.png";
    CPictureDevice picture;
    // The position-colour pool as large as the default display script makes it.
    if (!picture.Open("particle_scene_png", kWidth, kHeight, 1024, 8192, 64))
        return 1;
    CRenderDeviceDX9& device = picture.device;
    CCamera camera;
    SetUpGameCamera(&camera);

    bool written = false;
    bool drawn = false;
    int width = 0;
    int height = 0;
    {
        Scene scene;
        CTexture2D dot;
        if (BuildScene(&scene) && dot.Create(32, 32, 1, kFormatA8R8G8B8, 0, 0, &device) && FillSoftDot(&dot, 32)) {
            drawn = DrawScene(&device, &camera, &scene, &dot);
            written = drawn && picture.WriteBackBuffer(out, &width, &height);
        }
    }
    if (!written) {
        fprintf(stderr, "particle_scene_png: cannot %s %s\n", drawn ? "write" : "render", out);
        return 1;
    }
    printf("particle_scene_png: wrote %s (%dx%d)\n", out, width, height);
    return 0;
}
