// The LZW codec on what it stores in experiment records: an object-model text of 200 KB,
// compressed and expanded, in bytes of text per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bench/ObjectModelText.h"
#include "game/app/LZWCodec.h"

namespace {

constexpr size_t kTextBytes = 200 * 1024;

const std::vector<uint8_t>& Text() {
    static const std::vector<uint8_t> text = MakeObjectModelText(kTextBytes);
    return text;
}

void BM_LzwCompressObjectModelText(benchmark::State& state) {
    const std::vector<uint8_t>& text = Text();
    int size = 0;
    for (auto _ : state) {
        // Made per call, as the level does.
        CLZWCodec codec;
        uint8_t* out = nullptr;
        size = codec.Compress(&out, text.data(), static_cast<int>(text.size()));
        benchmark::DoNotOptimize(out);
        free(out);
    }
    if (size <= 0) {
        state.SkipWithError("compress failed");
        return;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["ratio"] = static_cast<double>(text.size()) / size;
}
BENCHMARK(BM_LzwCompressObjectModelText)->Unit(benchmark::kMicrosecond);

void BM_LzwExpandObjectModelText(benchmark::State& state) {
    const std::vector<uint8_t>& text = Text();
    uint8_t* compressed = nullptr;
    const int compressedSize = CLZWCodec().Compress(&compressed, text.data(), static_cast<int>(text.size()));
    int size = 0;
    for (auto _ : state) {
        CLZWCodec codec;
        uint8_t* out = nullptr;
        size = codec.Expand(&out, compressed, compressedSize);
        benchmark::DoNotOptimize(out);
        free(out);
    }
    free(compressed);
    if (size != static_cast<int>(text.size()))
        state.SkipWithError("expand did not give the text back");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LzwExpandObjectModelText)->Unit(benchmark::kMicrosecond);

}  // namespace
