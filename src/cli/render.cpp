// velorin-batch render DRAWING --out FILE.png|FILE.pdf: a picture of any drawing.
#include <cstdio>

#include "base/paths.h"
#include "base/strings.h"
#include "cad/embedded/drawing.h"
#include "cli/cli.h"
#include "cli/section_session.h"
#include "qt/paint/picture.h"

namespace velorin::cli {
namespace {

int Render(Run& run) {
    const auto& args = run.options.Arguments();
    if (args.size() != 1) return UsageError("render", "需要一个图形文件");
    auto out = run.options.Get("out");
    if (!out || out->empty()) return UsageError("render", "缺少 --out FILE.png 或 FILE.pdf");
    std::string upper = UpperCase(*out);
    if (!EndsWith(upper, ".PNG") && !EndsWith(upper, ".PDF"))
        return UsageError("render", "--out 应为 .png 或 .pdf 文件");
    Status status;
    auto drawing = LoadDrawing(run, args[0], &status);
    if (!drawing) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "图形", status.message());
        return 1;
    }
    status = qt::RenderPicture(*drawing, *out);
    if (!status.ok()) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "图形", status.message());
        return 1;
    }
    std::printf("%s\n", out->c_str());
    return 0;
}

const bool registered =
    Register({"render", "DRAWING.dxf|DRAWING.dwg --out FILE.png|FILE.pdf", {}, Render});

}  // namespace
}  // namespace velorin::cli
