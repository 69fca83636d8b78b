// The embedded host through the interface the drawing commands use: selections by
// polygon, fence, filter and pick; the error codes; alerts, prompts and zooms.
#include "cad/embedded/host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "support/testing.h"

namespace velorin::cad::embedded {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

struct RecordingUi : app::Ui {
    std::vector<std::string> boxes;
    void MessageBox(app::MessageIcon, std::string_view title, std::string_view text) override {
        boxes.push_back(std::string(title) + ": " + std::string(text));
    }
};

// A drawing with one entity of each kind the commands meet, each named by its layer:
//   square   closed polyline (0,0)-(10,10)        circle  centre (30,5) radius 2
//   text     "ABC" at (50,0), height 2             symbol  block of a unit circle at (70,5)
//   line     (90,0)-(100,10)
class HostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        doc = host.ActiveDocument();
        auto& d = static_cast<HostDocument*>(doc)->drawing();
        auto shapes = Drawing::New();
        shapes->AddCircle({0, 0, 0}, 1);
        d.ImportBlock(*shapes, "sym");
        for (const char* layer : {"square", "circle", "text", "symbol", "line"})
            doc->Layers().Add(layer);
        On("square");
        doc->ModelSpace().AddLightWeightPolyline({0, 0, 10, 0, 10, 10, 0, 10})->SetClosed(true);
        On("circle");
        doc->ModelSpace().AddCircle({30, 5, 0}, 2);
        On("text");
        doc->ModelSpace().AddText("ABC", {50, 0, 0}, 2);
        On("symbol");
        doc->ModelSpace().InsertBlock({70, 5, 88.5}, "sym", 1, 1, 1, 0);
        On("line");
        doc->ModelSpace().AddLightWeightPolyline({90, 0, 100, 10});
    }
    void On(const char* layer) { ASSERT_EQ(doc->SetVariable("CLayer", std::string(layer)), kOk); }

    std::vector<std::string> Layers(const SelectionSet& set) {
        std::vector<std::string> out;
        for (int i = 0; i < set.Count(); ++i) out.push_back(set.Item(i)->Layer());
        return out;
    }
    static std::vector<double> Triples(std::initializer_list<double> xy) {
        std::vector<double> out;
        for (auto it = xy.begin(); it != xy.end(); it += 2)
            out.insert(out.end(), {*it, *(it + 1), 0.0});
        return out;
    }

    RecordingUi ui;
    Host host{"", &ui};
    Document* doc = nullptr;
};

TEST_F(HostTest, CrossingPolygonTakesWhatLiesInsideOrCrossesIt) {
    struct Case {
        const char* name;
        std::vector<double> polygon;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"circle wholly inside", Triples({25, 0, 35, 0, 35, 10, 25, 10}), {"circle"}},
        {"polygon crosses one edge of the square", Triples({8, 4, 12, 4, 12, 6, 8, 6}), {"square"}},
        {"polygon inside the square touches no edge", Triples({2, 2, 8, 2, 8, 8, 2, 8}), {}},
        {"polygon inside the circle touches no curve",
         Triples({29.5, 4.5, 30.5, 4.5, 30.5, 5.5}),
         {}},
        {"polygon crosses the block's circle",
         Triples({70.5, 4, 72, 4, 72, 6, 70.5, 6}),
         {"symbol"}},
        {"only the block's box corner, not its graphics",
         Triples({70.8, 5.8, 71.2, 5.8, 71.2, 6.2, 70.8, 6.2}),
         {}},
        {"crosses the text's box", Triples({51, 1, 51.5, 1, 51.5, 3, 51, 3}), {"text"}},
        {"a band across everything",
         Triples({-1, 1, 101, 1, 101, 6, -1, 6}),
         {"square", "circle", "text", "symbol", "line"}},
        {"nowhere near", Triples({200, 200, 210, 200, 210, 210}), {}},
    };
    for (const Case& c : cases) {
        SelectionSet* set = doc->SelectionSets().Add(c.name);
        ASSERT_NE(set, nullptr) << c.name;
        EXPECT_EQ(set->SelectByPolygon(7, c.polygon, {}), kOk) << c.name;
        EXPECT_THAT(Layers(*set), UnorderedElementsAreArray(c.expected)) << c.name;
    }
}

TEST_F(HostTest, FenceTakesWhatTheOpenLineCrosses) {
    struct Case {
        const char* name;
        std::vector<double> fence;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"crosses the line", Triples({90, 10, 100, 0}), {"line"}},
        {"passes beside the line", Triples({95, 0, 105, 5}), {}},
        {"crosses the circle's curve", Triples({30, 5, 40, 5}), {"circle"}},
        {"inside the circle, no crossing", Triples({29, 5, 31, 5}), {}},
        {"inside the square, no crossing", Triples({2, 2, 8, 8}), {}},
        {"bent fence through two", Triples({5, -1, 5, 20, 30, 20, 30, 0}), {"square", "circle"}},
        {"through the block's circle", Triples({70, 0, 70, 10}), {"symbol"}},
    };
    for (const Case& c : cases) {
        SelectionSet* set = doc->SelectionSets().Add(c.name);
        EXPECT_EQ(set->SelectByPolygon(2, c.fence, {}), kOk) << c.name;
        EXPECT_THAT(Layers(*set), UnorderedElementsAreArray(c.expected)) << c.name;
    }
}

TEST_F(HostTest, FiltersOnTypeBlockAndLayer) {
    struct Case {
        const char* name;
        Filter filter;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"all", {}, {"square", "circle", "text", "symbol", "line"}},
        {"block references", {{0}, {"INSERT"}}, {"symbol"}},
        {"polylines", {{0}, {"lwpolyline"}}, {"square", "line"}},
        {"by block name", {{2}, {"SYM"}}, {"symbol"}},
        {"by layer", {{8}, {"circle"}}, {"circle"}},
        {"alternatives and wildcards", {{8}, {"sq*,li?e"}}, {"square", "line"}},
        {"every entry must match", {{0, 8}, {"LWPOLYLINE", "circle"}}, {}},
        {"type and layer", {{0, 8}, {"LWPOLYLINE", "line"}}, {"line"}},
    };
    for (const Case& c : cases) {
        SelectionSet* set = doc->SelectionSets().Add(c.name);
        EXPECT_EQ(set->Select(5, c.filter), kOk) << c.name;
        EXPECT_THAT(Layers(*set), UnorderedElementsAreArray(c.expected)) << c.name;
    }
    // The polygon selection honours the filter as well.
    SelectionSet* set = doc->SelectionSets().Add("filtered band");
    set->SelectByPolygon(7, Triples({-1, 1, 101, 1, 101, 6, -1, 6}), {{0}, {"INSERT"}});
    EXPECT_THAT(Layers(*set), ElementsAre("symbol"));
}

TEST_F(HostTest, OnScreenPicksComeFromThePicker) {
    ScriptedPicker picker;
    host.set_picker(&picker);
    picker.picks = {{Pick::Kind::Point, {10.05, 5}, {}, 0.2},     // on the square's edge
                    {Pick::Kind::Point, {60, 60}, {}, 0.2},       // on nothing
                    {Pick::Kind::Window, {26, 1}, {34, 9}, 0},    // circle wholly inside
                    {Pick::Kind::Window, {85, 0}, {95, 10}, 0}};  // half the line only
    SelectionSet* set = doc->SelectionSets().Add("picked");
    EXPECT_EQ(set->SelectOnScreen({}), kOk);
    EXPECT_THAT(Layers(*set), ElementsAre("square", "circle"));

    picker.picks = {{Pick::Kind::Point, {70, 6}, {}, 0.2}};
    SelectionSet* filtered = doc->SelectionSets().Add("filtered pick");
    filtered->SelectOnScreen({{0}, {"LWPOLYLINE"}});
    EXPECT_EQ(filtered->Count(), 0);

    // What the user cannot see cannot be picked: the square's layer frozen, the circle's off.
    auto& d = static_cast<HostDocument*>(doc)->drawing();
    d.FindLayer("square")->frozen = true;
    d.FindLayer("circle")->color = -d.FindLayer("circle")->color;
    picker.picks = {{Pick::Kind::Point, {10.05, 5}, {}, 0.2},
                    {Pick::Kind::Window, {26, 1}, {34, 9}, 0}};
    SelectionSet* hidden = doc->SelectionSets().Add("hidden");
    EXPECT_EQ(hidden->SelectOnScreen({}), kOk);
    EXPECT_EQ(hidden->Count(), 0);

    host.set_picker(nullptr);
    EXPECT_EQ(doc->SelectionSets().Add("no picker")->SelectOnScreen({}), kUnexpected);
}

TEST_F(HostTest, ErasedEntitiesLeaveSelectionsAndTheSavedDrawing) {
    SelectionSet* set = doc->SelectionSets().Add("doomed");
    set->Select(5, {{8}, {"circle,line"}});
    ASSERT_EQ(set->Count(), 2);
    EXPECT_EQ(set->Erase(), kOk);
    EXPECT_EQ(set->Count(), 0);
    SelectionSet* all = doc->SelectionSets().Add("rest");
    all->SelectByPolygon(7, Triples({-1, 1, 101, 1, 101, 6, -1, 6}), {});
    EXPECT_THAT(Layers(*all), UnorderedElementsAreArray({"square", "text", "symbol"}));

    velorin::testing::TempDir dir;
    auto* hd = static_cast<HostDocument*>(doc);
    ASSERT_TRUE(hd->Save(dir.File("rest.dxf")).ok());
    Status status;
    auto back = Drawing::Load(dir.File("rest.dxf"), &status);
    ASSERT_TRUE(back);
    std::set<std::string> layers;
    for (const auto& e : back->entities()) layers.insert(e->Layer());
    EXPECT_EQ(layers, (std::set<std::string>{"square", "text", "symbol"}));
    EXPECT_DOUBLE_EQ(back->entities()[2]->InsertionPoint().z, 88.5);
}

TEST_F(HostTest, ErrorCodesWhereTheHostRaisesThem) {
    host.Err().Clear();
    EXPECT_EQ(doc->SetVariable("CLayer", std::string("no such layer")), kLayerNotFound);
    EXPECT_EQ(host.Err().Number(), kLayerNotFound);
    EXPECT_EQ(doc->ActiveLayer()->Name(), "line");  // unchanged
    host.Err().Clear();

    cad::TextStyle* style = doc->TextStyles().Add("地形");
    EXPECT_EQ(style->SetFontFile("NoSuchShx"), kOk);  // any named font is painted with a substitute
    EXPECT_EQ(style->FontFile(), "NoSuchShx");
    EXPECT_EQ(style->SetFontFile(""), kUnexpected);

    EXPECT_EQ(doc->ModelSpace().InsertBlock({0, 0, 0}, "unknown", 1, 1, 1, 0), nullptr);
    EXPECT_EQ(host.Err().Number(), kNotFound);
    host.Err().Clear();
    EXPECT_EQ(doc->ModelSpace().InsertBlock({0, 0, 0}, "/nowhere/缺.Dwg", 1, 1, 1, 0), nullptr);
    EXPECT_EQ(host.Err().Number(), kNotFound);

    // Members an entity's kind does not have answer as a late-bound call would.
    Entity* circle = doc->ModelSpace().AddCircle({0, 0, 0}, 1);
    EXPECT_EQ(circle->AddVertex(0, 1, 1), kMemberNotFound);
    EXPECT_EQ(circle->SetScaleFactor(0.8), kMemberNotFound);
    EXPECT_EQ(doc->SelectionSets().Add("dup") != nullptr, true);
    EXPECT_EQ(doc->SelectionSets().Add("DUP"), nullptr);
}

TEST_F(HostTest, BlocksFromDrawingFilesResolveToTheDxfOfTheSameName) {
    std::string support = velorin::testing::SourceDir() + "support/";
    Entity* e = doc->ModelSpace().InsertBlock({1, 2, 3.25}, support + "展点.Dwg", 0.5, 0.5, 0.5, 0);
    ASSERT_NE(e, nullptr) << std::hex << host.Err().Number();
    EXPECT_EQ(e->Name(), "展点");
    EXPECT_DOUBLE_EQ(e->InsertionPoint().z, 3.25);
    // From now on the block is defined in the drawing and goes by its name.
    EXPECT_NE(doc->ModelSpace().InsertBlock({5, 5, 0}, "展点", 1, 1, 1, 0), nullptr);
}

TEST_F(HostTest, AlertsPromptsAndZooms) {
    EXPECT_EQ(doc->SendCommand("(Alert \"系统没有找到你要的字库！\")\r"), kOk);
    EXPECT_THAT(ui.boxes, ElementsAre(host.Caption() + ": 系统没有找到你要的字库！"));
    doc->Utility().Prompt("请选择断面线：");
    auto* hd = static_cast<HostDocument*>(doc);
    EXPECT_EQ(hd->command_line().back(), "请选择断面线：");

    ASSERT_EQ(host.ZoomExtents(), kOk);
    Box extents = hd->View();
    EXPECT_DOUBLE_EQ(extents.min_x, 0);
    EXPECT_DOUBLE_EQ(extents.max_x, 100);
    ASSERT_EQ(host.ZoomWindow({20, 0, 0}, {40, 10, 0}), kOk);
    EXPECT_DOUBLE_EQ(hd->View().min_x, 20);
    ASSERT_EQ(host.ZoomPrevious(), kOk);
    EXPECT_DOUBLE_EQ(hd->View().max_x, 100);
}

TEST_F(HostTest, ZoomExtentsFollowsWhatIsAddedChangedAndErased) {
    auto* hd = static_cast<HostDocument*>(doc);
    ASSERT_EQ(host.ZoomExtents(), kOk);
    EXPECT_DOUBLE_EQ(hd->View().max_x, 100);
    Entity* far = doc->ModelSpace().AddLightWeightPolyline({100, 0, 150, 0});
    ASSERT_EQ(host.ZoomExtents(), kOk);
    EXPECT_DOUBLE_EQ(hd->View().max_x, 150);
    ASSERT_EQ(far->AddVertex(2, 200, 0), kOk);  // a line grown vertex by vertex
    ASSERT_EQ(host.ZoomExtents(), kOk);
    EXPECT_DOUBLE_EQ(hd->View().max_x, 200);
    ASSERT_EQ(far->Erase(), kOk);
    ASSERT_EQ(host.ZoomExtents(), kOk);
    EXPECT_DOUBLE_EQ(hd->View().max_x, 100);
}

}  // namespace
}  // namespace velorin::cad::embedded
