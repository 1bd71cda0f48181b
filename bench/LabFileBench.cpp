// The lab container file on a lab of 100 experiments of 20 KB each, saved (through the atomic
// writer, flushed to the disk) and loaded, in bytes of the file per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "game/app/WorldContentRecord.h"

namespace {

constexpr int kExperiments = 100;
constexpr uint32_t kExperimentBytes = 20 * 1024;
constexpr char kLabName[] = "Bench Labor";

// A fresh folder for the lab file, removed afterwards.
class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brenlow-lab-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern + "/";
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    ~BenchFolder() {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

void Configure(CWorldContent* lab, const BenchFolder& folder) {
    lab->SetDirectory(folder.Path().c_str());
    lab->SetSuffix(".zql");
}

// Experiments of reproducible bytes, as big as a level with a long script.
void FillLab(CWorldContent* lab) {
    std::mt19937 engine(11);
    std::vector<uint8_t> body(kExperimentBytes);
    for (int i = 0; i < kExperiments; ++i) {
        for (uint8_t& byte : body)
            byte = static_cast<uint8_t>(engine());
        const std::string name = "Experiment " + std::to_string(i + 1);
        lab->AddRecord(name.c_str())->Append(body.data(), kExperimentBytes);
    }
}

void BM_LabSave(benchmark::State& state) {
    BenchFolder folder;
    CWorldContent lab;
    Configure(&lab, folder);
    FillLab(&lab);
    CLabHeader header{};
    int written = 0;
    for (auto _ : state)
        written = lab.Save(kLabName, &header, sizeof header, kScriptKey);
    if (written <= 0) {
        state.SkipWithError("save failed");
        return;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(written));
}
BENCHMARK(BM_LabSave)->Unit(benchmark::kMillisecond);

void BM_LabLoad(benchmark::State& state) {
    BenchFolder folder;
    CLabHeader header{};
    {
        CWorldContent source;
        Configure(&source, folder);
        FillLab(&source);
        if (source.Save(kLabName, &header, sizeof header, kScriptKey) <= 0) {
            state.SkipWithError("save failed");
            return;
        }
    }
    CWorldContent lab;
    Configure(&lab, folder);
    int read = 0;
    for (auto _ : state)
        read = lab.Load(kLabName, &header, sizeof header, kScriptKey);
    if (read <= 0 || lab.GetCount() != kExperiments) {
        state.SkipWithError("load failed");
        return;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(read));
}
BENCHMARK(BM_LabLoad)->Unit(benchmark::kMillisecond);

}  // namespace
