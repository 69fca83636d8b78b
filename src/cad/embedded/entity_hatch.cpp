// HATCH: the area inside its boundary paths, filled solid or with the pattern lines its
// record stores. The host never writes a hatch: the record is copied byte for byte.
#include <array>
#include <cmath>
#include <set>

#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

// One family of parallel pattern lines, as the record stores it: already scaled and
// turned by the hatch's pattern scale and angle.
struct PatternLine {
    double angle = 0;  // degrees
    Point2 base, offset;
    std::vector<double> dashes;  // > 0 a dash, < 0 a gap, 0 a dot
};

// An edge of a boundary path.
struct Edge {
    int type = 0;                           // 1 line, 2 circular arc, 3 elliptic arc, 4 spline
    Point2 a, b;                            // line ends; arc or ellipse centre and major axis end
    double size = 0, start = 0, end = 360;  // radius or axis ratio; angles in degrees
    bool ccw = true;
    int degree = 3;
    std::vector<double> knots;
    std::vector<Point2> control, fit;
};

// A boundary path: a polyline (vertices with bulges) or a chain of edges. Kept as read,
// as compact as the file; its points are made when they are needed.
struct Path {
    int flags = 0;  // group 92
    std::vector<Vertex> vertices;
    std::vector<Edge> edges;
};

class HatchEntity : public EntityBase {
  public:
    explicit HatchEntity(Drawing* d) : EntityBase(Kind::Other, d) {}
    bool solid = false;
    // The paths the hatch style fills, in object coordinates.
    std::vector<Path> paths;
    std::vector<PatternLine> pattern;
};

// Boundary path flags (group 92).
constexpr int kExternal = 1, kPolylinePath = 2, kTextBox = 8, kOutermost = 16;

// Reads the groups of a HATCH in the order they stand: the boundary paths, each a
// polyline or a chain of edges, then from the hatch style (75) on the pattern.
class HatchReader {
  public:
    HatchReader(RecordReader& reader, HatchEntity& e) : reader_(reader), e_(e) {}

    void Group(const dxf::Tag& t) {
        if (t.code == 92 && part_ != Part::Pattern) {
            paths_.push_back({static_cast<int>(reader_.Integer(t)), {}, {}});
            part_ = paths_.back().flags & kPolylinePath ? Part::Polyline : Part::Edges;
            return;
        }
        if (t.code == 75 && part_ != Part::Pattern) {
            style_ = static_cast<int>(reader_.Integer(t));
            part_ = Part::Pattern;
            return;
        }
        if (part_ == Part::Head) {
            if (t.code == 70) e_.solid = reader_.Integer(t) == 1;
            return;
        }
        // Only the groups read here must be numbers: the others (source boundary handles,
        // seed points) stay as the file wrote them.
        std::optional<double> parsed = ParseNumber(t.value);
        if (!parsed && Reads(t.code)) reader_.NotANumber(t);
        double v = parsed.value_or(0);
        if (part_ == Part::Polyline)
            PolylineGroup(t.code, v);
        else if (part_ == Part::Edges)
            EdgeGroup(t.code, v);
        else
            PatternGroup(t.code, v);
    }

    // The paths the hatch style fills: all of them (0, odd parity), the outermost (1), or
    // the external ones only (2). Text boxes are never filled.
    void Finish() {
        int keep = style_ == 1 ? kExternal | kOutermost : style_ == 2 ? kExternal : ~0;
        for (int pass = 0; pass < 2 && e_.paths.empty(); ++pass) {
            for (Path& p : paths_) {
                // Writers that flag no path as external still mean their paths to be filled.
                bool kept = pass == 1 || (p.flags & keep) != 0 || keep == ~0;
                if (kept && !(p.flags & kTextBox) && (!p.vertices.empty() || !p.edges.empty()))
                    e_.paths.push_back(std::move(p));
            }
        }
    }

  private:
    enum class Part { Head, Polyline, Edges, Pattern };

    bool Reads(int code) const {
        static const std::set<int> polyline{10, 20, 42},
            edges{72, 10, 20, 11, 21, 40, 50, 51, 73, 94}, pattern{53, 43, 44, 45, 46, 49};
        return (part_ == Part::Polyline ? polyline
                : part_ == Part::Edges  ? edges
                                        : pattern)
            .count(code);
    }

    void PolylineGroup(int code, double v) {
        std::vector<Vertex>& vertices = paths_.back().vertices;
        if (code == 10) {
            vertices.push_back({v, 0, 0, 0, 0});
        } else if (vertices.empty()) {
            return;
        } else if (code == 20) {
            vertices.back().y = v;
        } else if (code == 42) {
            vertices.back().bulge = v;
        }
    }

    // An edge type or a spline degree: a small whole number. Anything beyond is -1, which no
    // edge or spline has (it is passed over), rather than a conversion out of range.
    static int Small(double v) { return std::fabs(v) < 1e6 ? static_cast<int>(v) : -1; }

    void EdgeGroup(int code, double v) {
        std::vector<Edge>& edges = paths_.back().edges;
        if (code == 72) {
            edges.push_back({});
            edges.back().type = Small(v);
            return;
        }
        if (edges.empty()) return;
        Edge& edge = edges.back();
        bool spline = edge.type == 4;
        switch (code) {
            case 10:
                if (spline) edge.control.push_back({v, 0});
                edge.a.x = v;
                break;
            case 20:
                if (spline && !edge.control.empty()) edge.control.back().y = v;
                edge.a.y = v;
                break;
            case 11:
                if (spline) edge.fit.push_back({v, 0});
                edge.b.x = v;
                break;
            case 21:
                if (spline && !edge.fit.empty()) edge.fit.back().y = v;
                edge.b.y = v;
                break;
            case 40:
                if (spline) edge.knots.push_back(v);
                edge.size = v;
                break;
            case 50:
                edge.start = v;
                break;
            case 51:
                edge.end = v;
                break;
            case 73:
                edge.ccw = v != 0;
                break;
            case 94:
                edge.degree = Small(v);
                break;
        }
    }

    void PatternGroup(int code, double v) {
        if (code == 53) {
            e_.pattern.push_back({v, {}, {}, {}});
            return;
        }
        if (e_.pattern.empty()) return;
        PatternLine& line = e_.pattern.back();
        switch (code) {
            case 43:
                line.base.x = v;
                break;
            case 44:
                line.base.y = v;
                break;
            case 45:
                line.offset.x = v;
                break;
            case 46:
                line.offset.y = v;
                break;
            case 49:
                line.dashes.push_back(v);
                break;
        }
    }

    RecordReader& reader_;
    HatchEntity& e_;
    Part part_ = Part::Head;
    std::vector<Path> paths_;
    int style_ = 0;
};

EntityPtr ReadHatch(RecordReader& reader, Record& r) {
    auto e = std::make_unique<HatchEntity>(&reader.drawing);
    HatchReader groups(reader, *e);
    for (const dxf::Tag& t : r.tags) {
        if (t.code >= 1000) break;  // extended data: nothing of the hatch
        if (!reader.Common(*e, t)) groups.Group(t);
    }
    groups.Finish();
    return e;
}

// Points of an edge, in the order it runs.
std::vector<Point2> EdgePoints(const Edge& g) {
    std::vector<Point2> pts;
    if (g.type == 1) return {g.a, g.b};
    if (g.type == 2 || g.type == 3) {
        // Clockwise arcs store the angles of their mirror image: 360 less the angle.
        double from = g.ccw ? g.start : 360 - g.end, to = g.ccw ? g.end : 360 - g.start;
        Point2 major{g.size, 0}, minor{0, g.size};
        double t0 = from * M_PI / 180, t1 = to * M_PI / 180;
        if (g.type == 3) {
            // An elliptic edge gives the angles of its ends seen from the centre; the
            // curve's parameters follow from the axis ratio.
            double ratio = g.size != 0 ? g.size : 1;
            major = g.b, minor = {-g.b.y * ratio, g.b.x * ratio};
            t0 = std::atan2(std::sin(t0) / ratio, std::cos(t0));
            t1 = std::atan2(std::sin(t1) / ratio, std::cos(t1));
        }
        if (!std::isfinite(t0) || !std::isfinite(t1)) return {};
        EllipsePoints(g.a, major, minor, t0, Sweep(t0, t1), pts);
        if (!g.ccw) std::reverse(pts.begin(), pts.end());
        return pts;
    }
    if (g.type == 4) {
        pts = BSplinePoints(g.degree, g.knots, g.control);
        return pts.empty() ? g.fit : pts;
    }
    return pts;
}

// Points one hatch's boundary holds at most; the rest of a larger one is left out.
constexpr size_t kMaxBoundaryPoints = 1'000'000;

// The closed rings of the paths the hatch fills, in object coordinates: a ring inside
// another is a hole, a ring inside a hole is filled again.
std::vector<std::vector<Point2>> Rings(const HatchEntity& h) {
    std::vector<std::vector<Point2>> rings;
    size_t total = 0;
    for (const Path& p : h.paths) {
        std::vector<Point2> ring;
        size_t n = p.vertices.size();
        if (n > 0) ring.push_back({p.vertices[0].x, p.vertices[0].y});
        for (size_t i = 0; i < n && total + ring.size() < kMaxBoundaryPoints; ++i) {
            const Vertex &a = p.vertices[i], &b = p.vertices[(i + 1) % n];
            BulgePoints({a.x, a.y}, {b.x, b.y}, a.bulge, ring);
        }
        // Edges should run end to start; one that runs the other way is turned round.
        for (const Edge& edge : p.edges) {
            if (total + ring.size() >= kMaxBoundaryPoints) break;
            std::vector<Point2> pts = EdgePoints(edge);
            if (pts.empty()) continue;
            if (!ring.empty()) {
                Point2 last = ring.back();
                auto gap = [&](Point2 q) { return std::hypot(q.x - last.x, q.y - last.y); };
                if (gap(pts.back()) < gap(pts.front())) std::reverse(pts.begin(), pts.end());
                if (gap(pts.front()) <= 1e-9 * (1 + std::fabs(last.x) + std::fabs(last.y)))
                    pts.erase(pts.begin());
            }
            ring.insert(ring.end(), pts.begin(), pts.end());
        }
        total += ring.size();
        if (ring.size() > 2) rings.push_back(std::move(ring));
    }
    return rings;
}

void HatchPrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    for (const auto& ring : Rings(static_cast<const HatchEntity&>(e)))
        for (size_t i = 0; i < ring.size(); ++i)
            sink.Segment(t(ring[i]), t(ring[(i + 1) % ring.size()]));
}

std::array<Point2, 4> Corners(const Box& b) {
    return {Point2{b.min_x, b.min_y}, Point2{b.max_x, b.min_y}, Point2{b.min_x, b.max_y},
            Point2{b.max_x, b.max_y}};
}

// Pattern lines of one family the painter draws at most; denser families fill their area.
constexpr long kMaxPatternLines = 100'000;
// Dashes (and dots) one hatch paints at most.
constexpr long kMaxDashes = 1'000'000;
// Boundary points and crossings one hatch's pattern may look at; the families left when
// they are spent fill their area.
constexpr long kPatternWork = 50'000'000;

// Paints the lines of one pattern family inside the rings (even-odd), clipped to `seen`
// (object coordinates); false when they stand too dense to be told apart, or the work
// they would take is more than is left.
class FamilyPainter {
  public:
    FamilyPainter(const std::vector<std::vector<Point2>>& rings, const Affine& full, Box seen,
                  std::vector<Point2>& ends, long& work)
        : rings_(rings), full_(full), seen_(seen), ends_(ends), work_(work) {}

    bool Paint(const PatternLine& line) {
        double r = line.angle * M_PI / 180;
        dir_ = {std::cos(r), std::sin(r)};
        Point2 normal{-dir_.y, dir_.x};
        double spacing = line.offset.x * normal.x + line.offset.y * normal.y;
        if (spacing < 0) normal = {-normal.x, -normal.y}, spacing = -spacing;
        // Lines offset only along themselves all coincide: no family to draw.
        if (!std::isfinite(spacing) || spacing <= 1e-12 * std::hypot(line.offset.x, line.offset.y))
            return true;
        double scale = full_.Scale();
        if (spacing * scale < 1) return false;
        auto across = [&](Point2 p) {
            return (p.x - line.base.x) * normal.x + (p.y - line.base.y) * normal.y;
        };
        // The lines that cross both the rings and what is seen.
        double lo = INFINITY, hi = -INFINITY;
        for (const auto& ring : rings_) {
            work_ -= static_cast<long>(ring.size());
            for (Point2 p : ring) lo = std::min(lo, across(p)), hi = std::max(hi, across(p));
        }
        if (work_ < 0) return false;
        if (seen_.valid()) {
            double slo = INFINITY, shi = -INFINITY;
            for (Point2 p : Corners(seen_))
                slo = std::min(slo, across(p)), shi = std::max(shi, across(p));
            lo = std::max(lo, slo), hi = std::min(hi, shi);
        }
        if (!(lo <= hi)) return true;
        double first = std::ceil(lo / spacing), last = std::floor(hi / spacing);
        // So far from the base that the line numbers lose their units: too dense to tell.
        if (!(std::fabs(first) < 1e15 && std::fabs(last) < 1e15)) return false;
        if (last - first + 1 > kMaxPatternLines) return false;
        first_ = static_cast<long>(first);
        crossings_.assign(static_cast<size_t>(std::max(0.0, last - first + 1)), {});
        if (!Cross(line, normal, spacing)) return false;
        double length = 0;
        for (double d : line.dashes) length += std::fabs(d);
        // Dashes shorter than a device unit are not seen as dashes.
        bool continuous = line.dashes.empty() || length * scale < 1;
        for (size_t k = 0; k < crossings_.size(); ++k) {
            std::vector<double>& along = crossings_[k];
            std::sort(along.begin(), along.end());
            long index = first_ + static_cast<long>(k);
            Point2 origin{line.base.x + index * line.offset.x, line.base.y + index * line.offset.y};
            double seen_from = -INFINITY, seen_to = INFINITY;
            if (seen_.valid()) {
                seen_from = INFINITY, seen_to = -INFINITY;
                for (Point2 p : Corners(seen_)) {
                    double u = (p.x - origin.x) * dir_.x + (p.y - origin.y) * dir_.y;
                    seen_from = std::min(seen_from, u), seen_to = std::max(seen_to, u);
                }
            }
            for (size_t i = 0; i + 1 < along.size(); i += 2) {
                // A line that only touches a corner from outside has nothing inside.
                if (along[i + 1] - along[i] <= 1e-9 * (1 + std::fabs(along[i]))) continue;
                double from = std::max(along[i], seen_from), to = std::min(along[i + 1], seen_to);
                if (from > to) continue;
                if (continuous)
                    Dash(origin, from, to);
                else
                    Dashes(origin, line.dashes, length, from, to);
            }
        }
        return true;
    }

  private:
    // Where each ring edge crosses the lines, as distances along them from their origins.
    // An edge holds its start but not its end, so a line through a vertex counts once.
    // False when the work is spent.
    bool Cross(const PatternLine& line, Point2 normal, double spacing) {
        double last = static_cast<double>(first_) + static_cast<double>(crossings_.size()) - 1;
        for (const auto& ring : rings_) {
            for (size_t i = 0; i < ring.size(); ++i) {
                Point2 p = ring[i], q = ring[(i + 1) % ring.size()];
                double a = (p.x - line.base.x) * normal.x + (p.y - line.base.y) * normal.y;
                double b = (q.x - line.base.x) * normal.x + (q.y - line.base.y) * normal.y;
                if (a == b) continue;
                double from = std::max(std::ceil(std::min(a, b) / spacing), double(first_));
                double to = std::min(std::ceil(std::max(a, b) / spacing) - 1, last);
                if (!(from <= to)) continue;
                work_ -= static_cast<long>(to - from) + 1;
                if (work_ < 0) return false;
                for (long k = static_cast<long>(from); k <= static_cast<long>(to); ++k) {
                    double t = (k * spacing - a) / (b - a);
                    Point2 x{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
                    Point2 origin{line.base.x + k * line.offset.x, line.base.y + k * line.offset.y};
                    crossings_[k - first_].push_back((x.x - origin.x) * dir_.x +
                                                     (x.y - origin.y) * dir_.y);
                }
            }
        }
        return true;
    }

    void Dash(Point2 origin, double from, double to) {
        if (static_cast<long>(ends_.size()) >= 2 * kMaxDashes) return;
        Point2 a = full_({origin.x + from * dir_.x, origin.y + from * dir_.y});
        Point2 b = full_({origin.x + to * dir_.x, origin.y + to * dir_.y});
        if (std::hypot(b.x - a.x, b.y - a.y) < 0.5) b = {a.x + 0.5, a.y};  // a dot
        ends_.push_back(a), ends_.push_back(b);
    }

    // The dash pattern repeats along the line from its origin.
    void Dashes(Point2 origin, const std::vector<double>& dashes, double length, double from,
                double to) {
        double first = std::floor(from / length), repeats = std::ceil(to / length) - first;
        if (!(repeats > 0)) return;
        long count = repeats < kMaxDashes ? static_cast<long>(repeats) : kMaxDashes;
        for (long i = 0; i < count; ++i) {
            if (static_cast<long>(ends_.size()) >= 2 * kMaxDashes) return;
            double at = (first + static_cast<double>(i)) * length;
            for (double d : dashes) {
                double a = std::max(at, from), b = std::min(at + std::fabs(d), to);
                if (d > 0 && a < b) Dash(origin, a, b);
                if (d == 0 && at >= from && at <= to) Dash(origin, at, at);
                at += std::fabs(d);
            }
        }
    }

    const std::vector<std::vector<Point2>>& rings_;
    const Affine& full_;
    Box seen_;
    std::vector<Point2>& ends_;
    long& work_;
    Point2 dir_;
    long first_ = 0;
    std::vector<std::vector<double>> crossings_;
};

void PaintHatch(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    const auto& h = static_cast<const HatchEntity&>(e);
    std::vector<std::vector<Point2>> rings = Rings(h);
    if (rings.empty() || full.Scale() == 0) return;
    std::vector<std::vector<Point2>> device = rings;
    for (auto& ring : device) MapPoints(full, ring);
    if (h.solid) {
        out.Area(device, colour);
        return;
    }
    // A pattern the record does not spell out shows where the hatch lies.
    if (h.pattern.empty()) {
        for (const auto& ring : device) out.Polyline(ring, true, colour, 0);
        return;
    }
    Box seen = out.visible.valid() ? full.Inverse().Map(out.visible) : Box{};
    std::vector<Point2> ends;
    bool dense = false;
    long work = kPatternWork;
    for (const PatternLine& line : h.pattern)
        dense = !FamilyPainter(rings, full, seen, ends, work).Paint(line) || dense;
    // Lines closer than a device unit fill the area as they would on paper.
    if (dense) out.Area(device, colour);
    if (!ends.empty()) out.Lines(ends, colour);
}

constexpr int kHatchGroups[] = {10, 20, 30};

}  // namespace

extern const EntityType kHatchType{.name = "HATCH",
                                   .kind = Kind::Other,
                                   .read = ReadHatch,
                                   .modelled = kHatchGroups,
                                   .primitives = HatchPrimitives,
                                   .paint = PaintHatch,
                                   .ocs = true};

}  // namespace velorin::cad::embedded
