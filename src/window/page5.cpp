#include "window/page5.h"

#include "base/numbers.h"

namespace velorin::window {

Page5::Page5(app::Context& context) : Page(context) {
    Label17.caption = "断面号(横)：";
    Label18.caption = "展点符号名：";
    Combo8.editable = true;
    Label19.caption = "点有效偏距：";
    Label20.caption = "米";
    Check3.caption = "限制断面点图层：";
    Check4.caption = "道路中心点图层：";
    Label21.caption = "水平比例尺：";
    Label22.caption = "垂直比例尺：";
    Label23.caption = "起点里程：K";
    Label24.caption = "+";
    Cross1.SetHeader({"距离", "高程", "离心距", "备注"});
    Command11.caption = "设中心点";
    Command12.caption = "取断面线";
    Command13.caption = "横断面图";
    Command14.caption = "纵断面图";
    Command15.caption = "退出系统";
    // Only the profile goes on sheets here: the page's cross-section is a single section.
    Sheets.label.caption = "纵断面图纸：";

    Text7.on_got_focus = [this] { Text7_GotFocus(); };
    Text7.on_change = [this] { Text7_Change(); };
    Text8.on_got_focus = [this] { Text8_GotFocus(); };
    Text8.on_change = [this] { Text8_Change(); };
    Text9.on_got_focus = [this] { Text9_GotFocus(); };
    Text10.on_got_focus = [this] { Text10_GotFocus(); };
    Text12.on_change = [this] { Text12_Change(); };
    Combo6.on_click = [this] { Combo6_Click(); };
    Combo7.on_click = [this] { Combo7_Click(); };
    Combo8.on_click = [this] { Combo8_Click(); };
    Combo8.on_change = [this] { Combo8_Change(); };
    Check3.on_click = [this] { Check3_Click(); };
    Check4.on_click = [this] { Check4_Click(); };
    Command11.on_click = [this] { Command11_Click(); };
    Command12.on_click = [this] { Command12_Click(); };
    Command13.on_click = [this] { Command13_Click(); };
    Command14.on_click = [this] { Command14_Click(); };
    Sheets.combo.on_click = [this] { Sheets.Chosen(context_.ui); };
    Sheets.profile_pdf.on_click = [this] { ProfilePdf_Click(); };
    Command15.on_click = [this] { Command15_Click(); };
}

void Page5::ClearResults() {
    Cross1.CutToHeader();
    Pic2.Cls();
}

void Page5::Setup() {
    Sheets.Setup();
    Cross1.SetHeader({"距离", "高程", "离心距", "备注"});
    Combo6.SetList(SectionScales());
    Combo6.ShowItem(ScaleText(settings().HScale));
    Combo7.SetList(SectionScales());
    Combo7.ShowItem(ScaleText(settings().VScale));
    Combo8.SetList({"纯坐标展点", "高程点", "GC200"});
    Combo8.ShowItem(settings().SymbolName);
    Combo8.text = settings().SymbolName;
    Text7.text = Format(settings().ValidOffset, "#0.00");
    Text8.text = settings().SectionNo;
    Text9.text = "0";
    Text10.text = "000";
    Check3.value = 0;
    Check4.value = 0;
    Text11.text = "展点";
    Text12.text = settings().CentreLayer;
    Check3_Click();
    Check4_Click();
}

void Page5::Text7_GotFocus() { Text7.SelectAll(); }

void Page5::Text7_Change() { settings().ValidOffset = LeadingNumber(Text7.text); }

void Page5::Text8_GotFocus() { Text8.SelectAll(); }

void Page5::Text8_Change() { settings().SectionNo = Text8.text; }

void Page5::Text9_GotFocus() { Text9.SelectAll(); }

void Page5::Text10_GotFocus() { Text10.SelectAll(); }

void Page5::Text12_Change() { settings().CentreLayer = Text12.text; }

void Page5::Combo6_Click() { settings().HScale = ScaleFactorOf(Combo6.text); }

void Page5::Combo7_Click() { settings().VScale = ScaleFactorOf(Combo7.text); }

void Page5::Combo8_Click() { settings().SymbolName = Combo8.text; }

void Page5::Combo8_Change() { settings().SymbolName = Combo8.text; }

void Page5::Check3_Click() { Text11.enabled = Check3.ticked(); }

void Page5::Check4_Click() {
    Text12.enabled = Check4.ticked();
    Command11.enabled = Check4.ticked();
}

void Page5::Command15_Click() { ExitProgram(); }

}  // namespace velorin::window
