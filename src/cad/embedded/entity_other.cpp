// Records the host keeps as read: SPLINE (drawn through its control frame or fit points)
// and every type the table does not list.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

std::vector<Point2> SplinePoints(const OtherEntity& s) {
    std::vector<Point2> curve = BSplinePoints(s.degree, s.knots, s.control);
    return curve.empty() ? s.fit : curve;
}

namespace {

void ReadSplineGroup(RecordReader& reader, OtherEntity& e, const dxf::Tag& t) {
    if (t.code == 71)
        e.degree = static_cast<int>(reader.Integer(t));
    else if (t.code == 40)
        e.knots.push_back(reader.Real(t));
    else if (t.code == 10)
        e.control.push_back({reader.Real(t), 0});
    else if (t.code == 20 && !e.control.empty())
        e.control.back().y = reader.Real(t);
    else if (t.code == 11)
        e.fit.push_back({reader.Real(t), 0});
    else if (t.code == 21 && !e.fit.empty())
        e.fit.back().y = reader.Real(t);
}

EntityPtr ReadOther(RecordReader& reader, Record& r) {
    auto e = std::make_unique<OtherEntity>(&reader.drawing);
    e->type = std::string(r.type);
    bool spline = r.type == "SPLINE";
    bool follows = false;  // sub-records of its own until SEQEND
    bool xdata = false;    // from the first extended data group on: nothing of the model
    for (const dxf::Tag& t : r.tags) {
        if (t.code == 66 && reader.Integer(t) == 1) follows = true;
        xdata = xdata || t.code >= 1000;
        if (xdata) continue;
        if (t.code == 5 || t.code == 8 || t.code == 62 || t.code == 67)
            reader.Common(*e, t);
        else if (spline)
            ReadSplineGroup(reader, *e, t);
    }
    if (follows) reader.SkipToSeqend(r);
    return e;
}

void SplinePrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    PathSegments(SplinePoints(static_cast<const OtherEntity&>(e)), t, sink);
}

void PaintSpline(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    std::vector<Point2> pts = SplinePoints(static_cast<const OtherEntity&>(e));
    MapPoints(full, pts);
    if (pts.size() > 1) out.Polyline(pts, false, colour, 0);
}

constexpr int kOtherGroups[] = {2, 10, 20, 30, 41, 42, 43, 50};

}  // namespace

extern const EntityType kSplineType{.name = "SPLINE",
                                    .kind = Kind::Other,
                                    .read = ReadOther,
                                    .modelled = kOtherGroups,
                                    .primitives = SplinePrimitives,
                                    .paint = PaintSpline};

extern const EntityType kOtherType{
    .name = nullptr, .kind = Kind::Other, .read = ReadOther, .modelled = kOtherGroups};

}  // namespace velorin::cad::embedded
