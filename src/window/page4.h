// Page 4 "地形展点程序": plots coordinate and control point files into the drawing and
// previews them in a picture.
#pragma once

#include "window/page.h"

namespace velorin::window {

class Page4 : public Page {
  public:
    explicit Page4(app::Context& context);

    DriveList Drive4;
    DirList Dir4;
    FileList File3;        // several files may be chosen
    Label Label12;         // "文件类型："
    ComboBox Combo3;       // file type
    CheckBox Check1;       // "地形点"
    CheckBox Check2;       // "高程点"
    Label Label13;         // "地形点字高" / "控制点字高"
    TextBox Text4;         // PointTextHeight
    Label Label14;         // "高程点字高"
    TextBox Text6;         // ElevTextHeight
    Label Label15;         // "比例："
    ComboBox Combo4;       // PlotScale
    OptionButton Option4;  // "控制点（带高程）"
    OptionButton Option5;  // "控制点（不带高程）"
    Label Label16;         // "控制点类型："
    ComboBox Combo5;       // control point class (block name)
    PictureBox Pic1;       // preview
    Button Command8;       // "预览"
    Button Command9;       // "展点"
    Button Command10;      // "退出"

    // The preview window of the last preview, in drawing units.
    double PreviewLeft = 0, PreviewRight = 0, PreviewTop = 0, PreviewBottom = 0;

    void ClearResults() override;
    void Setup() override;

    // Field handlers.
    void Drive4_Change();
    void Dir4_Change();
    void Combo3_Click();  // the file type sets up the page
    void Combo4_Click();
    void Text4_GotFocus();
    void Text4_Change();
    void Text6_GotFocus();
    void Text6_Change();
    void Option4_Click();
    void Option5_Click();
    void Command10_Click();

    // Commands.
    void Command8_Click();  // preview
    void Command9_Click();  // plot the points
};

}  // namespace velorin::window
