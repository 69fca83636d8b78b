#include "window/page3.h"

namespace velorin::window {

namespace {
const char* const kControlFiles = "控制点文件(*.ctl)";
const char* const kSurveyFiles = "测量文件(*.sur)";
}  // namespace

Page3::Page3(app::Context& context) : Page(context) {
    Label6.caption = "文件类型：";
    Label7.caption = "文件：";
    Label8.caption = "控制点：";
    Label9.caption = "测量数据：";
    Label10.caption = "计算结果：";
    Label11.caption = "测量类型：";
    Text5.locked = true;
    Option1.caption = "自动";
    Option2.caption = "平距高差";
    Option3.caption = "斜距垂直角";
    for (OptionButton* option : {&Option1, &Option2, &Option3})
        option->group = {&Option1, &Option2, &Option3};
    Option1.value = true;
    Command4.caption = "计算";
    Command5.caption = "保存";
    Command6.caption = "退出";
    ctl1.SetHeader({"控制点", "纵 坐 标", "横 坐 标", "高程"});
    cor1.SetHeader({"点号", "横坐标", "纵坐标", "高程"});

    Drive3.on_change = [this] { Drive3_Change(); };
    Dir3.on_change = [this] { Dir3_Change(); };
    Combo2.on_click = [this] { Combo2_Click(); };
    File2.on_click = [this] { File2_Click(); };
    File2.on_dbl_click = [this] { File2_DblClick(); };
    ctl1.on_key_down = [this](Key key, bool shift) { ctl1_KeyDown(key, shift); };
    List2.on_key_down = [this](Key key, bool shift) { List2_KeyDown(key, shift); };
    Command4.on_click = [this] { Command4_Click(); };
    Command5.on_click = [this] { Command5_Click(); };
    Command6.on_click = [this] { Command6_Click(); };
}

void Page3::ClearResults() {
    List1.Clear();
    List2.Clear();
    SurveyFilePath.clear();
    ctl1.CutToHeader();
    ControlFilePath.clear();
    cor1.CutToHeader();
    CoordinateFilePath.clear();
}

void Page3::Setup() {
    Text5.text.clear();
    Text5.locked = true;
    ShowFolder(settings().MainDir, Drive3, Dir3, &File2);
    File2.SetPattern("*.ctl");
    Combo2.SetList({kControlFiles, kSurveyFiles});
    Combo2.ShowIndex(0);
    ctl1.SetHeader({"控制点", "纵 坐 标", "横 坐 标", "高程"});
    cor1.SetHeader({"点号", "横坐标", "纵坐标", "高程"});
    List1.AddItem("坐标计算程序（测量工程专用）");
    std::string rule;
    for (int i = 0; i < 22; ++i) rule += "—";
    List1.AddItem(rule);
    List1.AddItem("当高差＞30米或垂直角≤30°时，不得选择自动");
    Option1.Select();
}

void Page3::Drive3_Change() {
    if (FollowDrive(Drive3, Dir3)) Dir3_Change();
}

void Page3::Dir3_Change() { File2.SetPath(Dir3.path); }

void Page3::Combo2_Click() {
    if (Combo2.text == kControlFiles)
        File2.SetPattern("*.ctl");
    else if (Combo2.text == kSurveyFiles)
        File2.SetPattern("*.sur");
}

void Page3::File2_Click() { Text5.text = ChosenFilePath(File2); }

void Page3::Command6_Click() { ExitProgram(); }

}  // namespace velorin::window
