// Saving the computation: the coordinate file, the log and the branch control point file,
// byte for byte in GBK with CR LF.
#include "coords/results.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "support/testing.h"

namespace velorin::coords {
namespace {

constexpr const char* kNow = "2024-5-6 14:03:22";

struct Saved {
    testing::TempDir dir;
    ControlTable control{{{"K1", "3500000.000", "500000.000", "50.000", ""},
                          {"T1", "3500010.000", "500020.000", "0.000", "支"}},
                         "k.ctl"};
    ResultTable results{
        {{"K3核", "512345.678", "3500123.456", "12.345"}, {"P7", "512300", "3500100", ""}}, ""};
    std::vector<std::string> report{"测量类型：自动", "☆ A1～B1"};
    Saved() { results.path = dir.File("r1.cor"); }
    SavedResults Save() { return SaveResults(control, results, report, kNow); }
};

TEST(SavedFiles, AreWrittenByteForByte) {
    Saved s;
    SavedResults saved = s.Save();
    EXPECT_TRUE(saved.attempted);
    ASSERT_EQ(saved.messages.size(), 1u);
    EXPECT_EQ(saved.messages[0],
              (PageMessage{app::MessageIcon::Information, "坐标保存",
                           "数据已保存在“" + s.dir.File("r1.cor") + "”文件中！"}));
    EXPECT_EQ(testing::ReadBytes(s.dir.File("r1.cor")),
              testing::GbkCrlf(
                  {"; 坐标文件： " + s.dir.File("r1.cor"), std::string("; 计算时间： ") + kNow, "",
                   "K3核,512345.678,3500123.456,12.345,", "P7,512300.000,3500100.000,,"}));
    EXPECT_EQ(testing::ReadBytes(s.dir.File("r1.log")),
              testing::GbkCrlf({"—— 坐标计算LOG文件 ——", std::string("计算时间：") + kNow, "",
                                "测量类型：自动", "☆ A1～B1"}));
    EXPECT_EQ(testing::ReadBytes(s.dir.File("r1(支).ctl")),
              testing::GbkCrlf({"T1,3500010.000,500020.000,0.000"}));
}

TEST(SavedFiles, NoBranchRowsLeaveAnOlderBranchFileAlone) {
    Saved s;
    s.control.rows.pop_back();
    testing::WriteBytes(s.dir.File("r1(支).ctl"), "old");
    s.Save();
    EXPECT_EQ(testing::ReadBytes(s.dir.File("r1(支).ctl")), "old");
    EXPECT_TRUE(PathExists(s.dir.File("r1.cor")));
}

TEST(SavedFiles, SavingTwiceOverwritesAllThree) {
    Saved s;
    s.Save();
    s.results.rows.pop_back();
    s.report = {"second"};
    s.control.rows[1].name = "T2";
    s.Save();
    EXPECT_EQ(testing::ReadBytes(s.dir.File("r1.cor")),
              testing::GbkCrlf({"; 坐标文件： " + s.dir.File("r1.cor"),
                                std::string("; 计算时间： ") + kNow, "",
                                "K3核,512345.678,3500123.456,12.345,"}));
    EXPECT_EQ(testing::ReadBytes(s.dir.File("r1.log")),
              testing::GbkCrlf(
                  {"—— 坐标计算LOG文件 ——", std::string("计算时间：") + kNow, "", "second"}));
    EXPECT_EQ(testing::ReadBytes(s.dir.File("r1(支).ctl")),
              testing::GbkCrlf({"T2,3500010.000,500020.000,0.000"}));
}

TEST(SavedFiles, NothingToSaveDoesNothing) {
    Saved no_path;
    no_path.results.path.clear();
    EXPECT_FALSE(no_path.Save().attempted);
    EXPECT_TRUE(no_path.Save().messages.empty());
    Saved no_rows;
    no_rows.results.rows.clear();
    EXPECT_FALSE(no_rows.Save().attempted);
    EXPECT_FALSE(PathExists(no_rows.dir.File("r1.cor")));
}

TEST(SavedFiles, UnwritableFolderNamesTheFile) {
    Saved s;
    s.results.path = s.dir.File("missing/r1.cor");
    SavedResults saved = s.Save();
    ASSERT_EQ(saved.messages.size(), 1u);
    EXPECT_EQ(saved.messages[0].icon, app::MessageIcon::Critical);
    EXPECT_NE(saved.messages[0].text.find(s.dir.File("missing/r1.cor")), std::string::npos);
}

}  // namespace
}  // namespace velorin::coords
