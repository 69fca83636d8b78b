// Section plot speed: 1,000 cross-sections of 100 points each drawn into the embedded
// host and saved as DXF, and a profile of 10,000 points drawn and saved.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/clock.h"
#include "app/context.h"
#include "cad/embedded/host.h"
#include "plots/section_plots.h"
#include "store/working_store.h"

namespace {

using namespace velorin;
namespace fs = std::filesystem;

struct QuietUi : app::Ui {
    void MessageBox(app::MessageIcon, std::string_view, std::string_view) override {}
};

// A program folder with a fresh store holding `sections` sections of `points` points.
struct Bench {
    std::string folder;
    app::Program program;
    QuietUi ui;
    app::FixedClock clock{"2024-5-6 14:03:22"};

    Bench(const std::string& name, long sections, long points) {
        folder = (fs::temp_directory_path() / name).string() + "/";
        fs::remove_all(folder);
        fs::create_directories(folder + "Support");
        fs::copy_file(std::string(VELORIN_APP_DIR) + "/Velorin.mdb", folder + "Velorin.mdb");
        fs::copy(std::string(VELORIN_APP_DIR) + "/Support", folder + "Support",
                 fs::copy_options::recursive);
        program.ProgramDir = folder;
        program.settings = app::Settings::Defaults(folder);
        Status s;
        program.store = store::WorkingStore::Open(folder + "Velorin.mdb", &s);
        if (!program.store) throw std::runtime_error(s.message());
        program.store->OpenStandingRecordSets();
        store::RecordSet& cross = program.store->Standing(store::WorkingStore::Table::Cross);
        store::RecordSet& point = program.store->Standing(store::WorkingStore::Table::Point);
        for (long c = 0; c < sections; ++c) {
            std::string number = "K" + std::to_string(c);
            cross.AddNew();
            cross.SetField("CrossNo", number);
            cross.SetField("SIndex", static_cast<double>(c));
            (void)cross.Update();  // kept by the store; the Commit below reports it
            for (long i = 0; i < points; ++i) {
                point.AddNew();
                point.SetField("CrossNo", number);
                // Cross-sections span -25 .. 25 m, a profile 0.5 m per point.
                point.SetField("Slen", sections > 1 ? -25 + 50.0 * i / points : 0.5 * i);
                point.SetField("High", 100 + 3 * std::sin(i * 0.1) + 0.01 * c);
                point.SetField("Pian", 0.0);
                point.SetField("Layer", "数据断面");
                (void)point.Update();  // kept by the store; the Commit below reports it
            }
        }
        if (!program.store->Commit().ok()) std::abort();
    }
    ~Bench() { fs::remove_all(folder); }
};

template <typename Draw>
void PlotAndSave(benchmark::State& state, Bench& b, Draw draw) {
    for (auto _ : state) {
        cad::embedded::Host host(b.folder + "Support", &b.ui);
        cad::embedded::EmbeddedConnector connector(host);
        app::Context context{b.program, b.ui, b.clock, &connector};
        auto* doc = static_cast<cad::embedded::HostDocument*>(draw(context));
        if (!doc) {
            state.SkipWithError("nothing drawn");
            return;
        }
        Status s = doc->Save(b.folder + "plot.dxf");
        if (!s.ok()) state.SkipWithError(s.message().c_str());
        state.counters["entities"] = static_cast<double>(doc->drawing().entities().size());
    }
}

void BM_CrossSections1000x100(benchmark::State& state) {
    Bench b("velorin-bench-cross", 1000, 100);
    PlotAndSave(state, b, [](app::Context& c) {
        return plots::DrawCrossSections(c, 0, 0, "ＸＸ市ＸＸ路横断面图");
    });
}
BENCHMARK(BM_CrossSections1000x100)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Profile10000(benchmark::State& state) {
    Bench b("velorin-bench-profile", 1, 10000);
    PlotAndSave(state, b, [](app::Context& c) { return plots::DrawProfile(c, 1000); });
}
BENCHMARK(BM_Profile10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
