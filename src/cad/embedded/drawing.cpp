#include "cad/embedded/drawing.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/function_output_iterator.hpp>

#include "base/strings.h"
#include "cad/embedded/block_walk.h"
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
    const EntityType& t = TypeOf(*this);
    return t.name ? t.name : static_cast<const OtherEntity*>(this)->type;
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
    // In drawing coordinates: a polyline seen from below has its x turned.
    double sx = mirrored ? -1 : 1;
    for (const Vertex& v : vertices) out.push_back(sx * v.x), out.push_back(v.y);
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
        const EntityType& type = TypeOf(*e);
        EntityPtr copy = type.copy ? type.copy(*e, *this, source) : nullptr;
        if (!copy) continue;  // solids and foreign records are not carried over
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

// Hands the primitives of everything the walk reaches to a sink.
class PrimitiveVisitor : public EntityVisitor {
  public:
    explicit PrimitiveVisitor(PrimitiveSink& sink) : sink_(sink) {}
    void Leaf(const EntityBase& e, const Affine& t, int) override {
        const EntityType& type = TypeOf(e);
        if (type.primitives) type.primitives(e, t, sink_);
    }
    void Attribute(const EntityBase&, const struct Attribute& a, const Affine& t, int) override {
        TextBox(AttributeText(a), t, sink_);
    }

  private:
    PrimitiveSink& sink_;
};

// Extents of a block's entities: a nested block counts by its own extents, worked out
// once, so nesting costs no more than the entities the drawing holds.
class BlockBoxVisitor : public PrimitiveVisitor {
  public:
    BlockBoxVisitor(const Drawing& d, BoxSink& sink) : PrimitiveVisitor(sink), d_(d), box_(sink) {}
    bool Enter(const EntityBase& reference, const Affine& inner, int) override {
        Expansion x;
        TypeOf(reference).expand(d_, reference, x);
        const Box& local = d_.BlockExtents(*x.block);
        if (local.valid()) box_.box.Add(inner.Map(local));
        return false;
    }

  private:
    const Drawing& d_;
    BoxSink& box_;
};

}  // namespace

void Drawing::Primitives(const EntityBase& e, const Affine& t, PrimitiveSink& sink,
                         int depth) const {
    PrimitiveVisitor visitor(sink);
    WalkEntity(*this, e, t, visitor, depth);
}

const Box& Drawing::BlockExtents(const Block& b) const {
    if (!b.extents) {
        b.extents = Box{};  // a block that contains itself adds nothing of itself
        BoxSink sink;
        BlockBoxVisitor visitor(*this, sink);
        for (const auto& e : b.entities)
            if (!e->erased) WalkEntity(*this, *e, Affine{}, visitor, 0);
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
                Affine t = Placed(e, TypeOf(e), Affine{}) *
                           Affine::Insert({i.position.x, i.position.y}, i.x_scale, i.y_scale,
                                          i.rotation, {b.base.x, b.base.y});
                // The block's box is about its own origin, not its base point.
                box = t.Map(local);
            }
        }
        if (!i.attributes.empty()) {
            BoxSink sink;
            for (const Attribute& a : i.attributes)
                if (!a.invisible) TextBox(AttributeText(a), Placed(a, Affine{}), sink);
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
