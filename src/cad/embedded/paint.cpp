#include "cad/embedded/paint.h"

#include <cstring>

#include "base/strings.h"

namespace velorin::cad::embedded {

Rgb AciColour(int index) {
    index = std::abs(index);
    static const Rgb kBasic[] = {{0, 0, 0},       {255, 0, 0},    {255, 255, 0}, {0, 255, 0},
                                 {0, 255, 255},   {0, 0, 255},    {255, 0, 255}, {0, 0, 0},
                                 {128, 128, 128}, {192, 192, 192}};
    if (index < 10) return kBasic[index];
    if (index >= 250) {
        uint8_t v = static_cast<uint8_t>(51 + (index - 250) * 40);
        return {v, v, v};
    }
    // 10..249: 24 hues of 15 degrees, each in five shades, full and pale.
    double hue = (index - 10) / 10 * 15.0;
    int shade = (index % 10) / 2;
    bool pale = index % 2 == 1;
    double value = 1.0 - shade * 0.175, saturation = pale ? 0.5 : 1.0;
    double c = value * saturation, x = c * (1 - std::fabs(std::fmod(hue / 60, 2) - 1)),
           m = value - c;
    double r = 0, g = 0, b = 0;
    int sector = static_cast<int>(hue / 60) % 6;
    switch (sector) {
        case 0:
            r = c, g = x;
            break;
        case 1:
            r = x, g = c;
            break;
        case 2:
            g = c, b = x;
            break;
        case 3:
            g = x, b = c;
            break;
        case 4:
            r = x, b = c;
            break;
        default:
            r = c, b = x;
            break;
    }
    return {static_cast<uint8_t>((r + m) * 255), static_cast<uint8_t>((g + m) * 255),
            static_cast<uint8_t>((b + m) * 255)};
}

void RecordingBackend::Polyline(const std::vector<Point2>& p, bool closed, Rgb c, double w) {
    items.push_back({Item::Kind::Polyline, p, c, w, closed ? "closed" : ""});
}
void RecordingBackend::Polygon(const std::vector<Point2>& p, Rgb c) {
    items.push_back({Item::Kind::Polygon, p, c, 0, ""});
}
void RecordingBackend::Circle(Point2 centre, double r, Rgb c) {
    items.push_back({Item::Kind::Circle, {centre}, c, r, ""});
}
void RecordingBackend::Text(const std::string& text, Point2 origin, double h, double, double,
                            Rgb c) {
    items.push_back({Item::Kind::Text, {origin}, c, h, text});
}

Affine DeviceTransform(const Box& window, double width, double height, double margin) {
    double w = std::max(window.max_x - window.min_x, 1e-9),
           h = std::max(window.max_y - window.min_y, 1e-9);
    double s = std::min((width - 2 * margin) / w, (height - 2 * margin) / h);
    double cx = (window.min_x + window.max_x) / 2, cy = (window.min_y + window.max_y) / 2;
    return {s, 0, width / 2 - s * cx, 0, -s, height / 2 + s * cy};
}

std::vector<std::string> DisplayLines(const TextEntity& t) {
    std::string s = t.text, out;
    if (t.kind == Kind::Text) {
        s = ReplaceAll(ReplaceAll(ReplaceAll(ReplaceAll(s, "%%d", "°"), "%%D", "°"), "%%c", "Ø"),
                       "%%p", "±");
        s = ReplaceAll(ReplaceAll(s, "%%C", "Ø"), "%%P", "±");
        return {ReplaceAll(s, "%%%", "%")};
    }
    std::vector<std::string> lines;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '{' || c == '}') continue;
        if (c != '\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        char k = s[++i];
        if (k == 'P') {
            lines.push_back(out), out.clear();
        } else if (k == '~') {
            out += ' ';
        } else if (k == '\\' || k == '{' || k == '}') {
            out += k;
        } else if (std::strchr("fFHWQTACcpS", k)) {
            // A formatting code runs to its semicolon.
            size_t end = s.find(';', i);
            if (k == 'S') {  // stacked text: show it flat
                std::string stacked =
                    s.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
                for (char& ch : stacked)
                    if (ch == '^' || ch == '#') ch = '/';
                out += stacked;
            }
            i = end == std::string::npos ? s.size() : end;
        }
        // \L \l \O \o \K \k and others: toggles with no text
    }
    lines.push_back(out);
    return lines;
}

namespace {

class Painter {
  public:
    Painter(const Drawing& d, const Affine& device, PaintBackend& backend)
        : d_(d), device_(device), out_(backend) {}

    void Entity(const EntityBase& e, const Affine& t, Rgb by_block, int depth) {
        const auto& layer = *d_.layers()[e.layer];
        if (layer.color < 0 && depth == 0) return;  // layer off
        // Inside a block, layer "0" stands for the layer of the reference.
        bool inherits = e.color == 0 || (e.color == 256 && depth > 0 && layer.name == "0");
        Rgb colour = inherits         ? by_block
                     : e.color == 256 ? AciColour(layer.color)
                                      : AciColour(e.color);
        Affine full = device_ * t;
        double s = full.Scale();
        switch (e.kind) {
            case Kind::Line: {
                const auto& l = static_cast<const LineEntity&>(e);
                out_.Polyline({full({l.a.x, l.a.y}), full({l.b.x, l.b.y})}, false, colour, 0);
                break;
            }
            case Kind::Circle:
                if (full.Conformal()) {
                    const auto& c = static_cast<const CircleEntity&>(e);
                    out_.Circle(full({c.centre.x, c.centre.y}), c.radius * s, colour);
                    break;
                }
                [[fallthrough]];
            case Kind::Arc: {
                const auto& c = static_cast<const CircleEntity&>(e);
                double a0 = e.kind == Kind::Arc ? c.start_angle * M_PI / 180 : 0;
                double a1 = e.kind == Kind::Arc ? c.end_angle * M_PI / 180 : 2 * M_PI;
                if (a1 < a0) a1 += 2 * M_PI;
                std::vector<Point2> pts;
                ArcPoints({c.centre.x, c.centre.y}, c.radius, a0, a1, pts);
                Map(full, pts);
                out_.Polyline(pts, false, colour, 0);
                break;
            }
            case Kind::LwPolyline:
            case Kind::Polyline:
                Polyline(static_cast<const PolylineEntity&>(e), full, colour);
                break;
            case Kind::Text:
            case Kind::MText:
                Text(static_cast<const TextEntity&>(e), full, colour);
                break;
            case Kind::Point: {
                Point2 p = full({static_cast<const PointEntity&>(e).position.x,
                                 static_cast<const PointEntity&>(e).position.y});
                out_.Circle(p, 0.5, colour);
                break;
            }
            case Kind::Solid: {
                const auto& so = static_cast<const SolidEntity&>(e);
                std::vector<Point2> pts;
                for (const Point2& c : so.corners) pts.push_back(full(c));
                out_.Polygon(pts, colour);
                break;
            }
            case Kind::Insert: {
                const auto& i = static_cast<const InsertEntity&>(e);
                if (depth > 16 || i.block < 0) break;
                const Block& b = *d_.blocks()[i.block];
                Affine ti = t * Affine::Insert({i.position.x, i.position.y}, i.x_scale, i.y_scale,
                                               i.rotation, {b.base.x, b.base.y});
                for (const auto& be : b.entities)
                    if (!be->erased) Entity(*be, ti, colour, depth + 1);
                for (const Attribute& a : i.attributes) {
                    TextEntity text(Kind::Text, nullptr);
                    text.text = a.text, text.position = text.alignment_point = a.position;
                    text.height = a.height, text.rotation = a.rotation, text.layer = a.layer;
                    Text(text, device_ * t, AciColour(d_.layers()[a.layer]->color));
                }
                break;
            }
            case Kind::Other: {
                const auto& o = static_cast<const OtherEntity&>(e);
                if (o.block >= 0 && depth <= 16) {  // a dimension's block lies in place
                    for (const auto& be : d_.blocks()[o.block]->entities)
                        if (!be->erased) Entity(*be, t, colour, depth + 1);
                } else if (o.type == "SPLINE") {
                    std::vector<Point2> pts = SplinePoints(o);
                    Map(full, pts);
                    if (pts.size() > 1) out_.Polyline(pts, false, colour, 0);
                }
                break;
            }
        }
    }

  private:
    static void Map(const Affine& t, std::vector<Point2>& pts) {
        for (Point2& p : pts) p = t(p);
    }

    void Polyline(const PolylineEntity& p, const Affine& full, Rgb colour) {
        bool widths = p.constant_width > 0;
        for (const Vertex& v : p.vertices) widths |= v.start_width > 0 || v.end_width > 0;
        if (!widths) {
            std::vector<Point2> pts;
            PolylinePoints(p, pts);
            Map(full, pts);
            if (pts.size() == 1)
                out_.Circle(pts[0], 0.5, colour);
            else
                out_.Polyline(pts, false, colour, 0);
            return;
        }
        // Wide segments as filled quadrilaterals, tapering from start to end width.
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
                Map(full, centre);
                out_.Polyline(centre, false, colour, (w0 + w1) / 2 * full.Scale());
                continue;
            }
            double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
            if (len == 0) continue;
            double nx = -dy / len, ny = dx / len;
            std::vector<Point2> quad{full({a.x + nx * w0 / 2, a.y + ny * w0 / 2}),
                                     full({b.x + nx * w1 / 2, b.y + ny * w1 / 2}),
                                     full({b.x - nx * w1 / 2, b.y - ny * w1 / 2}),
                                     full({a.x - nx * w0 / 2, a.y - ny * w0 / 2})};
            out_.Polygon(quad, colour);
        }
    }

    void Text(const TextEntity& t, const Affine& full, Rgb colour) {
        // The text's box as the selection sees it gives its place on the page.
        struct Corners : PrimitiveSink {
            std::vector<Point2> c;
            void Segment(Point2, Point2) override {}
            void Circle(Point2, double) override {}
            void Area(const Point2* p, int n) override { c.assign(p, p + n); }
        } box;
        d_.Primitives(t, full, box);
        if (box.c.size() != 4) return;
        double height = std::hypot(box.c[3].x - box.c[0].x, box.c[3].y - box.c[0].y);
        double width = std::hypot(box.c[1].x - box.c[0].x, box.c[1].y - box.c[0].y);
        if (height < 0.5) return;  // smaller than a pixel: nothing to read
        double rotation = std::atan2(-(box.c[1].y - box.c[0].y), box.c[1].x - box.c[0].x);
        if (height < 3) {  // a few pixels: a stroke where the text stands
            out_.Polyline({box.c[0], box.c[1]}, false, colour, 0);
            return;
        }
        std::vector<std::string> lines = DisplayLines(t);
        if (lines.size() == 1) {
            out_.Text(lines[0], box.c[0], height, rotation, width, colour);
            return;
        }
        // MTEXT lines from the top of the box down, 1.667 heights apart.
        double line_h = height / (lines.size() * 1.667 - 0.667);
        double ux = (box.c[3].x - box.c[0].x) / height, uy = (box.c[3].y - box.c[0].y) / height;
        for (size_t k = 0; k < lines.size(); ++k) {
            double up = height - line_h - k * line_h * 1.667;
            Point2 origin{box.c[0].x + ux * up, box.c[0].y + uy * up};
            out_.Text(lines[k], origin, line_h, rotation, 0, colour);
        }
    }

    const Drawing& d_;
    Affine device_;
    PaintBackend& out_;
};

}  // namespace

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

void Paint(const Drawing& drawing, const Box& window, double width, double height,
           PaintBackend& backend) {
    Affine device = DeviceTransform(window, width, height);
    Painter painter(drawing, device, backend);
    auto extents = drawing.Extents();
    if (extents && window.Contains(*extents)) {
        for (const auto& e : drawing.entities())
            if (!e->erased && !e->paper) painter.Entity(*e, Affine{}, AciColour(7), 0);
        return;
    }
    for (EntityBase* e : drawing.Candidates(window)) painter.Entity(*e, Affine{}, AciColour(7), 0);
}

}  // namespace velorin::cad::embedded
