// The computation as the user sees it: result rows, report lines, marks and message
// boxes. Geometry checks state their tolerance (half a millimetre unless said).
#include "coords/computation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "base/numbers.h"

namespace velorin::coords {
namespace {

const std::string kRule16 = [] {
    std::string s;
    for (int i = 0; i < 16; ++i) s += "—";
    return s;
}();
const std::string kRule24 = [] {
    std::string s;
    for (int i = 0; i < 24; ++i) s += "—";
    return s;
}();

struct Page {
    ControlTable control;
    ObservationList observations;
    ResultTable results;
    Computation run;

    Page(const std::vector<std::string>& control_lines,
         const std::vector<std::string>& survey_lines,
         ObservationMode mode = ObservationMode::DistanceHeight) {
        survey::ControlFile file = survey::ControlRowsFromText(control_lines, "k.ctl");
        EXPECT_TRUE(file.status.ok());
        control.rows = file.rows;
        observations.lines = survey::SurveyLinesFromText(survey_lines);
        observations.path = "/d/r1.sur";
        run = ComputeCoordinates(observations, control, results, mode);
    }
    const ResultRow* Row(const std::string& name) const {
        for (const auto& r : results.rows)
            if (r.name == name) return &r;
        return nullptr;
    }
    bool Reported(const std::string& line) const {
        return std::find(run.report.begin(), run.report.end(), line) != run.report.end();
    }
};

// Station S at (1000, 1000) with elevation 10; backsights in every direction.
const std::vector<std::string> kControl = {
    "S,1000,1000,10", "N,1100,1000,11", "SOUTH,900,1000,9",  "W,1000,900,10",
    "SW,900,900,10",  "NW,1100,900,10", "NEAR,1020,1000,10",
};

struct GeometryCase {
    const char* name;
    std::vector<std::string> survey;
    ObservationMode mode;
    double y, x;
    std::string h;  // as the result table shows it
};

class Geometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(Geometry, PlacesThePoint) {
    const GeometryCase& c = GetParam();
    Page page(kControl, c.survey, c.mode);
    const ResultRow* p = page.Row("P");
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(LeadingNumber(p->y), c.y, 0.0005);
    EXPECT_NEAR(LeadingNumber(p->x), c.x, 0.0005);
    EXPECT_EQ(p->h, c.h);
}

const double kSin60 = std::sqrt(3.0) / 2;

INSTANTIATE_TEST_SUITE_P(
    Cases, Geometry,
    ::testing::Values(GeometryCase{"BacksightDueNorth",
                                   {"cz,S", "hs,N", "P,90.0000,50.000,0"},
                                   ObservationMode::DistanceHeight,
                                   1050,
                                   1000,
                                   ""},
                      GeometryCase{"BacksightDueSouth",
                                   {"cz,S", "hs,SOUTH", "P,90.0000,50.000,0"},
                                   ObservationMode::DistanceHeight,
                                   950,
                                   1000,
                                   ""},
                      GeometryCase{"BacksightSouthWest",
                                   {"cz,S", "hs,SW", "P,180.0000,10,0"},
                                   ObservationMode::DistanceHeight,
                                   1000 + 10 / std::sqrt(2.0),
                                   1000 + 10 / std::sqrt(2.0),
                                   ""},
                      GeometryCase{"BacksightNorthWestWrapsPastNorth",
                                   {"cz,S", "hs,NW", "P,90.0000,10,0"},
                                   ObservationMode::DistanceHeight,
                                   1000 + 10 / std::sqrt(2.0),
                                   1000 + 10 / std::sqrt(2.0),
                                   ""},
                      GeometryCase{
                          "MinutesAndSeconds",
                          {"cz,S", "hs,N", "P,12.4530,100,0"},
                          ObservationMode::DistanceHeight,
                          1000 + 100 * std::sin((12 + 45 / 60.0 + 30 / 3600.0) * M_PI / 180),
                          1000 + 100 * std::cos((12 + 45 / 60.0 + 30 / 3600.0) * M_PI / 180),
                          ""},
                      GeometryCase{"WholeMinutesWithBinaryFraction",
                                   {"cz,S", "hs,N", "P,12.4500,100,0"},
                                   ObservationMode::DistanceHeight,
                                   1000 + 100 * std::sin(12.75 * M_PI / 180),
                                   1000 + 100 * std::cos(12.75 * M_PI / 180),
                                   ""},
                      GeometryCase{"HeightDifference",
                                   {"cz,S,1.5", "hs,N", "P,90.0000,50,2.5,1.2"},
                                   ObservationMode::DistanceHeight,
                                   1050,
                                   1000,
                                   "12.800"},
                      GeometryCase{"SlopeAndZenith",
                                   {"cz,S,1.5", "hs,N", "P,90.0000,100,60.0000,1.5"},
                                   ObservationMode::SlopeVertical,
                                   1000 + 100 * kSin60,
                                   1000,
                                   "60.000"},
                      GeometryCase{"FaceTwoZenith",
                                   {"cz,S,1.5", "hs,N", "P,270.0000,100,300.0000,1.5"},
                                   ObservationMode::SlopeVertical,
                                   1000 + 100 * kSin60,
                                   1000,
                                   "60.000"},
                      GeometryCase{"NoTargetHeightNoElevation",
                                   {"cz,S,1.5", "hs,N", "P,90.0000,50,2.5"},
                                   ObservationMode::DistanceHeight,
                                   1050,
                                   1000,
                                   ""},
                      GeometryCase{"TargetHeightZeroNoElevation",
                                   {"cz,S,1.5", "hs,N", "P,90.0000,50,2.5,0"},
                                   ObservationMode::DistanceHeight,
                                   1050,
                                   1000,
                                   ""},
                      GeometryCase{"NoInstrumentHeightNoElevation",
                                   {"cz,S", "hs,N", "P,90.0000,50,2.5,1.2"},
                                   ObservationMode::DistanceHeight,
                                   1050,
                                   1000,
                                   ""},
                      GeometryCase{"InstrumentHeightKeptFromTheLastStation",
                                   {"cz,S,1.5", "hs,N", "cz,S", "hs,N", "P,90,50,2.5,1.2"},
                                   ObservationMode::DistanceHeight,
                                   1050,
                                   1000,
                                   "12.800"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Orientation, BacksightDueWestRefusesTheSetup) {
    Page page(kControl, {"cz,S", "hs,W", "P,90.0000,50.000,0"});
    ASSERT_EQ(page.run.messages.size(), 2u);
    EXPECT_EQ(page.run.messages[0], (PageMessage{app::MessageIcon::Exclamation, "计算",
                                                 "“S～W”纵方向坐标相同，该站坐标将不参与计算！"}));
    EXPECT_TRUE(page.results.rows.empty());
    EXPECT_TRUE(page.Reported("— 应算1，实算0个坐标点"));
    EXPECT_EQ(page.run.messages[1], (PageMessage{app::MessageIcon::Exclamation, "坐标计算",
                                                 "坐标计算结束，\n\n应算1，实算0个坐标点。"}));
}

TEST(Failures, PointsWithoutDistanceOrVerticalAngleFail) {
    Page hd(kControl, {"cz,S", "hs,N", "P,90.0000,0,1"});
    EXPECT_TRUE(hd.Reported("× P 点计算坐标计算失败！"));
    EXPECT_TRUE(hd.Reported("——观测数据：P,90.0000,0,1"));
    EXPECT_TRUE(hd.results.rows.empty());
    Page sv(kControl, {"cz,S", "hs,N", "P,90.0000,50,0"}, ObservationMode::SlopeVertical);
    EXPECT_TRUE(sv.Reported("× P 点计算坐标计算失败！"));
    EXPECT_TRUE(sv.results.rows.empty());
}

// Text where a number belongs is a point that cannot be computed, not a point from 0.
TEST(Failures, ObservationsWithTextInANumberFieldFail) {
    struct Row {
        const char* name;
        const char* line;
    };
    const Row rows[] = {
        {"reading", "P,9O.0000,50.000,1.000,1.5"},
        {"distance", "P,90.0000,5O.000,1.000,1.5"},
        {"height difference", "P,90.0000,50.000,ABC,1.5"},
        {"target height", "P,90.0000,50.000,1.000,X"},
        {"distance beyond a double", "P,90.0000,1E400,1.000,1.5"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Page page(kControl, {"cz,S,1.5", "hs,N", row.line, "Q,90.0000,50.000,1.000,1.5"});
        EXPECT_TRUE(page.Reported("× P 点计算坐标计算失败！"));
        EXPECT_TRUE(page.Reported(std::string("——观测数据：") + row.line));
        EXPECT_EQ(page.Row("P"), nullptr);
        EXPECT_NE(page.Row("Q"), nullptr);  // the next line is computed as usual
        EXPECT_TRUE(page.Reported("— 应算2，实算1个坐标点"));
    }
}

TEST(OverDistance, ExactlyThreeTimesTheBacksightIsOver) {
    Page page(kControl, {"cz,S", "hs,NEAR", "P1,90.0000,60,0", "P2,90.0000,59.999,0"});
    EXPECT_TRUE(page.Reported("！ P1 前视超距（60.000≥20.000×3）"));
    for (const auto& line : page.run.report)
        EXPECT_EQ(line.find("P2 前视超距"), std::string::npos) << line;
    EXPECT_EQ(page.run.report.back(), "— 超距数：1，超距率：50.00%");
    ASSERT_EQ(page.run.messages.size(), 1u);
    EXPECT_EQ(page.run.messages[0],
              (PageMessage{
                  app::MessageIcon::Exclamation, "坐标计算",
                  "坐标计算结束！\n\n2个坐标点全部计算完毕！\n其中：1个点前视超距，超距率50.00%"}));
}

TEST(OverDistance, RateCountsComputedPointsWhenSomeFail) {
    Page page(kControl, {"cz,S", "hs,NEAR", "P1,90.0000,60,0", "P2,90.0000,0,0", "P3,1,1,0"});
    EXPECT_EQ(page.run.report[page.run.report.size() - 2], "— 应算3，实算2个坐标点");
    EXPECT_EQ(page.run.report.back(), "— 超距数：1，超距率：50.00%");
    EXPECT_EQ(page.run.messages.back().text,
              "坐标计算结束，\n\n应算3，实算2个坐标点。\n其中：1个点前视超距，超距率50.00%");
}

TEST(Modes, AutomaticModeDecidesPerLineAtThirty) {
    Page page(kControl, {"cz,S", "hs,N", "P1,0.0000,50.000,30.000", "P2,0.0000,50.000,30.001"},
              ObservationMode::Automatic);
    std::vector<std::string> head(page.run.report.begin(), page.run.report.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::string>{"测量类型：自动", "测量类型：平距，高差测量", kRule16,
                                              "测量类型：斜距，垂直角测量", kRule16}));
    ASSERT_NE(page.Row("P1"), nullptr);
    ASSERT_NE(page.Row("P2"), nullptr);
    EXPECT_NEAR(LeadingNumber(page.Row("P1")->x), 1050, 0.0005);
    double zenith = (30 + 10 / 3600.0) * M_PI / 180;
    EXPECT_NEAR(LeadingNumber(page.Row("P2")->x), 1000 + 50 * std::sin(zenith), 0.0005);
}

TEST(Modes, FixedModeDrawsOneRuleAtTheFirstObservation) {
    Page page(kControl, {"cz,S", "hs,N", "P1,0,10,1", "P2,0,10,50"},
              ObservationMode::DistanceHeight);
    EXPECT_EQ(page.run.report[0], "测量类型：平距，高差测量");
    EXPECT_EQ(page.run.report[1], kRule16);
    EXPECT_EQ(std::count(page.run.report.begin(), page.run.report.end(), kRule16), 1);
    Page sv(kControl, {"cz,S", "hs,N", "P1,0,10,80"}, ObservationMode::SlopeVertical);
    EXPECT_EQ(sv.run.report[0], "测量类型：斜距，垂直角测量");
}

TEST(Modes, AutomaticModeWithoutValueTwoStopsTheRun) {
    Page page(kControl, {"cz,S", "hs,N", "P1,0,10", "P2,0,10,1"}, ObservationMode::Automatic);
    EXPECT_TRUE(page.run.stopped);
    ASSERT_EQ(page.run.messages.size(), 1u);
    EXPECT_EQ(page.run.messages[0],
              (PageMessage{app::MessageIcon::Exclamation, "坐标计算",
                           "系统自动识别失败，\n\n请手工选择“平距高差”或“高差垂直角”。"}));
    EXPECT_EQ(page.run.report.back(), "测量类型：自动");
    EXPECT_TRUE(page.results.path.empty());
}

TEST(Failures, OverflowStopsTheRunNamingThePoint) {
    Page page({"S,1000,1000,10", "N,1100,1000,10"},
              {"cz,S,1e308", "hs,N", "P1,0,10,1,1", "P2,0,10,1e308,1", "P3,0,1,1,1"});
    EXPECT_TRUE(page.run.stopped);
    ASSERT_EQ(page.run.messages.size(), 1u);
    EXPECT_EQ(page.run.messages[0],
              (PageMessage{app::MessageIcon::Critical, "计算被中止",
                           "在计算“P2”点时发生了错误，\n\n错误原因：溢出（6号错误）"}));
    EXPECT_EQ(page.results.rows.size(), 1u);
    EXPECT_NE(page.run.report.back(), kRule24);
    EXPECT_TRUE(page.results.path.empty());
}

struct CheckCase {
    const char* name;
    std::vector<std::string> control;
    std::vector<std::string> survey;
    std::vector<std::string> lines;  // the report after the rule line, before the summary
    const char* stored;
};

class Checks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Checks, ReportTheirErrors) {
    const CheckCase& c = GetParam();
    Page page(c.control, c.survey);
    ASSERT_GE(page.run.report.size(), 4u);
    std::vector<std::string> middle(page.run.report.begin() + 2, page.run.report.end() - 2);
    EXPECT_EQ(middle, c.lines);
    EXPECT_NE(page.Row(c.stored), nullptr) << c.stored;
}

// Station S (1000, 1000, H 10, instrument 1.5); backsight B due north at 100 m. K is seen
// at 90.0000 and 50 m, so it computes to (1000, 1050), H 10 + 1.5 + 2.5 - 1.2 = 12.8.
std::vector<std::string> Known(const std::string& k) {
    return {"S,1000,1000,10", "B,1100,1000,11", k};
}
const std::vector<std::string> kSeeK = {"cz,S,1.5", "hs,B", "K,90.0000,50,2.5,1.2"};

INSTANTIATE_TEST_SUITE_P(
    Cases, Checks,
    ::testing::Values(CheckCase{"ControlPlaneErrorOfExactlyTheTolerancePasses",
                                Known("K,1000,1050.1"),
                                kSeeK,
                                {"☆ S～B（检：K）", "——平面误差：0.100米"},
                                "K核"},
                      CheckCase{"ControlPlaneErrorAboveTheToleranceFails",
                                Known("K,1000,1050.101"),
                                kSeeK,
                                {"× S～B（检：K  平面超差）", "——平面误差：0.101米",
                                 "——理论坐标：1050.101,1000.000", "——实测坐标：1050.000,1000.000"},
                                "K核"},
                      CheckCase{"ControlHeightErrorOfExactlyTheTolerancePasses",
                                Known("K,1000,1050,12.84"),
                                kSeeK,
                                {"☆ S～B（检：K）", "——平面误差：0.000米，高程误差：0.040米"},
                                "K核"},
                      CheckCase{"ControlHeightErrorShownWithoutSign",
                                Known("K,1000,1050,12.76"),
                                kSeeK,
                                {"☆ S～B（检：K）", "——平面误差：0.000米，高程误差：0.040米"},
                                "K核"},
                      CheckCase{
                          "ControlHeightErrorAboveTheToleranceFails",
                          Known("K,1000,1050,12.759"),
                          kSeeK,
                          {"☆ S～B（检：K）", "——平面误差：0.000米", "× S～B（检：K  高程超差）",
                           "——高程误差：-0.041米", "——理论高程：12.759米，实测高程：12.800米"},
                          "K核"},
                      CheckCase{"ControlHeightPassesAfterThePlaneFailed",
                                Known("K,1000,1050.2,12.83"),
                                kSeeK,
                                {"× S～B（检：K  平面超差）", "——平面误差：0.200米",
                                 "——理论坐标：1050.200,1000.000", "——实测坐标：1050.000,1000.000",
                                 "☆ S～B（检：K  平面超差）", "——高程误差：0.030米"},
                                "K核"},
                      CheckCase{"ControlWithoutElevationChecksThePlaneOnly",
                                Known("K,1000,1050"),
                                kSeeK,
                                {"☆ S～B（检：K）", "——平面误差：0.000米"},
                                "K核"},
                      CheckCase{"BacksightPasses",
                                Known("K,0,0"),
                                {"cz,S,1.5", "hs,B", "B,0.0000,100.05,0.52,1.0"},
                                {"☆ S～B", "——平面误差：0.050米，高程误差：0.020米"},
                                "B校"},
                      CheckCase{"BacksightHeightErrorIsSigned",
                                Known("K,0,0"),
                                {"cz,S,1.5", "hs,B", "B,0.0000,100,0.46,1.0"},
                                {"☆ S～B", "——平面误差：0.000米，高程误差：-0.040米"},
                                "B校"},
                      CheckCase{"BacksightPlaneFails",
                                Known("K,0,0"),
                                {"cz,S,1.5", "hs,B", "B,0.0000,100.2,0.5,1.0"},
                                {"× S～B（平面超差）   平面误差：0.200米",
                                 "——理论平距：100.000米，实测平距：100.200米",
                                 "☆ S～B（平面超差）   平面误差：0.200米", "——高程误差：0.000米"},
                                "B校"},
                      CheckCase{"BacksightHeightFails",
                                Known("K,0,0"),
                                {"cz,S,1.5", "hs,B", "B,0.0000,100,0.6,1.0"},
                                {"☆ S～B", "——平面误差：0.000米", "× S～B（高程超差）",
                                 "——高程误差：0.100米", "——理论高程：11.000米，实测高程：11.100米"},
                                "B校"},
                      CheckCase{"StationSeenFromItselfIsNoCheck",
                                Known("K,0,0"),
                                {"cz,S,1.5", "hs,B", "S,10.0000,1,0"},
                                {},
                                "S"}),
    [](const auto& info) { return std::string(info.param.name); });

// One set-up with every kind of line: the whole report, line for line.
TEST(Report, SmallSurveyLineForLine) {
    Page page(
        {"A1,3500000,500000,50", "B1,3500100,500000,51", "K3,3500000,500050,49.5"},
        {"; 全 站 仪：Topcon GTS 311", "", "cz,A1,1.500", "hs,B1", "B1,0.0000,100.000,1.000,1.500",
         "K3,90.0000,50.002,-0.500,1.500", "P1,45.0000,20,0.2,1.5", "P2,45.0000,0,0.2,1.5"},
        ObservationMode::Automatic);
    EXPECT_EQ(page.run.report, (std::vector<std::string>{
                                   "测量类型：自动",
                                   "测量类型：平距，高差测量",
                                   kRule16,
                                   "☆ A1～B1",
                                   "——平面误差：0.000米，高程误差：0.000米",
                                   "☆ A1～B1（检：K3）",
                                   "——平面误差：0.002米，高程误差：0.000米",
                                   "× P2 点计算坐标计算失败！",
                                   "——观测数据：P2,45.0000,0,0.2,1.5",
                                   kRule24,
                                   "— 应算4，实算3个坐标点",
                               }));
    EXPECT_EQ(page.results.rows,
              (std::vector<ResultRow>{{"B1校", "500000.000", "3500100.000", "51.000"},
                                      {"K3核", "500050.002", "3500000.000", "49.500"},
                                      {"P1", "500014.142", "3500014.142", "50.200"}}));
    EXPECT_EQ(page.results.path, "/d/r1.cor");
    ASSERT_EQ(page.run.messages.size(), 1u);
    EXPECT_EQ(page.run.messages[0], (PageMessage{app::MessageIcon::Exclamation, "坐标计算",
                                                 "坐标计算结束，\n\n应算4，实算3个坐标点。"}));
}

TEST(Lookups, StationsFromTheResultsBecomeBranchRows) {
    Page page({"A,1000,1000,10", "B,1100,1000,10"},
              {"cz,A,1.5", "hs,B", "T,45.0000,50,1,1.5", "cz,T,1.5", "hs,A", "P,0.0000,10,0,1.5"});
    EXPECT_TRUE(page.Reported("？ 没找到“T”的坐标，试着在坐标库中查找！"));
    EXPECT_TRUE(page.Reported("√ “T”坐标已找到，计算将继续……"));
    ASSERT_EQ(page.control.rows.size(), 3u);
    EXPECT_EQ(page.control.rows[2],
              (survey::ControlRow{"T", "1035.355", "1035.355", "11.000", "支"}));
    // Reading 0 from T looks back at A: P lies 10 m from T towards A.
    const ResultRow* p = page.Row("P");
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(LeadingNumber(p->x), 1035.355 - 10 / std::sqrt(2.0), 0.001);
    EXPECT_NEAR(LeadingNumber(p->y), 1035.355 - 10 / std::sqrt(2.0), 0.001);
    EXPECT_EQ(page.run.messages.back().icon, app::MessageIcon::Information);
    EXPECT_EQ(page.run.messages.back().text, "坐标计算结束！\n\n2个坐标点全部计算完毕！");
}

TEST(Lookups, UnknownStationSkipsItsSetupButCountsItsPoints) {
    Page page({"A,1000,1000,10", "B,1100,1000,10"},
              {"cz,Q", "hs,B", "P1,1,1,1", "cz,A", "hs,Q", "P2,1,1,1"});
    EXPECT_TRUE(page.Reported("× 没找到“Q”的坐标，该站数据将不参与计算！"));
    EXPECT_TRUE(page.results.rows.empty());
    EXPECT_TRUE(page.Reported("— 应算2，实算0个坐标点"));
}

TEST(Lookups, TheFirstRowWithANameWins) {
    Page page({"A,1000,1000,10", "B,1100,1000,10", "A,2000,2000,10"},
              {"cz,a", "hs,b", "P,90,10,0"});
    ASSERT_NE(page.Row("P"), nullptr);
    EXPECT_EQ(page.Row("P")->y, "1010.000");
}

TEST(Runs, EmptyObservationListEmptiesTheResultsAndReportsNothing) {
    ControlTable control;
    ObservationList observations;
    ResultTable results{{{"OLD", "1", "2", ""}}, "/d/old.cor"};
    Computation run =
        ComputeCoordinates(observations, control, results, ObservationMode::Automatic);
    EXPECT_TRUE(run.report.empty());
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(results.rows.empty());
}

// Synthetic traverse: random points observed from known stations, angles rounded to
// 0.1", distances to 1 mm, computed back within 2 mm in plane and height.
std::string Dms(double degrees) {
    long tenths = std::lround(degrees * 36000.0);
    long d = tenths / 36000, m = tenths % 36000 / 600, s = tenths % 600;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld.%02ld%03ld", d, m, s);
    return buf;
}

std::string Mm(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

class SyntheticSurvey : public ::testing::TestWithParam<ObservationMode> {};

TEST_P(SyntheticSurvey, ComputesTheKnownCoordinatesBack) {
    const ObservationMode mode = GetParam();
    std::mt19937 random(7);
    std::uniform_real_distribution<double> offset(-150, 150), height(20, 60), pole(1.2, 2.0);
    struct Known {
        std::string name;
        double x, y, h;
    };
    std::vector<Known> stations;
    // Two known stations, then two legs whose stations come from the results.
    for (int i = 0; i < 4; ++i)
        stations.push_back({"T" + std::to_string(i), 3500000 + 180.0 * i + offset(random) / 3,
                            500000 + 140.0 * i + offset(random) / 3, height(random)});
    std::vector<std::string> control;
    for (int i = 0; i < 2; ++i)
        control.push_back(stations[i].name + "," + Mm(stations[i].x) + "," + Mm(stations[i].y) +
                          "," + Mm(stations[i].h));

    auto azimuth = [](const Known& a, const Known& b) {
        double az = std::atan2(b.y - a.y, b.x - a.x) * 180 / M_PI;
        return az < 0 ? az + 360 : az;
    };
    std::vector<Known> truth;
    std::vector<std::string> survey;
    auto observe = [&](const Known& s, double ih, const Known& b, const Known& p, double th) {
        double hz = azimuth(s, p) - azimuth(s, b);
        if (hz < 0) hz += 360;
        double hd = std::hypot(p.x - s.x, p.y - s.y);
        double dh = p.h - s.h - ih + th;
        if (mode == ObservationMode::DistanceHeight)
            return p.name + "," + Dms(hz) + "," + Mm(hd) + "," + Mm(dh) + "," + Mm(th);
        double zenith = std::atan2(hd, dh) * 180 / M_PI;
        return p.name + "," + Dms(hz) + "," + Mm(std::hypot(hd, dh)) + "," + Dms(zenith) + "," +
               Mm(th);
    };
    for (size_t i = 1; i + 1 < stations.size(); ++i) {
        const Known &s = stations[i], &b = stations[i - 1];
        double ih = pole(random);
        survey.push_back("cz," + s.name + "," + Mm(ih));
        survey.push_back("hs," + b.name);
        survey.push_back(observe(s, ih, b, stations[i + 1], 1.5));
        truth.push_back(stations[i + 1]);
        for (int k = 0; k < 5; ++k) {
            Known p{"P" + std::to_string(i) + std::to_string(k), s.x + offset(random) / 1.5,
                    s.y + offset(random) / 1.5, height(random)};
            survey.push_back(observe(s, ih, b, p, pole(random)));
            truth.push_back(p);
        }
    }
    Page page(control, survey, mode);
    ASSERT_FALSE(page.run.stopped);
    for (const auto& p : truth) {
        SCOPED_TRACE(p.name);
        const ResultRow* row = page.Row(p.name);
        ASSERT_NE(row, nullptr);
        EXPECT_LE(std::hypot(LeadingNumber(row->x) - p.x, LeadingNumber(row->y) - p.y), 0.002);
        EXPECT_NEAR(LeadingNumber(row->h), p.h, 0.002);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, SyntheticSurvey,
                         ::testing::Values(ObservationMode::DistanceHeight,
                                           ObservationMode::SlopeVertical),
                         [](const auto& info) {
                             return info.param == ObservationMode::DistanceHeight ? "DistanceHeight"
                                                                                  : "SlopeVertical";
                         });

}  // namespace
}  // namespace velorin::coords
