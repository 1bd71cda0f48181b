// Particle systems at the sizes the game's effects reach: an explosion of about 750 live
// particles and a rocket exhaust of 2,000, stepped at the fixed 0.01 s step with gravity, and
// drawn through the Direct3D 9 render device's position-colour pool (needs a display for the
// drawing; skips itself without one). Counted in particles.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <numbers>

#include "bench/BenchDevice.h"
#include "bench/GameCamera.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/ParticleConeEmitter.h"
#include "engine/graphics/ParticleGravityModifier.h"
#include "engine/graphics/RenderDeviceDX9.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr double kStep = 0.01;

// A cone throwing particles every way, emitting so that `live` stay alive at 0.3 s each, and
// stepped until it holds them.
bool FillExplosion(CParticleConeEmitter* system, CParticleGravityModifier* gravity, uint32_t live) {
    if (!system->Init(live + 100, 42))
        return false;
    system->m_fAngleA = kPi / 2;
    system->m_fSpreadA = kPi;
    system->m_fSpreadB = kPi;
    system->m_fLife = 0.3f;
    system->m_fRate = static_cast<float>(live) / 0.3f;
    system->m_fSpeed = 4.0f;
    system->m_fSpeedVar = 1.0f;
    system->m_fSize = 0.1f;
    system->m_nColor = 0xFFFFC080;
    gravity->m_fRate = 20.0f;
    system->AttachModifier(gravity);
    for (int i = 0; i < 40; ++i)
        system->Step(&kStep);
    return system->m_nLive + 50 >= live;
}

void BM_ParticleStep(benchmark::State& state) {
    CParticleConeEmitter system;
    CParticleGravityModifier gravity;
    if (!FillExplosion(&system, &gravity, static_cast<uint32_t>(state.range(0)))) {
        state.SkipWithError("the system did not fill");
        return;
    }
    int64_t stepped = 0;
    for (auto _ : state) {
        system.Step(&kStep);
        stepped += system.m_nLive;
    }
    benchmark::DoNotOptimize(system.m_pParticles[0]);
    state.SetItemsProcessed(stepped);
}
BENCHMARK(BM_ParticleStep)->Arg(750)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_ParticleRender(benchmark::State& state) {
    CBenchDevice bench;
    if (!bench.Start(state, 640, 480, 8192, 0))
        return;
    CRenderDeviceDX9& device = bench.device;
    CCamera camera;
    SetUpGameCamera(&camera);
    int64_t drawn = 0;
    bool failed = false;
    {
        CParticleConeEmitter system;
        CParticleGravityModifier gravity;
        if (!FillExplosion(&system, &gravity, static_cast<uint32_t>(state.range(0)))) {
            failed = true;
        } else {
            camera.Apply(&device);
            const CMatrix identity = CMatrix::Identity();
            device.SetTransform(kTransformWorld, &identity);
            device.SetRenderState(kRenderLighting, 0);
            device.SetRenderState(kRenderCullMode, kCullNone);
            device.SetRenderState(kRenderAlphaBlendEnable, 1);
            device.SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
            device.SetRenderState(kRenderDestinationBlend, kBlendOne);
            for (auto _ : state) {
                device.Clear(kClearTarget | kClearDepth, 0xFF000000, 1.0f, 0);
                device.BeginScene();
                if (system.Render(&device, 1.0f, 1.0f, &camera))
                    drawn += system.m_nLive;
                else
                    failed = true;
                device.EndScene();
                device.Present();
            }
        }
    }
    if (failed)
        state.SkipWithError("a system was not drawn");
    state.SetItemsProcessed(drawn);
}
BENCHMARK(BM_ParticleRender)->Arg(750)->Arg(1365)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
