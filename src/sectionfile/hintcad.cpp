#include "sectionfile/hintcad.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/numbers.h"
#include "base/strings.h"

namespace velorin::sectionfile {

namespace {

struct MmPoint {
    long long offset, elevation;
};

std::vector<MmPoint> InMillimetres(const Section& section) {
    std::vector<MmPoint> points;
    for (const auto& p : section.points)
        points.push_back({Millimetres(p.chainage), Millimetres(p.elevation)});
    return points;
}

// The index of the first point on the centre stake, or -1.
int CentreIndex(const std::vector<MmPoint>& points) {
    for (size_t i = 0; i < points.size(); ++i)
        if (points[i].offset == 0) return static_cast<int>(i);
    return -1;
}

// One side's line: the count, then per point the distance from and the height above the
// previous point, starting at the centre. Differences of whole millimetres add up exactly.
std::string SideLine(const MmPoint& centre, const std::vector<MmPoint>& side) {
    std::string line = std::to_string(side.size());
    MmPoint previous = centre;
    for (const auto& p : side) {
        line += "\t" + Metres(std::llabs(p.offset - previous.offset)) + "\t" +
                Metres(p.elevation - previous.elevation);
        previous = p;
    }
    return line;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : line + "\t") {
        if (c == '\t' || c == ' ') {
            if (!field.empty()) fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    return fields;
}

}  // namespace

Status CheckForHintCad(const std::vector<PlacedSection>& sections) {
    for (size_t i = 0; i < sections.size(); ++i) {
        const auto& s = sections[i];
        if (CentreIndex(InMillimetres(s.section)) < 0)
            return Status::Error("断面“" + s.section.number +
                                 "”没有中桩点（距离为 0 的点），纬地横断面文件以中桩为起点，"
                                 "无法写出；没有保存任何文件。");
        if (i > 0 && Millimetres(s.chainage) < Millimetres(sections[i - 1].chainage))
            return Status::Error("断面“" + s.section.number + "”的里程 " +
                                 Metres(Millimetres(s.chainage)) + " 小于前一断面的里程，" +
                                 "纬地横断面文件的里程须递增；没有保存任何文件。");
    }
    return Status::Ok();
}

std::vector<std::string> HintCadHdmLines(const std::vector<PlacedSection>& sections) {
    std::vector<std::string> lines = {kHdmMagic};
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0) lines.emplace_back();
        auto points = InMillimetres(sections[i].section);
        int centre = CentreIndex(points);
        if (centre < 0) continue;  // refused by CheckForHintCad before writing
        std::vector<MmPoint> left, right;
        for (int k = 0; k < static_cast<int>(points.size()); ++k) {
            if (k == centre) continue;
            (points[k].offset < 0 ? left : right).push_back(points[k]);
        }
        // Points come by offset; each side runs outwards from the centre.
        std::stable_sort(left.begin(), left.end(),
                         [](const MmPoint& a, const MmPoint& b) { return a.offset > b.offset; });
        std::stable_sort(right.begin(), right.end(),
                         [](const MmPoint& a, const MmPoint& b) { return a.offset < b.offset; });
        lines.push_back(Metres(Millimetres(sections[i].chainage)));
        lines.push_back(SideLine(points[centre], left));
        lines.push_back(SideLine(points[centre], right));
    }
    return lines;
}

std::vector<std::string> HintCadDmxLines(const std::vector<PlacedSection>& sections) {
    std::vector<std::string> lines = {kDmxMagic};
    for (const auto& s : sections) {
        auto points = InMillimetres(s.section);
        int centre = CentreIndex(points);
        if (centre < 0) continue;
        char line[64];
        std::snprintf(line, sizeof line, "%12.3f\t%10.6f",
                      static_cast<double>(Millimetres(s.chainage)) / 1000,
                      static_cast<double>(points[centre].elevation) / 1000);
        lines.push_back(line);
    }
    return lines;
}

SectionsRead ReadHintCad(const std::vector<std::string>& hdm, const std::string& hdm_path,
                         const std::vector<std::string>& dmx, const std::string& dmx_path) {
    SectionsRead read;
    if (hdm.empty() || Trim(hdm[0]) != kHdmMagic)
        return Refused(hdm_path, 0, std::string("纬地横断面文件的第一行应为“") + kHdmMagic + "”。");
    if (dmx.empty() || Trim(dmx[0]) != kDmxMagic)
        return Refused(dmx_path, 0, std::string("纬地地面线文件的第一行应为“") + kDmxMagic + "”。");

    // The centre elevations, in the order of the sections.
    std::vector<std::pair<double, double>> centres;
    std::vector<size_t> centre_lines;
    for (size_t i = 1; i < dmx.size(); ++i) {
        auto fields = Fields(dmx[i]);
        if (fields.empty()) continue;
        std::optional<double> chainage, elevation;
        if (fields.size() == 2)
            chainage = ParseNumber(fields[0]), elevation = ParseNumber(fields[1]);
        if (!chainage || !elevation)
            return Refused(dmx_path, i, "“" + Trim(dmx[i]) + "”应为“里程<TAB>地面高程”两个数字。");
        centres.push_back({*chainage, *elevation});
        centre_lines.push_back(i);
    }

    size_t i = 1;
    auto next_line = [&]() -> bool {
        while (i < hdm.size() && Trim(hdm[i]).empty()) ++i;
        return i < hdm.size();
    };
    while (next_line()) {
        size_t chainage_line = i;
        auto chainage = ParseNumber(Trim(hdm[i]));
        if (!chainage) return Refused(hdm_path, i, "里程“" + Trim(hdm[i]) + "”不是数字。");
        if (!read.sections.empty() &&
            Millimetres(*chainage) < Millimetres(read.sections.back().chainage))
            return Refused(hdm_path, i,
                           "里程 " + Trim(hdm[i]) + " 小于前一断面的里程 " +
                               Metres(Millimetres(read.sections.back().chainage)) + "。");
        size_t index = read.sections.size();
        if (index >= centres.size())
            return Refused(
                hdm_path, i,
                "里程 " + Trim(hdm[i]) + " 在地面线文件“" + dmx_path + "”中没有中桩高程。");
        if (Millimetres(centres[index].first) != Millimetres(*chainage))
            return Refused(dmx_path, centre_lines[index],
                           "里程 " + Metres(Millimetres(centres[index].first)) + " 与横断面文件“" +
                               hdm_path + "”第" + std::to_string(chainage_line + 1) + "行的里程 " +
                               Trim(hdm[i]) + " 不符。");
        double centre = centres[index].second;
        Section section{NameOfChainage(*chainage), {{0, centre}}};
        std::vector<SectionPoint> left;
        ++i;
        for (int side = 0; side < 2; ++side, ++i) {
            const char* which = side == 0 ? "左侧" : "右侧";
            if (i >= hdm.size() || Trim(hdm[i]).empty())
                return Refused(hdm_path, std::min(i, hdm.size()),
                               std::string("缺少里程 ") + Trim(hdm[chainage_line]) + " 的" + which +
                                   "数据行。");
            auto fields = Fields(hdm[i]);
            auto count = ParseNumber(fields[0]);
            // Compared as numbers: a count too large for any integer type is still a count
            // that the line does not hold, not a value to convert.
            if (!count || *count < 0 || std::floor(*count) != *count)
                return Refused(hdm_path, i,
                               std::string(which) + "点数“" + fields[0] + "”不是整数。");
            size_t pairs = (fields.size() - 1) / 2;
            if (*count != static_cast<double>(pairs) || (fields.size() - 1) % 2 != 0)
                return Refused(hdm_path, i,
                               std::string(which) + "声明 " + fields[0] + " 个点，实有 " +
                                   std::to_string(fields.size() - 1) + " 个数（应为点数的两倍）。");
            double offset = 0, elevation = centre;
            for (size_t k = 0; k < pairs; ++k) {
                auto d = ParseNumber(fields[1 + 2 * k]), h = ParseNumber(fields[2 + 2 * k]);
                if (!d || !h)
                    return Refused(hdm_path, i,
                                   std::string(which) + "第 " + std::to_string(k + 1) + " 对“" +
                                       fields[1 + 2 * k] + " " + fields[2 + 2 * k] + "”不是数字。");
                if (*d < 0)
                    return Refused(
                        hdm_path, i,
                        std::string(which) + "第 " + std::to_string(k + 1) + " 对的平距为负数。");
                offset += side == 0 ? -*d : *d;
                elevation += *h;
                (side == 0 ? left : section.points).push_back({offset, elevation});
            }
        }
        section.points.insert(section.points.begin(), left.rbegin(), left.rend());
        read.sections.push_back({std::move(section), *chainage});
    }
    if (centres.size() > read.sections.size())
        return Refused(dmx_path, centre_lines[read.sections.size()],
                       "里程 " + Metres(Millimetres(centres[read.sections.size()].first)) +
                           " 在横断面文件“" + hdm_path + "”中没有断面。");
    return read;
}

}  // namespace velorin::sectionfile
