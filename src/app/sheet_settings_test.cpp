// The sheet choice kept between runs in its own file, apart from Velorin.ini.
#include "app/sheet_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "support/testing.h"

namespace velorin::app {
namespace {

TEST(SheetSettingsFile, WrittenAndReadBack) {
    velorin::testing::TempDir dir;
    std::string path = dir.File("sub/sheets.ini");  // the folder is made on writing
    SheetSettings s;
    s.on = true, s.paper = "A2", s.landscape = false;
    s.left = 30, s.right = 12.5, s.top = 8, s.bottom = 9;
    ASSERT_TRUE(WriteSheetSettings(path, s).ok());
    SheetSettings back = ReadSheetSettings(path);
    EXPECT_TRUE(back.on);
    EXPECT_EQ(back.paper, "A2");
    EXPECT_FALSE(back.landscape);
    EXPECT_EQ(back.left, 30);
    EXPECT_EQ(back.right, 12.5);
    EXPECT_EQ(back.top, 8);
    EXPECT_EQ(back.bottom, 9);
}

TEST(SheetSettingsFile, MissingFileAndUnsoundLinesLeaveTheDefaults) {
    velorin::testing::TempDir dir;
    SheetSettings missing = ReadSheetSettings(dir.File("none.ini"));
    EXPECT_FALSE(missing.on);
    EXPECT_EQ(missing.paper, "A3");
    EXPECT_TRUE(missing.landscape);

    std::ofstream(dir.File("bad.ini")) << "layout=sheets\npaper=B5\norientation=sideways\n"
                                          "left=-3\nright=abc\ntop=12\n";
    SheetSettings bad = ReadSheetSettings(dir.File("bad.ini"));
    EXPECT_TRUE(bad.on);
    EXPECT_EQ(bad.paper, "A3");
    EXPECT_TRUE(bad.landscape);
    EXPECT_EQ(bad.left, 25);
    EXPECT_EQ(bad.right, 10);
    EXPECT_EQ(bad.top, 12);
}

TEST(SheetSettingsFile, PathInTheUsersConfigurationFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string keep = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/velorin-config", 1);
    EXPECT_EQ(SheetSettingsPath(), "/tmp/velorin-config/velorin/sheets.ini");
    if (saved)
        setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(SheetSettingsFault, EveryPaperBothWaysIsSoundWithTheDefaultMargins) {
    for (const char* paper : {"A4", "A3", "A2", "A1"})
        for (bool landscape : {true, false}) {
            SheetSettings s;
            s.paper = paper, s.landscape = landscape;
            EXPECT_EQ(SheetSettingsFault(s), "") << paper << landscape;
        }
}

TEST(SheetSettingsFault, NamesTheCause) {
    struct Row {
        const char* name;
        const char* paper;
        double left, top;
        const char* cause;
    } const rows[] = {
        {"unknown paper", "B5", 25, 10, "图纸“B5”不认识：应为 A4、A3、A2 或 A1"},
        {"negative margin", "A3", -1, 10, "图纸边距应为不小于 0 的毫米数"},
        // A4 portrait: 210 - 150 - 10 = 50 mm across, less than 60.
        {"too wide", "A4", 150, 10, "图纸边距太大：A4 竖向图框内放不下断面和标题栏"},
        // A4 portrait: 297 - 200 - 10 - 29 = 58 mm high, less than 60.
        {"too high", "A4", 25, 200, "图纸边距太大：A4 竖向图框内放不下断面和标题栏"},
    };
    for (const Row& r : rows) {
        SheetSettings s;
        s.paper = r.paper, s.landscape = false, s.left = r.left, s.top = r.top;
        EXPECT_EQ(SheetSettingsFault(s), r.cause) << r.name;
    }
}

TEST(SheetSettingsFile, PaperSides) {
    const std::pair<const char*, double> rows[] = {
        {"A4", 297}, {"a3", 420}, {"A2", 594}, {"A1", 841}};
    for (auto [paper, long_side] : rows) {
        auto sides = PaperSides(paper);
        ASSERT_TRUE(sides) << paper;
        EXPECT_EQ(sides->second, long_side) << paper;
    }
    EXPECT_FALSE(PaperSides("A0"));
}

}  // namespace
}  // namespace velorin::app
