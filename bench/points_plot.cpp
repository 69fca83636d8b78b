// Point plotting speed: 100,000 terrain points with their names and elevation marks
// plotted into the embedded host and the drawing saved as DXF (target: at most 5 s), and
// the same with the coordinate file read into the store first.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "base/numbers.h"
#include "base/text_file.h"
#include "cad/embedded/host.h"
#include "cad/point_plot.h"

namespace {

using namespace velorin;
namespace fs = std::filesystem;

class QuietUi : public app::Ui {
  public:
    void MessageBox(app::MessageIcon, std::string_view, std::string_view) override {}
};

// A program folder with the built store and symbol drawings, and a coordinate file of
// `n` points on a 2 m grid, every tenth without elevation.
struct Site {
    std::string folder, cor;
    std::unique_ptr<store::WorkingStore> store;

    explicit Site(long n) {
        folder = (fs::temp_directory_path() / "velorin-bench-points").string() + "/";
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(std::string(VELORIN_APP_DIR) + "/Velorin.mdb", folder + "Velorin.mdb");
        fs::copy(std::string(VELORIN_APP_DIR) + "/Support", folder + "Support",
                 fs::copy_options::recursive);
        std::vector<std::string> lines = {"; 坐标文件： " + folder + "site.cor", ""};
        for (long i = 0; i < n; ++i) {
            double e = 512000 + (i % 300) * 2.0, north = 3500000 + (i / 300) * 2.0;
            std::string h = i % 10 == 9 ? "" : Format(40 + (i % 97) * 0.05, "#0.000");
            lines.push_back("P" + std::to_string(i + 1) + "," + Format(e, "#0.000") + "," +
                            Format(north, "#0.000") + "," + h + ",");
        }
        cor = folder + "site.cor";
        if (!WriteTextLines(cor, lines).ok()) throw std::runtime_error("cannot write " + cor);
        Status s;
        store = store::WorkingStore::Open(folder + "Velorin.mdb", &s);
        if (!store) throw std::runtime_error(s.message());
        store->OpenStandingRecordSets();
    }
    ~Site() { fs::remove_all(folder); }
};

cad::PointPlotOptions Options(const std::string& program_dir) {
    cad::PointPlotOptions o;
    o.terrain_points = true;
    o.elevation_points = true;
    o.program_dir = program_dir;
    return o;
}

// Plots the loaded rows into a new drawing and saves it; false when something failed.
bool PlotAndSave(Site& site, const app::Settings& settings) {
    QuietUi ui;
    cad::embedded::Host host(site.folder + "Support", &ui);
    cad::embedded::EmbeddedConnector connector(host);
    Status opened;
    auto* doc = host.Open(site.folder + "site.dxf", &opened);
    if (!doc) return false;
    auto outcome = cad::PlotPoints(connector, ui, settings,
                                   site.store->Standing(store::WorkingStore::Table::Ctl),
                                   Options(site.folder));
    return outcome == cad::PlotOutcome::Plotted && doc->Save().ok();
}

void BM_PlotPointsAndSave(benchmark::State& state) {
    const long n = state.range(0);
    Site site(n);
    app::Settings settings = app::Settings::Defaults(site.folder);
    if (!cad::LoadPointFiles(*site.store, {site.cor}, cad::PointFileType::Coordinates).ok())
        return state.SkipWithError("load failed");
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(site.folder + "site.dxf");
        fs::remove(site.folder + "site.bak");
        state.ResumeTiming();
        if (!PlotAndSave(site, settings)) return state.SkipWithError("plot failed");
    }
    state.counters["dxf_MB"] = static_cast<double>(fs::file_size(site.folder + "site.dxf")) / 1e6;
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PlotPointsAndSave)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadPlotPointsAndSave(benchmark::State& state) {
    const long n = state.range(0);
    Site site(n);
    app::Settings settings = app::Settings::Defaults(site.folder);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(site.folder + "site.dxf");
        fs::remove(site.folder + "site.bak");
        state.ResumeTiming();
        if (!cad::LoadPointFiles(*site.store, {site.cor}, cad::PointFileType::Coordinates).ok())
            return state.SkipWithError("load failed");
        if (!PlotAndSave(site, settings)) return state.SkipWithError("plot failed");
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LoadPlotPointsAndSave)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
