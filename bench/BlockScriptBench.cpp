// Block scripts of a large experiment's size: every token of a 1 MB text, the items of its
// top-level block, and loading the same text from a file enciphered with the script key.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ObjectModelText.h"
#include "engine/core/ScriptCipher.h"
#include "game/app/ScriptFile.h"
#include "game/app/ScriptKey.h"

namespace {

constexpr size_t kScriptBytes = 1 << 20;

// The object-model text without the zero that its lab record keeps behind it.
const std::string& BlockScriptText() {
    static const std::string text = [] {
        const std::vector<uint8_t> bytes = MakeObjectModelText(kScriptBytes);
        return std::string(bytes.begin(), bytes.end() - 1);
    }();
    return text;
}

void BM_BlockScriptTokens(benchmark::State& state) {
    const std::string& text = BlockScriptText();
    CScriptFile script;
    script.SetText(text.data(), static_cast<int>(text.size()));
    int64_t tokens = 0;
    for (auto _ : state) {
        char token[CScriptFile::kTokenSize];
        const char* pos = script.GetText();
        while (CScriptFile::GetNextToken(token, sizeof token, &pos, script.GetTextEnd()))
            ++tokens;
        benchmark::DoNotOptimize(token);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["tokens"] = benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BlockScriptTokens)->Unit(benchmark::kMillisecond);

// Each element of the level block as one item, its range walked again for its tokens.
void BM_BlockScriptItems(benchmark::State& state) {
    const std::string& text = BlockScriptText();
    CScriptFile script;
    script.SetText(text.data(), static_cast<int>(text.size()));
    for (auto _ : state) {
        const char* pos = script.GetText();
        char token[CScriptFile::kTokenSize];
        CScriptFile::GetNextToken(token, sizeof token, &pos, script.GetTextEnd());
        CScriptRange level{};
        script.GetNextBlock(&level, &pos, script.GetTextEnd());
        const char* inner = level.pStart;
        CScriptRange item{};
        int items = 0;
        while (script.GetNextBlock(&item, &inner, level.pEnd))
            ++items;
        benchmark::DoNotOptimize(items);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_BlockScriptItems)->Unit(benchmark::kMillisecond);

void BM_BlockScriptLoadEnciphered(benchmark::State& state) {
    const std::string& text = BlockScriptText();
    char path[] = "/tmp/brenlow-block-script-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    FILE* file = fdopen(descriptor, "wb");
    CScriptCipher cipher;
    const bool written = file && cipher.EncipherAndWrite(reinterpret_cast<const uint8_t*>(text.data()),
                                                         static_cast<int>(text.size()), kScriptKey,
                                                         kScriptKeyLength, file) > 0;
    if (file)
        fclose(file);
    else
        close(descriptor);
    if (!written) {
        unlink(path);
        state.SkipWithError("the enciphered script could not be written");
        return;
    }
    CScriptFile script;
    for (auto _ : state) {
        if (script.LoadScript(path, kScriptKey, kScriptKeyLength) != static_cast<int>(text.size())) {
            state.SkipWithError("the enciphered script did not load");
            break;
        }
    }
    unlink(path);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_BlockScriptLoadEnciphered)->Unit(benchmark::kMillisecond);

}  // namespace
