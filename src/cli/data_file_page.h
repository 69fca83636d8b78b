// Page 7 as velorin-batch drives it: a section data file shown in the page's lists as the
// user would find it, then double-clicked.
#pragma once

#include <string>

#include "cli/cli.h"
#include "window/page7.h"

namespace velorin::cli {

// Loads `file` on page 7; false when it is missing or the page refused it (the user has
// been told why).
bool LoadOnPage(Run& run, window::Page7& page, const std::string& file);

}  // namespace velorin::cli
