// The painting backend of PDF files (velorin-batch render, the sheets of the plots, the
// drawing window's PDF): what QtPaintBackend paints, written the way Qt's PDF engine
// writes least. A plot of a thousand sections is some 250,000 primitives on a thousand
// pages, and the engine writes the whole graphics state again whenever the transform, pen
// or brush changes, then compresses every byte. So here:
// - each string is laid out once and kept, and a text is placed by its glyph positions
//   under a transform shared by every text of the same size, turn and stretch; texts that
//   follow one another in one colour go out as one run of glyphs;
// - pen, brush and transform are set only when they change;
// - the painter works in 1/64 of a device pixel (1/76,800 inch), far below anything a
//   printer shows, with every point on a whole unit, and the glyphs at one pixel to a font
//   unit: the engine writes whole numbers in a few digits where it would write nine.
// What the pages show stays the same; lines stay vectors and texts stay texts.
#pragma once

#include <QBrush>
#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QPolygonF>
#include <QRawFont>
#include <QTransform>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cad/embedded/paint.h"

namespace velorin::qt {

class PdfPaintBackend : public cad::embedded::PaintBackend {
  public:
    // Painter units to a device pixel: the painter is scaled by its inverse here, so that
    // sizes given to cad::embedded::Paint are device pixels times this.
    static constexpr double kUnits = 64;

    explicit PdfPaintBackend(QPainter& painter);
    ~PdfPaintBackend() override;
    void Polyline(const std::vector<Point2>& points, bool closed, cad::embedded::Rgb colour,
                  double width) override;
    void Polygon(const std::vector<Point2>& points, cad::embedded::Rgb colour) override;
    void Area(const std::vector<std::vector<Point2>>& rings, cad::embedded::Rgb colour) override;
    void Lines(const std::vector<Point2>& ends, cad::embedded::Rgb colour) override;
    void Circle(Point2 centre, double radius, cad::embedded::Rgb colour) override;
    void Text(const std::string& text, Point2 origin, double height, double rotation, double width,
              bool mirrored, cad::embedded::Rgb colour) override;
    // Paints the texts still held back and gives the painter its transform back.
    void Flush() override;

  private:
    // A string as the substitute font lays it out, in units of the painted font: its
    // advance, and its glyphs with the baseline at 0.
    struct Shaped {
        double advance = 0;
        QList<QGlyphRun> runs;
    };
    const Shaped& Shape(const std::string& text);
    QRawFont Painted(const QRawFont& laid_out);
    void Pen(cad::embedded::Rgb colour, double width);
    void Brush(const QColor& colour);
    // Back to the painter's own transform, held texts painted first.
    void Plain();
    void PaintHeld();
    QPolygonF Whole(const std::vector<Point2>& points) const;

    QPainter& painter_;
    QFont font_;  // at the size strings are laid out
    double cap_;  // the painted font's capital height
    std::unordered_map<std::string, Shaped> shaped_;
    std::vector<std::pair<QRawFont, QRawFont>> painted_;  // laid out, painted

    // The painter's transform before the texts turned it, while they have.
    bool turned_ = false;
    QTransform base_;
    // The texts' transform without its translation: turn and scale.
    double rotation_ = 0, scale_x_ = 0, scale_y_ = 0;
    QTransform text_;
    // Texts held back, in the painter's current colour: their glyphs by font.
    struct Held {
        QRawFont font;
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    QColor held_colour_;
    std::vector<Held> held_;
    QBrush brush_;
};

}  // namespace velorin::qt
