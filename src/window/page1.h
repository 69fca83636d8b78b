// Page 1 "系统与设置": the main directory and the about panel.
#pragma once

#include "window/page.h"

namespace velorin::window {

class Page1 : public Page {
  public:
    explicit Page1(app::Context& context);

    DriveList Drive1;
    DirList Dir1;
    Label Label1;     // "主目录："
    TextBox Text1;    // the main directory, read-only
    Label Mess;       // status line
    Label About;      // the about panel
    Button Command1;  // "退出系统"

    void Setup() override;

    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
};

}  // namespace velorin::window
