// Section plots on framed paper sheets. Cross-sections as the column draws them, only
// moved, top to bottom, column by column, sheet by sheet; profiles cut into sheet-length
// pieces, one a sheet, each drawn as the whole profile would be. Each sheet has its trim
// line, inner border and title block, the sheets side by side in model space. One drawing
// unit is 1/H paper millimetres, so a sheet of W x H mm takes W·H x H·H drawing units.
#pragma once

#include <string>
#include <vector>

#include "app/context.h"
#include "app/sheet_settings.h"
#include "base/status.h"
#include "cad/host.h"
#include "plots/section_plots.h"

namespace velorin::plots {

// Paper millimetres, from the sheet's lower left corner.
struct PaperBox {
    double left = 0, bottom = 0, right = 0, top = 0;
    double width() const { return right - left; }
    double height() const { return top - bottom; }
};

inline constexpr double kSheetSpacing = 20;  // between sheets in model space
inline constexpr double kSectionGap = 10;    // between sections, across and down
inline constexpr double kBorderPadding = 5;  // from the inner border to the sections
inline constexpr double kTitleWidth = 180;   // the title block, in the lower right corner
inline constexpr double kTitleRow = 8;       // three rows: title, scales, date and sheet
inline constexpr double kTitleHeight = 3 * kTitleRow;

struct SheetPaper {
    double width = 0, height = 0;  // as turned
    PaperBox border;               // the inner border
    PaperBox title;                // the title block
    PaperBox area;                 // where sections go
};

// The paper of sound settings (see app::SheetSettingsFault).
SheetPaper PaperOf(const app::SheetSettings& settings);

// Where a section lands: its sheet (from 0) and the paper point of its centre line at its
// grid's bottom edge.
struct SheetPlace {
    int sheet = 0;
    double x = 0, y = 0;
};

struct SheetLayout {
    SheetPaper paper;
    std::vector<SheetPlace> places;  // one per room, in order
    int sheets = 0;
    std::string refusal;  // set when a section does not fit a sheet: nothing is placed
};

// Lays out the rooms (drawing units at horizontal and vertical scale factors H and V).
SheetLayout LayOutSheets(const std::vector<SectionRoom>& rooms, const app::SheetSettings& settings,
                         double H, double V);

// The smallest usual scale denominator (1, 2, 2.5, 5 times a power of ten) not below `n`.
double UsualScaleAtLeast(double n);

// A sheet plot: the drawing, and each sheet's paper edge in drawing units.
struct SheetPlot {
    cad::Document* doc = nullptr;
    struct Frame {
        double min_x, min_y, max_x, max_y;
    };
    std::vector<Frame> sheets;
    double paper_width = 0, paper_height = 0;  // millimetres, as turned
};

// Writes the sheets of a plot to a PDF file: one page per sheet at true scale. The front
// ends hand one to the pages, which know no painting.
class SheetPrinter {
  public:
    virtual ~SheetPrinter() = default;
    virtual Status Print(const SheetPlot& plot, const std::string& path) = 0;
};

// DrawCrossSections on sheets: the same arguments, the sheet choice, and the title for the
// title blocks. A doc of nullptr when nothing was drawn (the user has been told why, or
// there was nothing to draw).
SheetPlot DrawCrossSectionSheets(app::Context& context, const double& axis_a, const double& axis_b,
                                 const std::string& title, const app::SheetSettings& settings);

// A profile cut into sheet-length pieces, one piece a sheet. Each piece keeps the frame's
// caption column (ruler, row titles) on its left; a profile's first piece also makes room
// for points before its frame. Cuts fall on whole 5 m of chainage.
struct ProfileSheetLayout {
    SheetPaper paper;
    std::vector<ProfilePiece> pieces;  // piece k on sheet k
    // Paper point of each piece's upper left frame corner (left border, top of the frame).
    std::vector<SheetPlace> places;
    int sheets = 0;
    std::string refusal;  // set when a profile does not fit a sheet: nothing is placed
};

// Lays out the profiles (drawing units at horizontal and vertical scale factors H and V).
ProfileSheetLayout LayOutProfileSheets(const std::vector<ProfileRoom>& rooms,
                                       const app::SheetSettings& settings, double H, double V);

// DrawProfile on sheets: the start chainage, the sheet choice and the title blocks' title.
SheetPlot DrawProfileSheets(app::Context& context, const double& start_chainage,
                            const std::string& title, const app::SheetSettings& settings);

}  // namespace velorin::plots
