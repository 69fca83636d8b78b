// The commands of page 3: loading files, the table keys, computing and saving.
#include "window/page3.h"

#include <algorithm>

#include "coords/computation.h"
#include "coords/loading.h"
#include "coords/results.h"

namespace velorin {

namespace {

void Show(Ui& ui, const PageMessage& message) {
    ui.WindowAside(true);
    ui.MessageBox(message.icon, message.title, message.text);
    ui.WindowAside(false);
}

std::string Cell(const std::vector<std::string>& cells, size_t k) { return k < cells.size() ? cells[k] : std::string(); }

// The grids hold rows of texts; the domain works on the same texts as named fields.
ControlTable ControlOf(const Grid& grid, const std::string& path) {
    ControlTable table;
    table.path = path;
    table.rows.reserve(grid.rows.size());
    for (size_t r = 1; r < grid.rows.size(); ++r) {
        const auto& c = grid.rows[r];
        table.rows.push_back({Cell(c, 0), Cell(c, 1), Cell(c, 2), Cell(c, 3), Cell(c, 4)});
    }
    return table;
}

void ShowControl(const ControlTable& table, Grid& grid) {
    grid.CutToHeader();
    grid.rows.reserve(table.rows.size() + 1);
    for (const auto& row : table.rows) grid.AddRow({row.name, row.x, row.y, row.h, row.mark});
}

ResultTable ResultsOf(const Grid& grid, const std::string& path) {
    ResultTable table;
    table.path = path;
    table.rows.reserve(grid.rows.size());
    for (size_t r = 1; r < grid.rows.size(); ++r) {
        const auto& c = grid.rows[r];
        table.rows.push_back({Cell(c, 0), Cell(c, 1), Cell(c, 2), Cell(c, 3)});
    }
    return table;
}

void ShowResults(const ResultTable& table, Grid& grid) {
    grid.CutToHeader();
    grid.rows.reserve(table.rows.size() + 1);
    for (const auto& row : table.rows) grid.AddRow({row.name, row.y, row.x, row.h});
}

}  // namespace

void Page3::File2_DblClick() {
    File2_Click();
    if (Text5.text.empty()) return;
    ControlTable control = ControlOf(ctl1, ControlFilePath);
    ObservationList observations{List2.items, SurveyFilePath};
    Status loaded = LoadCoordinateInput(Text5.text, control, observations);
    if (!loaded.ok()) {
        // The tables stay as they were.
        Show(context_.ui, {MessageIcon::Exclamation, "坐标计算", loaded.message()});
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
    ControlTable control = ControlOf(ctl1, ControlFilePath);
    if (shift)
        ClearControlTable(control);
    else
        DeleteControlRow(control, ctl1.row);
    int selected = ctl1.row;
    ShowControl(control, ctl1);
    ctl1.row = std::min(selected, ctl1.Rows() - 1);
    ControlFilePath = control.path;
}

void Page3::List2_KeyDown(Key key, bool shift) {
    if (key != Key::Delete || !shift) return;
    ObservationList observations{List2.items, SurveyFilePath};
    ResultTable results = ResultsOf(cor1, CoordinateFilePath);
    ClearObservations(observations, results);
    List2.Clear();
    SurveyFilePath = observations.path;
    ShowResults(results, cor1);
    CoordinateFilePath = results.path;
}

void Page3::Command4_Click() {
    ObservationMode mode = Option2.value   ? ObservationMode::DistanceHeight
                           : Option3.value ? ObservationMode::SlopeVertical
                                           : ObservationMode::Automatic;
    ControlTable control = ControlOf(ctl1, ControlFilePath);
    ObservationList observations{List2.items, SurveyFilePath};
    ResultTable results = ResultsOf(cor1, CoordinateFilePath);
    Computation run = ComputeCoordinates(observations, control, results, mode);
    ShowControl(control, ctl1);
    ShowResults(results, cor1);
    CoordinateFilePath = results.path;
    List1.Clear();
    List1.items = std::move(run.report);
    for (const auto& message : run.messages) Show(context_.ui, message);
}

void Page3::Command5_Click() {
    ControlTable control = ControlOf(ctl1, ControlFilePath);
    ResultTable results = ResultsOf(cor1, CoordinateFilePath);
    SavedResults saved = SaveResults(control, results, List1.items, context_.clock.Now());
    for (const auto& message : saved.messages) Show(context_.ui, message);
}

}  // namespace velorin
