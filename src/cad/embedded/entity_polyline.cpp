// LWPOLYLINE and the older POLYLINE with its VERTEX records.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

void PolylinePoints(const PolylineEntity& p, std::vector<Point2>& pts) {
    size_t n = p.vertices.size();
    if (n == 0) return;
    pts.push_back({p.vertices[0].x, p.vertices[0].y});
    size_t segments = p.closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
        const Vertex& a = p.vertices[i];
        const Vertex& b = p.vertices[(i + 1) % n];
        BulgePoints({a.x, a.y}, {b.x, b.y}, a.bulge, pts);
    }
}

namespace {

// The vertex count a file gives is a hint only: a damaged one must not decide how much
// memory is taken.
constexpr long long kMaxReserve = 1 << 16;

void ReadLwVertexGroup(RecordReader& reader, PolylineEntity& e, const dxf::Tag& t) {
    if (t.code == 10) {
        e.vertices.push_back({reader.Real(t), 0, 0, 0, 0});
        return;
    }
    if (e.vertices.empty()) return;
    Vertex& v = e.vertices.back();
    if (t.code == 20)
        v.y = reader.Real(t);
    else if (t.code == 40)
        v.start_width = reader.Real(t);
    else if (t.code == 41)
        v.end_width = reader.Real(t);
    else if (t.code == 42)
        v.bulge = reader.Real(t);
}

EntityPtr ReadLwPolyline(RecordReader& reader, Record& r) {
    auto e = std::make_unique<PolylineEntity>(Kind::LwPolyline, &reader.drawing);
    for (const dxf::Tag& t : r.tags) {
        if (reader.Common(*e, t)) continue;
        switch (t.code) {
            case 90: {
                // Only a hint, so a count that is not a number is no hint rather than a fault:
                // the vertices are what the record holds, and a rewrite counts them anew.
                std::optional<double> count = ParseNumber(t.value);
                if (count && *count > 0)
                    e->vertices.reserve(static_cast<size_t>(std::min(*count, double(kMaxReserve))));
                break;
            }
            case 70:
                e->flags = static_cast<int>(reader.Integer(t));
                break;
            case 38:
                e->elevation = reader.Real(t);
                break;
            case 43:
                e->constant_width = reader.Real(t);
                break;
            default:
                ReadLwVertexGroup(reader, *e, t);
                break;
        }
    }
    e->closed = e->flags & 1;
    return e;
}

// One VERTEX record; false for a spline frame point, which is not on the curve.
bool ReadVertex(RecordReader& reader, const Record& r, Vertex& v) {
    int flags = 0;
    for (const dxf::Tag& t : r.tags) {
        switch (t.code) {
            case 10:
                v.x = reader.Real(t);
                break;
            case 20:
                v.y = reader.Real(t);
                break;
            case 40:
                v.start_width = reader.Real(t);
                break;
            case 41:
                v.end_width = reader.Real(t);
                break;
            case 42:
                v.bulge = reader.Real(t);
                break;
            case 70:
                flags = static_cast<int>(reader.Integer(t));
                break;
        }
    }
    return !(flags & 16);
}

EntityPtr ReadPolyline(RecordReader& reader, Record& r) {
    auto e = std::make_unique<PolylineEntity>(Kind::Polyline, &reader.drawing);
    double start_width = 0, end_width = 0;
    for (const dxf::Tag& t : r.tags) {
        if (reader.Common(*e, t)) continue;
        switch (t.code) {
            case 70:
                e->flags = static_cast<int>(reader.Integer(t));
                break;
            case 30:
                e->elevation = reader.Real(t);
                break;
            case 40:
                start_width = reader.Real(t);
                break;
            case 41:
                end_width = reader.Real(t);
                break;
        }
    }
    e->closed = e->flags & 1;
    bool mesh = e->flags & (16 | 64);  // meshes are not outlines
    while (reader.NextIs("VERTEX")) {
        reader.ReadRecord(r);
        Vertex v{0, 0, start_width, end_width, 0};
        if (ReadVertex(reader, r, v) && !mesh) e->vertices.push_back(v);
    }
    if (reader.NextIs("SEQEND")) reader.ReadRecord(r);
    return e;
}

void WriteLwPolyline(const RecordWriter& out, const EntityBase& e) {
    const auto& p = static_cast<const PolylineEntity&>(e);
    dxf::TagWriter& w = out.w;
    w.Text(100, "AcDbPolyline");
    w.Int(90, static_cast<long long>(p.vertices.size()));
    w.Int(70, (p.flags & ~1) | (p.closed ? 1 : 0));
    bool widths = false;
    for (const Vertex& v : p.vertices) widths |= v.start_width != 0 || v.end_width != 0;
    if (!widths) w.Number(43, p.constant_width);
    if (p.elevation != 0) w.Number(38, p.elevation);
    for (const Vertex& v : p.vertices) {
        w.Number(10, v.x);
        w.Number(20, v.y);
        if (widths) {
            w.Number(40, v.start_width);
            w.Number(41, v.end_width);
        }
        if (v.bulge != 0) w.Number(42, v.bulge);
    }
}

// R12 has no LWPOLYLINE: the same outline as POLYLINE, VERTEX ... SEQEND.
bool WriteR12Polyline(const RecordWriter& out, const EntityBase& e) {
    if (out.markers) return false;
    const auto& p = static_cast<const PolylineEntity&>(e);
    dxf::TagWriter& w = out.w;
    const std::string& layer = out.layer_names[p.layer];
    w.Text(0, "POLYLINE");
    w.Text(8, layer);
    if (p.color != 256) w.Int(62, p.color);
    w.Int(66, 1);
    out.P3(10, {0, 0, p.elevation});
    w.Int(70, p.closed ? 1 : 0);
    if (p.constant_width != 0) {
        w.Number(40, p.constant_width);
        w.Number(41, p.constant_width);
    }
    for (const Vertex& v : p.vertices) {
        w.Text(0, "VERTEX");
        w.Text(8, layer);
        out.P3(10, {v.x, v.y, p.elevation});
        if (v.start_width != 0 || v.end_width != 0) {
            w.Number(40, v.start_width);
            w.Number(41, v.end_width);
        }
        if (v.bulge != 0) w.Number(42, v.bulge);
    }
    w.Text(0, "SEQEND");
    w.Text(8, layer);
    return true;
}

// Both kinds land in a block as LWPOLYLINE, which the host writes itself.
EntityPtr CopyPolyline(const EntityBase& e, Drawing&, const Drawing&) {
    auto p = std::make_unique<PolylineEntity>(static_cast<const PolylineEntity&>(e));
    p->kind = Kind::LwPolyline;
    p->type = &TypeOfKind(Kind::LwPolyline);
    p->flags = 0;
    return p;
}

void PolylinePrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    std::vector<Point2> pts;
    PolylinePoints(static_cast<const PolylineEntity&>(e), pts);
    if (pts.size() == 1) sink.Point(t(pts[0]));
    PathSegments(pts, t, sink);
}

// Wide segments as filled quadrilaterals, tapering from start to end width.
void PaintWideSegments(const PolylineEntity& p, const Affine& full, Rgb colour, PaintBackend& out) {
    size_t n = p.vertices.size();
    size_t segments = p.closed ? n : n - 1;
    for (size_t i = 0; i < segments && n > 1; ++i) {
        const Vertex& a = p.vertices[i];
        const Vertex& b = p.vertices[(i + 1) % n];
        double w0 = p.constant_width > 0 ? p.constant_width : a.start_width;
        double w1 = p.constant_width > 0 ? p.constant_width : a.end_width;
        std::vector<Point2> centre{{a.x, a.y}};
        BulgePoints({a.x, a.y}, {b.x, b.y}, a.bulge, centre);
        if (centre.size() > 2) {  // a wide arc: stroke it
            MapPoints(full, centre);
            out.Polyline(centre, false, colour, (w0 + w1) / 2 * full.Scale());
            continue;
        }
        double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
        if (len == 0) continue;
        double nx = -dy / len, ny = dx / len;
        std::vector<Point2> quad{full({a.x + nx * w0 / 2, a.y + ny * w0 / 2}),
                                 full({b.x + nx * w1 / 2, b.y + ny * w1 / 2}),
                                 full({b.x - nx * w1 / 2, b.y - ny * w1 / 2}),
                                 full({a.x - nx * w0 / 2, a.y - ny * w0 / 2})};
        out.Polygon(quad, colour);
    }
}

void PaintPolyline(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    const auto& p = static_cast<const PolylineEntity&>(e);
    bool widths = p.constant_width > 0;
    for (const Vertex& v : p.vertices) widths |= v.start_width > 0 || v.end_width > 0;
    if (widths) return PaintWideSegments(p, full, colour, out);
    std::vector<Point2> pts;
    PolylinePoints(p, pts);
    MapPoints(full, pts);
    if (pts.size() == 1)
        out.Circle(pts[0], 0.5, colour);
    else
        out.Polyline(pts, false, colour, 0);
}

constexpr int kLwPolylineGroups[] = {10, 20, 38, 40, 41, 42, 43, 70, 90, 91};
constexpr int kPolylineGroups[] = {2, 10, 20, 30, 41, 42, 43, 50};

}  // namespace

extern const EntityType kLwPolylineType{.name = "LWPOLYLINE",
                                        .kind = Kind::LwPolyline,
                                        .read = ReadLwPolyline,
                                        .modelled = kLwPolylineGroups,
                                        .write = WriteLwPolyline,
                                        .write_whole = WriteR12Polyline,
                                        .copy = CopyPolyline,
                                        .primitives = PolylinePrimitives,
                                        .paint = PaintPolyline,
                                        .ocs = true};

extern const EntityType kPolylineType{.name = "POLYLINE",
                                      .kind = Kind::Polyline,
                                      .read = ReadPolyline,
                                      .modelled = kPolylineGroups,
                                      .copy = CopyPolyline,
                                      .primitives = PolylinePrimitives,
                                      .paint = PaintPolyline,
                                      .ocs = true};

}  // namespace velorin::cad::embedded
