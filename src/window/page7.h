// Page 7 "数据生成断面": sections from a section data file, plotted again or exported.
#pragma once

#include <string>
#include <vector>

#include "window/page.h"
#include "window/sheet_choice.h"

namespace velorin::window {

class Page7 : public Page {
  public:
    explicit Page7(app::Context& context);

    Label Label36;  // frame "断面文件"
    DriveList Drive5;
    DirList Dir5;
    FileList File4;
    TextBox Text22;      // full path of the chosen file, read-only
    Label Label37;       // "兼容格式："
    ListBox List4;       // the file's lines as read
    Label Label38;       // "标准格式："
    ListBox List5;       // the loaded sections in the standard format
    Label Label39;       // "水平比例尺："
    ComboBox Combo12;    // HScale
    Label Label40;       // "垂直比例尺："
    ComboBox Combo13;    // VScale
    CheckBox Check10;    // "统一高程轴："
    TextBox Text23;      // lower axis limit
    Label Label41;       // "～"
    TextBox Text24;      // upper axis limit
    Label Label42;       // "米"
    Label Label43;       // "断面图标题："
    TextBox Text25;      // PlotTitle
    Button Command23;    // "横断面图"
    Button Command24;    // "纵断面图"
    SheetChoice Sheets;  // "图纸：", "输出PDF" and "纵断面PDF"
    Button Command25;    // "保存数据"
    CheckBox Check11;    // "保存标准断面格式"
    CheckBox Check12;    // "保存道路左右格式"
    Button Command7;     // "退出系统"

    // Exchange formats for road-design, survey and spreadsheet programs.
    Label Label44;     // "文件类型："
    ComboBox Combo14;  // which files File4 lists
    CheckBox Check13;  // "CASS .hdm": the survey package's mileage file
    CheckBox Check14;  // "纬地 .HDM/.DMX": the road-design package's ground lines
    CheckBox Check15;  // "LandXML .xml": LandXML 1.2 cross-sections
    CheckBox Check16;  // "CSV .csv": a table for spreadsheets
    Label Label45;     // "起点里程："
    TextBox Text26;    // start chainage, for sections whose names are not chainages
    Label Label46;     // "间距："
    TextBox Text27;    // spacing of those sections
    Label Label47;     // "米"

    // The files the last "保存数据" wrote, in order.
    std::vector<std::string> saved_files;

    // The entries of the file type box.
    static std::vector<std::string> FileTypes();

    void ClearResults() override;
    void Setup() override;

    // Field handlers.
    void Drive5_Change();
    void Dir5_Change();
    void File4_Click();
    void Combo12_Click();
    void Combo13_Click();
    void Text25_Change();
    void Check10_Click();
    void Command7_Click();
    void Combo14_Click();

    // Commands.
    void File4_DblClick();    // load the file
    void Command23_Click();   // cross-section plots
    void SheetsPdf_Click();   // the sheets to a PDF file
    void Command24_Click();   // profile
    void ProfilePdf_Click();  // the profile on sheets to a PDF file
    void Command25_Click();   // save data

  private:
    bool LoadSectionFile();                          // List4's lines, as read
    bool LoadExchangeFile(const std::string& path);  // .hdm, .xml, .csv
    void Refuse(const std::string& message);
    // Where a PDF goes: beside the section data file, named after it with `suffix`, or
    // `name` in the main directory.
    std::string PdfPath(const std::string& suffix, const std::string& name);
    // The unified axis from the page, 0 and 0 when not ticked; false (user told) when unsound.
    bool AxisValues(double& a, double& b);
};

}  // namespace velorin::window
