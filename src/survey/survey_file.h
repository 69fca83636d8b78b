// The two plain text formats between the conversion page and the coordinate page: the
// survey file (.sur, observations set-up by set-up) and the control point file (.ctl,
// known points). Readers here return what the coordinate page's tables hold.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace velorin::survey {

// Header line of every converted survey file: the instrument model.
inline constexpr const char* kGts311ModelLine = "; 全 站 仪：Topcon GTS 311";
inline constexpr const char* kIdexModelLine = "; 全 站 仪：Leica TC 307";
inline constexpr const char* kSourceLinePrefix = "; 文 件 名：";

// A numeric text in the given number format; any other text unchanged (an empty field
// stays empty), as the raw-file readers write fields.
std::string FormatField(std::string_view text, std::string_view pattern);

// Line kinds, by the first three characters in any case.
bool IsStationLine(std::string_view line);    // "cz,"
bool IsBacksightLine(std::string_view line);  // "hs,"
// The name a backsight line gives: the text after "hs," less one trailing ",".
std::string BacksightNameOf(std::string_view line);

// A survey file as the observation list holds it: every line trimmed and upper-cased,
// comments and blanks kept, "HC," lines rewritten as an observation of the current
// backsight at horizontal reading 0.
struct SurveyFile {
    Status status;
    std::vector<std::string> lines;
};
SurveyFile ReadSurveyFile(const std::string& path);
std::vector<std::string> SurveyLinesFromText(const std::vector<std::string>& raw_lines);

// One known point as the control point table shows it: texts, numbers "#0.000"; mark
// "支" for branch stations the computation added.
struct ControlRow {
    std::string name, x, y, h, mark;
    bool operator==(const ControlRow&) const = default;
};
inline constexpr const char* kBranchMark = "支";

// A control point file read for the table. A line with more than five fields, or with a
// coordinate field holding text that is not a number, refuses the whole file (nothing is
// loaded) with a message naming the file and the line.
struct ControlFile {
    Status status;
    std::vector<ControlRow> rows;
};
ControlFile ReadControlFile(const std::string& path);
ControlFile ControlRowsFromText(const std::vector<std::string>& raw_lines, std::string_view path);
// The line of a branch control point file: name,X,Y,H as the table holds them.
std::string ControlFileLine(const ControlRow& row);

}  // namespace velorin::survey
