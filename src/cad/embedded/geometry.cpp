#include "cad/embedded/geometry.h"

namespace velorin::cad::embedded {

Affine Affine::Insert(Point2 at, double xs, double ys, double rotation_deg, Point2 base) {
    double r = rotation_deg * M_PI / 180.0, cs = std::cos(r), sn = std::sin(r);
    Affine shift{1, 0, -base.x, 0, 1, -base.y};
    Affine scale{xs, 0, 0, 0, ys, 0};
    Affine rotate_move{cs, -sn, at.x, sn, cs, at.y};
    return rotate_move * scale * shift;
}

void ArcPoints(Point2 c, double r, double a0, double a1, std::vector<Point2>& out) {
    // Angles from damaged files may be anything: nothing is drawn for what is not a
    // number, and more than a full turn is drawn once round.
    if (!std::isfinite(a0) || !std::isfinite(a1) || !std::isfinite(r)) return;
    double sweep = std::clamp(a1 - a0, -2 * M_PI, 2 * M_PI);
    // Chord error r(1 - cos(step/2)) <= r/2000.
    const double max_step = 2 * std::acos(1 - 1.0 / 2000);
    double steps = std::ceil(std::fabs(sweep) / max_step);
    int n = steps < 1 ? 1 : steps > 4096 ? 4096 : static_cast<int>(steps);
    for (int i = 0; i <= n; ++i) {
        double a = a0 + sweep * i / n;
        out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
}

void BulgePoints(Point2 a, Point2 b, double bulge, std::vector<Point2>& out) {
    if (std::fabs(bulge) < 1e-12) {
        out.push_back(b);
        return;
    }
    double dx = b.x - a.x, dy = b.y - a.y, chord = std::hypot(dx, dy);
    if (chord == 0) {
        out.push_back(b);
        return;
    }
    double theta = 4 * std::atan(bulge);  // included angle, positive counter-clockwise
    double sagitta = bulge * chord / 2;
    double radius = (chord * chord / 4 + sagitta * sagitta) / (2 * sagitta);  // signed
    Point2 mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    double offset = radius - sagitta;  // along the left normal of a->b
    Point2 c{mid.x - dy / chord * offset, mid.y + dx / chord * offset};
    double a0 = std::atan2(a.y - c.y, a.x - c.x);
    std::vector<Point2> pts;
    ArcPoints(c, std::fabs(radius), a0, a0 + theta, pts);
    for (size_t i = 1; i + 1 < pts.size(); ++i) out.push_back(pts[i]);
    out.push_back(b);
}

void EllipsePoints(Point2 c, Point2 major, Point2 minor, double start, double sweep,
                   std::vector<Point2>& out) {
    std::vector<Point2> unit;
    ArcPoints({0, 0}, 1, start, start + sweep, unit);
    out.reserve(out.size() + unit.size());
    for (Point2 u : unit)
        out.push_back({c.x + u.x * major.x + u.y * minor.x, c.y + u.x * major.y + u.y * minor.y});
}

double Sweep(double start, double end) {
    double sweep = std::fmod(end - start, 2 * M_PI);
    if (sweep < 0) sweep += 2 * M_PI;
    return sweep < 1e-9 || sweep > 2 * M_PI - 1e-9 ? 2 * M_PI : sweep;
}

std::vector<Point2> BSplinePoints(int p, const std::vector<double>& knots,
                                  const std::vector<Point2>& control) {
    int n = static_cast<int>(control.size());
    if (n < 2 || p < 1 || p >= n || static_cast<int>(knots.size()) != n + p + 1) return {};
    // De Boor's algorithm at evenly spaced parameters over the knot range.
    std::vector<Point2> out;
    double u0 = knots[p], u1 = knots[n];
    int samples = std::min(4096, n * 16);
    std::vector<Point2> d(p + 1);
    for (int i = 0; i <= samples; ++i) {
        double u = u0 + (u1 - u0) * i / samples;
        int k = p;
        while (k < n - 1 && knots[k + 1] <= u) ++k;
        for (int j = 0; j <= p; ++j) d[j] = control[k - p + j];
        for (int r = 1; r <= p; ++r)
            for (int j = p; j >= r; --j) {
                double den = knots[j + 1 + k - r] - knots[j + k - p];
                double a = den == 0 ? 0 : (u - knots[j + k - p]) / den;
                d[j] = {(1 - a) * d[j - 1].x + a * d[j].x, (1 - a) * d[j - 1].y + a * d[j].y};
            }
        out.push_back(d[p]);
    }
    return out;
}

bool PointInPolygon(Point2 p, const std::vector<Point2>& poly) {
    bool inside = false;
    size_t n = poly.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Point2 &a = poly[i], &b = poly[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

namespace {
double Cross(Point2 o, Point2 a, Point2 b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}
bool OnSegment(Point2 p, Point2 a, Point2 b) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}
}  // namespace

bool SegmentsIntersect(Point2 a, Point2 b, Point2 c, Point2 d) {
    double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    if (d1 == 0 && OnSegment(a, c, d)) return true;
    if (d2 == 0 && OnSegment(b, c, d)) return true;
    if (d3 == 0 && OnSegment(c, a, b)) return true;
    if (d4 == 0 && OnSegment(d, a, b)) return true;
    return false;
}

double PointSegmentDistance(Point2 p, Point2 a, Point2 b) {
    double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool SegmentTouchesPolygon(Point2 a, Point2 b, const std::vector<Point2>& poly) {
    if (PointInPolygon(a, poly) || PointInPolygon(b, poly)) return true;
    size_t n = poly.size();
    for (size_t i = 0; i < n; ++i)
        if (SegmentsIntersect(a, b, poly[i], poly[(i + 1) % n])) return true;
    return false;
}

bool SegmentTouchesCircle(Point2 a, Point2 b, Point2 c, double r) {
    double near = PointSegmentDistance(c, a, b);
    double far = std::max(std::hypot(a.x - c.x, a.y - c.y), std::hypot(b.x - c.x, b.y - c.y));
    return near <= r && r <= far;
}

bool CircleTouchesPolygon(Point2 c, double r, const std::vector<Point2>& poly) {
    size_t n = poly.size();
    for (size_t i = 0; i < n; ++i)
        if (SegmentTouchesCircle(poly[i], poly[(i + 1) % n], c, r)) return true;
    // No edge meets the curve: the circle lies wholly inside or wholly outside.
    return PointInPolygon({c.x + r, c.y}, poly);
}

double TextAdvance(std::string_view s) {
    double w = 0;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
        w += n >= 3 ? 1.0 : 0.7;
        i += n;
    }
    return w;
}

}  // namespace velorin::cad::embedded
