// velorin-batch reverse-lines: page 6's "线型反向" on the picked section lines.
#include "cli/section_session.h"
#include "window/page6.h"

namespace velorin::cli {

namespace {

int ReverseLinesCommand(Run& run) {
    int status = 0;
    auto session = SectionSession::Open(run, "reverse-lines", &status);
    if (!session) return status;
    window::Page6 page(session->context());
    page.Setup();
    if (auto v = run.options.Get("section-layer")) page.Text13.Edit(*v);
    int before = run.ui.refusals();
    page.Command18.Click();
    return session->Finish(run.ui.refusals() > before ? 1 : 0);
}

const bool registered =
    Register({"reverse-lines",
              "--drawing FILE.dxf|FILE.dwg [--pick X,Y]... [--pick-window X1,Y1,X2,Y2]... "
              "[--section-layer LAYER]",
              {},
              ReverseLinesCommand});

}  // namespace

}  // namespace velorin::cli
