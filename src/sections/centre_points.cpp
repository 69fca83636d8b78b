#include "sections/centre_points.h"

#include "sections/drawing_access.h"

namespace velorin::sections {

std::optional<int> MarkCentrePoints(app::Context& context, const CentrePointInputs& in) {
    auto h = OpenCurrentDrawing(context, in.title);
    if (!h) return std::nullopt;
    // Creates the layer when missing but leaves the current layer as it was.
    cad::MakeLayerCurrent(*h->app, *h->doc, in.centre_layer, cad::kCentreLayerColour, false);

    cad::Filter filter = MakeFilter({{0, "INSERT"}, {2, in.symbol}});
    if (in.third_entry) {
        if (in.point_layer)
            filter = MakeFilter({{0, "INSERT"}, {2, in.symbol}, {8, *in.point_layer}});
        else
            filter = MakeFilter({{0, "INSERT"}, {2, in.symbol}, {0, "INSERT"}});
    }
    cad::SelectionSet* set = cad::NewSelectionSet(*h->doc);
    cad::WindowAside(context.ui, true);
    int moved = 0;
    if (set) {
        set->SelectOnScreen(filter);
        for (int i = 0; i < set->Count(); ++i)
            if (cad::Entity* e = set->Item(i); e && e->SetLayer(in.centre_layer) == cad::kOk)
                ++moved;
    }
    cad::WindowAside(context.ui, false);
    if (set) set->Delete();
    h->doc->Utility().Prompt("已设 " + std::to_string(moved) + " 个中心点");
    return moved;
}

}  // namespace velorin::sections
