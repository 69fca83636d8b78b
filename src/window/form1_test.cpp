// Choosing a tab: which page shows, what is emptied, and how each page is preset from
// the settings. Closing the window and the exit buttons.
#include "window/form1.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/settings.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "support/window_fixture.h"

namespace velorin::window {
namespace {

using testing::WindowFixture;

// Puts results on every page, as earlier work would have left them.
void FillResults(Form1& form) {
    form.page2.List3.AddItem("cz,A1,1.500");
    form.page3.List1.AddItem("√ 找到");
    form.page3.List2.AddItem("HS,K1");
    form.page3.ctl1.AddRow({"K1", "100.000", "200.000", "5.000"});
    form.page3.cor1.AddRow({"P1", "1.000", "2.000", "3.000"});
    form.page3.ControlFilePath = "/x/a.ctl";
    form.page3.SurveyFilePath = "/x/a.sur";
    form.page3.CoordinateFilePath = "/x/a.cor";
    form.page4.Pic1.Circle(1, 1, 0.5, PictureBox::kRed);
    form.page5.Cross1.AddRow({"0.000", "10.000", "0.000", "地_点"});
    form.page5.Pic2.Line(0, 0, 1, 1, PictureBox::kBlack);
    form.page6.Pic3.Print("累计：穿越该线的横断面一共有 3 条");
    form.page7.List4.AddItem("Dmh,K1");
    form.page7.List5.AddItem("Dmh,K1");
}

TEST(TabChoice, ShowsOnlyTheChosenPageAndEmptiesEveryPagesResults) {
    for (int tab = 1; tab <= 7; ++tab) {
        SCOPED_TRACE("tab " + std::to_string(tab));
        WindowFixture w;
        Form1& form = w.Load();
        FillResults(form);
        form.Strip1_Click(tab);

        EXPECT_EQ(form.Strip1.selected, tab);
        for (int n = 1; n <= 7; ++n) EXPECT_EQ(form.PageAt(n).visible, n == tab) << "page " << n;
        EXPECT_TRUE(form.page2.List3.items.empty());
        EXPECT_TRUE(form.page3.List2.items.empty());
        EXPECT_TRUE(form.page7.List4.items.empty());
        EXPECT_TRUE(form.page7.List5.items.empty());
        // Page 3 shows its banner again when it is the chosen page.
        EXPECT_EQ(form.page3.List1.items.size(), tab == 3 ? 3u : 0u);
        EXPECT_EQ(
            form.page3.ctl1.rows,
            (std::vector<std::vector<std::string>>{{"控制点", "纵 坐 标", "横 坐 标", "高程"}}));
        EXPECT_EQ(form.page3.cor1.rows,
                  (std::vector<std::vector<std::string>>{{"点号", "横坐标", "纵坐标", "高程"}}));
        EXPECT_EQ(form.page5.Cross1.rows,
                  (std::vector<std::vector<std::string>>{{"距离", "高程", "离心距", "备注"}}));
        EXPECT_TRUE(form.page4.Pic1.ops.empty());
        EXPECT_TRUE(form.page5.Pic2.ops.empty());
        EXPECT_TRUE(form.page6.Pic3.ops.empty());
        // A path kept with an emptied table would let a later save write from nothing.
        EXPECT_EQ(form.page3.ControlFilePath, "");
        EXPECT_EQ(form.page3.SurveyFilePath, "");
        EXPECT_EQ(form.page3.CoordinateFilePath, "");
    }
}

TEST(TabChoice, LoadingCreatesTheSevenTabsAndShowsPageOne) {
    WindowFixture w;
    Form1& form = w.Load();
    EXPECT_EQ(
        form.Strip1.captions,
        (std::array<std::string, 7>{"系统与设置", "测量文件格式", "坐标计算程序", "地形展点程序",
                                    "单断面生成", "批量生成断面", "数据生成断面"}));
    EXPECT_EQ(form.Strip1.selected, 1);
    EXPECT_TRUE(form.page1.visible);
    EXPECT_EQ(form.page1.Text1.text, w.dir.path());
    EXPECT_TRUE(form.page1.Text1.locked);
    EXPECT_EQ(form.page1.Mess.caption, "信息：");
    EXPECT_EQ(form.page1.Dir1.path + "/", w.dir.path());
}

TEST(TabChoice, PageThreeShowsItsBannerAnewAfterAComputation) {
    WindowFixture w;
    Form1& form = w.Load();
    form.Strip1_Click(3);
    form.page3.List1.Clear();
    form.page3.List1.AddItem("测量类型：自动");
    form.page3.Option3.Click();
    form.Strip1_Click(2);
    form.Strip1_Click(3);
    std::string rule;
    for (int i = 0; i < 22; ++i) rule += "—";
    EXPECT_EQ(form.page3.List1.items,
              (std::vector<std::string>{"坐标计算程序（测量工程专用）", rule,
                                        "当高差＞30米或垂直角≤30°时，不得选择自动"}));
    EXPECT_TRUE(form.page3.Option1.value);
    EXPECT_FALSE(form.page3.Option3.value);
    EXPECT_EQ(form.page3.Combo2.text, "控制点文件(*.ctl)");
    EXPECT_EQ(form.page3.File2.pattern, "*.ctl");
    EXPECT_TRUE(form.page3.Text5.locked);
}

TEST(TabChoice, PageTwoPresets) {
    WindowFixture w;
    Form1& form = w.Load();
    form.page2.Text2.text = "/old/path.dat";
    form.Strip1_Click(2);
    EXPECT_EQ(form.page2.Text2.text, "");
    EXPECT_TRUE(form.page2.Text2.locked);
    EXPECT_EQ(form.page2.Combo1.items,
              (std::vector<std::string>{"Topcon GTS 311 (*.dat)", "Leica TC 307 (*.idx)"}));
    EXPECT_EQ(form.page2.Combo1.text, "Topcon GTS 311 (*.dat)");
    EXPECT_EQ(form.page2.File1.pattern, "*.dat");
    EXPECT_EQ(form.page2.File1.path + "/", w.dir.path());
    EXPECT_EQ(form.page2.Text3.text, "10");
}

TEST(TabChoice, PageFourShowsTheScaleOnlyWhenItIsListed) {
    struct Row {
        const char* name;
        double plot_scale;
        const char* shown;
    };
    const Row rows[] = {
        {"1:100", 0.1, "1:100"},           {"1:500", 0.5, "1:500"},
        {"1:2000", 2, "1:2000"},           {"1:20000", 20, "1:20000"},
        {"unlisted 1:250", 0.25, "1:500"}, {"unlisted 1:300", 0.3, "1:500"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        w.settings().PlotScale = row.plot_scale;
        Form1& form = w.Load();
        form.Strip1_Click(4);
        EXPECT_EQ(form.page4.Combo4.text, row.shown);
        EXPECT_EQ(w.settings().PlotScale, row.plot_scale);
    }
}

TEST(TabChoice, PageFourPresetsCoordinateFiles) {
    WindowFixture w;
    w.settings().PointTextHeight = 2.5;
    w.settings().ElevTextHeight = 1.234;
    Form1& form = w.Load();
    form.Strip1_Click(4);
    Page4& p = form.page4;
    EXPECT_EQ(p.Text4.text, "2.50");
    EXPECT_EQ(p.Text6.text, "1.23");
    EXPECT_EQ(w.settings().ElevTextHeight, 1.234);  // showing does not change it
    EXPECT_EQ(p.Combo3.text, "坐标点(*.cor)");
    EXPECT_EQ(p.File3.pattern, "*.cor");
    EXPECT_TRUE(p.Check1.enabled);
    EXPECT_EQ(p.Check1.value, 1);
    EXPECT_TRUE(p.Check2.enabled);
    EXPECT_EQ(p.Check2.value, 0);
    EXPECT_FALSE(p.Option4.enabled);
    EXPECT_FALSE(p.Option5.enabled);
    EXPECT_EQ(p.Label13.caption, "地形点字高");
    EXPECT_TRUE(p.Text6.visible);
    EXPECT_FALSE(p.Combo5.visible);
    EXPECT_EQ(p.Combo5.text, "导线点");
    EXPECT_EQ(p.Combo5.items,
              (std::vector<std::string>{"GPS点", "导线点", "埋石图根点", "不埋石图根点"}));
}

TEST(TabChoice, PageFivePresets) {
    WindowFixture w;
    w.settings().HScale = 0.05;
    w.settings().VScale = 5;  // 1:5000 is not offered on this page
    w.settings().ValidOffset = 1.5;
    w.settings().SectionNo = "K3";
    w.settings().SymbolName = "自定符号";
    Form1& form = w.Load();
    form.Strip1_Click(5);
    Page5& p = form.page5;
    EXPECT_EQ(p.Combo6.text, "1:50");
    EXPECT_EQ(p.Combo7.text, "");
    EXPECT_EQ(w.settings().VScale, 5);
    EXPECT_EQ(p.Combo8.text, "自定符号");
    EXPECT_EQ(p.Text7.text, "1.50");
    EXPECT_EQ(p.Text8.text, "K3");
    EXPECT_EQ(p.Text9.text, "0");
    EXPECT_EQ(p.Text10.text, "000");
    EXPECT_EQ(p.Text11.text, "展点");
    EXPECT_EQ(p.Text12.text, "断_中心点");
    EXPECT_EQ(p.Check3.value, 0);
    EXPECT_EQ(p.Check4.value, 0);
    EXPECT_FALSE(p.Text11.enabled);
    EXPECT_FALSE(p.Text12.enabled);
    EXPECT_FALSE(p.Command11.enabled);
    EXPECT_TRUE(p.Command12.enabled);
}

TEST(TabChoice, PageSixPresetsAndKeepsTheRangeLinesTicked) {
    WindowFixture w;
    w.settings().CheckDirection = 0;
    w.settings().MarkStart = 1;
    w.settings().StartSectionNo = 12;
    w.settings().SectionSuffix = "左";
    Form1& form = w.Load();
    form.Strip1_Click(6);
    Page6& p = form.page6;
    EXPECT_EQ(p.Text13.text, "断_断面线");
    EXPECT_EQ(p.Text14.text, "断_中心点");
    EXPECT_EQ(p.Combo9.text, "纯坐标展点");
    EXPECT_EQ(p.Text15.text, "2.00");
    EXPECT_EQ(p.Combo10.text, "1:200");
    EXPECT_EQ(p.Combo11.text, "1:100");
    EXPECT_EQ(p.Text18.text, "ＸＸ市ＸＸ路横断面图");
    EXPECT_EQ(p.Text19.text, "断面");
    EXPECT_EQ(p.Text20.text, "12");
    EXPECT_EQ(p.Text21.text, "左");
    EXPECT_EQ(p.Check7.value, 0);
    EXPECT_EQ(p.Check8.value, 1);
    EXPECT_FALSE(p.Text16.enabled);
    EXPECT_FALSE(p.Text14.enabled);
    EXPECT_FALSE(p.Command16.enabled);

    EXPECT_EQ(p.Check6.caption, "标注有效范围线（必选）");
    EXPECT_EQ(p.Check6.value, 1);
    EXPECT_FALSE(p.Check6.enabled);
    p.Check6.Click();
    EXPECT_EQ(p.Check6.value, 1);
}

TEST(TabChoice, PageSevenShowsTheSectionDataFolderWhenItExists) {
    for (bool data_folder : {true, false}) {
        SCOPED_TRACE(data_folder ? "with 断面数据" : "without 断面数据");
        WindowFixture w;
        std::string main_dir = w.dir.path() + "work";
        std::filesystem::create_directories(main_dir);
        if (data_folder) std::filesystem::create_directories(main_dir + "/断面数据");
        testing::WriteBytes(main_dir + (data_folder ? "/断面数据/" : "/") + "K1.dm", "Dmh,K1\r\n");
        testing::WriteBytes(main_dir + (data_folder ? "/断面数据/" : "/") + "K1.txt", "x");
        w.settings().MainDir = main_dir;  // as Dir1 leaves it: no trailing separator
        w.settings().HScale = 5;
        Form1& form = w.Load();
        form.Strip1_Click(7);
        Page7& p = form.page7;
        EXPECT_EQ(w.settings().MainDir, main_dir + "/");
        EXPECT_EQ(p.File4.path, data_folder ? main_dir + "/断面数据" : main_dir);
        EXPECT_EQ(p.Dir5.path, p.File4.path);
        EXPECT_EQ(p.File4.items, std::vector<std::string>{"K1.dm"});
        EXPECT_EQ(p.Text22.text, "");
        EXPECT_TRUE(p.Text22.locked);
        EXPECT_EQ(p.Combo12.text, "");  // 1:5000 is not offered
        EXPECT_EQ(w.settings().HScale, 5);
        EXPECT_EQ(p.Combo13.text, "1:100");
        EXPECT_EQ(p.Text25.text, "ＸＸ市ＸＸ路横断面图");
        EXPECT_EQ(p.Check10.value, 0);
        EXPECT_FALSE(p.Text23.enabled);
        EXPECT_FALSE(p.Text24.enabled);
        EXPECT_FALSE(p.Check11.enabled);
        EXPECT_FALSE(p.Check12.enabled);
        EXPECT_TRUE(p.Command25.enabled);
    }
}

TEST(TabChoice, PageSevenResetsTheSaveBoxesEveryTime) {
    WindowFixture w;
    Form1& form = w.Load();
    form.Strip1_Click(7);
    form.page7.Check11.enabled = true;
    form.page7.Check11.value = 1;
    form.page7.Command25.enabled = false;
    form.Strip1_Click(1);
    form.Strip1_Click(7);
    EXPECT_EQ(form.page7.Check11.value, 0);
    EXPECT_FALSE(form.page7.Check11.enabled);
    EXPECT_TRUE(form.page7.Command25.enabled);
}

// ---- Leaving the program

std::vector<std::string> SettingsFile(const std::string& folder) {
    TextLines read = ReadTextLines(folder + "Velorin.ini");
    EXPECT_TRUE(read.status.ok()) << read.status.message();
    return read.lines;
}

TEST(Exit, EveryExitButtonWritesTheSettingsAndEndsTheProgram) {
    struct Row {
        int tab;
        const char* caption;
        Button& (*button)(Form1&);
    };
    const Row rows[] = {
        {1, "退出系统", [](Form1& f) -> Button& { return f.page1.Command1; }},
        {2, "退出系统", [](Form1& f) -> Button& { return f.page2.Command3; }},
        {3, "退出", [](Form1& f) -> Button& { return f.page3.Command6; }},
        {4, "退出", [](Form1& f) -> Button& { return f.page4.Command10; }},
        {5, "退出系统", [](Form1& f) -> Button& { return f.page5.Command15; }},
        {6, "退出系统", [](Form1& f) -> Button& { return f.page6.Command21; }},
        {7, "退出系统", [](Form1& f) -> Button& { return f.page7.Command7; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("page " + std::to_string(row.tab));
        WindowFixture w;
        Form1& form = w.Load();
        form.Strip1_Click(6);
        form.page6.Text19.Edit("桩");
        form.Strip1_Click(row.tab);
        Button& button = row.button(form);
        EXPECT_EQ(button.caption, row.caption);
        EXPECT_FALSE(w.ui.ended);
        button.Click();
        EXPECT_TRUE(w.ui.ended);
        std::vector<std::string> lines = SettingsFile(w.dir.path());
        ASSERT_EQ(lines.size(), 22u);
        EXPECT_EQ(lines[19], "桩");  // value line 18, SectionPrefix
    }
}

TEST(Exit, ClosingTheWindowAlsoWritesTheSettings) {
    WindowFixture w;
    Form1& form = w.Load();
    form.Strip1_Click(5);
    form.page5.Text7.Edit("3.25");
    form.Form_Unload();
    EXPECT_TRUE(w.ui.ended);
    app::Settings read = app::Settings::Defaults(w.dir.path());
    app::ReadSettingsFile(w.dir.path() + "Velorin.ini", read);
    EXPECT_EQ(read.ValidOffset, 3.25);
}

// ---- The window on the screen

// Exiting asks first (unsaved drawings); a cancelled exit writes nothing and ends nothing,
// from the exit button and from the close box alike.
TEST(Exit, ACancelledExitWritesNothingAndTheProgramGoesOn) {
    struct Case {
        const char* name;
        std::function<bool(Form1&)> exit;
    } cases[] = {
        {"close box", [](Form1& f) { return f.Form_Unload(); }},
        {"exit button of page 5",
         [](Form1& f) {
             f.Strip1_Click(5);
             f.page5.Command15.Click();
             return false;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFixture w;
        Form1& form = w.Load();
        w.ui.cancel_end = true;
        EXPECT_FALSE(c.exit(form));
        EXPECT_EQ(w.ui.end_questions, 1);
        EXPECT_FALSE(w.ui.ended);
        EXPECT_FALSE(PathExists(w.dir.path() + "Velorin.ini"));
        w.ui.cancel_end = false;
        EXPECT_TRUE(form.Form_Unload());
        EXPECT_TRUE(w.ui.ended);
        EXPECT_TRUE(PathExists(w.dir.path() + "Velorin.ini"));
    }
}

TEST(WindowPlace, StandsNearTheLowerRightCornerAndStepsAsideToTheRightEdge) {
    struct Row {
        const char* name;
        int screen_w, screen_h, left, top, aside_left;
    };
    const Row rows[] = {
        {"1920x1080 at 15 twips a pixel", 28800, 16200, 28800 - 8610 - 300, 16200 - 6090 - 800,
         28500},
        {"1024x768", 15360, 11520, 15360 - 8610 - 300, 11520 - 6090 - 800, 15060},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TwipRect home = Form1::HomePlace(row.screen_w, row.screen_h);
        TwipRect aside = Form1::AsidePlace(row.screen_w, row.screen_h);
        EXPECT_EQ(home.left, row.left);
        EXPECT_EQ(home.top, row.top);
        EXPECT_EQ(home.width, 8610);
        EXPECT_EQ(home.height, 6090);
        EXPECT_EQ(aside.left, row.aside_left);
        EXPECT_EQ(aside.top, home.top);
    }
}

}  // namespace
}  // namespace velorin::window
