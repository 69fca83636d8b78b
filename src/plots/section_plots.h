// The section plots: every section of the working store drawn into a new drawing of the
// host, as cross-section plots stacked in one column or as longitudinal profiles with
// their table. The page-5, page-6 and page-7 commands call them; scales, text heights
// and fonts come from the settings.
#pragma once

#include <string>

#include "app/context.h"
#include "cad/host.h"

namespace velorin::plots {

// Cross-section plots of every section with points, in SIndex order. `axis_a` and
// `axis_b` give a unified elevation axis unless both are 0; an empty `title` draws no
// title line. Returns the new drawing, or nullptr when there was nothing to draw or no
// host answered (the user has been told). The drawing is left open and unsaved.
cad::Document* DrawCrossSections(app::Context& context, const double& axis_a, const double& axis_b,
                                 const std::string& title);

// Profiles of every section with points, one below the other, with chainages shifted by
// `start_chainage` metres. The shift is applied to what is drawn only: the store keeps
// its chainages, so drawing the same profile twice gives the same drawing. Returns the
// new drawing, or nullptr as above.
cad::Document* DrawProfile(app::Context& context, const double& start_chainage);

// A profile chainage as kilometres + "+" + metres (1234.56 -> "1+234.6").
std::string ChainageText(double chainage);

}  // namespace velorin::plots
