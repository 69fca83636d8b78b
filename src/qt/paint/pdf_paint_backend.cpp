#include "qt/paint/pdf_paint_backend.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "qt/paint/qt_paint_backend.h"

namespace velorin::qt {

using cad::embedded::Rgb;

namespace {

// Strings are laid out at 256 pixels, the largest size whose glyphs the font engine keeps,
// where this font's advances (2048 units to the em) are exact eighths of a pixel; the
// glyphs are painted at 2048 pixels, one to a unit, so that every advance is whole.
constexpr int kLayoutPixels = 256;
constexpr int kPaintedPixels = 2048;
constexpr double kPainted = static_cast<double>(kPaintedPixels) / kLayoutPixels;

// Distinct strings kept; a drawing of more starts afresh rather than grow without end.
constexpr size_t kShapedKept = 200000;

QColor ColourOf(Rgb c) { return QColor(c.r, c.g, c.b); }

// Transforms this close draw the same to far below a device pixel; texts of one size
// differ in their last bits as their boxes are worked out at different places.
bool Near(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), 1.0); }

QFont LaidOutFont() {
    QFont font = QtPaintBackend::SubstituteFont();
    font.setPixelSize(kLayoutPixels);
    return font;
}

double CapHeight(const QFont& font) {
    QFontMetricsF metrics(font);
    return (metrics.capHeight() > 0 ? metrics.capHeight() : metrics.ascent() * 0.7) * kPainted;
}

}  // namespace

PdfPaintBackend::PdfPaintBackend(QPainter& painter)
    : painter_(painter), font_(LaidOutFont()), cap_(CapHeight(font_)) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.scale(1 / kUnits, 1 / kUnits);
}

PdfPaintBackend::~PdfPaintBackend() {
    if (painter_.isActive()) Flush();
}

void PdfPaintBackend::Flush() { Plain(); }

void PdfPaintBackend::PaintHeld() {
    for (Held& h : held_) {
        QGlyphRun run;
        run.setRawFont(h.font);
        run.setGlyphIndexes(h.indexes);
        run.setPositions(h.positions);
        painter_.drawGlyphRun(QPointF(0, 0), run);
    }
    held_.clear();
}

void PdfPaintBackend::Plain() {
    PaintHeld();
    if (turned_) painter_.setTransform(base_);
    turned_ = false;
}

void PdfPaintBackend::Pen(Rgb colour, double width) {
    Plain();
    QPen pen(ColourOf(colour));
    pen.setWidthF(std::max(width, kUnits));  // at least a device pixel
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(pen);  // the painter passes over a pen equal to its own
    painter_.setBrush(Qt::NoBrush);
}

QPolygonF PdfPaintBackend::Whole(const std::vector<Point2>& points) const {
    QPolygonF polygon;
    polygon.reserve(static_cast<int>(points.size()));
    for (const Point2& p : points) polygon << QPointF(std::round(p.x), std::round(p.y));
    return polygon;
}

void PdfPaintBackend::Polyline(const std::vector<Point2>& points, bool closed, Rgb colour,
                               double width) {
    Pen(colour, width);
    if (closed)
        painter_.drawPolygon(Whole(points));
    else
        painter_.drawPolyline(Whole(points));
}

void PdfPaintBackend::Brush(const QColor& c) {
    Plain();
    painter_.setPen(QPen(c, kUnits));
    // One brush kept: a new one, even of the same colour, counts as a change.
    if (brush_.style() != Qt::SolidPattern || brush_.color() != c) brush_ = QBrush(c);
    painter_.setBrush(brush_);
}

void PdfPaintBackend::Polygon(const std::vector<Point2>& points, Rgb colour) {
    Brush(ColourOf(colour));
    painter_.drawPolygon(Whole(points));
}

void PdfPaintBackend::Area(const std::vector<std::vector<Point2>>& rings, Rgb colour) {
    Brush(ColourOf(colour));
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const auto& ring : rings) {
        path.addPolygon(Whole(ring));
        path.closeSubpath();
    }
    painter_.drawPath(path);
}

void PdfPaintBackend::Lines(const std::vector<Point2>& ends, Rgb colour) {
    Pen(colour, 0);
    QVector<QLineF> lines;
    lines.reserve(static_cast<int>(ends.size() / 2));
    for (size_t k = 0; k + 1 < ends.size(); k += 2)
        lines.append(QLineF(std::round(ends[k].x), std::round(ends[k].y), std::round(ends[k + 1].x),
                            std::round(ends[k + 1].y)));
    painter_.drawLines(lines);
}

void PdfPaintBackend::Circle(Point2 centre, double radius, Rgb colour) {
    Pen(colour, 0);
    // The four quarter arcs the painter makes of a circle, on whole units.
    const double x = std::round(centre.x), y = std::round(centre.y), r = std::round(radius),
                 k = std::round(radius * 0.5522847498);
    QPainterPath path;
    path.moveTo(x + r, y);
    path.cubicTo(x + r, y + k, x + k, y + r, x, y + r);
    path.cubicTo(x - k, y + r, x - r, y + k, x - r, y);
    path.cubicTo(x - r, y - k, x - k, y - r, x, y - r);
    path.cubicTo(x + k, y - r, x + r, y - k, x + r, y);
    path.closeSubpath();
    painter_.drawPath(path);
}

QRawFont PdfPaintBackend::Painted(const QRawFont& laid_out) {
    for (const auto& [from, to] : painted_)
        if (from == laid_out) return to;
    QRawFont to = laid_out;
    to.setPixelSize(kPaintedPixels);
    painted_.emplace_back(laid_out, to);
    return to;
}

const PdfPaintBackend::Shaped& PdfPaintBackend::Shape(const std::string& text) {
    auto it = shaped_.find(text);
    if (it != shaped_.end()) return it->second;
    if (shaped_.size() >= kShapedKept) shaped_.clear();
    QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    Shaped shaped;
    QTextLayout layout(s, font_);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (line.isValid()) {
        // Trailing blanks included, as a text is measured.
        shaped.advance = line.horizontalAdvance() * kPainted;
        // The layout puts the baseline an ascent down; a text stands on it.
        const QPointF up(0, line.ascent());
        for (QGlyphRun run : layout.glyphRuns()) {
            QList<QPointF> positions = run.positions();
            for (QPointF& p : positions) p = (p - up) * kPainted;
            run.setPositions(positions);
            run.setRawFont(Painted(run.rawFont()));
            shaped.runs.append(run);
        }
    }
    return shaped_.emplace(text, std::move(shaped)).first->second;
}

void PdfPaintBackend::Text(const std::string& text, Point2 origin, double height, double rotation,
                           double width, bool mirrored, Rgb colour) {
    if (text.empty()) return;
    const Shaped& shaped = Shape(text);
    if (shaped.runs.isEmpty()) return;
    // Scale the substitute font so that its capitals are as high as the drawing's text,
    // and stretch it to the width the text takes in the drawing.
    double factor = height / cap_;
    double natural = shaped.advance * factor;
    double stretch = width > 0 && natural > 0 ? width / natural : 1.0;
    // A text seen from below stands on the other side of its baseline.
    double sx = factor * stretch, sy = mirrored ? -factor : factor;
    if (!(turned_ && Near(rotation, rotation_) && Near(sx, scale_x_) && Near(sy, scale_y_))) {
        Plain();
        base_ = painter_.transform();
        rotation_ = rotation, scale_x_ = sx, scale_y_ = sy;
        text_ = QTransform::fromScale(sx, sy) * QTransform().rotateRadians(-rotation);
        painter_.setTransform(text_ * base_);
        turned_ = true;
    }
    QColor c = ColourOf(colour);
    if (c != held_colour_ || painter_.pen().color() != c || painter_.pen().style() == Qt::NoPen) {
        PaintHeld();
        // Only the pen's colour paints a text; its width and caps may stay.
        QPen pen = painter_.pen();
        if (pen.style() == Qt::NoPen) pen = QPen(c);
        pen.setColor(c);
        painter_.setPen(pen);
        held_colour_ = c;
    }
    // The origin in the texts' own coordinates; each glyph is placed from it.
    const QPointF at = text_.inverted().map(QPointF(origin.x, origin.y));
    for (const QGlyphRun& run : shaped.runs) {
        const QRawFont font = run.rawFont();
        auto into =
            std::find_if(held_.begin(), held_.end(), [&](const Held& h) { return h.font == font; });
        if (into == held_.end()) into = held_.insert(held_.end(), Held{font, {}, {}});
        into->indexes.append(run.glyphIndexes());
        for (const QPointF& p : run.positions()) into->positions.append(p + at);
    }
}

}  // namespace velorin::qt
