// TEXT and MTEXT.
#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

// Groups whose meaning differs between TEXT and MTEXT.
void ReadTextGroup(TextEntity& e, const dxf::Tag& t, Point2& direction, bool& have_direction) {
    bool text = e.kind == Kind::Text;
    switch (t.code) {
        case 11:
            (text ? e.alignment_point.x : direction.x) = dxf::ToDouble(t.value);
            have_direction = true;
            break;
        case 21:
            (text ? e.alignment_point.y : direction.y) = dxf::ToDouble(t.value);
            break;
        case 41:
            (text ? e.width_factor : e.box_width) = dxf::ToDouble(t.value);
            break;
        case 71:
            if (!text) e.horizontal = static_cast<int>(dxf::ToInt(t.value));
            break;
        case 72:
            if (text) e.horizontal = static_cast<int>(dxf::ToInt(t.value));
            break;
        case 73:
            if (text) e.vertical = static_cast<int>(dxf::ToInt(t.value));
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
                e->position.x = dxf::ToDouble(t.value);
                break;
            case 20:
                e->position.y = dxf::ToDouble(t.value);
                break;
            case 30:
                e->position.z = dxf::ToDouble(t.value);
                break;
            case 31:
                e->alignment_point.z = dxf::ToDouble(t.value);
                break;
            case 40:
                e->height = dxf::ToDouble(t.value);
                break;
            case 50:
                e->rotation = dxf::ToDouble(t.value);
                break;
            case 51:
                e->oblique = dxf::ToDouble(t.value);
                break;
            default:
                ReadTextGroup(*e, t, direction, have_direction);
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

// Width of the longest MTEXT line in heights, and the number of lines.
void MTextLines(std::string_view s, double& longest, int& lines) {
    double line = 0;
    longest = 0, lines = 1;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'P') {
            longest = std::max(longest, line), line = 0, ++lines, ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) == 0x80) continue;
        line += c >= 0xE0 ? 1.0 : 0.7;
    }
    longest = std::max(longest, line);
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
    double longest;
    int lines;
    MTextLines(t.text, longest, lines);
    double w = std::max(t.box_width, longest * h);
    double total = lines * h * 1.667 - 0.667 * h;
    int a = t.horizontal >= 1 && t.horizontal <= 9 ? t.horizontal : 1;
    double dx = -w * ((a - 1) % 3) / 2.0;
    int row = (a - 1) / 3;  // 0 top, 1 middle, 2 bottom
    double dy = row == 0 ? -total : row == 1 ? -total / 2 : 0;
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
    double w = TextAdvance(t.text) * h * (t.width_factor > 0 ? t.width_factor : 1);
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
    }
    double xs[4] = {dx, dx + w, dx + w, dx}, ys[4] = {dy, dy, dy + h, dy + h};
    Corners(anchor, rotation, xs, ys, tr, sink);
}

TextEntity AttributeText(const Attribute& a) {
    TextEntity text(Kind::Text, nullptr);
    text.text = a.text, text.position = text.alignment_point = a.position;
    text.height = a.height, text.rotation = a.rotation, text.layer = a.layer;
    return text;
}

void PaintText(const TextEntity& t, const Affine& full, Rgb colour, PaintBackend& out) {
    // The text's box as the selection sees it gives its place on the page.
    struct CornerSink : PrimitiveSink {
        std::vector<Point2> c;
        void Segment(Point2, Point2) override {}
        void Circle(Point2, double) override {}
        void Area(const Point2* p, int n) override { c.assign(p, p + n); }
    } box;
    TextBox(t, full, box);
    if (box.c.size() != 4) return;
    double height = std::hypot(box.c[3].x - box.c[0].x, box.c[3].y - box.c[0].y);
    double width = std::hypot(box.c[1].x - box.c[0].x, box.c[1].y - box.c[0].y);
    if (height < 0.5) return;  // smaller than a pixel: nothing to read
    double rotation = std::atan2(-(box.c[1].y - box.c[0].y), box.c[1].x - box.c[0].x);
    if (height < 3) {  // a few pixels: a stroke where the text stands
        out.Polyline({box.c[0], box.c[1]}, false, colour, 0);
        return;
    }
    std::vector<std::string> lines = DisplayLines(t);
    if (lines.size() == 1) {
        out.Text(lines[0], box.c[0], height, rotation, width, false, colour);
        return;
    }
    // MTEXT lines from the top of the box down, 1.667 heights apart.
    double line_h = height / (lines.size() * 1.667 - 0.667);
    double ux = (box.c[3].x - box.c[0].x) / height, uy = (box.c[3].y - box.c[0].y) / height;
    for (size_t k = 0; k < lines.size(); ++k) {
        double up = height - line_h - k * line_h * 1.667;
        Point2 origin{box.c[0].x + ux * up, box.c[0].y + uy * up};
        out.Text(lines[k], origin, line_h, rotation, 0, false, colour);
    }
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
