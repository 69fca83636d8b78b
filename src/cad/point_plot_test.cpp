// Point plotting as the drawing shows it: the rows loaded from coordinate and control
// point files, the layers, symbols and labels of every point, the zoom, the alerts, and
// the saved drawing read back by ezdxf.
#include "cad/point_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "base/paths.h"
#include "base/strings.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/host.h"
#include "store/statements.h"
#include "support/recording_ui.h"
#include "support/testing.h"

namespace velorin::cad {
namespace {

using embedded::Drawing;
using embedded::EntityBase;
using embedded::InsertEntity;
using embedded::Kind;
using embedded::PolylineEntity;
using embedded::TextEntity;

constexpr double kTolerance = 1e-9;  // drawing units; positions are computed, not measured

// A program folder with the store and the symbol drawings, an embedded host with a new
// drawing, and a recording Ui.
struct PlotFixture {
    testing::TempDir dir;
    RecordingUi ui;
    app::Settings settings = app::Settings::Defaults(dir.path());
    std::unique_ptr<store::WorkingStore> store;
    std::unique_ptr<embedded::Host> host;
    std::unique_ptr<embedded::EmbeddedConnector> connector;

    explicit PlotFixture(std::vector<std::string> symbols = {"纯坐标展点", "高程点", "GPS点",
                                                             "导线点"}) {
        Status status;
        store = store::WorkingStore::Open(testing::CopyStoreInto(dir.path()), &status);
        EXPECT_TRUE(status.ok()) << status.message();
        EXPECT_TRUE(MakeFolder(dir.File("Support")).ok());
        // Each symbol is a circle of a different radius about its base point, so a test
        // can tell which one was inserted.
        double radius = 1;
        for (const std::string& name : symbols) {
            auto d = Drawing::New();
            d->AddCircle({0, 0, 0}, radius++);
            EXPECT_TRUE(d->Save(dir.File("Support/" + name + ".dxf")).ok());
        }
        host = std::make_unique<embedded::Host>(dir.File("Support"), &ui);
        connector = std::make_unique<embedded::EmbeddedConnector>(*host);
        host->ActiveDocument();
    }

    std::string Write(const std::string& name, const std::vector<std::string>& lines) {
        testing::WriteBytes(dir.File(name), testing::GbkCrlf(lines));
        return dir.File(name);
    }
    void Load(const std::vector<std::string>& paths, PointFileType type) {
        Status s = LoadPointFiles(*store, paths, type);
        ASSERT_TRUE(s.ok()) << s.message();
    }
    PointPlotOptions Options(PointFileType type) {
        PointPlotOptions o;
        o.type = type;
        o.program_dir = dir.path();
        o.scale = 0.5;
        o.point_text_height = 2;
        o.elev_text_height = 3;
        return o;
    }
    PlotOutcome Plot(const PointPlotOptions& o) {
        return PlotPoints(*connector, ui, settings,
                          store->Standing(store::WorkingStore::Table::Ctl), o);
    }
    Drawing& drawing() { return host->active()->drawing(); }

    std::vector<const EntityBase*> On(const std::string& layer, Kind kind) {
        std::vector<const EntityBase*> out;
        for (const auto& e : drawing().entities())
            if (!e->erased && e->kind == kind && e->Layer() == layer) out.push_back(e.get());
        return out;
    }
    const TextEntity* Text(const std::string& layer, const std::string& text) {
        for (const EntityBase* e : On(layer, Kind::Text))
            if (static_cast<const TextEntity*>(e)->text == text)
                return static_cast<const TextEntity*>(e);
        return nullptr;
    }
    std::vector<std::string> Alerts() { return host->active()->command_line(); }
};

void ExpectAt(const Point3& p, double x, double y, double z, const std::string& what) {
    EXPECT_NEAR(p.x, x, kTolerance) << what << " x";
    EXPECT_NEAR(p.y, y, kTolerance) << what << " y";
    EXPECT_NEAR(p.z, z, kTolerance) << what << " z";
}

// --- Loading the files into Ctl ---

TEST(PointLoading, LinesBecomeRowsByTheFileTypesFieldOrder) {
    struct Row {
        const char* name;
        PointFileType type;
        const char* line;
        const char* ctl_no;
        double x1, y1;
        bool h_given;
        double h1;
    };
    const Row rows[] = {
        {"coordinate line, easting first", PointFileType::Coordinates,
         "P1,512300.000,3500100.000,12.345,", "P1", 512300, 3500100, true, 12.345},
        {"coordinate line without elevation", PointFileType::Coordinates,
         "P7,512300.000,3500100.000,,", "P7", 512300, 3500100, false, 0},
        {"three fields", PointFileType::Coordinates, "P8,10,20", "P8", 10, 20, false, 0},
        {"control line, northing first", PointFileType::Control, "K1,3500100.000,512200.000,45.210",
         "K1", 512200, 3500100, true, 45.21},
        {"control line with a mark", PointFileType::Control, "K2,1,2,3,支", "K2", 2, 1, true, 3},
        {"blanks around the line", PointFileType::Coordinates, "   P9,1,2,3   ", "P9", 1, 2, true,
         3},
        {"a name only", PointFileType::Coordinates, "LONE", "LONE", 0, 0, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        std::string path = f.Write("a.cor", {"; 坐标文件： a.cor", "", row.line});
        long count = -1;
        ASSERT_TRUE(LoadPointFiles(*f.store, {path}, row.type, &count).ok());
        EXPECT_EQ(count, 1);
        store::RecordSet& ctl = f.store->Standing(store::WorkingStore::Table::Ctl);
        ctl.MoveFirst();
        ASSERT_FALSE(ctl.EndOfFile());
        EXPECT_EQ(ctl.Text("CtlNo"), row.ctl_no);
        EXPECT_EQ(ctl.Text("Name"), "a.cor");
        EXPECT_DOUBLE_EQ(ctl.Number("X1"), row.x1);
        EXPECT_DOUBLE_EQ(ctl.Number("Y1"), row.y1);
        EXPECT_EQ(!ctl.Field("H1").IsNull(), row.h_given);
        if (row.h_given) {
            EXPECT_DOUBLE_EQ(ctl.Number("H1"), row.h1);
        }
        ctl.MoveNext();
        EXPECT_TRUE(ctl.EndOfFile());
    }
}

TEST(PointLoading, EveryLoadReplacesTheRowsAndKeepsFileOrder) {
    PlotFixture f;
    std::string b = f.Write("b.cor", {"Z1,1,1,1", "A1,2,2,2"});
    std::string a = f.Write("a.cor", {"; comment", "", "M1,3,3,3"});
    f.Load({b, a}, PointFileType::Coordinates);
    f.Load({b, a}, PointFileType::Coordinates);
    std::vector<std::string> seen;
    store::RecordSet& ctl = f.store->Standing(store::WorkingStore::Table::Ctl);
    for (ctl.MoveFirst(); !ctl.EndOfFile(); ctl.MoveNext())
        seen.push_back(ctl.Text("Name") + ":" + ctl.Text("CtlNo"));
    EXPECT_EQ(seen, (std::vector<std::string>{"b.cor:Z1", "b.cor:A1", "a.cor:M1"}));
    EXPECT_EQ(f.store->OpenRecordSet("Select * from Ctl")->RecordCount(), 3);
}

TEST(PointLoading, UnreadableFileIsNamedAndTheFilesBeforeItStay) {
    PlotFixture f;
    std::string good = f.Write("good.cor", {"P1,1,2,3"});
    std::string missing = f.dir.File("gone.cor");
    long count = 0;
    Status s = LoadPointFiles(*f.store, {good, missing}, PointFileType::Coordinates, &count);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find(missing), std::string::npos) << s.message();
    EXPECT_EQ(count, 1);
}

TEST(PointLoading, TextInACoordinateRefusesTheLoadAndKeepsTheLastPoints) {
    struct Row {
        const char* name;
        std::string line;
        std::string message;  // after the file's path
    };
    const Row rows[] = {
        {"easting", "P2,abc,2,3", "”第2行的第2个字段“abc”不是数字，文件未载入：P2,abc,2,3"},
        {"northing", "P2,1,1e400,3", "”第2行的第3个字段“1e400”不是数字，文件未载入：P2,1,1e400,3"},
        {"elevation", "P2,1,2,h", "”第2行的第4个字段“h”不是数字，文件未载入：P2,1,2,h"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        std::string before = f.Write("before.cor", {"K1,5,6,7"});
        ASSERT_TRUE(LoadPointFiles(*f.store, {before}, PointFileType::Coordinates).ok());
        std::string good = f.Write("good.cor", {"Q1,1,2,3"});
        std::string bad = f.Write("bad.cor", {"P1,1,2,3", row.line});
        long count = -1;
        Status s = LoadPointFiles(*f.store, {good, bad}, PointFileType::Coordinates, &count);
        EXPECT_EQ(s.message(), "文件“" + bad + row.message);
        EXPECT_EQ(count, 0);
        auto rows_now = f.store->OpenRecordSet("Select CtlNo from Ctl");
        ASSERT_EQ(rows_now->RecordCount(), 1);
        EXPECT_EQ(rows_now->Text("CtlNo"), "K1");
    }
}

TEST(PointLoading, AStoreThatCannotBeWrittenIsAFailureNamingIt) {
    PlotFixture f;
    std::string good = f.Write("good.cor", {"P1,1,2,3", "P2,4,5,6"});
    f.store->InjectWriteFault("disk I/O error");
    long count = -1;
    Status s = LoadPointFiles(*f.store, {good}, PointFileType::Coordinates, &count);
    f.store->InjectWriteFault("");
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("工作数据库“" + f.store->path() + "”写入失败"), std::string::npos)
        << s.message();
    EXPECT_NE(count, 2);
}

// --- Terrain points ---

TEST(TerrainPlot, EachSourceFileGetsItsOwnPairOfLayers) {
    PlotFixture f;
    std::string r1 = f.Write("r1.cor", {"P1,100,200,10,", "P2,110,210,11,"});
    std::string r2 = f.Write("r2.cor", {"Q1,120,220,12,"});
    f.Load({r1, r2}, PointFileType::Coordinates);
    ASSERT_EQ(f.Plot(f.Options(PointFileType::Coordinates)), PlotOutcome::Plotted);

    const std::map<std::string, int> expected = {
        {"地_点位_r1.cor", 1}, {"地_点号_r1.cor", 5}, {"地_点位_r2.cor", 1}, {"地_点号_r2.cor", 5}};
    std::map<std::string, int> made;
    for (const auto& l : f.drawing().layers())
        if (StartsWith(l->name, "地_")) made[l->name] = l->color;
    EXPECT_EQ(made, expected);
    EXPECT_EQ(f.On("地_点位_r1.cor", Kind::Insert).size(), 2u);
    EXPECT_EQ(f.On("地_点号_r1.cor", Kind::Text).size(), 2u);
    EXPECT_EQ(f.On("地_点位_r2.cor", Kind::Insert).size(), 1u);
    EXPECT_EQ(f.On("地_点号_r2.cor", Kind::Text).size(), 1u);
    EXPECT_EQ(f.drawing().FindStyle("地形")->font, f.settings.TextFont);
    EXPECT_EQ(f.Alerts(), (std::vector<std::string>{"展点完成！", "已展 3 个点"}));
}

TEST(TerrainPlot, SymbolsNamesAndElevationMarksAtOneToFiveHundred) {
    PlotFixture f;
    std::string path =
        f.Write("t.cor", {"P1,512300.000,3500100.000,12.345,", "P7,512310.000,3500110.000,,",
                          "P8,512320.000,3500120.000", "P9,512330.000,3500130.000,9999,"});
    f.Load({path}, PointFileType::Coordinates);
    PointPlotOptions o = f.Options(PointFileType::Coordinates);
    o.elevation_points = true;
    ASSERT_EQ(f.Plot(o), PlotOutcome::Plotted);

    auto symbols = f.On("地_点位_t.cor", Kind::Insert);
    ASSERT_EQ(symbols.size(), 4u);
    const auto* p1 = static_cast<const InsertEntity*>(symbols[0]);
    EXPECT_EQ(p1->Name(), "纯坐标展点");
    EXPECT_DOUBLE_EQ(p1->x_scale, 0.5);
    ExpectAt(p1->InsertionPoint(), 512300, 3500100, 12.345, "P1 symbol at its elevation");
    ExpectAt(symbols[1]->InsertionPoint(), 512310, 3500110, 0, "P7 without elevation on 0");
    ExpectAt(symbols[3]->InsertionPoint(), 512330, 3500130, 0, "P9 with 9999 on 0");

    const TextEntity* name = f.Text("地_点号_t.cor", "P1");
    ASSERT_NE(name, nullptr);
    ExpectAt(name->position, 512300.2, 3500100, 12.345, "P1 name 0.4 mm right");
    EXPECT_DOUBLE_EQ(name->height, 1.0);  // 2 mm at 1:500
    EXPECT_DOUBLE_EQ(name->width_factor, 0.8);

    // Only P1 has an elevation: the empty field, the three-field line and 9999 get no mark.
    auto marks = f.On("它_高程注记", Kind::Text);
    ASSERT_EQ(marks.size(), 1u);
    const auto* mark = static_cast<const TextEntity*>(marks[0]);
    EXPECT_EQ(mark->text, "12.35");
    ExpectAt(mark->position, 512300.2, 3500100, 12.345, "elevation mark");
    EXPECT_DOUBLE_EQ(mark->height, 1.5);
    EXPECT_DOUBLE_EQ(mark->width_factor, 0.8);
    auto elevation_symbols = f.On("它_高程注记", Kind::Insert);
    ASSERT_EQ(elevation_symbols.size(), 1u);
    EXPECT_EQ(elevation_symbols[0]->Name(), "高程点");
    ExpectAt(elevation_symbols[0]->InsertionPoint(), 512300, 3500100, 12.345, "elevation symbol");
    EXPECT_EQ(f.drawing().FindLayer("它_高程注记")->color, 7);
}

TEST(TerrainPlot, TickBoxesChooseWhatIsDrawn) {
    struct Row {
        const char* name;
        bool terrain, elevation;
        size_t symbols, names, marks;
    };
    const Row rows[] = {
        {"names only (the default)", true, false, 1, 1, 0},
        {"elevations only", false, true, 0, 0, 1},
        {"both", true, true, 1, 1, 1},
        {"neither: loaded and zoomed, nothing drawn", false, false, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        f.Load({f.Write("t.cor", {"P1,100,200,5,", "P2,300,250,6,"})}, PointFileType::Coordinates);
        PointPlotOptions o = f.Options(PointFileType::Coordinates);
        o.terrain_points = row.terrain, o.elevation_points = row.elevation;
        ASSERT_EQ(f.Plot(o), PlotOutcome::Plotted);
        EXPECT_EQ(f.On("地_点位_t.cor", Kind::Insert).size(), row.symbols * 2);
        EXPECT_EQ(f.On("地_点号_t.cor", Kind::Text).size(), row.names * 2);
        EXPECT_EQ(f.On("它_高程注记", Kind::Text).size(), row.marks * 2);
        embedded::Box view = f.host->active()->View();
        EXPECT_DOUBLE_EQ(view.min_x, 100);
        EXPECT_DOUBLE_EQ(view.min_y, 200);
        EXPECT_DOUBLE_EQ(view.max_x, 300);
        EXPECT_DOUBLE_EQ(view.max_y, 250);
        EXPECT_EQ(f.Alerts(), (std::vector<std::string>{"展点完成！", "已展 2 个点"}));
    }
}

// --- Control points ---

TEST(ControlPlot, LabelGeometryAtOneToFiveHundred) {
    PlotFixture f;
    f.Load({f.Write("k.ctl", {"K1,3500100.000,512200.000,45.210", "K2,3500250.000,512180.000,0",
                              "K3,3500060.000,512560.000"})},
           PointFileType::Control);
    ASSERT_EQ(f.Plot(f.Options(PointFileType::Control)), PlotOutcome::Plotted);

    auto symbols = f.On("控_点位", Kind::Insert);
    ASSERT_EQ(symbols.size(), 3u);
    EXPECT_EQ(symbols[0]->Name(), "导线点");
    ExpectAt(symbols[0]->InsertionPoint(), 512200, 3500100, 45.21, "K1 symbol at its elevation");
    ExpectAt(symbols[1]->InsertionPoint(), 512180, 3500250, 0, "K2 symbol");

    // K1 with elevation: name above the bar, elevation below, both centred 3.17 right.
    const TextEntity* name = f.Text("控_点名", "K1");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->horizontal, 1);
    ExpectAt(name->alignment_point, 512203.17, 3500100.42, 0, "K1 name");
    EXPECT_DOUBLE_EQ(name->height, 1.0);
    EXPECT_DOUBLE_EQ(name->width_factor, 0.8);
    const TextEntity* elevation = f.Text("控_点名", "45.210");
    ASSERT_NE(elevation, nullptr);
    EXPECT_EQ(elevation->horizontal, 1);
    ExpectAt(elevation->alignment_point, 512203.17, 3500100 - 1.455, 0, "K1 elevation");
    auto bars = f.On("控_点名", Kind::LwPolyline);
    ASSERT_EQ(bars.size(), 1u);
    std::vector<double> bar = bars[0]->Coordinates();
    ASSERT_EQ(bar.size(), 4u);
    EXPECT_NEAR(bar[0] - 512200, 1.17, kTolerance);
    EXPECT_NEAR(bar[2] - 512200, 5.17, kTolerance);
    EXPECT_NEAR(bar[1], 3500100, kTolerance);
    EXPECT_NEAR(bar[3], 3500100, kTolerance);

    // K2 (elevation 0) and K3 (none): the name alone, left-aligned, vertically centred.
    for (const char* point : {"K2", "K3"}) {
        const TextEntity* only = f.Text("控_点名", point);
        ASSERT_NE(only, nullptr) << point;
        EXPECT_EQ(only->vertical, 2) << point;
        EXPECT_EQ(only->horizontal, 0) << point;
    }
    ExpectAt(f.Text("控_点名", "K2")->alignment_point, 512181.15, 3500250, 0, "K2 name");
    EXPECT_EQ(f.On("控_点名", Kind::Text).size(), 4u);
    EXPECT_EQ(f.drawing().FindStyle("控制")->width, 0.8);
    EXPECT_EQ(f.drawing().FindLayer("控_点位")->color, 7);
    EXPECT_EQ(f.drawing().FindLayer("控_点名")->color, 7);
}

TEST(ControlPlot, WithoutElevationOptionLabelsNamesOnlyInTheChosenClass) {
    PlotFixture f;
    f.Load({f.Write("k.ctl", {"K1,3500100,512200,45.21"})}, PointFileType::Control);
    PointPlotOptions o = f.Options(PointFileType::Control);
    o.control_with_elevation = false;
    o.control_class = "GPS点";
    o.scale = 1;
    ASSERT_EQ(f.Plot(o), PlotOutcome::Plotted);
    auto symbols = f.On("控_点位", Kind::Insert);
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0]->Name(), "GPS点");
    auto texts = f.On("控_点名", Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->TextString(), "K1");
    ExpectAt(static_cast<const TextEntity*>(texts[0])->alignment_point, 512202.3, 3500100, 0,
             "name at 1:1000");
    EXPECT_TRUE(f.On("控_点名", Kind::LwPolyline).empty());
}

TEST(TerrainPlot, ProgressCountsEveryPoint) {
    struct Recording : app::Progress {
        long total = -1, last = -1;
        int finished = 0;
        void Start(std::string_view, long t) override { total = t; }
        void Step(long done) override { last = done; }
        void Finish() override { ++finished; }
    } progress;
    PlotFixture f;
    std::vector<std::string> lines;
    for (int i = 0; i < 2500; ++i)
        lines.push_back("P" + std::to_string(i) + "," + std::to_string(i) + ",0,1,");
    f.Load({f.Write("t.cor", lines)}, PointFileType::Coordinates);
    ASSERT_EQ(PlotPoints(*f.connector, f.ui, f.settings,
                         f.store->Standing(store::WorkingStore::Table::Ctl),
                         f.Options(PointFileType::Coordinates), &progress),
              PlotOutcome::Plotted);
    EXPECT_EQ(progress.total, 2500);
    EXPECT_EQ(progress.last, 2500);
    EXPECT_EQ(progress.finished, 1);
    EXPECT_EQ(f.On("地_点位_t.cor", Kind::Insert).size(), 2500u);
}

// --- Failures ---

TEST(PlotFailures, MissingSymbolDrawingLeavesThePointWithoutSymbol) {
    PlotFixture f({"高程点"});  // no "纯坐标展点" drawing in Support
    f.Load({f.Write("t.cor", {"P1,1,2,3,"})}, PointFileType::Coordinates);
    PointPlotOptions o = f.Options(PointFileType::Coordinates);
    o.elevation_points = true;
    ASSERT_EQ(f.Plot(o), PlotOutcome::Plotted);
    EXPECT_TRUE(f.On("地_点位_t.cor", Kind::Insert).empty());
    EXPECT_EQ(f.On("地_点号_t.cor", Kind::Text).size(), 1u);
    EXPECT_EQ(f.On("它_高程注记", Kind::Insert).size(), 1u);
    EXPECT_EQ(f.Alerts(), (std::vector<std::string>{"展点完成！", "已展 1 个点"}));
}

TEST(PlotFailures, MissingFontIsAlertedInTheHostAndNothingIsPlotted) {
    PlotFixture f;
    f.settings.TextFont = "";
    f.Load({f.Write("t.cor", {"P1,1,2,3,"})}, PointFileType::Coordinates);
    EXPECT_EQ(f.Plot(f.Options(PointFileType::Coordinates)), PlotOutcome::MissingFont);
    EXPECT_EQ(f.Alerts(), (std::vector<std::string>{"系统没有找到你要的字库！"}));
    EXPECT_TRUE(f.drawing().entities().empty());
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_TRUE(f.ui.shown_aside[0]);
    EXPECT_FALSE(f.ui.aside);
}

TEST(PlotFailures, NoHostTellsTheUserAndKeepsThePointsLoaded) {
    struct Refusing : HostConnector {
        Application* Attach() override { return nullptr; }
    } refusing;
    PlotFixture f;
    f.Load({f.Write("t.cor", {"P1,1,2,3,"})}, PointFileType::Coordinates);
    store::RecordSet& ctl = f.store->Standing(store::WorkingStore::Table::Ctl);
    EXPECT_EQ(PlotPoints(refusing, f.ui, f.settings, ctl, f.Options(PointFileType::Coordinates)),
              PlotOutcome::NoHost);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].title, "地形展点");
    EXPECT_EQ(f.ui.messages[0].text, "请打开AutoCAD系统！");
    EXPECT_EQ(ctl.RecordCount(), 1);
}

TEST(PlotFailures, ErrorLeftByAnEarlierCommandIsNotTakenForAMissingFont) {
    PlotFixture f;
    f.host->Err().Raise(kUnexpected);
    f.Load({f.Write("t.cor", {"P1,1,2,3,"})}, PointFileType::Coordinates);
    EXPECT_EQ(f.Plot(f.Options(PointFileType::Coordinates)), PlotOutcome::Plotted);
    EXPECT_EQ(f.On("地_点位_t.cor", Kind::Insert).size(), 1u);
}

// --- The saved drawing in other readers ---

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

TEST(PlotInterop, EzdxfReadsTheBlocksAtTheirElevationsAndTheLabels) {
    PlotFixture f;
    f.Load(
        {f.Write("r1.cor", {"P1,512300.000,3500100.000,12.345,", "P2,512310.000,3500110.000,,"})},
        PointFileType::Coordinates);
    PointPlotOptions o = f.Options(PointFileType::Coordinates);
    o.elevation_points = true;
    ASSERT_EQ(f.Plot(o), PlotOutcome::Plotted);
    std::string path = f.dir.File("plotted.dxf");
    ASSERT_TRUE(f.host->active()->Save(path).ok());

    testing::WriteBytes(
        f.dir.File("read.py"),
        "import sys, ezdxf\n"
        "doc = ezdxf.readfile(sys.argv[1])\n"
        "auditor = doc.audit()\n"
        "print('errors', len(auditor.errors))\n"
        "for e in doc.modelspace():\n"
        "    if e.dxftype() == 'INSERT':\n"
        "        p = e.dxf.insert\n"
        "        print('INSERT', e.dxf.layer, e.dxf.name, '%.3f,%.3f,%.3f' % (p.x, p.y, p.z))\n"
        "    elif e.dxftype() == 'TEXT':\n"
        "        print('TEXT', e.dxf.layer, e.dxf.text, e.dxf.style)\n");
    std::string out = RunCommand("PYTHONIOENCODING=utf-8 /usr/bin/python3 " +
                                 f.dir.File("read.py") + " " + path + " 2>&1");
    const std::vector<std::string> expected = {
        "errors 0",
        "INSERT 地_点位_r1.cor 纯坐标展点 512300.000,3500100.000,12.345",
        "TEXT 地_点号_r1.cor P1 地形",
        "INSERT 它_高程注记 高程点 512300.000,3500100.000,12.345",
        "TEXT 它_高程注记 12.35 地形",
        "INSERT 地_点位_r1.cor 纯坐标展点 512310.000,3500110.000,0.000",
        "TEXT 地_点号_r1.cor P2 地形",
    };
    std::string want;
    for (const auto& line : expected) want += line + "\n";
    EXPECT_EQ(out, want);
}

}  // namespace
}  // namespace velorin::cad
