// Loading files into the coordinate page's tables, and the keys that empty them.
#include "coords/loading.h"

#include <gtest/gtest.h>

#include "support/testing.h"

namespace velorin {
namespace {

struct Tables {
    testing::TempDir dir;
    ControlTable control;
    ObservationList observations;
    Status Load(const std::string& name) { return LoadCoordinateInput(dir.File(name), control, observations); }
    void Write(const std::string& name, const std::vector<std::string>& lines) {
        testing::WriteBytes(dir.File(name), testing::GbkCrlf(lines));
    }
};

TEST(ControlLoading, AppendsAndRemembersTheLastFile) {
    Tables t;
    t.Write("a.ctl", {"K1,1,2,3", "K2,4,5,6"});
    t.Write("b.CTL", {"K3,7,8,9"});
    ASSERT_TRUE(t.Load("a.ctl").ok());
    ASSERT_TRUE(t.Load("a.ctl").ok());
    ASSERT_TRUE(t.Load("b.CTL").ok());
    ASSERT_EQ(t.control.rows.size(), 5u);
    EXPECT_EQ(t.control.rows[2].name, "K1");
    EXPECT_EQ(t.control.rows[4], (ControlRow{"K3", "7.000", "8.000", "9.000", ""}));
    EXPECT_EQ(t.control.path, t.dir.File("b.CTL"));
}

TEST(ControlLoading, RefusedOrMissingFileLeavesTheTablesAsTheyWere) {
    Tables t;
    t.Write("a.ctl", {"K1,1,2,3"});
    t.Write("bad.ctl", {"K2,1,2,3", "K3,1,2,3,4,5,6"});
    t.Write("r.sur", {"cz,K1"});
    ASSERT_TRUE(t.Load("a.ctl").ok());
    ASSERT_TRUE(t.Load("r.sur").ok());
    Status refused = t.Load("bad.ctl");
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find(t.dir.File("bad.ctl")), std::string::npos);
    Status missing = t.Load("none.ctl");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find(t.dir.File("none.ctl")), std::string::npos);
    EXPECT_FALSE(t.Load("none.sur").ok());
    ASSERT_EQ(t.control.rows.size(), 1u);
    EXPECT_EQ(t.control.path, t.dir.File("a.ctl"));
    EXPECT_EQ(t.observations.lines, std::vector<std::string>{"CZ,K1"});
    EXPECT_EQ(t.observations.path, t.dir.File("r.sur"));
}

TEST(SurveyLoading, ReplacesTheListUpperCasedWithCheckLinesRewritten) {
    Tables t;
    t.Write("r1.sur", {"; 全 站 仪：Topcon GTS 311", "", "cz,a1,1.500", "hs,b1", "hc,85.123,-0.456,1.5"});
    t.Write("r2.sur", {"cz,a2"});
    ASSERT_TRUE(t.Load("r2.sur").ok());
    ASSERT_TRUE(t.Load("r1.sur").ok());
    EXPECT_EQ(t.observations.lines, (std::vector<std::string>{"; 全 站 仪：TOPCON GTS 311", "", "CZ,A1,1.500", "HS,B1",
                                                              "B1,0.0000,85.123,-0.456,1.5"}));
    EXPECT_EQ(t.observations.path, t.dir.File("r1.sur"));
}

TEST(Loading, OtherEndingsLoadNothing) {
    Tables t;
    t.Write("a.txt", {"K1,1,2,3"});
    EXPECT_TRUE(t.Load("a.txt").ok());
    EXPECT_TRUE(t.control.rows.empty());
    EXPECT_TRUE(t.observations.lines.empty());
}

struct DeleteCase {
    const char* name;
    size_t rows;
    int selected;
    bool shift;
    std::vector<std::string> left;  // names
    bool path_kept;
};

class ControlKeys : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(ControlKeys, EditTheTable) {
    const DeleteCase& c = GetParam();
    ControlTable control;
    control.path = "/d/a.ctl";
    for (size_t i = 0; i < c.rows; ++i) control.rows.push_back({"K" + std::to_string(i + 1), "1.000", "2.000", "3.000", ""});
    if (c.shift)
        ClearControlTable(control);
    else
        DeleteControlRow(control, c.selected);
    std::vector<std::string> names;
    for (const auto& r : control.rows) names.push_back(r.name);
    EXPECT_EQ(names, c.left);
    EXPECT_EQ(control.path.empty(), !c.path_kept);
}

INSTANTIATE_TEST_SUITE_P(Cases, ControlKeys,
                         ::testing::Values(DeleteCase{"DeleteRemovesTheSelectedRow", 3, 2, false, {"K1", "K3"}, true},
                                           DeleteCase{"DeleteOnTheHeaderDoesNothing", 3, 0, false, {"K1", "K2", "K3"}, true},
                                           DeleteCase{"DeleteOfTheOnlyRowEmptiesTheTable", 1, 1, false, {}, false},
                                           DeleteCase{"ShiftDeleteEmptiesTheTable", 3, 2, true, {}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ObservationKeys, ShiftDeleteTakesTheResultsWithIt) {
    ObservationList observations{{"CZ,A"}, "/d/r.sur"};
    ResultTable results{{{"P", "1.000", "2.000", ""}}, "/d/r.cor"};
    ClearObservations(observations, results);
    EXPECT_TRUE(observations.lines.empty());
    EXPECT_TRUE(observations.path.empty());
    EXPECT_TRUE(results.rows.empty());
    EXPECT_TRUE(results.path.empty());
}

}  // namespace
}  // namespace velorin
