// Topcon GTS-311 raw files (.dat) turned into survey file lines: station, backsight and
// one observation line (horizontal distance and height difference) per HD record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velorin::survey {

// The height a record gives when its second field is not a number.
inline constexpr double kNoHeight = 9999;

// Survey lines for the raw file's decoded lines. Target heights at or above `limit` are
// left out. Unknown records, the "GTS" header line and short records never stop it.
std::vector<std::string> ConvertGts311(const std::vector<std::string>& raw_lines,
                                       std::string_view source_path, double limit);

}  // namespace velorin::survey
