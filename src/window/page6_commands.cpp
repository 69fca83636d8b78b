// The commands of page 6: centre points, valid range, batch sections and the line tools.
#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "cad/preparation.h"
#include "plots/section_plots.h"
#include "sections/centre_points.h"
#include "sections/crossing.h"
#include "sections/line_tools.h"
#include "window/page6.h"

namespace velorin::window {

namespace {

constexpr const char* kTitle = "批量断面";

bool Blank(const std::string& text) { return Trim(text).empty(); }

void Refuse(app::Context& context, std::string_view text) {
    cad::WindowAside(context.ui, true);
    context.ui.MessageBox(app::MessageIcon::Exclamation, kTitle, text);
    cad::WindowAside(context.ui, false);
}

// The plan view of the batch: section lines in red, the crossing line in black, numbers.
void DrawSketch(PictureBox& pic, const sections::PlanSketch& s) {
    double w = s.max_x - s.min_x, h = s.max_y - s.min_y;
    double left, right, top, bottom;
    if (h > 0 && w / h <= 1.4807) {
        double pad = 1.4807 * h - w;
        left = s.min_x - pad / 2, right = s.max_x + pad / 2, top = s.max_y, bottom = s.min_y;
    } else {
        double pad = 0.6753 * w - h;
        left = s.min_x, right = s.max_x, top = s.max_y + pad / 2, bottom = s.min_y - pad / 2;
    }
    pic.Scale(left - 0.5, top + 0.5, right + 0.5, bottom - 0.5);
    for (const auto& [a, b] : s.sections) pic.Line(a.x, a.y, b.x, b.y, PictureBox::kRed);
    for (size_t i = 1; i < s.crossing.size(); ++i)
        pic.Line(s.crossing[i - 1].x, s.crossing[i - 1].y, s.crossing[i].x, s.crossing[i].y,
                 PictureBox::kBlack);
    for (const auto& [at, name] : s.numbers) pic.PrintAt(at.x, at.y, name);
}

}  // namespace

void Page6::Command16_Click() {
    if (Blank(Text14.text)) return Refuse(context(), "请设定“中心点图层”！");
    if (Blank(Combo9.text)) return Refuse(context(), "请设定“展点符号名”！");
    sections::MarkCentrePoints(context(), {kTitle, Text14.text, Combo9.text, false, std::nullopt});
}

void Page6::Command17_Click() {
    Pic3.Cls();
    if (Blank(Text13.text)) return Refuse(context(), "请设定“断面线图层”！");
    if (Blank(Combo9.text)) return Refuse(context(), "请设定“展点符号名”！");
    auto offset = ParseNumber(Text15.text);
    if (!offset || *offset <= 0) {
        Refuse(context(), "“有效偏距”值无效！");
        return SetFocus(Text15);
    }
    sections::ValidRangeInputs in{Text13.text,
                                  *offset,
                                  Check6.ticked(),
                                  Check7.ticked(),
                                  Check8.ticked(),
                                  Text19.text,
                                  LeadingNumber(Text20.text),
                                  Text21.text,
                                  settings().PlotScale};
    for (const std::string& line : sections::MarkValidRange(context(), in)) Pic3.Print(line);
}

void Page6::Command18_Click() { sections::ReverseLines(context(), Text13.text); }

void Page6::Command19_Click() {
    Pic3.Cls();
    if (Blank(Text13.text)) return Refuse(context(), "请设定“断面线图层”！");
    if (Check5.ticked() && (!IsNumeric(Text16.text) || !IsNumeric(Text17.text)))
        return Refuse(context(), "“上、下限”设置有误！");
    if (Check9.ticked() && Blank(Text14.text)) return Refuse(context(), "请设定“中心点图层”！");
    if (Blank(Combo9.text)) return Refuse(context(), "请设定“展点符号名”！");
    auto offset = ParseNumber(Text15.text);
    if (!offset || *offset <= 0) {
        Refuse(context(), "“有效偏距”值无效！");
        return SetFocus(Text15);
    }
    sections::CrossingInputs in{Text13.text,
                                Check9.ticked(),
                                Text14.text,
                                Combo9.text,
                                *offset,
                                Text19.text,
                                LeadingNumber(Text20.text),
                                Text21.text,
                                settings().PlotScale};
    sections::CrossingResult result = sections::CollectCrossingSections(context(), in);
    if (result.searched) DrawSketch(Pic3, result.sketch);
    if (!result.numbered) return;

    cad::WindowAside(context().ui, true);
    double a = Check5.ticked() ? LeadingNumber(Text16.text) : 0,
           b = Check5.ticked() ? LeadingNumber(Text17.text) : 0;
    Sheets.Draw(context(), a, b, settings().PlotTitle);
    cad::WindowAside(context().ui, false);

    std::string error;
    if (sections::WriteCrossingSectionFile(context(), &error).empty() && !error.empty())
        Refuse(context(), error);
    app::CommitStore(context().program, context().ui, kTitle);
}

void Page6::Command20_Click() { sections::DeleteAuxLines(context()); }

// The sections the last "横断面图" collected, on sheets, to MainDir\横断面图.pdf.
void Page6::SheetsPdf_Click() {
    if (Check5.ticked() && (!IsNumeric(Text16.text) || !IsNumeric(Text17.text)))
        return Refuse(context(), "“上、下限”设置有误！");
    double a = Check5.ticked() ? LeadingNumber(Text16.text) : 0,
           b = Check5.ticked() ? LeadingNumber(Text17.text) : 0;
    Sheets.PrintPdf(context(), a, b, settings().PlotTitle,
                    WithTrailingSeparator(settings().MainDir) + "横断面图.pdf");
}

}  // namespace velorin::window
