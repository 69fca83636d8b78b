// TEXT and MTEXT.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

// Groups whose meaning differs between TEXT and MTEXT.
void ReadTextGroup(RecordReader& reader, TextEntity& e, const dxf::Tag& t, Point2& direction,
                   bool& have_direction) {
    bool text = e.kind == Kind::Text;
    switch (t.code) {
        case 11:
            (text ? e.alignment_point.x : direction.x) = reader.Real(t);
            have_direction = true;
            break;
        case 21:
            (text ? e.alignment_point.y : direction.y) = reader.Real(t);
            break;
        case 41:
            (text ? e.width_factor : e.box_width) = reader.Real(t);
            break;
        case 71:
            if (!text) e.horizontal = static_cast<int>(reader.Integer(t));
            break;
        case 72:
            if (text) e.horizontal = static_cast<int>(reader.Integer(t));
            break;
        case 73:
            if (text) e.vertical = static_cast<int>(reader.Integer(t));
            break;
    }
}

EntityPtr ReadText(RecordReader& reader, Record& r, Kind kind) {
    auto e = std::make_unique<TextEntity>(kind, &reader.drawing);
    std::string chunks;
    std::string_view last;
    bool have_direction = false;
    Point2 direction{0, 0};
    for (const dxf::Tag& t : r.tags) {
        // R2018 MTEXT may end in an embedded object whose groups reuse the codes of the
        // insertion point, direction and height: the text's own groups end there.
        if (t.code == 101 && kind == Kind::MText) break;
        if (reader.Common(*e, t)) continue;
        switch (t.code) {
            case 1:
                last = t.value;
                break;
            case 3:
                chunks.append(t.value);
                break;
            case 7:
                e->style = reader.StyleOf(t.value);
                break;
            case 10:
                e->position.x = reader.Real(t);
                break;
            case 20:
                e->position.y = reader.Real(t);
                break;
            case 30:
                e->position.z = reader.Real(t);
                break;
            case 31:
                e->alignment_point.z = reader.Real(t);
                break;
            case 40:
                e->height = reader.Real(t);
                break;
            case 50:
                e->rotation = reader.Real(t);
                break;
            case 51:
                e->oblique = reader.Real(t);
                break;
            default:
                ReadTextGroup(reader, *e, t, direction, have_direction);
                break;
        }
    }
    chunks.append(last);
    e->text = reader.Decode(chunks);
    if (kind == Kind::MText) {
        // MTEXT keeps its rotation in radians, or as a direction vector.
        e->rotation = have_direction ? std::atan2(direction.y, direction.x) * 180 / M_PI
                                     : e->rotation * 180 / M_PI;
    } else if (!have_direction) {
        e->alignment_point = e->position;
    }
    return e;
}

void WriteText(const RecordWriter& out, const EntityBase& e) {
    const auto& t = static_cast<const TextEntity&>(e);
    dxf::TagWriter& w = out.w;
    if (out.markers) w.Text(100, "AcDbText");
    out.P3(10, t.position);
    w.Number(40, t.height);
    w.Text(1, t.text, out.codec);
    if (t.rotation != 0) w.Number(50, t.rotation);
    if (t.width_factor != 1) w.Number(41, t.width_factor);
    if (t.oblique != 0) w.Number(51, t.oblique);
    w.Text(7, out.StyleName(t.style));
    if (t.horizontal) w.Int(72, t.horizontal);
    if (t.horizontal || t.vertical) out.P3(11, t.alignment_point);
}

// The second AcDbText subclass holds the vertical alignment and closes the record.
void WriteTextTail(const RecordWriter& out, const EntityBase& e) {
    const auto& t = static_cast<const TextEntity&>(e);
    if (out.markers) out.w.Text(100, "AcDbText");
    if (t.vertical) out.w.Int(73, t.vertical);
}

// Where a text longer than 250 bytes is cut into chunks: never inside a character.
size_t ChunkEnd(std::string_view text, const dxf::Codec& codec) {
    if (!codec.utf8()) {
        size_t i = 0;
        while (i < 250) i += static_cast<unsigned char>(text[i]) >= 0x81 ? 2 : 1;
        return i > 250 ? i - 2 : i;
    }
    size_t cut = 250;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

void WriteMText(const RecordWriter& out, const EntityBase& e) {
    const auto& t = static_cast<const TextEntity&>(e);
    dxf::TagWriter& w = out.w;
    if (out.markers) w.Text(100, "AcDbMText");
    out.P3(10, t.position);
    w.Number(40, t.height);
    w.Number(41, t.box_width);
    w.Int(71, t.horizontal ? t.horizontal : 1);
    std::string text = out.codec.Encode(t.text);
    while (text.size() > 250) {
        size_t cut = ChunkEnd(text, out.codec);
        w.Text(3, text.substr(0, cut));
        text.erase(0, cut);
    }
    w.Text(1, text);
    w.Text(7, out.StyleName(t.style));
    if (t.rotation != 0) w.Number(50, t.rotation * M_PI / 180);
}

// The style of the same name in the target drawing, or its first.
EntityPtr CopyText(const EntityBase& e, Drawing& target, const Drawing& source) {
    auto t = std::make_unique<TextEntity>(static_cast<const TextEntity&>(e));
    int from = t->style;
    t->style = 0;
    if (from >= 0 && from < static_cast<int>(source.styles().size())) {
        TextStyle* s = target.FindStyle(source.styles()[from]->name);
        for (size_t i = 0; s && i < target.styles().size(); ++i)
            if (target.styles()[i].get() == s) t->style = static_cast<int>(i);
    }
    return t;
}

// MTEXT baselines stand this many text heights apart.
constexpr double kLineSpacing = 5.0 / 3;
// A text aligned at its bottom reaches this many heights below its baseline.
constexpr double kDescent = 1.0 / 3;

// Width of the longest shown line in heights.
double Longest(const std::vector<ShownLine>& lines) {
    double longest = 0;
    for (const ShownLine& l : lines) longest = std::max(longest, TextAdvance(l.text));
    return longest;
}

// Height of an MTEXT's lines from the top of the first capital to the last baseline.
double MTextHeight(size_t lines, double h) {
    return (lines * kLineSpacing - (kLineSpacing - 1)) * h;
}

void Corners(Point3 anchor, double rotation_deg, const double xs[4], const double ys[4],
             const Affine& tr, PrimitiveSink& sink) {
    double r = rotation_deg * M_PI / 180, cs = std::cos(r), sn = std::sin(r);
    Point2 corners[4];
    for (int k = 0; k < 4; ++k)
        corners[k] = tr({anchor.x + xs[k] * cs - ys[k] * sn, anchor.y + xs[k] * sn + ys[k] * cs});
    sink.Area(corners, 4);
}

void MTextBox(const TextEntity& t, const Affine& tr, PrimitiveSink& sink) {
    double h = t.height > 0 ? t.height : 1;
    std::vector<ShownLine> lines = DisplayText(t);
    double w = std::max(t.box_width, Longest(lines) * h);
    double total = MTextHeight(lines.size(), h);
    int a = t.horizontal >= 1 && t.horizontal <= 9 ? t.horizontal : 1;
    double dx = -w * ((a - 1) % 3) / 2.0;
    int row = (a - 1) / 3;  // 0 top, 1 middle, 2 bottom
    // Bottom attachments hold the descent of the last line above the insertion point.
    double dy = row == 0 ? -total : row == 1 ? -total / 2 : kDescent * h;
    double xs[4] = {dx, dx + w, dx + w, dx}, ys[4] = {dy, dy, dy + total, dy + total};
    Corners(t.position, t.rotation, xs, ys, tr, sink);
}

void TextPrimitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink) {
    TextBox(static_cast<const TextEntity&>(e), t, sink);
}

void PaintTextEntity(const EntityBase& e, const Affine& full, Rgb colour, PaintBackend& out) {
    PaintText(static_cast<const TextEntity&>(e), full, colour, out);
}

constexpr int kTextGroups[] = {1, 7, 10, 20, 30, 11, 21, 31, 40, 41, 50, 51, 72, 73};
constexpr int kMTextGroups[] = {1, 3, 7, 10, 20, 30, 11, 21, 31, 40, 41, 50, 71};

}  // namespace

// Corners of a text's box: along the baseline from the anchor, up by its height.
void TextBox(const TextEntity& t, const Affine& tr, PrimitiveSink& sink) {
    if (t.kind == Kind::MText) return MTextBox(t, tr, sink);
    double h = t.height > 0 ? t.height : 1;
    double w = Longest(DisplayText(t)) * h * (t.width_factor > 0 ? t.width_factor : 1);
    double dx = 0, dy = 0;
    Point3 anchor = t.position;
    double rotation = t.rotation;
    if (t.horizontal == 3 || t.horizontal == 5) {
        // Aligned and fit texts run from the insertion point to the alignment point.
        double ax = t.alignment_point.x - t.position.x, ay = t.alignment_point.y - t.position.y;
        w = std::hypot(ax, ay);
        rotation = std::atan2(ay, ax) * 180 / M_PI;
    } else if (t.horizontal || t.vertical) {
        anchor = t.alignment_point;
        if (t.horizontal == 1 || t.horizontal == 4)
            dx = -w / 2;
        else if (t.horizontal == 2)
            dx = -w;
        if (t.horizontal == 4 || t.vertical == 2)
            dy = -h / 2;
        else if (t.vertical == 3)
            dy = -h;
        else if (t.vertical == 1)
            dy = kDescent * h;
    }
    double xs[4] = {dx, dx + w, dx + w, dx}, ys[4] = {dy, dy, dy + h, dy + h};
    Corners(anchor, rotation, xs, ys, tr, sink);
}

TextEntity AttributeText(const Attribute& a) {
    TextEntity text(Kind::Text, nullptr);
    text.text = a.text, text.position = a.position, text.alignment_point = a.alignment_point;
    text.height = a.height, text.rotation = a.rotation, text.layer = a.layer;
    text.width_factor = a.width_factor;
    text.horizontal = a.horizontal, text.vertical = a.vertical;
    return text;
}

namespace {

// Paints one shown line whose baseline runs from `o` along `u` (its whole width) and whose
// capitals reach `v` above it, all on the device.
void PaintLine(const ShownLine& line, Point2 o, Point2 u, Point2 v, Rgb colour, PaintBackend& out) {
    double height = std::hypot(v.x, v.y), width = std::hypot(u.x, u.y);
    if (height < 0.5 || width == 0) return;  // smaller than a pixel: nothing to read
    auto at = [&](double along, double up) {
        return Point2{o.x + u.x * along + v.x * up, o.y + u.y * along + v.y * up};
    };
    if (height < 3) {  // a few pixels: a stroke where the text stands
        out.Polyline({o, at(1, 0)}, false, colour, 0);
        return;
    }
    // Device y runs downwards: an upright text has its capitals clockwise of its baseline.
    bool mirrored = u.x * v.y - u.y * v.x > 0;
    out.Text(line.text, o, height, std::atan2(-u.y, u.x), width, mirrored, colour);
    double total = TextAdvance(line.text);
    for (const ShownLine::Run& run : line.runs) {
        double from = TextAdvance(std::string_view(line.text).substr(0, run.begin)) / total;
        double to = TextAdvance(std::string_view(line.text).substr(0, run.end)) / total;
        double up = run.stroke == ShownLine::Stroke::Under  ? -0.2
                    : run.stroke == ShownLine::Stroke::Over ? 1.2
                                                            : 0.5;
        out.Polyline({at(from, up), at(to, up)}, false, colour, 0);
    }
}

// MTEXT: each line aligned by the attachment about the insertion point, the lines from
// the top down.
void PaintMText(const TextEntity& t, const Affine& full, Rgb colour, PaintBackend& out) {
    double h = t.height > 0 ? t.height : 1;
    std::vector<ShownLine> lines = DisplayText(t);
    int a = t.horizontal >= 1 && t.horizontal <= 9 ? t.horizontal : 1;
    int column = (a - 1) % 3, row = (a - 1) / 3;  // left, centre, right; top, middle, bottom
    double total = MTextHeight(lines.size(), h);
    double top = row == 0 ? 0 : row == 1 ? total / 2 : total + kDescent * h;
    double r = t.rotation * M_PI / 180, cs = std::cos(r), sn = std::sin(r);
    auto device = [&](double x, double y) {
        return full({t.position.x + x * cs - y * sn, t.position.y + x * sn + y * cs});
    };
    for (size_t k = 0; k < lines.size(); ++k) {
        double w = TextAdvance(lines[k].text) * h;
        double x = -column * w / 2, y = top - h - k * kLineSpacing * h;
        Point2 o = device(x, y), right = device(x + w, y), up = device(x, y + h);
        PaintLine(lines[k], o, {right.x - o.x, right.y - o.y}, {up.x - o.x, up.y - o.y}, colour,
                  out);
    }
}

}  // namespace

void PaintText(const TextEntity& t, const Affine& full, Rgb colour, PaintBackend& out) {
    if (t.kind == Kind::MText) return PaintMText(t, full, colour, out);
    // The text's box as the selection sees it gives its place on the page.
    struct CornerSink : PrimitiveSink {
        std::vector<Point2> c;
        void Segment(Point2, Point2) override {}
        void Circle(Point2, double) override {}
        void Area(const Point2* p, int n) override { c.assign(p, p + n); }
    } box;
    TextBox(t, full, box);
    std::vector<ShownLine> lines = DisplayText(t);
    if (box.c.size() != 4 || lines.empty()) return;
    const Point2* c = box.c.data();
    PaintLine(lines[0], c[0], {c[1].x - c[0].x, c[1].y - c[0].y},
              {c[3].x - c[0].x, c[3].y - c[0].y}, colour, out);
}

extern const EntityType kTextType{
    .name = "TEXT",
    .kind = Kind::Text,
    .read = [](RecordReader& reader, Record& r) { return ReadText(reader, r, Kind::Text); },
    .modelled = kTextGroups,
    .write = WriteText,
    .write_tail = WriteTextTail,
    .copy = CopyText,
    .primitives = TextPrimitives,
    .paint = PaintTextEntity,
    .ocs = true};

extern const EntityType kMTextType{
    .name = "MTEXT",
    .kind = Kind::MText,
    .read = [](RecordReader& reader, Record& r) { return ReadText(reader, r, Kind::MText); },
    .modelled = kMTextGroups,
    .write = WriteMText,
    .copy = CopyText,
    .primitives = TextPrimitives,
    .paint = PaintTextEntity};

}  // namespace velorin::cad::embedded
