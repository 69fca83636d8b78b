// SOLID and TRACE (filled) and 3DFACE (its visible edges): four corners, kept as read
// (the host makes none of them).
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

EntityPtr ReadCorners(RecordReader& reader, Record& r, bool z_order) {
    auto e = std::make_unique<SolidEntity>(&reader.drawing);
    bool fourth = false;
    for (const dxf::Tag& t : r.tags) {
        if (reader.Common(*e, t)) continue;
        int k = t.code % 10, axis = t.code / 10;
        if ((axis == 1 || axis == 2) && k <= 3) {
            (axis == 1 ? e->corners[k].x : e->corners[k].y) = reader.Real(t);
            fourth = fourth || k == 3;
        } else if (t.code == 70 && !z_order) {
            e->hidden_edges = static_cast<int>(reader.Integer(t)) & 15;
        }
    }
    // A triangle may leave out its fourth corner: it is the third.
    if (!fourth) e->corners[3] = e->corners[2];
    // SOLID and TRACE store their corners in Z order, 3DFACE round the outline.
    if (z_order) std::swap(e->corners[2], e->corners[3]);
    return e;
}

void FacePrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    const auto& s = static_cast<const SolidEntity&>(e);
    for (int k = 0; k < 4; ++k) sink.Segment(t(s.corners[k]), t(s.corners[(k + 1) % 4]));
}

// The visible edges, joined where they meet.
void PaintFace(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    const auto& s = static_cast<const SolidEntity&>(e);
    if (s.hidden_edges == 0) {
        std::vector<Point2> pts;
        for (const Point2& c : s.corners) pts.push_back(full(c));
        out.Polyline(pts, true, colour, 0);
        return;
    }
    // Start after a hidden edge so that each run of visible edges is one line; the last
    // edge taken is that hidden one, which ends the last run.
    int first = 0;
    while (!(s.hidden_edges >> first & 1)) ++first;
    std::vector<Point2> run;
    for (int i = 1; i <= 4; ++i) {
        int k = (first + i) % 4;
        if (s.hidden_edges >> k & 1) {
            if (run.size() > 1) out.Polyline(run, false, colour, 0);
            run.clear();
            continue;
        }
        if (run.empty()) run.push_back(full(s.corners[k]));
        run.push_back(full(s.corners[(k + 1) % 4]));
    }
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
    .primitives = FacePrimitives,
    .paint = PaintFace};

}  // namespace velorin::cad::embedded
