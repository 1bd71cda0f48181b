// The engine core's hot paths: the pooled list churn of a frame, settings parsing and the
// cipher over a lab-sized buffer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/core/DynString.h"
#include "engine/core/PointerList.h"
#include "engine/core/ScriptCipher.h"
#include "engine/core/ValueScript.h"

namespace {

// A list that grows and shrinks every frame allocates nothing once it has held its most.
void BM_PointerListChurn(benchmark::State& state) {
    CPointerList list(64, 16);
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (int i = 0; i < count; ++i)
            list.Append(&list);
        while (list.m_pHead)
            list.RemoveAt(CPointerList::Position{&list, list.m_pHead});
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_PointerListChurn)->Arg(16)->Arg(1024);

std::string MakeSettingsText(int blocks, int keysPerBlock) {
    std::string text = "# TOLP Software Value Script\r\n\r\n";
    for (int b = 0; b < blocks; ++b) {
        text += "[Block" + std::to_string(b) + "]\r\n";
        for (int k = 0; k < keysPerBlock; ++k)
            text += "Key" + std::to_string(k) + " = " + std::to_string(k * 10) + ".000000\r\n";
        text += "Caption = \"[Menu] text\"\r\n\r\n";
    }
    return text;
}

void BM_ValueScriptParseAllBlocks(benchmark::State& state) {
    const std::string text = MakeSettingsText(static_cast<int>(state.range(0)), 20);
    for (auto _ : state) {
        CPointerList scripts(1, 1);
        CValueScript::ParseAllBlocks(text.c_str(), &scripts);
        for (auto* node = scripts.m_pHead; node; node = node->m_pNext)
            delete static_cast<CValueScript*>(node->m_data);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ValueScriptParseAllBlocks)->Arg(4)->Arg(32);

void BM_ValueScriptSaveSplice(benchmark::State& state) {
    const std::string original = MakeSettingsText(8, 20);
    CValueScript script;
    script.m_sName = "Block3";
    script.ParseBlock(original.c_str());
    script.SetFloat("Key5", 1.5f);
    for (auto _ : state) {
        CDynString text(original.c_str(), 0);
        script.WriteInto(&text);
        benchmark::DoNotOptimize(text.GetText());
    }
}
BENCHMARK(BM_ValueScriptSaveSplice);

void BM_CipherRoundTrip(benchmark::State& state) {
    static const char kKey[] = "5k2$&r/8QXVTRZ=?w!t%";
    const int length = static_cast<int>(state.range(0));
    std::vector<uint8_t> plain(static_cast<size_t>(length), 'x');
    std::vector<uint8_t> enciphered(plain.size() + 20);
    std::vector<uint8_t> deciphered(plain.size());
    CScriptCipher cipher;
    for (auto _ : state) {
        cipher.Transform(CScriptCipher::kEncipher, plain.data(), length, enciphered.data(), kKey, 20);
        cipher.Transform(CScriptCipher::kDecipher, enciphered.data(), length + 20, deciphered.data(), kKey, 20);
    }
    state.SetBytesProcessed(state.iterations() * length * 2);
}
BENCHMARK(BM_CipherRoundTrip)->Arg(4096)->Arg(1 << 20);

}  // namespace
