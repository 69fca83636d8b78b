// Cross-section plots and profiles as the user finds them in the new drawing: grid,
// labels, ground line, circles and elevations at hand-computed places; the profile's
// frame, table, ruler and chainages. Default scales 1:200 and 1:100: H = 0.2, E = 2.
#include "plots/section_plots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "app/progress.h"
#include "plots/plot_fixture.h"
#include "store/statements.h"

namespace velorin::plots {
namespace {

using namespace cad::embedded;
using testing::FindText;
using testing::LinesOn;
using testing::PlotFixture;
using testing::TextsOn;

constexpr double kTol = 1e-9;  // drawing units; all values are exact sums of decimals

// Left and right ends of the grid: the x of its first and last vertical line.
std::pair<double, double> GridColumns(const Drawing& d) {
    double lo = INFINITY, hi = -INFINITY;
    for (const auto* l : LinesOn(d, "横_格网"))
        if (l->vertices[0].x == l->vertices[1].x)
            lo = std::min(lo, l->vertices[0].x), hi = std::max(hi, l->vertices[0].x);
    return {lo, hi};
}
// Lowest and highest elevation labelled on the grid's left side.
std::pair<double, double> GridRows(const Drawing& d) {
    double lo = INFINITY, hi = -INFINITY;
    for (const auto* t : TextsOn(d, "横_格网"))
        if (t->horizontal == 2)
            lo = std::min(lo, std::stod(t->text)), hi = std::max(hi, std::stod(t->text));
    return {lo, hi};
}

TEST(CrossSectionPlot, SmallSectionAtHandComputedPlaces) {
    PlotFixture f;
    f.Sections({"Dmh,A", "-12.3,12.34", "0,15.6", "17.6,13"});
    const Drawing& d = f.Drawn(DrawCrossSections(f.context, 0, 0, "T"));
    // left -15, right 20, low 10, high 17; base = -(7 + 5) * 2 = -24, top = -10.
    std::vector<double> verticals;
    std::vector<double> rows;
    for (const auto* l : LinesOn(d, "横_格网")) {
        ASSERT_EQ(l->vertices.size(), 2u);
        if (l->vertices[0].x == l->vertices[1].x) {
            EXPECT_NEAR(l->vertices[0].y, -10, kTol);
            EXPECT_NEAR(l->vertices[1].y, -24, kTol);
            verticals.push_back(l->vertices[0].x);
        } else {
            EXPECT_NEAR(l->vertices[0].x, -15, kTol);
            EXPECT_NEAR(l->vertices[1].x, 20, kTol);
            rows.push_back(l->vertices[0].y);
        }
    }
    EXPECT_EQ(verticals, (std::vector<double>{-15, -10, -5, 0, 5, 10, 15, 20}));
    EXPECT_EQ(rows, (std::vector<double>{-24, -22, -20, -18, -16, -14, -12, -10}));

    struct Label {
        std::string text;
        double x, y;
        int horizontal, vertical;
    };
    std::vector<Label> labels = {{"-10", -10, -9.6, 1, 1},   {"0", 0, -9.6, 1, 1},
                                 {"10", 10, -9.6, 1, 1},     {"20", 20, -9.6, 1, 1},
                                 {"10.0", -15.4, -24, 2, 2}, {"10.0", 20.4, -24, 0, 2},
                                 {"17.0", -15.4, -10, 2, 2}, {"17.0", 20.4, -10, 0, 2}};
    for (const auto& want : labels) {
        bool found = false;
        for (const auto* t : TextsOn(d, "横_格网"))
            if (t->text == want.text && std::abs(t->alignment_point.x - want.x) < kTol &&
                std::abs(t->alignment_point.y - want.y) < kTol) {
                found = true;
                EXPECT_EQ(t->horizontal, want.horizontal) << want.text;
                EXPECT_EQ(t->vertical, want.vertical) << want.text;
                EXPECT_NEAR(t->height, 0.6, kTol);
                EXPECT_NEAR(t->width_factor, 0.8, kTol);
            }
        EXPECT_TRUE(found) << want.text << " at " << want.x << "," << want.y;
    }
    EXPECT_EQ(TextsOn(d, "横_格网").size(), 4u + 2 * 8);

    const TextEntity* number = FindText(d, "横_断面号", "A～A'");
    ASSERT_NE(number, nullptr);
    EXPECT_NEAR(number->position.x, -15, kTol);
    EXPECT_NEAR(number->position.y, -24 - 6.25 * 0.2 * 2, kTol);
    EXPECT_NEAR(number->height, 0.4, kTol);

    // Ground points at y = -24 + (h - 10) * 2.
    const double ys[] = {-19.32, -12.8, -18};
    const double xs[] = {-12.3, 0, 17.6};
    auto ground = LinesOn(d, "横_断面线");
    ASSERT_EQ(ground.size(), 1u);
    ASSERT_EQ(ground[0]->vertices.size(), 3u);
    auto circles = testing::OnLayer<CircleEntity>(d, "横_高程点", Kind::Circle);
    ASSERT_EQ(circles.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(ground[0]->vertices[k].x, xs[k], kTol);
        EXPECT_NEAR(ground[0]->vertices[k].y, ys[k], 1e-9);
        if (k < 2) {
            EXPECT_NEAR(ground[0]->vertices[k].start_width, 0.06, kTol);
        }
        EXPECT_NEAR(circles[k]->centre.x, xs[k], kTol);
        EXPECT_NEAR(circles[k]->centre.y, ys[k], 1e-9);
        EXPECT_NEAR(circles[k]->radius, 0.1, kTol);
    }
    const char* elevations[] = {"12.340", "15.600", "13.000"};
    for (int k = 0; k < 3; ++k) {
        const TextEntity* t = FindText(d, "横_高程", elevations[k]);
        ASSERT_NE(t, nullptr) << elevations[k];
        EXPECT_NEAR(t->alignment_point.x, xs[k], kTol);
        EXPECT_NEAR(t->alignment_point.y, ys[k] + 0.32, 1e-9);
        EXPECT_EQ(t->horizontal, 1);
        EXPECT_EQ(t->vertical, 2);
    }

    const TextEntity* title = FindText(d, "横_标题", "T  水平比例 1：200，垂直比例 1：100");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->position.x, 0, kTol);
    EXPECT_NEAR(title->position.y, 12 * 0.2 - 5 * 2, kTol);  // 12 H above the first grid's top
    EXPECT_NEAR(title->height, 2, kTol);

    // The layers carry the system's colours, the text style "断面" its fonts.
    const std::pair<const char*, int> colours[] = {{"横_标题", 7},   {"横_格网", 8},
                                                   {"横_断面号", 7}, {"横_断面线", 1},
                                                   {"横_高程点", 3}, {"横_高程", 5}};
    for (const auto& [layer, colour] : colours) {
        ASSERT_NE(d.FindLayer(layer), nullptr) << layer;
        EXPECT_EQ(d.FindLayer(layer)->color, colour) << layer;
    }
    ASSERT_NE(d.FindStyle("断面"), nullptr);
    EXPECT_EQ(d.FindStyle("断面")->font, "Romans");
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(CrossSectionPlot, LimitsOfTheGrid) {
    struct Row {
        const char* name;
        std::vector<std::string> points;
        double left, right, low, high;
    };
    const Row rows[] = {
        {"both sides", {"-12.3,12.34", "17.6,15.6"}, -15, 20, 10, 17},
        {"below zero", {"-12.3,-3.2", "17.6,-1.5"}, -15, 20, -5, 0},
        {"smallest -3 rounds toward zero", {"-3,1.2", "4,1.5"}, 0, 5, 0, 3},
        {"smallest -7", {"-7,100", "4,100"}, -10, 5, 98, 102},
        {"all right of the centre", {"3,100", "12,100"}, 0, 15, 98, 102},
        {"a half goes to the even neighbour", {"-4.5,100", "24.5,100"}, 0, 25, 98, 102},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        std::vector<std::string> lines = {"Dmh,S"};
        lines.insert(lines.end(), row.points.begin(), row.points.end());
        f.Sections(lines);
        const Drawing& d = f.Drawn(DrawCrossSections(f.context, 0, 0, ""));
        EXPECT_EQ(GridColumns(d), std::make_pair(row.left, row.right));
        EXPECT_EQ(GridRows(d), std::make_pair(row.low, row.high));
    }
}

TEST(CrossSectionPlot, UnifiedAxis) {
    struct Row {
        const char* name;
        double a, b;
        double lowest_label, highest_label;
        double grid_height;  // (high - low) * E
    };
    const Row rows[] = {
        {"10 to 20", 10, 20, 10, 20, 20},
        {"20 to 10", 20, 10, 10, 20, 20},
        {"0 to 15", 0, 15, 0, 15, 30},
        {"a fraction", 10.5, 20, 10, 20, 19},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        f.Sections({"Dmh,A", "-5,12", "5,13", "Dmh,B", "-5,30", "5,31"});
        const Drawing& d = f.Drawn(DrawCrossSections(f.context, row.a, row.b, ""));
        // Both sections get the same axis: the same labels twice.
        std::map<double, int> labels;
        for (const auto* t : TextsOn(d, "横_格网"))
            if (t->horizontal == 2) ++labels[std::stod(t->text)];
        ASSERT_FALSE(labels.empty());
        EXPECT_EQ(labels.begin()->first, row.lowest_label);
        EXPECT_EQ(labels.rbegin()->first, row.highest_label);
        for (const auto& [value, count] : labels) EXPECT_EQ(count, 2) << value;
        for (const auto* l : LinesOn(d, "横_格网")) {
            if (l->vertices[0].x == l->vertices[1].x) {
                EXPECT_NEAR(l->vertices[0].y - l->vertices[1].y, row.grid_height, kTol);
            }
        }
    }
    // A fractional bottom leaves the lowest line (at 10) half a metre below the grid.
    PlotFixture f;
    f.Sections({"Dmh,A", "-5,12", "5,13"});
    const Drawing& d = f.Drawn(DrawCrossSections(f.context, 10.5, 20, ""));
    double base = INFINITY, lowest = INFINITY;
    for (const auto* l : LinesOn(d, "横_格网")) {
        if (l->vertices[0].x == l->vertices[1].x)
            base = std::min(base, l->vertices[1].y);
        else
            lowest = std::min(lowest, l->vertices[0].y);
    }
    EXPECT_NEAR(base - lowest, 0.5 * 2, kTol);
}

TEST(CrossSectionPlot, AutomaticAxesDifferPerSection) {
    PlotFixture f;
    f.Sections({"Dmh,A", "-5,12", "5,13", "Dmh,B", "-5,30", "5,31"});
    const Drawing& d = f.Drawn(DrawCrossSections(f.context, 0, 0, ""));
    std::set<std::string> labels;
    for (const auto* t : TextsOn(d, "横_格网"))
        if (t->horizontal == 2) labels.insert(t->text);
    EXPECT_TRUE(labels.count("10.0") && labels.count("15.0") && labels.count("28.0") &&
                labels.count("33.0"));
    EXPECT_FALSE(labels.count("20.0"));
}

TEST(CrossSectionPlot, SectionsInSIndexOrderAndEmptyOnesSkipped) {
    PlotFixture f;
    // Z comes first in the file, E has no points and K1'20 carries an apostrophe.
    f.Sections({"Dmh,Z", "-5,12", "5,13", "Dmh,E", "Dmh,K1'20", "-5,12", "5,13", "0,12.5"});
    const Drawing& d = f.Drawn(DrawCrossSections(f.context, 0, 0, ""));
    auto numbers = TextsOn(d, "横_断面号");
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_EQ(numbers[0]->text, "Z～Z'");
    EXPECT_EQ(numbers[1]->text, "K1'20～K1'20'");
    // Z's grid tops at -5 E; the next follows with a gap of 5 E, the empty section
    // leaving no room: both sections span 10 - 15 m, so each takes (5 + 5) E.
    EXPECT_NEAR(numbers[0]->position.y, -20 - 2.5, kTol);
    EXPECT_NEAR(numbers[1]->position.y, -40 - 2.5, kTol);
    EXPECT_EQ(testing::OnLayer<CircleEntity>(d, "横_高程点", Kind::Circle).size(), 5u);
    EXPECT_EQ(LinesOn(d, "横_断面线").size(), 2u);
}

TEST(CrossSectionPlot, TitleLayerOnlyWithATitleAndNoGroundLineForOnePoint) {
    PlotFixture f;
    f.Sections({"Dmh,A", "1,12"});
    const Drawing& d = f.Drawn(DrawCrossSections(f.context, 0, 0, ""));
    EXPECT_EQ(d.FindLayer("横_标题"), nullptr);
    EXPECT_TRUE(LinesOn(d, "横_断面线").empty());
    EXPECT_EQ(testing::OnLayer<CircleEntity>(d, "横_高程点", Kind::Circle).size(), 1u);
}

TEST(CrossSectionPlot, NothingToDrawOrNoHost) {
    PlotFixture f;
    EXPECT_EQ(DrawCrossSections(f.context, 0, 0, "T"), nullptr);
    EXPECT_EQ(DrawProfile(f.context, 0), nullptr);
    f.Sections({"Dmh,A"});  // a section without points
    EXPECT_EQ(DrawCrossSections(f.context, 0, 0, "T"), nullptr);
    EXPECT_TRUE(f.host.documents().empty());
    EXPECT_TRUE(f.ui.messages.empty());

    f.Sections({"Dmh,A", "1,12", "2,13"});
    f.context.host = nullptr;
    EXPECT_EQ(DrawCrossSections(f.context, 0, 0, "T"), nullptr);
    EXPECT_EQ(DrawProfile(f.context, 1000), nullptr);
    ASSERT_EQ(f.ui.messages.size(), 2u);
    EXPECT_EQ(f.ui.messages[0].title, "横断面图");
    EXPECT_EQ(f.ui.messages[1].title, "纵断面图");
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(f.ui.messages[i].text, "请打开AutoCAD系统！");
        EXPECT_EQ(f.ui.messages[i].icon, app::MessageIcon::Exclamation);
        EXPECT_TRUE(f.ui.shown_aside[i]);
    }
    EXPECT_FALSE(f.ui.aside);
}

// Counts what the plots tell the progress service.
struct RecordingProgress : app::Progress {
    std::vector<std::string> events;
    void Start(std::string_view what, long total) override {
        events.push_back(std::string(what) + " " + std::to_string(total));
    }
    void Step(long done) override { events.push_back(std::to_string(done)); }
    void Finish() override { events.push_back("finish"); }
};

TEST(PlotProgress, OneStepPerSection) {
    PlotFixture f;
    RecordingProgress progress;
    f.context.progress = &progress;
    f.Sections({"Dmh,A", "1,12", "2,13", "Dmh,B", "Dmh,C", "1,12"});
    DrawCrossSections(f.context, 0, 0, "");
    DrawProfile(f.context, 0);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"横断面图 3", "1", "2", "3", "finish",
                                                         "纵断面图 3", "1", "2", "3", "finish"}));
}

TEST(ProfileChainage, KilometresPlusMetres) {
    const std::pair<double, const char*> rows[] = {{1234.56, "1+234.6"},
                                                   {87.25, "0+87.3"},
                                                   {1999.7, "1+999.7"},
                                                   {0, "0+0.0"},
                                                   {12000, "12+0.0"},
                                                   // metres that round to 1000 carry
                                                   {1999.97, "2+0.0"},
                                                   {999.96, "1+0.0"},
                                                   {999.94, "0+999.9"},
                                                   {2999.951, "3+0.0"},
                                                   // negatives keep the plain split
                                                   {-3, "0+-3.0"}};
    for (const auto& [chainage, text] : rows) EXPECT_EQ(ChainageText(chainage), text) << chainage;
}

// A slipped key in a hand-written file must not make a plot run for ever: the section
// is refused by name with its range, the others are drawn.
TEST(PlotGuard, ASectionNeedingTooManyGridLinesIsRefusedAndTheOthersDrawn) {
    struct Row {
        const char* name;
        std::vector<std::string> bad;  // the points of section X
        std::string cross_message;     // empty: drawn
        std::string profile_message;   // empty: drawn
    };
    const std::string tail = "），网格线将超过10000条，该断面未绘制。";
    const Row rows[] = {
        {"elevation 1e9",
         {"0,10", "5,1e9"},
         "断面“X”的范围过大（偏距 0～10，高程 8～1000000002" + tail,
         "断面“X”的范围过大（高程 8～1000000002" + tail},
        {"elevations -1e9 and 1e9",
         {"0,-1e9", "5,1e9"},
         "断面“X”的范围过大（偏距 0～10，高程 -1000000001～1000000002" + tail,
         "断面“X”的范围过大（高程 -1000000001～1000000002" + tail},
        {"offset 1e9",
         {"0,10", "1e9,11"},
         "断面“X”的范围过大（偏距 0～1000000005，高程 8～13" + tail,
         ""},
        {"just within", {"0,10", "9000,9000"}, "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        f.SymbolDrawing();
        std::vector<std::string> lines = {"Dmh,A", "0,10", "5,11", "Dmh,X"};
        lines.insert(lines.end(), row.bad.begin(), row.bad.end());
        lines.insert(lines.end(), {"Dmh,B", "0,20", "5,21"});
        f.Sections(lines);

        const Drawing& cross = f.Drawn(DrawCrossSections(f.context, 0, 0, ""));
        EXPECT_NE(FindText(cross, "横_断面号", "A～A'"), nullptr);
        EXPECT_NE(FindText(cross, "横_断面号", "B～B'"), nullptr);
        EXPECT_EQ(FindText(cross, "横_断面号", "X～X'") == nullptr, !row.cross_message.empty());
        const Drawing& profile = f.Drawn(DrawProfile(f.context, 0));
        EXPECT_EQ(TextsOn(profile, "纵_标题").size(), row.profile_message.empty() ? 6u : 4u);

        std::vector<std::string> shown;
        for (const auto& m : f.ui.messages) shown.push_back(m.title + "：" + m.text);
        std::vector<std::string> expected;
        if (!row.cross_message.empty()) expected.push_back("横断面图：" + row.cross_message);
        if (!row.profile_message.empty()) expected.push_back("纵断面图：" + row.profile_message);
        EXPECT_EQ(shown, expected);
    }
}

// A scale of 0 or less in Velorin.ini would put infinite coordinates into the drawing.
TEST(PlotGuard, AScaleNotAboveZeroIsRefusedNamingTheSetting) {
    struct Row {
        const char* name;
        double h, v;
        std::string message;
    };
    const Row rows[] = {
        {"VScale 0", 0.2, 0, "设置“VScale”的值0无效：绘图比例必须大于0，请在Velorin.ini中改正。"},
        {"HScale 0", 0, 0.1, "设置“HScale”的值0无效：绘图比例必须大于0，请在Velorin.ini中改正。"},
        {"HScale negative", -0.5, 0.1,
         "设置“HScale”的值-0.5无效：绘图比例必须大于0，请在Velorin.ini中改正。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        f.SymbolDrawing();
        f.Sections({"Dmh,A", "0,10", "5,11"});
        f.settings().HScale = row.h;
        f.settings().VScale = row.v;
        EXPECT_EQ(DrawCrossSections(f.context, 0, 0, "T"), nullptr);
        EXPECT_EQ(DrawProfile(f.context, 0), nullptr);
        EXPECT_TRUE(f.host.documents().empty());
        ASSERT_EQ(f.ui.messages.size(), 2u);
        EXPECT_EQ(f.ui.messages[0].title, "横断面图");
        EXPECT_EQ(f.ui.messages[1].title, "纵断面图");
        for (const auto& m : f.ui.messages) {
            EXPECT_EQ(m.text, row.message);
            EXPECT_EQ(m.icon, app::MessageIcon::Exclamation);
        }
    }
}

TEST(ProfilePlot, FrameTableRulerAndPoints) {
    PlotFixture f;
    f.SymbolDrawing();
    f.Sections({"Dmh,R", "3.2,12.34", "100,15.6", "187.9,13"});
    // With the start chainage 1000 the points lie at 1003.2 .. 1187.9: frame 995 .. 1190.
    // low 10, high 17; offset = -((17 - 10 + 2) E + 200 H) = -58; y(h) = 2 h - 58;
    // bottom y(9) = -40, top y(18) = -22, table bottom -40 - 21 = -61.
    const Drawing& d = f.Drawn(DrawProfile(f.context, 1000));
    std::set<std::vector<double>> frame;
    for (const auto* l : LinesOn(d, "纵_表格"))
        frame.insert({l->vertices[0].x, l->vertices[0].y, l->vertices[1].x, l->vertices[1].y});
    std::set<std::vector<double>> want = {{995, -61, 995, -22},  {992, -40, 992, -22},
                                          {990, -61, 990, -22},  {1190, -61, 1190, -22},
                                          {990, -22, 1190, -22}, {990, -40, 1190, -40}};
    for (int k = 15; k <= 105; k += 15) want.insert({990, -40 - k * 0.2, 1190, -40 - k * 0.2});
    ASSERT_EQ(frame.size(), want.size());
    for (auto a = frame.begin(), b = want.begin(); a != frame.end(); ++a, ++b)
        for (int i = 0; i < 4; ++i) EXPECT_NEAR((*a)[i], (*b)[i], 1e-9);

    const char* titles[] = {"坡度及距离", "竖曲线", "设计比实际高", "设计路面高",
                            "地面高",     "桩号",   "平曲线"};
    for (int r = 1; r <= 7; ++r) {
        const TextEntity* t = FindText(d, "纵_表格", titles[r - 1]);
        ASSERT_NE(t, nullptr) << titles[r - 1];
        EXPECT_NEAR(t->alignment_point.x, 992.5, kTol);
        EXPECT_NEAR(t->alignment_point.y, -40 - 3 * r + 1.5, 1e-9);
    }
    EXPECT_NEAR(FindText(d, "纵_表格", "高")->alignment_point.y, 2 * (10 + 0.66 * 8) - 58, 1e-9);
    EXPECT_NEAR(FindText(d, "纵_表格", "程")->alignment_point.y, 2 * (10 + 0.33 * 8) - 58, 1e-9);

    auto ticks = LinesOn(d, "纵_高程标尺");
    ASSERT_EQ(ticks.size(), 8u);
    for (int j = 10; j <= 17; ++j) {
        EXPECT_NEAR(ticks[j - 10]->vertices[0].x, 994.6, 1e-9);
        EXPECT_NEAR(ticks[j - 10]->vertices[1].x, 995, kTol);
        EXPECT_NEAR(ticks[j - 10]->vertices[0].y, 2 * j - 58, kTol);
        const TextEntity* label = FindText(d, "纵_高程标尺", std::to_string(j) + ".0");
        ASSERT_NE(label, nullptr) << j;
        EXPECT_NEAR(label->alignment_point.x, 994.4, 1e-9);
        EXPECT_EQ(label->horizontal, 2);
    }

    const double xs[] = {1003.2, 1100, 1187.9};
    const char* heights[] = {"12.340", "15.600", "13.000"};
    const char* chainages[] = {"1+3.2", "1+100.0", "1+187.9"};
    for (int k = 0; k < 3; ++k) {
        const TextEntity* h = FindText(d, "纵_断面数据", heights[k]);
        const TextEntity* c = FindText(d, "纵_断面数据", chainages[k]);
        ASSERT_TRUE(h && c) << k;
        EXPECT_NEAR(h->alignment_point.x, xs[k], 1e-9);
        EXPECT_NEAR(h->alignment_point.y, -53.5, 1e-9);
        EXPECT_NEAR(c->alignment_point.y, -56.5, 1e-9);
        EXPECT_NEAR(h->rotation, 90, 1e-6);
        EXPECT_NEAR(c->rotation, 90, 1e-6);
        EXPECT_NEAR(h->height, 0.48, kTol);
        EXPECT_NEAR(c->height, 0.4, kTol);
    }
    EXPECT_EQ(TextsOn(d, "纵_断面数据").size(), 6u);  // only the two filled rows

    const TextEntity* title = FindText(d, "纵_标题", "ＸＸ市ＸＸ路横断面图");
    const TextEntity* scales = FindText(d, "纵_标题", "水平 1：200  垂直 1：100");
    ASSERT_TRUE(title && scales);
    EXPECT_NEAR(title->alignment_point.x, 1092.5, 1e-9);
    EXPECT_NEAR(title->alignment_point.y, -16, 1e-9);
    EXPECT_NEAR(scales->alignment_point.y, -20, 1e-9);

    auto ground = LinesOn(d, "纵_断面线");
    ASSERT_EQ(ground.size(), 1u);
    ASSERT_EQ(ground[0]->vertices.size(), 3u);
    EXPECT_NEAR(ground[0]->vertices[1].y, 2 * 15.6 - 58, 1e-9);
    auto notes = TextsOn(d, "纵_注字");
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_NEAR(notes[0]->alignment_point.y, 2 * 9.5 - 58, 1e-9);
    auto symbols = testing::OnLayer<InsertEntity>(d, "纵_点位", Kind::Insert);
    ASSERT_EQ(symbols.size(), 3u);
    EXPECT_EQ(symbols[2]->Name(), "展点");
    EXPECT_NEAR(symbols[2]->position.x, 1187.9, 1e-9);
    EXPECT_NEAR(symbols[2]->x_scale, 0.4, kTol);
}

TEST(ProfilePlot, FrameStart) {
    struct Row {
        const char* name;
        std::vector<std::string> points;
        double start_x, end_x;
    };
    const Row rows[] = {
        {"from zero", {"0,10", "187.9,11"}, 0, 190},
        {"within 100 paper millimetres of zero", {"15,10", "50,11"}, 0, 55},
        {"further out", {"30,10", "50,11"}, 25, 55},
        {"before zero", {"-12,10", "50,11"}, 0, 55},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PlotFixture f;
        std::vector<std::string> lines = {"Dmh,R"};
        lines.insert(lines.end(), row.points.begin(), row.points.end());
        f.Sections(lines);
        const Drawing& d = f.Drawn(DrawProfile(f.context, 0));
        double lo = INFINITY, hi = -INFINITY;
        for (const auto* l : LinesOn(d, "纵_表格"))
            if (l->vertices[0].x == l->vertices[1].x)
                lo = std::min(lo, l->vertices[0].x), hi = std::max(hi, l->vertices[0].x);
        EXPECT_NEAR(lo, row.start_x - 25 * 0.2, kTol);  // the left border
        EXPECT_NEAR(hi, row.end_x, kTol);
    }
}

TEST(ProfilePlot, StartChainageDoesNotAccumulate) {
    PlotFixture f;
    f.Sections({"Dmh,R", "3.2,12", "20,13"});
    std::vector<std::string> first, second;
    for (auto* out : {&first, &second}) {
        const Drawing& d = f.Drawn(DrawProfile(f.context, 1000.5));
        for (const auto* t : TextsOn(d, "纵_断面数据")) out->push_back(t->text);
    }
    EXPECT_EQ(first, second);
    EXPECT_NE(std::find(first.begin(), first.end(), "1+3.7"), first.end());
    // The store keeps the chainages as loaded.
    auto sections = sectionfile::SectionsOfStore(*f.program.store);
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_DOUBLE_EQ(sections[0].points[0].chainage, 3.2);
    EXPECT_DOUBLE_EQ(sections[0].points[1].chainage, 20);
}

TEST(ProfilePlot, StackedProfilesAndASinglePoint) {
    PlotFixture f;
    f.SymbolDrawing();
    f.Sections({"Dmh,A", "0,10", "50,11", "Dmh,B'1", "25,30"});  // an apostrophe is no obstacle
    const Drawing& d = f.Drawn(DrawProfile(f.context, 0));
    auto titles = TextsOn(d, "纵_标题");
    ASSERT_EQ(titles.size(), 4u);  // a title and a scale line each
    // A: low 8, high 13, offset -54, top y(14) = -26. B below it by its own height:
    // low 28, high 32, offset -54 - 52 = -106, top y(33) = -40.
    EXPECT_NEAR(titles[0]->alignment_point.y, -26 + 6, 1e-9);
    EXPECT_NEAR(titles[2]->alignment_point.y, -40 + 6, 1e-9);
    EXPECT_EQ(LinesOn(d, "纵_断面线").size(), 1u);  // the single point draws none
    EXPECT_EQ(TextsOn(d, "纵_注字").size(), 3u);
    EXPECT_EQ((testing::OnLayer<InsertEntity>(d, "纵_点位", Kind::Insert).size()), 3u);
    EXPECT_EQ(LinesOn(d, "纵_高程标尺").size(), 5u + 6u);  // 8..12 and 28..33
}

}  // namespace
}  // namespace velorin::plots
