// The preparation the drawing commands share, run against the embedded host.
#include "cad/preparation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "cad/embedded/host.h"
#include "support/testing.h"

namespace velorin::cad {
namespace {

using ::testing::ElementsAre;

struct RecordingUi : app::Ui {
    std::vector<std::string> events;
    void MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) override {
        events.push_back(std::string(icon == app::MessageIcon::Exclamation ? "!" : "?") +
                         std::string(title) + ": " + std::string(text));
    }
    void WindowAside(bool aside) override { events.push_back(aside ? "aside" : "back"); }
};

struct NoHost : HostConnector {
    Application* Attach() override { return nullptr; }
};

struct RecordingConnector : embedded::EmbeddedConnector {
    using EmbeddedConnector::EmbeddedConnector;
    std::vector<std::string> activated;
    void ActivateWindow(const std::string& caption) override { activated.push_back(caption); }
};

class PreparationTest : public ::testing::Test {
  protected:
    embedded::Drawing& DrawingOf(Document* doc) {
        return static_cast<embedded::HostDocument*>(doc)->drawing();
    }
    app::Settings settings = app::Settings::Defaults("/tmp/");
    RecordingUi ui;
    embedded::Host host{"", &ui};
    RecordingConnector connector{host};
};

TEST_F(PreparationTest, AttachFailureTellsTheUserWithTheWindowAside) {
    NoHost none;
    EXPECT_EQ(AttachHost(none, ui, "地形展点"), nullptr);
    EXPECT_THAT(ui.events, ElementsAre("aside", "!地形展点: 请打开AutoCAD系统！", "back"));
    EXPECT_EQ(AttachHost(connector, ui, "单断面"), &host);
}

TEST_F(PreparationTest, VariableSetsInTheirOrder) {
    struct Case {
        const char* name;
        VariableSet set;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"full",
         VariableSet::All,
         {"AttDia", "AunIts", "BlipMode", "CeColor", "Celtype", "FileDia", "LunIts", "MeasureMent",
          "MirrText", "OsMode", "UcsIcon"}},
        {"line reversal", VariableSet::LineReversal, {"CeColor", "Celtype", "OsMode", "UcsIcon"}},
        {"auxiliary line removal", VariableSet::AuxiliaryRemoval, {"OsMode", "UcsIcon"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const auto& v : DrawingVariables(c.set)) names.push_back(v.name);
        EXPECT_EQ(names, c.names) << c.name;
    }
    auto all = DrawingVariables(VariableSet::All);
    EXPECT_EQ(std::get<int16_t>(all[6].value), 2);              // LunIts
    EXPECT_EQ(std::get<std::string>(all[3].value), "ByLayer");  // CeColor
    EXPECT_EQ(std::get<std::string>(all[4].value), "Bylayer");  // Celtype
}

TEST_F(PreparationTest, PreparedVariablesStayInTheSavedDrawing) {
    HostHandles h = PrepareDrawing(connector, host, DocumentChoice::Current, VariableSet::All);
    ASSERT_NE(h.doc, nullptr);
    EXPECT_EQ(h.space, &h.doc->ModelSpace());
    EXPECT_TRUE(host.visible());
    EXPECT_THAT(connector.activated, ElementsAre(host.Caption()));
    EXPECT_EQ(std::get<int16_t>(*DrawingOf(h.doc).GetVariable("OSMODE")), 0);

    velorin::testing::TempDir dir;
    ASSERT_TRUE(static_cast<embedded::HostDocument*>(h.doc)->Save(dir.File("prepared.dxf")).ok());
    Status status;
    auto back = embedded::Drawing::Load(dir.File("prepared.dxf"), &status);
    ASSERT_TRUE(back);
    std::string text(back->source());
    EXPECT_NE(text.find("$OSMODE\r\n 70\r\n0\r\n"), std::string::npos);
    EXPECT_NE(text.find("$LUNITS\r\n 70\r\n2\r\n"), std::string::npos);
    EXPECT_NE(text.find("$CECOLOR\r\n 62\r\n256\r\n"), std::string::npos);

    // The plots draw into a new document, which becomes the active one.
    HostHandles plot = PrepareDrawing(connector, host, DocumentChoice::New, VariableSet::All);
    EXPECT_NE(plot.doc, h.doc);
    EXPECT_EQ(host.ActiveDocument(), plot.doc);
}

TEST_F(PreparationTest, LayersMadeCurrentKeepTheirColourAndPlotLayersGetTheirs) {
    Document* doc = host.ActiveDocument();
    // Missing: created with the colour and made active.
    MakeLayerCurrent(host, *doc, "断_中心点", kGreen);
    EXPECT_EQ(host.Err().Number(), kOk);
    EXPECT_EQ(doc->ActiveLayer()->Name(), "断_中心点");
    EXPECT_EQ(doc->ActiveLayer()->Color(), kGreen);
    // The user recolours it; marking again keeps the user's colour.
    doc->ActiveLayer()->SetColor(6);
    MakeLayerCurrent(host, *doc, "0", kWhite);
    MakeLayerCurrent(host, *doc, "断_中心点", kGreen);
    EXPECT_EQ(doc->ActiveLayer()->Name(), "断_中心点");
    EXPECT_EQ(doc->ActiveLayer()->Color(), 6);
    // The centre-point form creates and colours without making it active.
    MakeLayerCurrent(host, *doc, "断_有效范围", kGreen, /*activate=*/false);
    EXPECT_EQ(doc->ActiveLayer()->Name(), "断_中心点");
    EXPECT_EQ(DrawingOf(doc).FindLayer("断_有效范围")->color, kGreen);

    // A plot layer gets the table's colour every time.
    UseLayer(*doc, "横_格网", kGrey);
    doc->ActiveLayer()->SetColor(2);
    UseLayer(*doc, "横_格网", kGrey);
    EXPECT_EQ(doc->ActiveLayer()->Name(), "横_格网");
    EXPECT_EQ(doc->ActiveLayer()->Color(), kGrey);
    // New entities go to the active layer.
    EXPECT_EQ(doc->ModelSpace().AddCircle({0, 0, 0}, 1)->Layer(), "横_格网");
}

TEST_F(PreparationTest, SelectionSetsAreNamedFromTheCount) {
    Document* doc = host.ActiveDocument();
    // A command deletes its set before the next command names one: both are "Velorin1".
    SelectionSet* first = NewSelectionSet(*doc);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Name(), "Velorin1");
    first->Delete();
    SelectionSet* second = NewSelectionSet(*doc);
    EXPECT_EQ(second->Name(), "Velorin1");
    // Line reversal leaves its set: the next one counts on.
    EXPECT_EQ(NewSelectionSet(*doc)->Name(), "Velorin2");
}

TEST_F(PreparationTest, TextStyleTakesTheFontsOfTheSettings) {
    Document* doc = host.ActiveDocument();
    TextStyle* style = SetupTextStyle(host, *doc, settings, "地形");
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->FontFile(), "Romans");
    EXPECT_EQ(style->BigFontFile(), "Htj_S");
    EXPECT_DOUBLE_EQ(style->Width(), 0.8);
    EXPECT_EQ(doc->ActiveTextStyle(), style);
    EXPECT_EQ(host.Err().Number(), kOk);

    settings.TextFont = "";
    SetupTextStyle(host, *doc, settings, "控制");
    EXPECT_EQ(host.Err().Number(), kUnexpected);  // the point plot stops on this
}

TEST_F(PreparationTest, SymbolsComeFromTheSupportFolderWhenTheDrawingLacksThem) {
    velorin::testing::TempDir program;
    std::filesystem::create_directories(program.path() + "Support");
    std::filesystem::copy_file(velorin::testing::SourceDir() + "support/高程点.dxf",
                               program.path() + "Support/高程点.dxf");
    Document* doc = host.ActiveDocument();
    host.Err().Clear();
    Entity* first = InsertSymbol(host, doc->ModelSpace(), program.path(), {10, 20, 31.5}, "高程点",
                                 "高程点.Dwg", 0.5);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Name(), "高程点");
    EXPECT_DOUBLE_EQ(first->InsertionPoint().z, 31.5);

    // With an old error still in the register, a symbol the drawing has is inserted once.
    Entity* second = InsertSymbol(host, doc->ModelSpace(), program.path(), {11, 20, 1}, "高程点",
                                  "高程点.Dwg", 0.5);
    ASSERT_NE(second, nullptr);
    SelectionSet* all = doc->SelectionSets().Add("all");
    all->Select(5, {{0}, {"INSERT"}});
    EXPECT_EQ(all->Count(), 2);

    // Neither in the drawing nor in Support: skipped like any failing call.
    EXPECT_EQ(
        InsertSymbol(host, doc->ModelSpace(), program.path(), {0, 0, 0}, "无此点", "无此点.Dwg", 1),
        nullptr);
}

TEST_F(PreparationTest, SystemLayerColours) {
    struct Case {
        const char* layer;
        int colour;
    };
    const Case cases[] = {{"地_点位_图根", kRed}, {"地_点号_图根", kBlue}, {"它_高程注记", kWhite},
                          {"断_中心点", kGreen},  {"断_断面号", kRed},     {"横_格网", kGrey},
                          {"纵_注字", kGreen},    {"用户层", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(SystemLayerColour(c.layer, settings), c.colour) << c.layer;
    EXPECT_EQ(AlertCommand("系统没有找到你要的字库！"), "(Alert \"系统没有找到你要的字库！\")\r");
}

}  // namespace
}  // namespace velorin::cad
