// Painting a drawing through a narrow backend: the painter walks the entities, expands
// blocks, resolves colours and maps drawing coordinates to the device; a backend only
// strokes, fills and writes text. QPainter backends (window, PNG, PDF) live in qt/; the
// recording backend here lets tests see what would be painted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cad/embedded/drawing.h"

namespace velorin::cad::embedded {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The host's colour numbers as RGB; 7 is black on the white paper of pictures.
Rgb AciColour(int index);

// Device coordinates: pixels (or points), y downwards.
class PaintBackend {
  public:
    virtual ~PaintBackend() = default;
    virtual void Polyline(const std::vector<Point2>& points, bool closed, Rgb colour,
                          double width) = 0;
    virtual void Polygon(const std::vector<Point2>& points, Rgb colour) = 0;  // filled
    // A filled area bounded by closed rings, even-odd: a ring inside another is a hole.
    virtual void Area(const std::vector<std::vector<Point2>>& rings, Rgb colour) = 0;
    // Thin straight lines from ends[2k] to ends[2k + 1] (the lines of a hatch pattern).
    virtual void Lines(const std::vector<Point2>& ends, Rgb colour) = 0;
    virtual void Circle(Point2 centre, double radius, Rgb colour) = 0;
    // `origin` is the left end of the baseline; rotation counter-clockwise on the page in
    // radians; `height` the height of a capital; `width` the box it should fill.
    // `mirrored`: the glyphs stand on the other side of the baseline, as a text seen from
    // below (extrusion 0, 0, -1) reads backwards.
    virtual void Text(const std::string& text, Point2 origin, double height, double rotation,
                      double width, bool mirrored, Rgb colour) = 0;
    // Called when a painting is done: a backend that holds primitives back paints them now.
    virtual void Flush() {}

    // The part of the device that is seen; painting may leave out what lies outside it.
    // Not valid: all of it is seen.
    Box visible;
};

// Records what is painted, for tests.
class RecordingBackend : public PaintBackend {
  public:
    struct Item {
        enum class Kind { Polyline, Polygon, Area, Lines, Circle, Text } kind;
        std::vector<Point2> points;  // an area's rings one after the other
        Rgb colour;
        double size = 0;  // width, radius, text height, or an area's number of rings
        std::string text;
        double rotation = 0;
        bool mirrored = false;
    };
    std::vector<Item> items;
    void Polyline(const std::vector<Point2>& p, bool closed, Rgb c, double w) override;
    void Polygon(const std::vector<Point2>& p, Rgb c) override;
    void Area(const std::vector<std::vector<Point2>>& rings, Rgb c) override;
    void Lines(const std::vector<Point2>& ends, Rgb c) override;
    void Circle(Point2 centre, double r, Rgb c) override;
    void Text(const std::string& text, Point2 origin, double h, double rotation, double width,
              bool mirrored, Rgb c) override;
};

// Where the drawing window `window` lands on a device of `width` x `height`: scaled
// evenly, centred, with a margin, y turned downwards.
Affine DeviceTransform(const Box& window, double width, double height, double margin = 10);

// Paints the model space entities that lie in `window`, fitted inside `margin` device
// units of a device of `width` x `height`.
void Paint(const Drawing& drawing, const Box& window, double width, double height,
           PaintBackend& backend, double margin = 10);

// A line of text as it is shown, with the stretches drawn with a line under, over or
// through them.
struct ShownLine {
    enum class Stroke : uint8_t { Under, Over, Through };
    struct Run {
        size_t begin, end;  // bytes of `text`
        Stroke stroke;
        bool operator==(const Run&) const = default;
    };
    std::string text;
    std::vector<Run> runs;
    bool operator==(const ShownLine&) const = default;
};

// The lines a TEXT or MTEXT shows: character codes ("%%d", "%%nnn", "\M+1XXXX")
// and MTEXT formatting resolved, lines split, "%%u" and its kin as stroked runs.
std::vector<ShownLine> DisplayText(const TextEntity& text);

}  // namespace velorin::cad::embedded
