#include "coords/results.h"

#include "base/numbers.h"
#include "base/paths.h"
#include "base/text_file.h"

namespace velorin::coords {

namespace {
std::string Reformatted(const std::string& text) {
    return text.empty() ? std::string() : Format(LeadingNumber(text), "#0.000");
}
}  // namespace

std::vector<std::string> CoordinateFileLines(const ResultTable& results, std::string_view now) {
    std::vector<std::string> lines;
    lines.reserve(results.rows.size() + 3);
    lines.push_back("; 坐标文件： " + results.path);
    lines.push_back("; 计算时间： " + std::string(now));
    lines.emplace_back();
    for (const auto& row : results.rows)
        lines.push_back(row.name + "," + Reformatted(row.y) + "," + Reformatted(row.x) + "," +
                        Reformatted(row.h) + ",");
    return lines;
}

std::vector<std::string> LogFileLines(const std::vector<std::string>& report,
                                      std::string_view now) {
    std::vector<std::string> lines;
    lines.reserve(report.size() + 3);
    lines.push_back("—— 坐标计算LOG文件 ——");
    lines.push_back("计算时间：" + std::string(now));
    lines.emplace_back();
    lines.insert(lines.end(), report.begin(), report.end());
    return lines;
}

std::vector<std::string> BranchFileLines(const ControlTable& control) {
    std::vector<std::string> lines;
    for (const auto& row : control.rows)
        if (row.mark == survey::kBranchMark) lines.push_back(survey::ControlFileLine(row));
    return lines;
}

SavedResults SaveResults(const ControlTable& control, const ResultTable& results,
                         const std::vector<std::string>& report, std::string_view now) {
    SavedResults saved;
    if (results.path.empty() || results.rows.empty()) return saved;
    saved.attempted = true;
    auto failed = [&](const Status& status) {
        saved.messages.push_back({app::MessageIcon::Critical, "坐标保存", status.message()});
        return saved;
    };
    if (Status s = WriteTextLines(results.path, CoordinateFileLines(results, now)); !s.ok())
        return failed(s);
    if (Status s =
            WriteTextLines(ReplaceExtension(results.path, ".log"), LogFileLines(report, now));
        !s.ok())
        return failed(s);
    std::vector<std::string> branch = BranchFileLines(control);
    if (!branch.empty()) {
        if (Status s = WriteTextLines(ReplaceExtension(results.path, "(支).ctl"), branch); !s.ok())
            return failed(s);
    }
    saved.messages.push_back(
        {app::MessageIcon::Information, "坐标保存", "数据已保存在“" + results.path + "”文件中！"});
    return saved;
}

}  // namespace velorin::coords
