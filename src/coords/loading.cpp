#include "coords/loading.h"

#include "base/strings.h"

namespace velorin::coords {

Status LoadCoordinateInput(const std::string& path, ControlTable& control,
                           ObservationList& observations) {
    std::string ending = UpperCase(path.size() >= 4 ? path.substr(path.size() - 4) : path);
    if (ending == ".CTL") return LoadControlFile(path, control);
    if (ending == ".SUR") return LoadSurveyFile(path, observations);
    return Status::Ok();
}

Status LoadControlFile(const std::string& path, ControlTable& control) {
    survey::ControlFile file = survey::ReadControlFile(path);
    if (!file.status.ok()) return file.status;
    control.rows.insert(control.rows.end(), std::make_move_iterator(file.rows.begin()),
                        std::make_move_iterator(file.rows.end()));
    control.path = path;
    return Status::Ok();
}

Status LoadSurveyFile(const std::string& path, ObservationList& observations) {
    survey::SurveyFile file = survey::ReadSurveyFile(path);
    if (!file.status.ok()) return file.status;
    observations.lines = std::move(file.lines);
    observations.path = path;
    return Status::Ok();
}

void DeleteControlRow(ControlTable& control, int row) {
    if (row < 1 || row > static_cast<int>(control.rows.size())) return;
    if (control.rows.size() == 1) {
        ClearControlTable(control);
        return;
    }
    control.rows.erase(control.rows.begin() + (row - 1));
}

void ClearControlTable(ControlTable& control) {
    control.rows.clear();
    control.path.clear();
}

void ClearObservations(ObservationList& observations, ResultTable& results) {
    observations.lines.clear();
    observations.path.clear();
    results.rows.clear();
    results.path.clear();
}

}  // namespace velorin::coords
