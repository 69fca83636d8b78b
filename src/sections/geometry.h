// Section geometry: the rectangle that reaches the valid offset to each side of a line
// segment, the foot of a point on a segment's line, where two lines meet along the
// first, a section line's direction, and the nudges that keep every segment off the
// vertical and the horizontal. Users compare chainages with files made long ago, so the
// arithmetic is kept as it always was, 0.001 nudges included.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "base/point.h"

namespace velorin::sections {

// A segment P→N with its slope k and the slope kp of its perpendicular. P is the start
// vertex after the nudge; neither slope is 0 or infinite.
struct Segment {
    Point2 p, n;
    double k = 0, kp = 0;
    double Length() const;
};

// The segment walk's segment from vertex `p` to vertex `n`: when the two share X (or Y)
// the start moves 0.001 down in X (or Y) first.
Segment WalkSegment(Point2 p, Point2 n);
// A section line from s1 to s2: when the two share X (or Y) the end moves 0.001 up.
Segment SectionSegment(Point2 s1, Point2 s2);
// The segment as it stands, no nudge (the stored section lines were nudged already).
Segment PlainSegment(Point2 p, Point2 n);

// Corners K1..K4 of the closed rectangle `r` to each side of the segment and exactly
// as long as it: K1, K2 on one side (start, end), K3, K4 on the other (end, start).
std::array<Point2, 4> RangeRectangle(const Segment& s, double r);
// The same corners as x, y, z triples with z 0, as the host's polygon selections take them.
std::array<double, 12> PolygonPoints(const std::array<Point2, 4>& corners);

// Where the perpendicular from q meets the segment's line.
Point2 SegmentFoot(const Segment& s, Point2 q);

// A point's place relative to the segment: chainage from its start (never negative)
// and offset from its line (never negative, the side is not kept).
struct Station {
    double chainage = 0, offset = 0;
};
Station StationOf(const Segment& s, Point2 q);

// Distance from (x1, y1) to the point where the line through (x1, y1), (x2, y2) meets the
// line through (x3, y3), (x4, y4). Nothing for a vertical line or parallel lines.
std::optional<double> LineCutDistance(double x1, double y1, double x2, double y2, double x3,
                                      double y3, double x4, double y4);

// The direction of s1→s2 in degrees in [0, 360), from the X axis towards the Y axis.
double DirectionAngle(Point2 s1, Point2 s2);

// The next section number: the trailing digits plus one (断9 → 断10, K1+020 → K1+21,
// 断 → 断1); a number of digits only stays as it is.
std::string NextSectionNumber(const std::string& number);

}  // namespace velorin::sections
