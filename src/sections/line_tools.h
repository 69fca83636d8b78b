// The two drawing tools of the batch page: turning section lines round, and removing
// the range outlines and start circles left on "断_有效范围".
#pragma once

#include <optional>
#include <string>

#include "app/context.h"

namespace velorin::sections {

// The user picks polylines on `section_layer`; each is replaced by one through the same
// vertices in the opposite order, on the same layer. The new line is drawn before the
// old one goes, so a line is never lost. Returns how many were turned, or nothing when
// no host answered.
std::optional<int> ReverseLines(app::Context& context, const std::string& section_layer);

// Erases every entity on "断_有效范围" and says so in the drawing. Returns how many went,
// or nothing when no host answered.
std::optional<int> DeleteAuxLines(app::Context& context);

}  // namespace velorin::sections
