// CIRCLE and ARC.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

EntityPtr ReadCircle(RecordReader& reader, Record& r, Kind kind) {
    auto e = std::make_unique<CircleEntity>(kind, &reader.drawing);
    for (const dxf::Tag& t : r.tags) {
        if (reader.Common(*e, t)) continue;
        switch (t.code) {
            case 10:
                e->centre.x = reader.Real(t);
                break;
            case 20:
                e->centre.y = reader.Real(t);
                break;
            case 30:
                e->centre.z = reader.Real(t);
                break;
            case 40:
                e->radius = reader.Real(t);
                break;
            case 50:
                e->start_angle = reader.Real(t);
                break;
            case 51:
                e->end_angle = reader.Real(t);
                break;
        }
    }
    return e;
}

void WriteCircle(const RecordWriter& out, const EntityBase& e) {
    const auto& c = static_cast<const CircleEntity&>(e);
    if (out.markers) out.w.Text(100, "AcDbCircle");
    out.P3(10, c.centre);
    out.w.Number(40, c.radius);
    if (e.kind != Kind::Arc) return;
    if (out.markers) out.w.Text(100, "AcDbArc");
    out.w.Number(50, c.start_angle);
    out.w.Number(51, c.end_angle);
}

EntityPtr CopyCircle(const EntityBase& e, Drawing&, const Drawing&) {
    return std::make_unique<CircleEntity>(static_cast<const CircleEntity&>(e));
}

// The curve as chords, in the entity's own coordinates.
std::vector<Point2> ArcPath(const CircleEntity& c) {
    double a0 = c.kind == Kind::Arc ? c.start_angle * M_PI / 180 : 0;
    double a1 = c.kind == Kind::Arc ? c.end_angle * M_PI / 180 : 2 * M_PI;
    if (a1 < a0) a1 += 2 * M_PI;
    std::vector<Point2> pts;
    ArcPoints({c.centre.x, c.centre.y}, c.radius, a0, a1, pts);
    return pts;
}

void CirclePrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    const auto& c = static_cast<const CircleEntity&>(e);
    if (e.kind == Kind::Circle && t.Conformal()) {
        sink.Circle(t({c.centre.x, c.centre.y}), c.radius * t.Scale());
        return;
    }
    PathSegments(ArcPath(c), t, sink);
}

void PaintCircle(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    const auto& c = static_cast<const CircleEntity&>(e);
    if (e.kind == Kind::Circle && full.Conformal()) {
        out.Circle(full({c.centre.x, c.centre.y}), c.radius * full.Scale(), colour);
        return;
    }
    std::vector<Point2> pts = ArcPath(c);
    MapPoints(full, pts);
    out.Polyline(pts, false, colour, 0);
}

constexpr int kCircleGroups[] = {10, 20, 30, 40, 50, 51};

}  // namespace

extern const EntityType kCircleType{
    .name = "CIRCLE",
    .kind = Kind::Circle,
    .read = [](RecordReader& reader, Record& r) { return ReadCircle(reader, r, Kind::Circle); },
    .modelled = kCircleGroups,
    .write = WriteCircle,
    .copy = CopyCircle,
    .primitives = CirclePrimitives,
    .paint = PaintCircle,
    .ocs = true};

extern const EntityType kArcType{
    .name = "ARC",
    .kind = Kind::Arc,
    .read = [](RecordReader& reader, Record& r) { return ReadCircle(reader, r, Kind::Arc); },
    .modelled = kCircleGroups,
    .write = WriteCircle,
    .copy = CopyCircle,
    .primitives = CirclePrimitives,
    .paint = PaintCircle,
    .ocs = true};

}  // namespace velorin::cad::embedded
