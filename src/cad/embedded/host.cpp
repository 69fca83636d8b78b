#include "cad/embedded/host.h"

#include "base/paths.h"
#include "base/strings.h"

namespace velorin::cad::embedded {

// --- Filters ---

namespace {

bool Wildcard(std::string_view pattern, std::string_view text) {
    size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p, ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++, mark = t;
        } else if (star != std::string_view::npos) {
            p = star + 1, t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool Matches(const std::string& pattern, const std::string& value) {
    std::string v = UpperCase(value);
    for (const std::string& alternative : Split(UpperCase(pattern), ','))
        if (Wildcard(alternative, v)) return true;
    return false;
}

}  // namespace

bool Pickable(const EntityBase& e, const Filter& filter) {
    return !e.erased && !e.paper && e.drawing->layers()[e.layer]->Shown() &&
           PassesFilter(e, filter);
}

bool PassesFilter(const EntityBase& e, const Filter& filter) {
    for (size_t i = 0; i < filter.types.size(); ++i) {
        const std::string& value = i < filter.data.size() ? filter.data[i] : std::string();
        switch (filter.types[i]) {
            case 0:
                if (!Matches(value, e.EntityName())) return false;
                break;
            case 2:
                if (e.kind != Kind::Insert || !Matches(value, e.Name())) return false;
                break;
            case 8:
                if (!Matches(value, e.Layer())) return false;
                break;
            default:
                return false;  // a group the host does not filter on matches nothing
        }
    }
    return true;
}

// --- Selection sets ---

namespace {

// Stops at the first primitive that touches the polygon's area.
class CrossingSink : public PrimitiveSink {
  public:
    explicit CrossingSink(const std::vector<Point2>& polygon) : polygon_(polygon) {}
    bool hit = false;
    void Segment(Point2 a, Point2 b) override {
        if (!hit) hit = SegmentTouchesPolygon(a, b, polygon_);
    }
    void Circle(Point2 c, double r) override {
        if (!hit) hit = CircleTouchesPolygon(c, r, polygon_);
    }

  private:
    const std::vector<Point2>& polygon_;
};

// Stops at the first primitive that the open line crosses.
class FenceSink : public PrimitiveSink {
  public:
    explicit FenceSink(const std::vector<Point2>& fence) : fence_(fence) {}
    bool hit = false;
    void Segment(Point2 a, Point2 b) override {
        for (size_t i = 0; !hit && i + 1 < fence_.size(); ++i)
            hit = SegmentsIntersect(a, b, fence_[i], fence_[i + 1]);
    }
    void Circle(Point2 c, double r) override {
        for (size_t i = 0; !hit && i + 1 < fence_.size(); ++i)
            hit = SegmentTouchesCircle(fence_[i], fence_[i + 1], c, r);
    }

  private:
    const std::vector<Point2>& fence_;
};

class DistanceSink : public PrimitiveSink {
  public:
    explicit DistanceSink(Point2 p) : p_(p) {}
    double distance = std::numeric_limits<double>::infinity();
    void Segment(Point2 a, Point2 b) override {
        distance = std::min(distance, PointSegmentDistance(p_, a, b));
    }
    void Circle(Point2 c, double r) override {
        distance = std::min(distance, std::fabs(std::hypot(p_.x - c.x, p_.y - c.y) - r));
    }
    void Area(const Point2* corners, int n) override {
        std::vector<Point2> polygon(corners, corners + n);
        if (PointInPolygon(p_, polygon)) distance = 0;
        PrimitiveSink::Area(corners, n);
    }

  private:
    Point2 p_;
};

}  // namespace

HResult HostSelectionSet::Fail(HResult code) { return document_.Fail(code); }

void HostSelectionSet::Take(EntityBase* e) {
    if (members_.insert(e).second) items_.push_back(e);
}

cad::Entity* HostSelectionSet::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[index];
}

HResult HostSelectionSet::Select(int mode, const Filter& filter) {
    if (mode != 5) return Fail(kInvalidArgument);
    for (const auto& e : document_.drawing().entities())
        if (!e->erased && !e->paper && PassesFilter(*e, filter)) Take(e.get());
    return kOk;
}

HResult HostSelectionSet::SelectByPolygon(int mode, const std::vector<double>& points,
                                          const Filter& filter) {
    if ((mode != 7 && mode != 2) || points.size() % 3 != 0) return Fail(kInvalidArgument);
    std::vector<Point2> pts;
    Box box;
    for (size_t i = 0; i + 2 < points.size(); i += 3) {
        pts.push_back({points[i], points[i + 1]});
        box.Add(pts.back());
    }
    if (pts.size() < (mode == 7 ? 3u : 2u)) return Fail(kInvalidArgument);
    const Drawing& d = document_.drawing();
    for (EntityBase* e : d.Candidates(box)) {
        if (!PassesFilter(*e, filter)) continue;
        bool hit;
        if (mode == 7) {
            CrossingSink sink(pts);
            d.Primitives(*e, Affine{}, sink);
            hit = sink.hit;
        } else {
            FenceSink sink(pts);
            d.Primitives(*e, Affine{}, sink);
            hit = sink.hit;
        }
        if (hit) Take(e);
    }
    return kOk;
}

HResult HostSelectionSet::SelectOnScreen(const Filter& filter) {
    Picker* picker = document_.host().picker();
    if (!picker) return Fail(kUnexpected);
    const Drawing& d = document_.drawing();
    Box view = document_.View();
    auto pickable = [&](const EntityBase& e) { return e.drawing == &d && Pickable(e, filter); };
    for (const Pick& pick : picker->PickFiltered(d, view, filter)) {
        if (pick.kind == Pick::Kind::Entity) {
            EntityBase* e = pick.entity;
            if (e && pickable(*e)) Take(e);
            continue;
        }
        if (pick.kind == Pick::Kind::Window) {
            Box window;
            window.Add(pick.a), window.Add(pick.b);
            bool took = false;
            for (EntityBase* e : d.Candidates(window)) {
                auto extents = d.Extents(*e);
                if (extents && window.Contains(*extents) && pickable(*e)) Take(e), took = true;
            }
            if (!took) picker->Missed(pick);
            continue;
        }
        double aperture = pick.aperture;
        if (aperture <= 0)
            aperture =
                view.valid() ? std::max(view.max_x - view.min_x, view.max_y - view.min_y) / 200 : 1;
        Box around;
        around.Add(Point2{pick.a.x - aperture, pick.a.y - aperture});
        around.Add(Point2{pick.a.x + aperture, pick.a.y + aperture});
        EntityBase* nearest = nullptr;
        double best = aperture;
        for (EntityBase* e : d.Candidates(around)) {
            if (!pickable(*e)) continue;
            DistanceSink sink(pick.a);
            d.Primitives(*e, Affine{}, sink);
            // Later entities lie on top, so they win a tie.
            if (sink.distance <= best) best = sink.distance, nearest = e;
        }
        if (nearest)
            Take(nearest);
        else
            picker->Missed(pick);
    }
    return kOk;
}

HResult HostSelectionSet::Erase() {
    for (EntityBase* e : items_) e->Erase();
    items_.clear();
    members_.clear();
    return kOk;
}

HResult HostSelectionSet::Delete() {
    document_.selection_sets_.erase(UpperCase(name_));  // destroys this set
    return kOk;
}

// --- Document ---

HostDocument::HostDocument(Host& host, std::unique_ptr<Drawing> drawing)
    : host_(host), drawing_(std::move(drawing)) {
    drawing_->set_errors(&host_.Err());
    space_.doc = layers_.doc = styles_.doc = sets_.doc = utility_.doc = this;
}

HostDocument::~HostDocument() = default;

HResult HostDocument::Fail(HResult code) { return host_.Err().Raise(code); }

HResult HostDocument::SetVariable(const std::string& name, const Variable& value) {
    std::string key = UpperCase(name);
    if (key == "CLAYER") {
        const std::string* layer = std::get_if<std::string>(&value);
        if (!layer) return Fail(kInvalidArgument);
        int index = drawing_->LayerIndex(*layer);
        if (index < 0) return Fail(kLayerNotFound);
        drawing_->current_layer = index;
    }
    drawing_->SetHeaderVariable(key, value);
    return kOk;
}

cad::Layer* HostDocument::ActiveLayer() {
    return drawing_->layers()[drawing_->current_layer].get();
}

HResult HostDocument::SetActiveLayer(cad::Layer* layer) {
    const auto& layers = drawing_->layers();
    for (size_t i = 0; i < layers.size(); ++i) {
        if (layers[i].get() != layer) continue;
        drawing_->current_layer = static_cast<int>(i);
        drawing_->SetHeaderVariable("CLAYER", layers[i]->name);
        return kOk;
    }
    return Fail(kInvalidArgument);
}

cad::TextStyle* HostDocument::ActiveTextStyle() {
    return drawing_->styles()[drawing_->current_style].get();
}

HResult HostDocument::SetActiveTextStyle(cad::TextStyle* style) {
    const auto& styles = drawing_->styles();
    for (size_t i = 0; i < styles.size(); ++i) {
        if (styles[i].get() != style) continue;
        drawing_->current_style = static_cast<int>(i);
        drawing_->SetHeaderVariable("TEXTSTYLE", styles[i]->name);
        return kOk;
    }
    return Fail(kInvalidArgument);
}

HResult HostDocument::SendCommand(const std::string& text) {
    // The one expression the commands send: (Alert "message") and a carriage return.
    std::string command = text;
    while (!command.empty() && (command.back() == '\r' || command.back() == '\n'))
        command.pop_back();
    std::string trimmed = Trim(command);
    if (trimmed.size() > 8 && EqualsIgnoreCase(trimmed.substr(0, 7), "(Alert ") &&
        trimmed.back() == ')') {
        std::string message = Trim(trimmed.substr(7, trimmed.size() - 8));
        if (message.size() >= 2 && message.front() == '"' && message.back() == '"') {
            message = message.substr(1, message.size() - 2);
            if (host_.ui())
                host_.ui()->MessageBox(app::MessageIcon::Exclamation, host_.Caption(), message);
            command_line_.push_back(message);
            return kOk;
        }
    }
    command_line_.push_back(command);
    return kOk;
}

HResult HostDocument::Prompter::Prompt(const std::string& text) {
    doc->command_line_.push_back(text);
    return kOk;
}

Box HostDocument::View() const {
    if (!views_.empty()) return views_.back();
    auto extents = drawing_->Extents();
    return extents ? *extents : Box{0, 0, 420, 297};
}

Status HostDocument::Save(const std::string& path) {
    std::string target = path.empty() ? drawing_->path() : path;
    if (target.empty()) return Status::Error("图形还没有文件名");
    Status s = drawing_->Save(target);
    if (s.ok()) {
        drawing_->set_path(target);
        session_.Saved();
    }
    return s;
}

void HostDocument::ReplaceDrawing(std::unique_ptr<Drawing> drawing) {
    selection_sets_.clear();
    drawing_ = std::move(drawing);
    drawing_->set_errors(&host_.Err());
}

cad::Layer* HostDocument::LayerTable::Add(const std::string& name) {
    if (Trim(name).empty()) {
        doc->Fail(kInvalidArgument);
        return nullptr;
    }
    return doc->drawing_->AddLayer(name);
}

cad::TextStyle* HostDocument::StyleTable::Add(const std::string& name) {
    if (Trim(name).empty()) {
        doc->Fail(kInvalidArgument);
        return nullptr;
    }
    return doc->drawing_->AddStyle(name);
}

cad::SelectionSet* HostDocument::Sets::Add(const std::string& name) {
    std::string key = UpperCase(name);
    if (Trim(name).empty() || doc->selection_sets_.count(key)) {
        doc->Fail(kInvalidArgument);
        return nullptr;
    }
    auto set = std::make_unique<HostSelectionSet>(*doc, name);
    auto* out = set.get();
    doc->selection_sets_[key] = std::move(set);
    return out;
}

cad::Entity* HostDocument::Space::AddLightWeightPolyline(const std::vector<double>& points) {
    if (points.size() < 4 || points.size() % 2 != 0) {
        doc->Fail(kInvalidArgument);
        return nullptr;
    }
    std::vector<Point2> pts;
    for (size_t i = 0; i + 1 < points.size(); i += 2) pts.push_back({points[i], points[i + 1]});
    return doc->drawing_->AddPolyline(pts);
}

cad::Entity* HostDocument::Space::AddText(const std::string& text, Point3 at, double height) {
    if (!(height > 0)) {
        doc->Fail(kInvalidArgument);
        return nullptr;
    }
    return doc->drawing_->AddText(text, at, height);
}

cad::Entity* HostDocument::Space::AddCircle(Point3 centre, double radius) {
    if (!(radius > 0)) {
        doc->Fail(kInvalidArgument);
        return nullptr;
    }
    return doc->drawing_->AddCircle(centre, radius);
}

namespace {
// "…\Support\展点.Dwg" -> ("…/Support/展点.dxf", "展点"); empty when `name` is a block name.
bool DrawingFile(std::string name, std::string& path, std::string& block) {
    name = ReplaceAll(name, "\\", "/");
    std::string upper = UpperCase(name);
    bool file = EndsWith(upper, ".DWG") || EndsWith(upper, ".DXF");
    if (!file) return false;
    path = name.substr(0, name.size() - 4) + ".dxf";
    if (!PathExists(path)) {
        std::string alt = name.substr(0, name.size() - 4) + ".DXF";
        if (PathExists(alt)) path = alt;
    }
    std::string base = FileName(name);
    block = base.substr(0, base.size() - 4);
    return true;
}
}  // namespace

cad::Entity* HostDocument::Space::InsertBlock(Point3 at, const std::string& name, double xs,
                                              double ys, double zs, double rotation) {
    Drawing& d = *doc->drawing_;
    std::string path, block_name;
    int index;
    if (DrawingFile(name, path, block_name)) {
        index = d.BlockIndex(block_name);
        if (index < 0 || !d.blocks()[index]->defined) {
            Status status;
            auto source = Drawing::Load(path, &status);
            if (!source) {
                doc->Fail(kNotFound);
                return nullptr;
            }
            index = d.ImportBlock(*source, block_name);
        }
    } else {
        index = d.BlockIndex(name);
    }
    if (index < 0 || !d.blocks()[index]->defined) {
        doc->Fail(kNotFound);
        return nullptr;
    }
    if (xs == 0 || ys == 0 || zs == 0) {
        doc->Fail(kInvalidArgument);
        return nullptr;
    }
    return d.AddInsert(index, at, xs, ys, zs, rotation * 180 / M_PI);
}

// --- Application ---

Host::Host(std::string support_dir, app::Ui* ui) : support_dir_(std::move(support_dir)), ui_(ui) {
    documents_.host = this;
}

Host::~Host() = default;

cad::Document* Host::ActiveDocument() {
    // The host always has a drawing open, as a CAD program started with an empty one.
    if (!active_) Adopt(Drawing::New());
    return active_;
}

cad::Document* Host::DocumentList::Add() { return host->Adopt(Drawing::New()); }

HostDocument* Host::Adopt(std::unique_ptr<Drawing> drawing) {
    docs_.push_back(std::make_unique<HostDocument>(*this, std::move(drawing)));
    active_ = docs_.back().get();
    return active_;
}

HostDocument* Host::Open(const std::string& path, Status* status) {
    if (!PathExists(path)) {
        auto d = Drawing::New();
        d->set_path(path);
        if (status) *status = Status::Ok();
        return Adopt(std::move(d));
    }
    auto d = Drawing::Load(path, status);
    if (!d) return nullptr;
    return Adopt(std::move(d));
}

int Host::RecordCommand(const std::string& label) {
    int changed = 0;
    for (const auto& d : docs_) changed += d->session().Record(label);
    return changed;
}

void Host::Activate(HostDocument* document) {
    for (const auto& d : docs_)
        if (d.get() == document) active_ = document;
}

void Host::Close(HostDocument* document) {
    for (auto it = docs_.begin(); it != docs_.end(); ++it) {
        if (it->get() != document) continue;
        docs_.erase(it);
        if (active_ == document) active_ = docs_.empty() ? nullptr : docs_.back().get();
        return;
    }
}

HResult Host::SetVisible(bool visible) {
    visible_ = visible;
    return kOk;
}

std::string Host::Caption() const {
    std::string caption = "Velorin 绘图";
    if (active_ && !active_->drawing().path().empty())
        caption += " - " + FileName(active_->drawing().path());
    return caption;
}

HResult Host::ZoomExtents() {
    if (!active_) return err_.Raise(kUnexpected);
    auto extents = active_->drawing().Extents();
    Box view = extents ? *extents : Box{0, 0, 420, 297};
    active_->views().push_back(view);
    return kOk;
}

HResult Host::ZoomWindow(Point3 a, Point3 b) {
    if (!active_) return err_.Raise(kUnexpected);
    if (a.x == b.x || a.y == b.y) return err_.Raise(kInvalidArgument);
    Box view;
    view.Add(Point2{a.x, a.y}), view.Add(Point2{b.x, b.y});
    active_->views().push_back(view);
    return kOk;
}

HResult Host::ZoomPrevious() {
    if (!active_) return err_.Raise(kUnexpected);
    if (!active_->views().empty()) active_->views().pop_back();
    return kOk;
}

}  // namespace velorin::cad::embedded
