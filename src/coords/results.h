// Saving the last computation ("保存"): the coordinate file (.cor), the log (.log) with
// the full report, and the branch control point file "(支).ctl" when the computation
// took stations from its own results.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "coords/tables.h"

namespace velorin::coords {

std::vector<std::string> CoordinateFileLines(const ResultTable& results, std::string_view now);
std::vector<std::string> LogFileLines(const std::vector<std::string>& report, std::string_view now);
// The "支" rows of the control table; empty when there are none.
std::vector<std::string> BranchFileLines(const ControlTable& control);

struct SavedResults {
    bool attempted = false;             // false: nothing to save, nothing shown
    std::vector<PageMessage> messages;  // the completion message, or the file that failed
};

// Writes the three files beside the survey file. Each replaces its old file whole; a
// file that cannot be written stops the save with a message naming it.
SavedResults SaveResults(const ControlTable& control, const ResultTable& results,
                         const std::vector<std::string>& report, std::string_view now);

}  // namespace velorin::coords
