// Sheet plot speed: 1,000 cross-sections of 100 points laid out on A3 landscape sheets,
// the drawing saved as DXF and the sheets written to a PDF (target: at most 5 s). Reports
// each phase's best wall and CPU seconds over the iterations, and the machine's load.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "app/clock.h"
#include "app/context.h"
#include "cad/embedded/host.h"
#include "plots/sheets.h"
#include "qt/paint/picture.h"
#include "store/working_store.h"

namespace {

using namespace velorin;
namespace fs = std::filesystem;

struct QuietUi : app::Ui {
    void MessageBox(app::MessageIcon, std::string_view, std::string_view) override {}
};

// A program folder with a fresh store holding 1,000 sections of 100 points, -25 .. 25 m.
struct Folder {
    std::string path;
    app::Program program;
    QuietUi ui;
    app::FixedClock clock{"2024-5-6 14:03:22"};

    Folder() {
        path = (fs::temp_directory_path() / "velorin-bench-sheets").string() + "/";
        fs::remove_all(path);
        fs::create_directories(path + "Support");
        fs::copy_file(std::string(VELORIN_APP_DIR) + "/Velorin.mdb", path + "Velorin.mdb");
        program.ProgramDir = path;
        program.settings = app::Settings::Defaults(path);
        Status s;
        program.store = store::WorkingStore::Open(path + "Velorin.mdb", &s);
        if (!program.store) throw std::runtime_error(s.message());
        program.store->OpenStandingRecordSets();
        store::RecordSet& cross = program.store->Standing(store::WorkingStore::Table::Cross);
        store::RecordSet& point = program.store->Standing(store::WorkingStore::Table::Point);
        for (long c = 0; c < 1000; ++c) {
            std::string number = "K" + std::to_string(c);
            cross.AddNew();
            cross.SetField("CrossNo", number);
            cross.SetField("SIndex", static_cast<double>(c));
            (void)cross.Update();  // kept by the store; the Commit below reports it
            for (long i = 0; i < 100; ++i) {
                point.AddNew();
                point.SetField("CrossNo", number);
                point.SetField("Slen", -25 + 0.5 * i);
                point.SetField("High", 100 + 3 * std::sin(i * 0.1) + 0.01 * c);
                point.SetField("Pian", 0.0);
                point.SetField("Layer", "数据断面");
                (void)point.Update();  // kept by the store; the Commit below reports it
            }
        }
        Status committed = program.store->Commit();
        if (!committed.ok()) throw std::runtime_error(committed.message());
    }
    ~Folder() { fs::remove_all(path); }
};

// The process's CPU seconds: on a machine shared with other work the wall clock counts
// their time too, so each phase is reported both ways, the best of the iterations.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_Sheets1000x100A3DxfAndPdf(benchmark::State& state) {
    Folder f;
    app::SheetSettings a3;
    a3.on = true;
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };
    const char* phases[] = {"draw", "dxf", "pdf", "total"};
    double best_wall[4], best_cpu[4];
    std::fill(std::begin(best_wall), std::end(best_wall), INFINITY);
    std::fill(std::begin(best_cpu), std::end(best_cpu), INFINITY);
    for (auto _ : state) {
        cad::embedded::Host host(f.path + "Support", &f.ui);
        cad::embedded::EmbeddedConnector connector(host);
        app::Context context{f.program, f.ui, f.clock, &connector};
        Clock::time_point wall[4];
        double cpu[4];
        wall[0] = Clock::now(), cpu[0] = CpuSeconds();
        plots::SheetPlot plot = plots::DrawCrossSectionSheets(context, 0, 0, "基准路横断面图", a3);
        wall[1] = Clock::now(), cpu[1] = CpuSeconds();
        if (!plot.doc) {
            state.SkipWithError("nothing drawn");
            return;
        }
        auto* doc = static_cast<cad::embedded::HostDocument*>(plot.doc);
        Status s = doc->Save(f.path + "sheets.dxf");
        wall[2] = Clock::now(), cpu[2] = CpuSeconds();
        if (s.ok()) s = qt::WriteSheetPlotPdf(plot, f.path + "sheets.pdf");
        wall[3] = Clock::now(), cpu[3] = CpuSeconds();
        if (!s.ok()) {
            state.SkipWithError(s.message().c_str());
            return;
        }
        for (int k = 0; k < 4; ++k) {
            int from = k == 3 ? 0 : k, to = k == 3 ? 3 : k + 1;
            best_wall[k] = std::min(best_wall[k], seconds(wall[from], wall[to]));
            best_cpu[k] = std::min(best_cpu[k], cpu[to] - cpu[from]);
        }
        state.counters["sheets"] = static_cast<double>(plot.sheets.size());
        state.counters["pdf_MB"] = static_cast<double>(fs::file_size(f.path + "sheets.pdf")) / 1e6;
    }
    double load[1] = {0};
    if (getloadavg(load, 1) == 1) state.counters["load1"] = load[0];
    for (int k = 0; k < 4; ++k) {
        state.counters[std::string(phases[k]) + "_s"] = best_wall[k];
        state.counters[std::string(phases[k]) + "_cpu_s"] = best_cpu[k];
    }
}
BENCHMARK(BM_Sheets1000x100A3DxfAndPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
