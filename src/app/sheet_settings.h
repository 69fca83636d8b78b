// The sheet choice of the cross-section plots: paper, its turn and the margins. Kept in a
// file of its own in the user's configuration folder, so that Velorin.ini keeps its lines.
#pragma once

#include <optional>
#include <string>

#include "base/status.h"

namespace velorin::app {

struct SheetSettings {
    bool on = false;           // the plots go on sheets rather than in one column
    std::string paper = "A3";  // A4, A3, A2 or A1
    bool landscape = true;
    // Margins from the paper's edge to the inner border, millimetres; the left one binds.
    double left = 25, right = 10, top = 10, bottom = 10;
};

// A paper's short and long side in millimetres, or nothing for a name not known.
std::optional<std::pair<double, double>> PaperSides(const std::string& paper);

// The settings' fault as the user reads it, or an empty text when they are sound.
std::string SheetSettingsFault(const SheetSettings& settings);

// "$XDG_CONFIG_HOME/velorin/sheets.ini", else "$HOME/.config/velorin/sheets.ini".
std::string SheetSettingsPath();

// Reads the file; a missing file, or a line that is not sound, leaves the default.
SheetSettings ReadSheetSettings(const std::string& path);
// Writes the file (and its folder), replacing it in one step.
Status WriteSheetSettings(const std::string& path, const SheetSettings& settings);

}  // namespace velorin::app
