// The embedded drawing host on a large survey drawing: 200,000 block references, 200,000
// texts and 50,000 twenty-vertex polylines. Reading into the model and writing (MB/s),
// the peak memory of reading it in a fresh process, a crossing-polygon selection of about
// 100 among 1,000,000 blocks, and a 2000 x 2000 PNG of the drawing.
//   bash bench/run drawing_host
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "base/text_file.h"
#include "cad/embedded/host.h"
#include "qt/paint/picture.h"

namespace {

using namespace velorin;
using namespace velorin::cad::embedded;

int BlockOf(Drawing& d) {
    auto shapes = Drawing::New();
    auto* dot = shapes->AddPolyline({{-0.125, 0}, {0.125, 0}});
    dot->vertices[0].bulge = dot->vertices[1].bulge = 1;
    dot->closed = true;
    dot->constant_width = 0.25;
    shapes->AddCircle({0, 0, 0}, 0.8);
    return d.ImportBlock(*shapes, "高程点");
}

// Coordinates as a survey gives them: six-figure eastings, millimetres.
std::unique_ptr<Drawing> SurveyDrawing() {
    auto d = Drawing::New();
    d->AddLayer("地_点位_图根")->SetColor(1);
    d->AddLayer("地_点号_图根")->SetColor(5);
    d->AddLayer("横_断面线")->SetColor(1);
    int block = BlockOf(*d);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> x(500000, 504000), y(3400000, 3404000), h(10, 60);
    char name[32];
    for (int i = 0; i < 200000; ++i) {
        double px = std::round(x(rng) * 1000) / 1000, py = std::round(y(rng) * 1000) / 1000;
        double ph = std::round(h(rng) * 1000) / 1000;
        d->current_layer = 1;
        d->AddInsert(block, {px, py, ph}, 0.5, 0.5, 0.5, 0);
        d->current_layer = 2;
        std::snprintf(name, sizeof name, "图根%d %.3f", i, ph);
        d->AddText(name, {px + 0.8, py - 0.5, ph}, 1.0);
    }
    d->current_layer = 3;
    for (int i = 0; i < 50000; ++i) {
        double px = x(rng), py = y(rng);
        std::vector<Point2> pts;
        for (int k = 0; k < 20; ++k)
            pts.push_back({std::round((px + k * 1.7) * 1000) / 1000,
                           std::round((py + std::sin(k) * 3) * 1000) / 1000});
        d->AddPolyline(pts);
    }
    return d;
}

const std::string& SurveyBytes() {
    static const std::string bytes = SurveyDrawing()->Serialize();
    return bytes;
}

void BM_ReadIntoModel(benchmark::State& state) {
    const std::string& bytes = SurveyBytes();
    for (auto _ : state) {
        state.PauseTiming();
        std::string copy = bytes;
        state.ResumeTiming();
        Status status;
        auto d = Drawing::Parse(std::move(copy), "survey.dxf", &status);
        if (!d || d->entities().size() != 450000) state.SkipWithError("drawing not read whole");
        benchmark::DoNotOptimize(d);
        state.PauseTiming();
        d.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["MB"] = bytes.size() / 1e6;
}
BENCHMARK(BM_ReadIntoModel)->Unit(benchmark::kMillisecond)->Iterations(3);

const char* const kSaved = "/tmp/velorin_bench_saved.dxf";

size_t FileSize(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    size_t n = std::ftell(f);
    std::fclose(f);
    return n;
}

// Saving a drawing the host made: every record written from the model.
void BM_WriteNewDrawing(benchmark::State& state) {
    auto d = SurveyDrawing();
    for (auto _ : state)
        if (!d->Save(kSaved).ok()) state.SkipWithError("not saved");
    state.SetBytesProcessed(state.iterations() * FileSize(kSaved));
    std::remove(kSaved);
}
BENCHMARK(BM_WriteNewDrawing)->Unit(benchmark::kMillisecond)->Iterations(3);

// A read drawing saved again after a change: records copied, the changed ones rewritten.
void BM_WriteReadDrawing(benchmark::State& state) {
    Status status;
    auto d = Drawing::Parse(SurveyBytes(), "survey.dxf", &status);
    d->AddText("新增", {500000, 3400000, 0}, 1);
    for (auto _ : state)
        if (!d->Save(kSaved).ok()) state.SkipWithError("not saved");
    state.SetBytesProcessed(state.iterations() * FileSize(kSaved));
    std::remove(kSaved);
}
BENCHMARK(BM_WriteReadDrawing)->Unit(benchmark::kMillisecond)->Iterations(3);

// Peak memory of a fresh process that reads the file into the model.
void BM_ReadPeakMemory(benchmark::State& state) {
    std::string path = "/tmp/velorin_bench_survey.dxf";
    if (!WriteFileAtomically(path, SurveyBytes()).ok()) std::abort();  // nothing to measure
    long peak_kb = 0;
    for (auto _ : state) {
        char self[4096] = {};
        ssize_t n =
            readlink("/proc/self/exe", self, sizeof self - 1);  // before the shell replaces it
        FILE* pipe = n > 0 ? popen((std::string(self) + " --load " + path).c_str(), "r") : nullptr;
        if (!pipe || std::fscanf(pipe, "%ld", &peak_kb) != 1) state.SkipWithError("child failed");
        if (pipe) pclose(pipe);
    }
    std::remove(path.c_str());
    state.counters["peak_MB"] = peak_kb / 1024.0;
}
BENCHMARK(BM_ReadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// About 100 of 1,000,000 block references (a 1000 x 1000 grid, 10 m apart) in a square
// polygon crossing the grid.
void BM_CrossingPolygonSelection(benchmark::State& state) {
    Host host("");
    auto d = Drawing::New();
    int block = BlockOf(*d);
    for (int i = 0; i < 1000; ++i)
        for (int j = 0; j < 1000; ++j) d->AddInsert(block, {i * 10.0, j * 10.0, 1}, 1, 1, 1, 0);
    HostDocument* doc = host.Adopt(std::move(d));
    doc->drawing().Candidates(Box{0, 0, 1, 1});  // the index is built once, when first needed
    std::vector<double> polygon{4995, 4995, 0, 5095, 4995, 0, 5095, 5095, 0, 4995, 5095, 0};
    int found = 0;
    for (auto _ : state) {
        cad::SelectionSet* set = doc->SelectionSets().Add("bench");
        set->SelectByPolygon(7, polygon, {{0}, {"INSERT"}});
        found = set->Count();
        set->Delete();
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_CrossingPolygonSelection)->Unit(benchmark::kMicrosecond);

void BM_PaintPng(benchmark::State& state) {
    Status status;
    auto d = Drawing::Parse(SurveyBytes(), "survey.dxf", &status);
    for (auto _ : state) {
        Status s = qt::RenderPicture(*d, "/tmp/velorin_bench_survey.png", 2000, 2000);
        if (!s.ok()) state.SkipWithError(s.message().c_str());
    }
    std::remove("/tmp/velorin_bench_survey.png");
}
BENCHMARK(BM_PaintPng)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) {
        Status status;
        auto d = Drawing::Load(argv[2], &status);
        if (!d) return 1;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%ld\n", usage.ru_maxrss);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
