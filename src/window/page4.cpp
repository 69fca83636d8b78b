#include "window/page4.h"

#include "base/numbers.h"
#include "base/strings.h"

namespace velorin::window {

namespace {
const char* const kCoordinateFiles = "坐标点(*.cor)";
const char* const kControlFiles = "控制点(*.ctl)";
}  // namespace

Page4::Page4(app::Context& context) : Page(context) {
    Label12.caption = "文件类型：";
    Check1.caption = "地形点";
    Check2.caption = "高程点";
    Label13.caption = "地形点字高";
    Label14.caption = "高程点字高";
    Label15.caption = "比例：";
    Option4.caption = "控制点（带高程）";
    Option5.caption = "控制点（不带高程）";
    Option4.group = Option5.group = {&Option4, &Option5};
    Label16.caption = "控制点类型：";
    File3.multi_select = true;
    Command8.caption = "预览";
    Command9.caption = "展点";
    Command10.caption = "退出";

    Drive4.on_change = [this] { Drive4_Change(); };
    Dir4.on_change = [this] { Dir4_Change(); };
    Combo3.on_click = [this] { Combo3_Click(); };
    Combo4.on_click = [this] { Combo4_Click(); };
    Text4.on_got_focus = [this] { Text4_GotFocus(); };
    Text4.on_change = [this] { Text4_Change(); };
    Text6.on_got_focus = [this] { Text6_GotFocus(); };
    Text6.on_change = [this] { Text6_Change(); };
    Option4.on_click = [this] { Option4_Click(); };
    Option5.on_click = [this] { Option5_Click(); };
    Command8.on_click = [this] { Command8_Click(); };
    Command9.on_click = [this] { Command9_Click(); };
    Command10.on_click = [this] { Command10_Click(); };
}

void Page4::ClearResults() { Pic1.Cls(); }

void Page4::Setup() {
    ShowFolder(settings().MainDir, Drive4, Dir4, &File3);
    File3.SetPattern("*.cor");
    Combo3.SetList({kCoordinateFiles, kControlFiles});
    Combo3.ShowIndex(0);
    Combo3_Click();
    Combo5.SetList({"GPS点", "导线点", "埋石图根点", "不埋石图根点"});
    Combo5.ShowItem("导线点");
    Combo4.SetList({"1:100", "1:200", "1:500", "1:1000", "1:2000", "1:5000", "1:10000", "1:20000"});
    // Only a scale of the list is shown; any other keeps its setting behind "1:500".
    static const double kListed[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20};
    Combo4.ShowItem("1:500");
    for (int i = 0; i < 8; ++i)
        if (settings().PlotScale == kListed[i]) Combo4.ShowIndex(i);
    Text4.text = Format(settings().PointTextHeight, "#0.00");
    Text6.text = Format(settings().ElevTextHeight, "#0.00");
}

void Page4::Drive4_Change() {
    if (FollowDrive(Drive4, Dir4)) Dir4_Change();
}

void Page4::Dir4_Change() { File3.SetPath(Dir4.path); }

void Page4::Combo3_Click() {
    std::string kind = LeftChars(Combo3.text, 3);
    bool coordinates = kind == "坐标点";
    if (!coordinates && kind != "控制点") return;
    File3.SetPattern(coordinates ? "*.cor" : "*.ctl");
    Check1.enabled = coordinates;
    Check1.value = coordinates ? 1 : 0;
    Check2.enabled = coordinates;
    Check2.value = 0;
    Option4.enabled = Option5.enabled = !coordinates;
    if (!coordinates) (settings().CtlWithElev == 1 ? Option4 : Option5).Select();
    Label13.caption = coordinates ? "地形点字高" : "控制点字高";
    Text6.enabled = Text6.visible = coordinates;
    Label14.enabled = Label14.visible = coordinates;
    Combo5.visible = Label16.visible = !coordinates;
}

void Page4::Combo4_Click() { settings().PlotScale = ScaleFactorOf(Combo4.text); }

void Page4::Text4_GotFocus() { Text4.SelectAll(); }

void Page4::Text4_Change() { settings().PointTextHeight = LeadingNumber(Text4.text); }

void Page4::Text6_GotFocus() { Text6.SelectAll(); }

void Page4::Text6_Change() { settings().ElevTextHeight = LeadingNumber(Text6.text); }

void Page4::Option4_Click() { settings().CtlWithElev = 1; }

void Page4::Option5_Click() { settings().CtlWithElev = 0; }

void Page4::Command10_Click() { ExitProgram(); }

}  // namespace velorin::window
