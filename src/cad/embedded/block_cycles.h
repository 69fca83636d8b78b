// Blocks that refer to themselves, directly or through other blocks. CAD programs refuse
// to make such a block, but a damaged or hand-made drawing may hold one; the host draws
// none of it beyond the first level and tells the user which blocks they are.
#pragma once

#include <string>
#include <vector>

#include "cad/embedded/drawing.h"

namespace velorin::cad::embedded {

// The names of the blocks on a reference cycle, in the drawing's block order.
std::vector<std::string> SelfReferringBlocks(const Drawing& drawing);

// What the user is told on opening the drawing: one line per finding, none for a sound
// drawing. `name` is the drawing's file name or path.
std::vector<std::string> DrawingWarnings(const Drawing& drawing, const std::string& name);

}  // namespace velorin::cad::embedded
