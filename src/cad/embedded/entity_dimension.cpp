// DIMENSION: drawn through the block that holds its picture. When the drawing lacks that
// block, the host draws the dimension from its definition points and its measurement.
#include "base/numbers.h"
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

class DimensionEntity : public EntityBase {
  public:
    explicit DimensionEntity(Drawing* d) : EntityBase(Kind::Other, d) {}
    int block = -1;  // its picture, drawn in place
    int flags = 0;   // group 70: the type in its low three bits
    // Definition points by group code: 10 and 13 to 16 in drawing coordinates, 11 (the
    // middle of the text) in object coordinates.
    Point2 p10, p11, p13, p14, p15;
    double measurement = NAN;    // group 42, when the file gives it (angles in radians)
    double angle = 0;            // group 50: direction of a rotated linear dimension, degrees
    double text_rotation = NAN;  // group 53, degrees
    std::string text;            // group 1: "" or "<>" the measurement, " " none
};

bool ReadPoint(RecordReader& reader, const dxf::Tag& t, int code, Point2& p) {
    if (t.code != code && t.code != code + 10) return false;
    (t.code == code ? p.x : p.y) = reader.Real(t);
    return true;
}

EntityPtr ReadDimension(RecordReader& reader, Record& r) {
    auto e = std::make_unique<DimensionEntity>(&reader.drawing);
    for (const dxf::Tag& t : r.tags) {
        if (t.code >= 1000) break;  // extended data: nothing of the dimension
        if (reader.Common(*e, t)) continue;
        if (ReadPoint(reader, t, 10, e->p10) || ReadPoint(reader, t, 11, e->p11) ||
            ReadPoint(reader, t, 13, e->p13) || ReadPoint(reader, t, 14, e->p14) ||
            ReadPoint(reader, t, 15, e->p15))
            continue;
        switch (t.code) {
            case 1:
                e->text = reader.Decode(t.value);
                break;
            case 2:
                reader.LinkBlock(*e, &e->block, std::string(t.value), false);
                break;
            case 42:
                e->measurement = reader.Real(t);
                break;
            case 50:
                e->angle = reader.Real(t);
                break;
            case 53:
                e->text_rotation = reader.Real(t);
                break;
            case 70:
                e->flags = static_cast<int>(reader.Integer(t));
                break;
        }
    }
    // The text's place is in object coordinates: seen from below, x runs the other way.
    if (e->mirrored) e->p11.x = -e->p11.x;
    return e;
}

// A dimension's block is drawn where it lies, without a transform of its own. A block
// the drawing only names is as good as missing.
bool ExpandDimension(const Drawing& d, const EntityBase& e, Expansion& out) {
    const auto& dim = static_cast<const DimensionEntity&>(e);
    if (dim.block < 0 || !d.blocks()[dim.block]->defined) return false;
    out.block = d.blocks()[dim.block].get();
    return true;
}

// What a dimension without its block draws: lines between its definition points and its
// text at the text's middle point.
struct Sketch {
    std::vector<std::pair<Point2, Point2>> lines;
    TextEntity text{Kind::MText, nullptr};
};

// The height of that text: the dimension style is not read, so the metric default of
// its text height.
constexpr double kSketchTextHeight = 2.5;

Point2 Minus(Point2 a, Point2 b) { return {a.x - b.x, a.y - b.y}; }
double Dot(Point2 a, Point2 b) { return a.x * b.x + a.y * b.y; }

// Rounded to hundredths, trailing zeros dropped.
std::string Measure(double value) {
    std::string fixed = FormatFixed(value, 2);
    auto rounded = ParseNumber(fixed);
    return rounded ? PlainNumber(*rounded) : fixed;
}

Sketch SketchOf(const DimensionEntity& d) {
    Sketch s;
    int type = d.flags & 7;
    double value = d.measurement;
    bool angular = type == 2 || type == 5;
    std::string prefix;
    double direction = 0;  // of the text when the file gives none, degrees
    if (type == 0 || type == 1) {
        // Linear: extension lines from both points to the dimension line through 10.
        Point2 along = type == 0
                           ? Point2{std::cos(d.angle * M_PI / 180), std::sin(d.angle * M_PI / 180)}
                           : Minus(d.p14, d.p13);
        double n = std::hypot(along.x, along.y);
        if (n > 0) along = {along.x / n, along.y / n};
        auto foot = [&](Point2 p) {
            double t = Dot(Minus(p, d.p10), along);
            return Point2{d.p10.x + t * along.x, d.p10.y + t * along.y};
        };
        Point2 a = foot(d.p13), b = foot(d.p14);
        s.lines = {{d.p13, a}, {d.p14, b}, {a, b}};
        if (std::isnan(value)) value = std::fabs(Dot(Minus(d.p14, d.p13), along));
        direction = std::atan2(along.y, along.x) * 180 / M_PI;
        // Upright: a text never reads downwards.
        if (direction > 90.0001) direction -= 180;
        if (direction <= -90) direction += 180;
    } else if (type == 3 || type == 4) {
        // Diameter: 15 and 10 on the curve across; radius: 10 the centre, 15 on the curve.
        s.lines = {{d.p10, d.p15}};
        if (std::isnan(value)) value = std::hypot(d.p15.x - d.p10.x, d.p15.y - d.p10.y);
        prefix = type == 3 ? "⌀" : "R";
    } else if (type == 2) {
        // Between two lines: 13 to 14 and 10 to 15.
        s.lines = {{d.p13, d.p14}, {d.p10, d.p15}};
        Point2 u = Minus(d.p14, d.p13), v = Minus(d.p15, d.p10);
        if (std::isnan(value)) value = std::fabs(std::atan2(u.x * v.y - u.y * v.x, Dot(u, v)));
    } else if (type == 5) {
        // From the vertex 15 to 13 and to 14.
        s.lines = {{d.p15, d.p13}, {d.p15, d.p14}};
        Point2 u = Minus(d.p13, d.p15), v = Minus(d.p14, d.p15);
        if (std::isnan(value)) value = std::fabs(std::atan2(u.x * v.y - u.y * v.x, Dot(u, v)));
    } else if (type == 6) {
        // Ordinate: from the feature 13 to the end of the leader 14, measured from 10.
        s.lines = {{d.p13, d.p14}};
        bool x = (d.flags & 64) != 0;
        if (std::isnan(value)) value = std::fabs(x ? d.p13.x - d.p10.x : d.p13.y - d.p10.y);
    }
    std::string measured;
    if (std::isfinite(value))
        measured = angular ? Measure(value * 180 / M_PI) + "°" : prefix + Measure(value);
    std::string shown = d.text;
    if (shown.empty())
        shown = measured;
    else if (size_t at = shown.find("<>"); at != std::string::npos)
        shown.replace(at, 2, measured);
    if (shown == " ") shown.clear();  // a blank: no text
    s.text.text = shown;
    s.text.position = {d.p11.x, d.p11.y, 0};
    s.text.height = kSketchTextHeight;
    s.text.horizontal = 5;  // middle centre
    s.text.rotation = std::isnan(d.text_rotation) ? direction : d.text_rotation;
    return s;
}

void DimensionPrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    Sketch s = SketchOf(static_cast<const DimensionEntity&>(e));
    for (const auto& [a, b] : s.lines) sink.Segment(t(a), t(b));
    if (!s.text.text.empty()) TextBox(s.text, t, sink);
}

void PaintDimension(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    Sketch s = SketchOf(static_cast<const DimensionEntity&>(e));
    for (const auto& [a, b] : s.lines) out.Polyline({full(a), full(b)}, false, colour, 0);
    if (!s.text.text.empty()) PaintText(s.text, full, colour, out);
}

constexpr int kDimensionGroups[] = {2, 10, 20, 30, 41, 42, 43, 50};

}  // namespace

extern const EntityType kDimensionType{.name = "DIMENSION",
                                       .kind = Kind::Other,
                                       .read = ReadDimension,
                                       .modelled = kDimensionGroups,
                                       .primitives = DimensionPrimitives,
                                       .paint = PaintDimension,
                                       .expand = ExpandDimension};

}  // namespace velorin::cad::embedded
