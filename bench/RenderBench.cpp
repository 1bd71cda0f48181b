// The interface's per-frame load on the Direct3D 9 render device: 2D quads drawn one at a
// time through the screen pool inside a scene, on a 640 x 480 window. Measured in wall-clock
// time: the rasteriser works on threads of its own.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/BenchDevice.h"
#include "engine/graphics/RenderDeviceDX9.h"

namespace {

void BM_DrawQuad2D(benchmark::State& state) {
    CBenchDevice bench;
    if (!bench.Start(state, 640, 480, 0, 64))
        return;
    CRenderDeviceDX9& device = bench.device;
    const int count = static_cast<int>(state.range(0));
    int drawn = 0;
    for (auto _ : state) {
        device.BeginScene();
        for (int i = 0; i < count; ++i) {
            const float x = static_cast<float>((i * 37) % 600);
            const float y = static_cast<float>((i * 53) % 440);
            drawn += device.DrawQuad2D(x, y, 0.0f, 40.0f, 24.0f, 0xFF000000u | static_cast<uint32_t>(i * 2654435761u),
                                       0.0f, 0.0f, 1.0f, 1.0f);
        }
        device.EndScene();
        device.Present();
    }
    benchmark::DoNotOptimize(drawn);
    if (drawn != count * static_cast<int>(state.iterations()))
        state.SkipWithError("a quad was not drawn");
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DrawQuad2D)->Arg(64)->Arg(512)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
