// Batch sections at the size engineers run them: 2,000 section lines crossed by a
// 50-vertex crossing line, 500,000 point blocks in the drawing. Measures the extraction
// (search, numbering, point search, centre shift) and the whole "横断面图" command with
// the plots and the data file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/clock.h"
#include "app/context.h"
#include "cad/embedded/host.h"
#include "sections/crossing.h"
#include "store/statements.h"
#include "window/page6.h"

namespace {

using namespace velorin;
namespace fs = std::filesystem;
namespace emb = cad::embedded;

constexpr int kSections = 2000;
constexpr double kSpacing = 10;  // metres between section lines
constexpr long kBlocks = 500000;

class QuietUi : public app::Ui {
  public:
    void MessageBox(app::MessageIcon, std::string_view, std::string_view text) override {
        last = text;
    }
    std::string last;
};

// The road runs along x, zigzagging 2 m either side of y = 50 over 49 segments; the
// section lines cross it from y = 30 to y = 70; the blocks cover a band 400 m wide, one
// in 40 on the centre-point layer.
std::unique_ptr<emb::Drawing> RoadDrawing() {
    auto d = emb::Drawing::New();
    auto symbol = emb::Drawing::New();
    symbol->AddCircle({0, 0, 0}, 0.3);
    int block = d->ImportBlock(*symbol, "纯坐标展点");
    double length = kSections * kSpacing;
    std::vector<Point2> road;
    for (int i = 0; i < 50; ++i)
        road.push_back({-5 + (length + 10) * i / 49.0, 50 + (i % 2 ? 2.0 : -2.0)});
    d->AddLayer("道路");
    d->AddPolyline(road)->SetLayer("道路");
    d->AddLayer("断_断面线");
    for (int j = 0; j < kSections; ++j) {
        double x = j * kSpacing;
        d->AddPolyline({{x, 30}, {x + 0.7, 70}})->SetLayer("断_断面线");
    }
    d->AddLayer("地_点位_地形");
    d->AddLayer("断_中心点");
    long columns = kBlocks / 200;
    for (long i = 0; i < kBlocks; ++i) {
        double x = (i % columns) * (length / columns) + 0.37;
        double y = -150 + (i / columns) * 2.0 + 0.11 * (i % 7);
        auto* e = d->AddInsert(block, {x, y, 100 + 0.01 * (i % 500)}, 1, 1, 1, 0);
        e->SetLayer(i % 40 == 0 ? "断_中心点" : "地_点位_地形");
    }
    return d;
}

struct Bench {
    std::string folder = (fs::temp_directory_path() / "velorin-bench-sections").string();
    QuietUi ui;
    app::FixedClock clock{"2024-5-6 14:03:22"};
    app::Program program;
    emb::Host host{folder + "/Support", &ui};
    emb::ScriptedPicker picker;
    emb::EmbeddedConnector connector{host};
    app::Context context{program, ui, clock, &connector};

    Bench() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(std::string(VELORIN_APP_DIR) + "/Velorin.mdb", folder + "/Velorin.mdb");
        Status s;
        program.ProgramDir = folder + "/";
        program.settings = app::Settings::Defaults(program.ProgramDir);
        program.store = store::WorkingStore::Open(folder + "/Velorin.mdb", &s);
        if (!program.store) throw std::runtime_error(s.message());
        program.store->OpenStandingRecordSets();
        host.set_picker(&picker);
        host.Adopt(RoadDrawing());
        host.active()->drawing().Candidates({0, 0, 1, 1});  // the index is built once, as on load
    }
    void PickRoad() {
        emb::Pick p;
        p.a = {-5, 48};
        p.aperture = 0.5;
        picker.picks.push_back(p);
    }
};

void BM_BatchExtraction(benchmark::State& state) {
    Bench b;
    sections::CrossingInputs in{"断_断面线", true, "断_中心点", "纯坐标展点", 2, "断", 1, "", 0.5};
    for (auto _ : state) {
        b.PickRoad();
        auto result = sections::CollectCrossingSections(b.context, in);
        if (!result.numbered || result.sketch.sections.size() < kSections)
            state.SkipWithError("sections lost");
    }
    auto points = b.program.store->OpenRecordSet(store::statements::kPointByCrossNoSlen);
    state.counters["points"] = static_cast<double>(points->RecordCount());
}
BENCHMARK(BM_BatchExtraction)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BatchCommandWithPlotsAndFile(benchmark::State& state) {
    Bench b;
    b.program.settings.MainDir = b.program.ProgramDir;
    window::Page6 page(b.context);
    page.Setup();
    page.Check9.Click();
    page.Text14.Edit("断_中心点");
    page.Text19.Edit("断");
    for (auto _ : state) {
        b.PickRoad();
        page.Command19.Click();
        if (!fs::exists(b.folder + "/断面数据/断1～断2000.dm")) state.SkipWithError("no data file");
    }
}
BENCHMARK(BM_BatchCommandWithPlotsAndFile)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
