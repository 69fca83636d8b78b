// Loading files into the coordinate page's tables (the keys are tested on the page).
#include "coords/loading.h"

#include <gtest/gtest.h>

#include "support/testing.h"

namespace velorin::coords {
namespace {

struct Tables {
    testing::TempDir dir;
    ControlTable control;
    ObservationList observations;
    Status Load(const std::string& name) {
        return LoadCoordinateInput(dir.File(name), control, observations);
    }
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
    EXPECT_EQ(t.control.rows[4], (survey::ControlRow{"K3", "7.000", "8.000", "9.000", ""}));
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

// A coordinate that is not a number would put a station at 0: the file is refused by
// name and line, and the table keeps what it had.
TEST(ControlLoading, TextInACoordinateRefusesTheFile) {
    struct Row {
        const char* name;
        std::vector<std::string> lines;
        std::string message;  // after the file's path
    };
    const Row rows[] = {
        {"X is text",
         {"K0,1,2,3", "K1,abc,512001.340,47.912"},
         "”第2行的第2个字段“ABC”不是数字，文件未载入：K1,ABC,512001.340,47.912"},
        {"Y beyond a double",
         {"K1,1,1E400,3"},
         "”第1行的第3个字段“1E400”不是数字，文件未载入：K1,1,1E400,3"},
        {"H is text", {"; c", "K1,1,2,h"}, "”第2行的第4个字段“H”不是数字，文件未载入：K1,1,2,H"},
        {"mark is text", {"K1,1,2,3,m"}, "”第1行的第5个字段“M”不是数字，文件未载入：K1,1,2,3,M"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Tables t;
        t.Write("a.ctl", {"K9,1,2,3"});
        ASSERT_TRUE(t.Load("a.ctl").ok());
        t.Write("bad.ctl", row.lines);
        Status s = t.Load("bad.ctl");
        EXPECT_EQ(s.message(), "控制点文件“" + t.dir.File("bad.ctl") + row.message);
        ASSERT_EQ(t.control.rows.size(), 1u);
        EXPECT_EQ(t.control.rows[0].name, "K9");
        EXPECT_EQ(t.control.path, t.dir.File("a.ctl"));
    }
    // Empty or missing fields still read as 0.
    Tables t;
    t.Write("ok.ctl", {"K1,1,2,", "K2,3,4"});
    ASSERT_TRUE(t.Load("ok.ctl").ok());
    EXPECT_EQ(t.control.rows[0], (survey::ControlRow{"K1", "1.000", "2.000", "0.000", ""}));
    EXPECT_EQ(t.control.rows[1], (survey::ControlRow{"K2", "3.000", "4.000", "0.000", ""}));
}

TEST(Loading, OtherEndingsLoadNothing) {
    Tables t;
    t.Write("a.txt", {"K1,1,2,3"});
    EXPECT_TRUE(t.Load("a.txt").ok());
    EXPECT_TRUE(t.control.rows.empty());
    EXPECT_TRUE(t.observations.lines.empty());
}

}  // namespace
}  // namespace velorin::coords
