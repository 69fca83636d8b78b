// velorin-batch dm-plot DM --out OUT.dxf: page 7's double-click on the section data file,
// then "横断面图" (or "纵断面图" with --profile); the new drawing is saved to OUT.dxf.
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
#include "window/page7.h"

namespace velorin::cli {

namespace {

void Print(const std::vector<std::string>& lines) {
    for (const auto& line : lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// "1:N" as the scale boxes take it; false when it is not a positive scale.
bool TakeScale(const std::optional<std::string>& option, double& factor) {
    if (!option) return true;
    if (!StartsWith(*option, "1:")) return false;
    auto n = ParseNumber(option->substr(2));
    if (!n || !(*n > 0)) return false;
    factor = *n / 1000;
    return true;
}

int DmPlot(Run& run) {
    const auto& args = run.options.Arguments();
    if (args.size() != 1) return UsageError("dm-plot", "需要一个断面数据文件");
    auto out = run.options.Get("out");
    if (!out || out->empty()) return UsageError("dm-plot", "需要 --out OUT.dxf");
    app::Settings& settings = run.program.settings;
    if (!TakeScale(run.options.Get("hscale"), settings.HScale) ||
        !TakeScale(run.options.Get("vscale"), settings.VScale))
        return UsageError("dm-plot", "比例应写成 1:N");
    std::string low, high;
    if (auto axis = run.options.Get("axis")) {
        auto parts = Split(*axis, ',');
        if (parts.size() != 2) return UsageError("dm-plot", "--axis 应写成 LOW,HIGH");
        low = Trim(parts[0]), high = Trim(parts[1]);
    }
    bool profile = run.options.Has("profile");

    cad::embedded::Host host(JoinPath(run.program.ProgramDir, "Support"), &run.ui);
    cad::embedded::EmbeddedConnector connector(host);
    app::SystemClock clock;
    app::Context context{run.program, run.ui, clock, &connector};
    window::Page7 page(context);
    page.Setup();
    if (auto title = run.options.Get("title")) page.Text25.Edit(*title);
    if (run.options.Has("axis")) {
        page.Check10.Click();
        page.Text23.Edit(low);
        page.Text24.Edit(high);
    }
    bool loaded = LoadOnPage(run, page, args[0]);
    Print(loaded ? page.List5.items : page.List4.items);
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
    if (host.documents().size() == drawings) return 1;
    bool refused = run.ui.refusals() > before;
    std::string target = std::filesystem::absolute(*out).lexically_normal().string();
    Status saved = host.documents().back()->Save(target);
    if (!saved.ok()) {
        run.ui.MessageBox(app::MessageIcon::Critical, profile ? "纵断面图" : "横断面图",
                          saved.message());
        return 1;
    }
    return refused ? 1 : 0;
}

const bool registered = Register(
    {"dm-plot",
     "DM --out OUT.dxf [--profile] [--axis LOW,HIGH] [--title T] [--hscale 1:N] [--vscale 1:N]",
     {"profile"},
     DmPlot});

}  // namespace

}  // namespace velorin::cli
