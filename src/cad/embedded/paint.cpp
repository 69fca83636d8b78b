#include "cad/embedded/paint.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "base/strings.h"
#include "base/text_file.h"
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

namespace {

using Stroke = ShownLine::Stroke;

// Shown lines as they are built: characters, line breaks and strokes switched on and off.
class ShownBuilder {
  public:
    using State = std::array<bool, 3>;

    void Add(std::string_view s) { line_.text += s; }
    void Switch(Stroke k, bool on) {
        size_t i = static_cast<size_t>(k);
        if (on == on_[i]) return;
        if (on)
            begin_[i] = line_.text.size();
        else
            Close(k);
        on_[i] = on;
    }
    void Toggle(Stroke k) { Switch(k, !on_[static_cast<size_t>(k)]); }
    State state() const { return on_; }
    void Restore(const State& s) {
        for (size_t i = 0; i < 3; ++i) Switch(static_cast<Stroke>(i), s[i]);
    }
    // A stroke that is on goes on along the next line.
    void Break() {
        EndLine();
        line_ = {};
        begin_ = {0, 0, 0};
    }
    std::vector<ShownLine> Finish() {
        EndLine();
        return std::move(lines_);
    }

  private:
    void Close(Stroke k) {
        size_t b = begin_[static_cast<size_t>(k)];
        if (b < line_.text.size()) line_.runs.push_back({b, line_.text.size(), k});
    }
    void EndLine() {
        for (size_t i = 0; i < 3; ++i)
            if (on_[i]) Close(static_cast<Stroke>(i));
        std::sort(line_.runs.begin(), line_.runs.end(), [](const auto& a, const auto& b) {
            return a.begin != b.begin ? a.begin < b.begin : a.stroke < b.stroke;
        });
        lines_.push_back(std::move(line_));
    }

    std::vector<ShownLine> lines_;
    ShownLine line_;
    State on_{};
    std::array<size_t, 3> begin_{};
};

// "%%" codes, in TEXT and MTEXT alike; the length taken from `s` at `i`, 0 for none.
size_t PercentCode(std::string_view s, size_t i, ShownBuilder& out) {
    if (s.compare(i, 2, "%%") != 0 || i + 2 >= s.size()) return 0;
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + 2])));
    switch (c) {
        case 'd':
            return out.Add("°"), 3;
        case 'p':
            return out.Add("±"), 3;
        case 'c':
            return out.Add("⌀"), 3;
        case '%':
            return out.Add("%"), 3;
        case 'u':
            return out.Toggle(Stroke::Under), 3;
        case 'o':
            return out.Toggle(Stroke::Over), 3;
        case 'k':
            return out.Toggle(Stroke::Through), 3;
    }
    if (i + 5 > s.size() || !std::isdigit(static_cast<unsigned char>(s[i + 2])) ||
        !std::isdigit(static_cast<unsigned char>(s[i + 3])) ||
        !std::isdigit(static_cast<unsigned char>(s[i + 4])))
        return 0;
    int code = (s[i + 2] - '0') * 100 + (s[i + 3] - '0') * 10 + (s[i + 4] - '0');
    // Character nnn of the Latin-1 page; control codes and what lies beyond the page
    // stay as written rather than vanish.
    if ((code < 32 || code > 126) && (code < 160 || code > 255)) return 0;
    std::string ch;
    AppendUtf8(ch, static_cast<char32_t>(code));
    out.Add(ch);
    return 5;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// "\M+nXXXX": a double-byte character of an old drawing, XXXX its two bytes in hex; n 1
// or 5 for the GBK page of Chinese drawings. Others stay as written.
size_t MultiByteCode(std::string_view s, size_t i, ShownBuilder& out) {
    if (s.compare(i, 3, "\\M+") != 0 || i + 8 > s.size()) return 0;
    if (s[i + 3] != '1' && s[i + 3] != '5') return 0;
    int value = 0;
    for (size_t k = i + 4; k < i + 8; ++k) {
        int d = HexDigit(s[k]);
        if (d < 0) return 0;
        value = value * 16 + d;
    }
    const char bytes[2] = {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
    std::string ch = GbkToUtf8(std::string_view(bytes, 2));
    if (ch.empty() || ch.find("\xEF\xBF\xBD") != std::string::npos || CharCount(ch) != 1) return 0;
    out.Add(ch);
    return 8;
}

// Codes that only MTEXT knows; the length taken from `s` at `i` (a backslash).
size_t MTextCode(std::string_view s, size_t i, ShownBuilder& out) {
    if (i + 1 >= s.size()) return 0;
    char k = s[i + 1];
    switch (k) {
        case 'P':
            return out.Break(), 2;
        case '~':
            return out.Add(" "), 2;
        case '\\':
        case '{':
        case '}':
            return out.Add(std::string_view(&s[i + 1], 1)), 2;
        case 'L':
        case 'l':
            return out.Switch(Stroke::Under, k == 'L'), 2;
        case 'O':
        case 'o':
            return out.Switch(Stroke::Over, k == 'O'), 2;
        case 'K':
        case 'k':
            return out.Switch(Stroke::Through, k == 'K'), 2;
    }
    if (std::strchr("fFHWQTACcpS", k)) {
        // A formatting code runs to its semicolon; stacked text is shown flat.
        size_t end = s.find(';', i);
        size_t stop = end == std::string_view::npos ? s.size() : end;
        if (k == 'S') {
            std::string stacked(s.substr(i + 2, stop - i - 2));
            for (char& ch : stacked)
                if (ch == '^' || ch == '#') ch = '/';
            out.Add(stacked);
        }
        return stop == s.size() ? stop - i : stop - i + 1;
    }
    return 2;  // \N and others: switches with no text
}

}  // namespace

std::vector<ShownLine> DisplayText(const TextEntity& t) {
    std::string_view s = t.text;
    bool mtext = t.kind == Kind::MText;
    ShownBuilder out;
    std::vector<ShownBuilder::State> groups;  // MTEXT braces keep the strokes of their group
    for (size_t i = 0; i < s.size();) {
        size_t n = PercentCode(s, i, out);
        if (!n) n = MultiByteCode(s, i, out);
        if (!n && mtext) {
            if (s[i] == '{') {
                groups.push_back(out.state());
                n = 1;
            } else if (s[i] == '}') {
                if (!groups.empty()) out.Restore(groups.back()), groups.pop_back();
                n = 1;
            } else if (s[i] == '\\') {
                n = MTextCode(s, i, out);
            }
        }
        if (!n) out.Add(s.substr(i, 1)), n = 1;
        i += n;
    }
    return out.Finish();
}

namespace {

// Paints what the walk reaches; colours "by block" come from the reference that draws
// the block. Layers are honoured as CAD programs do: nothing on a layer that is off or
// frozen is drawn, where inside a block layer "0" stands for the reference's layer; a
// reference on a frozen layer draws nothing at all, one on a layer that is off still
// draws what its block holds on other layers.
class Painter : public EntityVisitor {
  public:
    Painter(const Drawing& d, const Affine& device, PaintBackend& backend)
        : d_(d), device_(device), out_(backend) {}

    void Entity(const EntityBase& e) {
        by_block_.assign(1, AciColour(7));
        layer_.clear();
        WalkEntity(d_, e, Affine{}, *this);
    }

    bool Enter(const EntityBase& reference, const Affine&, int depth) override {
        int layer = Resolved(reference.layer, depth);
        if (d_.layers()[layer]->frozen) return false;
        by_block_.push_back(Colour(reference, depth));
        layer_.push_back(layer);
        return true;
    }
    void Leave() override {
        by_block_.pop_back();
        layer_.pop_back();
    }

    void Leaf(const EntityBase& e, const Affine& t, int depth) override {
        if (Hidden(Resolved(e.layer, depth))) return;
        const EntityType& type = TypeOf(e);
        if (type.paint) type.paint(e, device_ * t, Colour(e, depth), out_);
    }

    void Attribute(const EntityBase& reference, const struct Attribute& a, const Affine& t,
                   int depth) override {
        int owner = Resolved(reference.layer, depth);
        int layer = IsLayerZero(a.layer) ? owner : a.layer;
        if (d_.layers()[owner]->frozen || Hidden(layer)) return;
        PaintText(AttributeText(a), device_ * t, AciColour(d_.layers()[layer]->color), out_);
    }

  private:
    bool IsLayerZero(int layer) const { return d_.layers()[layer]->name == "0"; }
    // The layer an entity at `depth` shows on.
    int Resolved(int layer, int depth) const {
        return depth > 0 && !layer_.empty() && IsLayerZero(layer) ? layer_.back() : layer;
    }
    bool Hidden(int layer) const { return !d_.layers()[layer]->Shown(); }

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
    std::vector<int> layer_;  // the layer each reference being drawn shows on
};

}  // namespace

void Paint(const Drawing& drawing, const Box& window, double width, double height,
           PaintBackend& backend, double margin) {
    Affine device = DeviceTransform(window, width, height, margin);
    backend.visible = Box{0, 0, width, height};
    Painter painter(drawing, device, backend);
    auto extents = drawing.Extents();
    if (extents && window.Contains(*extents)) {
        for (const auto& e : drawing.entities())
            if (!e->erased && !e->paper) painter.Entity(*e);
    } else {
        for (EntityBase* e : drawing.Candidates(window)) painter.Entity(*e);
    }
    backend.Flush();
}

}  // namespace velorin::cad::embedded
