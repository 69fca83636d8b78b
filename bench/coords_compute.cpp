// Computing a survey file of 100,000 observation lines against 10,000 control points;
// target: at most 1 s.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "coords/computation.h"

namespace {

using namespace velorin;

std::string F(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

struct Data {
    coords::ControlTable control;
    coords::ObservationList observations;
};

// Control points K0..K9999 on a grid; each set-up stands on one and sights the next,
// the one 50 m north of it, then observes 99 points, every tenth of them a control point (a check).
Data Make() {
    Data d;
    for (int i = 0; i < 10000; ++i)
        d.control.rows.push_back({"K" + std::to_string(i), F(3500000 + (i / 100) * 50.0),
                                  F(500000 + (i % 100) * 50.0 + 7), F(40 + i % 17), ""});
    d.observations.path = "/tmp/bench.sur";
    int lines = 0, setup = 0;
    while (lines < 100000) {
        int s = (setup * 37) % 9899;
        d.observations.lines.push_back("");
        d.observations.lines.push_back("CZ,K" + std::to_string(s) + ",1.500");
        d.observations.lines.push_back("HS,K" + std::to_string(s + 100));
        d.observations.lines.push_back("K" + std::to_string(s + 100) +
                                       ",0.0000,50.000,0.100,1.500");
        ++lines;
        for (int k = 0; k < 99 && lines < 100000; ++k, ++lines) {
            std::string name = k % 10 == 0 ? "K" + std::to_string((s + k * 101) % 10000)
                                           : "P" + std::to_string(setup) + "_" + std::to_string(k);
            d.observations.lines.push_back(name + "," + std::to_string(k * 3 % 360) + ".2530," +
                                           std::to_string(20 + k % 60) + ".321,0.250,1.300");
        }
        ++setup;
    }
    return d;
}

void BM_ComputeCoordinates(benchmark::State& state) {
    static const Data data = Make();
    size_t rows = 0;
    for (auto _ : state) {
        coords::ControlTable control = data.control;
        coords::ResultTable results;
        coords::Computation run = coords::ComputeCoordinates(data.observations, control, results,
                                                             coords::ObservationMode::Automatic);
        rows = results.rows.size();
        benchmark::DoNotOptimize(run);
    }
    state.counters["result_rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ComputeCoordinates)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
