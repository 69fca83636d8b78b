// What a click or a drag in the drawing window takes: the nearest entity under the
// cursor, or the entities of a window (wholly inside, dragged left to right) or of a
// crossing (touching, dragged right to left). Only entities that pass the filter count.
// Free of Qt, so that the rules are the same for the user's own edits and for a
// command's pick.
#pragma once

#include <optional>
#include <vector>

#include "cad/embedded/drawing.h"
#include "cad/host.h"

namespace velorin::qt {

// The entity nearest to `p` within `aperture` drawing units; the later one wins a tie,
// as it lies on top. nullptr when none is that close.
cad::embedded::EntityBase* EntityAt(const cad::embedded::Drawing& drawing, Point2 p,
                                    double aperture, const cad::Filter& filter);

// The entities of a window (`crossing` false: wholly inside `box`) or a crossing (inside
// or touching its edge), in drawing order.
std::vector<cad::embedded::EntityBase*> EntitiesIn(const cad::embedded::Drawing& drawing,
                                                   const cad::embedded::Box& box, bool crossing,
                                                   const cad::Filter& filter);

// Object snap: the exact point a click near something means. An endpoint (of a line, a
// polyline's vertex) or a block's insertion point (a plotted survey point, with its
// elevation) within `aperture` wins, the nearest of them; otherwise the nearest point on
// a line or polyline segment (a bulged segment counts as its chord). Nothing that close:
// nothing.
struct Snap {
    enum class Kind { Endpoint, Insertion, Nearest } kind;
    Point2 at;
    double z = 0;
};
std::optional<Snap> SnapAt(const cad::embedded::Drawing& drawing, Point2 p, double aperture);

}  // namespace velorin::qt
