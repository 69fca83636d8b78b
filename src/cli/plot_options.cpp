#include "cli/plot_options.h"

#include "base/numbers.h"
#include "base/strings.h"

namespace velorin::cli {

bool ScaleOption(const std::optional<std::string>& option, double& factor) {
    if (!option) return true;
    auto scale = ParseScale(*option);
    if (!scale) return false;
    factor = *scale;
    return true;
}

std::optional<int> TakePlotOptions(Run& run, const std::string& command, bool with_axis,
                                   PlotOptions& out) {
    app::Settings& settings = run.program.settings;
    if (!ScaleOption(run.options.Get("hscale"), settings.HScale) ||
        !ScaleOption(run.options.Get("vscale"), settings.VScale))
        return UsageError(command, "比例应写成 1:N");
    if (!with_axis) return std::nullopt;
    if (auto axis = run.options.Get("axis")) {
        auto parts = Split(*axis, ',');
        if (parts.size() != 2) return UsageError(command, "--axis 应写成 LOW,HIGH");
        out.axis = true;
        out.low = Trim(parts[0]), out.high = Trim(parts[1]);
    }
    return std::nullopt;
}

}  // namespace velorin::cli
