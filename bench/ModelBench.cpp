// Loading a model file through the Direct3D 9 render device: a 5,000-triangle sphere with 10
// frames, made by the model tool (read, checked, uploaded into managed buffers). Needs a
// display (skips itself without one).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchDevice.h"
#include "engine/core/AtomicFile.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "tools/model/ModelBuilder.h"

namespace {

// 50 segments and 51 rings make 2 x 50 x 50 = 5,000 triangles; each frame turns it further.
std::string BenchModelText() {
    std::string text = "frames 10\npart sphere radius 1 segments 50 rings 51\n";
    for (int frame = 1; frame < 10; ++frame)
        text += "    frame " + std::to_string(frame) + " rotate y " + std::to_string(frame * 7) + "\n";
    return text + "end\nsphere 0 0 0 1\n";
}

void BM_LoadModel(benchmark::State& state) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!MakeModelFromText(BenchModelText(), &bytes, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string path = "model_bench.uzq";
    CAtomicFile file;
    if (!file.Open(path.c_str()) || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        state.SkipWithError("cannot write the model file");
        return;
    }
    CBenchDevice bench;
    if (!bench.Start(state, 320, 240, 0, 0))
        return;
    CRenderDeviceDX9& device = bench.device;
    int loaded = 0;
    {
        CModel model;
        for (auto _ : state)
            loaded += model.Load(&device, path.c_str());
        if (model.GetTriangleCount() != 5000 || model.GetFrameCount() != 10)
            state.SkipWithError("not the model asked for");
    }
    if (loaded != static_cast<int>(state.iterations()))
        state.SkipWithError("a load failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadModel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
