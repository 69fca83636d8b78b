// SOLID, TRACE and 3DFACE: four corners, kept as read (the host makes none of them).
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

EntityPtr ReadCorners(RecordReader& reader, Record& r, bool z_order) {
    auto e = std::make_unique<SolidEntity>(&reader.drawing);
    for (const dxf::Tag& t : r.tags) {
        if (reader.Common(*e, t)) continue;
        int k = t.code % 10, axis = t.code / 10;
        if ((axis == 1 || axis == 2) && k <= 3)
            (axis == 1 ? e->corners[k].x : e->corners[k].y) = reader.Real(t);
    }
    // SOLID and TRACE store their corners in Z order, 3DFACE round the outline.
    if (z_order) std::swap(e->corners[2], e->corners[3]);
    return e;
}

void SolidPrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    const auto& s = static_cast<const SolidEntity&>(e);
    Point2 c[4];
    for (int k = 0; k < 4; ++k) c[k] = t(s.corners[k]);
    sink.Area(c, 4);
}

void PaintSolid(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    const auto& s = static_cast<const SolidEntity&>(e);
    std::vector<Point2> pts;
    for (const Point2& c : s.corners) pts.push_back(full(c));
    out.Polygon(pts, colour);
}

EntityPtr ReadZOrder(RecordReader& reader, Record& r) { return ReadCorners(reader, r, true); }

constexpr int kSolidGroups[] = {2, 10, 20, 30, 41, 42, 43, 50};

}  // namespace

extern const EntityType kSolidType{.name = "SOLID",
                                   .kind = Kind::Solid,
                                   .read = ReadZOrder,
                                   .modelled = kSolidGroups,
                                   .primitives = SolidPrimitives,
                                   .paint = PaintSolid,
                                   .ocs = true};

extern const EntityType kTraceType{.name = "TRACE",
                                   .kind = Kind::Solid,
                                   .read = ReadZOrder,
                                   .modelled = kSolidGroups,
                                   .primitives = SolidPrimitives,
                                   .paint = PaintSolid,
                                   .ocs = true};

extern const EntityType k3DFaceType{
    .name = "3DFACE",
    .kind = Kind::Solid,
    .read = [](RecordReader& reader, Record& r) { return ReadCorners(reader, r, false); },
    .modelled = kSolidGroups,
    .primitives = SolidPrimitives,
    .paint = PaintSolid};

}  // namespace velorin::cad::embedded
