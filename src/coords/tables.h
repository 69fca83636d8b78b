// The coordinate page's data, as plain rows the page's grids and lists show: the control
// point table, the observation list, the result table and the message list.
#pragma once

#include <string>
#include <vector>

#include "app/ui.h"
#include "survey/survey_file.h"

namespace velorin::coords {

// Data rows of grid ctl1 (the header row is the page's); the path of the last file loaded.
struct ControlTable {
    std::vector<survey::ControlRow> rows;
    std::string path;
};

// List2: the loaded survey file's lines and its path.
struct ObservationList {
    std::vector<std::string> lines;
    std::string path;
};

// One row of grid cor1: name, Y (easting), X (northing), H (empty without elevation).
struct ResultRow {
    std::string name, y, x, h;
    bool operator==(const ResultRow&) const = default;
};
struct ResultTable {
    std::vector<ResultRow> rows;
    std::string path;  // the coordinate file to write
};

// A message box a command wants shown, in the order it arose.
struct PageMessage {
    app::MessageIcon icon;
    std::string title;
    std::string text;
    bool operator==(const PageMessage&) const = default;
};

}  // namespace velorin::coords
