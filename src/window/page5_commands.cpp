// The commands of page 5: centre points, the section line and its two plots.
#include <cmath>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "cad/preparation.h"
#include "plots/section_plots.h"
#include "sectionfile/section_file.h"
#include "sections/centre_points.h"
#include "sections/extraction.h"
#include "sections/geometry.h"
#include "store/statements.h"
#include "window/page5.h"

namespace velorin::window {

namespace {

namespace st = store::statements;
constexpr const char* kTitle = "单断面";

bool Blank(const std::string& text) { return Trim(text).empty(); }

// A refusal or warning, shown with the window aside.
void Refuse(app::Context& context, std::string_view title, std::string_view text) {
    cad::WindowAside(context.ui, true);
    context.ui.MessageBox(app::MessageIcon::Exclamation, title, text);
    cad::WindowAside(context.ui, false);
}

// The profile preview of the listed points, elevations exaggerated by `e`.
void DrawPreview(PictureBox& pic, const Grid& grid, double min_s, double max_s, double min_h,
                 double max_h, double e) {
    double w = max_s - min_s, h = (max_h - min_h) * e;
    double left, right, top, bottom;
    // All points at one elevation: the width decides, as for a flat wide section.
    if (h > 0 && w / h <= 1.5735) {
        double pad = 1.5735 * h - w;
        left = min_s - pad / 2, right = max_s + pad / 2, top = max_h * e, bottom = min_h * e;
    } else if (h <= 0 && w <= 0) {
        left = min_s, right = max_s, top = max_h * e, bottom = min_h * e;
    } else {
        double pad = 0.6356 * w - h;
        left = min_s, right = max_s, top = max_h * e + pad / 2, bottom = min_h * e - pad / 2;
    }
    pic.Scale(left - 0.5, top + 0.5, right + 0.5, bottom - 0.5);
    for (double v = std::floor(min_h) - 4; v <= std::floor(max_h) + 4; v += 2) {
        pic.Box(left - 0.2, v * e, left, (v + 1) * e, PictureBox::kBlack, true);
        pic.PrintAt(left + 0.3, v * e, Format(v, "#0"));
    }
    pic.Line(left - 0.2, (min_h - 4) * e, left - 0.2, (max_h + 4) * e, PictureBox::kBlack);
    pic.Line(left, (min_h - 4) * e, left, (max_h + 4) * e, PictureBox::kBlack);
    for (int r = 2; r < grid.Rows(); ++r)
        pic.Line(LeadingNumber(grid.rows[r - 1][0]), LeadingNumber(grid.rows[r - 1][1]) * e,
                 LeadingNumber(grid.rows[r][0]), LeadingNumber(grid.rows[r][1]) * e,
                 PictureBox::kRed);
}

// Writes a section data file into "断面数据"; a failure is told, never passed over.
void WriteDataFile(app::Context& context, std::string_view title, const std::string& name,
                   const std::vector<std::string>& comments, const sectionfile::Section& section) {
    Status status;
    std::string folder = sectionfile::PrepareSectionDataFolder(context.program.settings, &status);
    if (status.ok()) status = sectionfile::WriteSectionFile(folder + name, comments, {section});
    if (!status.ok()) Refuse(context, title, status.message());
}

}  // namespace

void Page5::Command11_Click() {
    if (Blank(settings().CentreLayer)) return Refuse(context(), kTitle, "请设定“中心点图层”！");
    if (Blank(Combo8.text)) return Refuse(context(), kTitle, "请设定“展点符号名”！");
    sections::CentrePointInputs in{kTitle, settings().CentreLayer, Combo8.text, true, std::nullopt};
    if (Check3.ticked()) in.point_layer = Text11.text;
    sections::MarkCentrePoints(context(), in);
}

void Page5::Command12_Click() {
    if (Blank(Text8.text)) return Refuse(context(), kTitle, "没有“断面号”吗？");
    if (Blank(Combo8.text)) return Refuse(context(), kTitle, "请设定“展点符号名”！");
    if (!IsNumeric(Text7.text)) return Refuse(context(), kTitle, "请设定“点有效偏距”！");
    if (Check3.ticked() && Blank(Text11.text))
        return Refuse(context(), kTitle, "请设定“断面点图层”！");

    Cross1.CutToHeader();
    Pic2.Cls();
    sections::SectionLineInputs in{Text8.text, Combo8.text, *ParseNumber(Text7.text),
                                   Check3.ticked(), Text11.text};
    sections::TakenSection taken = sections::TakeSectionLine(context(), in);
    if (taken.points.empty()) return;

    double min_s = taken.points[0].slen, max_s = min_s, min_h = taken.points[0].high, max_h = min_h;
    for (const auto& p : taken.points) {
        Cross1.AddRow({Format(p.slen, "#0.000"), Format(p.high, "#0.000"), Format(p.pian, "#0.000"),
                       p.layer});
        min_s = std::min(min_s, p.slen), max_s = std::max(max_s, p.slen);
        min_h = std::min(min_h, p.high), max_h = std::max(max_h, p.high);
    }
    double e = settings().VScale != 0 ? settings().HScale / settings().VScale : 1;
    DrawPreview(Pic2, Cross1, min_s, max_s, min_h, max_h, e);
}

void Page5::Command13_Click() {
    store::WorkingStore& store = *context().program.store;
    store::RecordSet& point =
        store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
    if (point.EndOfFile()) return;
    if (Check4.ticked() && Blank(Text12.text))
        return Refuse(context(), kTitle, "请设定“中心点图层”！");

    // The store moves so that the centre point is at 0; a second press finds it there.
    if (Check4.ticked() && point.FindFirst(st::LayerIs(settings().CentreLayer))) {
        double centre = point.Number("Slen");
        (void)store.Execute(
            st::ShiftAllChainages(centre));  // kept by the store; the commit reports it
    }
    cad::WindowAside(context().ui, true);
    plots::DrawCrossSections(context(), 0, 0, "");
    cad::WindowAside(context().ui, false);

    // The grid keeps the chainages as taken; the file is written relative to the centre
    // point found there, so it holds what the plot shows on every press.
    double taken_centre = 0;
    if (Check4.ticked())
        for (int r = 1; r < Cross1.Rows(); ++r)
            if (Cross1.rows[r].size() > 3 &&
                EqualsIgnoreCase(Cross1.rows[r][3], settings().CentreLayer)) {
                taken_centre = LeadingNumber(Cross1.rows[r][0]);
                break;
            }
    sectionfile::Section section{settings().SectionNo, {}};
    for (int r = 1; r < Cross1.Rows(); ++r)
        section.points.push_back(
            {LeadingNumber(Cross1.rows[r][0]) - taken_centre, LeadingNumber(Cross1.rows[r][1])});
    WriteDataFile(context(), kTitle, sectionfile::SingleSectionFileName(Text8.text),
                  sectionfile::SingleSectionComments(), section);
    if (!app::CommitStore(context().program, context().ui, kTitle)) return;

    Text8.Edit(sections::NextSectionNumber(Text8.text));
}

void Page5::Command14_Click() {
    auto start = ProfileStart();
    if (!start) return;
    auto km = ParseNumber(Text9.text), m = ParseNumber(Text10.text);

    cad::WindowAside(context().ui, true);
    Sheets.DrawProfile(context(), *start, settings().PlotTitle);
    cad::WindowAside(context().ui, false);

    sectionfile::Section section{settings().SectionNo, {}};
    for (int r = 1; r < Cross1.Rows(); ++r)
        section.points.push_back(
            {LeadingNumber(Cross1.rows[r][0]) + *start, LeadingNumber(Cross1.rows[r][1])});
    WriteDataFile(context(), "纵断面图", sectionfile::SingleProfileFileName(settings().SectionNo),
                  sectionfile::SingleProfileComments(*km, *m), section);
    app::CommitStore(context().program, context().ui, "纵断面图");
}

std::optional<double> Page5::ProfileStart() {
    store::WorkingStore& store = *context().program.store;
    store::RecordSet& point =
        store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
    if (Cross1.Rows() <= 1 || point.EndOfFile()) return std::nullopt;
    return StartChainage();
}

std::optional<double> Page5::StartChainage() {
    auto km = ParseNumber(Text9.text), m = ParseNumber(Text10.text);
    if (!km || !m || std::floor(*km) != *km || *m > 1000) {
        Refuse(context(), "纵断面图", "起点里程错误！");
        return std::nullopt;
    }
    return *km * 1000 + *m;
}

// The section's profile on sheets, to MainDir\纵断面图.pdf.
void Page5::ProfilePdf_Click() {
    auto start = ProfileStart();
    if (!start) return;
    Sheets.PrintProfilePdf(context(), *start, settings().PlotTitle,
                           WithTrailingSeparator(settings().MainDir) + "纵断面图.pdf");
}

}  // namespace velorin::window
