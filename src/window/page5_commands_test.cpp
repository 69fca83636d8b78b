// Page 5 as the user works it: marking centre points, taking a section line, and the two
// plot commands with their data files and the next section number.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

#include "base/numbers.h"
#include "window/sections_fixture.h"

namespace velorin::window {
namespace {

using testing::SectionsFixture;
constexpr double kTolerance = 1e-6;

struct Page5Fixture : SectionsFixture {
    Page5& page = page5();
    void Take(double pick_x, double pick_y) {
        PickAt(pick_x, pick_y);
        page.Command12.Click();
    }
};

// --- Checks before anything happens ---

TEST(TakeSectionLine, RefusesMissingFieldsInOrderAndChangesNothing) {
    struct Case {
        const char* name;
        std::function<void(Page5&)> set;
        const char* message;
    } cases[] = {
        {"no section number", [](Page5& p) { p.Text8.Edit(""); }, "没有“断面号”吗？"},
        {"no symbol", [](Page5& p) { p.Combo8.Edit(""); }, "请设定“展点符号名”！"},
        {"offset not a number", [](Page5& p) { p.Text7.Edit("2m"); }, "请设定“点有效偏距”！"},
        {"restricted without a layer",
         [](Page5& p) {
             p.Check3.Click();
             p.Text11.Edit("");
         },
         "请设定“断面点图层”！"},
        {"first failure wins",
         [](Page5& p) {
             p.Text8.Edit("");
             p.Text7.Edit("x");
         },
         "没有“断面号”吗？"},
    };
    for (const auto& c : cases) {
        Page5Fixture w;
        w.Polyline({{10, 10}, {13, 14}});
        ASSERT_TRUE(w.program.store->Execute("Delete * from Cross").ok());
        auto& cross = w.program.store->Reopen(store::WorkingStore::Table::Cross,
                                              store::statements::kCrossBySIndex);
        cross.AddNew();
        cross.SetField("CrossNo", "earlier");
        ASSERT_TRUE(cross.Update().ok());
        c.set(w.page);
        w.Take(11.5, 12);
        ASSERT_EQ(w.ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(w.ui.messages[0].text, c.message) << c.name;
        EXPECT_EQ(w.ui.messages[0].title, "单断面") << c.name;
        EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Exclamation) << c.name;
        EXPECT_TRUE(w.ui.shown_aside[0]) << c.name;
        ASSERT_EQ(w.Crosses().size(), 1u) << c.name;
        EXPECT_EQ(w.Crosses()[0].cross_no, "earlier") << c.name;
        EXPECT_TRUE(w.On("断_有效范围").empty()) << c.name;
    }
}

// --- The section taken ---

TEST(TakeSectionLine, TwoVertexLineStoresVerticesSectionAndPointsOnBothSides) {
    Page5Fixture w;
    w.page.Text8.Edit("断7");
    w.page.Text7.Edit("2");
    w.Polyline({{10, 10}, {13, 14}});
    w.Block(12.3, 11.4, 101.5);                           // right, chainage 2.5, offset 1
    w.Block(10.7, 12.6, 100.25);                          // left, the same place across
    w.Block(12.4, 13.2, 0);                               // on the line at 4, elevation 0
    w.Block(12.4 + 0.8 * 3, 13.2 - 0.6 * 3, 99);          // 3 m off: outside
    w.Block(12.4, 13.2, 98, testing::kPointLayer, true);  // another symbol: not a point
    w.Take(11.5, 12);

    EXPECT_TRUE(w.ui.messages.empty());
    auto lines = w.LineRows();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first, 0);
    EXPECT_EQ(lines[1].first, 2);
    EXPECT_EQ(lines[1].second.x, 13);
    auto cross = w.Crosses();
    ASSERT_EQ(cross.size(), 1u);
    EXPECT_EQ(cross[0].cross_no, "断7");
    EXPECT_EQ(cross[0].sindex, 100);

    auto points = w.Points();
    ASSERT_EQ(points.size(), 3u);
    for (const auto& p : points) EXPECT_EQ(p.cross_no, "断7");
    EXPECT_NEAR(points[0].slen, 2.5, kTolerance);
    EXPECT_NEAR(points[1].slen, 2.5, kTolerance);
    EXPECT_NEAR(points[0].pian, 1, kTolerance);
    EXPECT_NEAR(points[1].pian, 1, kTolerance);
    EXPECT_NEAR(points[2].slen, 4, kTolerance);
    EXPECT_NEAR(points[2].pian, 0, kTolerance);
    EXPECT_EQ(points[2].high, 0);
    EXPECT_EQ(points[2].layer, testing::kPointLayer);

    // What the page lists: header plus one row per point, three decimals and the layer.
    ASSERT_EQ(w.page.Cross1.Rows(), 4);
    EXPECT_EQ(w.page.Cross1.rows[3],
              (std::vector<std::string>{"4.000", "0.000", "0.000", testing::kPointLayer}));
    std::set<std::string> elevations{w.page.Cross1.rows[1][1], w.page.Cross1.rows[2][1]};
    EXPECT_EQ(elevations, (std::set<std::string>{"101.500", "100.250"}));

    // One outline, the rectangle K1..K4 reaching 2 m to each side, closed, on the range layer.
    auto outlines = w.On("断_有效范围", "LWPOLYLINE");
    ASSERT_EQ(outlines.size(), 1u);
    auto* outline = static_cast<cad::embedded::PolylineEntity*>(outlines[0]);
    EXPECT_TRUE(outline->closed);
    std::vector<double> expected = {11.6, 8.8, 14.6, 12.8, 11.4, 15.2, 8.4, 11.2};
    auto xy = outline->Coordinates();
    ASSERT_EQ(xy.size(), expected.size());
    for (size_t i = 0; i < xy.size(); ++i) EXPECT_NEAR(xy[i], expected[i], kTolerance) << i;
    EXPECT_EQ(w.drawing().FindLayer("断_有效范围")->color, 3);

    // The preview draws the profile in red through the listed points.
    int red = 0;
    for (const auto& op : w.page.Pic2.ops)
        red += op.kind == PictureOp::Kind::Line && op.color == PictureBox::kRed;
    EXPECT_EQ(red, 2);
    EXPECT_FALSE(w.ui.aside);
}

TEST(TakeSectionLine, ChainagesAlongSegments) {
    // Each row: a three-vertex line and one block beside its second segment, 5 m along it
    // and 1 m to its right. Expected chainage = first segment's length (after any nudge) + 5.
    struct Case {
        const char* name;
        std::vector<Point2> line;
        double first_length;
    } cases[] = {
        {"local coordinates at the origin", {{0, 0}, {6, 8}, {12, 16}}, 10},
        {"vertex on the x axis", {{-6, 0}, {0, 8}, {6, 16}}, 10},
        {"vertical first segment", {{20, 10}, {20, 18}, {26, 26}}, std::sqrt(64 + 1e-6)},
        {"horizontal first segment", {{10, 18}, {18, 18}, {24, 26}}, std::sqrt(64 + 1e-6)},
    };
    for (const auto& c : cases) {
        Page5Fixture w;
        w.Polyline(c.line);
        auto b = c.line[1];
        // Second segment runs (0.6, 0.8); 5 along it, 1 to the right (0.8, -0.6).
        w.Block(b.x + 3 + 0.8, b.y + 4 - 0.6, 12.5);
        w.Take(b.x + 0.6, b.y + 0.8);
        auto points = w.Points();
        ASSERT_EQ(points.size(), 1u) << c.name;
        EXPECT_NEAR(points[0].slen, c.first_length + 5, 1e-9) << c.name;
        EXPECT_NEAR(points[0].pian, 1, 1e-9) << c.name;
        EXPECT_EQ(w.On("断_有效范围", "LWPOLYLINE").size(), 2u) << c.name;
    }
}

TEST(TakeSectionLine, PointInsideABendIsStoredTwiceAndOutsideNotAtAll) {
    Page5Fixture w;
    w.Polyline({{100, 100}, {106, 108}, {112, 100}});
    w.Block(106, 107, 55);    // inside the bend: 0.6 from both segments
    w.Block(106, 109.5, 56);  // in the wedge outside the bend
    w.Take(103, 104);
    auto points = w.Points();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[0].slen, 9.2, kTolerance);
    EXPECT_NEAR(points[1].slen, 10.8, kTolerance);
    EXPECT_NEAR(points[0].pian, 0.6, kTolerance);
    EXPECT_NEAR(points[1].pian, 0.6, kTolerance);
    EXPECT_EQ(points[0].high, 55);
    EXPECT_EQ(points[1].high, 55);
}

TEST(TakeSectionLine, BlockReachingInWithItsGraphicsOnlyIsStoredWithItsRealOffset) {
    Page5Fixture w;
    w.Polyline({{10, 10}, {13, 14}});
    w.Block(11.5 + 0.8 * 2.2, 12 - 0.6 * 2.2, 7);  // symbol reaches 0.1 into the rectangle
    w.Block(11.5 - 0.8 * 2.4, 12 + 0.6 * 2.4, 8);  // symbol stays 0.1 outside
    w.Take(11.5, 12);
    auto points = w.Points();
    ASSERT_EQ(points.size(), 1u);
    EXPECT_NEAR(points[0].pian, 2.2, kTolerance);
    EXPECT_EQ(points[0].high, 7);
}

TEST(TakeSectionLine, PointLayerRestrictionKeepsOtherLayersOut) {
    Page5Fixture w;
    w.Polyline({{10, 10}, {13, 14}});
    w.Block(12.3, 11.4, 1, "地_点位_A");
    w.Block(10.7, 12.6, 2, "断_中心点");
    w.page.Check3.Click();
    w.page.Text11.Edit("地_点位_A");
    w.Take(11.5, 12);
    auto points = w.Points();
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].layer, "地_点位_A");
}

TEST(TakeSectionLine, MoreThanOneLinePickedIsRefusedInTheDrawing) {
    Page5Fixture w;
    w.Polyline({{10, 10}, {13, 14}});
    w.Polyline({{20, 10}, {23, 14}});
    w.Block(12.3, 11.4, 1);
    w.PickWindow(0, 0, 30, 30);
    w.page.Command12.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "不要太贪心，选一条断面线就够了！");
    EXPECT_TRUE(w.LineRows().empty());
    EXPECT_TRUE(w.Points().empty());
    EXPECT_EQ(w.page.Cross1.Rows(), 1);
    EXPECT_FALSE(w.ui.aside);
}

TEST(TakeSectionLine, NoHostTellsTheUser) {
    Page5Fixture w;
    w.context.host = nullptr;
    w.Take(0, 0);
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "请打开AutoCAD系统！");
    EXPECT_EQ(w.ui.messages[0].title, "单断面");
}

// --- Centre points ---

TEST(MarkCentrePoints, PickedSymbolBlocksMoveToTheCentreLayer) {
    struct Case {
        const char* name;
        int page;
        bool restrict;
        int expected;  // of the three picked blocks: own symbol on A, own on B, other symbol
    } cases[] = {
        {"page 5 unrestricted", 5, false, 2},
        {"page 5 restricted to layer A", 5, true, 1},
        {"page 6 never restricted", 6, true, 2},
    };
    for (const auto& c : cases) {
        SectionsFixture w;
        auto* a = w.Block(10, 10, 1, "地_点位_A");
        auto* b = w.Block(20, 10, 2, "地_点位_B");
        auto* other = w.Block(30, 10, 3, "地_点位_A", true);
        w.PickWindow(0, 0, 40, 20);
        if (c.page == 5) {
            Page5& p = w.page5();
            p.Check4.Click();
            p.Text12.Edit("中线");
            if (c.restrict) {
                p.Check3.Click();
                p.Text11.Edit("地_点位_A");
            }
            p.Command11.Click();
        } else {
            Page5& p5 = w.page5();
            p5.Check3.Click();
            p5.Text11.Edit("地_点位_A");
            Page6& p = w.page6();
            p.Check9.Click();
            p.Text14.Edit("中线");
            p.Command16.Click();
        }
        EXPECT_TRUE(w.ui.messages.empty()) << c.name;
        int moved = (a->Layer() == "中线") + (b->Layer() == "中线") + (other->Layer() == "中线");
        EXPECT_EQ(moved, c.expected) << c.name;
        EXPECT_NE(other->Layer(), "中线") << c.name;
        ASSERT_NE(w.drawing().FindLayer("中线"), nullptr) << c.name;
        EXPECT_EQ(w.drawing().FindLayer("中线")->color, 3) << c.name;
        EXPECT_NE(w.drawing().layers()[w.drawing().current_layer]->name, "中线") << c.name;
    }
}

TEST(MarkCentrePoints, ExistingLayerKeepsItsColourAndEmptyFieldsAreRefused) {
    SectionsFixture w;
    w.drawing().AddLayer("中线")->color = 6;
    auto* a = w.Block(10, 10, 1);
    w.PickAt(10 + testing::kSymbolRadius, 10);
    Page6& p = w.page6();
    p.Check9.Click();
    p.Text14.Edit("中线");
    p.Combo9.Edit("");
    p.Command16.Click();
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].text, "请设定“展点符号名”！");
    EXPECT_EQ(w.ui.messages[0].title, "批量断面");
    p.Combo9.Edit(testing::kSymbol);
    p.Command16.Click();
    EXPECT_EQ(a->Layer(), "中线");
    EXPECT_EQ(w.drawing().FindLayer("中线")->color, 6);
}

// --- The plots of page 5 ---

struct PlottedFixture : Page5Fixture {
    // A section with a centre point 3 m along, points before and after it.
    PlottedFixture() {
        Polyline({{10, 10}, {16, 18}});
        Block(10 + 0.6 * 1 + 0.8, 10 + 0.8 * 1 - 0.6, 50.1);       // 1 along
        Block(10 + 0.6 * 3, 10 + 0.8 * 3, 50.3, "断_中心点");      // centre, 3 along
        Block(10 + 0.6 * 7.5 - 0.8, 10 + 0.8 * 7.5 + 0.6, 50.75);  // 7.5 along
        page.Check4.Click();
        page.Text12.Edit("断_中心点");
        page.Text8.Edit("断9");
        Take(13, 14);
    }
    // Each new drawing's entities as (layer, text or coordinates) lines.
    std::vector<std::string> Summary(size_t doc_index) {
        std::vector<std::string> out;
        auto& d = host.documents().at(doc_index)->drawing();
        for (const auto& e : d.entities()) {
            if (e->erased) continue;
            std::string line = e->EntityName() + " " + e->Layer() + " " + e->TextString();
            for (double v : e->Coordinates()) line += " " + Format(v, "#0.000");
            out.push_back(line);
        }
        return out;
    }
};

TEST(PlotSingleSection, ShiftsToTheCentreWritesTheFileAndAdvancesTheNumber) {
    PlottedFixture w;
    ASSERT_EQ(w.Points().size(), 3u);
    size_t docs = w.host.documents().size();
    w.page.Command13.Click();
    EXPECT_TRUE(w.ui.messages.empty());
    auto points = w.Points();
    EXPECT_NEAR(points[0].slen, -2, kTolerance);
    EXPECT_NEAR(points[1].slen, 0, kTolerance);
    EXPECT_NEAR(points[2].slen, 4.5, kTolerance);
    EXPECT_EQ(w.DataFile("断9.dm"),
              (std::vector<std::string>{"; 横断面图", "", "Dmh,断9", "-2.000,50.100",
                                        "0.000,50.300", "4.500,50.750"}));
    EXPECT_EQ(w.page.Text8.text, "断10");
    EXPECT_EQ(w.settings().SectionNo, "断10");
    ASSERT_EQ(w.host.documents().size(), docs + 1);

    // Pressed again: nothing more to shift, the same plot and the same values.
    w.page.Command13.Click();
    auto again = w.Points();
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_NEAR(again[i].slen, points[i].slen, kTolerance);
    EXPECT_EQ(w.DataFile("断10.dm"),
              (std::vector<std::string>{"; 横断面图", "", "Dmh,断10", "-2.000,50.100",
                                        "0.000,50.300", "4.500,50.750"}));
    ASSERT_EQ(w.host.documents().size(), docs + 2);
    EXPECT_EQ(w.Summary(docs), w.Summary(docs + 1));
    EXPECT_EQ(w.page.Text8.text, "断11");
}

TEST(PlotSingleSection, WithoutTheCentreBoxNothingShifts) {
    PlottedFixture w;
    w.page.Check4.Click();  // untick
    w.page.Command13.Click();
    EXPECT_NEAR(w.Points()[1].slen, 3, kTolerance);
    EXPECT_EQ(w.DataFile("断9.dm")[4], "3.000,50.300");
}

TEST(PlotSingleProfile, StartChainageChecksAndTheProfileFile) {
    struct Case {
        const char* name;
        const char* km;
        const char* m;
        bool accepted;
        const char* first_line;
    } cases[] = {
        {"1 km and 1000 m", "1", "1000", true, "2001.000,50.100"},
        {"zero", "0", "000", true, "1.000,50.100"},
        {"half kilometres", "1.5", "0", false, nullptr},
        {"metres above 1000", "0", "1000.5", false, nullptr},
        {"not a number", "K", "0", false, nullptr},
    };
    for (const auto& c : cases) {
        PlottedFixture w;
        w.page.Text9.Edit(c.km);
        w.page.Text10.Edit(c.m);
        w.page.Command14.Click();
        if (!c.accepted) {
            ASSERT_EQ(w.ui.messages.size(), 1u) << c.name;
            EXPECT_EQ(w.ui.messages[0].text, "起点里程错误！") << c.name;
            EXPECT_EQ(w.ui.messages[0].title, "纵断面图") << c.name;
            EXPECT_TRUE(w.DataFile("纵_断9.dm").empty()) << c.name;
            continue;
        }
        EXPECT_TRUE(w.ui.messages.empty()) << c.name;
        auto lines = w.DataFile("纵_断9.dm");
        ASSERT_EQ(lines.size(), 7u) << c.name;
        EXPECT_EQ(lines[0], "; 纵断面图") << c.name;
        EXPECT_EQ(lines[3], "Dmh,断9") << c.name;
        EXPECT_EQ(lines[4], c.first_line) << c.name;
        EXPECT_EQ(w.page.Text8.text, "断9") << c.name;
    }
}

// "纵断面图纸：" puts the profile on sheets; "纵断面PDF" checks the start chainage first.
TEST(PlotSingleProfile, OnSheetsAndToPdf) {
    struct Printer : plots::SheetPrinter {
        std::vector<std::string> paths;
        Status Print(const plots::SheetPlot&, const std::string& path) override {
            paths.push_back(path);
            return Status::Ok();
        }
    };
    PlottedFixture w;
    w.page.Sheets.combo.ChooseText("A4 竖向");
    size_t docs = w.host.documents().size();
    w.page.Command14.Click();
    ASSERT_EQ(w.host.documents().size(), docs + 1);
    size_t frames = 0;
    for (const auto& e : w.host.documents().back()->drawing().entities())
        frames += e->Layer() == "图_图框";
    EXPECT_EQ(frames, 2u);  // one sheet: trim line and border
    EXPECT_EQ(w.DataFile("纵_断9.dm").size(), 7u);

    Printer printer;
    w.page.Sheets.printer = &printer;
    w.page.Text9.Edit("K");
    w.page.Sheets.profile_pdf.Click();
    EXPECT_TRUE(printer.paths.empty());
    ASSERT_FALSE(w.ui.messages.empty());
    EXPECT_EQ(w.ui.messages.back().text, "起点里程错误！");
    w.page.Text9.Edit("0");
    w.page.Sheets.profile_pdf.Click();
    EXPECT_EQ(printer.paths, std::vector<std::string>{w.dir.path() + "纵断面图.pdf"});
}

}  // namespace
}  // namespace velorin::window
