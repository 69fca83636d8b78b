// velorin-batch convert RAW: page 2's double-click on the raw file, then "保存 .sur 文件".
#include <cstdio>
#include <filesystem>

#include "app/clock.h"
#include "app/context.h"
#include "base/strings.h"
#include "cli/cli.h"
#include "survey/conversion.h"
#include "window/page2.h"

namespace velorin::cli {

namespace {

int Convert(Run& run) {
    const auto& args = run.options.Arguments();
    if (args.size() != 1) return UsageError("convert", "需要一个原始文件");
    std::string model = run.options.Get("model").value_or("");
    std::filesystem::path raw = std::filesystem::absolute(args[0]).lexically_normal();
    if (model.empty())
        model = EqualsIgnoreCase(raw.extension().string(), ".idx") ? "idex" : "gts311";
    if (model != "gts311" && model != "idex")
        return UsageError("convert", "--model 只能是 gts311 或 idex");

    app::SystemClock clock;
    app::Context context{run.program, run.ui, clock};
    window::Page2 page(context);
    page.Setup();
    page.Combo1.ChooseText(model == "idex" ? survey::kIdexItem : survey::kGts311Item);
    if (auto limit = run.options.Get("limit")) page.Text3.Edit(*limit);
    page.Dir2.Choose(raw.parent_path().string());
    std::string name = raw.filename().string();
    // A raw file named otherwise than the model's pattern is still the user's choice here.
    if (page.File1.IndexOf(name) < 0) page.File1.SetPattern("*");
    int index = page.File1.IndexOf(name);
    if (index < 0) {
        run.ui.MessageBox(app::MessageIcon::Critical, "测量文件",
                          "找不到文件“" + raw.string() + "”。");
        return 1;
    }
    page.File1.DblClick(index);
    for (const auto& line : page.List3.items) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (run.ui.refusals() > 0) return 1;
    page.Command2.Click();
    return run.ui.refusals() > 0 ? 1 : 0;
}

const bool registered = Register({"convert", "RAW [--limit M] [--model gts311|idex]", {}, Convert});

}  // namespace

}  // namespace velorin::cli
