// velorin-batch dm-plot DM --out OUT.dxf: page 7's double-click on the section data file
// (or a .hdm, .HDM with its .DMX, LandXML or CSV file), then "横断面图" (or "纵断面图" with
// --profile); the new drawing is saved to OUT.dxf. With --sheets the cross-sections go on
// framed sheets (the profile is cut into sheet-length pieces), and --pdf prints those to a
// PDF.
#include <cstdio>
#include <filesystem>

#include "app/clock.h"
#include "app/context.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "cad/embedded/host.h"
#include "cli/cli.h"
#include "cli/data_file_page.h"
#include "cli/plot_options.h"
#include "cli/section_session.h"
#include "qt/paint/picture.h"
#include "window/page7.h"

namespace velorin::cli {

namespace {

int DmPlot(Run& run) {
    const auto& args = run.options.Arguments();
    if (args.size() != 1) return UsageError("dm-plot", "需要一个断面数据文件");
    auto out = run.options.Get("out");
    if (!out || out->empty()) return UsageError("dm-plot", "需要 --out OUT.dxf");
    PlotOptions plot;
    if (auto usage = TakePlotOptions(run, "dm-plot", true, plot)) return *usage;
    bool profile = run.options.Has("profile");
    if (auto usage = TakeSheetOptions(run, "dm-plot", plot)) return *usage;

    cad::embedded::Host host(JoinPath(run.program.ProgramDir, "Support"), &run.ui);
    cad::embedded::EmbeddedConnector connector(host);
    app::SystemClock clock;
    app::Context context{run.program, run.ui, clock, &connector};
    window::Page7 page(context);
    page.Setup();
    page.Sheets.settings = plot.sheets;
    if (auto title = run.options.Get("title")) page.Text25.Edit(*title);
    if (plot.axis) {
        page.Check10.Click();
        page.Text23.Edit(plot.low);
        page.Text24.Edit(plot.high);
    }
    bool loaded = LoadOnPage(run, page, args[0]);
    PrintLines(loaded ? page.List5.items : page.List4.items);
    if (!loaded) return 1;
    if (page.List5.items.empty()) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "数据断面",
                          "文件“" + args[0] + "”中没有断面点，未生成图形。");
        return 1;
    }

    size_t drawings = host.documents().size();
    int before = run.ui.refusals();
    (profile ? page.Command24 : page.Command23).Click();
    // A section refused for its range leaves the others drawn: they are saved, and the
    // exit status says that not everything was.
    if (host.documents().size() == drawings) {
        // Whatever stopped the plot said so; should nothing have, the exit status is not left
        // without a word.
        if (run.ui.refusals() == before)
            run.ui.MessageBox(app::MessageIcon::Critical, profile ? "纵断面图" : "横断面图",
                              "没有生成图形，“" + *out + "”未写入。");
        return 1;
    }
    bool refused = run.ui.refusals() > before;
    std::string target = std::filesystem::absolute(*out).lexically_normal().string();
    Status saved = host.documents().back()->Save(target);
    if (!saved.ok()) {
        run.ui.MessageBox(app::MessageIcon::Critical, profile ? "纵断面图" : "横断面图",
                          saved.message());
        return 1;
    }
    if (!plot.pdf.empty()) {
        Status printed = qt::WriteSheetPlotPdf(page.Sheets.last, plot.pdf);
        if (!printed.ok()) {
            run.ui.MessageBox(app::MessageIcon::Critical, profile ? "纵断面图" : "横断面图",
                              printed.message());
            return 1;
        }
    }
    return refused ? 1 : 0;
}

const bool registered = Register(
    {"dm-plot",
     std::string("DM --out OUT.dxf [--profile] [--axis LOW,HIGH] [--title T] [--hscale 1:N] "
                 "[--vscale 1:N] ") +
         kSheetUsage,
     {"profile", kPortraitFlag},
     DmPlot});

}  // namespace

}  // namespace velorin::cli
