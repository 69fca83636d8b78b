#include "qt/drawing/pick_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cad/embedded/host.h"

namespace velorin::qt {

using cad::embedded::Affine;
using cad::embedded::Box;
using cad::embedded::Drawing;
using cad::embedded::EntityBase;
using cad::embedded::PrimitiveSink;

namespace {

class DistanceSink : public PrimitiveSink {
  public:
    explicit DistanceSink(Point2 p) : p_(p) {}
    double distance = std::numeric_limits<double>::infinity();
    void Segment(Point2 a, Point2 b) override {
        distance = std::min(distance, cad::embedded::PointSegmentDistance(p_, a, b));
    }
    void Circle(Point2 c, double r) override {
        distance = std::min(distance, std::fabs(std::hypot(p_.x - c.x, p_.y - c.y) - r));
    }
    void Area(const Point2* corners, int n) override {
        // Inside a text's box or a filled area counts as on it.
        if (cad::embedded::PointInPolygon(p_, std::vector<Point2>(corners, corners + n)))
            distance = 0;
        PrimitiveSink::Area(corners, n);
    }

  private:
    Point2 p_;
};

class TouchSink : public PrimitiveSink {
  public:
    explicit TouchSink(const std::vector<Point2>& polygon) : polygon_(polygon) {}
    bool hit = false;
    void Segment(Point2 a, Point2 b) override {
        if (!hit) hit = cad::embedded::SegmentTouchesPolygon(a, b, polygon_);
    }
    void Circle(Point2 c, double r) override {
        if (!hit) hit = cad::embedded::CircleTouchesPolygon(c, r, polygon_);
    }

  private:
    const std::vector<Point2>& polygon_;
};

}  // namespace

EntityBase* EntityAt(const Drawing& drawing, Point2 p, double aperture, const cad::Filter& filter) {
    Box around;
    around.Add(Point2{p.x - aperture, p.y - aperture});
    around.Add(Point2{p.x + aperture, p.y + aperture});
    EntityBase* nearest = nullptr;
    double best = aperture;
    for (EntityBase* e : drawing.Candidates(around)) {
        if (!cad::embedded::Pickable(*e, filter)) continue;
        DistanceSink sink(p);
        drawing.Primitives(*e, Affine{}, sink);
        if (sink.distance <= best) best = sink.distance, nearest = e;
    }
    return nearest;
}

std::vector<EntityBase*> EntitiesIn(const Drawing& drawing, const Box& box, bool crossing,
                                    const cad::Filter& filter) {
    std::vector<EntityBase*> out;
    if (!box.valid()) return out;
    std::vector<Point2> polygon{{box.min_x, box.min_y},
                                {box.max_x, box.min_y},
                                {box.max_x, box.max_y},
                                {box.min_x, box.max_y}};
    for (EntityBase* e : drawing.Candidates(box)) {
        if (!cad::embedded::Pickable(*e, filter)) continue;
        if (!crossing) {
            auto extents = drawing.Extents(*e);
            if (extents && box.Contains(*extents)) out.push_back(e);
            continue;
        }
        TouchSink sink(polygon);
        drawing.Primitives(*e, Affine{}, sink);
        if (sink.hit) out.push_back(e);
    }
    return out;
}

std::optional<Snap> SnapAt(const Drawing& drawing, Point2 p, double aperture) {
    std::optional<Snap> best, nearest;
    double best_distance = aperture, nearest_distance = aperture;
    auto point = [&](Snap::Kind kind, Point2 q, double z) {
        double d = std::hypot(q.x - p.x, q.y - p.y);
        if (d <= best_distance) best_distance = d, best = Snap{kind, q, z};
    };
    auto segment = [&](Point2 a, Point2 b, double z) {
        double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        Point2 q{a.x + t * dx, a.y + t * dy};
        double d = std::hypot(q.x - p.x, q.y - p.y);
        if (d <= nearest_distance) nearest_distance = d, nearest = Snap{Snap::Kind::Nearest, q, z};
    };
    using cad::embedded::Kind;
    for (const auto& e : drawing.entities()) {
        if (e->erased || e->paper) continue;
        switch (e->kind) {
            case Kind::Line: {
                const auto& l = static_cast<const cad::embedded::LineEntity&>(*e);
                point(Snap::Kind::Endpoint, {l.a.x, l.a.y}, l.a.z);
                point(Snap::Kind::Endpoint, {l.b.x, l.b.y}, l.b.z);
                segment({l.a.x, l.a.y}, {l.b.x, l.b.y}, l.a.z);
                break;
            }
            case Kind::LwPolyline:
            case Kind::Polyline: {
                const auto& l = static_cast<const cad::embedded::PolylineEntity&>(*e);
                const auto& v = l.vertices;
                for (size_t i = 0; i < v.size(); ++i) {
                    point(Snap::Kind::Endpoint, {v[i].x, v[i].y}, l.elevation);
                    if (i + 1 < v.size() || (l.closed && v.size() > 2)) {
                        const auto& w = v[(i + 1) % v.size()];
                        segment({v[i].x, v[i].y}, {w.x, w.y}, l.elevation);
                    }
                }
                break;
            }
            case Kind::Insert:
            case Kind::Point: {
                cad::Point3 q = e->InsertionPoint();
                if (e->kind == Kind::Point)
                    q = static_cast<const cad::embedded::PointEntity&>(*e).position;
                point(Snap::Kind::Insertion, {q.x, q.y}, q.z);
                break;
            }
            default:
                break;
        }
    }
    return best ? best : nearest;
}

}  // namespace velorin::qt
