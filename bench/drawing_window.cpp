// The drawing window on a drawing of batch size: 2,000 section lines and 200,000 point
// blocks with their name and elevation texts. Measures a repaint of the whole drawing
// and of a zoomed-in view, what a click and a crossing drag take, and the window's
// refresh after a command (tabs, the unsaved-changes mark, a repaint). Runs on Qt's
// offscreen platform:
//   cmake --build BUILD --target bench_drawing_window && BUILD/bench/bench_drawing_window
#include "qt/drawing/drawing_window.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <random>

#include "cad/embedded/host.h"
#include "qt/drawing/pick_rules.h"

namespace {

using namespace velorin;
namespace emb = cad::embedded;

constexpr int kSections = 2000;
constexpr int kBlocks = 200000;
constexpr double kLength = kSections * 10.0;

struct Fixture {
    Fixture() : host(""), window(host) {
        doc = window.NewDrawing();
        emb::Drawing& d = doc->drawing();
        auto symbol = emb::Drawing::New();
        symbol->AddCircle({0, 0, 0}, 0.25);
        int block = d.ImportBlock(*symbol, "纯坐标展点");
        d.current_layer = d.LayerIndex(d.AddLayer("断_断面线")->name);
        for (int i = 0; i < kSections; ++i) d.AddPolyline({{i * 10.0 + 5, 30}, {i * 10.0 + 6, 70}});
        std::mt19937 random(7);
        std::uniform_real_distribution<double> x(0, kLength), y(0, 100);
        d.current_layer = d.LayerIndex(d.AddLayer("地_点位_a.cor")->name);
        for (int i = 0; i < kBlocks; ++i) {
            double px = x(random), py = y(random);
            d.AddInsert(block, {px, py, 30}, 0.5, 0.5, 0.5, 0);
            if (i % 4 == 0) d.AddText(std::to_string(i), {px + 0.2, py, 0}, 1);
        }
        window.resize(1200, 760);
        window.show();
        window.Refresh();
        QApplication::processEvents();
    }
    emb::Host host;
    qt::DrawingWindow window;
    emb::HostDocument* doc = nullptr;
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

void Repaint(benchmark::State& state, emb::Box view) {
    Fixture& f = Shared();
    f.doc->views().push_back(view);
    for (auto _ : state) {
        f.window.view()->Invalidate();
        benchmark::DoNotOptimize(f.window.view()->grab());
    }
    f.doc->views().pop_back();
}

void BM_RepaintWholeDrawing(benchmark::State& state) {
    Repaint(state, emb::Box{0, 0, kLength, 100});
}
BENCHMARK(BM_RepaintWholeDrawing)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RepaintZoomedIn(benchmark::State& state) { Repaint(state, emb::Box{10000, 0, 10150, 100}); }
BENCHMARK(BM_RepaintZoomedIn)->Unit(benchmark::kMillisecond);

void BM_ClickTakesNearestEntity(benchmark::State& state) {
    Fixture& f = Shared();
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(0, kLength), y(0, 100);
    for (auto _ : state)
        benchmark::DoNotOptimize(qt::EntityAt(f.doc->drawing(), {x(random), y(random)}, 0.5, {}));
}
BENCHMARK(BM_ClickTakesNearestEntity)->Unit(benchmark::kMicrosecond);

void BM_CrossingDragOfSectionLines(benchmark::State& state) {
    Fixture& f = Shared();
    cad::Filter filter{{0, 8}, {"LWPOLYLINE", "断_断面线"}};
    size_t taken = 0;
    for (auto _ : state) {
        auto lines = qt::EntitiesIn(f.doc->drawing(), emb::Box{5000, 40, 5500, 60}, true, filter);
        taken = lines.size();
    }
    state.counters["lines"] = static_cast<double>(taken);
}
BENCHMARK(BM_CrossingDragOfSectionLines)->Unit(benchmark::kMicrosecond);

void BM_RefreshAfterCommand(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.window.ScheduleRefresh();  // as after a command: tabs, unsaved mark, repaint
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshAfterCommand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
