// Sections crossed by one line along the road: the valid-range command outlines, checks
// and stores them; collecting them numbers the sections along the line, fills their
// points and centres them in the store (page 6 "横断面图").
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/context.h"
#include "sections/geometry.h"

namespace velorin::sections {

// Half-width of the fence that finds the section lines along each crossing segment.
inline constexpr double kFenceHalfWidth = 0.5;

struct ValidRangeInputs {
    std::string section_layer;
    double valid_offset = 0;
    bool outline = true;  // the range rectangle of each section
    bool check_direction = false;
    bool mark_start = false;  // a circle at each section line's first vertex
    std::string prefix;
    double start = 0;  // the start number as read from its field
    std::string suffix;
    double plot_scale = 0.5;  // circle radius 4 × this
};

// Runs after the page checked its fields. Returns the log lines for the page; empty when
// the command ended before the search.
std::vector<std::string> MarkValidRange(app::Context& context, const ValidRangeInputs& in);

struct CrossingInputs {
    std::string section_layer;
    bool centre_shift = false;
    std::string centre_layer;
    std::string symbol;
    double valid_offset = 0;
    std::string prefix;
    double start = 0;
    std::string suffix;
    double plot_scale = 0.5;  // number text height 3 × this
};

// The plan view the page sketches: the box around everything, the section lines, the
// crossing line's vertices and the numbers at the sections' first vertices.
struct PlanSketch {
    double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
    std::vector<std::pair<Point2, Point2>> sections;
    std::vector<Point2> crossing;
    std::vector<std::pair<Point2, std::string>> numbers;
};

struct CrossingResult {
    bool searched = false;  // a crossing line was taken: the sketch is ready
    bool numbered = false;  // sections were found, numbered and filled: plots and file follow
    PlanSketch sketch;
};

// Everything of page 6's "横断面图" up to the plots: the search, the numbering along the crossing
// line with the numbers written in the drawing, the point search per section and the centre shift.
// The window stays aside when sections were numbered (the plots follow).
CrossingResult CollectCrossingSections(app::Context& context, const CrossingInputs& in);

// Writes every section of the store to "MainDir\断面数据\first～last.dm". Returns the
// path written, or empty with `error` set.
std::string WriteCrossingSectionFile(app::Context& context, std::string* error);

}  // namespace velorin::sections
