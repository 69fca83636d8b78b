// Page 3 as the user works it: double-click control point and survey files, the table
// keys, "计算" and "保存"; and the sample traverse from raw file to coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "support/window_fixture.h"

namespace velorin::window {
namespace {

using testing::WindowFixture;

struct Page3Fixture : WindowFixture {
    Page3& page;
    explicit Page3Fixture(
        const std::vector<std::pair<std::string, std::vector<std::string>>>& files)
        : page((Write(files), Load().page3)) {
        form->Strip1_Click(3);
    }
    void Write(const std::vector<std::pair<std::string, std::vector<std::string>>>& files) {
        settings().MainDir = dir.path();
        for (const auto& [name, lines] : files)
            testing::WriteBytes(dir.File(name), testing::GbkCrlf(lines));
    }
    void DoubleClick(const std::string& type, const std::string& name) {
        page.Combo2.ChooseText(type);
        int index = page.File2.IndexOf(name);
        ASSERT_GE(index, 0) << name;
        page.File2.DblClick(index);
    }
    void LoadControl(const std::string& name) { DoubleClick("控制点文件(*.ctl)", name); }
    void LoadSurvey(const std::string& name) { DoubleClick("测量文件(*.sur)", name); }
};

const std::vector<std::string> kControl = {"A1,3500000,500000,50", "B1,3500100,500000,51"};
const std::vector<std::string> kSurvey = {"cz,a1,1.5", "hs,b1", "hc,100,1,1.5",
                                          "P1,90.0000,20,0.2,1.5"};

TEST(Page3Loading, DoubleClicksFillTheTablesAndAppendControlPoints) {
    Page3Fixture w({{"k.ctl", kControl}, {"r1.sur", kSurvey}});
    w.LoadControl("k.ctl");
    w.LoadControl("k.ctl");
    w.LoadSurvey("r1.sur");
    ASSERT_EQ(w.page.ctl1.Rows(), 5);
    EXPECT_EQ(w.page.ctl1.rows[0],
              (std::vector<std::string>{"控制点", "纵 坐 标", "横 坐 标", "高程"}));
    EXPECT_EQ(w.page.ctl1.rows[4],
              (std::vector<std::string>{"B1", "3500100.000", "500000.000", "51.000", ""}));
    EXPECT_EQ(w.page.ControlFilePath, w.dir.File("k.ctl"));
    EXPECT_EQ(w.page.List2.items,
              (std::vector<std::string>{"CZ,A1,1.5", "HS,B1", "B1,0.0000,100,1,1.5",
                                        "P1,90.0000,20,0.2,1.5"}));
    EXPECT_EQ(w.page.SurveyFilePath, w.dir.File("r1.sur"));
    EXPECT_TRUE(w.ui.messages.empty());
}

TEST(Page3Loading, RefusedFileLeavesTheTablesAndSaysWhy) {
    Page3Fixture w({{"k.ctl", kControl}, {"bad.ctl", {"K1,1,2,3,4,5"}}});
    w.LoadControl("k.ctl");
    w.LoadControl("bad.ctl");
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Exclamation);
    EXPECT_NE(w.ui.messages[0].text.find(w.dir.File("bad.ctl")), std::string::npos);
    EXPECT_TRUE(w.ui.shown_aside[0]);
    EXPECT_EQ(w.page.ctl1.Rows(), 3);
    EXPECT_EQ(w.page.ControlFilePath, w.dir.File("k.ctl"));
}

TEST(Page3Keys, DeleteAndShiftDelete) {
    Page3Fixture w({{"k.ctl", kControl}, {"r1.sur", kSurvey}});
    w.LoadControl("k.ctl");
    w.page.ctl1.Select(0);
    w.page.ctl1.KeyDown(Key::Delete, false);
    EXPECT_EQ(w.page.ctl1.Rows(), 3);
    w.page.ctl1.Select(1);
    w.page.ctl1.KeyDown(Key::Delete, false);
    ASSERT_EQ(w.page.ctl1.Rows(), 2);
    EXPECT_EQ(w.page.ctl1.rows[1][0], "B1");
    EXPECT_EQ(w.page.ControlFilePath, w.dir.File("k.ctl"));
    w.page.ctl1.Select(1);
    w.page.ctl1.KeyDown(Key::Delete, false);
    EXPECT_EQ(w.page.ctl1.Rows(), 1);
    EXPECT_TRUE(w.page.ControlFilePath.empty());

    w.LoadControl("k.ctl");
    w.page.ctl1.KeyDown(Key::Delete, true);
    EXPECT_EQ(w.page.ctl1.Rows(), 1);

    w.LoadControl("k.ctl");
    w.LoadSurvey("r1.sur");
    w.page.Command4.Click();
    ASSERT_GT(w.page.cor1.Rows(), 1);
    w.page.List2.KeyDown(Key::Delete, false);
    EXPECT_FALSE(w.page.List2.items.empty());
    w.page.List2.KeyDown(Key::Delete, true);
    EXPECT_TRUE(w.page.List2.items.empty());
    EXPECT_TRUE(w.page.SurveyFilePath.empty());
    EXPECT_EQ(w.page.cor1.Rows(), 1);
    EXPECT_TRUE(w.page.CoordinateFilePath.empty());
}

TEST(Page3Computation, ComputeShowsTheReportAndSaveWritesTheFiles) {
    Page3Fixture w({{"k.ctl", kControl}, {"r1.sur", kSurvey}});
    w.LoadControl("k.ctl");
    w.LoadSurvey("r1.sur");
    w.page.Option2.Click();
    w.page.Command4.Click();
    std::string rule16, rule24;
    for (int i = 0; i < 16; ++i) rule16 += "—";
    for (int i = 0; i < 24; ++i) rule24 += "—";
    std::vector<std::string> report = {"测量类型：平距，高差测量",
                                       rule16,
                                       "☆ A1～B1",
                                       "——平面误差：0.000米，高程误差：0.000米",
                                       rule24,
                                       "— 2个坐标点全部计算完毕！"};
    EXPECT_EQ(w.page.List1.items, report);
    ASSERT_EQ(w.page.cor1.Rows(), 3);
    EXPECT_EQ(w.page.cor1.rows[1],
              (std::vector<std::string>{"B1校", "500000.000", "3500100.000", "51.000"}));
    EXPECT_EQ(w.page.cor1.rows[2],
              (std::vector<std::string>{"P1", "500020.000", "3500000.000", "50.200"}));
    EXPECT_EQ(w.page.CoordinateFilePath, w.dir.File("r1.cor"));
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0].title, "坐标计算");
    EXPECT_EQ(w.ui.messages[0].icon, app::MessageIcon::Information);
    EXPECT_TRUE(w.ui.shown_aside[0]);

    w.page.Command5.Click();
    EXPECT_EQ(testing::ReadBytes(w.dir.File("r1.cor")),
              testing::GbkCrlf(
                  {"; 坐标文件： " + w.dir.File("r1.cor"), "; 计算时间： 2024-5-6 14:03:22", "",
                   "B1校,500000.000,3500100.000,51.000,", "P1,500020.000,3500000.000,50.200,"}));
    std::vector<std::string> log = {"—— 坐标计算LOG文件 ——", "计算时间：2024-5-6 14:03:22", ""};
    log.insert(log.end(), report.begin(), report.end());
    EXPECT_EQ(testing::ReadBytes(w.dir.File("r1.log")), testing::GbkCrlf(log));
    EXPECT_FALSE(PathExists(w.dir.File("r1(支).ctl")));
    ASSERT_EQ(w.ui.messages.size(), 2u);
    EXPECT_EQ(w.ui.messages[1].title, "坐标保存");
    EXPECT_EQ(w.ui.messages[1].text, "数据已保存在“" + w.dir.File("r1.cor") + "”文件中！");
}

TEST(Page3Computation, SaveWithoutAComputationDoesNothing) {
    Page3Fixture w({{"k.ctl", kControl}});
    w.LoadControl("k.ctl");
    w.page.Command4.Click();
    w.page.Command5.Click();
    EXPECT_TRUE(w.ui.messages.empty());
    EXPECT_TRUE(w.page.List1.items.empty());
    EXPECT_FALSE(PathExists(w.dir.File("k.cor")));
}

// A run that stopped part-way leaves partial rows: "保存" refuses them instead of writing
// them under the name of the run before.
TEST(Page3Computation, SaveAfterAStoppedRunKeepsTheEarlierFiles) {
    Page3Fixture w(
        {{"k.ctl", kControl},
         {"r1.sur", kSurvey},
         // The second point's height overflows: the run stops after the first.
         {"r2.sur",
          {"cz,a1,1.7E308", "hs,b1", "P1,90.0000,20,0.2,1.5", "P2,90.0000,20,1.7E308,1.5"}}});
    w.LoadControl("k.ctl");
    w.LoadSurvey("r1.sur");
    w.page.Option2.Click();
    w.page.Command4.Click();
    w.page.Command5.Click();
    const std::string cor = testing::ReadBytes(w.dir.File("r1.cor"));
    const std::string log = testing::ReadBytes(w.dir.File("r1.log"));
    ASSERT_FALSE(cor.empty());

    w.LoadSurvey("r2.sur");
    w.page.Command4.Click();
    ASSERT_GT(w.page.cor1.Rows(), 1);  // P1 was computed before the stop
    EXPECT_TRUE(w.page.CoordinateFilePath.empty());
    size_t before = w.ui.messages.size();
    w.page.Command5.Click();
    ASSERT_EQ(w.ui.messages.size(), before + 1);
    EXPECT_EQ(w.ui.messages.back().title, "坐标保存");
    EXPECT_EQ(w.ui.messages.back().icon, app::MessageIcon::Exclamation);
    EXPECT_EQ(w.ui.messages.back().text,
              "本次坐标计算已中止，表中的坐标不完整，未保存。\n\n请改正后重新计算。");
    EXPECT_EQ(testing::ReadBytes(w.dir.File("r1.cor")), cor);
    EXPECT_EQ(testing::ReadBytes(w.dir.File("r1.log")), log);
    EXPECT_FALSE(PathExists(w.dir.File("r2.cor")));
}

// A point name GBK cannot hold is kept in the saved file, and the user is told once.
TEST(Page3Computation, ANameOutsideGbkIsKeptAndReported) {
    Page3Fixture w({{"k.ctl", kControl}});
    testing::WriteBytes(w.dir.File("u.sur"),
                        "\xEF\xBB\xBF"
                        "cz,a1,1.5\r\nhs,b1\r\nP\xC3\x98"
                        "1,90.0000,20,0.2,1.5\r\n");
    w.page.File2.Refresh();
    w.LoadControl("k.ctl");
    w.LoadSurvey("u.sur");
    w.page.Option2.Click();
    w.page.Command4.Click();
    w.page.Command5.Click();
    std::string bytes = testing::ReadBytes(w.dir.File("u.cor"));
    EXPECT_NE(bytes.find("\r\nP\x81\x30\x89\x31"
                         "1,500020.000,3500000.000,50.200,\r\n"),
              std::string::npos);
    std::vector<std::string> shown;
    for (const auto& m : w.ui.messages) shown.push_back(m.title + "：" + m.text);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "坐标计算：坐标计算结束！\n\n1个坐标点全部计算完毕！",
                         "保存：文件“" + w.dir.File("u.cor") +
                             "”中的“P\xC3\x98"
                             "1”含有GBK以外的字符，已按GB18030保存，旧版程序可能无法正确显示。",
                         "坐标保存：数据已保存在“" + w.dir.File("u.cor") + "”文件中！"}));
}

// The sample traverse, raw file to coordinates through pages 2 and 3, against the
// coordinates it was made from (2 mm in plane and height).
class SampleTraverse : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(SampleTraverse, ComputesToTheKnownCoordinates) {
    const auto& [raw, model] = GetParam();
    WindowFixture w;
    for (const char* name : {"traverse.dat", "traverse.idx", "traverse.ctl", "traverse_known.txt"})
        std::filesystem::copy_file(testing::SourceDir() + "examples/traverse/" + name,
                                   w.dir.File(name));
    w.settings().MainDir = w.dir.path();
    Form1& form = w.Load();
    form.Strip1_Click(2);
    form.page2.Combo1.ChooseText(model);
    form.page2.File1.DblClick(form.page2.File1.IndexOf(raw));
    form.page2.Command2.Click();
    form.Strip1_Click(3);
    Page3& page = form.page3;
    page.Combo2.ChooseText("控制点文件(*.ctl)");
    page.File2.DblClick(page.File2.IndexOf("traverse.ctl"));
    page.Combo2.ChooseText("测量文件(*.sur)");
    page.File2.DblClick(page.File2.IndexOf("traverse.sur"));
    page.Command4.Click();
    page.Command5.Click();

    std::map<std::string, std::vector<std::string>> known;
    for (const auto& line : ReadTextLines(w.dir.File("traverse_known.txt")).lines)
        if (!StartsWith(line, ";")) known[Split(line, ',')[0]] = Split(line, ',');
    TextLines cor = ReadTextLines(w.dir.File("traverse.cor"));
    ASSERT_TRUE(cor.status.ok());
    ASSERT_EQ(cor.lines.size(), 3 + 12u);
    for (size_t i = 3; i < cor.lines.size(); ++i) {
        std::vector<std::string> f = Split(cor.lines[i], ',');
        std::string name = f[0];
        if (EndsWith(name, "校") || EndsWith(name, "核"))
            name = name.substr(0, name.size() - std::string("校").size());
        SCOPED_TRACE(cor.lines[i]);
        ASSERT_TRUE(known.count(name));
        const auto& k = known[name];
        EXPECT_LE(std::hypot(LeadingNumber(f[1]) - LeadingNumber(k[2]),
                             LeadingNumber(f[2]) - LeadingNumber(k[1])),
                  0.002);
        if (name == "P6")
            EXPECT_EQ(f[3], "");  // its 12 m target height is above the limit
        else
            EXPECT_NEAR(LeadingNumber(f[3]), LeadingNumber(k[3]), 0.002);
    }
    EXPECT_EQ(page.List1.items.back(), "— 12个坐标点全部计算完毕！");
}

INSTANTIATE_TEST_SUITE_P(Files, SampleTraverse,
                         ::testing::Values(std::make_pair("traverse.dat", "Topcon GTS 311 (*.dat)"),
                                           std::make_pair("traverse.idx", "Leica TC 307 (*.idx)")),
                         [](const auto& info) { return info.index == 0 ? "Gts311" : "Idex"; });

}  // namespace
}  // namespace velorin::window
