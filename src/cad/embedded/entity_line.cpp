// LINE and POINT.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

// Reads the x, y, z of a point stored under `code`, `code` + 10, `code` + 20.
bool ReadPoint(RecordReader& reader, const dxf::Tag& t, int code, Point3& p) {
    if (t.code == code)
        p.x = reader.Real(t);
    else if (t.code == code + 10)
        p.y = reader.Real(t);
    else if (t.code == code + 20)
        p.z = reader.Real(t);
    else
        return false;
    return true;
}

EntityPtr ReadLine(RecordReader& reader, Record& r) {
    auto e = std::make_unique<LineEntity>(&reader.drawing);
    for (const dxf::Tag& t : r.tags)
        if (!reader.Common(*e, t) && !ReadPoint(reader, t, 10, e->a))
            ReadPoint(reader, t, 11, e->b);
    return e;
}

void WriteLine(const RecordWriter& out, const EntityBase& e) {
    const auto& l = static_cast<const LineEntity&>(e);
    if (out.markers) out.w.Text(100, "AcDbLine");
    out.P3(10, l.a);
    out.P3(11, l.b);
}

EntityPtr CopyLine(const EntityBase& e, Drawing&, const Drawing&) {
    return std::make_unique<LineEntity>(static_cast<const LineEntity&>(e));
}

void LinePrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    const auto& l = static_cast<const LineEntity&>(e);
    sink.Segment(t({l.a.x, l.a.y}), t({l.b.x, l.b.y}));
}

void PaintLine(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    const auto& l = static_cast<const LineEntity&>(e);
    out.Polyline({full({l.a.x, l.a.y}), full({l.b.x, l.b.y})}, false, colour, 0);
}

EntityPtr ReadPointRecord(RecordReader& reader, Record& r) {
    auto e = std::make_unique<PointEntity>(&reader.drawing);
    for (const dxf::Tag& t : r.tags)
        if (!reader.Common(*e, t)) ReadPoint(reader, t, 10, e->position);
    return e;
}

void WritePoint(const RecordWriter& out, const EntityBase& e) {
    if (out.markers) out.w.Text(100, "AcDbPoint");
    out.P3(10, static_cast<const PointEntity&>(e).position);
}

EntityPtr CopyPoint(const EntityBase& e, Drawing&, const Drawing&) {
    return std::make_unique<PointEntity>(static_cast<const PointEntity&>(e));
}

void PointPrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    const auto& p = static_cast<const PointEntity&>(e);
    sink.Point(t({p.position.x, p.position.y}));
}

void PaintPoint(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    const auto& p = static_cast<const PointEntity&>(e);
    out.Circle(full({p.position.x, p.position.y}), 0.5, colour);
}

constexpr int kLineGroups[] = {10, 20, 30, 11, 21, 31};
constexpr int kPointGroups[] = {2, 10, 20, 30, 41, 42, 43, 50};

}  // namespace

extern const EntityType kLineType{.name = "LINE",
                                  .kind = Kind::Line,
                                  .read = ReadLine,
                                  .modelled = kLineGroups,
                                  .write = WriteLine,
                                  .copy = CopyLine,
                                  .primitives = LinePrimitives,
                                  .paint = PaintLine};

extern const EntityType kPointType{.name = "POINT",
                                   .kind = Kind::Point,
                                   .read = ReadPointRecord,
                                   .modelled = kPointGroups,
                                   .write = WritePoint,
                                   .copy = CopyPoint,
                                   .primitives = PointPrimitives,
                                   .paint = PaintPoint};

}  // namespace velorin::cad::embedded
