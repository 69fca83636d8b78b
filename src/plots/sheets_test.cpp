// Cross-sections on A3 sheets as the user finds them: places worked out by hand from the
// paper, margins and gaps; frames and title blocks; every section's entities those of the
// single column moved by one offset; a section too tall refused by name with nothing drawn.
#include "plots/sheets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "plots/plot_fixture.h"

namespace velorin::plots {
namespace {

using namespace cad::embedded;
using testing::PlotFixture;
using testing::TextsOn;

constexpr double kTol = 1e-9;

// A3 landscape with margins 25/10/10/10: border x 25..410, y 10..287; title block
// 180 x 24 in its lower right corner; sections in x 30..405, y 39..282 (375 x 243 mm).
app::SheetSettings A3() {
    app::SheetSettings s;
    s.on = true;
    return s;
}

TEST(SheetPaper, A3LandscapeAndA4PortraitBoxes) {
    struct Row {
        const char* name;
        const char* paper;
        bool landscape;
        double width, height;
        PaperBox area, title;
    };
    const Row rows[] = {
        {"A3 landscape", "A3", true, 420, 297, {30, 39, 405, 282}, {230, 10, 410, 34}},
        {"A4 portrait", "A4", false, 210, 297, {30, 39, 195, 282}, {25, 10, 200, 34}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        app::SheetSettings s = A3();
        s.paper = r.paper, s.landscape = r.landscape;
        SheetPaper p = PaperOf(s);
        EXPECT_EQ(p.width, r.width);
        EXPECT_EQ(p.height, r.height);
        EXPECT_EQ(p.area.left, r.area.left);
        EXPECT_EQ(p.area.bottom, r.area.bottom);
        EXPECT_EQ(p.area.right, r.area.right);
        EXPECT_EQ(p.area.top, r.area.top);
        EXPECT_EQ(p.title.left, r.title.left);
        EXPECT_EQ(p.title.top, r.title.top);
    }
}

// Rooms in drawing units at 1:200 (0.2 units a millimetre).
SectionRoom Room(const char* name, double left_mm, double right_mm, double top_mm) {
    SectionRoom r;
    r.section = name;
    r.left = left_mm * 0.2, r.right = right_mm * 0.2;
    r.bottom = -5 * 0.2, r.top = top_mm * 0.2;
    r.grid_width = (right_mm - left_mm - 20) * 0.2, r.grid_height = (top_mm - 10) * 0.2;
    return r;
}

TEST(SheetLayout, DownTheColumnThenAcrossThenOnTheNextSheet) {
    struct Row {
        const char* name;
        double left_mm, right_mm;  // each room 105 mm high: 100 above the grid's foot, 5 below
        std::vector<SheetPlace> expected;
        int sheets;
    };
    const Row rows[] = {
        // 320 wide: two fill the column (282-105-10-105 = 62 > 39), the third does not fit
        // below (52-105 < 39) nor beside (30+320+10+320 > 405): a second sheet.
        {"wide spill onto sheet 2", -20, 300, {{0, 50, 182}, {0, 50, 67}, {1, 50, 182}}, 2},
        // 150 wide: the third starts a second column at 30+150+10 = 190.
        {"narrow second column", -10, 140, {{0, 40, 182}, {0, 40, 67}, {0, 200, 182}}, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<SectionRoom> rooms(3, Room("K", r.left_mm, r.right_mm, 100));
        SheetLayout layout = LayOutSheets(rooms, A3(), 0.2, 0.1);
        ASSERT_TRUE(layout.refusal.empty()) << layout.refusal;
        EXPECT_EQ(layout.sheets, r.sheets);
        ASSERT_EQ(layout.places.size(), 3u);
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(layout.places[k].sheet, r.expected[k].sheet) << k;
            EXPECT_NEAR(layout.places[k].x, r.expected[k].x, 1e-9) << k;
            EXPECT_NEAR(layout.places[k].y, r.expected[k].y, 1e-9) << k;
        }
    }
}

TEST(SheetLayout, TooTallSectionRefusedByNameWithTheScaleThatFits) {
    // 305 mm high of which 280 grid: 243 - 25 = 218 mm for the grid needs 1:100 x 280/218
    // = 1:128.4, the next usual scale is 1:200.
    SectionRoom tall = Room("K9+900", -10, 140, 300);
    tall.grid_height = 280 * 0.2;
    SheetLayout layout = LayOutSheets({Room("K0", -10, 140, 100), tall}, A3(), 0.2, 0.1);
    EXPECT_TRUE(layout.places.empty());
    EXPECT_NE(layout.refusal.find("断面“K9+900”"), std::string::npos) << layout.refusal;
    EXPECT_NE(layout.refusal.find("A3 横向"), std::string::npos) << layout.refusal;
    EXPECT_NE(layout.refusal.find("150 × 305 毫米"), std::string::npos) << layout.refusal;
    EXPECT_NE(layout.refusal.find("375 × 243 毫米"), std::string::npos) << layout.refusal;
    EXPECT_NE(layout.refusal.find("垂直比例改为 1：200"), std::string::npos) << layout.refusal;
    EXPECT_EQ(layout.refusal.find("水平比例"), std::string::npos) << layout.refusal;
}

TEST(SheetLayout, UsualScales) {
    const std::pair<double, double> rows[] = {{128.4, 200}, {200, 200},  {201, 250},
                                              {260, 500},   {501, 1000}, {1001, 2000}};
    for (auto [need, usual] : rows) EXPECT_EQ(UsualScaleAtLeast(need), usual) << need;
}

// Three sections 60 m wide with heights from 12.x to 15.x: grid x -35..35, y 10..17.
// Room: labels "10.0" 4 x 0.8 x 0.6 x 0.8 = 1.536 wide beyond 2H = 0.4, so x -36.936 ..
// 36.936 (369.36 mm); y -2.5 (the number, 6.25 H E below) .. 15 (14 + 5 H): 87.5 mm.
const std::vector<std::string> kThree = {"Dmh,S1", "-30,12",   "0,15",   "30,13",
                                         "Dmh,S2", "-30,12.5", "0,15.5", "30,13.5",
                                         "Dmh,S3", "-30,12.9", "0,15.9", "30,12.2"};

struct Offset {
    double dx, dy;
};
// Column bases -24, -48, -72. Sheet places: x 30 + 184.68 = 214.68 mm (42.936 units), y
// 282 - 75 = 207 mm (41.4) then 207 - 97.5 = 109.5 mm (21.9); the third on sheet 2,
// 440 mm further right.
const Offset kExpected[] = {{42.936, 41.4 + 24}, {42.936, 21.9 + 48}, {130.936, 41.4 + 72}};

std::vector<Point2> PointsOf(const EntityBase& e) {
    switch (e.kind) {
        case Kind::LwPolyline: {
            std::vector<Point2> out;
            for (const auto& v : static_cast<const PolylineEntity&>(e).vertices)
                out.push_back({v.x, v.y});
            return out;
        }
        case Kind::Text: {
            const auto& t = static_cast<const TextEntity&>(e);
            return {{t.position.x, t.position.y}, {t.alignment_point.x, t.alignment_point.y}};
        }
        case Kind::Circle: {
            const auto& c = static_cast<const CircleEntity&>(e);
            return {{c.centre.x, c.centre.y}};
        }
        default:
            return {};
    }
}

std::vector<const EntityBase*> SectionEntities(const Drawing& d) {
    std::vector<const EntityBase*> out;
    for (const auto& e : d.entities())
        if (e->Layer().rfind("横_", 0) == 0 && e->Layer() != "横_标题") out.push_back(e.get());
    return out;
}

TEST(SheetPlot, SectionsAreTheColumnsEntitiesMovedByOneOffsetEach) {
    PlotFixture column, sheets;
    column.Sections(kThree);
    sheets.Sections(kThree);
    const Drawing& c = column.Drawn(DrawCrossSections(column.context, 0, 0, "T"));
    SheetPlot plot = DrawCrossSectionSheets(sheets.context, 0, 0, "T", A3());
    ASSERT_NE(plot.doc, nullptr);
    const Drawing& s = sheets.Drawn(plot.doc);

    auto a = SectionEntities(c), b = SectionEntities(s);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(a.size(), 3u * 54);  // 15 + 7 + 8 + 16 grid, number, line, 3 + 3 points
    std::map<int, int> per_section;
    for (size_t k = 0; k < a.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(a[k]->kind, b[k]->kind);
        EXPECT_EQ(a[k]->Layer(), b[k]->Layer());
        auto pa = PointsOf(*a[k]), pb = PointsOf(*b[k]);
        ASSERT_EQ(pa.size(), pb.size());
        ASSERT_FALSE(pa.empty());
        // The section this entity belongs to: the first 54 entities, the next 54, ...
        const Offset& o = kExpected[k / 54];
        ++per_section[static_cast<int>(k / 54)];
        for (size_t i = 0; i < pa.size(); ++i) {
            EXPECT_NEAR(pb[i].x - pa[i].x, o.dx, kTol);
            EXPECT_NEAR(pb[i].y - pa[i].y, o.dy, kTol);
        }
        if (a[k]->kind == Kind::Text) {
            const auto& ta = static_cast<const TextEntity&>(*a[k]);
            const auto& tb = static_cast<const TextEntity&>(*b[k]);
            EXPECT_EQ(ta.text, tb.text);
            EXPECT_EQ(ta.height, tb.height);
            EXPECT_EQ(ta.width_factor, tb.width_factor);
            EXPECT_EQ(ta.horizontal, tb.horizontal);
            EXPECT_EQ(ta.vertical, tb.vertical);
        }
        if (a[k]->kind == Kind::LwPolyline) {
            const auto& la = static_cast<const PolylineEntity&>(*a[k]);
            const auto& lb = static_cast<const PolylineEntity&>(*b[k]);
            for (size_t i = 0; i < la.vertices.size(); ++i)
                EXPECT_EQ(la.vertices[i].start_width, lb.vertices[i].start_width);
        }
    }
    EXPECT_EQ(per_section.size(), 3u);
    EXPECT_TRUE(TextsOn(s, "横_标题").empty());
}

TEST(SheetPlot, FramesAndTitleBlocksOfTwoSheets) {
    PlotFixture f;
    f.Sections(kThree);
    f.settings().PlotTitle = "示例路横断面图";
    SheetPlot plot = DrawCrossSectionSheets(f.context, 0, 0, "示例路横断面图", A3());
    ASSERT_NE(plot.doc, nullptr);
    const Drawing& d = f.Drawn(plot.doc);
    ASSERT_EQ(plot.sheets.size(), 2u);
    EXPECT_EQ(plot.paper_width, 420);
    EXPECT_EQ(plot.paper_height, 297);
    // Sheet 2 starts 420 + 20 mm right of sheet 1: 88 units at 1:200.
    EXPECT_NEAR(plot.sheets[1].min_x, 88, kTol);
    EXPECT_NEAR(plot.sheets[1].max_x, 172, kTol);
    EXPECT_NEAR(plot.sheets[0].max_y, 59.4, kTol);

    // Trim line and inner border per sheet, closed.
    auto frames = testing::LinesOn(d, "图_图框");
    ASSERT_EQ(frames.size(), 4u);
    struct Row {
        const char* name;
        double x0, y0, x1, y1;
    } const rows[] = {{"trim 1", 0, 0, 84, 59.4},
                      {"border 1", 5, 2, 82, 57.4},
                      {"trim 2", 88, 0, 172, 59.4},
                      {"border 2", 93, 2, 170, 57.4}};
    for (size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(rows[k].name);
        ASSERT_EQ(frames[k]->vertices.size(), 4u);
        EXPECT_TRUE(frames[k]->closed);
        EXPECT_NEAR(frames[k]->vertices[0].x, rows[k].x0, kTol);
        EXPECT_NEAR(frames[k]->vertices[0].y, rows[k].y0, kTol);
        EXPECT_NEAR(frames[k]->vertices[2].x, rows[k].x1, kTol);
        EXPECT_NEAR(frames[k]->vertices[2].y, rows[k].y1, kTol);
    }

    std::vector<std::string> texts;
    for (const auto* t : TextsOn(d, "图_标题栏")) texts.push_back(t->text);
    const std::vector<std::string> expected = {
        "示例路横断面图", "水平比例 1：200  垂直比例 1：100", "日期：2024-5-6", "第 1 张 共 2 张",
        "示例路横断面图", "水平比例 1：200  垂直比例 1：100", "日期：2024-5-6", "第 2 张 共 2 张"};
    EXPECT_EQ(texts, expected);
    // "第 2 张" right-aligned 3 mm inside sheet 2's title block: x (440 + 407) x 0.2.
    const auto* second = testing::FindText(d, "图_标题栏", "第 2 张 共 2 张");
    ASSERT_NE(second, nullptr);
    EXPECT_NEAR(second->alignment_point.x, 169.4, kTol);
    EXPECT_NEAR(second->alignment_point.y, 2.8, kTol);
}

TEST(SheetPlot, TooTallSectionDrawsNothingAndIsNamed) {
    PlotFixture f;
    // Heights 0 .. 60: grid -1 .. 62, 126 units = 630 mm; 647.5 mm with the texts, so the
    // grid gets 243 - 17.5 = 225.5 mm: 1:100 x 630/225.5 = 1:279.4, usual 1:500.
    f.Sections({"Dmh,K1", "-5,12", "5,13", "Dmh,高", "-5,0", "0,60"});
    size_t before = f.host.documents().size();
    SheetPlot plot = DrawCrossSectionSheets(f.context, 0, 0, "T", A3());
    EXPECT_EQ(plot.doc, nullptr);
    EXPECT_EQ(f.host.documents().size(), before);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    const std::string& text = f.ui.messages[0].text;
    EXPECT_EQ(f.ui.messages[0].title, "横断面图");
    EXPECT_NE(text.find("断面“高”"), std::string::npos) << text;
    EXPECT_NE(text.find("垂直比例改为 1：500"), std::string::npos) << text;
    EXPECT_NE(text.find("未生成图形"), std::string::npos) << text;
}

TEST(SheetPlot, UnsoundSettingsRefusedWithTheirCause) {
    PlotFixture f;
    f.Sections(kThree);
    struct Row {
        const char* name;
        app::SheetSettings settings;
        const char* cause;
    };
    app::SheetSettings b5 = A3(), margins = A3();
    b5.paper = "B5";
    margins.left = 300, margins.right = 100;  // 20 mm left across
    const Row rows[] = {{"unknown paper", b5, "图纸“B5”不认识"},
                        {"margins too wide", margins, "图纸边距太大"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        f.ui.messages.clear();
        EXPECT_EQ(DrawCrossSectionSheets(f.context, 0, 0, "T", r.settings).doc, nullptr);
        ASSERT_EQ(f.ui.messages.size(), 1u);
        EXPECT_NE(f.ui.messages[0].text.find(r.cause), std::string::npos) << f.ui.messages[0].text;
    }
}

// --- Profiles on sheets ---

// A3 landscape, 1:200 / 1:100: the frame area is 375 mm wide, 350 of it right of the
// caption column: 70 m of chainage a sheet, cut on whole 5 m.
TEST(ProfileSheetLayout, CutsPlacesAndRefusals) {
    struct Row {
        const char* name;
        const char* section;
        double start_x, end_x, low, high, first;
        double H;
        std::vector<ProfilePiece> pieces;
        std::vector<double> xs;  // paper x of each piece's left border
        const char* refusal;
    };
    const Row rows[] = {
        // Frame 0 .. 105: 70 m on the first sheet, the other 35 on the second.
        {"spills onto a second sheet",
         "L",
         0,
         105,
         9,
         16,
         0,
         0.2,
         {{0, 0, 70}, {0, 70, 105}},
         {30, 30},
         nullptr},
        // Points from -30 m, framed from 0: 150 mm before the frame and 2 for the marks, so
        // the border moves 127 mm right and 223 mm are left: 40 m, more than the 35 needed.
        {"points before the frame", "C", 0, 35, 9, 16, -30, 0.2, {{0, 0, 35}}, {157}, nullptr},
        // (22 + 2) m at 1:100 and the 105 mm table: 345 mm. 243 - 105 = 138 mm for the
        // frame: 1:100 x 24/13.8 = 1:173.9, the usual 1:200.
        {"too tall",
         "高",
         0,
         105,
         0,
         22,
         0,
         0.2,
         {},
         {},
         "纵断面“高”在 A3 横向图纸上放不下：按现在的比例高 345 毫米，图框内只有 243 毫米；"
         "垂直比例改为 1：200 可放下。未生成图形。"},
        // 1:10 puts only 3.5 m on a sheet: 5 m need 5 / 350 x 1000 = 1:14.3, the usual 1:20.
        {"too narrow for 5 m",
         "窄",
         0,
         105,
         9,
         16,
         0,
         0.01,
         {},
         {},
         "纵断面“窄”在 A3 横向图纸上放不下：起点前的点和表头要 25 毫米宽，再加 5 米纵断面，"
         "图框内只有 375 毫米；水平比例改为 1：20 可放下。未生成图形。"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ProfileRoom room{r.section, r.start_x, r.end_x, r.low, r.high, r.first};
        ProfileSheetLayout layout = LayOutProfileSheets({room}, A3(), r.H, 0.1);
        EXPECT_EQ(layout.refusal, r.refusal ? r.refusal : "");
        ASSERT_EQ(layout.pieces.size(), r.pieces.size());
        EXPECT_EQ(layout.sheets, static_cast<int>(r.pieces.size()));
        for (size_t k = 0; k < r.pieces.size(); ++k) {
            EXPECT_EQ(layout.pieces[k].from, r.pieces[k].from) << k;
            EXPECT_EQ(layout.pieces[k].to, r.pieces[k].to) << k;
            EXPECT_EQ(layout.places[k].sheet, static_cast<int>(k));
            EXPECT_NEAR(layout.places[k].x, r.xs[k], 1e-9) << k;
            EXPECT_EQ(layout.places[k].y, 282);  // the frame's top at the area's top
        }
    }
}

// A profile 100 m long at 1:200 / 1:100: frame 0 .. 105, low 9, high 16, E = 2, offset -58,
// top of the frame y(17) = -24. Cut at 70. Piece 1 drawn from (-5, -24) to paper (30, 282)
// mm on sheet 1: moved by (11, 80.4); piece 2 from (65, -24) to (470, 282) mm: (29, 80.4).
TEST(ProfileSheets, CutAtSeventyMetresWithTheTableContinued) {
    PlotFixture f;
    f.SymbolDrawing();
    f.Sections({"Dmh,L", "0,12", "30,14.5", "65,13.2", "80,11.4", "100,12.6"});
    f.settings().PlotTitle = "示例路纵断面图";
    SheetPlot plot = DrawProfileSheets(f.context, 0, "示例路纵断面图", A3());
    ASSERT_NE(plot.doc, nullptr) << (f.ui.messages.empty() ? "" : f.ui.messages[0].text);
    const Drawing& d = f.Drawn(plot.doc);
    ASSERT_EQ(plot.sheets.size(), 2u);
    auto y = [](double h) { return 2 * h - 58 + 80.4; };

    // The ground line cut where the sheet ends, at 70 m, between 65 m and 80 m.
    auto ground = testing::LinesOn(d, "纵_断面线");
    ASSERT_EQ(ground.size(), 2u);
    const std::vector<std::vector<Point2>> lines = {
        {{11, y(12)}, {41, y(14.5)}, {76, y(13.2)}, {81, y(12.6)}},
        {{99, y(12.6)}, {109, y(11.4)}, {129, y(12.6)}}};
    for (size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(ground[k]->vertices.size(), lines[k].size());
        for (size_t i = 0; i < lines[k].size(); ++i) {
            EXPECT_NEAR(ground[k]->vertices[i].x, lines[k][i].x, kTol);
            EXPECT_NEAR(ground[k]->vertices[i].y, lines[k][i].y, kTol);
            if (i + 1 < lines[k].size()) {
                EXPECT_NEAR(ground[k]->vertices[i].start_width, 0.06, kTol);
            }
        }
    }

    // Each sheet's frame: left border, start of the chainages, right border.
    std::vector<std::set<double>> verticals(2);
    for (const auto* l : testing::LinesOn(d, "纵_表格"))
        if (l->vertices[0].x == l->vertices[1].x)
            verticals[l->vertices[0].x < 88 ? 0 : 1].insert(std::round(l->vertices[0].x * 1e6) /
                                                            1e6);
    EXPECT_EQ(verticals[0], (std::set<double>{6, 8, 11, 81}));  // 30, 40, 55, 405 mm
    EXPECT_EQ(verticals[1], (std::set<double>{94, 96, 99, 134}));

    // The table continued: its row titles and the ruler on both sheets, each point's
    // chainage and elevation on the sheet of its stretch.
    std::map<std::string, std::vector<double>> xs;
    for (const auto* t : TextsOn(d, "纵_表格")) xs[t->text].push_back(t->alignment_point.x);
    for (const auto* t : TextsOn(d, "纵_高程标尺")) xs[t->text].push_back(t->alignment_point.x);
    for (const auto* t : TextsOn(d, "纵_断面数据")) xs[t->text].push_back(t->alignment_point.x);
    ASSERT_EQ(xs["桩号"].size(), 2u);
    EXPECT_NEAR(xs["桩号"][0], 8.5, kTol);
    EXPECT_NEAR(xs["桩号"][1], 96.5, kTol);
    EXPECT_EQ(xs["16.0"].size(), 2u);
    const std::pair<const char*, double> data[] = {{"0+0.0", 11},    {"0+30.0", 41},
                                                   {"0+65.0", 76},   {"0+80.0", 109},
                                                   {"0+100.0", 129}, {"14.500", 41}};
    for (auto [text, x] : data) {
        ASSERT_EQ(xs[text].size(), 1u) << text;
        EXPECT_NEAR(xs[text][0], x, kTol) << text;
    }
    EXPECT_EQ(TextsOn(d, "纵_注字").size(), 5u);
    EXPECT_EQ((testing::OnLayer<InsertEntity>(d, "纵_点位", Kind::Insert).size()), 5u);
    // The title goes into the title blocks, not above the pieces.
    EXPECT_TRUE(TextsOn(d, "纵_标题").empty());
    std::vector<std::string> sheet_texts;
    for (const auto* t : TextsOn(d, "图_标题栏")) sheet_texts.push_back(t->text);
    EXPECT_EQ(sheet_texts,
              (std::vector<std::string>{"示例路纵断面图", "水平比例 1：200  垂直比例 1：100",
                                        "日期：2024-5-6", "第 1 张 共 2 张", "示例路纵断面图",
                                        "水平比例 1：200  垂直比例 1：100", "日期：2024-5-6",
                                        "第 2 张 共 2 张"}));
}

TEST(ProfileSheets, TooTallProfileDrawsNothingAndIsNamed) {
    PlotFixture f;
    f.Sections({"Dmh,高", "0,0", "50,21.5"});
    size_t before = f.host.documents().size();
    SheetPlot plot = DrawProfileSheets(f.context, 0, "T", A3());
    EXPECT_EQ(plot.doc, nullptr);
    EXPECT_EQ(f.host.documents().size(), before);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].title, "纵断面图");
    EXPECT_NE(f.ui.messages[0].text.find("纵断面“高”"), std::string::npos) << f.ui.messages[0].text;
}

}  // namespace
}  // namespace velorin::plots
