#include "app/sheet_settings.h"

#include <cstdlib>
#include <utility>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"

namespace velorin::app {

std::optional<std::pair<double, double>> PaperSides(const std::string& paper) {
    std::string p = UpperCase(paper);
    if (p == "A4") return std::pair{210.0, 297.0};
    if (p == "A3") return std::pair{297.0, 420.0};
    if (p == "A2") return std::pair{420.0, 594.0};
    if (p == "A1") return std::pair{594.0, 841.0};
    return std::nullopt;
}

std::string SheetSettingsFault(const SheetSettings& s) {
    auto sides = PaperSides(s.paper);
    if (!sides) return "图纸“" + s.paper + "”不认识：应为 A4、A3、A2 或 A1";
    for (double m : {s.left, s.right, s.top, s.bottom})
        if (!(m >= 0)) return "图纸边距应为不小于 0 的毫米数";
    double width = s.landscape ? sides->second : sides->first;
    double height = s.landscape ? sides->first : sides->second;
    // The inner border must leave room for a section 50 mm square beside its padding,
    // and above the title block (24 mm high) for one as high.
    if (width - s.left - s.right < 60 || height - s.top - s.bottom - 24 - 5 < 60)
        return "图纸边距太大：" + s.paper + (s.landscape ? " 横向" : " 竖向") +
               "图框内放不下断面和标题栏";
    return {};
}

std::string SheetSettingsPath() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        base = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = ".";
    return base + "/velorin/sheets.ini";
}

SheetSettings ReadSheetSettings(const std::string& path) {
    SheetSettings s;
    // A file that cannot be read leaves the defaults, as a missing one does.
    for (const std::string& line : SplitLines(ReadFileBytes(path).value_or(""))) {
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        SheetSettings trial = s;
        if (key == "layout") {
            if (value != "sheets" && value != "column") continue;
            trial.on = value == "sheets";
        }
        if (key == "paper") trial.paper = UpperCase(value);
        if (key == "orientation") {
            if (value != "landscape" && value != "portrait") continue;
            trial.landscape = value == "landscape";
        }
        for (auto [name, target] : {std::pair{"left", &trial.left},
                                    {"right", &trial.right},
                                    {"top", &trial.top},
                                    {"bottom", &trial.bottom}})
            if (key == name) {
                auto v = ParseNumber(value);
                if (!v) continue;
                *target = *v;
            }
        if (SheetSettingsFault(trial).empty()) s = trial;
    }
    return s;
}

Status WriteSheetSettings(const std::string& path, const SheetSettings& s) {
    if (std::string folder = FolderOf(path); !folder.empty())
        if (Status made = MakeFolder(folder); !made.ok())
            return Status::Error("图纸设置无法保存到“" + path + "”：" + made.message());
    std::string text =
        "# Velorin: 横断面图纸\nlayout=" + std::string(s.on ? "sheets" : "column") +
        "\npaper=" + s.paper + "\norientation=" + (s.landscape ? "landscape" : "portrait") +
        "\nleft=" + FormatFixed(s.left, 1) + "\nright=" + FormatFixed(s.right, 1) +
        "\ntop=" + FormatFixed(s.top, 1) + "\nbottom=" + FormatFixed(s.bottom, 1) + "\n";
    Status status = WriteFileAtomically(path, text);
    if (!status.ok()) return Status::Error("图纸设置无法保存到“" + path + "”：" + status.message());
    return status;
}

}  // namespace velorin::app
