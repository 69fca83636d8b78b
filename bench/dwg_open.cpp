// Opening a DWG end to end: example_2018.dwg (the sample beside the checkout, AC1032,
// 146 KB) through the converter process of the program folder into the embedded host's
// model, as velorin-batch and the drawing window open it. Reports the wall time per
// drawing and the converter process's peak memory.
//   bash bench/run dwg_open
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "cad/dwg_converter.h"
#include "cad/embedded/drawing.h"

namespace {

using namespace velorin;

void BM_OpenDwg(benchmark::State& state) {
    cad::DwgConverter converter;
    converter.folder = VELORIN_APP_DIR "/dwg";
    std::string path = VELORIN_SAMPLES_DIR "/dwg/example_2018.dwg";
    size_t entities = 0;
    for (auto _ : state) {
        Status status;
        auto converted = cad::ConvertDwg(path, converter, &status);
        if (!converted) {
            state.SkipWithError(status.message().c_str());
            return;
        }
        auto drawing = cad::embedded::Drawing::Parse(std::move(converted->dxf), path, &status);
        if (!drawing) {
            state.SkipWithError(status.message().c_str());
            return;
        }
        entities = drawing->entities().size();
        benchmark::DoNotOptimize(drawing);
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["entities"] = static_cast<double>(entities);
    state.counters["converter_peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_OpenDwg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
