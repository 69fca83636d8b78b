#include "survey/survey_file.h"

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"

namespace velorin::survey {

std::string FormatField(std::string_view text, std::string_view pattern) {
    auto value = ParseNumber(text);
    if (!value) return std::string(text);
    return Format(*value, pattern);
}

namespace {
bool KindIs(std::string_view line, std::string_view lower_prefix) {
    return line.size() >= 3 && EqualsIgnoreCase(line.substr(0, 3), lower_prefix);
}

bool IsSkipped(std::string_view line) { return line.empty() || line.front() == ';'; }
}  // namespace

bool IsStationLine(std::string_view line) { return KindIs(line, "cz,"); }
bool IsBacksightLine(std::string_view line) { return KindIs(line, "hs,"); }

std::string BacksightNameOf(std::string_view line) {
    std::string_view name = line.size() >= 3 ? line.substr(3) : std::string_view();
    if (!name.empty() && name.back() == ',') name.remove_suffix(1);
    return std::string(name);
}

std::vector<std::string> SurveyLinesFromText(const std::vector<std::string>& raw_lines) {
    std::vector<std::string> lines;
    lines.reserve(raw_lines.size());
    std::string backsight;
    for (const auto& raw : raw_lines) {
        std::string line = UpperCase(Trim(raw));
        if (StartsWith(line, "HS,")) {
            backsight = BacksightNameOf(line);
        } else if (StartsWith(line, "HC,")) {
            line = backsight + ",0.0000," + line.substr(3);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

SurveyFile ReadSurveyFile(const std::string& path) {
    TextLines text = ReadTextLines(path);
    if (!text.status.ok()) return {text.status, {}};
    return {Status::Ok(), SurveyLinesFromText(text.lines)};
}

ControlFile ControlRowsFromText(const std::vector<std::string>& raw_lines, std::string_view path) {
    ControlFile file;
    file.rows.reserve(raw_lines.size());
    for (size_t i = 0; i < raw_lines.size(); ++i) {
        std::string line = UpperCase(Trim(raw_lines[i]));
        if (IsSkipped(line)) continue;
        std::vector<std::string> fields = Split(line, ',');
        if (fields.size() > 5) {
            // The table has five columns; loading part of the file would hide the fault.
            file.status =
                Status::Error("控制点文件“" + std::string(path) + "”第" + std::to_string(i + 1) +
                              "行的字段多于五个，文件未载入：" + line);
            file.rows.clear();
            return file;
        }
        // Missing or empty numbers read as 0, so a point without elevation shows 0.000;
        // a field that holds text is a fault, or the point would become a station at 0.
        std::vector<double> numbers(5, 0.0);
        for (size_t k = 1; k < fields.size(); ++k) {
            if (Trim(fields[k]).empty()) continue;
            auto value = ParseNumber(fields[k]);
            if (!value) {
                file.status =
                    Status::Error("控制点文件“" + std::string(path) + "”第" +
                                  std::to_string(i + 1) + "行的第" + std::to_string(k + 1) +
                                  "个字段“" + fields[k] + "”不是数字，文件未载入：" + line);
                file.rows.clear();
                return file;
            }
            numbers[k] = *value;
        }
        ControlRow row;
        row.name = fields[0];
        row.x = Format(numbers[1], "#0.000");
        row.y = Format(numbers[2], "#0.000");
        row.h = Format(numbers[3], "#0.000");
        if (fields.size() > 4) row.mark = Format(numbers[4], "#0.000");
        file.rows.push_back(std::move(row));
    }
    return file;
}

ControlFile ReadControlFile(const std::string& path) {
    TextLines text = ReadTextLines(path);
    if (!text.status.ok()) return {text.status, {}};
    return ControlRowsFromText(text.lines, path);
}

std::string ControlFileLine(const ControlRow& row) {
    return row.name + "," + row.x + "," + row.y + "," + row.h;
}

}  // namespace velorin::survey
