#include "window/page2.h"

namespace velorin::window {

namespace {
const char* const kGts311 = "Topcon GTS 311 (*.dat)";
const char* const kIdex = "Leica TC 307 (*.idx)";
}  // namespace

Page2::Page2(app::Context& context) : Page(context) {
    Label2.caption = "仪器型号：";
    Label3.caption = "文件：";
    Label4.caption = "无效觇标高： 忽略≥";
    Label5.caption = "米的觇标高";
    Text2.locked = true;
    Command2.caption = "保存 .sur 文件";
    Command3.caption = "退出系统";
    Drive2.on_change = [this] { Drive2_Change(); };
    Dir2.on_change = [this] { Dir2_Change(); };
    Combo1.on_click = [this] { Combo1_Click(); };
    File1.on_click = [this] { File1_Click(); };
    File1.on_dbl_click = [this] { File1_DblClick(); };
    Text3.on_got_focus = [this] { Text3_GotFocus(); };
    Text3.on_key_press = [this](char32_t key) { return Text3_KeyPress(key); };
    Command2.on_click = [this] { Command2_Click(); };
    Command3.on_click = [this] { Command3_Click(); };
}

void Page2::ClearResults() {
    List3.Clear();
    TargetPath.clear();
}

void Page2::Setup() {
    Text2.text.clear();
    Text2.locked = true;
    ShowFolder(settings().MainDir, Drive2, Dir2, &File1);
    File1.SetPattern("*.dat");
    Combo1.SetList({kGts311, kIdex});
    Combo1.ShowIndex(0);
    Text3.text = "10";
}

void Page2::Drive2_Change() {
    if (FollowDrive(Drive2, Dir2)) Dir2_Change();
}

void Page2::Dir2_Change() { File1.SetPath(Dir2.path); }

void Page2::Combo1_Click() {
    if (Combo1.text == kGts311)
        File1.SetPattern("*.dat");
    else if (Combo1.text == kIdex)
        File1.SetPattern("*.idx");
}

void Page2::File1_Click() { Text2.text = ChosenFilePath(File1); }

void Page2::Text3_GotFocus() { Text3.SelectAll(); }

bool Page2::Text3_KeyPress(char32_t key) { return key >= U'0' && key <= U'9'; }

void Page2::Command3_Click() { ExitProgram(); }

}  // namespace velorin::window
