// Drawing the object-model scene (5,000 objects) on the recording device with its call lines
// off, so the figures are the object layer's: the render passes, the stencil shadow pass with
// 200 turning bodies, a whole frame, and the heap the shadow volumes take at first use with
// what a later pass allocates (nothing, for an idle frame).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "bench/ObjectModelScene.h"
#include "engine/core/PointerList.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/ShadowVolume.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"

namespace {

// Every operator new of the program is counted: a pass that frees what it allocates leaves
// the heap's size as it was, so the size alone cannot show it.
std::atomic<uint64_t> g_nNews{0};

}  // namespace

// Not inlined: callers must see a call to operator new, which the standard delete matches,
// rather than the malloc inside.
__attribute__((noinline)) void* operator new(std::size_t size) {
    g_nNews.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

namespace {

// Bodies of this many elements cast dynamic shadows and turn, as in a busy level.
constexpr int kShadowCasters = 200;
// The shader time handed to the passes: the application's running time.
constexpr double kRunTime = 12.5;

int64_t HeapInUse() {
    return static_cast<int64_t>(mallinfo2().uordblks);
}

// Operator news and heap growth of one call.
struct Allocations {
    uint64_t news = 0;
    int64_t bytes = 0;
};

template <typename Call>
Allocations Measure(Call call) {
    const uint64_t news = g_nNews.load(std::memory_order_relaxed);
    const int64_t heap = HeapInUse();
    call();
    return {g_nNews.load(std::memory_order_relaxed) - news, HeapInUse() - heap};
}

// The scene drawn as the game draws it: stencil buffer present, no call lines kept.
bool PrepareDrawing(benchmark::State& state, CObjectModelScene* scene, bool bShaded) {
    if (!PrepareObjectModelScene(state, scene))
        return false;
    scene->m_Device.m_bRecordCalls = false;
    scene->m_Device.m_nDepthFormat = kFormatD24S8;
    if (bShaded) {
        std::string error;
        if (!scene->LoadShader(&error)) {
            state.SkipWithError(error.c_str());
            return false;
        }
        scene->ShadeAll();
    }
    return true;
}

// Render pass 0 of every object (all in pass 0), through the shader or with lighting off.
void BM_ObjectModelDrawPass(benchmark::State& state) {
    CObjectModelScene scene;
    if (!PrepareDrawing(state, &scene, state.range(0) != 0))
        return;
    C3DObjectList* objects = scene.m_pTree->m_pOList;
    for (auto _ : state)
        objects->DrawPass(kRunTime, 0);
    state.counters["drawn"] = objects->m_nDrawn;
    state.counters["objects/s"] =
        benchmark::Counter(static_cast<double>(objects->m_nDrawn), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ObjectModelDrawPass)->ArgName("shader")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The shadow pass over the 5,000 objects with 200 casting, their volumes made beforehand. While
// turning, a frame of motion (not timed) before each pass makes every volume be rebuilt; at
// rest the volumes are only drawn.
void BM_ObjectModelShadowPass(benchmark::State& state) {
    CObjectModelScene scene;
    if (!PrepareDrawing(state, &scene, true))
        return;
    const bool bTurning = state.range(0) != 0;
    scene.SetTurningShadowCasters(kShadowCasters);
    M3DOMTree* tree = scene.m_pTree.get();
    tree->UpdateAll();
    tree->m_pOList->DrawShadowVolumes();
    for (auto _ : state) {
        if (bTurning) {
            state.PauseTiming();
            tree->UpdateAll();
            state.ResumeTiming();
        }
        tree->m_pOList->DrawShadowVolumes();
    }
    state.counters["shadows_built"] = tree->m_pOList->m_nShadowsBuilt;
    state.counters["casters/s"] = benchmark::Counter(kShadowCasters, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ObjectModelShadowPass)->ArgName("turning")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// A whole frame of the object layer: motion, the render passes and the shadows of 200 turning
// bodies.
void BM_ObjectModelFrame(benchmark::State& state) {
    CObjectModelScene scene;
    if (!PrepareDrawing(state, &scene, true))
        return;
    scene.SetTurningShadowCasters(kShadowCasters);
    M3DOMTree* tree = scene.m_pTree.get();
    for (auto _ : state) {
        tree->UpdateAll();
        tree->Draw(kRunTime);
    }
    state.counters["shadows_built"] = tree->m_pOList->m_nShadowsBuilt;
    state.counters["frames/s"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ObjectModelFrame)->Unit(benchmark::kMicrosecond);

// Shadows cast by the bodies of `casters` turning elements, or by every object (the default)
// when that is all of them.
void CastShadows(CObjectModelScene* scene, int casters) {
    if (casters < CObjectModelScene::kObjects)
        scene->SetTurningShadowCasters(casters);
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Not a timing: the heap per object after building and after the first shadow pass, which
// makes the volumes (the recording device keeps their vertex buffers on the heap too), for
// 200 turning casters or every object casting; with how long that first pass and deleting
// the tree take.
void BM_ObjectModelShadowMemory(benchmark::State& state) {
    const int casters = static_cast<int>(state.range(0));
    CObjectModelScene scene;
    std::string error;
    if (!scene.LoadModels(&error) || !scene.LoadShader(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    scene.m_Device.m_bRecordCalls = false;
    scene.m_Device.m_nDepthFormat = kFormatD24S8;
    for (auto _ : state) {
        malloc_trim(0);
        const int64_t start = HeapInUse();
        scene.Build();
        scene.ShadeAll();
        CastShadows(&scene, casters);
        const int64_t built = HeapInUse();
        C3DObjectList* objects = scene.m_pTree->m_pOList;
        const size_t buffersBefore = scene.m_Device.m_VertexBuffers.size();
        const auto firstStart = std::chrono::steady_clock::now();
        objects->DrawShadowVolumes();
        state.counters["first_shadow_pass_ms"] = MillisecondsSince(firstStart);
        const int64_t shadowed = HeapInUse();
        const uint32_t made = objects->m_nShadowsBuilt;
        if (made == 0) {
            state.SkipWithError("the first shadow pass made no volume");
            return;
        }
        size_t bufferBytes = 0;
        for (size_t i = buffersBefore; i < scene.m_Device.m_VertexBuffers.size(); ++i)
            bufferBytes += scene.m_Device.m_VertexBuffers[i].bytes.size();
        // How much of that room the first volumes use: the buffers are sized for the worst case.
        size_t usedBytes = 0;
        for (CPointerList::Node* node = objects->m_pList->m_pHead; node; node = node->m_pNext)
            usedBytes += size_t{static_cast<C3DObject*>(node->m_data)->m_ShadowVolume.GetVertexCount()} *
                         CShadowVolume::kVertexSize;

        const double perObject = 1.0 / CObjectModelScene::kObjects;
        state.counters["built_bytes_per_object"] = static_cast<double>(built - start) * perObject;
        state.counters["shadowed_bytes_per_object"] = static_cast<double>(shadowed - start) * perObject;
        state.counters["volume_bytes_per_caster"] = static_cast<double>(shadowed - built) / made;
        state.counters["volume_buffer_bytes_per_caster"] = static_cast<double>(bufferBytes) / made;
        state.counters["volume_buffer_used"] = static_cast<double>(usedBytes) / static_cast<double>(bufferBytes);
        state.counters["volumes_made"] = made;
        // The tree takes every object out of the list one by one.
        const auto deleteStart = std::chrono::steady_clock::now();
        scene.m_pTree.reset();
        state.counters["tree_delete_ms"] = MillisecondsSince(deleteStart);
    }
}
BENCHMARK(BM_ObjectModelShadowMemory)
    ->ArgName("casters")
    ->Arg(kShadowCasters)
    ->Arg(CObjectModelScene::kObjects)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Not a timing: what a frame allocates once the volumes exist (an idle frame should allocate
// nothing): a render pass, a frame of motion, and a shadow pass with every volume rebuilt.
void BM_ObjectModelFrameAllocations(benchmark::State& state) {
    CObjectModelScene scene;
    if (!PrepareDrawing(state, &scene, true))
        return;
    CastShadows(&scene, static_cast<int>(state.range(0)));
    C3DObjectList* objects = scene.m_pTree->m_pOList;
    for (auto _ : state) {
        // The first passes make the volumes and the device's state entries.
        objects->DrawShadowVolumes();
        objects->DrawPass(kRunTime, 0);
        const Allocations draw = Measure([&] { objects->DrawPass(kRunTime, 0); });
        const Allocations update = Measure([&] { scene.m_pTree->UpdateAll(); });
        objects->SetMatrixChangedAll(1);
        const Allocations shadow = Measure([&] { objects->DrawShadowVolumes(); });
        state.counters["draw_pass_news"] = static_cast<double>(draw.news);
        state.counters["draw_pass_heap_bytes"] = static_cast<double>(draw.bytes);
        state.counters["update_news"] = static_cast<double>(update.news);
        state.counters["update_heap_bytes"] = static_cast<double>(update.bytes);
        state.counters["shadow_pass_news"] = static_cast<double>(shadow.news);
        state.counters["shadow_pass_heap_bytes"] = static_cast<double>(shadow.bytes);
        state.counters["shadows_rebuilt"] = objects->m_nShadowsBuilt;
    }
}
BENCHMARK(BM_ObjectModelFrameAllocations)
    ->ArgName("casters")
    ->Arg(kShadowCasters)
    ->Arg(CObjectModelScene::kObjects)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
