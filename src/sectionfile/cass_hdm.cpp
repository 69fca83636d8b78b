#include "sectionfile/cass_hdm.h"

#include <algorithm>

#include "base/numbers.h"
#include "base/strings.h"

namespace velorin::sectionfile {

std::vector<std::string> CassHdmLines(const std::vector<PlacedSection>& sections) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < sections.size(); ++i) {
        const auto& points = sections[i].section.points;
        lines.push_back("BEGIN," + Metres(Millimetres(sections[i].chainage)) + ":" +
                        std::to_string(i + 1));
        bool centred = std::any_of(points.begin(), points.end(), [](const SectionPoint& p) {
            return Millimetres(p.chainage) == 0;
        });
        long long origin = 0;
        if (!centred && !points.empty()) {
            origin = Millimetres(points.front().chainage);
            for (const auto& p : points) origin = std::min(origin, Millimetres(p.chainage));
        }
        for (const auto& p : points)
            lines.push_back(Metres(Millimetres(p.chainage) - origin) + "," +
                            Metres(Millimetres(p.elevation)));
    }
    return lines;
}

SectionsRead ReadCassHdm(const std::vector<std::string>& lines, const std::string& path) {
    SectionsRead read;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = Trim(lines[i]);
        if (line.empty()) continue;
        if (UpperCase(line).starts_with("BEGIN,")) {
            std::string value = Trim(line.substr(6));
            value = Trim(value.substr(0, value.find(':')));
            auto chainage = ParseNumber(value);
            if (!chainage) chainage = ChainageFromName(value);
            if (!chainage) return Refused(path, i, "里程“" + value + "”不是数字。");
            read.sections.push_back({{NameOfChainage(*chainage), {}}, *chainage});
            continue;
        }
        if (read.sections.empty())
            return Refused(path, i, "CASS 里程文件应以“BEGIN,里程”行开始，这里是“" + line + "”。");
        auto parts = Split(line, ',');
        std::optional<double> offset, elevation;
        if (parts.size() == 2) offset = ParseNumber(parts[0]), elevation = ParseNumber(parts[1]);
        if (!offset || !elevation)
            return Refused(path, i, "“" + line + "”应为“距离,高程”两个数字。");
        read.sections.back().section.points.push_back({*offset, *elevation});
    }
    return read;
}

}  // namespace velorin::sectionfile
