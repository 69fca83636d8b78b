// Records the host keeps as read: DIMENSION (drawn through its block), SPLINE (drawn
// through its control frame or fit points) and every type the table does not list.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

std::vector<Point2> SplinePoints(const OtherEntity& s) {
    int p = s.degree, n = static_cast<int>(s.control.size());
    if (n < 2 || p < 1 || static_cast<int>(s.knots.size()) != n + p + 1) return s.fit;
    // De Boor's algorithm at evenly spaced parameters over the knot range.
    std::vector<Point2> out;
    double u0 = s.knots[p], u1 = s.knots[n];
    int samples = std::min(4096, n * 16);
    std::vector<Point2> d(p + 1);
    for (int i = 0; i <= samples; ++i) {
        double u = u0 + (u1 - u0) * i / samples;
        int k = p;
        while (k < n - 1 && s.knots[k + 1] <= u) ++k;
        for (int j = 0; j <= p; ++j) d[j] = s.control[k - p + j];
        for (int r = 1; r <= p; ++r)
            for (int j = p; j >= r; --j) {
                double den = s.knots[j + 1 + k - r] - s.knots[j + k - p];
                double a = den == 0 ? 0 : (u - s.knots[j + k - p]) / den;
                d[j] = {(1 - a) * d[j - 1].x + a * d[j].x, (1 - a) * d[j - 1].y + a * d[j].y};
            }
        out.push_back(d[p]);
    }
    return out;
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
    bool dimension = r.type == "DIMENSION", spline = r.type == "SPLINE";
    bool follows = false;  // sub-records of its own until SEQEND
    bool xdata = false;    // from the first extended data group on: nothing of the model
    for (const dxf::Tag& t : r.tags) {
        if (t.code == 66 && reader.Integer(t) == 1) follows = true;
        xdata = xdata || t.code >= 1000;
        if (xdata) continue;
        if (t.code == 5 || t.code == 8 || t.code == 62 || t.code == 67)
            reader.Common(*e, t);
        else if (dimension && t.code == 2)
            reader.LinkBlock(*e, &e->block, std::string(t.value), false);
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

// A dimension's block is drawn where it lies, without a transform of its own.
bool ExpandDimension(const Drawing& d, const EntityBase& e, Expansion& out) {
    const auto& o = static_cast<const OtherEntity&>(e);
    if (o.block < 0) return false;
    out.block = d.blocks()[o.block].get();
    return true;
}

constexpr int kOtherGroups[] = {2, 10, 20, 30, 41, 42, 43, 50};

}  // namespace

extern const EntityType kDimensionType{.name = "DIMENSION",
                                       .kind = Kind::Other,
                                       .read = ReadOther,
                                       .modelled = kOtherGroups,
                                       .expand = ExpandDimension};

extern const EntityType kSplineType{.name = "SPLINE",
                                    .kind = Kind::Other,
                                    .read = ReadOther,
                                    .modelled = kOtherGroups,
                                    .primitives = SplinePrimitives,
                                    .paint = PaintSpline};

extern const EntityType kOtherType{
    .name = nullptr, .kind = Kind::Other, .read = ReadOther, .modelled = kOtherGroups};

}  // namespace velorin::cad::embedded
