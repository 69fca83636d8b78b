#include "sections/line_tools.h"

#include "sections/drawing_access.h"

namespace velorin::sections {

std::optional<int> ReverseLines(app::Context& context, const std::string& section_layer) {
    auto h = OpenCurrentDrawing(context, "批量断面", cad::VariableSet::LineReversal);
    if (!h) return std::nullopt;
    cad::WindowAside(context.ui, true);
    // The set stays in the drawing's list of sets, as it always has.
    cad::SelectionSet* set = cad::NewSelectionSet(*h->doc);
    int turned = 0;
    if (set) {
        set->SelectOnScreen(MakeFilter({{0, "LWPOLYLINE"}, {8, section_layer}}));
        for (int i = 0; i < set->Count(); ++i) {
            cad::Entity* old = set->Item(i);
            if (!old) continue;
            std::vector<double> xy = old->Coordinates();
            if (xy.size() < 4) continue;
            std::vector<double> reversed;
            reversed.reserve(xy.size());
            for (size_t j = xy.size(); j >= 2; j -= 2) {
                reversed.push_back(xy[j - 2]);
                reversed.push_back(xy[j - 1]);
            }
            h->doc->SetVariable("CLayer", old->Layer());
            // Only a line that was replaced is erased.
            if (!h->space->AddLightWeightPolyline(reversed)) continue;
            old->Erase();
            ++turned;
        }
    }
    cad::WindowAside(context.ui, false);
    h->doc->Utility().Prompt("已反向 " + std::to_string(turned) + " 条线");
    return turned;
}

std::optional<int> DeleteAuxLines(app::Context& context) {
    auto h = OpenCurrentDrawing(context, "删辅助线", cad::VariableSet::AuxiliaryRemoval);
    if (!h) return std::nullopt;
    cad::SelectionSet* set = cad::NewSelectionSet(*h->doc);
    int erased = 0;
    if (set) set->Select(5, MakeFilter({{8, cad::kValidRangeLayer.name}}));
    cad::WindowAside(context.ui, true);
    if (set) {
        erased = set->Count();
        set->Erase();
        set->Delete();
    }
    context.host->ActivateWindow(h->app->Caption());
    Alert(*h->doc, "辅助线清理完毕！");
    h->doc->Utility().Prompt("已删除 " + std::to_string(erased) + " 条辅助线");
    cad::WindowAside(context.ui, false);
    return erased;
}

}  // namespace velorin::sections
