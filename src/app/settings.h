// The twenty user settings, their defaults, and the settings file Velorin.ini that keeps
// them between runs. Pages write the settings on every edit; commands read them.
#pragma once

#include <string>
#include <vector>

#include "base/status.h"

namespace velorin::app {

struct Settings {
    std::string MainDir;                             // 1, default ProgramDir
    double PointTextHeight = 2.0;                    // 2
    double ElevTextHeight = 2.0;                     // 3
    double PlotScale = 0.5;                          // 4, 1:500
    int CtlWithElev = 1;                             // 5
    double HScale = 0.2;                             // 6, 1:200
    double VScale = 0.1;                             // 7, 1:100
    std::string TextFont = "Romans";                 // 8
    std::string TextBigFont = "Htj_S";               // 9
    std::string SymbolName = "纯坐标展点";           // 10
    std::string SectionLineLayer = "断_断面线";      // 11
    std::string CentreLayer = "断_中心点";           // 12
    double ValidOffset = 2.0;                        // 13
    std::string PlotTitle = "ＸＸ市ＸＸ路横断面图";  // 14
    int CheckDirection = 1;                          // 15
    int MarkStart = 0;                               // 16
    std::string SectionNo = "断1";                   // 17
    std::string SectionPrefix = "断面";              // 18
    int StartSectionNo = 1;                          // 19
    std::string SectionSuffix;                       // 20

    // Defaults with the main directory set to the program folder.
    static Settings Defaults(const std::string& program_dir);
};

// Applies the value lines of a settings file (decoded lines) to `settings` by the
// rules of each line; comments are skipped, blank lines count.
void ApplySettingsLines(const std::vector<std::string>& lines, Settings& settings);
// Reads `path` when it exists; a missing or unreadable file leaves the settings as they are.
void ReadSettingsFile(const std::string& path, Settings& settings);

// The 22 lines ExitSystem writes: two comment lines, then one value line per setting.
std::vector<std::string> SettingsFileLines(const Settings& settings);
Status WriteSettingsFile(const std::string& path, const Settings& settings);

}  // namespace velorin::app
