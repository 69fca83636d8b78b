// The preparation every drawing command shares: attaching to the host, choosing the
// document and putting its variables into a known state, the text style, the two ways of
// making a layer current, selection set names, symbol insertion with its fallback to the
// symbol drawings, and stepping the main window aside. Also the system's layers and
// their colours.
#pragma once

#include <string>
#include <string_view>

#include "app/settings.h"
#include "app/ui.h"
#include "cad/host.h"

namespace velorin::cad {

// Host colour numbers.
inline constexpr int kRed = 1, kGreen = 3, kBlue = 5, kWhite = 7, kGrey = 8;

// The layers the system creates and the colour each gets when created.
struct SystemLayer {
    const char* name;  // a prefix for the two per-class layers of the point plot
    int colour;
};
inline constexpr SystemLayer kPointLayerPrefix{"地_点位_", kRed};  // + the class name
inline constexpr SystemLayer kNameLayerPrefix{"地_点号_", kBlue};  // + the class name
inline constexpr SystemLayer kElevationNoteLayer{"它_高程注记", kWhite};
inline constexpr SystemLayer kControlPointLayer{"控_点位", kWhite};
inline constexpr SystemLayer kControlNameLayer{"控_点名", kWhite};
inline constexpr int kCentreLayerColour = kGreen;  // the centre-point layer (a setting)
inline constexpr SystemLayer kValidRangeLayer{"断_有效范围", kGreen};
inline constexpr SystemLayer kSectionNumberLayer{"断_断面号", kRed};
inline constexpr SystemLayer kCrossTitleLayer{"横_标题", kWhite};
inline constexpr SystemLayer kCrossGridLayer{"横_格网", kGrey};
inline constexpr SystemLayer kCrossNumberLayer{"横_断面号", kWhite};
inline constexpr SystemLayer kCrossLineLayer{"横_断面线", kRed};
inline constexpr SystemLayer kCrossPointLayer{"横_高程点", kGreen};
inline constexpr SystemLayer kCrossElevationLayer{"横_高程", kBlue};
inline constexpr SystemLayer kProfileTitleLayer{"纵_标题", kWhite};
inline constexpr SystemLayer kProfileTableLayer{"纵_表格", kGrey};
inline constexpr SystemLayer kProfileScaleLayer{"纵_高程标尺", kWhite};
inline constexpr SystemLayer kProfileDataLayer{"纵_断面数据", kBlue};
inline constexpr SystemLayer kProfileLineLayer{"纵_断面线", kRed};
inline constexpr SystemLayer kProfileNoteLayer{"纵_注字", kGreen};
inline constexpr SystemLayer kProfilePointLayer{"纵_点位", kRed};

// The colour a system layer is created with; -1 for a layer the system does not create.
int SystemLayerColour(std::string_view layer, const app::Settings& settings);

// What a command holds while it runs; set at its start, nothing carries over.
struct HostHandles {
    Application* app = nullptr;
    Document* doc = nullptr;
    ModelSpace* space = nullptr;
    Entity* object = nullptr;
    SelectionSet* set = nullptr;
};

enum class DocumentChoice { Current, New };
enum class VariableSet { All, LineReversal, AuxiliaryRemoval };

// Attaches to the running host. When none answers, tells the user ("请打开AutoCAD系统！"
// under `title`, with the window aside meanwhile) and returns nullptr.
Application* AttachHost(HostConnector& connector, app::Ui& ui, std::string_view title);

// Takes the current or a new document and its model space, sets the variable set in
// order, shows the host and brings its window forward. Host errors do not stop it.
HostHandles PrepareDrawing(HostConnector& connector, Application& app, DocumentChoice choice,
                           VariableSet variables);

// The variables of a set, in the order they are sent.
struct VariableValue {
    const char* name;
    Variable value;
};
std::vector<VariableValue> DrawingVariables(VariableSet set);

// Adds (or takes) the text style, gives it the font files of the settings and width
// 0.8, and makes it the active style. The caller tests the error register for a
// missing font where its rules say so.
TextStyle* SetupTextStyle(Application& app, Document& doc, const app::Settings& settings,
                          const std::string& name);

// Makes the layer current through "CLayer"; a missing layer is created with `colour`
// and, when `activate`, made the active layer. An existing layer keeps its colour.
void MakeLayerCurrent(Application& app, Document& doc, const std::string& name, int colour,
                      bool activate = true);

// Adds (or takes) the layer, gives it `colour` every time and makes it active.
void UseLayer(Document& doc, const std::string& name, int colour);

// A new selection set named "Velorin" + (the document's set count + 1).
SelectionSet* NewSelectionSet(Document& doc);

// Inserts the symbol block; when the drawing lacks it, inserts it from
// program_dir + "Support" + drawing_file instead.
Entity* InsertSymbol(Application& app, ModelSpace& space, const std::string& program_dir, Point3 at,
                     const std::string& block, const std::string& drawing_file, double scale);

// Moves the main window aside (true) or back (false).
void WindowAside(app::Ui& ui, bool aside);

// The Alert expression that shows `message` in the host.
std::string AlertCommand(std::string_view message);

}  // namespace velorin::cad
