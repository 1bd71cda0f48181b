// The object model on a level-sized scene (2,004 nodes, 5,000 objects): one frame of motion
// with every matrix rebuilt, 100 picks under rays, cloning and deleting a 500-node group
// (1,250 objects), and the heap the scene takes per object.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <string>

#include "bench/ObjectModelScene.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"

namespace {

constexpr int kPicks = 100;

void BM_ObjectModelUpdateAll(benchmark::State& state) {
    CObjectModelScene scene;
    if (!PrepareObjectModelScene(state, &scene))
        return;
    for (auto _ : state)
        scene.m_pTree->UpdateAll();
    state.counters["objects/s"] =
        benchmark::Counter(static_cast<double>(CObjectModelScene::kObjects), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ObjectModelUpdateAll)->Unit(benchmark::kMicrosecond);

void BM_ObjectModelPick100(benchmark::State& state) {
    CObjectModelScene scene;
    if (!PrepareObjectModelScene(state, &scene))
        return;
    const C3DObjectList* objects = scene.m_pTree->m_pOList;
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int i = 0; i < kPicks; ++i) {
            // Straight at every fifth element's body, from in front of the scene.
            const CVector3 at = CObjectModelScene::ElementPosition(i * 5);
            const C3DObject* picked = objects->Pick(CVector3(at.x, at.y, -50.0f), CVector3(0.0f, 0.0f, 1.0f));
            hits += picked ? 1 : 0;
            benchmark::DoNotOptimize(picked);
        }
    }
    state.counters["hits"] = hits;
    state.counters["picks/s"] = benchmark::Counter(kPicks, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ObjectModelPick100)->Unit(benchmark::kMicrosecond);

void BM_ObjectModelCloneAndDeleteGroup(benchmark::State& state) {
    CObjectModelScene scene;
    if (!PrepareObjectModelScene(state, &scene))
        return;
    M3DOMTree* tree = scene.m_pTree.get();
    const M3DOMObject* group = scene.Group(0);
    for (auto _ : state) {
        M3DOMObject* copy = M3DOMTree::CloneMO(group, tree);
        M3DOMTree::Reparent(tree->m_pRoot, copy);
        tree->m_pRoot->RemoveChild(copy, 1);
    }
    state.counters["nodes"] = group->CountMOs() + 1;
}
BENCHMARK(BM_ObjectModelCloneAndDeleteGroup)->Unit(benchmark::kMillisecond);

// Not a timing: the heap the scene's nodes and objects take (models not counted), per object.
void BM_ObjectModelMemoryPerObject(benchmark::State& state) {
    CObjectModelScene scene;
    std::string error;
    if (!scene.LoadModels(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    double bytesPerObject = 0.0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        scene.Build();
        const size_t after = mallinfo2().uordblks;
        bytesPerObject = static_cast<double>(after - before) / CObjectModelScene::kObjects;
        state.PauseTiming();
        scene.m_pTree.reset();
        state.ResumeTiming();
    }
    state.counters["heap_bytes_per_object"] = bytesPerObject;
    state.counters["sizeof_object"] = static_cast<double>(sizeof(C3DObject));
    state.counters["sizeof_node"] = static_cast<double>(sizeof(M3DOMObject));
}
BENCHMARK(BM_ObjectModelMemoryPerObject)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
