// A loaded window over a scratch program folder with a real working store and the
// embedded host holding one drawing: what the section tests draw in, pick from and
// click on. Drawings are built through the host's model: point blocks at (x, y, z)
// and polylines on layers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "cad/embedded/host.h"
#include "store/statements.h"
#include "support/window_fixture.h"

namespace velorin::testing {

namespace emb = cad::embedded;

inline constexpr const char* kSymbol = "纯坐标展点";
inline constexpr const char* kPointLayer = "地_点位_地形";
inline constexpr const char* kSectionLayer = "断_断面线";
// Radius of the point symbol's circle: a block reaches this far beyond its insertion point.
inline constexpr double kSymbolRadius = 0.3;

struct StoredPoint {
    std::string cross_no;
    double slen, high, pian;
    std::string layer;
};

struct CrossRow {
    std::string cross_no;
    double sindex;
    bool has_sindex;
    double x1, y1, x2, y2;
};

class SectionsFixture : public WindowFixture {
  public:
    SectionsFixture() : host(dir.path() + "Support", &ui), connector(host) {
        Status status;
        program.store = store::WorkingStore::Open(CopyStoreInto(dir.path()), &status);
        EXPECT_TRUE(status.ok()) << status.message();
        program.store->OpenStandingRecordSets();
        settings().MainDir = dir.path();
        context.host = &connector;
        host.set_picker(&picker);
        doc = static_cast<emb::HostDocument*>(host.ActiveDocument());
        auto symbol = emb::Drawing::New();
        symbol->AddCircle({0, 0, 0}, kSymbolRadius);
        symbol_block = drawing().ImportBlock(*symbol, kSymbol);
        auto other = emb::Drawing::New();
        other->AddCircle({0, 0, 0}, kSymbolRadius);
        other_block = drawing().ImportBlock(*other, "高程点");
        Load();
    }

    emb::Drawing& drawing() { return doc->drawing(); }
    window::Page5& page5() {
        if (form->Strip1.selected != 5) form->Strip1_Click(5);
        return form->page5;
    }
    window::Page6& page6() {
        if (form->Strip1.selected != 6) form->Strip1_Click(6);
        return form->page6;
    }

    emb::InsertEntity* Block(double x, double y, double z, const std::string& layer = kPointLayer,
                             bool other_name = false) {
        auto* e =
            drawing().AddInsert(other_name ? other_block : symbol_block, {x, y, z}, 1, 1, 1, 0);
        drawing().AddLayer(layer);
        e->SetLayer(layer);
        return e;
    }
    emb::PolylineEntity* Polyline(const std::vector<Point2>& points,
                                  const std::string& layer = kSectionLayer) {
        auto* e = drawing().AddPolyline(points);
        drawing().AddLayer(layer);
        e->SetLayer(layer);
        return e;
    }
    void PickAt(double x, double y) {
        emb::Pick p;
        p.a = {x, y};
        p.aperture = 0.05;
        picker.picks.push_back(p);
    }
    void PickWindow(double x1, double y1, double x2, double y2) {
        emb::Pick p;
        p.kind = emb::Pick::Kind::Window;
        p.a = {x1, y1}, p.b = {x2, y2};
        picker.picks.push_back(p);
    }

    // Live entities of model space on a layer, by kind name.
    std::vector<emb::EntityBase*> On(const std::string& layer, const std::string& kind = "") {
        std::vector<emb::EntityBase*> out;
        for (const auto& e : drawing().entities())
            if (!e->erased && e->Layer() == layer && (kind.empty() || e->EntityName() == kind))
                out.push_back(e.get());
        return out;
    }

    std::vector<StoredPoint> Points() {
        std::vector<StoredPoint> out;
        auto rs = program.store->OpenRecordSet(store::statements::kPointByCrossNoSlen);
        for (; !rs->EndOfFile(); rs->MoveNext())
            out.push_back({rs->Text("CrossNo"), rs->Number("Slen"), rs->Number("High"),
                           rs->Number("Pian"), rs->Text("Layer")});
        return out;
    }
    std::vector<CrossRow> Crosses(const char* statement = store::statements::kCrossBySIndex) {
        std::vector<CrossRow> out;
        auto rs = program.store->OpenRecordSet(statement);
        for (; !rs->EndOfFile(); rs->MoveNext())
            out.push_back({rs->Text("CrossNo"), rs->Number("SIndex"), !rs->Field("SIndex").IsNull(),
                           rs->Number("X1"), rs->Number("Y1"), rs->Number("X2"), rs->Number("Y2")});
        return out;
    }
    std::vector<std::pair<long, Point2>> LineRows() {
        std::vector<std::pair<long, Point2>> out;
        auto rs = program.store->OpenRecordSet(store::statements::kLineByNo);
        for (; !rs->EndOfFile(); rs->MoveNext())
            out.push_back({rs->Field("No").AsLong(), {rs->Number("X1"), rs->Number("Y1")}});
        return out;
    }
    std::vector<std::string> DataFile(const std::string& name) {
        return ReadTextLines(settings().MainDir + "断面数据/" + name).lines;
    }

    emb::Host host;
    emb::ScriptedPicker picker;
    emb::EmbeddedConnector connector;
    emb::HostDocument* doc = nullptr;
    int symbol_block = -1, other_block = -1;
};

}  // namespace velorin::testing
