// Page 5 "单断面生成": one section at a time from a section line in the drawing.
#pragma once

#include <optional>

#include "window/page.h"
#include "window/sheet_choice.h"

namespace velorin::window {

class Page5 : public Page {
  public:
    explicit Page5(app::Context& context);

    Label Label17;     // "断面号(横)："
    TextBox Text8;     // SectionNo
    Label Label18;     // "展点符号名："
    ComboBox Combo8;   // SymbolName, editable
    Label Label19;     // "点有效偏距："
    TextBox Text7;     // ValidOffset
    Label Label20;     // "米"
    CheckBox Check3;   // "限制断面点图层："
    TextBox Text11;    // the point layer
    CheckBox Check4;   // "道路中心点图层："
    TextBox Text12;    // CentreLayer
    Label Label21;     // "水平比例尺："
    ComboBox Combo6;   // HScale
    Label Label22;     // "垂直比例尺："
    ComboBox Combo7;   // VScale
    Label Label23;     // "起点里程：K"
    TextBox Text9;     // start chainage, kilometres
    Label Label24;     // "+"
    TextBox Text10;    // start chainage, metres
    Grid Cross1;       // the section's points
    PictureBox Pic2;   // profile preview
    Button Command11;  // "设中心点"
    Button Command12;  // "取断面线"
    Button Command13;  // "横断面图"
    Button Command14;  // "纵断面图"
    Button Command15;  // "退出系统"

    // "纵断面图纸：" and "纵断面PDF": the profile on sheets.
    SheetChoice Sheets;

    void ClearResults() override;
    void Setup() override;

    // Field handlers.
    void Text7_GotFocus();
    void Text7_Change();
    void Text8_GotFocus();
    void Text8_Change();
    void Text9_GotFocus();
    void Text10_GotFocus();
    void Text12_Change();
    void Combo6_Click();
    void Combo7_Click();
    void Combo8_Click();
    void Combo8_Change();
    void Check3_Click();
    void Check4_Click();
    void Command15_Click();

    // Commands.
    void Command11_Click();   // mark centre points
    void Command12_Click();   // take the section line
    void Command13_Click();   // cross-section plot
    void Command14_Click();   // profile
    void ProfilePdf_Click();  // the profile on sheets to a PDF file

  private:
    // The start chainage in metres from Text9 and Text10; nothing when refused (the user
    // has been told).
    std::optional<double> StartChainage();
    // The start chainage of a profile of the section taken; none when no section is taken
    // (nothing said) or the start chainage is wrong (said).
    std::optional<double> ProfileStart();
};

}  // namespace velorin::window
