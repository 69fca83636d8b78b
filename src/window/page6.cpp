#include "window/page6.h"

#include <climits>

#include "base/numbers.h"

namespace velorin::window {

Page6::Page6(app::Context& context) : Page(context) {
    Label25.caption = "断面线图层：";
    Check9.caption = "中心点归零";
    Label26.caption = "中心点图层：";
    Label27.caption = "展点符号名：";
    Combo9.editable = true;
    Label28.caption = "点有效偏距：";
    Label29.caption = "水平比例尺：";
    Label30.caption = "垂直比例尺：";
    Check5.caption = "统一高程轴：";
    Label31.caption = "～";
    Label32.caption = "断面图标题：";
    Label33.caption = "断面号前缀：";
    Label34.caption = "起始断面号：";
    Label35.caption = "断面号后缀：";
    Check6.caption = "标注有效范围线（必选）";
    Check7.caption = "检查断面线方向";
    Check8.caption = "标识断面线起点";
    Command16.caption = "设中心点";
    Command17.caption = "有效范围";
    Command18.caption = "线型反向";
    Command19.caption = "横断面图";
    Command20.caption = "删辅助线";
    Command21.caption = "退出系统";

    Text13.on_got_focus = [this] { Text13_GotFocus(); };
    Text13.on_change = [this] { Text13_Change(); };
    Text14.on_got_focus = [this] { Text14_GotFocus(); };
    Text14.on_change = [this] { Text14_Change(); };
    Text15.on_got_focus = [this] { Text15_GotFocus(); };
    Text15.on_change = [this] { Text15_Change(); };
    Text16.on_got_focus = [this] { Text16_GotFocus(); };
    Text17.on_got_focus = [this] { Text17_GotFocus(); };
    Text18.on_got_focus = [this] { Text18_GotFocus(); };
    Text18.on_change = [this] { Text18_Change(); };
    Text19.on_got_focus = [this] { Text19_GotFocus(); };
    Text19.on_change = [this] { Text19_Change(); };
    Text20.on_got_focus = [this] { Text20_GotFocus(); };
    Text20.on_key_press = [this](char32_t key) { return Text20_KeyPress(key); };
    Text20.on_change = [this] { Text20_Change(); };
    Text21.on_got_focus = [this] { Text21_GotFocus(); };
    Text21.on_change = [this] { Text21_Change(); };
    Combo9.on_click = [this] { Combo9_Click(); };
    Combo9.on_change = [this] { Combo9_Change(); };
    Combo10.on_click = [this] { Combo10_Click(); };
    Combo11.on_click = [this] { Combo11_Click(); };
    Check5.on_click = [this] { Check5_Click(); };
    Check7.on_click = [this] { Check7_Click(); };
    Check8.on_click = [this] { Check8_Click(); };
    Check9.on_click = [this] { Check9_Click(); };
    Command16.on_click = [this] { Command16_Click(); };
    Command17.on_click = [this] { Command17_Click(); };
    Command18.on_click = [this] { Command18_Click(); };
    Command19.on_click = [this] { Command19_Click(); };
    Sheets.combo.on_click = [this] { Sheets.Chosen(context_.ui); };
    Sheets.pdf.on_click = [this] { SheetsPdf_Click(); };
    Command20.on_click = [this] { Command20_Click(); };
    Command21.on_click = [this] { Command21_Click(); };
}

void Page6::ClearResults() { Pic3.Cls(); }

void Page6::Setup() {
    Sheets.Setup();
    Text13.text = settings().SectionLineLayer;
    Text14.text = settings().CentreLayer;
    Combo9.SetList({"纯坐标展点", "高程点", "GC200"});
    Combo9.ShowItem(settings().SymbolName);
    Combo9.text = settings().SymbolName;
    Text15.text = Format(settings().ValidOffset, "#0.00");
    Combo10.SetList(SectionScales());
    Combo10.ShowItem(ScaleText(settings().HScale));
    Combo11.SetList(SectionScales());
    Combo11.ShowItem(ScaleText(settings().VScale));
    Check5.value = 0;
    Check5_Click();
    Text16.text.clear();
    Text17.text.clear();
    Text18.text = settings().PlotTitle;
    Text19.text = settings().SectionPrefix;
    Text20.text = Format(settings().StartSectionNo, "#0");
    Text21.text = settings().SectionSuffix;
    // The range outlines are what the batch needs; the user cannot switch them off.
    Check6.value = 1;
    Check6.enabled = false;
    Check7.value = settings().CheckDirection;
    Check8.value = settings().MarkStart;
    Check9.value = 0;
    Check9_Click();
}

void Page6::Text13_GotFocus() { Text13.SelectAll(); }

void Page6::Text13_Change() { settings().SectionLineLayer = Text13.text; }

void Page6::Text14_GotFocus() { Text14.SelectAll(); }

void Page6::Text14_Change() { settings().CentreLayer = Text14.text; }

void Page6::Text15_GotFocus() { Text15.SelectAll(); }

void Page6::Text15_Change() { settings().ValidOffset = LeadingNumber(Text15.text); }

void Page6::Text16_GotFocus() { Text16.SelectAll(); }

void Page6::Text17_GotFocus() { Text17.SelectAll(); }

void Page6::Text18_GotFocus() { Text18.SelectAll(); }

void Page6::Text18_Change() { settings().PlotTitle = Text18.text; }

void Page6::Text19_GotFocus() { Text19.SelectAll(); }

void Page6::Text19_Change() { settings().SectionPrefix = Text19.text; }

void Page6::Text20_GotFocus() { Text20.SelectAll(); }

bool Page6::Text20_KeyPress(char32_t key) { return key >= U'0' && key <= U'9'; }

void Page6::Text20_Change() {
    // Pasted text bypasses the key filter; a number too large for the setting is held
    // at its largest value instead of wrapping round.
    double number = RoundHalfEven(LeadingNumber(Text20.text));
    if (number > INT_MAX) number = INT_MAX;
    if (number < INT_MIN) number = INT_MIN;
    settings().StartSectionNo = static_cast<int>(number);
}

void Page6::Text21_GotFocus() { Text21.SelectAll(); }

void Page6::Text21_Change() { settings().SectionSuffix = Text21.text; }

void Page6::Combo9_Click() { settings().SymbolName = Combo9.text; }

void Page6::Combo9_Change() { settings().SymbolName = Combo9.text; }

void Page6::Combo10_Click() { settings().HScale = ScaleFactorOf(Combo10.text); }

void Page6::Combo11_Click() { settings().VScale = ScaleFactorOf(Combo11.text); }

void Page6::Check5_Click() {
    bool on = Check5.ticked();
    Label31.enabled = Text16.enabled = Text17.enabled = on;
    if (on) SetFocus(Text16);
}

void Page6::Check7_Click() { settings().CheckDirection = Check7.value; }

void Page6::Check8_Click() { settings().MarkStart = Check8.value; }

void Page6::Check9_Click() {
    bool on = Check9.ticked();
    Label26.enabled = Text14.enabled = Command16.enabled = on;
    if (on) SetFocus(Text14);
}

void Page6::Command21_Click() { ExitProgram(); }

}  // namespace velorin::window
