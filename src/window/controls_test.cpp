// The control models on their own: picture boxes in user coordinates and the file
// patterns of file lists.
#include "window/controls.h"

#include <gtest/gtest.h>

namespace velorin::window {
namespace {

TEST(PictureBox, DrawsInUserCoordinatesAndPrintsLineByLine) {
    PictureBox pic;
    pic.width_px = 200;
    pic.height_px = 100;
    pic.line_px = 10;
    // Northing upwards: the upper left corner has the larger y.
    pic.Scale(100, 250, 300, 150);
    EXPECT_DOUBLE_EQ(pic.TextHeight(), -10);  // a line is 10 pixels of 100 for 100 units, downwards
    pic.Circle(200, 200, 1.5, PictureBox::kRed);
    pic.PrintAt(110, 240, "K1");
    pic.Print("K2");
    ASSERT_EQ(pic.ops.size(), 3u);
    EXPECT_EQ(pic.ops[0].kind, PictureOp::Kind::Circle);
    EXPECT_EQ(pic.ops[0].color, 255u);
    EXPECT_DOUBLE_EQ(pic.ops[2].x1, 100);  // the next line starts at the left edge
    EXPECT_DOUBLE_EQ(pic.ops[2].y1, 230);
    EXPECT_EQ(pic.Texts(), (std::vector<std::string>{"K1", "K2"}));
    pic.Cls();
    EXPECT_TRUE(pic.ops.empty());
    EXPECT_DOUBLE_EQ(pic.current_y, 250);
}

TEST(PictureBox, LogLinesRunDownFromTheTopInTheDefaultScale) {
    PictureBox pic;
    pic.height_px = 300;
    pic.line_px = 15;
    pic.ScaleDefault();
    for (const char* line : {"a", "b", "c"}) pic.Print(line);
    EXPECT_DOUBLE_EQ(pic.ops[0].y1, 0);
    EXPECT_DOUBLE_EQ(pic.ops[1].y1, 15);
    EXPECT_DOUBLE_EQ(pic.ops[2].y1, 30);
}

TEST(FilePattern, MatchesTheExtensionWithoutRegardToCase) {
    struct Row {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Row rows[] = {
        {"a.dat", "*.dat", true},
        {"A.DAT", "*.dat", true},
        {"a.dat.bak", "*.dat", false},
        {"adat", "*.dat", false},
        {"k.cor", "*.cor;*.ctl", true},
        {"k.ctl", "*.cor;*.ctl", true},
        {"断面1～断面3.dm", "*.dm", true},
        {"x.txt", "*.*", true},
        {"x", "*.*", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MatchesPattern(row.name, row.pattern), row.matches) << row.name;
}

TEST(ComboBox, ShowsOnlyListedEntriesAndTakesTypingWhenEditable) {
    ComboBox combo;
    int clicks = 0, changes = 0;
    combo.on_click = [&] { ++clicks; };
    combo.on_change = [&] { ++changes; };
    combo.SetList({"1:20", "1:50"});
    combo.ShowItem("1:50");
    EXPECT_EQ(combo.text, "1:50");
    combo.ShowItem("1:5000");
    EXPECT_EQ(combo.text, "");
    EXPECT_EQ(combo.list_index, -1);
    EXPECT_EQ(clicks, 0);  // the page's own presets run no handler
    combo.Choose(0);
    EXPECT_EQ(clicks, 1);
    combo.Edit("1:30");  // not editable
    EXPECT_EQ(combo.text, "1:20");
    combo.editable = true;
    combo.Edit("1:30");
    EXPECT_EQ(combo.text, "1:30");
    EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace velorin::window
