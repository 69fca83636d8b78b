#include "cad/preparation.h"

#include "base/paths.h"
#include "base/strings.h"

namespace velorin::cad {

int SystemLayerColour(std::string_view layer, const app::Settings& settings) {
    static const SystemLayer kFixed[] = {
        kElevationNoteLayer, kControlPointLayer, kControlNameLayer,    kValidRangeLayer,
        kSectionNumberLayer, kCrossTitleLayer,   kCrossGridLayer,      kCrossNumberLayer,
        kCrossLineLayer,     kCrossPointLayer,   kCrossElevationLayer, kProfileTitleLayer,
        kProfileTableLayer,  kProfileScaleLayer, kProfileDataLayer,    kProfileLineLayer,
        kProfileNoteLayer,   kProfilePointLayer};
    for (const SystemLayer& l : kFixed)
        if (layer == l.name) return l.colour;
    if (layer == settings.CentreLayer) return kCentreLayerColour;
    if (StartsWith(layer, kPointLayerPrefix.name)) return kPointLayerPrefix.colour;
    if (StartsWith(layer, kNameLayerPrefix.name)) return kNameLayerPrefix.colour;
    return -1;
}

void WindowAside(app::Ui& ui, bool aside) { ui.WindowAside(aside); }

std::string AlertCommand(std::string_view message) {
    return "(Alert \"" + std::string(message) + "\")\r";
}

Application* AttachHost(HostConnector& connector, app::Ui& ui, std::string_view title) {
    Application* app = connector.Attach();
    if (app) return app;
    WindowAside(ui, true);
    ui.MessageBox(app::MessageIcon::Exclamation, title, "请打开AutoCAD系统！");
    WindowAside(ui, false);
    return nullptr;
}

std::vector<VariableValue> DrawingVariables(VariableSet set) {
    const std::vector<VariableValue> all = {{"AttDia", int16_t{1}},
                                            {"AunIts", int16_t{0}},
                                            {"BlipMode", int16_t{0}},
                                            {"CeColor", std::string("ByLayer")},
                                            {"Celtype", std::string("Bylayer")},
                                            {"FileDia", int16_t{1}},
                                            {"LunIts", int16_t{2}},
                                            {"MeasureMent", int16_t{1}},
                                            {"MirrText", int16_t{0}},
                                            {"OsMode", int16_t{0}},
                                            {"UcsIcon", int16_t{1}}};
    std::vector<std::string> names;
    switch (set) {
        case VariableSet::All:
            return all;
        case VariableSet::LineReversal:
            names = {"CeColor", "Celtype", "OsMode", "UcsIcon"};
            break;
        case VariableSet::AuxiliaryRemoval:
            names = {"OsMode", "UcsIcon"};
            break;
    }
    std::vector<VariableValue> out;
    for (const auto& v : all)
        for (const auto& n : names)
            if (n == v.name) out.push_back(v);
    return out;
}

HostHandles PrepareDrawing(HostConnector& connector, Application& app, DocumentChoice choice,
                           VariableSet variables) {
    HostHandles h;
    h.app = &app;
    h.doc = choice == DocumentChoice::New ? app.Documents().Add() : app.ActiveDocument();
    if (!h.doc) return h;
    h.space = &h.doc->ModelSpace();
    for (const auto& v : DrawingVariables(variables)) h.doc->SetVariable(v.name, v.value);
    app.SetVisible(true);
    connector.ActivateWindow(app.Caption());
    return h;
}

TextStyle* SetupTextStyle(Application& app, Document& doc, const app::Settings& settings,
                          const std::string& name) {
    (void)app;  // failures land in its error register
    TextStyle* style = doc.TextStyles().Add(name);
    if (!style) return nullptr;
    style->SetFontFile(settings.TextFont);
    style->SetBigFontFile(settings.TextBigFont);
    style->SetWidth(0.8);
    doc.SetActiveTextStyle(style);
    return style;
}

void MakeLayerCurrent(Application& app, Document& doc, const std::string& name, int colour,
                      bool activate) {
    // The call's own status decides: an older failure left in the register must not
    // make an existing layer look missing.
    if (doc.SetVariable("CLayer", name) != kLayerNotFound) return;
    app.Err().Clear();
    Layer* layer = doc.Layers().Add(name);
    if (!layer) return;
    layer->SetColor(colour);
    if (activate) doc.SetActiveLayer(layer);
}

void UseLayer(Document& doc, const std::string& name, int colour) {
    Layer* layer = doc.Layers().Add(name);
    if (!layer) return;
    layer->SetColor(colour);
    doc.SetActiveLayer(layer);
}

SelectionSet* NewSelectionSet(Document& doc) {
    int number = doc.SelectionSets().Count() + 1;
    return doc.SelectionSets().Add("Velorin" + std::to_string(number));
}

Entity* InsertSymbol(Application& app, ModelSpace& space, const std::string& program_dir, Point3 at,
                     const std::string& block, const std::string& drawing_file, double scale) {
    Entity* e = space.InsertBlock(at, block, scale, scale, scale, 0);
    // Only this insert's own failure (whose code is now in the register) sends it to the
    // drawing file: an error an earlier call left there would otherwise insert every
    // symbol twice.
    HResult code = app.Err().Number();
    if (!e && (code == kUnexpected || code == kNotFound))
        e = space.InsertBlock(at, JoinPath(JoinPath(program_dir, "Support"), drawing_file), scale,
                              scale, scale, 0);
    return e;
}

}  // namespace velorin::cad
