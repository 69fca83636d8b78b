#include "sectionfile/section_csv.h"

#include "base/numbers.h"
#include "base/strings.h"

namespace velorin::sectionfile {

namespace {

std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos && field == Trim(field)) return field;
    return "\"" + ReplaceAll(field, "\"", "\"\"") + "\"";
}

// The fields of one row as spreadsheets write them: quotes around a field, "" for a quote.
std::optional<std::vector<std::string>> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) return std::nullopt;
    return fields;
}

}  // namespace

std::string CsvText(const std::vector<PlacedSection>& sections) {
    std::string text = std::string("\xEF\xBB\xBF") + kCsvHeader + "\r\n";
    for (const auto& s : sections) {
        std::string lead = Quoted(s.section.number) + "," + Metres(Millimetres(s.chainage)) + ",";
        for (const auto& p : s.section.points)
            text += lead + Metres(Millimetres(p.chainage)) + "," +
                    Metres(Millimetres(p.elevation)) + "\r\n";
    }
    return text;
}

SectionsRead ReadCsv(const std::vector<std::string>& lines, const std::string& path) {
    SectionsRead read;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line =
            i == 0 && lines[0].starts_with("\xEF\xBB\xBF") ? lines[0].substr(3) : lines[i];
        if (Trim(line).empty()) continue;
        auto fields = Fields(line);
        if (!fields) return Refused(path, i, "引号没有配对。");
        if (fields->size() != 4)
            return Refused(path, i,
                           "应有 4 列（断面名,里程,距离,高程），这一行有 " +
                               std::to_string(fields->size()) + " 列。");
        auto chainage = ParseNumber((*fields)[1]);
        if (!chainage && read.sections.empty() && Trim((*fields)[1]) == "里程") continue;  // header
        auto offset = ParseNumber((*fields)[2]), elevation = ParseNumber((*fields)[3]);
        if (!chainage) return Refused(path, i, "里程“" + (*fields)[1] + "”不是数字。");
        if (!offset) return Refused(path, i, "距离“" + (*fields)[2] + "”不是数字。");
        if (!elevation) return Refused(path, i, "高程“" + (*fields)[3] + "”不是数字。");
        std::string name = Trim((*fields)[0]);
        if (name.empty()) return Refused(path, i, "断面名为空。");
        if (read.sections.empty() || read.sections.back().section.number != name ||
            Millimetres(read.sections.back().chainage) != Millimetres(*chainage))
            read.sections.push_back({{name, {}}, *chainage});
        read.sections.back().section.points.push_back({*offset, *elevation});
    }
    return read;
}

}  // namespace velorin::sectionfile
