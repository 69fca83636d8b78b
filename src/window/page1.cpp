#include "window/page1.h"

#include "window/drives.h"

namespace velorin::window {

Page1::Page1(app::Context& context) : Page(context) {
    Label1.caption = "主目录：";
    Text1.locked = true;
    About.caption = "Velorin\n\n用于道路、堤坝、水利等\n断面测量工程";
    Command1.caption = "退出系统";
    Drive1.on_change = [this] { Drive1_Change(); };
    Dir1.on_change = [this] { Dir1_Change(); };
    Command1.on_click = [this] { Command1_Click(); };
}

void Page1::Setup() {
    ShowFolder(settings().MainDir, Drive1, Dir1, nullptr);
    Text1.text = settings().MainDir;
    Text1.locked = true;
    Mess.caption = "信息：";
}

void Page1::Drive1_Change() {
    std::string chosen = Drive1.drive;
    if (!FollowDrive(Drive1, Dir1)) {
        Mess.caption = "错误：磁盘[" + DriveName(chosen) + "]没找到，请检查是否放入磁盘！";
        return;
    }
    Mess.caption = "信息：";
    Dir1_Change();
}

void Page1::Dir1_Change() {
    Text1.text = Dir1.path;
    settings().MainDir = Text1.text;
}

void Page1::Command1_Click() { ExitProgram(); }

}  // namespace velorin::window
