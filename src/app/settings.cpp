#include "app/settings.h"

#include <cmath>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"

namespace velorin::app {
namespace {

void TakeNumber(const std::string& line, double& target) {
    if (IsNumeric(line)) target = LeadingNumber(line);
}

void TakeFlag(const std::string& line, int& target) {
    if (line == "1") target = 1;
    if (line == "0") target = 0;
}

void TakeNonEmpty(const std::string& line, std::string& target) {
    if (!line.empty()) target = line;
}

std::string IntegerLine(int value) {
    // One blank before and after the digits; a minus sign takes the leading blank's place.
    return (value < 0 ? "" : " ") + std::to_string(value) + " ";
}

}  // namespace

Settings Settings::Defaults(const std::string& program_dir) {
    Settings s;
    s.MainDir = program_dir;
    return s;
}

void ApplySettingsLines(const std::vector<std::string>& lines, Settings& s) {
    int count = 0;
    for (const auto& raw : lines) {
        std::string line = Trim(raw);
        if (line.starts_with(";")) continue;
        switch (++count) {
            case 1:
                if (!line.empty() && PathExists(line)) s.MainDir = line;
                break;
            case 2:
                TakeNumber(line, s.PointTextHeight);
                break;
            case 3:
                TakeNumber(line, s.ElevTextHeight);
                break;
            case 4:
                TakeNumber(line, s.PlotScale);
                break;
            case 5:
                TakeFlag(line, s.CtlWithElev);
                break;
            case 6:
                TakeNumber(line, s.HScale);
                break;
            case 7:
                TakeNumber(line, s.VScale);
                break;
            case 8:
                TakeNonEmpty(line, s.TextFont);
                break;
            case 9:
                TakeNonEmpty(line, s.TextBigFont);
                break;
            case 10:
                TakeNonEmpty(line, s.SymbolName);
                break;
            case 11:
                TakeNonEmpty(line, s.SectionLineLayer);
                break;
            case 12:
                TakeNonEmpty(line, s.CentreLayer);
                break;
            case 13:
                TakeNumber(line, s.ValidOffset);
                break;
            case 14:
                s.PlotTitle = line;
                break;
            case 15:
                TakeFlag(line, s.CheckDirection);
                break;
            case 16:
                TakeFlag(line, s.MarkStart);
                break;
            case 17:
                s.SectionNo = line;
                break;
            case 18:
                s.SectionPrefix = line;
                break;
            case 19:
                if (auto v = ParseNumber(line)) {
                    double r = RoundHalfEven(*v);
                    // Outside a 32-bit whole number the line fails its rule.
                    if (r >= -2147483648.0 && r <= 2147483647.0)
                        s.StartSectionNo = static_cast<int>(r);
                }
                break;
            case 20:
                s.SectionSuffix = line;
                break;
            default:
                return;
        }
    }
}

void ReadSettingsFile(const std::string& path, Settings& settings) {
    if (!PathExists(path)) return;
    TextLines file = ReadTextLines(path);
    if (file.status.ok()) ApplySettingsLines(file.lines, settings);
}

std::vector<std::string> SettingsFileLines(const Settings& s) {
    auto d = [](double v) { return Format(v, "#0.00"); };
    return {
        "; 警告：该文件内容的修改可能会导致本系统的非正常运行！！！",
        ";",
        s.MainDir,
        d(s.PointTextHeight),
        d(s.ElevTextHeight),
        d(s.PlotScale),
        IntegerLine(s.CtlWithElev),
        d(s.HScale),
        d(s.VScale),
        s.TextFont,
        s.TextBigFont,
        s.SymbolName,
        s.SectionLineLayer,
        s.CentreLayer,
        d(s.ValidOffset),
        s.PlotTitle,
        IntegerLine(s.CheckDirection),
        IntegerLine(s.MarkStart),
        s.SectionNo,
        s.SectionPrefix,
        IntegerLine(s.StartSectionNo),
        s.SectionSuffix,
    };
}

Status WriteSettingsFile(const std::string& path, const Settings& settings) {
    Status s = WriteTextLines(path, SettingsFileLines(settings));
    if (!s.ok())
        return Status::Error("设置文件“" + path + "”无法写入，本次的设置修改未能保存。\n" +
                             s.message());
    return s;
}

}  // namespace velorin::app
