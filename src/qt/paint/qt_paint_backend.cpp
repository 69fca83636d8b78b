#include "qt/paint/qt_paint_backend.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>

namespace velorin::qt {

using cad::embedded::Rgb;

namespace {
QFont AtHundredPixels(QFont font) {
    font.setPixelSize(100);
    return font;
}
}  // namespace

QtPaintBackend::QtPaintBackend(QPainter& painter, double pixel)
    : painter_(painter),
      pixel_(pixel),
      font_(AtHundredPixels(SubstituteFont())),
      metrics_(font_),
      cap_(metrics_.capHeight() > 0 ? metrics_.capHeight() : metrics_.ascent() * 0.7) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
}

QFont QtPaintBackend::SubstituteFont() {
    QFont font("WenQuanYi Micro Hei");
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void QtPaintBackend::Pen(Rgb colour, double width) {
    QPen pen(QColor(colour.r, colour.g, colour.b));
    pen.setWidthF(std::max(width, pixel_));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
}

void QtPaintBackend::Polyline(const std::vector<Point2>& points, bool closed, Rgb colour,
                              double width) {
    Pen(colour, width);
    QPolygonF polygon;
    polygon.reserve(static_cast<int>(points.size()));
    for (const Point2& p : points) polygon << QPointF(p.x, p.y);
    if (closed)
        painter_.drawPolygon(polygon);
    else
        painter_.drawPolyline(polygon);
}

void QtPaintBackend::Polygon(const std::vector<Point2>& points, Rgb colour) {
    QColor c(colour.r, colour.g, colour.b);
    painter_.setPen(QPen(c, pixel_));
    painter_.setBrush(c);
    QPolygonF polygon;
    for (const Point2& p : points) polygon << QPointF(p.x, p.y);
    painter_.drawPolygon(polygon);
}

void QtPaintBackend::Area(const std::vector<std::vector<Point2>>& rings, Rgb colour) {
    QColor c(colour.r, colour.g, colour.b);
    painter_.setPen(QPen(c, pixel_));
    painter_.setBrush(c);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const auto& ring : rings) {
        QPolygonF polygon;
        polygon.reserve(static_cast<int>(ring.size()));
        for (const Point2& p : ring) polygon << QPointF(p.x, p.y);
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    painter_.drawPath(path);
}

void QtPaintBackend::Lines(const std::vector<Point2>& ends, Rgb colour) {
    Pen(colour, 0);
    QVector<QLineF> lines;
    lines.reserve(static_cast<int>(ends.size() / 2));
    for (size_t k = 0; k + 1 < ends.size(); k += 2)
        lines.append(QLineF(ends[k].x, ends[k].y, ends[k + 1].x, ends[k + 1].y));
    painter_.drawLines(lines);
}

void QtPaintBackend::Circle(Point2 centre, double radius, Rgb colour) {
    Pen(colour, 0);
    painter_.drawEllipse(QPointF(centre.x, centre.y), radius, radius);
}

void QtPaintBackend::Text(const std::string& text, Point2 origin, double height, double rotation,
                          double width, bool mirrored, Rgb colour) {
    QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    if (s.isEmpty()) return;
    // Scale the substitute font so that its capitals are as high as the drawing's text,
    // and stretch it to the width the text takes in the drawing.
    double factor = height / cap_;
    double natural = metrics_.horizontalAdvance(s) * factor;
    double stretch = width > 0 && natural > 0 ? width / natural : 1.0;
    painter_.save();
    painter_.translate(origin.x, origin.y);
    painter_.rotate(-rotation * 180 / M_PI);
    if (mirrored) painter_.scale(1, -1);
    painter_.scale(factor * stretch, factor);
    painter_.setFont(font_);
    painter_.setPen(QColor(colour.r, colour.g, colour.b));
    painter_.drawText(QPointF(0, 0), s);
    painter_.restore();
}

}  // namespace velorin::qt
