#include "qt/drawing/pick_rules.h"

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

bool Selectable(const EntityBase& e, const cad::Filter& filter) {
    return !e.erased && !e.paper && cad::embedded::PassesFilter(e, filter);
}

}  // namespace

EntityBase* EntityAt(const Drawing& drawing, Point2 p, double aperture, const cad::Filter& filter) {
    Box around;
    around.Add(Point2{p.x - aperture, p.y - aperture});
    around.Add(Point2{p.x + aperture, p.y + aperture});
    EntityBase* nearest = nullptr;
    double best = aperture;
    for (EntityBase* e : drawing.Candidates(around)) {
        if (!Selectable(*e, filter)) continue;
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
        if (!Selectable(*e, filter)) continue;
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

}  // namespace velorin::qt
