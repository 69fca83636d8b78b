// velorin-batch delete-aux: page 6's "删辅助线": everything on "断_有效范围" goes.
#include "cli/section_session.h"
#include "window/page6.h"

namespace velorin::cli {

namespace {

int DeleteAux(Run& run) {
    int status = 0;
    auto session = SectionSession::Open(run, "delete-aux", &status);
    if (!session) return status;
    window::Page6 page(session->context());
    page.Setup();
    page.Command20.Click();
    return session->Finish(0);
}

const bool registered = Register({"delete-aux", "--drawing FILE.dxf|FILE.dwg", {}, DeleteAux});

}  // namespace

}  // namespace velorin::cli
