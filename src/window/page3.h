// Page 3 "坐标计算程序": loads control points and observations, computes coordinates,
// saves the results.
#pragma once

#include "window/page.h"

namespace velorin::window {

class Page3 : public Page {
  public:
    explicit Page3(app::Context& context);

    DriveList Drive3;
    DirList Dir3;
    FileList File2;
    Label Label6;          // "文件类型："
    ComboBox Combo2;       // file type
    Label Label7;          // "文件："
    TextBox Text5;         // full path of the chosen file, read-only
    Label Label8;          // "控制点："
    Grid ctl1;             // control point table: name, X, Y, H, mark
    Label Label9;          // "测量数据："
    ListBox List2;         // observation list
    Label Label10;         // "计算结果："
    Grid cor1;             // result table
    ListBox List1;         // message list (report)
    Label Label11;         // "测量类型："
    OptionButton Option1;  // "自动"
    OptionButton Option2;  // "平距高差"
    OptionButton Option3;  // "斜距垂直角"
    Button Command4;       // "计算"
    Button Command5;       // "保存"
    Button Command6;       // "退出"

    // The paths kept with the tables: the last control point file loaded into ctl1, the
    // survey file in List2, the coordinate file cor1 is saved to. Each is emptied with
    // its table.
    std::string ControlFilePath;
    std::string SurveyFilePath;
    std::string CoordinateFilePath;

    void ClearResults() override;
    void Setup() override;

    // Field handlers.
    void Drive3_Change();
    void Dir3_Change();
    void Combo2_Click();
    void File2_Click();
    void Command6_Click();

    // Commands.
    void File2_DblClick();                    // load a control point or survey file
    void ctl1_KeyDown(Key key, bool shift);   // Delete, Shift+Delete
    void List2_KeyDown(Key key, bool shift);  // Shift+Delete
    void Command4_Click();                    // compute
    void Command5_Click();                    // save
};

}  // namespace velorin::window
