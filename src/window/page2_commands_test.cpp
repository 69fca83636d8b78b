// Page 2 as the user works it: double-click a raw file, read the conversion list, save
// the survey file; the messages on the way.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "base/text_file.h"
#include "support/window_fixture.h"
#include "survey/conversion.h"

namespace velorin::window {
namespace {

using testing::WindowFixture;

struct Page2Fixture : WindowFixture {
    Page2& page;
    explicit Page2Fixture(
        const std::vector<std::pair<std::string, std::vector<std::string>>>& files)
        : page((Write(files), Load().page2)) {
        form->Strip1_Click(2);
    }
    void Write(const std::vector<std::pair<std::string, std::vector<std::string>>>& files) {
        settings().MainDir = dir.path();
        for (const auto& [name, lines] : files)
            testing::WriteBytes(dir.File(name), testing::GbkCrlf(lines));
    }
    void DoubleClick(const std::string& name) {
        int index = page.File1.IndexOf(name);
        ASSERT_GE(index, 0) << name;
        page.File1.DblClick(index);
    }
};

const std::vector<std::string> kRaw = {"GTS-311",        "STN     A1,1.45",
                                       "BS      B1,1.5", "HD      0,85.123,-0.456",
                                       "SS      P1,5",   "HD      12.3456,30,1"};

TEST(Page2Conversion, DoubleClickFillsTheListAndSaveWritesIt) {
    Page2Fixture w({{"r1.dat", kRaw}});
    w.page.Text3.Edit("5");
    w.DoubleClick("r1.dat");
    EXPECT_EQ(w.page.Text2.text, w.dir.File("r1.dat"));
    std::vector<std::string> expected = {"; 全 站 仪：Topcon GTS 311",
                                         "; 文 件 名：" + w.dir.File("r1.dat"),
                                         "",
                                         "cz,A1,1.450",
                                         "hs,B1",
                                         "B1,0.0000,85.123,-0.456,1.500",
                                         "P1,12.3456,30.000,1.000"};
    EXPECT_EQ(w.page.List3.items, expected);
    EXPECT_TRUE(w.ui.messages.empty());

    w.page.Command2.Click();
    EXPECT_EQ(testing::ReadBytes(w.dir.File("r1.sur")), testing::GbkCrlf(expected));
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Information);
    EXPECT_EQ(w.ui.messages[0].title, "测量文件");
    EXPECT_EQ(w.ui.messages[0].text, "文件已保存在“" + w.dir.File("r1.sur") + "”中。");
    EXPECT_TRUE(w.ui.shown_aside[0]);
    EXPECT_FALSE(w.ui.aside);
}

TEST(Page2Conversion, InvalidLimitIsRefusedAndNothingIsConverted) {
    Page2Fixture w({{"r1.dat", kRaw}});
    w.page.List3.AddItem("earlier");
    w.page.Text3.Edit("");
    w.DoubleClick("r1.dat");
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Critical);
    EXPECT_EQ(w.ui.messages[0].title, "错误");
    EXPECT_EQ(w.ui.messages[0].text, "“忽略觇标高”值不合法，请重新输入。");
    EXPECT_TRUE(w.ui.shown_aside[0]);
    EXPECT_TRUE(w.page.List3.items.empty());
    w.page.Command2.Click();
    EXPECT_FALSE(PathExists(w.dir.File("r1.sur")));
    EXPECT_EQ(w.ui.messages.size(), 1u);
}

// A file of the wrong instrument, or no raw file at all, says so and cannot be saved as
// an empty survey.
TEST(Page2Conversion, AFileWithoutRecordsOfTheModelIsNamedAndNotSaved) {
    struct Row {
        const char* name;
        const char* file;
        std::vector<std::string> lines;
        const char* model;
        const char* shown;
    };
    const Row rows[] = {
        {"random text",
         "junk.dat",
         {"hello world", "nothing here 1 2 3"},
         survey::kGts311Item,
         "Topcon GTS 311"},
        {"idex file as gts",
         "r.dat",
         {"50\\", "41 STN  A1 1.450"},
         survey::kGts311Item,
         "Topcon GTS 311"},
        {"empty file", "e.idx", {}, survey::kIdexItem, "Leica TC 307"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Page2Fixture w({{row.file, row.lines}});
        w.page.Combo1.ChooseText(row.model);
        w.DoubleClick(row.file);
        ASSERT_EQ(w.ui.messages.size(), 1u);
        EXPECT_EQ(w.ui.messages[0].title, "测量文件");
        EXPECT_EQ(w.ui.messages[0].text, "文件“" + w.dir.File(row.file) + "”中没有找到 " +
                                             row.shown +
                                             " 格式的记录，请检查文件或所选的全站仪型号。");
        EXPECT_FALSE(w.page.Command2.enabled);
        w.page.Command2.Click();
        EXPECT_FALSE(
            PathExists(w.dir.File(row.file).substr(0, w.dir.File(row.file).size() - 4) + ".sur"));
        EXPECT_EQ(w.ui.messages.size(), 1u);
    }
}

TEST(Page2Conversion, IdexModelReadsIdxFilesWithTheClocksTime) {
    Page2Fixture w(
        {{"r2.idx",
          {"HEADER", "PROJECT", "CREATION_DATE 1-2-2024/08:00:00.0", "END PROJECT", "END HEADER",
           "THEODOLITE", "SETUP", "STN_ID \"A\"", "INST_HT 1.5;", "END SETUP", "SLOPE(x)",
           "1,\"B\",1,0,90,10,2.000,1-2-2024/08:01:00.0;",
           "2,\"P\",1,1,91,20,2.001,1-2-2024/08:02:00.0;", "END SLOPE", "END THEODOLITE"}}});
    EXPECT_EQ(w.page.File1.IndexOf("r2.idx"), -1);  // the GTS-311 pattern shows .dat files
    w.page.Combo1.ChooseText("Leica TC 307 (*.idx)");
    w.page.Text3.Edit("2");
    w.DoubleClick("r2.idx");
    EXPECT_EQ(w.page.List3.items,
              (std::vector<std::string>{
                  "; 全 站 仪：Leica TC 307", "; 文 件 名：" + w.dir.File("r2.idx"),
                  "; 时  间：1-2-2024/08:00:00.0", "; 转  换：2024-5-6 14:03:22", "", "cz,A,1.500",
                  "hs,B", "; 观测时间 = 1-2-2024/08:02", "P,1.0000,20.000,91.0000,"}));
}

TEST(Page2Conversion, UnreadableFileGivesAMessageAndAnEmptyList) {
    Page2Fixture w({{"r1.dat", kRaw}});
    int index = w.page.File1.IndexOf("r1.dat");
    std::filesystem::remove(w.dir.File("r1.dat"));
    w.page.File1.DblClick(index);
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_NE(w.ui.messages[0].text.find(w.dir.File("r1.dat")), std::string::npos);
    EXPECT_TRUE(w.page.List3.items.empty());
    EXPECT_TRUE(w.page.TargetPath.empty());
}

}  // namespace
}  // namespace velorin::window
