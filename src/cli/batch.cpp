// velorin-batch batch: page 6's "横断面图" on the picked crossing line: every crossed
// section numbered, filled and centred, plotted (--plot OUT.dxf) and written to
// "MainDir\断面数据\first～last.dm". Prints the section numbers of the page's sketch.
// With --sheets the plot is on framed sheets, and --pdf prints them to a PDF.
#include "base/strings.h"
#include "cli/plot_options.h"
#include "cli/section_session.h"
#include "qt/paint/picture.h"
#include "window/page6.h"

namespace velorin::cli {

namespace {

int BatchSections(Run& run) {
    PlotOptions plot;
    if (auto usage = TakePlotOptions(run, "batch", true, plot)) return *usage;
    if (auto usage = TakeSheetOptions(run, "batch", plot)) return *usage;
    int status = 0;
    auto session = SectionSession::Open(run, "batch", &status);
    if (!session) return status;
    window::Page6 page(session->context());
    page.Setup();
    page.Sheets.settings = plot.sheets;
    if (auto v = run.options.Get("section-layer")) page.Text13.Edit(*v);
    if (run.options.Has("centre")) page.Check9.Click();
    if (auto v = run.options.Get("centre-layer")) page.Text14.Edit(*v);
    if (auto v = run.options.Get("symbol")) page.Combo9.Edit(*v);
    if (auto v = run.options.Get("valid-offset")) page.Text15.Edit(*v);
    if (plot.axis) {
        page.Check5.Click();
        page.Text16.Edit(plot.low);
        page.Text17.Edit(plot.high);
    }
    if (auto v = run.options.Get("title")) page.Text18.Edit(*v);
    if (auto v = run.options.Get("prefix")) page.Text19.Edit(*v);
    if (auto v = run.options.Get("start")) page.Text20.Edit(*v);
    if (auto v = run.options.Get("suffix")) page.Text21.Edit(*v);

    int before = run.ui.refusals();
    size_t docs = session->host().documents().size();
    page.Command19.Click();
    PrintLines(page.Pic3.Texts());
    bool failed = run.ui.refusals() > before;
    // A plot that was drawn is saved even when something else failed (the .dm file could
    // not be written, a section was refused): the exit status still says so.
    if (auto out = run.options.Get("plot"); out && session->host().documents().size() > docs)
        failed = !session->SaveNewDrawing(docs, *out) || failed;
    if (!failed && !plot.pdf.empty()) {
        Status printed = qt::WriteSheetPlotPdf(page.Sheets.last, plot.pdf);
        if (!printed.ok()) {
            run.ui.MessageBox(app::MessageIcon::Critical, "横断面图", printed.message());
            failed = true;
        }
    }
    return session->Finish(failed ? 1 : 0);
}

const bool registered = Register({"batch",
                                  "--drawing FILE.dxf|FILE.dwg --pick X,Y [--section-layer LAYER] "
                                  "[--centre] [--centre-layer LAYER] [--symbol NAME] "
                                  "[--valid-offset M] [--axis LOW,HIGH] [--title TEXT] [--prefix "
                                  "TEXT] [--start N] [--suffix TEXT] "
                                  "[--hscale 1:N] [--vscale 1:N] [--plot OUT.dxf] " +
                                      std::string(kSheetUsage),
                                  {"centre", kPortraitFlag},
                                  BatchSections});

}  // namespace

}  // namespace velorin::cli
