// What the page-4 commands of velorin-batch share: choosing the named files in page 4's
// file list with the file type of --type (or of the first file's extension).
#pragma once

#include <string>

#include "cli/cli.h"
#include "window/page4.h"

namespace velorin::cli {

// Shows the files as the user would find them and chooses each; they must share one
// folder, as the page's list shows one. False, with `status` set (usage error or
// refusal), when one cannot be chosen.
bool ChoosePointFiles(Run& run, window::Page4& page, const std::string& command, int* status);

}  // namespace velorin::cli
