// A point or vector in a plane: drawing coordinates (x east, y north), or a station's
// easting and northing. Every layer that needs two coordinates uses this one type.
#pragma once

namespace velorin {

struct Point2 {
    double x = 0, y = 0;
    friend bool operator==(const Point2&, const Point2&) = default;
};

}  // namespace velorin
