#include "window/page7.h"

#include "base/numbers.h"
#include "base/paths.h"

namespace velorin::window {

Page7::Page7(app::Context& context) : Page(context) {
    Label36.caption = "断面文件";
    Text22.locked = true;
    Label37.caption = "兼容格式：";
    Label38.caption = "标准格式：";
    Label39.caption = "水平比例尺：";
    Label40.caption = "垂直比例尺：";
    Check10.caption = "统一高程轴：";
    Label41.caption = "～";
    Label42.caption = "米";
    Label43.caption = "断面图标题：";
    Command23.caption = "横断面图";
    Command24.caption = "纵断面图";
    Command25.caption = "保存数据";
    Check11.caption = "保存标准断面格式";
    Check12.caption = "保存道路左右格式";
    Command7.caption = "退出系统";
    Label44.caption = "文件类型：";
    Check13.caption = "CASS .hdm";
    Check14.caption = "纬地 .HDM/.DMX";
    Check15.caption = "LandXML .xml";
    Check16.caption = "CSV .csv";
    Label45.caption = "起点里程：";
    Label46.caption = "间距：";
    Label47.caption = "米";

    Drive5.on_change = [this] { Drive5_Change(); };
    Dir5.on_change = [this] { Dir5_Change(); };
    File4.on_click = [this] { File4_Click(); };
    File4.on_dbl_click = [this] { File4_DblClick(); };
    Combo12.on_click = [this] { Combo12_Click(); };
    Combo13.on_click = [this] { Combo13_Click(); };
    Text25.on_change = [this] { Text25_Change(); };
    Check10.on_click = [this] { Check10_Click(); };
    Command23.on_click = [this] { Command23_Click(); };
    Sheets.combo.on_click = [this] { Sheets.Chosen(context_.ui); };
    Sheets.pdf.on_click = [this] { SheetsPdf_Click(); };
    Sheets.profile_pdf.on_click = [this] { ProfilePdf_Click(); };
    Command24.on_click = [this] { Command24_Click(); };
    Command25.on_click = [this] { Command25_Click(); };
    Command7.on_click = [this] { Command7_Click(); };
    Combo14.on_click = [this] { Combo14_Click(); };
}

void Page7::ClearResults() {
    List4.Clear();
    List5.Clear();
}

void Page7::Setup() {
    Sheets.Setup();
    Text22.text.clear();
    Text22.locked = true;
    std::string& main_dir = settings().MainDir;
    main_dir = WithTrailingSeparator(main_dir);
    std::string data_dir = main_dir + "断面数据";
    ShowFolder(IsFolder(data_dir) ? data_dir : main_dir, Drive5, Dir5, &File4);
    Combo14.SetList(FileTypes());
    Combo14.ShowIndex(0);
    File4.SetPattern("*.dm");
    Combo12.SetList(SectionScales());
    Combo12.ShowItem(ScaleText(settings().HScale));
    Combo13.SetList(SectionScales());
    Combo13.ShowItem(ScaleText(settings().VScale));
    Text23.text.clear();
    Text24.text.clear();
    Check10.value = 0;
    Label41.enabled = Text23.enabled = Text24.enabled = false;
    Text25.text = settings().PlotTitle;
    Check11.value = Check12.value = 0;
    Check11.enabled = Check12.enabled = false;
    for (CheckBox* box : {&Check13, &Check14, &Check15, &Check16}) {
        box->value = 0;
        box->enabled = false;
    }
    Text26.text.clear();
    Text27.text.clear();
    saved_files.clear();
    Command25.enabled = true;
}

void Page7::Drive5_Change() {
    if (FollowDrive(Drive5, Dir5)) Dir5_Change();
}

void Page7::Dir5_Change() { File4.SetPath(Dir5.path); }

void Page7::File4_Click() { Text22.text = ChosenFilePath(File4); }

void Page7::Combo12_Click() { settings().HScale = ScaleFactorOf(Combo12.text); }

void Page7::Combo13_Click() { settings().VScale = ScaleFactorOf(Combo13.text); }

void Page7::Text25_Change() { settings().PlotTitle = Text25.text; }

void Page7::Check10_Click() {
    bool on = Check10.ticked();
    Label41.enabled = Text23.enabled = Text24.enabled = on;
    if (on) SetFocus(Text23);
}

void Page7::Command7_Click() { ExitProgram(); }

// The file types and their patterns; the list matches names in any letter case, so
// "*.hdm" also lists the road-design package's ".HDM".
static const std::pair<const char*, const char*> kFileTypes[] = {
    {"断面数据文件 (*.dm)", "*.dm"},
    {"CASS/纬地横断面 (*.hdm)", "*.hdm"},
    {"LandXML (*.xml)", "*.xml"},
    {"CSV 表格 (*.csv)", "*.csv"},
};

std::vector<std::string> Page7::FileTypes() {
    std::vector<std::string> entries;
    for (const auto& [entry, pattern] : kFileTypes) entries.push_back(entry);
    return entries;
}

void Page7::Combo14_Click() {
    for (const auto& [entry, pattern] : kFileTypes)
        if (Combo14.text == entry) File4.SetPattern(pattern);
}

}  // namespace velorin::window
