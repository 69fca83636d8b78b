// Leica TC 307 IDEX files (.idx) turned into survey file lines: the project's operator
// and creation date, and from the instrument block each set-up's station and the slope
// records that follow it (backsight first, then the foresights).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velorin::survey {

// Survey lines for the file's decoded lines. Target heights above `limit` are left
// out; `now` is the date-and-time text written as the conversion time.
std::vector<std::string> ConvertIdex(const std::vector<std::string>& raw_lines,
                                     std::string_view source_path, double limit,
                                     std::string_view now);

}  // namespace velorin::survey
