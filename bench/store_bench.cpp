// Working-store speed: a million point appends read back in section order, and a large
// section data file read into the store.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "sectionfile/section_file.h"
#include "store/statements.h"
#include "store/working_store.h"

namespace {

using namespace velorin;
namespace fs = std::filesystem;

// A fresh copy of the built store for every run, as the program folder holds it.
std::unique_ptr<store::WorkingStore> FreshStore(const std::string& folder) {
    fs::create_directories(folder);
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(folder + "/Velorin.mdb" + suffix);
    fs::copy_file(std::string(VELORIN_APP_DIR) + "/Velorin.mdb", folder + "/Velorin.mdb");
    Status s;
    auto store = store::WorkingStore::Open(folder + "/Velorin.mdb", &s);
    if (!store) throw std::runtime_error(s.message());
    store->OpenStandingRecordSets();
    return store;
}

void BM_MillionPointAppendsAndOrderedReadBack(benchmark::State& state) {
    const long n = state.range(0);
    std::string folder = (fs::temp_directory_path() / "velorin-bench-store").string();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = FreshStore(folder);
        state.ResumeTiming();
        store::RecordSet& p = store->Standing(store::WorkingStore::Table::Point);
        for (long i = 0; i < n; ++i) {
            p.AddNew();
            p.SetField("CrossNo", "断" + std::to_string(i / 100));
            p.SetField("Slen", static_cast<double>((i * 7919) % 100) - 50.0);
            p.SetField("High", 100.0 + (i % 13) * 0.1);
            p.SetField("Pian", 0.5);
            p.SetField("Layer", "地_点位_data.cor");
            (void)p.Update();  // a failed write is kept; the Commit below aborts on it
        }
        if (!store->Commit().ok()) std::abort();
        store::RecordSet& back = store->Reopen(store::WorkingStore::Table::Point,
                                               store::statements::kPointByCrossNoSlen);
        double sum = 0;
        long rows = 0;
        for (back.MoveFirst(); !back.EndOfFile(); back.MoveNext(), ++rows)
            sum += back.Number("Slen");
        if (rows != n) state.SkipWithError("rows lost");
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MillionPointAppendsAndOrderedReadBack)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ReadSectionFile(benchmark::State& state) {
    const long n = state.range(0);
    std::vector<std::string> file;
    file.reserve(n);
    file.push_back("; 批量断面");
    for (long i = 1; static_cast<long>(file.size()) < n; ++i) {
        if (i % 50 == 1) {
            file.push_back("");
            file.push_back("Dmh,K" + std::to_string(i / 50) + "+000");
        }
        file.push_back(i % 3 ? "@1.250,@-0.035" : std::to_string(i % 50) + ".125,101.250");
    }
    std::string folder = (fs::temp_directory_path() / "velorin-bench-dm").string();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = FreshStore(folder);
        auto lines = file;
        state.ResumeTiming();
        if (!sectionfile::ReadSectionFile(lines, *store)) state.SkipWithError("file refused");
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ReadSectionFile)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
