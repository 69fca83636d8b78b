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
    virtual void Circle(Point2 centre, double radius, Rgb colour) = 0;
    // `origin` is the lower left corner of the text; rotation counter-clockwise on the
    // page in radians; `height` the height of a capital; `width` the box it should fill.
    virtual void Text(const std::string& text, Point2 origin, double height, double rotation,
                      double width, Rgb colour) = 0;
    // Called when a painting is done: a backend that holds primitives back paints them now.
    virtual void Flush() {}
};

// Records what is painted, for tests.
class RecordingBackend : public PaintBackend {
  public:
    struct Item {
        enum class Kind { Polyline, Polygon, Circle, Text } kind;
        std::vector<Point2> points;
        Rgb colour;
        double size = 0;  // width, radius or text height
        std::string text;
    };
    std::vector<Item> items;
    void Polyline(const std::vector<Point2>& p, bool closed, Rgb c, double w) override;
    void Polygon(const std::vector<Point2>& p, Rgb c) override;
    void Circle(Point2 centre, double r, Rgb c) override;
    void Text(const std::string& text, Point2 origin, double h, double rotation, double width,
              Rgb c) override;
};

// Where the drawing window `window` lands on a device of `width` x `height`: scaled
// evenly, centred, with a margin, y turned downwards.
Affine DeviceTransform(const Box& window, double width, double height, double margin = 10);

// Paints the model space entities that lie in `window`, fitted inside `margin` device
// units of a device of `width` x `height`.
void Paint(const Drawing& drawing, const Box& window, double width, double height,
           PaintBackend& backend, double margin = 10);

// The text a TEXT or MTEXT shows: control codes ("%%d", MTEXT formatting) resolved, lines
// split.
std::vector<std::string> DisplayLines(const TextEntity& text);

}  // namespace velorin::cad::embedded
