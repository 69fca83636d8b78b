// The conversion page's work without its controls: a raw file of the chosen instrument
// into the conversion list and its target path, and saving that list as the survey file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace velorin::survey {

inline constexpr const char* kGts311Item = "Topcon GTS 311 (*.dat)";
inline constexpr const char* kIdexItem = "Leica TC 307 (*.idx)";

enum class RawModel { None, Gts311, Idex };
// The model the instrument list's item text selects; any other text selects none.
RawModel ModelFromItem(std::string_view item);

struct Conversion {
    Status status;                   // unreadable, or no record of the model in it
    std::vector<std::string> lines;  // the conversion list
    std::string target;              // the survey file beside the raw file
};

// Reads and converts the raw file. With no model the list stays empty but the target is
// still set; a file that cannot be read gives its message and an empty list. A file in
// which the model's reader recognises no record gives a message naming the file and the
// model, the list's header lines, and no target.
Conversion ConvertRawFile(const std::string& path, RawModel model, double limit,
                          std::string_view now);

// Writes the list as the survey file, replacing an older one whole.
Status SaveSurveyFile(const std::string& target, const std::vector<std::string>& lines);

}  // namespace velorin::survey
