// The physics layer's cost over bare ODE on a settled heap: one fixed scene step (two
// half-steps with the plane constraint) of a heap of mixed bodies settled in a well, through
// the layer with an accepting contact handler, beside the same heap stepped by plain ODE calls
// with the same settings, plane constraint and near callback (shapes on their bodies, and
// shapes held in geom transforms as the layer holds them). Each heap is dropped and left to
// settle before any timing; then the kinds take turns in blocks of steps, in every order in
// turn, so that none always runs first or on caches the other warmed. The time is the
// layer's per fixed step; the counters give bare ODE's and the ratios (the CPU column counts
// every kind's block of an iteration).
#include <benchmark/benchmark.h>

#include <ode/ode.h>

#include <array>
#include <chrono>
#include <memory>

#include "bench/PhysicsHeap.h"

namespace {

// Six seconds of fixed steps: the largest heap has fallen, and its bodies' mean speed has
// dropped to the few centimetres a second of the solver's steady jitter in a deep heap.
constexpr int kSettleSteps = 600;
// Fixed steps of one kind timed in one go.
constexpr int kBlockSteps = 5;
constexpr int kKinds = 3;
// Every order of the three kinds, each kind first in two of them.
constexpr std::array<std::array<EHeapKind, kKinds>, 6> kOrders = {{
    {EHeapKind::kLayer, EHeapKind::kBareOde, EHeapKind::kBareOdeHeld},
    {EHeapKind::kBareOde, EHeapKind::kBareOdeHeld, EHeapKind::kLayer},
    {EHeapKind::kBareOdeHeld, EHeapKind::kLayer, EHeapKind::kBareOde},
    {EHeapKind::kLayer, EHeapKind::kBareOdeHeld, EHeapKind::kBareOde},
    {EHeapKind::kBareOdeHeld, EHeapKind::kBareOde, EHeapKind::kLayer},
    {EHeapKind::kBareOde, EHeapKind::kLayer, EHeapKind::kBareOdeHeld},
}};

// The three heaps of one size, settled, kept from one repetition to the next. ODE's solver
// shuffles with one process-wide seed: each heap keeps its own, so that taking turns leaves
// every heap's course as if it ran alone.
struct SettledHeaps {
    int bodies = 0;
    std::array<std::unique_ptr<CPhysicsHeap>, kKinds> heaps;
    std::array<unsigned long, kKinds> seeds = {};
    double settledSpeed = 0.0;  // the layer heap's mean speed when timing starts, m/s
};

std::unique_ptr<SettledHeaps>& Cache() {
    static std::unique_ptr<SettledHeaps> cache;
    return cache;
}

SettledHeaps* Settled(int bodies) {
    std::unique_ptr<SettledHeaps>& cache = Cache();
    if (cache && cache->bodies == bodies)
        return cache.get();
    cache.reset();
    auto settled = std::make_unique<SettledHeaps>();
    settled->bodies = bodies;
    for (int kind = 0; kind < kKinds; ++kind) {
        // Made and settled one after the other: each starts from the seed it sets.
        std::unique_ptr<CPhysicsHeap> heap = MakePhysicsHeap(static_cast<EHeapKind>(kind), bodies);
        if (!heap)
            return nullptr;
        for (int i = 0; i < kSettleSteps; ++i)
            heap->FixedStep();
        settled->seeds[kind] = dRandGetSeed();
        settled->heaps[kind] = std::move(heap);
    }
    settled->settledSpeed = settled->heaps[static_cast<int>(EHeapKind::kLayer)]->MeanSpeed();
    cache = std::move(settled);
    return cache.get();
}

double TimeBlock(SettledHeaps* settled, EHeapKind kind) {
    const int index = static_cast<int>(kind);
    dRandSetSeed(settled->seeds[index]);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBlockSteps; ++i)
        settled->heaps[index]->FixedStep();
    const auto end = std::chrono::steady_clock::now();
    settled->seeds[index] = dRandGetSeed();
    return std::chrono::duration<double>(end - start).count();
}

void BM_LayerOverBareOde(benchmark::State& state) {
    SettledHeaps* settled = Settled(static_cast<int>(state.range(0)));
    if (!settled) {
        state.SkipWithError("no heap of that size");
        return;
    }
    std::array<double, kKinds> seconds = {};
    size_t turn = 0;
    for (auto _ : state) {
        for (EHeapKind kind : kOrders[turn++ % kOrders.size()]) {
            const double block = TimeBlock(settled, kind);
            seconds[static_cast<int>(kind)] += block;
            if (kind == EHeapKind::kLayer)
                state.SetIterationTime(block / kBlockSteps);
        }
    }
    const double steps = static_cast<double>(state.iterations()) * kBlockSteps;
    const double layer = seconds[static_cast<int>(EHeapKind::kLayer)];
    const double bare = seconds[static_cast<int>(EHeapKind::kBareOde)];
    const double held = seconds[static_cast<int>(EHeapKind::kBareOdeHeld)];
    state.counters["bodies"] = static_cast<double>(state.range(0));
    state.counters["ode_us"] = 1e6 * bare / steps;
    state.counters["ode_held_us"] = 1e6 * held / steps;
    state.counters["layer_per_ode"] = layer / bare;
    state.counters["layer_per_held"] = layer / held;
    // A few centimetres a second: the heap timed lies in the well, it does not fall.
    state.counters["settled_speed"] = settled->settledSpeed;
    // The layer and the held shapes run the same heap: their mean heights agree exactly.
    state.counters["mean_y"] = settled->heaps[static_cast<int>(EHeapKind::kLayer)]->MeanHeight();
    state.counters["held_mean_y"] = settled->heaps[static_cast<int>(EHeapKind::kBareOdeHeld)]->MeanHeight();
}
BENCHMARK(BM_LayerOverBareOde)
    ->Arg(50)
    ->Arg(200)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Iterations(12)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The heaps go before the program's static objects do.
    Cache().reset();
    return 0;
}
