#include "app/settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/module1.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "support/testing.h"

namespace velorin::app {
namespace {

const char* kProgramDir = "/opt/velorin/";

// The settings after applying these value lines (comments and all) to the defaults.
Settings Read(const std::vector<std::string>& lines) {
    Settings s = Settings::Defaults(kProgramDir);
    ApplySettingsLines(lines, s);
    return s;
}

// Value lines 1..n with `line` at position `at` and plain valid values elsewhere.
std::vector<std::string> WithLine(int at, const std::string& line) {
    std::vector<std::string> lines = {"; 警告", ";"};
    for (int i = 1; i < at; ++i) lines.push_back(i == 1 ? "/" : i == 8 ? "Romans" : "1");
    lines.push_back(line);
    return lines;
}

TEST(SettingsDefaultsTest, TwentyDefaults) {
    Settings s = Settings::Defaults(kProgramDir);
    EXPECT_EQ(s.MainDir, kProgramDir);
    EXPECT_EQ(s.PlotScale, 0.5);
    EXPECT_EQ(s.HScale, 0.2);
    EXPECT_EQ(s.VScale, 0.1);
    EXPECT_EQ(s.SymbolName, "纯坐标展点");
    EXPECT_EQ(s.PlotTitle, "ＸＸ市ＸＸ路横断面图");
    EXPECT_EQ(s.SectionSuffix, "");
    EXPECT_EQ(s.StartSectionNo, 1);
    EXPECT_EQ(s.CtlWithElev, 1);
    EXPECT_EQ(s.MarkStart, 0);
}

struct ValueLineCase {
    const char* name;
    std::vector<std::string> lines;
    std::function<bool(const Settings&)> holds;
    friend void PrintTo(const ValueLineCase& c, std::ostream* os) { *os << c.name; }
};

class ValueLineTest : public ::testing::TestWithParam<ValueLineCase> {};

TEST_P(ValueLineTest, AppliesTheLinesRule) {
    EXPECT_TRUE(GetParam().holds(Read(GetParam().lines)));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ValueLineTest,
    ::testing::Values(
        ValueLineCase{"OnlyCommentsKeepDefaults",
                      {"; 警告：该文件内容的修改可能会导致本系统的非正常运行！！！", ";"},
                      [](const Settings& s) {
                          Settings d = Settings::Defaults(kProgramDir);
                          return SettingsFileLines(s) == SettingsFileLines(d);
                      }},
        ValueLineCase{
            "MainDirThatExists", {"/tmp"}, [](const Settings& s) { return s.MainDir == "/tmp"; }},
        ValueLineCase{"MainDirGoneKeepsDefault",
                      {"/no/such/folder/at/all"},
                      [](const Settings& s) { return s.MainDir == kProgramDir; }},
        ValueLineCase{"EmptyMainDirKeepsDefault",
                      {""},
                      [](const Settings& s) { return s.MainDir == kProgramDir; }},
        ValueLineCase{"NumberLine", WithLine(2, "3.5"),
                      [](const Settings& s) { return s.PointTextHeight == 3.5; }},
        ValueLineCase{"NumberLineWithBlanks", WithLine(3, "  2.5  "),
                      [](const Settings& s) { return s.ElevTextHeight == 2.5; }},
        ValueLineCase{"NotANumberKeepsDefault", WithLine(4, "1:500"),
                      [](const Settings& s) { return s.PlotScale == 0.5; }},
        ValueLineCase{"ScaleOneToTwenty", WithLine(6, "0.02"),
                      [](const Settings& s) { return s.HScale == 0.02; }},
        ValueLineCase{"FlagOneDotZeroKeepsDefault", WithLine(5, "1.0"),
                      [](const Settings& s) { return s.CtlWithElev == 1; }},
        ValueLineCase{"FlagZeroBetweenBlanks", WithLine(5, " 0 "),
                      [](const Settings& s) { return s.CtlWithElev == 0; }},
        ValueLineCase{"FlagTwoKeepsDefault", WithLine(15, "2"),
                      [](const Settings& s) { return s.CheckDirection == 1; }},
        ValueLineCase{"MarkStartOne", WithLine(16, "1"),
                      [](const Settings& s) { return s.MarkStart == 1; }},
        ValueLineCase{"BlankSymbolKeepsDefault", WithLine(10, ""),
                      [](const Settings& s) { return s.SymbolName == "纯坐标展点"; }},
        ValueLineCase{"SymbolName", WithLine(10, "高程点"),
                      [](const Settings& s) { return s.SymbolName == "高程点"; }},
        ValueLineCase{"BlankTitleIsEmpty", WithLine(14, ""),
                      [](const Settings& s) { return s.PlotTitle.empty(); }},
        ValueLineCase{"SectionNoAsIs", WithLine(17, "K1+020"),
                      [](const Settings& s) { return s.SectionNo == "K1+020"; }},
        ValueLineCase{"StartHalfToEvenDown", WithLine(19, "2.5"),
                      [](const Settings& s) { return s.StartSectionNo == 2; }},
        ValueLineCase{"StartHalfToEvenUp", WithLine(19, "3.5"),
                      [](const Settings& s) { return s.StartSectionNo == 4; }},
        ValueLineCase{"StartNotANumber", WithLine(19, "abc"),
                      [](const Settings& s) { return s.StartSectionNo == 1; }},
        ValueLineCase{"StartTooLargeKeepsDefault", WithLine(19, "1e12"),
                      [](const Settings& s) { return s.StartSectionNo == 1; }},
        ValueLineCase{"SuffixEmpty", WithLine(20, ""),
                      [](const Settings& s) { return s.SectionSuffix.empty(); }},
        ValueLineCase{"ExtraLinesIgnored",
                      [] {
                          auto l = WithLine(20, "尾");
                          l.push_back("junk");
                          return l;
                      }(),
                      [](const Settings& s) { return s.SectionSuffix == "尾"; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValueLineTest, CommentBetweenLinesChangesNothingButABlankLineShifts) {
    std::vector<std::string> base = {"/tmp", "3", "4", "0.2", "0"};
    std::vector<std::string> commented = {"/tmp", "3", "4", "; note", "0.2", "0"};
    std::vector<std::string> blank = {"/tmp", "3", "4", "", "0.2", "0"};
    EXPECT_EQ(SettingsFileLines(Read(commented)), SettingsFileLines(Read(base)));
    Settings shifted = Read(blank);
    EXPECT_EQ(shifted.PlotScale, 0.5);  // line 4 is the blank one: not a number
    EXPECT_EQ(shifted.CtlWithElev, 1);  // line 5 reads 0.2: not a flag
    EXPECT_EQ(shifted.HScale, 0.0);     // line 6 reads 0
}

TEST(SettingsFileTest, WritesTheTwentyTwoLinesByteForByte) {
    Settings s = Settings::Defaults("/home/user/work/");
    s.HScale = 0.02;
    s.StartSectionNo = -3;
    testing::TempDir dir;
    ASSERT_TRUE(WriteSettingsFile(dir.File("Velorin.ini"), s).ok());
    std::string expected =
        testing::GbkCrlf({"; 警告：该文件内容的修改可能会导致本系统的非正常运行！！！",
                          ";",
                          "/home/user/work/",
                          "2.00",
                          "2.00",
                          "0.50",
                          " 1 ",
                          "0.02",
                          "0.10",
                          "Romans",
                          "Htj_S",
                          "纯坐标展点",
                          "断_断面线",
                          "断_中心点",
                          "2.00",
                          "ＸＸ市ＸＸ路横断面图",
                          " 1 ",
                          " 0 ",
                          "断1",
                          "断面",
                          "-3 ",
                          ""});
    EXPECT_EQ(testing::ReadBytes(dir.File("Velorin.ini")), expected);
}

TEST(SettingsFileTest, WrittenSettingsReadBackTheSame) {
    testing::TempDir dir;
    Settings s = Settings::Defaults(dir.path());
    s.PointTextHeight = 2.5;
    s.VScale = 0.05;
    s.CtlWithElev = 0;
    s.PlotTitle = "";
    s.SectionSuffix = "右";
    s.StartSectionNo = 17;
    ASSERT_TRUE(WriteSettingsFile(dir.File("Velorin.ini"), s).ok());
    Settings back = Settings::Defaults("/elsewhere/");
    ReadSettingsFile(dir.File("Velorin.ini"), back);
    EXPECT_EQ(SettingsFileLines(back), SettingsFileLines(s));
}

class RecordingUi : public Ui {
  public:
    void MessageBox(MessageIcon icon, std::string_view title, std::string_view text) override {
        messages.push_back({icon, std::string(title), std::string(text)});
    }
    void EndProgram() override { ended = true; }
    struct Message {
        MessageIcon icon;
        std::string title, text;
    };
    std::vector<Message> messages;
    bool ended = false;
};

TEST(StartupTest, MissingStoreStopsWithTheMessageAndCreatesNothing) {
    testing::TempDir dir;
    RecordingUi ui;
    EXPECT_FALSE(Startup(dir.path(), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ui.messages[0].title, "Velorin");
    EXPECT_EQ(ui.messages[0].text, "本系统文件不全，请重新安装或与开发者联系！");
    EXPECT_FALSE(PathExists(dir.File("Velorin.mdb")));
    EXPECT_FALSE(PathExists(dir.File("Velorin.ini")));
}

TEST(StartupTest, DamagedStoreGetsAMessageNamingIt) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("Velorin.mdb"), "not a database at all, just text");
    RecordingUi ui;
    EXPECT_FALSE(Startup(dir.path(), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("Velorin.mdb"), std::string::npos);
}

TEST(StartupTest, ReadsSettingsOpensStoreAndExitWritesThemBack) {
    testing::TempDir dir;
    testing::CopyStoreInto(dir.path());
    testing::WriteBytes(dir.File("Velorin.ini"), testing::GbkCrlf({"; c", ";", "", "3.00"}));
    RecordingUi ui;
    auto program = Startup(dir.path() + "", ui);
    ASSERT_TRUE(program);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(program->ProgramDir, dir.path());
    EXPECT_EQ(program->settings.MainDir, dir.path());
    EXPECT_EQ(program->settings.PointTextHeight, 3.0);
    EXPECT_TRUE(program->store->Standing(store::WorkingStore::Table::Point).EndOfFile());
    program->settings.SectionNo = "断7";
    ExitSystem(*program, ui);
    EXPECT_TRUE(ui.ended);
    auto lines = ReadTextLines(dir.File("Velorin.ini")).lines;
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[3], "3.00");
    EXPECT_EQ(lines[18], "断7");
}

TEST(StartupTest, ExitThatCannotWriteSaysSoAndStillEnds) {
    testing::TempDir dir;
    testing::CopyStoreInto(dir.path());
    RecordingUi ui;
    auto program = Startup(dir.path(), ui);
    ASSERT_TRUE(program);
    ASSERT_TRUE(MakeFolder(dir.File("Velorin.ini")));  // a folder where the file should go
    ExitSystem(*program, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("Velorin.ini"), std::string::npos);
    EXPECT_TRUE(ui.ended);
}

}  // namespace
}  // namespace velorin::app
