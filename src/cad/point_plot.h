// Plotting surveyed points into the drawing: coordinate files (terrain points with their
// names and elevation marks) and control point files (a class symbol and a name label),
// read into the store's Ctl table and drawn one symbol and its labels per point. The
// preview reads the files the same way (cad/preview.h).
#pragma once

#include <string>
#include <vector>

#include "app/progress.h"
#include "app/settings.h"
#include "app/ui.h"
#include "base/status.h"
#include "cad/host.h"
#include "store/working_store.h"

namespace velorin::cad {

// Coordinate files (.cor) hold easting before northing, control point files (.ctl)
// northing before easting.
enum class PointFileType { Coordinates, Control };

// The file type an entry of the page's type list stands for, recognised by its first
// three characters ("坐标点", "控制点"); false when it is neither.
bool PointFileTypeOf(const std::string& entry, PointFileType* type);

// An elevation field holding this value means the point has none.
inline constexpr double kNoElevation = 9999;

// Empties Ctl, reopens its standing record set in "Name,CtlNo" order and appends one
// row per point line of the files, in file order: CtlNo the first field, Name the file's
// name, X1 the easting, Y1 the northing, H1 the elevation (left empty when the line has
// no elevation). A file that cannot be read stops the load with a message naming it;
// the rows of the files before it stay. A line whose coordinate field holds text that is
// not a number refuses the load naming the file and line before anything is changed:
// Ctl keeps the rows it had.
Status LoadPointFiles(store::WorkingStore& store, const std::vector<std::string>& paths,
                      PointFileType type, long* rows = nullptr);

// Whether a loaded row carries an elevation: H1 given and not 9999, and for control
// points not 0 either.
bool HasElevation(const store::FieldValue& h1, PointFileType type);

// What the page's fields ask of a plot.
struct PointPlotOptions {
    PointFileType type = PointFileType::Coordinates;
    bool terrain_points = true;            // symbol and name of each terrain point
    bool elevation_points = false;         // elevation symbol and mark of each terrain point
    bool control_with_elevation = true;    // control names labelled with the elevation too
    std::string control_class = "导线点";  // the control symbol's block name
    double point_text_height = 2;          // millimetres on paper
    double elev_text_height = 2;           // millimetres on paper
    double scale = 0.5;                    // drawing units per paper millimetre
    std::string program_dir;               // holds Support with the symbol drawings
};

enum class PlotOutcome { Plotted, NoHost, MissingFont };

// Plots the rows of `ctl`: attaches to the host (telling the user when none runs),
// prepares the current drawing, sets up the text style ("地形" or "控制") and stops with
// the host's font alert when the font files are not found, zooms to the points, draws
// every row in record-set order and has the host say "展点完成！". Messages carry the
// title "地形展点".
PlotOutcome PlotPoints(HostConnector& connector, app::Ui& ui, const app::Settings& settings,
                       store::RecordSet& ctl, const PointPlotOptions& options,
                       app::Progress* progress = nullptr);

}  // namespace velorin::cad
