// How the section commands reach the drawing: attach to the host (telling the user when
// none answers) and prepare the current document; the filters they select with.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "base/point.h"
#include "cad/preparation.h"
#include "sections/geometry.h"

namespace velorin::sections {

// The current document, prepared with `variables`; nothing when no host answers (the
// user has been told under `title`).
std::optional<cad::HostHandles> OpenCurrentDrawing(
    app::Context& context, std::string_view title,
    cad::VariableSet variables = cad::VariableSet::All);

// A filter from (group code, value) pairs.
cad::Filter MakeFilter(std::initializer_list<std::pair<int16_t, std::string>> entries);

// A polyline's vertices from its flat coordinate list.
std::vector<Point2> Vertices(const cad::Entity& polyline);

// Shows a message in the host (the Alert expression), as the drawing-side alerts do.
void Alert(cad::Document& doc, std::string_view message);

// Draws the closed outline K1..K4 on the current layer.
void DrawOutline(cad::ModelSpace& space, const std::array<Point2, 4>& corners);

}  // namespace velorin::sections
