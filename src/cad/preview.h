// The preview of loaded points before they are plotted: a square window about the
// points with a 5 m margin, every point a small red circle, and a blue grid every
// 500 x the plot scale metres with its values. Made as a plain description that the page
// paints into its picture box; it needs no drawing host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/point.h"
#include "store/working_store.h"

namespace velorin::cad {

// The square window about the points, in drawing units; northing grows upwards.
struct PreviewWindow {
    double left = 0, right = 0, top = 0, bottom = 0;
};

struct PreviewPicture {
    static constexpr double kMargin = 5;  // metres on every side
    static constexpr uint32_t kPointColour = 255, kGridColour = 16711680,
                              kLabelColour = 0;  // 0xBBGGRR

    PreviewWindow window;
    // The picture's user scale: upper left and lower right corners.
    double scale_x1 = 0, scale_y1 = 0, scale_x2 = 0, scale_y2 = 0;

    struct Circle {
        double x, y, radius;
    };
    struct GridLine {
        double x1, y1, x2, y2;
        std::string label;        // the line's value formatted "#0"
        double label_x, label_y;  // top left corner of the label
    };
    std::vector<Circle> points;
    std::vector<GridLine> vertical;    // west to east
    std::vector<GridLine> horizontal;  // south to north
    // Set when a grid direction would need more lines than a picture can show (points
    // far apart at a large scale); that direction is left without grid.
    bool grid_thinned = false;
};

// At most this many grid lines are drawn in one direction.
inline constexpr long kMaxGridLines = 20000;

// The preview of the points at `plot_scale` (drawing units per paper millimetre).
// Empty points give an empty picture (no window).
PreviewPicture MakePreview(const std::vector<Point2>& points, double plot_scale);

// The points of the Ctl record set, in its order.
std::vector<Point2> PreviewPoints(store::RecordSet& ctl);

}  // namespace velorin::cad
