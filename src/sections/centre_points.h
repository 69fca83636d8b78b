// Marking centre points: the symbol blocks the user picks move onto the centre-point
// layer, where the section commands recognise a section's centre.
#pragma once

#include <optional>
#include <string>

#include "app/context.h"

namespace velorin::sections {

struct CentrePointInputs {
    std::string title;         // "单断面" (page 5) or "批量断面" (page 6)
    std::string centre_layer;  // the layer the picked blocks go to
    std::string symbol;        // block name a pick must have
    // Page 5 filters on three entries: the point layer when restricted, else the entity
    // type again. Page 6 filters on two.
    bool third_entry = false;
    std::optional<std::string> point_layer;
};

// Runs after the page checked its fields. Returns how many blocks were moved, or nothing
// when no host answered.
std::optional<int> MarkCentrePoints(app::Context& context, const CentrePointInputs& in);

}  // namespace velorin::sections
