// The options the plotting commands share (section, batch, dm-plot): the scales, which
// override the settings for this run, and the unified axis of the cross-sections.
#pragma once

#include <optional>
#include <string>

#include "cli/cli.h"

namespace velorin::cli {

struct PlotOptions {
    bool axis = false;  // --axis LOW,HIGH given
    std::string low, high;
};

// Takes --hscale and --vscale ("1:N") into the run's settings and, where the command has
// it, --axis. Returns the usage error's status, or nothing when the options are sound.
std::optional<int> TakePlotOptions(Run& run, const std::string& command, bool with_axis,
                                   PlotOptions& out);

// A scale option ("1:N") into `factor`; false when given but not a positive scale.
bool ScaleOption(const std::optional<std::string>& option, double& factor);

}  // namespace velorin::cli
