// Taking one section: the user picks a section line, every point block within the valid
// offset of one of its segments becomes a point of the section in the store, with its
// chainage from the line's first vertex, elevation, offset and layer.
#pragma once

#include <string>
#include <vector>

#include "app/context.h"
#include "cad/host.h"
#include "sections/geometry.h"

namespace velorin::sections {

struct SectionLineInputs {
    std::string section_no;
    std::string symbol;
    double valid_offset = 0;
    bool restrict_layer = false;  // only blocks on `point_layer`
    std::string point_layer;
};

// A Point row as the page lists it.
struct SectionPointRow {
    double slen = 0, high = 0, pian = 0;
    std::string layer;
};

struct TakenSection {
    bool taken = false;                   // a line was picked and searched
    std::vector<SectionPointRow> points;  // the store's points by chainage
};

// Runs after the page checked its fields: empties Line, Cross and Point, lets the user
// pick one polyline, stores its vertices, the section and its points, and leaves a range
// outline per segment on "断_有效范围".
TakenSection TakeSectionLine(app::Context& context, const SectionLineInputs& in);

// Adds the Point rows of the blocks found in one segment's rectangle. `chainage` is the
// chainage of the segment's start. Shared by the single and the batch extraction.
struct FoundPoint {
    double slen = 0, high = 0, pian = 0;
    std::string layer;
};
void SearchSegment(cad::Document& doc, const Segment& s, double valid_offset,
                   const cad::Filter& filter, double chainage, std::vector<FoundPoint>& out);

}  // namespace velorin::sections
