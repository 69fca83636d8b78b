#include "cad/preview.h"

#include <algorithm>
#include <cmath>

#include "base/numbers.h"

namespace velorin::cad {

PreviewPicture MakePreview(const std::vector<Point2>& points, double plot_scale) {
    PreviewPicture pic;
    if (points.empty()) return pic;
    double min_x = points[0].x, max_x = min_x, min_y = points[0].y, max_y = min_y;
    for (const Point2& p : points) {
        min_x = std::min(min_x, p.x), max_x = std::max(max_x, p.x);
        min_y = std::min(min_y, p.y), max_y = std::max(max_y, p.y);
    }
    // Square about the points' box, so a long thin survey is not stretched.
    double dx = max_x - min_x, dy = max_y - min_y;
    PreviewWindow& w = pic.window;
    if (dy < dx) {
        w.left = min_x, w.right = max_x;
        w.top = max_y + (dx - dy) / 2, w.bottom = min_y - (dx - dy) / 2;
    } else {
        w.top = max_y, w.bottom = min_y;
        w.left = min_x - (dy - dx) / 2, w.right = max_x + (dy - dx) / 2;
    }
    const double m = PreviewPicture::kMargin;
    pic.scale_x1 = w.left - m, pic.scale_y1 = w.top + m;
    pic.scale_x2 = w.right + m, pic.scale_y2 = w.bottom - m;

    const double radius = (w.right - w.left) * 0.005;
    pic.points.reserve(points.size());
    for (const Point2& p : points) pic.points.push_back({p.x, p.y, radius});

    const double g = 500 * plot_scale;
    // A scale of 0 (or less) has no grid spacing; drawing one would never end.
    if (!(g > 0)) return pic;
    auto lines = [&](double low, double high) {
        double first = std::floor(low / g), last = std::floor(high / g);
        if (!std::isfinite(first) || !std::isfinite(last) || last - first + 1 > kMaxGridLines) {
            pic.grid_thinned = true;
            return std::pair<long, long>(0, -1);
        }
        return std::pair<long, long>(static_cast<long>(first), static_cast<long>(last));
    };
    auto [v_first, v_last] = lines(w.left, w.right);
    for (long i = v_first; i <= v_last; ++i) {
        double x = i * g;
        pic.vertical.push_back({x, w.bottom - m, x, w.top + m, Format(x, "#0"), x, w.top + 4});
    }
    auto [h_first, h_last] = lines(w.bottom, w.top);
    for (long i = h_first; i <= h_last; ++i) {
        double y = i * g;
        pic.horizontal.push_back({w.left - m, y, w.right + m, y, Format(y, "#0"), w.left + 1, y});
    }
    return pic;
}

std::vector<Point2> PreviewPoints(store::RecordSet& ctl) {
    std::vector<Point2> points;
    points.reserve(static_cast<size_t>(std::max(0L, ctl.RecordCount())));
    for (ctl.MoveFirst(); !ctl.EndOfFile(); ctl.MoveNext())
        points.push_back({ctl.Number("X1"), ctl.Number("Y1")});
    return points;
}

}  // namespace velorin::cad
