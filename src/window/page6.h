// Page 6 "批量生成断面": every section line crossed by one line along the road.
#pragma once

#include "window/page.h"
#include "window/sheet_choice.h"

namespace velorin::window {

class Page6 : public Page {
  public:
    explicit Page6(app::Context& context);

    Label Label25;       // "断面线图层："
    TextBox Text13;      // SectionLineLayer
    CheckBox Check9;     // "中心点归零"
    Label Label26;       // "中心点图层："
    TextBox Text14;      // CentreLayer
    Label Label27;       // "展点符号名："
    ComboBox Combo9;     // SymbolName, editable
    Label Label28;       // "点有效偏距："
    TextBox Text15;      // ValidOffset
    Label Label29;       // "水平比例尺："
    ComboBox Combo10;    // HScale
    Label Label30;       // "垂直比例尺："
    ComboBox Combo11;    // VScale
    CheckBox Check5;     // "统一高程轴："
    TextBox Text16;      // lower axis limit
    Label Label31;       // "～"
    TextBox Text17;      // upper axis limit
    Label Label32;       // "断面图标题："
    TextBox Text18;      // PlotTitle
    Label Label33;       // "断面号前缀："
    TextBox Text19;      // SectionPrefix
    Label Label34;       // "起始断面号："
    TextBox Text20;      // StartSectionNo, digits only
    Label Label35;       // "断面号后缀："
    TextBox Text21;      // SectionSuffix
    CheckBox Check6;     // "标注有效范围线（必选）"
    CheckBox Check7;     // "检查断面线方向"
    CheckBox Check8;     // "标识断面线起点"
    PictureBox Pic3;     // log and sketch
    Button Command16;    // "设中心点"
    Button Command17;    // "有效范围"
    Button Command18;    // "线型反向"
    Button Command19;    // "横断面图"
    SheetChoice Sheets;  // "图纸：" and "输出PDF"
    Button Command20;    // "删辅助线"
    Button Command21;    // "退出系统"

    void ClearResults() override;
    void Setup() override;

    // Field handlers.
    void Text13_GotFocus();
    void Text13_Change();
    void Text14_GotFocus();
    void Text14_Change();
    void Text15_GotFocus();
    void Text15_Change();
    void Text16_GotFocus();
    void Text17_GotFocus();
    void Text18_GotFocus();
    void Text18_Change();
    void Text19_GotFocus();
    void Text19_Change();
    void Text20_GotFocus();
    bool Text20_KeyPress(char32_t key);
    void Text20_Change();
    void Text21_GotFocus();
    void Text21_Change();
    void Combo9_Click();
    void Combo9_Change();
    void Combo10_Click();
    void Combo11_Click();
    void Check5_Click();
    void Check7_Click();
    void Check8_Click();
    void Check9_Click();
    void Command21_Click();

    // Commands.
    void Command16_Click();  // mark centre points
    void Command17_Click();  // valid range
    void Command18_Click();  // reverse lines
    void Command19_Click();  // batch sections
    void SheetsPdf_Click();  // the sheets to a PDF file
    void Command20_Click();  // delete auxiliary lines
};

}  // namespace velorin::window
