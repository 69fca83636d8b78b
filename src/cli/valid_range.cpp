// velorin-batch valid-range: page 6's "有效范围" on the picked crossing line; prints the
// page's log.
#include "cli/section_session.h"
#include "window/page6.h"

namespace velorin::cli {

namespace {

int ValidRange(Run& run) {
    int status = 0;
    auto session = SectionSession::Open(run, "valid-range", &status);
    if (!session) return status;
    window::Page6 page(session->context());
    page.Setup();
    if (auto v = run.options.Get("section-layer")) page.Text13.Edit(*v);
    if (auto v = run.options.Get("valid-offset")) page.Text15.Edit(*v);
    if (run.options.Has("no-direction-check") && page.Check7.ticked()) page.Check7.Click();
    if (run.options.Has("mark-start") && !page.Check8.ticked()) page.Check8.Click();
    if (auto v = run.options.Get("prefix")) page.Text19.Edit(*v);
    if (auto v = run.options.Get("start")) page.Text20.Edit(*v);
    if (auto v = run.options.Get("suffix")) page.Text21.Edit(*v);
    int before = run.ui.refusals();
    page.Command17.Click();
    PrintLines(page.Pic3.Texts());
    return session->Finish(run.ui.refusals() > before ? 1 : 0);
}

const bool registered = Register({"valid-range",
                                  "--drawing FILE.dxf|FILE.dwg --pick X,Y [--section-layer LAYER] "
                                  "[--valid-offset M] [--no-direction-check] "
                                  "[--mark-start] [--prefix TEXT] [--start N] [--suffix TEXT]",
                                  {"no-direction-check", "mark-start"},
                                  ValidRange});

}  // namespace

}  // namespace velorin::cli
