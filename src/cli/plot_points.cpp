// velorin-batch plot-points FILE... --drawing D.dxf|D.dwg: page 4 with the files chosen in its
// file list and "展点" pressed; the drawing is saved back when the plot changed it.
#include <algorithm>
#include <filesystem>

#include "base/numbers.h"
#include "base/strings.h"
#include "cli/plot_options.h"
#include "cli/point_files.h"
#include "cli/section_session.h"
#include "window/page4.h"

namespace velorin::cli {

namespace {

const char* const kCommand = "plot-points";
const char* const kCoordinateType = "坐标点(*.cor)";
const char* const kControlType = "控制点(*.ctl)";

// The file type: --type, else the first file's extension.
std::optional<std::string> TypeEntry(Run& run, const std::string& first) {
    std::string type = run.options.Get("type").value_or("");
    if (type.empty()) type = EndsWith(UpperCase(first), ".CTL") ? "ctl" : "cor";
    if (type == "cor") return kCoordinateType;
    if (type == "ctl") return kControlType;
    return std::nullopt;
}

}  // namespace

bool ChoosePointFiles(Run& run, window::Page4& page, const std::string& command, int* status) {
    const auto& args = run.options.Arguments();
    if (args.empty()) {
        *status = UsageError(command, "需要至少一个坐标文件或控制点文件");
        return false;
    }
    auto type = TypeEntry(run, args[0]);
    if (!type) {
        *status = UsageError(command, "--type 只能是 cor 或 ctl");
        return false;
    }
    page.Combo3.ChooseText(*type);
    std::filesystem::path folder;
    for (size_t i = 0; i < args.size(); ++i) {
        std::filesystem::path file = std::filesystem::absolute(args[i]).lexically_normal();
        if (i == 0) {
            folder = file.parent_path();
            page.Dir4.Choose(folder.string());
        } else if (file.parent_path() != folder) {
            *status = UsageError(command, "所有文件须在同一文件夹中");
            return false;
        }
        int index = page.File3.IndexOf(file.filename().string());
        if (index < 0) {
            run.ui.MessageBox(app::MessageIcon::Exclamation, "地形展点",
                              "找不到文件“" + file.string() + "”（文件类型：" + *type + "）。");
            *status = 1;
            return false;
        }
        if (index < static_cast<int>(page.File3.selected.size()) && page.File3.selected[index])
            continue;
        page.File3.Click(index);
    }
    return true;
}

namespace {

int PlotPoints(Run& run) {
    if (run.options.Has("with-elevation") && run.options.Has("without-elevation"))
        return UsageError(kCommand, "--with-elevation 与 --without-elevation 只能选一个");
    double scale = run.program.settings.PlotScale;
    if (!ScaleOption(run.options.Get("scale"), scale))
        return UsageError(kCommand, "--scale 应写成 1:N");
    for (const char* height : {"point-text", "elev-text"}) {
        auto v = run.options.Get(height);
        if (v && !(IsNumeric(*v) && LeadingNumber(*v) > 0))
            return UsageError(kCommand, std::string("--") + height + " 应为正数（毫米）");
    }
    int status = 0;
    auto session = SectionSession::Open(run, kCommand, &status, /*may_create=*/true);
    if (!session) return status;

    window::Page4 page(session->context());
    page.Setup();
    if (!ChoosePointFiles(run, page, kCommand, &status)) return status;
    bool control = page.Combo3.text == kControlType;
    run.program.settings.PlotScale = scale;
    if (auto v = run.options.Get("point-text")) page.Text4.Edit(*v);
    if (auto v = run.options.Get("elev-text")) {
        if (control) return UsageError(kCommand, "--elev-text 只用于坐标文件");
        page.Text6.Edit(*v);
    }
    if (run.options.Has("no-terrain") && page.Check1.ticked()) page.Check1.Click();
    if (run.options.Has("elevations")) {
        if (control) return UsageError(kCommand, "--elevations 只用于坐标文件");
        if (!page.Check2.ticked()) page.Check2.Click();
    }
    if (auto v = run.options.Get("class")) {
        if (std::find(page.Combo5.items.begin(), page.Combo5.items.end(), *v) ==
            page.Combo5.items.end())
            return UsageError(kCommand, "--class 只能是 GPS点、导线点、埋石图根点 或 不埋石图根点");
        page.Combo5.ChooseText(*v);
    }
    if (run.options.Has("with-elevation")) page.Option4.Click();
    if (run.options.Has("without-elevation")) page.Option5.Click();

    page.Command9.Click();
    // The host says "展点完成！" only when every point was drawn.
    const auto& said = session->host().active()->command_line();
    bool done = std::find(said.begin(), said.end(), "展点完成！") != said.end();
    return session->Finish(done ? 0 : 1);
}

const bool registered =
    Register({kCommand,
              "FILE... --drawing FILE.dxf|FILE.dwg [--type cor|ctl] [--scale 1:N] [--point-text H] "
              "[--elev-text H] [--no-terrain] [--elevations] [--class NAME] "
              "[--with-elevation|--without-elevation]",
              {"no-terrain", "elevations", "with-elevation", "without-elevation"},
              PlotPoints});

}  // namespace

}  // namespace velorin::cli
