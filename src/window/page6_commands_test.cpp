// Page 6 as the user works it: valid ranges along a crossing line, the batch of sections
// with numbering, point search, centre shift, plots and data file, and the two line tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/progress.h"
#include "window/sections_fixture.h"

namespace velorin::window {
namespace {

using testing::SectionsFixture;
namespace emb = cad::embedded;

// A crossing line along y = 50 from x = 5 to 105 and three vertical section lines from
// y = 40 to y = 60 at x = 20, 40 and 60, drawn out of order. Chainage along a section is
// y − 40; the valid offset is 2 m.
struct Page6Fixture : SectionsFixture {
    Page6& page = page6();
    Page6Fixture() {
        Polyline({{5, 50}, {105, 50}}, "道路");
        for (double x : {60.0, 20.0, 40.0}) Polyline({{x, 40}, {x, 60}});
    }
    void Points() {
        Block(20.5, 42, 10.1);
        Block(19.5, 50, 10.5, "断_中心点");
        Block(20.3, 55, 10.9);
        Block(40, 45, 11);
        Block(41, 52, 12);
        Block(60, 47, 13, "断_中心点");
        Block(60.2, 53, 14, "断_中心点");
        Block(59, 58, 15);
    }
    void Batch() {
        PickAt(30, 50);
        page.Command19.Click();
    }
};

class RecordingProgress : public app::Progress {
  public:
    void Start(std::string_view what, long total) override {
        starts.push_back({std::string(what), total});
        last.push_back(0);
    }
    void Step(long done) override { last.back() = done; }
    void Finish() override { ++finished; }
    std::vector<std::pair<std::string, long>> starts;
    std::vector<long> last;  // per piece of work, the last step reported
    int finished = 0;
};

TEST(BatchSections, RefusesBadFieldsInOrder) {
    struct Case {
        const char* name;
        std::function<void(Page6&)> set;
        const char* message;
        bool focus_offset;
    } cases[] = {
        {"no section layer", [](Page6& p) { p.Text13.Edit(""); }, "请设定“断面线图层”！", false},
        {"axis not numbers",
         [](Page6& p) {
             p.Check5.Click();
             p.Text16.Edit("10");
             p.Text17.Edit("");
         },
         "“上、下限”设置有误！", false},
        {"centre shift without layer",
         [](Page6& p) {
             p.Check9.Click();
             p.Text14.Edit("");
         },
         "请设定“中心点图层”！", false},
        {"no symbol", [](Page6& p) { p.Combo9.Edit(""); }, "请设定“展点符号名”！", false},
        {"offset zero", [](Page6& p) { p.Text15.Edit("0"); }, "“有效偏距”值无效！", true},
        {"offset not a number", [](Page6& p) { p.Text15.Edit("二"); }, "“有效偏距”值无效！", true},
    };
    for (const auto& c : cases) {
        Page6Fixture w;
        c.set(w.page);
        w.page.focus = nullptr;
        w.Batch();
        ASSERT_EQ(w.ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(w.ui.messages[0].text, c.message) << c.name;
        EXPECT_EQ(w.ui.messages[0].title, "批量断面") << c.name;
        EXPECT_TRUE(w.ui.shown_aside[0]) << c.name;
        if (c.focus_offset) {
            EXPECT_EQ(w.page.focus, &w.page.Text15) << c.name;
        }
        EXPECT_TRUE(w.On("断_断面号").empty()) << c.name;
    }
}

TEST(BatchSections, NumbersAlongTheCrossingLineFillsCentresAndWritesTheFile) {
    Page6Fixture w;
    w.Points();
    RecordingProgress progress;
    w.context.progress = &progress;
    w.page.Check9.Click();
    w.page.Text14.Edit("断_中心点");
    size_t docs = w.host.documents().size();
    w.Batch();
    EXPECT_TRUE(w.ui.messages.empty());
    EXPECT_FALSE(w.ui.aside);

    auto cross = w.Crosses();
    ASSERT_EQ(cross.size(), 3u);
    const char* names[] = {"断面1", "断面2", "断面3"};
    const double xs[] = {20, 40, 60};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cross[i].cross_no, names[i]);
        EXPECT_EQ(cross[i].x1, xs[i]);
        EXPECT_EQ(cross[i].x2, xs[i] + 0.001);  // the vertical line's end nudged
        EXPECT_NEAR(cross[i].sindex, xs[i] - 5, 1e-3);
    }
    // Numbers at both ends, in red on their own layer.
    auto texts = w.On("断_断面号", "TEXT");
    ASSERT_EQ(texts.size(), 6u);
    auto* first = static_cast<emb::TextEntity*>(texts[0]);
    auto* second = static_cast<emb::TextEntity*>(texts[1]);
    EXPECT_EQ(first->text, "断面1");
    EXPECT_EQ(first->position.x, 20);
    EXPECT_EQ(first->position.y, 40);
    EXPECT_EQ(second->text, "断面1'");
    EXPECT_EQ(second->position.y, 60);
    EXPECT_DOUBLE_EQ(first->height, 3 * w.settings().PlotScale);
    EXPECT_DOUBLE_EQ(first->width_factor, 0.8);
    EXPECT_EQ(w.drawing().FindLayer("断_断面号")->color, 1);

    // One centre block: shifted to it; none: as measured; two: the nearer the start wins.
    EXPECT_EQ(w.DataFile("断面1～断面3.dm"),
              (std::vector<std::string>{
                  "; 批量断面", "; 断面号：断面1～断面3", "", "Dmh,断面1", "-8.000,10.100",
                  "0.000,10.500", "5.000,10.900", "", "Dmh,断面2", "5.000,11.000", "12.000,12.000",
                  "", "Dmh,断面3", "0.000,13.000", "6.000,14.000", "11.000,15.000"}));
    EXPECT_EQ(w.host.documents().size(), docs + 1);  // the plots
    // The sketch names the sections at their first vertices.
    EXPECT_EQ(w.page.Pic3.Texts(), (std::vector<std::string>{"断面1", "断面2", "断面3"}));
    // The point search reports one step per section; the plots report their own work.
    ASSERT_GE(progress.starts.size(), 1u);
    EXPECT_EQ(progress.starts[0].second, 3);
    EXPECT_EQ(progress.last[0], 3);
    EXPECT_EQ(progress.finished, static_cast<int>(progress.starts.size()));
}

TEST(BatchSections, WithoutCentreShiftChainagesRunFromTheFirstVertex) {
    Page6Fixture w;
    w.Points();
    w.Batch();
    auto lines = w.DataFile("断面1～断面3.dm");
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[4], "2.000,10.100");
    EXPECT_EQ(lines[5], "10.000,10.500");
}

TEST(BatchSections, StartNumberThatIsNotANumberCountsAsZero) {
    Page6Fixture w;
    w.Points();
    w.page.Text19.Edit("K");
    w.page.Text20.Edit("abc");
    w.page.Text21.Edit("号");
    w.Batch();
    auto cross = w.Crosses();
    ASSERT_EQ(cross.size(), 3u);
    EXPECT_EQ(cross[0].cross_no, "K0号");
    EXPECT_EQ(cross[2].cross_no, "K2号");
    EXPECT_EQ(w.DataFile("K0号～K2号.dm")[1], "; 断面号：K0号～K2号");
}

TEST(BatchSections, LineNearACrossingVertexIsTakenTwiceAndSharedPointsGoToBoth) {
    SectionsFixture w;
    Page6& page = w.page6();
    w.Polyline({{5, 50}, {50, 50}, {95, 95}}, "道路");
    w.Polyline({{49.8, 40}, {49.8, 60}});
    w.Polyline({{30, 40}, {30, 60}});
    w.Polyline({{31, 40}, {31, 60}});
    w.Block(49.8, 44, 20);
    w.Block(30.5, 55, 21);  // within 2 m of both x = 30 and x = 31
    w.PickAt(20, 50);
    page.Command19.Click();
    auto cross = w.Crosses();
    ASSERT_EQ(cross.size(), 4u);
    EXPECT_EQ(cross[2].x1, 49.8);
    EXPECT_EQ(cross[3].x1, 49.8);
    EXPECT_NEAR(cross[2].sindex, 44.8, 1e-2);
    EXPECT_NEAR(cross[3].sindex, 45 + 0.2 * std::sqrt(2.0), 1e-2);
    auto lines = w.DataFile("断面1～断面4.dm");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "4.000,20.000"), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "15.000,21.000"), 2);
}

TEST(BatchSections, NoSectionCrossedEndsAfterTheSketch) {
    SectionsFixture w;
    Page6& page = w.page6();
    w.Polyline({{5, 50}, {105, 50}}, "道路");
    w.Polyline({{20, 60}, {20, 80}});  // does not reach the crossing line
    w.PickAt(30, 50);
    page.Command19.Click();
    EXPECT_TRUE(w.ui.messages.empty());
    EXPECT_TRUE(w.Crosses().empty());
    EXPECT_FALSE(w.ui.aside);
    EXPECT_FALSE(w.page6().Pic3.ops.empty());
    EXPECT_TRUE(w.DataFile("断面1～断面1.dm").empty());
}

// --- Valid range ---

TEST(MarkValidRange, OutlinesChecksDirectionsMarksStartsAndLogs) {
    SectionsFixture w;
    Page6& page = w.page6();
    w.Polyline({{5, 50}, {105, 50}}, "道路");
    w.Polyline({{20, 40}, {20, 60}});
    w.Polyline({{40, 60}, {40.5, 40}});          // points the other way
    w.Polyline({{60, 40}, {60, 50}, {61, 60}});  // three vertices
    if (!page.Check8.ticked()) page.Check8.Click();
    if (!page.Check7.ticked()) page.Check7.Click();
    w.PickAt(30, 50);
    page.Command17.Click();

    auto log = page.Pic3.Texts();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(std::count(log.begin(), log.end(), "× 收集到一条无效的断面线，取消……"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "× 检查结果：第 2 条断面方向错误"), 1);
    EXPECT_EQ(log[2], "");
    EXPECT_EQ(log[3], "累计：穿越该线的横断面一共有 2 条");

    EXPECT_EQ(w.On("断_有效范围", "LWPOLYLINE").size(), 2u);
    auto circles = w.On("断_有效范围", "CIRCLE");
    ASSERT_EQ(circles.size(), 2u);
    EXPECT_DOUBLE_EQ(static_cast<emb::CircleEntity*>(circles[0])->radius,
                     4 * w.settings().PlotScale);

    auto lines = w.LineRows();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first, 1);
    EXPECT_EQ(lines[1].first, 2);
    auto cross = w.Crosses(store::statements::kCrossByCrossNo);
    ASSERT_EQ(cross.size(), 2u);
    EXPECT_EQ(cross[0].cross_no, "断面1");
    EXPECT_EQ(cross[1].cross_no, "断面2");
    for (const auto& c : cross)
        EXPECT_NEAR(c.sindex, c.x1 - 5 + (c.x1 == 40 ? 0.25 : 0), 1e-2) << c.cross_no;
    EXPECT_TRUE(w.Points().empty());
    EXPECT_FALSE(w.ui.aside);
}

TEST(MarkValidRange, PickingMoreThanOneCrossingLineIsRefused) {
    SectionsFixture w;
    Page6& page = w.page6();
    w.Polyline({{5, 50}, {105, 50}}, "道路");
    w.Polyline({{5, 70}, {105, 70}}, "道路");
    w.PickWindow(0, 0, 200, 200);
    page.Command17.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "不要太贪心，取一条“穿越线”就够了！");
    EXPECT_TRUE(page.Pic3.Texts().empty());
    EXPECT_FALSE(w.ui.aside);
}

// --- Line tools ---

TEST(ReverseLines, TurnsPickedSectionLinesOnly) {
    struct Case {
        const char* name;
        std::vector<Point2> line;
        const char* layer;
        int picks;
        std::vector<double> expected;
    } cases[] = {
        {"two vertices", {{0, 0}, {10, 5}}, testing::kSectionLayer, 1, {10, 5, 0, 0}},
        {"twice gives the first direction",
         {{0, 0}, {10, 5}},
         testing::kSectionLayer,
         2,
         {0, 0, 10, 5}},
        {"every vertex of a longer line",
         {{0, 0}, {5, 5}, {10, 0}},
         testing::kSectionLayer,
         1,
         {10, 0, 5, 5, 0, 0}},
        {"other layer untouched", {{0, 0}, {10, 5}}, "道路", 1, {0, 0, 10, 5}},
    };
    for (const auto& c : cases) {
        SectionsFixture w;
        w.Polyline(c.line, c.layer);
        for (int i = 0; i < c.picks; ++i) {
            w.PickAt(c.line[0].x, c.line[0].y);
            w.page6().Command18.Click();
        }
        auto lines = w.On(c.layer, "LWPOLYLINE");
        ASSERT_EQ(lines.size(), 1u) << c.name;
        EXPECT_EQ(lines[0]->Coordinates(), c.expected) << c.name;
        EXPECT_TRUE(w.ui.messages.empty()) << c.name;
    }
}

TEST(DeleteAuxLines, RemovesTheRangeLayerOnlyAndSaysSo) {
    SectionsFixture w;
    w.Polyline({{5, 50}, {105, 50}}, "道路");
    w.Polyline({{20, 40}, {20, 60}});
    w.PickAt(30, 50);
    Page6& page = w.page6();
    if (!page.Check8.ticked()) page.Check8.Click();
    page.Command17.Click();
    ASSERT_EQ(w.On("断_有效范围").size(), 2u);
    w.ui.messages.clear();
    page.Command20.Click();
    EXPECT_TRUE(w.On("断_有效范围").empty());
    EXPECT_EQ(w.On(testing::kSectionLayer).size(), 1u);
    EXPECT_EQ(w.On("道路").size(), 1u);
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "辅助线清理完毕！");
    // Again on a drawing without anything left there: nothing erased, the same word.
    page.Command20.Click();
    EXPECT_EQ(w.ui.messages.size(), 2u);
    EXPECT_EQ(w.On("道路").size(), 1u);
}

// Takes what "输出PDF" would print.
struct RecordingPrinter : plots::SheetPrinter {
    std::vector<std::pair<size_t, std::string>> printed;  // sheets, path
    Status Print(const plots::SheetPlot& plot, const std::string& path) override {
        printed.push_back({plot.sheets.size(), path});
        return Status::Ok();
    }
};

TEST(BatchSectionsSheets, PlotOnTheChosenPaperAndTheBatchsSectionsToPdf) {
    Page6Fixture w;
    w.Points();
    w.page.Sheets.combo.ChooseText("A4 竖向");
    size_t docs = w.host.documents().size();
    w.Batch();
    ASSERT_EQ(w.host.documents().size(), docs + 1);
    // Three sections on one A4 portrait sheet: its title block names it the only one.
    auto& plot = w.host.documents().back()->drawing();
    std::vector<std::string> sheet_texts;
    for (const auto& e : plot.entities())
        if (e->Layer() == "图_标题栏" && e->kind == emb::Kind::Text)
            sheet_texts.push_back(static_cast<const emb::TextEntity&>(*e).text);
    ASSERT_EQ(sheet_texts.size(), 4u);
    EXPECT_EQ(sheet_texts[3], "第 1 张 共 1 张");

    RecordingPrinter printer;
    w.page.Sheets.printer = &printer;
    w.page.Sheets.pdf.Click();
    ASSERT_EQ(printer.printed.size(), 1u);
    EXPECT_EQ(printer.printed[0],
              (std::pair<size_t, std::string>{1, w.dir.path() + "横断面图.pdf"}));
    EXPECT_EQ(w.host.documents().size(), docs + 2);  // drawn again for the PDF
}

TEST(BatchSectionsSheets, WithoutAPrinterTheUserIsTold) {
    Page6Fixture w;
    w.Points();
    w.Batch();
    w.ui.messages.clear();
    w.page.Sheets.pdf.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "这里不能输出PDF：没有打印程序");
}

}  // namespace
}  // namespace velorin::window
