// Building a stencil shadow volume through the Direct3D 9 render device: a 2,000-triangle
// sphere with two frames made by the model tool, built from frame 0 and from a blend of both
// frames, as the scene-object list rebuilds a moved or animated object's volume. Needs a
// display (skips itself without one).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/BenchDevice.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/ShadowVolume.h"
#include "tools/model/ModelBuilder.h"

namespace {

// 40 segments and 26 rings make 2 x 40 x 25 = 2,000 triangles; the second frame turns it.
const char* const kModelText = "frames 2\npart sphere radius 1 segments 40 rings 26\n    frame 1 rotate y 9\nend\n";
constexpr uint32_t kTriangles = 2000;
// The scene-object list's light direction times the game's shadow length, negated.
const CVector3 kLight(-0.4f * 0.075f, 0.5f * 0.075f, -1.0f * 0.075f);

void BuildShadow(benchmark::State& state, bool bBlend) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!MakeModelFromText(kModelText, &bytes, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    CBenchDevice bench;
    if (!bench.Start(state, 320, 240, 0, 0))
        return;
    CRenderDeviceDX9& device = bench.device;
    {
        CModel model;
        CShadowVolume volume;
        if (!model.LoadFromMemory(&device, bytes.data(), bytes.size()) || model.GetTriangleCount() != kTriangles ||
            !volume.Create(&device, &model)) {
            state.SkipWithError("not the model asked for, or no volume");
        } else {
            int built = 0;
            for (auto _ : state)
                built += bBlend ? volume.BuildBlended(kLight, 0, 1, 0.5f) : volume.Build(kLight);
            if (built != static_cast<int>(state.iterations()) || volume.GetVertexCount() == 0)
                state.SkipWithError("a build failed");
            state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTriangles);
            state.counters["quads"] = static_cast<double>(volume.GetVertexCount() / 6);
        }
    }
}

void BM_BuildShadowVolume(benchmark::State& state) {
    BuildShadow(state, false);
}
BENCHMARK(BM_BuildShadowVolume)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_BuildShadowVolumeBlended(benchmark::State& state) {
    BuildShadow(state, true);
}
BENCHMARK(BM_BuildShadowVolumeBlended)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
