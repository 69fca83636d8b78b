#include "sections/crossing.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "app/progress.h"
#include "base/numbers.h"
#include "base/strings.h"
#include "sectionfile/section_file.h"
#include "sections/drawing_access.h"
#include "sections/extraction.h"
#include "store/statements.h"

namespace velorin::sections {

namespace st = store::statements;

namespace {

constexpr const char* kTitle = "批量断面";

struct Bounds {
    bool empty = true;
    double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
    void Add(Point2 p) {
        if (empty) {
            min_x = max_x = p.x, min_y = max_y = p.y, empty = false;
            return;
        }
        if (p.x < min_x) min_x = p.x;
        if (p.x > max_x) max_x = p.x;
        if (p.y < min_y) min_y = p.y;
        if (p.y > max_y) max_y = p.y;
    }
    // Enlarged by a fifth of its size on every side.
    void ZoomTo(cad::Application& app) const {
        double w = max_x - min_x, h = max_y - min_y;
        app.ZoomWindow({min_x - 0.2 * w, min_y - 0.2 * h, 0},
                       {max_x + 0.2 * w, max_y + 0.2 * h, 0});
    }
};

// A section line the fence found, with the crossing segment it was found from.
struct Found {
    Segment section;  // S1 → S2, S2 nudged
    double sindex = 0;
    bool has_sindex = false;
};

// Empties the store, attaches, lets the user pick the crossing line and stores its
// vertices (No = 1, 2, ...). Nothing when the command ends here.
struct Crossing {
    cad::HostHandles h;
    std::vector<Point2> vertices;
    Bounds bounds;
};

std::optional<Crossing> PickCrossingLine(app::Context& context, bool range_layer) {
    store::WorkingStore& store = *context.program.store;
    // a failed write is kept by the store and reported by the command's commit
    (void)store.Execute(st::kDeleteLine);
    (void)store.Execute(st::kDeleteCross);
    (void)store.Execute(st::kDeletePoint);
    store::RecordSet& line = store.Reopen(store::WorkingStore::Table::Line, st::kLineByNo);
    store.Reopen(store::WorkingStore::Table::Cross, st::kCrossByCrossNo);
    store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);

    auto h = OpenCurrentDrawing(context, kTitle);
    if (!h) return std::nullopt;
    if (range_layer)
        cad::MakeLayerCurrent(*h->app, *h->doc, cad::kValidRangeLayer.name,
                              cad::kValidRangeLayer.colour);

    cad::WindowAside(context.ui, true);
    cad::SelectionSet* set = cad::NewSelectionSet(*h->doc);
    h->doc->Utility().Prompt("标注“有效范围”：请选择一条穿越线……");
    if (set) set->SelectOnScreen(MakeFilter({{0, "LWPOLYLINE"}, {0, "LWPOLYLINE"}}));
    if (!set || set->Count() != 1) {
        if (set && set->Count() > 1) Alert(*h->doc, "不要太贪心，取一条“穿越线”就够了！");
        if (set) set->Delete();
        cad::WindowAside(context.ui, false);
        return std::nullopt;
    }
    Crossing c{*h, {}, {}};
    if (set->Item(0)) c.vertices = Vertices(*set->Item(0));
    for (size_t i = 0; i < c.vertices.size(); ++i) {
        line.AddNew();
        line.SetField("No", static_cast<long>(i + 1));
        line.SetField("X1", c.vertices[i].x);
        line.SetField("Y1", c.vertices[i].y);
        // a failed write is kept by the store and reported by the command's commit
        (void)line.Update();
        c.bounds.Add({c.vertices[i].x, c.vertices[i].y});
    }
    set->Delete();
    store.Reopen(store::WorkingStore::Table::Line, st::kLineByNo);
    if (c.vertices.empty()) {
        cad::WindowAside(context.ui, false);
        return std::nullopt;
    }
    c.bounds.ZoomTo(*h->app);
    return c;
}

// Walks the crossing line segment by segment and hands every polyline on the section
// layer that the fence around a segment crosses to `each`, with the segment, the
// chainage of its start and the segment's number (from 1).
void WalkCrossingLine(
    const Crossing& c, const std::string& section_layer,
    const std::function<void(const cad::Entity&, const Segment&, double, size_t)>& each) {
    cad::Filter filter = MakeFilter({{0, "LWPOLYLINE"}, {8, section_layer}});
    double chainage = 0;
    // The first vertex opens no segment; it is known by its place, since a vertex at
    // X or Y 0 is a real vertex in local coordinates.
    for (size_t i = 1; i < c.vertices.size(); ++i) {
        Segment s = WalkSegment({c.vertices[i - 1].x, c.vertices[i - 1].y},
                                {c.vertices[i].x, c.vertices[i].y});
        auto points = PolygonPoints(RangeRectangle(s, kFenceHalfWidth));
        cad::SelectionSet* set = cad::NewSelectionSet(*c.h.doc);
        if (set) {
            set->SelectByPolygon(2, std::vector<double>(points.begin(), points.end()), filter);
            for (int j = 0; j < set->Count(); ++j)
                if (const cad::Entity* e = set->Item(j)) each(*e, s, chainage, i);
            set->Delete();
        }
        chainage += s.Length();
    }
}

void AddCrossRow(store::RecordSet& cross, const std::string& number, const Segment& section,
                 const Segment& crossing, double chainage) {
    cross.AddNew();
    cross.SetField("CrossNo", number);
    cross.SetField("X1", section.p.x);
    cross.SetField("Y1", section.p.y);
    cross.SetField("X2", section.n.x);
    cross.SetField("Y2", section.n.y);
    // Parallel to the crossing segment: no position along it, the row keeps none.
    auto cut = LineCutDistance(crossing.p.x, crossing.p.y, crossing.n.x, crossing.n.y, section.p.x,
                               section.p.y, section.n.x, section.n.y);
    if (cut) cross.SetField("SIndex", *cut + chainage);
    // a failed write is kept by the store and reported by the command's commit
    (void)cross.Update();
}

}  // namespace

std::vector<std::string> MarkValidRange(app::Context& context, const ValidRangeInputs& in) {
    std::vector<std::string> log;
    auto c = PickCrossingLine(context, true);
    if (!c) return log;
    store::RecordSet& cross = context.program.store->Standing(store::WorkingStore::Table::Cross);
    cad::ModelSpace& space = *c->h.space;
    int n = 0, m = 0;
    double reference = 0;
    size_t current = 0;
    WalkCrossingLine(
        *c, in.section_layer,
        [&](const cad::Entity& polyline, const Segment& s, double chainage, size_t segment) {
            // Each segment's first section line sets the direction the others are held to.
            if (current != segment) current = segment, m = 0;
            std::vector<double> xy = polyline.Coordinates();
            if (xy.size() != 4) {
                log.push_back("× 收集到一条无效的断面线，取消……");
                return;
            }
            Segment section = SectionSegment({xy[0], xy[1]}, {xy[2], xy[3]});
            ++m, ++n;
            if (in.outline) DrawOutline(space, RangeRectangle(section, in.valid_offset));
            if (in.check_direction) {
                double a = DirectionAngle(section.p, section.n);
                if (m == 1)
                    reference = a;
                else if (std::fabs(a - reference) > 90)
                    log.push_back("× 检查结果：第 " + Format(n, "#0") + " 条断面方向错误");
            }
            if (in.mark_start) space.AddCircle({section.p.x, section.p.y, 0}, 4 * in.plot_scale);
            AddCrossRow(cross, in.prefix + Format(in.start - 1 + n, "#0") + in.suffix, section, s,
                        chainage);
        });
    log.push_back("");
    log.push_back("累计：穿越该线的横断面一共有 " + Format(n, "#0") + " 条");
    cad::WindowAside(context.ui, false);
    c->h.app->ZoomPrevious();
    app::CommitStore(context.program, context.ui, "穿越线");
    c->h.doc->Utility().Prompt("已标注 " + std::to_string(n) + " 个横断面的有效范围");
    return log;
}

CrossingResult CollectCrossingSections(app::Context& context, const CrossingInputs& in) {
    CrossingResult result;
    auto c = PickCrossingLine(context, false);
    if (!c) return result;
    store::WorkingStore& store = *context.program.store;
    cad::Application& app = *c->h.app;
    cad::Document& doc = *c->h.doc;
    store::RecordSet* cross = &store.Standing(store::WorkingStore::Table::Cross);

    // Collection: two-vertex lines only, with temporary numbers in the order found.
    Bounds bounds = c->bounds;
    int n = 0;
    WalkCrossingLine(*c, in.section_layer,
                     [&](const cad::Entity& polyline, const Segment& s, double chainage, size_t) {
                         std::vector<double> xy = polyline.Coordinates();
                         if (xy.size() != 4) return;
                         Segment section = SectionSegment({xy[0], xy[1]}, {xy[2], xy[3]});
                         ++n;
                         bounds.Add(section.p), bounds.Add(section.n);
                         AddCrossRow(*cross, "临" + Format(n, "#0"), section, s, chainage);
                     });
    app.ZoomPrevious();
    bounds.ZoomTo(app);

    result.searched = true;
    PlanSketch& sketch = result.sketch;
    sketch.min_x = bounds.min_x, sketch.min_y = bounds.min_y, sketch.max_x = bounds.max_x,
    sketch.max_y = bounds.max_y;
    for (const auto& v : c->vertices) sketch.crossing.push_back({v.x, v.y});

    // Numbering along the crossing line, whatever order the lines were found in.
    cad::MakeLayerCurrent(app, doc, cad::kSectionNumberLayer.name, cad::kSectionNumberLayer.colour);
    cross = &store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
    if (cross->EndOfFile()) {
        cad::WindowAside(context.ui, false);
        app::CommitStore(context.program, context.ui, "横断面图");
        return result;
    }
    struct Numbered {
        std::string number;
        Segment line;
    };
    std::vector<Numbered> sections;
    long i = 1;
    for (cross->MoveFirst(); !cross->EndOfFile(); cross->MoveNext(), ++i) {
        std::string name = in.prefix + Format(in.start + i - 1, "#0") + in.suffix;
        Point2 a{cross->Number("X1"), cross->Number("Y1")},
            b{cross->Number("X2"), cross->Number("Y2")};
        double height = 3 * in.plot_scale;
        if (cad::Entity* t = c->h.space->AddText(name, {a.x, a.y, 0}, height))
            t->SetScaleFactor(0.8);
        if (cad::Entity* t = c->h.space->AddText(name + "'", {b.x, b.y, 0}, height))
            t->SetScaleFactor(0.8);
        sketch.sections.push_back({a, b});
        sketch.numbers.push_back({a, name});
        cross->Edit();
        cross->SetField("CrossNo", name);
        // a failed write is kept by the store and reported by the command's commit
        (void)cross->Update();
        sections.push_back({name, PlainSegment(a, b)});
    }

    // Points per section, no layer restriction; chainages from each line's first vertex.
    {
        app::ProgressReport progress(context.progress, "横断面图：查找断面点",
                                     static_cast<long>(sections.size()));
        store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
        store::RecordSet& point =
            store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
        cad::Filter filter = MakeFilter({{0, "INSERT"}, {2, in.symbol}});
        std::vector<FoundPoint> found;
        std::vector<std::pair<std::string, double>> centres;
        std::string centre_layer = UpperCase(in.centre_layer);
        long done = 0;
        for (const Numbered& s : sections) {
            found.clear();
            SearchSegment(doc, s.line, in.valid_offset, filter, 0, found);
            bool has_centre = false;
            double centre = 0;
            for (const FoundPoint& f : found) {
                // a failed write is kept by the store and reported by the command's commit
                (void)store::AppendPoint(point, s.number, f.slen, f.high, f.pian, f.layer);
                // The first centre block by chainage, as a search in chainage order finds it.
                if (in.centre_shift && UpperCase(f.layer) == centre_layer &&
                    (!has_centre || f.slen < centre))
                    has_centre = true, centre = f.slen;
            }
            if (has_centre) centres.push_back({s.number, centre});
            progress.Step(++done);
        }
        app.ZoomPrevious();
        // Centre shift: the centre point goes to 0 (to the three decimals of the
        // statement), points before it negative; a section without one stays as it is.
        if (in.centre_shift) {
            store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
            store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
            for (const auto& [number, centre] : centres)
                // a failed write is kept by the store and reported by the command's commit
                (void)store.Execute(st::ShiftSectionChainages(centre, number));
        }
    }
    result.numbered = app::CommitStore(context.program, context.ui, "横断面图");
    return result;
}

std::string WriteCrossingSectionFile(app::Context& context, std::string* error) {
    store::WorkingStore& store = *context.program.store;
    store::RecordSet& cross = store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
    store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
    if (cross.EndOfFile()) return {};
    cross.MoveFirst();
    std::string first = cross.Text("CrossNo");
    cross.MoveLast();
    std::string last = cross.Text("CrossNo");
    Status status;
    std::string folder = sectionfile::PrepareSectionDataFolder(context.program.settings, &status);
    if (!status.ok()) {
        if (error) *error = status.message();
        return {};
    }
    std::string path = folder + sectionfile::BatchFileName(first, last);
    status = sectionfile::WriteSectionFile(path, sectionfile::BatchComments(first, last),
                                           sectionfile::SectionsOfStore(store));
    if (!status.ok()) {
        if (error) *error = status.message();
        return {};
    }
    return path;
}

}  // namespace velorin::sections
