#include "sections/drawing_access.h"

namespace velorin::sections {

std::optional<cad::HostHandles> OpenCurrentDrawing(app::Context& context, std::string_view title,
                                                   cad::VariableSet variables) {
    cad::Application* app = nullptr;
    if (context.host) {
        app = cad::AttachHost(*context.host, context.ui, title);
    } else {
        cad::WindowAside(context.ui, true);
        context.ui.MessageBox(app::MessageIcon::Exclamation, title, "请打开AutoCAD系统！");
        cad::WindowAside(context.ui, false);
    }
    if (!app) return std::nullopt;
    cad::HostHandles handles =
        cad::PrepareDrawing(*context.host, *app, cad::DocumentChoice::Current, variables);
    // A host without a drawing open cannot be worked in; it is as good as none.
    if (!handles.doc || !handles.space) {
        cad::WindowAside(context.ui, true);
        context.ui.MessageBox(app::MessageIcon::Exclamation, title, "请打开AutoCAD系统！");
        cad::WindowAside(context.ui, false);
        return std::nullopt;
    }
    return handles;
}

cad::Filter MakeFilter(std::initializer_list<std::pair<int16_t, std::string>> entries) {
    cad::Filter f;
    for (const auto& [code, value] : entries) {
        f.types.push_back(code);
        f.data.push_back(value);
    }
    return f;
}

std::vector<Point2> Vertices(const cad::Entity& polyline) {
    std::vector<double> c = polyline.Coordinates();
    std::vector<Point2> out;
    for (size_t i = 0; i + 1 < c.size(); i += 2) out.push_back({c[i], c[i + 1]});
    return out;
}

void Alert(cad::Document& doc, std::string_view message) {
    doc.SendCommand(cad::AlertCommand(message));
}

void DrawOutline(cad::ModelSpace& space, const std::array<Point2, 4>& k) {
    cad::Entity* outline = space.AddLightWeightPolyline({k[0].x, k[0].y, k[1].x, k[1].y});
    if (!outline) return;
    outline->AddVertex(2, k[2].x, k[2].y);
    outline->AddVertex(3, k[3].x, k[3].y);
    outline->SetClosed(true);
}

}  // namespace velorin::sections
