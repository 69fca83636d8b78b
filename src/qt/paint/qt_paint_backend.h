// The QPainter backend of the drawing painter, used by the drawing window and for PNG and
// PDF pictures. Texts are painted with a CJK font in place of the drawing's SHX fonts.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include "cad/embedded/paint.h"

namespace velorin::qt {

class QtPaintBackend : public cad::embedded::PaintBackend {
  public:
    // `pixel` is the size of one device pixel in painter units (for hairlines).
    explicit QtPaintBackend(QPainter& painter, double pixel = 1.0);
    void Polyline(const std::vector<Point2>& points, bool closed, cad::embedded::Rgb colour,
                  double width) override;
    void Polygon(const std::vector<Point2>& points, cad::embedded::Rgb colour) override;
    void Area(const std::vector<std::vector<Point2>>& rings, cad::embedded::Rgb colour) override;
    void Lines(const std::vector<Point2>& ends, cad::embedded::Rgb colour) override;
    void Circle(Point2 centre, double radius, cad::embedded::Rgb colour) override;
    void Text(const std::string& text, Point2 origin, double height, double rotation, double width,
              bool mirrored, cad::embedded::Rgb colour) override;

    // The font that stands in for the drawing's SHX fonts.
    static QFont SubstituteFont();

  private:
    void Pen(cad::embedded::Rgb colour, double width);
    QPainter& painter_;
    double pixel_;
    QFont font_;  // at 100 pixels
    // Measures of the font at 100 pixels, made once: a plot paints many thousand texts.
    QFontMetricsF metrics_;
    double cap_;
};

}  // namespace velorin::qt
