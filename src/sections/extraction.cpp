#include "sections/extraction.h"

#include "sections/drawing_access.h"
#include "store/statements.h"

namespace velorin::sections {

namespace st = store::statements;
constexpr const char* kTitle = "单断面";

void SearchSegment(cad::Document& doc, const Segment& s, double valid_offset,
                   const cad::Filter& filter, double chainage, std::vector<FoundPoint>& out) {
    auto corners = RangeRectangle(s, valid_offset);
    auto points = PolygonPoints(corners);
    cad::SelectionSet* set = cad::NewSelectionSet(doc);
    if (!set) return;
    set->SelectByPolygon(7, std::vector<double>(points.begin(), points.end()), filter);
    for (int i = 0; i < set->Count(); ++i) {
        cad::Entity* e = set->Item(i);
        if (!e) continue;
        cad::Point3 q = e->InsertionPoint();
        Station at = StationOf(s, {q.x, q.y});
        out.push_back({chainage + at.chainage, q.z, at.offset, e->Layer()});
    }
    set->Delete();
}

TakenSection TakeSectionLine(app::Context& context, const SectionLineInputs& in) {
    TakenSection result;
    store::WorkingStore& store = *context.program.store;
    // a failed write is kept by the store and reported by the command's commit
    (void)store.Execute(st::kDeleteLine);
    (void)store.Execute(st::kDeleteCross);
    (void)store.Execute(st::kDeletePoint);
    store::RecordSet& line = store.Reopen(store::WorkingStore::Table::Line, st::kLineByNo);
    store::RecordSet& cross = store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
    store::RecordSet& point =
        store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);

    auto h = OpenCurrentDrawing(context, kTitle);
    if (!h) return result;
    cad::Application& app = *h->app;
    cad::Document& doc = *h->doc;

    cad::WindowAside(context.ui, true);
    cad::SelectionSet* set = cad::NewSelectionSet(doc);
    if (set)
        set->SelectOnScreen(MakeFilter({{0, "LWPOLYLINE"}, {0, "LWPOLYLINE"}, {0, "LWPOLYLINE"}}));
    if (set && set->Count() > 1) {
        Alert(doc, "不要太贪心，选一条断面线就够了！");
        cad::WindowAside(context.ui, false);
        set->Delete();
        return result;
    }
    app.ZoomExtents();
    std::vector<Point2> vertices;
    if (set && set->Count() == 1 && set->Item(0)) vertices = Vertices(*set->Item(0));
    for (size_t i = 0; i < vertices.size(); ++i) {
        line.AddNew();
        line.SetField("No", static_cast<long>(2 * i));
        line.SetField("X1", vertices[i].x);
        line.SetField("Y1", vertices[i].y);
        // a failed write is kept by the store and reported by the command's commit
        (void)line.Update();
    }
    if (set) set->Delete();
    if (vertices.empty()) {
        cad::WindowAside(context.ui, false);
        app.ZoomPrevious();
        return result;
    }
    cross.AddNew();
    cross.SetField("CrossNo", in.section_no);
    cross.SetField("SIndex", 100);
    // a failed write is kept by the store and reported by the command's commit
    (void)cross.Update();

    cad::Filter filter = in.restrict_layer
                             ? MakeFilter({{0, "INSERT"}, {2, in.symbol}, {8, in.point_layer}})
                             : MakeFilter({{0, "INSERT"}, {2, in.symbol}, {0, "INSERT"}});
    // The first vertex opens no segment. It is told by its place in the line, not by
    // coordinates of 0: drawings kept in local coordinates have real vertices there.
    std::vector<FoundPoint> found;
    double chainage = 0;
    for (size_t i = 1; i < vertices.size(); ++i) {
        Segment s =
            WalkSegment({vertices[i - 1].x, vertices[i - 1].y}, {vertices[i].x, vertices[i].y});
        cad::MakeLayerCurrent(app, doc, cad::kValidRangeLayer.name, cad::kValidRangeLayer.colour);
        DrawOutline(*h->space, RangeRectangle(s, in.valid_offset));
        SearchSegment(doc, s, in.valid_offset, filter, chainage, found);
        chainage += s.Length();
    }
    for (const FoundPoint& f : found)
        // a failed write is kept by the store and reported by the command's commit
        (void)store::AppendPoint(point, in.section_no, f.slen, f.high, f.pian, f.layer);
    cad::WindowAside(context.ui, false);
    app.ZoomPrevious();

    result.taken = true;
    store::RecordSet& listed =
        store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
    for (listed.MoveFirst(); !listed.EndOfFile(); listed.MoveNext())
        result.points.push_back({listed.Number("Slen"), listed.Number("High"),
                                 listed.Number("Pian"), listed.Text("Layer")});
    if (!app::CommitStore(context.program, context.ui, "取断面线")) result.taken = false;
    doc.Utility().Prompt("已取断面 " + in.section_no + "：" + std::to_string(result.points.size()) +
                         " 个点");
    return result;
}

}  // namespace velorin::sections
