// ELLIPSE: a full ellipse or an elliptical arc.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

class EllipseEntity : public EntityBase {
  public:
    explicit EllipseEntity(Drawing* d) : EntityBase(Kind::Other, d) {}
    Point3 centre;
    Point3 major;  // end of the major axis, from the centre
    Point3 normal{0, 0, 1};
    double ratio = 1;                  // minor to major axis
    double start = 0, end = 2 * M_PI;  // parameters, radians
};

bool ReadTriple(RecordReader& reader, const dxf::Tag& t, int code, Point3& p) {
    double* slot = t.code == code        ? &p.x
                   : t.code == code + 10 ? &p.y
                   : t.code == code + 20 ? &p.z
                                         : nullptr;
    if (slot) *slot = reader.Real(t);
    return slot != nullptr;
}

EntityPtr ReadEllipse(RecordReader& reader, Record& r) {
    auto e = std::make_unique<EllipseEntity>(&reader.drawing);
    for (const dxf::Tag& t : r.tags) {
        if (reader.Common(*e, t) || ReadTriple(reader, t, 10, e->centre) ||
            ReadTriple(reader, t, 11, e->major) || ReadTriple(reader, t, 210, e->normal))
            continue;
        if (t.code == 40)
            e->ratio = reader.Real(t);
        else if (t.code == 41)
            e->start = reader.Real(t);
        else if (t.code == 42)
            e->end = reader.Real(t);
    }
    return e;
}

void WriteEllipse(const RecordWriter& out, const EntityBase& e) {
    const auto& el = static_cast<const EllipseEntity&>(e);
    if (out.markers) out.w.Text(100, "AcDbEllipse");
    out.P3(10, el.centre);
    out.P3(11, el.major);
    out.P3(210, el.normal);
    out.w.Number(40, el.ratio);
    out.w.Number(41, el.start);
    out.w.Number(42, el.end);
}

EntityPtr CopyEllipse(const EntityBase& e, Drawing&, const Drawing&) {
    return std::make_unique<EllipseEntity>(static_cast<const EllipseEntity&>(e));
}

// Points along the curve in drawing coordinates. The minor axis is the normal crossed
// with the major axis, so an ellipse seen from below (normal 0,0,-1) runs the other way.
std::vector<Point2> EllipsePath(const EllipseEntity& e) {
    double nz = e.normal.z < 0 ? -1 : 1;
    Point2 major{e.major.x, e.major.y};
    Point2 minor{-nz * major.y * e.ratio, nz * major.x * e.ratio};
    if (!std::isfinite(e.start) || !std::isfinite(e.end)) return {};
    std::vector<Point2> pts;
    EllipsePoints({e.centre.x, e.centre.y}, major, minor, e.start, Sweep(e.start, e.end), pts);
    return pts;
}

void EllipsePrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    PathSegments(EllipsePath(static_cast<const EllipseEntity&>(e)), t, sink);
}

void PaintEllipse(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    std::vector<Point2> pts = EllipsePath(static_cast<const EllipseEntity&>(e));
    MapPoints(full, pts);
    if (pts.size() > 1) out.Polyline(pts, false, colour, 0);
}

constexpr int kEllipseGroups[] = {10, 20, 30, 11, 21, 31, 40, 41, 42, 210, 220, 230};

}  // namespace

extern const EntityType kEllipseType{.name = "ELLIPSE",
                                     .kind = Kind::Other,
                                     .read = ReadEllipse,
                                     .modelled = kEllipseGroups,
                                     .write = WriteEllipse,
                                     .copy = CopyEllipse,
                                     .primitives = EllipsePrimitives,
                                     .paint = PaintEllipse};

}  // namespace velorin::cad::embedded
