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

std::optional<int> TakeSheetOptions(Run& run, const std::string& command, PlotOptions& out) {
    auto paper = run.options.Get("sheets");
    if (!paper) {
        if (run.options.Has("pdf") || run.options.Has(kPortraitFlag) || run.options.Has("margins"))
            return UsageError(command, "--pdf、--portrait 和 --margins 要与 --sheets 一起用");
        return std::nullopt;
    }
    app::SheetSettings& s = out.sheets;
    s.on = true;
    s.paper = UpperCase(*paper);
    s.landscape = !run.options.Has(kPortraitFlag);
    if (auto margins = run.options.Get("margins")) {
        auto parts = Split(*margins, ',');
        if (parts.size() != 4) return UsageError(command, "--margins 应写成 左,右,上,下（毫米）");
        double* targets[] = {&s.left, &s.right, &s.top, &s.bottom};
        for (size_t k = 0; k < 4; ++k) {
            auto v = ParseNumber(Trim(parts[k]));
            if (!v) return UsageError(command, "--margins 应写成 左,右,上,下（毫米）");
            *targets[k] = *v;
        }
    }
    if (std::string fault = app::SheetSettingsFault(s); !fault.empty())
        return UsageError(command, fault);
    if (auto pdf = run.options.Get("pdf")) {
        if (!EndsWith(UpperCase(*pdf), ".PDF")) return UsageError(command, "--pdf 应为 .pdf 文件");
        out.pdf = *pdf;
    }
    return std::nullopt;
}

}  // namespace velorin::cli
