// Loading files into the coordinate page's tables by double-click, and the keys that
// empty them.
#pragma once

#include <string>

#include "base/status.h"
#include "coords/tables.h"

namespace velorin::coords {

// Decides by the path's last four characters: ".ctl" appends to the control table,
// ".sur" replaces the observation list; any other ending loads nothing. A file that
// cannot be read or is refused leaves every table as it was.
Status LoadCoordinateInput(const std::string& path, ControlTable& control,
                           ObservationList& observations);

Status LoadControlFile(const std::string& path, ControlTable& control);
Status LoadSurveyFile(const std::string& path, ObservationList& observations);

// Delete on the control table with grid row `row` selected (0 is the header row).
void DeleteControlRow(ControlTable& control, int row);
// Shift+Delete on the control table.
void ClearControlTable(ControlTable& control);
// Shift+Delete on the observation list: the results go with it.
void ClearObservations(ObservationList& observations, ResultTable& results);

}  // namespace velorin::coords
