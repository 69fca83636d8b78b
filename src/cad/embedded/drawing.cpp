#include "cad/embedded/drawing.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/function_output_iterator.hpp>

#include "base/strings.h"
#include "cad/embedded/dxf_tags.h"

namespace velorin::cad::embedded {

std::string NewDrawingTemplate();

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;
using IndexPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using IndexBox = bg::model::box<IndexPoint>;
using IndexValue = std::pair<IndexBox, uint32_t>;

struct Drawing::SpatialIndex {
    bgi::rtree<IndexValue, bgi::rstar<16>> tree;
    std::unordered_map<const EntityBase*, uint32_t> position;  // entity -> index in entities_
};

namespace {
IndexBox ToIndex(const Box& b) {
    return IndexBox(IndexPoint(b.min_x, b.min_y), IndexPoint(b.max_x, b.max_y));
}
}  // namespace

Drawing::Drawing() = default;
Drawing::~Drawing() = default;

std::unique_ptr<Drawing> Drawing::New() {
    Status status;
    auto d = Parse(NewDrawingTemplate(), "", &status);
    return d;
}

// --- Tables ---

namespace {
HResult Fail(const Drawing* d, HResult code) { return d ? d->Fail(code) : code; }
}  // namespace

HResult EntityBase::Report(HResult code) { return Fail(drawing, code); }

HResult Layer::SetColor(int color_index) {
    if (color_index < 0 || color_index > 256) return Fail(drawing, kInvalidArgument);
    color = color_index;
    changed = true;
    return kOk;
}

HResult TextStyle::SetFontFile(const std::string& file) {
    // The host paints every font with its own substitute; a font is missing only when
    // no name is given.
    if (Trim(file).empty()) return Fail(drawing, kUnexpected);
    font = file;
    changed = true;
    return kOk;
}

HResult TextStyle::SetBigFontFile(const std::string& file) {
    big_font = file;
    changed = true;
    return kOk;
}

HResult TextStyle::SetWidth(double w) {
    if (!(w > 0)) return Fail(drawing, kInvalidArgument);
    width = w;
    changed = true;
    return kOk;
}

Layer* Drawing::FindLayer(std::string_view name) const {
    int i = LayerIndex(name);
    return i < 0 ? nullptr : layers_[i].get();
}

int Drawing::LayerIndex(std::string_view name) const {
    auto it = layer_index_.find(UpperCase(name));
    return it == layer_index_.end() ? -1 : it->second;
}

Layer* Drawing::AddLayer(const std::string& name) {
    if (Layer* l = FindLayer(name)) return l;
    auto layer = std::make_unique<Layer>();
    layer->drawing = this;
    layer->name = name;
    layer->handle = NextHandle();
    layer_index_[UpperCase(name)] = static_cast<int>(layers_.size());
    layers_.push_back(std::move(layer));
    return layers_.back().get();
}

TextStyle* Drawing::FindStyle(std::string_view name) const {
    for (const auto& s : styles_)
        if (EqualsIgnoreCase(s->name, name)) return s.get();
    return nullptr;
}

TextStyle* Drawing::AddStyle(const std::string& name) {
    if (TextStyle* s = FindStyle(name)) return s;
    auto style = std::make_unique<TextStyle>();
    style->drawing = this;
    style->name = name;
    style->font = "txt";
    style->handle = NextHandle();
    styles_.push_back(std::move(style));
    return styles_.back().get();
}

int Drawing::BlockIndex(std::string_view name) const {
    auto it = block_index_.find(UpperCase(name));
    return it == block_index_.end() ? -1 : it->second;
}

// --- Variables ---

std::optional<Variable> Drawing::GetVariable(const std::string& name) const {
    auto it = variables_.find(UpperCase(name));
    if (it == variables_.end()) return std::nullopt;
    return it->second;
}

void Drawing::SetHeaderVariable(const std::string& name, const Variable& value) {
    variables_[UpperCase(name)] = value;
}

// --- Entities ---

void Drawing::Adopt(EntityBase* e) {
    e->handle = NextHandle();
    e->owner = model_space_record_;
    e->layer = current_layer;
    GrowExtents(*e);
    if (index_) IndexEntity(e);
}

void Drawing::GrowExtents(const EntityBase& e) const {
    if (!model_extents_known_ || e.erased || e.paper) return;
    if (auto b = Extents(e)) {
        if (model_extents_)
            model_extents_->Add(*b);
        else
            model_extents_ = *b;
    }
}

PolylineEntity* Drawing::AddPolyline(const std::vector<Point2>& points) {
    auto e = std::make_unique<PolylineEntity>(Kind::LwPolyline, this);
    for (Point2 p : points) e->vertices.push_back({p.x, p.y, 0, 0, 0});
    auto* out = e.get();
    entities_.push_back(std::move(e));
    Adopt(out);
    return out;
}

TextEntity* Drawing::AddText(const std::string& text, Point3 at, double height) {
    auto e = std::make_unique<TextEntity>(Kind::Text, this);
    e->text = text;
    e->position = e->alignment_point = at;
    e->height = height;
    e->style = current_style;
    if (current_style < static_cast<int>(styles_.size()))
        e->width_factor = styles_[current_style]->width;
    auto* out = e.get();
    entities_.push_back(std::move(e));
    Adopt(out);
    return out;
}

CircleEntity* Drawing::AddCircle(Point3 centre, double radius) {
    auto e = std::make_unique<CircleEntity>(Kind::Circle, this);
    e->centre = centre;
    e->radius = radius;
    auto* out = e.get();
    entities_.push_back(std::move(e));
    Adopt(out);
    return out;
}

LineEntity* Drawing::AddLine(Point3 a, Point3 b) {
    auto e = std::make_unique<LineEntity>(this);
    e->a = a;
    e->b = b;
    auto* out = e.get();
    entities_.push_back(std::move(e));
    Adopt(out);
    return out;
}

InsertEntity* Drawing::AddInsert(int block, Point3 at, double xs, double ys, double zs,
                                 double rotation_deg) {
    auto e = std::make_unique<InsertEntity>(this);
    e->block = block;
    e->position = at;
    e->x_scale = xs, e->y_scale = ys, e->z_scale = zs;
    e->rotation = rotation_deg;
    auto* out = e.get();
    entities_.push_back(std::move(e));
    Adopt(out);
    return out;
}

std::string EntityBase::EntityName() const {
    switch (kind) {
        case Kind::Line:
            return "LINE";
        case Kind::Arc:
            return "ARC";
        case Kind::Circle:
            return "CIRCLE";
        case Kind::LwPolyline:
            return "LWPOLYLINE";
        case Kind::Polyline:
            return "POLYLINE";
        case Kind::Text:
            return "TEXT";
        case Kind::MText:
            return "MTEXT";
        case Kind::Point:
            return "POINT";
        case Kind::Insert:
            return "INSERT";
        case Kind::Solid:
            return "SOLID";
        case Kind::Other:
            return static_cast<const OtherEntity*>(this)->type;
    }
    return {};
}

std::string EntityBase::Handle() const { return dxf::HandleText(handle); }

std::string EntityBase::Layer() const { return drawing->layers()[layer]->name; }

HResult EntityBase::SetLayer(const std::string& name) {
    if (erased) return Report(kUnexpected);
    int index = drawing->LayerIndex(name);
    if (index < 0) return Report(kNotFound);
    if (index != layer) {
        layer = index;
        if (!raw.empty()) layer_changed = true;
    }
    return kOk;
}

HResult EntityBase::Erase() {
    if (erased) return Report(kUnexpected);
    erased = true;
    if (drawing) drawing->Removed();
    return kOk;
}

namespace {
// Geometry of a read record changed: it is rewritten from the model, and the spatial
// index learns its new extents.
void Changed(EntityBase& e) {
    if (!e.raw.empty()) e.regenerate = true;
    e.drawing->Touched(&e);
}
}  // namespace

HResult PolylineEntity::AddVertex(int index, double x, double y) {
    if (kind != Kind::LwPolyline || erased) return Report(kMemberNotFound);
    if (index < 0 || index > static_cast<int>(vertices.size())) return Report(kInvalidArgument);
    vertices.insert(vertices.begin() + index, Vertex{x, y, 0, 0, 0});
    Changed(*this);
    return kOk;
}

HResult PolylineEntity::SetWidth(int segment, double start_width, double end_width) {
    if (kind != Kind::LwPolyline || erased) return Report(kMemberNotFound);
    if (segment < 0 || segment >= static_cast<int>(vertices.size()) || start_width < 0 ||
        end_width < 0)
        return Report(kInvalidArgument);
    vertices[segment].start_width = start_width;
    vertices[segment].end_width = end_width;
    Changed(*this);
    return kOk;
}

HResult PolylineEntity::SetClosed(bool c) {
    if (kind != Kind::LwPolyline || erased) return Report(kMemberNotFound);
    closed = c;
    Changed(*this);
    return kOk;
}

std::vector<double> PolylineEntity::Coordinates() const {
    std::vector<double> out;
    out.reserve(vertices.size() * 2);
    for (const Vertex& v : vertices) out.push_back(v.x), out.push_back(v.y);
    return out;
}

HResult TextEntity::SetScaleFactor(double factor) {
    if (kind != Kind::Text) return Report(kMemberNotFound);
    if (!(factor > 0)) return Report(kInvalidArgument);
    width_factor = factor;
    Changed(*this);
    return kOk;
}

HResult TextEntity::SetRotation(double radians) {
    if (kind != Kind::Text) return Report(kMemberNotFound);
    rotation = radians * 180 / M_PI;
    Changed(*this);
    return kOk;
}

HResult TextEntity::SetHorizontalAlignment(HorizontalAlignment a) {
    if (kind != Kind::Text) return Report(kMemberNotFound);
    horizontal = static_cast<int>(a);
    Changed(*this);
    return kOk;
}

HResult TextEntity::SetVerticalAlignment(VerticalAlignment a) {
    if (kind != Kind::Text) return Report(kMemberNotFound);
    vertical = static_cast<int>(a);
    Changed(*this);
    return kOk;
}

HResult TextEntity::SetTextAlignmentPoint(Point3 p) {
    if (kind != Kind::Text) return Report(kMemberNotFound);
    alignment_point = p;
    Changed(*this);
    return kOk;
}

std::string InsertEntity::Name() const {
    return block >= 0 ? drawing->blocks()[block]->name : std::string();
}

// --- Blocks from other drawings ---

namespace {
template <class T>
std::unique_ptr<T> CopyOf(const EntityBase& e) {
    return std::make_unique<T>(static_cast<const T&>(e));
}
}  // namespace

int Drawing::ImportBlock(const Drawing& source, const std::string& name) {
    if (int existing = BlockIndex(name); existing >= 0 && blocks_[existing]->defined)
        return existing;
    const std::vector<EntityPtr>* entities = &source.entities_;
    Point3 base;
    int source_index = source.BlockIndex(name);
    if (source_index >= 0 && source.blocks_[source_index]->defined) {
        entities = &source.blocks_[source_index]->entities;
        base = source.blocks_[source_index]->base;
    }
    auto block = std::make_unique<Block>();
    block->name = name;
    block->base = base;
    block->handle = NextHandle();
    block->end_handle = NextHandle();
    block->record_handle = NextHandle();
    Block* target = block.get();
    int index = BlockIndex(name);
    if (index >= 0) {
        blocks_[index] = std::move(block);  // replaces a reference-only entry
    } else {
        index = static_cast<int>(blocks_.size());
        block_index_[UpperCase(name)] = index;
        blocks_.push_back(std::move(block));
    }
    for (const auto& e : *entities) {
        if (e->erased || e->paper) continue;
        EntityPtr copy;
        switch (e->kind) {
            case Kind::Line:
                copy = CopyOf<LineEntity>(*e);
                break;
            case Kind::Arc:
            case Kind::Circle:
                copy = CopyOf<CircleEntity>(*e);
                break;
            case Kind::LwPolyline:
            case Kind::Polyline: {
                auto p = CopyOf<PolylineEntity>(*e);
                p->kind = Kind::LwPolyline;
                p->flags = 0;
                copy = std::move(p);
                break;
            }
            case Kind::Text:
            case Kind::MText: {
                auto t = CopyOf<TextEntity>(*e);
                int from = t->style;
                t->style = 0;
                if (from >= 0 && from < static_cast<int>(source.styles_.size())) {
                    TextStyle* s = FindStyle(source.styles_[from]->name);
                    for (size_t i = 0; s && i < styles_.size(); ++i)
                        if (styles_[i].get() == s) t->style = static_cast<int>(i);
                }
                copy = std::move(t);
                break;
            }
            case Kind::Point:
                copy = CopyOf<PointEntity>(*e);
                break;
            case Kind::Insert: {
                auto i = CopyOf<InsertEntity>(*e);
                i->block = ImportBlock(source, source.blocks_[i->block]->name);
                i->attributes.clear();
                if (i->block < 0) continue;
                copy = std::move(i);
                break;
            }
            default:
                continue;  // solids and foreign records are not carried over
        }
        const auto& source_layer = *source.layers_[e->layer];
        bool had = FindLayer(source_layer.name) != nullptr;
        cad::embedded::Layer* layer = AddLayer(source_layer.name);
        if (!had) layer->color = source_layer.color;
        copy->drawing = this;
        copy->layer = LayerIndex(source_layer.name);
        copy->raw = {};
        copy->regenerate = copy->layer_changed = false;
        copy->handle = NextHandle();
        copy->owner = target->record_handle;
        target->entities.push_back(std::move(copy));
    }
    return index;
}

// --- Geometry ---

namespace {

class BoxSink : public PrimitiveSink {
  public:
    Box box;
    void Segment(Point2 a, Point2 b) override { box.Add(a), box.Add(b); }
    void Circle(Point2 c, double r) override {
        box.Add(Point2{c.x - r, c.y - r});
        box.Add(Point2{c.x + r, c.y + r});
    }
};

// Corners of a text's box: along the baseline from the anchor, up by its height.
void TextBox(const TextEntity& t, const Affine& tr, PrimitiveSink& sink) {
    double h = t.height > 0 ? t.height : 1;
    double w;
    double dx = 0, dy = 0;
    Point3 anchor = t.position;
    if (t.kind == Kind::MText) {
        double longest = 0, line = 0;
        int lines = 1;
        std::string_view s = t.text;
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
        w = std::max(t.box_width, longest * h);
        double total = lines * h * 1.667 - 0.667 * h;
        int a = t.horizontal >= 1 && t.horizontal <= 9 ? t.horizontal : 1;
        dx = -w * ((a - 1) % 3) / 2.0;
        int row = (a - 1) / 3;  // 0 top, 1 middle, 2 bottom
        dy = row == 0 ? -total : row == 1 ? -total / 2 : 0;
        double hh = total;
        double r = t.rotation * M_PI / 180, cs = std::cos(r), sn = std::sin(r);
        Point2 corners[4];
        double xs[4] = {dx, dx + w, dx + w, dx}, ys[4] = {dy, dy, dy + hh, dy + hh};
        for (int k = 0; k < 4; ++k)
            corners[k] =
                tr({anchor.x + xs[k] * cs - ys[k] * sn, anchor.y + xs[k] * sn + ys[k] * cs});
        sink.Area(corners, 4);
        return;
    }
    w = TextAdvance(t.text) * h * (t.width_factor > 0 ? t.width_factor : 1);
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
    double r = rotation * M_PI / 180, cs = std::cos(r), sn = std::sin(r);
    double xs[4] = {dx, dx + w, dx + w, dx}, ys[4] = {dy, dy, dy + h, dy + h};
    Point2 corners[4];
    for (int k = 0; k < 4; ++k)
        corners[k] = tr({anchor.x + xs[k] * cs - ys[k] * sn, anchor.y + xs[k] * sn + ys[k] * cs});
    sink.Area(corners, 4);
}

}  // namespace

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

void Drawing::Primitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink,
                         int depth) const {
    switch (e.kind) {
        case Kind::Line: {
            const auto& l = static_cast<const LineEntity&>(e);
            sink.Segment(t({l.a.x, l.a.y}), t({l.b.x, l.b.y}));
            break;
        }
        case Kind::Circle:
        case Kind::Arc: {
            const auto& c = static_cast<const CircleEntity&>(e);
            if (e.kind == Kind::Circle && t.Conformal()) {
                sink.Circle(t({c.centre.x, c.centre.y}), c.radius * t.Scale());
                break;
            }
            double a0 = e.kind == Kind::Arc ? c.start_angle * M_PI / 180 : 0;
            double a1 = e.kind == Kind::Arc ? c.end_angle * M_PI / 180 : 2 * M_PI;
            if (a1 < a0) a1 += 2 * M_PI;
            std::vector<Point2> pts;
            ArcPoints({c.centre.x, c.centre.y}, c.radius, a0, a1, pts);
            for (size_t i = 0; i + 1 < pts.size(); ++i) sink.Segment(t(pts[i]), t(pts[i + 1]));
            break;
        }
        case Kind::LwPolyline:
        case Kind::Polyline: {
            std::vector<Point2> pts;
            PolylinePoints(static_cast<const PolylineEntity&>(e), pts);
            if (pts.size() == 1) sink.Point(t(pts[0]));
            for (size_t i = 0; i + 1 < pts.size(); ++i) sink.Segment(t(pts[i]), t(pts[i + 1]));
            break;
        }
        case Kind::Text:
        case Kind::MText:
            TextBox(static_cast<const TextEntity&>(e), t, sink);
            break;
        case Kind::Point: {
            const auto& p = static_cast<const PointEntity&>(e);
            sink.Point(t({p.position.x, p.position.y}));
            break;
        }
        case Kind::Solid: {
            const auto& s = static_cast<const SolidEntity&>(e);
            Point2 c[4];
            for (int k = 0; k < 4; ++k) c[k] = t(s.corners[k]);
            sink.Area(c, 4);
            break;
        }
        case Kind::Insert: {
            const auto& i = static_cast<const InsertEntity&>(e);
            if (depth > 16 || i.block < 0) break;
            const Block& b = *blocks_[i.block];
            Affine ti = t * Affine::Insert({i.position.x, i.position.y}, i.x_scale, i.y_scale,
                                           i.rotation, {b.base.x, b.base.y});
            for (const auto& be : b.entities)
                if (!be->erased) Primitives(*be, ti, sink, depth + 1);
            for (const Attribute& a : i.attributes) {
                TextEntity text(Kind::Text, nullptr);
                text.text = a.text, text.position = text.alignment_point = a.position;
                text.height = a.height, text.rotation = a.rotation;
                TextBox(text, t, sink);
            }
            break;
        }
        case Kind::Other: {
            const auto& o = static_cast<const OtherEntity&>(e);
            if (o.block >= 0 && depth <= 16) {  // a dimension: its block, in place
                for (const auto& be : blocks_[o.block]->entities)
                    if (!be->erased) Primitives(*be, t, sink, depth + 1);
            } else if (o.type == "SPLINE") {
                std::vector<Point2> pts = SplinePoints(o);
                for (size_t i = 0; i + 1 < pts.size(); ++i) sink.Segment(t(pts[i]), t(pts[i + 1]));
            }
            break;
        }
    }
}

const Box& Drawing::BlockExtents(const Block& b) const {
    if (!b.extents) {
        b.extents = Box{};  // guards against a block that contains itself
        BoxSink sink;
        for (const auto& e : b.entities)
            if (!e->erased) Primitives(*e, Affine{}, sink, 1);
        b.extents = sink.box;
    }
    return *b.extents;
}

std::optional<Box> Drawing::Extents(const EntityBase& e) const {
    Box box;
    if (e.kind == Kind::Insert) {
        const auto& i = static_cast<const InsertEntity&>(e);
        if (i.block >= 0) {
            const Block& b = *blocks_[i.block];
            const Box& local = BlockExtents(b);
            if (local.valid()) {
                Affine t = Affine::Insert({i.position.x, i.position.y}, i.x_scale, i.y_scale,
                                          i.rotation, {b.base.x, b.base.y});
                // The block's box is about its own origin, not its base point.
                box = t.Map(local);
            }
        }
        if (!i.attributes.empty()) {
            BoxSink sink;
            for (const Attribute& a : i.attributes) {
                TextEntity text(Kind::Text, nullptr);
                text.text = a.text, text.position = text.alignment_point = a.position;
                text.height = a.height, text.rotation = a.rotation;
                TextBox(text, Affine{}, sink);
            }
            box.Add(sink.box);
        }
    } else {
        BoxSink sink;
        Primitives(e, Affine{}, sink);
        box = sink.box;
    }
    if (!box.valid()) return std::nullopt;
    return box;
}

std::optional<Box> Drawing::Extents() const {
    if (model_extents_known_) return model_extents_;
    Box box;
    for (const auto& e : entities_) {
        if (e->erased || e->paper) continue;
        if (auto b = Extents(*e)) box.Add(*b);
    }
    model_extents_ = box.valid() ? std::optional<Box>(box) : std::nullopt;
    model_extents_known_ = true;
    return model_extents_;
}

void Drawing::IndexEntity(EntityBase* e) const {
    auto it = index_->position.find(e);
    uint32_t position;
    if (it == index_->position.end()) {
        position = static_cast<uint32_t>(entities_.size() - 1);
        while (entities_[position].get() != e) --position;  // new entities sit at the end
        index_->position[e] = position;
    } else {
        position = it->second;
    }
    if (auto box = Extents(*e)) index_->tree.insert({ToIndex(*box), position});
}

std::vector<EntityBase*> Drawing::Candidates(const Box& box) const {
    if (!index_) {
        index_ = std::make_unique<SpatialIndex>();
        std::vector<IndexValue> values;
        values.reserve(entities_.size());
        index_->position.reserve(entities_.size());
        for (uint32_t i = 0; i < entities_.size(); ++i) {
            const EntityBase* e = entities_[i].get();
            index_->position[e] = i;
            if (e->erased || e->paper) continue;
            if (auto b = Extents(*e)) values.push_back({ToIndex(*b), i});
        }
        index_->tree = bgi::rtree<IndexValue, bgi::rstar<16>>(values.begin(), values.end());
    }
    std::vector<uint32_t> hits;
    index_->tree.query(bgi::intersects(ToIndex(box)),
                       boost::make_function_output_iterator(
                           [&](const IndexValue& v) { hits.push_back(v.second); }));
    std::sort(hits.begin(), hits.end());
    hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
    std::vector<EntityBase*> out;
    out.reserve(hits.size());
    for (uint32_t i : hits) {
        EntityBase* e = entities_[i].get();
        if (!e->erased && !e->paper) out.push_back(e);
    }
    return out;
}

}  // namespace velorin::cad::embedded
