// The section plots: every section of the working store drawn into a new drawing of the
// host, as cross-section plots stacked in one column or as longitudinal profiles with
// their table. The page-5, page-6 and page-7 commands call them; scales, text heights
// and fonts come from the settings.
#pragma once

#include <string>
#include <vector>

#include "app/context.h"
#include "cad/host.h"

namespace velorin::plots {

// Cross-section plots of every section with points, in SIndex order. `axis_a` and
// `axis_b` give a unified elevation axis unless both are 0; an empty `title` draws no
// title line. Returns the new drawing, or nullptr when there was nothing to draw or no
// host answered (the user has been told). The drawing is left open and unsaved.
cad::Document* DrawCrossSections(app::Context& context, const double& axis_a, const double& axis_b,
                                 const std::string& title);

// The room one cross-section takes, in drawing units, x measured from the centre line and
// y from its grid's bottom edge: the grid itself and everything drawn for it (labels,
// number, points and elevations outside the grid).
struct SectionRoom {
    std::string section;
    double grid_width = 0, grid_height = 0;
    double left = 0, right = 0, bottom = 0, top = 0;
};

// Puts the cross-sections somewhere other than one column. Told every section's room
// before anything is drawn (false: nothing is drawn), then asked for the model space
// through which the next section, drawn as in the column with its grid's bottom edge at
// `base`, reaches its place; Finish draws around the sections.
class SectionPlacer {
  public:
    virtual ~SectionPlacer() = default;
    virtual bool Plan(const std::vector<SectionRoom>& rooms) = 0;
    virtual cad::ModelSpace& Place(size_t index, double base, cad::ModelSpace& space) = 0;
    virtual void Finish(cad::Document& doc, cad::ModelSpace& space) = 0;
};

// The same plots placed by `placer`; no title line is drawn (the placer draws its own).
cad::Document* DrawCrossSections(app::Context& context, const double& axis_a, const double& axis_b,
                                 SectionPlacer& placer);

// Profiles of every section with points, one below the other, with chainages shifted by
// `start_chainage` metres. The shift is applied to what is drawn only: the store keeps
// its chainages, so drawing the same profile twice gives the same drawing. Returns the
// new drawing, or nullptr as above.
cad::Document* DrawProfile(app::Context& context, const double& start_chainage);

// What one profile spans, in drawing units: its frame's chainages, its elevation limits
// (the frame runs a metre beyond them) and its first point's chainage, which lies left of
// the frame when the profile starts before chainage 0.
struct ProfileRoom {
    std::string section;
    double start_x = 0, end_x = 0, low = 0, high = 0, first = 0;
};

// A stretch of one profile, drawn as a profile of its own framed from `from` to `to`.
struct ProfilePiece {
    size_t profile = 0;  // among the rooms planned
    double from = 0, to = 0;
};

// Cuts profiles into pieces placed somewhere other than one below the other. Told every
// profile's room before anything is drawn (false: nothing is drawn), it gives the pieces
// in drawing order; each piece is drawn as the whole profile would be (without its title
// lines, the placer draws its own) through the model space Place hands out, which moves
// the frame's upper left corner, drawn at (x, y), to the piece's place.
class ProfilePlacer {
  public:
    virtual ~ProfilePlacer() = default;
    virtual bool Plan(const std::vector<ProfileRoom>& rooms) = 0;
    virtual const std::vector<ProfilePiece>& Pieces() const = 0;
    virtual cad::ModelSpace& Place(size_t piece, double x, double y, cad::ModelSpace& space) = 0;
    virtual void Finish(cad::Document& doc, cad::ModelSpace& space) = 0;
};

// The same profiles cut and placed by `placer`.
cad::Document* DrawProfile(app::Context& context, const double& start_chainage,
                           ProfilePlacer& placer);

// A profile chainage as kilometres + "+" + metres (1234.56 -> "1+234.6").
std::string ChainageText(double chainage);

}  // namespace velorin::plots
