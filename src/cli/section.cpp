// velorin-batch section: page 5's "取断面线" on the picked section line, then "横断面图"
// (--cross OUT.dxf) and/or "纵断面图" (--profile OUT.dxf). Prints the section's grid.
// With --sheets the profile is cut onto framed sheets, and --pdf prints those to a PDF.
#include "base/strings.h"
#include "cli/plot_options.h"
#include "cli/section_session.h"
#include "qt/paint/picture.h"
#include "window/page5.h"

namespace velorin::cli {

namespace {

int SectionCommand(Run& run) {
    PlotOptions plot;
    if (auto usage = TakePlotOptions(run, "section", false, plot)) return *usage;
    if (auto usage = TakeSheetOptions(run, "section", plot)) return *usage;
    if (plot.sheets.on && !run.options.Has("profile"))
        return UsageError("section", "--sheets 只用于纵断面图（--profile）");
    std::string km, metres;
    if (auto start = run.options.Get("start")) {
        auto parts = Split(*start, '+');
        if (parts.size() != 2) return UsageError("section", "--start 应写成 K+M");
        km = Trim(parts[0]), metres = Trim(parts[1]);
    }
    int status = 0;
    auto session = SectionSession::Open(run, "section", &status);
    if (!session) return status;

    window::Page5 page(session->context());
    page.Setup();
    page.Sheets.settings = plot.sheets;
    if (auto v = run.options.Get("section-no")) page.Text8.Edit(*v);
    if (auto v = run.options.Get("symbol")) page.Combo8.Edit(*v);
    if (auto v = run.options.Get("valid-offset")) page.Text7.Edit(*v);
    if (auto v = run.options.Get("point-layer")) {
        page.Check3.Click();
        page.Text11.Edit(*v);
    }
    if (auto v = run.options.Get("centre-layer")) {
        page.Check4.Click();
        page.Text12.Edit(*v);
    }
    if (run.options.Has("start")) {
        page.Text9.Edit(km);
        page.Text10.Edit(metres);
    }
    int before = run.ui.refusals();
    page.Command12.Click();
    for (int r = 1; r < page.Cross1.Rows(); ++r) PrintLines({JoinCells(page.Cross1.rows[r])});
    bool failed = run.ui.refusals() > before;
    if (!failed) {
        if (auto out = run.options.Get("cross")) {
            size_t docs = session->host().documents().size();
            page.Command13.Click();
            failed = run.ui.refusals() > before || !session->SaveNewDrawing(docs, *out);
        }
    }
    if (!failed) {
        if (auto out = run.options.Get("profile")) {
            size_t docs = session->host().documents().size();
            page.Command14.Click();
            failed = run.ui.refusals() > before || !session->SaveNewDrawing(docs, *out);
        }
    }
    if (!failed && !plot.pdf.empty()) {
        Status printed = qt::WriteSheetPlotPdf(page.Sheets.last, plot.pdf);
        if (!printed.ok()) {
            run.ui.MessageBox(app::MessageIcon::Critical, "纵断面图", printed.message());
            failed = true;
        }
    }
    return session->Finish(failed ? 1 : 0);
}

const bool registered = Register({"section",
                                  "--drawing FILE.dxf|FILE.dwg --pick X,Y [--section-no NO] "
                                  "[--symbol NAME] [--valid-offset M] [--point-layer LAYER] "
                                  "[--centre-layer LAYER] [--hscale 1:N] [--vscale 1:N] [--cross "
                                  "OUT.dxf] [--profile OUT.dxf] [--start K+M] " +
                                      std::string(kSheetUsage),
                                  {kPortraitFlag},
                                  SectionCommand});

}  // namespace

}  // namespace velorin::cli
