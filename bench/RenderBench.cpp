// The interface's per-frame load on the Direct3D 9 render device: 2D quads drawn one at a
// time through the screen pool inside a scene, on a 640 x 480 window. Measured in wall-clock
// time: the rasteriser works on threads of its own.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/ViewportWin32.h"

namespace {

void BM_DrawQuad2D(benchmark::State& state) {
    CViewportWin32 viewport;
    if (!viewport.Create(nullptr, 640, 480, 0)) {
        state.SkipWithError("no window (is there a display?)");
        return;
    }
    CRenderDeviceDX9 device;
    if (!device.Init(&viewport, 640, 480, 32, 0, 0, 0, 0, 0, 64, nullptr, 0)) {
        viewport.Close();
        state.SkipWithError("no render device");
        return;
    }
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
    device.Shutdown();
    viewport.Close();
}
BENCHMARK(BM_DrawQuad2D)->Arg(64)->Arg(512)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
