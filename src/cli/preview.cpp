// velorin-batch preview FILE... [--out P.png]: page 4's "预览" on the chosen files. Prints
// the grid values the picture shows and, with --out, writes the picture as a PNG.
#include <cstdio>

#include "app/clock.h"
#include "app/context.h"
#include "base/strings.h"
#include "cad/embedded/drawing.h"
#include "cli/plot_options.h"
#include "cli/point_files.h"
#include "cli/section_session.h"
#include "qt/paint/picture.h"

namespace velorin::cli {

namespace {

const char* const kCommand = "preview";

// The picture box's colours (0xBBGGRR) as host colour numbers.
int16_t ColourIndex(uint32_t bgr) {
    if (bgr == window::PictureBox::kRed) return 1;
    if (bgr == window::PictureBox::kBlue) return 5;
    return 7;
}

// The picture as a drawing in the same coordinates, so the drawing painter makes the PNG.
std::unique_ptr<cad::embedded::Drawing> PictureDrawing(const window::PictureBox& pic) {
    auto d = cad::embedded::Drawing::New();
    // Labels a fortieth of the picture high, their top left corner at the printed point.
    double height = std::abs(pic.scale_height) / 40;
    for (const window::PictureOp& op : pic.ops) {
        cad::embedded::EntityBase* e = nullptr;
        switch (op.kind) {
            case window::PictureOp::Kind::Circle:
                e = d->AddCircle({op.x1, op.y1, 0}, op.x2);
                break;
            case window::PictureOp::Kind::Line:
                e = d->AddLine({op.x1, op.y1, 0}, {op.x2, op.y2, 0});
                break;
            case window::PictureOp::Kind::Text:
                e = d->AddText(op.text, {op.x1, op.y1 - height, 0}, height);
                break;
            default:
                break;
        }
        if (e) e->color = ColourIndex(op.color);
    }
    return d;
}

int Preview(Run& run) {
    double scale = run.program.settings.PlotScale;
    if (!ScaleOption(run.options.Get("scale"), scale))
        return UsageError(kCommand, "--scale 应写成 1:N");
    auto out = run.options.Get("out");
    if (out && !EndsWith(UpperCase(*out), ".PNG"))
        return UsageError(kCommand, "--out 应为 .png 文件");

    app::SystemClock clock;
    app::Context context{run.program, run.ui, clock};
    window::Page4 page(context);
    page.Setup();
    int status = 0;
    if (!ChoosePointFiles(run, page, kCommand, &status)) return status;
    run.program.settings.PlotScale = scale;
    int before = run.ui.refusals();
    page.Command8.Click();
    if (run.ui.refusals() > before) return 1;
    PrintLines(page.Pic1.Texts());
    if (!out) return 0;
    if (page.Pic1.ops.empty()) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "地形展点",
                          "所选文件中没有点，未生成图片。");
        return 1;
    }
    Status written = qt::RenderPicture(*PictureDrawing(page.Pic1), *out, 1000, 1000);
    if (!written.ok()) {
        run.ui.MessageBox(app::MessageIcon::Critical, "地形展点", written.message());
        return 1;
    }
    return 0;
}

const bool registered =
    Register({kCommand, "FILE... [--out FILE.png] [--type cor|ctl] [--scale 1:N]", {}, Preview});

}  // namespace

}  // namespace velorin::cli
