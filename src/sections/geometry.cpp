#include "sections/geometry.h"

#include <cmath>

#include "base/numbers.h"

namespace velorin::sections {

namespace {

// The slopes are taken the way they always were: pi to ten places, Atn of the slope.
constexpr double kPi = 3.1415926535;

Segment WithSlopes(Point2 p, Point2 n) {
    Segment s{p, n, 0, 0};
    s.k = (n.y - p.y) / (n.x - p.x);
    s.kp = -1 / s.k;
    return s;
}

}  // namespace

double Segment::Length() const {
    return std::sqrt((p.x - n.x) * (p.x - n.x) + (p.y - n.y) * (p.y - n.y));
}

Segment WalkSegment(Point2 p, Point2 n) {
    if (p.x == n.x) p.x -= 0.001;
    if (p.y == n.y) p.y -= 0.001;
    return WithSlopes(p, n);
}

Segment SectionSegment(Point2 s1, Point2 s2) {
    if (s1.x == s2.x) s2.x += 0.001;
    if (s1.y == s2.y) s2.y += 0.001;
    return WithSlopes(s1, s2);
}

Segment PlainSegment(Point2 p, Point2 n) { return WithSlopes(p, n); }

std::array<Point2, 4> RangeRectangle(const Segment& s, double r) {
    double r2 = r * r;
    double dx = std::sqrt(r2 / (s.kp * s.kp + 1));
    double sign = s.k > 0 ? 1 : (s.k < 0 ? -1 : 0);
    double dy = sign * std::sqrt(r2 / (s.k * s.k + 1));
    return {Point2{s.p.x + dx, s.p.y - dy}, Point2{s.n.x + dx, s.n.y - dy},
            Point2{s.n.x - dx, s.n.y + dy}, Point2{s.p.x - dx, s.p.y + dy}};
}

std::array<double, 12> PolygonPoints(const std::array<Point2, 4>& c) {
    return {c[0].x, c[0].y, 0, c[1].x, c[1].y, 0, c[2].x, c[2].y, 0, c[3].x, c[3].y, 0};
}

Point2 SegmentFoot(const Segment& s, Point2 q) {
    double fx = ((q.y - s.p.y) + s.p.x * s.k - q.x * s.kp) / (s.k - s.kp);
    double fy = (fx - s.n.x) * s.k + s.n.y;
    return {fx, fy};
}

Station StationOf(const Segment& s, Point2 q) {
    Point2 f = SegmentFoot(s, q);
    return {std::sqrt((f.x - s.p.x) * (f.x - s.p.x) + (f.y - s.p.y) * (f.y - s.p.y)),
            std::sqrt((f.x - q.x) * (f.x - q.x) + (f.y - q.y) * (f.y - q.y))};
}

std::optional<double> LineCutDistance(double x1, double y1, double x2, double y2, double x3,
                                      double y3, double x4, double y4) {
    if (x2 == x1 || x4 == x3) return std::nullopt;
    double k1 = (y2 - y1) / (x2 - x1), k2 = (y4 - y3) / (x4 - x3);
    if (k1 == k2) return std::nullopt;
    double x = ((y3 - y1) + x1 * k1 - x3 * k2) / (k1 - k2);
    double y = y2 + k1 * (x - x2);
    double d = std::sqrt((x - x1) * (x - x1) + (y - y1) * (y - y1));
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

double DirectionAngle(Point2 s1, Point2 s2) {
    double a = std::atan((s2.y - s1.y) / (s2.x - s1.x)) / kPi * 180;
    if (a < 0) a += 360;
    double dx = s2.x - s1.x, dy = s2.y - s1.y;
    if (dx < 0 && dy > 0) a -= 180;
    if (dx < 0 && dy < 0) a += 180;
    return a;
}

std::string NextSectionNumber(const std::string& number) {
    size_t end = number.size();
    while (end > 0 && number[end - 1] >= '0' && number[end - 1] <= '9') --end;
    if (end == 0 && !number.empty()) return number;
    double trailing = LeadingNumber(std::string_view(number).substr(end));
    return number.substr(0, end) + Format(trailing + 1, "#0");
}

}  // namespace velorin::sections
