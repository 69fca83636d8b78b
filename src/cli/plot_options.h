// The options the plotting commands share (section, batch, dm-plot): the scales, which
// override the settings for this run, and the unified axis of the cross-sections.
#pragma once

#include <optional>
#include <string>

#include "app/sheet_settings.h"
#include "cli/cli.h"

namespace velorin::cli {

struct PlotOptions {
    bool axis = false;  // --axis LOW,HIGH given
    std::string low, high;
    // --sheets PAPER [--portrait] [--margins L,R,T,B]: the cross-sections on sheets; the
    // run's own choice, the window's kept choice is not read.
    app::SheetSettings sheets;
    std::string pdf;  // --pdf OUT.pdf, with --sheets
};

// The sheet options' usage text and their flag.
inline constexpr const char* kSheetUsage =
    "[--sheets A4|A3|A2|A1 [--portrait] [--margins L,R,T,B] [--pdf OUT.pdf]]";
inline constexpr const char* kPortraitFlag = "portrait";

// Takes the sheet options into `out`; the usage error's status when they are not sound.
std::optional<int> TakeSheetOptions(Run& run, const std::string& command, PlotOptions& out);

// Takes --hscale and --vscale ("1:N") into the run's settings and, where the command has
// it, --axis. Returns the usage error's status, or nothing when the options are sound.
std::optional<int> TakePlotOptions(Run& run, const std::string& command, bool with_axis,
                                   PlotOptions& out);

// A scale option ("1:N") into `factor`; false when given but not a positive scale.
bool ScaleOption(const std::optional<std::string>& option, double& factor);

}  // namespace velorin::cli
