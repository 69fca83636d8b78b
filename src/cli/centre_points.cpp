// velorin-batch centre-points: "设中心点" on page 5 or 6; the picked symbol blocks go to
// the centre-point layer.
#include "cli/section_session.h"
#include "window/page5.h"
#include "window/page6.h"

namespace velorin::cli {

namespace {

int CentrePoints(Run& run) {
    std::string page_no = run.options.Get("page").value_or("5");
    if (page_no != "5" && page_no != "6")
        return UsageError("centre-points", "--page 只能是 5 或 6");
    if (run.options.Has("point-layer") && page_no == "6")
        return UsageError("centre-points", "--point-layer 只用于第 5 页");
    int status = 0;
    auto session = SectionSession::Open(run, "centre-points", &status);
    if (!session) return status;
    int before = run.ui.refusals();
    if (page_no == "5") {
        window::Page5 page(session->context());
        page.Setup();
        page.Check4.Click();
        if (auto v = run.options.Get("centre-layer")) page.Text12.Edit(*v);
        if (auto v = run.options.Get("symbol")) page.Combo8.Edit(*v);
        if (auto v = run.options.Get("point-layer")) {
            page.Check3.Click();
            page.Text11.Edit(*v);
        }
        page.Command11.Click();
    } else {
        window::Page6 page(session->context());
        page.Setup();
        page.Check9.Click();
        if (auto v = run.options.Get("centre-layer")) page.Text14.Edit(*v);
        if (auto v = run.options.Get("symbol")) page.Combo9.Edit(*v);
        page.Command16.Click();
    }
    return session->Finish(run.ui.refusals() > before ? 1 : 0);
}

const bool registered =
    Register({"centre-points",
              "--drawing FILE.dxf|FILE.dwg [--page 5|6] [--pick X,Y]... [--pick-window "
              "X1,Y1,X2,Y2]... [--symbol NAME] "
              "[--centre-layer LAYER] [--point-layer LAYER]",
              {},
              CentrePoints});

}  // namespace

}  // namespace velorin::cli
