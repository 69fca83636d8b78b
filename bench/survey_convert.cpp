// Converting a GTS-311 raw file of 100,000 records, from reading the file to the
// conversion list; target: at most 1 s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/text_file.h"
#include "survey/conversion.h"

namespace {

using namespace velorin;

// 100,000 records: per set-up STN, BS and its HD, then 48 SS/HD pairs (99 records).
std::string MakeRawFile(size_t records) {
    std::string path =
        (std::filesystem::temp_directory_path() / "velorin_bench_gts311.dat").string();
    std::vector<std::string> lines = {"GTS-311 benchmark"};
    size_t n = 0, station = 0;
    while (n < records) {
        lines.push_back("STN     A" + std::to_string(station) + ",1.452");
        lines.push_back("BS      B" + std::to_string(station) + ",1.500");
        lines.push_back("HD      0.0000,85.123,-0.456");
        n += 3;
        for (int k = 0; k < 48 && n < records; ++k, n += 2) {
            lines.push_back("SS      P" + std::to_string(station) + "`" + std::to_string(k) +
                            ",1.300");
            lines.push_back("HD      " + std::to_string(k * 7 % 360) + ".1530," +
                            std::to_string(10 + k) + ".123,0.4" + std::to_string(k % 10));
        }
        ++station;
    }
    if (!WriteTextLines(path, lines).ok())
        std::abort();  // a benchmark of a file never written measures nothing
    return path;
}

void BM_ConvertGts311File(benchmark::State& state) {
    static const std::string path = MakeRawFile(100000);
    size_t lines = 0;
    for (auto _ : state) {
        survey::Conversion c =
            survey::ConvertRawFile(path, survey::RawModel::Gts311, 10, "2024-5-6 14:03:22");
        lines = c.lines.size();
        benchmark::DoNotOptimize(c);
    }
    state.counters["survey_lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ConvertGts311File)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
