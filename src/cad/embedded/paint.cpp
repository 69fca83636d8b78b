#include "cad/embedded/paint.h"

#include <cstring>

#include "base/strings.h"
#include "cad/embedded/block_walk.h"

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
void RecordingBackend::Area(const std::vector<std::vector<Point2>>& rings, Rgb c) {
    Item item{Item::Kind::Area, {}, c, static_cast<double>(rings.size()), ""};
    for (const auto& ring : rings) item.points.insert(item.points.end(), ring.begin(), ring.end());
    items.push_back(std::move(item));
}
void RecordingBackend::Lines(const std::vector<Point2>& ends, Rgb c) {
    items.push_back({Item::Kind::Lines, ends, c, 0, ""});
}
void RecordingBackend::Circle(Point2 centre, double r, Rgb c) {
    items.push_back({Item::Kind::Circle, {centre}, c, r, ""});
}
void RecordingBackend::Text(const std::string& text, Point2 origin, double h, double rotation,
                            double, bool mirrored, Rgb c) {
    items.push_back({Item::Kind::Text, {origin}, c, h, text, rotation, mirrored});
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

// Paints what the walk reaches; colours "by block" come from the reference that draws
// the block.
class Painter : public EntityVisitor {
  public:
    Painter(const Drawing& d, const Affine& device, PaintBackend& backend)
        : d_(d), device_(device), out_(backend) {}

    void Entity(const EntityBase& e) {
        if (d_.layers()[e.layer]->color < 0) return;  // layer off
        by_block_.assign(1, AciColour(7));
        WalkEntity(d_, e, Affine{}, *this);
    }

    bool Enter(const EntityBase& reference, const Affine&, int depth) override {
        by_block_.push_back(Colour(reference, depth));
        return true;
    }
    void Leave() override { by_block_.pop_back(); }

    void Leaf(const EntityBase& e, const Affine& t, int depth) override {
        const EntityType& type = TypeOf(e);
        if (type.paint) type.paint(e, device_ * t, Colour(e, depth), out_);
    }

    void Attribute(const struct Attribute& a, const Affine& t) override {
        PaintText(AttributeText(a), device_ * t, AciColour(d_.layers()[a.layer]->color), out_);
    }

  private:
    Rgb Colour(const EntityBase& e, int depth) const {
        const auto& layer = *d_.layers()[e.layer];
        // Inside a block, layer "0" stands for the layer of the reference.
        bool inherits = e.color == 0 || (e.color == 256 && depth > 0 && layer.name == "0");
        return inherits         ? by_block_.back()
               : e.color == 256 ? AciColour(layer.color)
                                : AciColour(e.color);
    }

    const Drawing& d_;
    Affine device_;
    PaintBackend& out_;
    std::vector<Rgb> by_block_;
};

}  // namespace

void Paint(const Drawing& drawing, const Box& window, double width, double height,
           PaintBackend& backend) {
    Affine device = DeviceTransform(window, width, height);
    backend.visible = Box{0, 0, width, height};
    Painter painter(drawing, device, backend);
    auto extents = drawing.Extents();
    if (extents && window.Contains(*extents)) {
        for (const auto& e : drawing.entities())
            if (!e->erased && !e->paper) painter.Entity(*e);
        return;
    }
    for (EntityBase* e : drawing.Candidates(window)) painter.Entity(*e);
}

}  // namespace velorin::cad::embedded
