// The commands of page 3: loading files, the table keys, computing and saving.
#include <algorithm>

#include "coords/computation.h"
#include "coords/loading.h"
#include "coords/results.h"
#include "window/page3.h"

namespace velorin::window {

namespace {

void Show(app::Ui& ui, const coords::PageMessage& message) {
    ui.WindowAside(true);
    ui.MessageBox(message.icon, message.title, message.text);
    ui.WindowAside(false);
}

std::string Cell(const std::vector<std::string>& cells, size_t k) {
    return k < cells.size() ? cells[k] : std::string();
}

// The grids hold rows of texts; the domain works on the same texts as named fields.
coords::ControlTable ControlOf(const Grid& grid, const std::string& path) {
    coords::ControlTable table;
    table.path = path;
    table.rows.reserve(grid.rows.size());
    for (size_t r = 1; r < grid.rows.size(); ++r) {
        const auto& c = grid.rows[r];
        table.rows.push_back({Cell(c, 0), Cell(c, 1), Cell(c, 2), Cell(c, 3), Cell(c, 4)});
    }
    return table;
}

void ShowControl(const coords::ControlTable& table, Grid& grid) {
    grid.CutToHeader();
    grid.rows.reserve(table.rows.size() + 1);
    for (const auto& row : table.rows) grid.AddRow({row.name, row.x, row.y, row.h, row.mark});
}

coords::ResultTable ResultsOf(const Grid& grid, const std::string& path) {
    coords::ResultTable table;
    table.path = path;
    table.rows.reserve(grid.rows.size());
    for (size_t r = 1; r < grid.rows.size(); ++r) {
        const auto& c = grid.rows[r];
        table.rows.push_back({Cell(c, 0), Cell(c, 1), Cell(c, 2), Cell(c, 3)});
    }
    return table;
}

void ShowResults(const coords::ResultTable& table, Grid& grid) {
    grid.CutToHeader();
    grid.rows.reserve(table.rows.size() + 1);
    for (const auto& row : table.rows) grid.AddRow({row.name, row.y, row.x, row.h});
}

}  // namespace

void Page3::File2_DblClick() {
    File2_Click();
    if (Text5.text.empty()) return;
    coords::ControlTable control = ControlOf(ctl1, ControlFilePath);
    coords::ObservationList observations{List2.items, SurveyFilePath};
    Status loaded = coords::LoadCoordinateInput(Text5.text, control, observations);
    if (!loaded.ok()) {
        // The tables stay as they were.
        Show(context_.ui, {app::MessageIcon::Exclamation, "坐标计算", loaded.message()});
        return;
    }
    ShowControl(control, ctl1);
    ControlFilePath = control.path;
    List2.items = std::move(observations.lines);
    List2.list_index = -1;
    SurveyFilePath = observations.path;
}

void Page3::ctl1_KeyDown(Key key, bool shift) {
    if (key != Key::Delete) return;
    coords::ControlTable control = ControlOf(ctl1, ControlFilePath);
    if (shift)
        coords::ClearControlTable(control);
    else
        coords::DeleteControlRow(control, ctl1.row);
    int selected = ctl1.row;
    ShowControl(control, ctl1);
    ctl1.row = std::min(selected, ctl1.Rows() - 1);
    ControlFilePath = control.path;
}

void Page3::List2_KeyDown(Key key, bool shift) {
    if (key != Key::Delete || !shift) return;
    coords::ObservationList observations{List2.items, SurveyFilePath};
    coords::ResultTable results = ResultsOf(cor1, CoordinateFilePath);
    coords::ClearObservations(observations, results);
    List2.Clear();
    SurveyFilePath = observations.path;
    ShowResults(results, cor1);
    CoordinateFilePath = results.path;
}

void Page3::Command4_Click() {
    coords::ObservationMode mode = Option2.value   ? coords::ObservationMode::DistanceHeight
                                   : Option3.value ? coords::ObservationMode::SlopeVertical
                                                   : coords::ObservationMode::Automatic;
    coords::ControlTable control = ControlOf(ctl1, ControlFilePath);
    coords::ObservationList observations{List2.items, SurveyFilePath};
    coords::ResultTable results = ResultsOf(cor1, CoordinateFilePath);
    coords::Computation run = coords::ComputeCoordinates(observations, control, results, mode);
    ShowControl(control, ctl1);
    ShowResults(results, cor1);
    CoordinateFilePath = results.path;
    List1.Clear();
    List1.items = std::move(run.report);
    for (const auto& message : run.messages) Show(context_.ui, message);
}

void Page3::Command5_Click() {
    // Rows without a file name are a stopped run's: partial, and never written under the
    // name of the run before.
    if (CoordinateFilePath.empty() && cor1.Rows() > 1) {
        return Show(context_.ui,
                    {app::MessageIcon::Exclamation, "坐标保存",
                     "本次坐标计算已中止，表中的坐标不完整，未保存。\n\n请改正后重新计算。"});
    }
    coords::ControlTable control = ControlOf(ctl1, ControlFilePath);
    coords::ResultTable results = ResultsOf(cor1, CoordinateFilePath);
    coords::SavedResults saved =
        coords::SaveResults(control, results, List1.items, context_.clock.Now());
    for (const auto& message : saved.messages) Show(context_.ui, message);
}

}  // namespace velorin::window
