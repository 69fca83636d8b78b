// Plane geometry of the host: boxes, affine transforms, and the primitives (segments,
// circles, text boxes) an entity is made of, with the exact tests that decide a
// selection once the spatial index has found the candidates.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "base/point.h"

namespace velorin::cad::embedded {

struct Box {
    double min_x = std::numeric_limits<double>::infinity(), min_y = min_x;
    double max_x = -std::numeric_limits<double>::infinity(), max_y = max_x;
    bool valid() const { return min_x <= max_x && min_y <= max_y; }
    void Add(Point2 p) {
        min_x = std::min(min_x, p.x), min_y = std::min(min_y, p.y);
        max_x = std::max(max_x, p.x), max_y = std::max(max_y, p.y);
    }
    void Add(const Box& b) {
        if (b.valid()) Add(Point2{b.min_x, b.min_y}), Add(Point2{b.max_x, b.max_y});
    }
    bool Intersects(const Box& b) const {
        return min_x <= b.max_x && b.min_x <= max_x && min_y <= b.max_y && b.min_y <= max_y;
    }
    bool Contains(const Box& b) const {
        return min_x <= b.min_x && b.max_x <= max_x && min_y <= b.min_y && b.max_y <= max_y;
    }
};

// x' = a x + b y + c, y' = d x + e y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;
    Point2 operator()(Point2 p) const { return {a * p.x + b * p.y + c, d * p.x + e * p.y + f}; }
    Affine operator*(const Affine& o) const {  // this after o
        return {a * o.a + b * o.d, a * o.b + b * o.e, a * o.c + b * o.f + c,
                d * o.a + e * o.d, d * o.b + e * o.e, d * o.c + e * o.f + f};
    }
    // Lengths scale by this when the transform keeps circles circles.
    double Scale() const { return std::sqrt(std::fabs(a * e - b * d)); }
    // Circles stay circles: the columns are orthogonal and of equal length (mirrors too).
    bool Conformal() const {
        double c1 = a * a + d * d, c2 = b * b + e * e;
        return std::fabs(c1 - c2) <= 1e-9 * (c1 + c2) &&
               std::fabs(a * b + d * e) <= 1e-9 * (c1 + c2);
    }
    // The transform back; the identity when this one flattens the plane.
    Affine Inverse() const {
        double det = a * e - b * d;
        if (det == 0 || !std::isfinite(det)) return {};
        return {e / det, -b / det, (b * f - e * c) / det, -d / det, a / det, (d * c - a * f) / det};
    }
    Box Map(const Box& box) const {
        Box out;
        out.Add((*this)({box.min_x, box.min_y})), out.Add((*this)({box.max_x, box.min_y}));
        out.Add((*this)({box.min_x, box.max_y})), out.Add((*this)({box.max_x, box.max_y}));
        return out;
    }
    // Insert: scale, rotate (degrees), move, after shifting the block's base to 0.
    static Affine Insert(Point2 at, double xs, double ys, double rotation_deg, Point2 base);
};

// Receives the primitives of an entity in drawing coordinates. Texts come as their box
// (4 corners), also reported through Polyline for selection.
class PrimitiveSink {
  public:
    virtual ~PrimitiveSink() = default;
    virtual void Segment(Point2 a, Point2 b) = 0;
    virtual void Circle(Point2 centre, double radius) = 0;
    virtual void Point(Point2 p) { Segment(p, p); }
    // A filled area (wide polyline segment, solid); selection treats its outline.
    virtual void Area(const Point2* corners, int n) {
        for (int i = 0; i < n; ++i) Segment(corners[i], corners[(i + 1) % n]);
    }
};

// Arcs as chords fine enough that selection and painting cannot tell (at most 1/2000 of
// the radius off the curve).
void ArcPoints(Point2 centre, double radius, double start_rad, double end_rad,
               std::vector<Point2>& out);
// The arc of a polyline bulge from a to b, as points after a up to b.
void BulgePoints(Point2 a, Point2 b, double bulge, std::vector<Point2>& out);
// An elliptical arc, centre + cos(t) major + sin(t) minor for t from `start` through
// `sweep` (radians), as finely as ArcPoints steps.
void EllipsePoints(Point2 centre, Point2 major, Point2 minor, double start, double sweep,
                   std::vector<Point2>& out);
// The counter-clockwise sweep from angle `start` to `end` (radians), in (0, 2π]: angles
// that are equal or whole turns apart sweep a full turn, the way a closed ellipse is stored.
double Sweep(double start, double end);
// Points along a B-spline of `degree` (evenly spaced in its parameter); empty when the
// knots do not fit the control points.
std::vector<Point2> BSplinePoints(int degree, const std::vector<double>& knots,
                                  const std::vector<Point2>& control);

// Tests on a closed polygon (area) and an open line (fence).
bool PointInPolygon(Point2 p, const std::vector<Point2>& polygon);
bool SegmentsIntersect(Point2 a, Point2 b, Point2 c, Point2 d);
double PointSegmentDistance(Point2 p, Point2 a, Point2 b);
// The segment touches the polygon's area (inside, crossing, or on its edge).
bool SegmentTouchesPolygon(Point2 a, Point2 b, const std::vector<Point2>& polygon);
// The circle's curve touches the polygon's area.
bool CircleTouchesPolygon(Point2 c, double r, const std::vector<Point2>& polygon);
// The segment crosses the circle's curve.
bool SegmentTouchesCircle(Point2 a, Point2 b, Point2 c, double r);

// Width of a text line in units of its height: CJK characters are square, others narrower.
double TextAdvance(std::string_view utf8);

}  // namespace velorin::cad::embedded
