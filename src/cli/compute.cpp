// velorin-batch compute SURVEY --ctl FILE...: page 3's double-click on each control point
// file and on the survey file, then "计算" and "保存".
#include <cstdio>
#include <filesystem>

#include "app/clock.h"
#include "app/context.h"
#include "cli/cli.h"
#include "window/page3.h"

namespace velorin::cli {

namespace {

// Shows the file in page 3's lists as the user would find it and double-clicks it.
bool DoubleClickFile(Run& run, window::Page3& page, const std::string& type,
                     const std::string& path) {
    std::filesystem::path file = std::filesystem::absolute(path).lexically_normal();
    page.Combo2.ChooseText(type);
    page.Dir3.Choose(file.parent_path().string());
    int index = page.File2.IndexOf(file.filename().string());
    if (index < 0) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "坐标计算",
                          "找不到文件“" + file.string() + "”。");
        return false;
    }
    page.File2.DblClick(index);
    return run.ui.refusals() == 0;
}

int Compute(Run& run) {
    const auto& args = run.options.Arguments();
    if (args.size() != 1) return UsageError("compute", "需要一个测量文件");
    // Computing without control points is allowed, but only when asked for: a forgotten
    // --ctl would otherwise give a run in which no station is found.
    if (!run.options.Has("ctl") && !run.options.Has("no-ctl"))
        return UsageError("compute", "需要 --ctl 控制点文件，不用控制点文件时请给出 --no-ctl");
    if (run.options.Has("ctl") && run.options.Has("no-ctl"))
        return UsageError("compute", "--ctl 与 --no-ctl 不能同时给出");
    std::string mode = run.options.Get("mode").value_or("auto");
    if (mode != "auto" && mode != "hd" && mode != "sv")
        return UsageError("compute", "--mode 只能是 auto、hd 或 sv");

    app::SystemClock clock;
    app::Context context{run.program, run.ui, clock};
    window::Page3 page(context);
    page.Setup();
    for (const auto& ctl : run.options.All("ctl"))
        if (!DoubleClickFile(run, page, "控制点文件(*.ctl)", ctl)) return 1;
    if (!DoubleClickFile(run, page, "测量文件(*.sur)", args[0])) return 1;
    (mode == "hd" ? page.Option2 : mode == "sv" ? page.Option3 : page.Option1).Click();
    bool observations = false;
    for (const auto& line : page.List2.items)
        if (!line.empty() && line.front() != ';') observations = true;
    if (!observations) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "坐标计算",
                          "测量文件“" + args[0] + "”中没有观测数据，没有可计算的坐标。");
        return 1;
    }

    page.Command4.Click();
    for (const auto& line : page.List1.items) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    // The coordinate file's path is set only when the run went to its end; a stop has
    // shown its message.
    if (page.CoordinateFilePath.empty()) return 1;
    int before = run.ui.refusals();
    page.Command5.Click();
    return run.ui.refusals() > before ? 1 : 0;
}

const bool registered = Register(
    {"compute", "SURVEY [--ctl FILE]... [--no-ctl] [--mode auto|hd|sv]", {"no-ctl"}, Compute});

}  // namespace

}  // namespace velorin::cli
