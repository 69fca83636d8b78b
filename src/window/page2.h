// Page 2 "测量文件格式": turns a total station's raw file into a survey file.
#pragma once

#include "window/page.h"

namespace velorin::window {

class Page2 : public Page {
  public:
    explicit Page2(app::Context& context);

    DriveList Drive2;
    DirList Dir2;
    FileList File1;
    Label Label2;     // "仪器型号："
    ComboBox Combo1;  // instrument model
    Label Label3;     // "文件："
    TextBox Text2;    // full path of the chosen raw file, read-only
    Label Label4;     // "无效觇标高： 忽略≥"
    TextBox Text3;    // target height limit, digits only
    Label Label5;     // "米的觇标高"
    ListBox List3;    // conversion list
    Button Command2;  // "保存 .sur 文件"
    Button Command3;  // "退出系统"

    // The survey file the conversion list is saved to; empty when there is nothing to save.
    std::string TargetPath;

    void ClearResults() override;
    void Setup() override;

    // Field handlers.
    void Drive2_Change();
    void Dir2_Change();
    void Combo1_Click();
    void File1_Click();
    void Text3_GotFocus();
    bool Text3_KeyPress(char32_t key);
    void Command3_Click();

    // Commands.
    void File1_DblClick();  // conversion
    void Command2_Click();  // save the survey file
};

}  // namespace velorin::window
