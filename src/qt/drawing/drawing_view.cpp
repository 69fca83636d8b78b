#include "qt/drawing/drawing_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "cad/embedded/paint.h"
#include "qt/drawing/pick_rules.h"
#include "qt/paint/qt_paint_backend.h"

namespace velorin::qt {

using cad::embedded::Affine;
using cad::embedded::Box;
using cad::embedded::EntityBase;

namespace {

constexpr double kAperturePixels = 5;  // how near a click must be to an entity
constexpr double kDragPixels = 4;      // a shorter move is a click
constexpr double kWheelFactor = 1.25;
constexpr int kMargin = 10;  // the painter keeps this much free at the edges

// Strokes an entity's primitives, already in device coordinates, as its highlight.
class HighlightSink : public cad::embedded::PrimitiveSink {
  public:
    explicit HighlightSink(QPainter& p) : p_(p) {}
    void Segment(Point2 a, Point2 b) override { p_.drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y)); }
    void Circle(Point2 c, double r) override { p_.drawEllipse(QPointF(c.x, c.y), r, r); }
    void Point(Point2 p) override { p_.drawEllipse(QPointF(p.x, p.y), 3, 3); }

  private:
    QPainter& p_;
};

}  // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);
    setCursor(Qt::CrossCursor);
}

void DrawingView::SetDocument(cad::embedded::HostDocument* document) {
    if (document != document_) {
        selection_.clear();
        vertices_.clear();
    }
    document_ = document;
    Invalidate();
}

void DrawingView::SetTool(Tool tool) {
    vertices_.clear();
    snap_mark_.reset();
    dragging_ = false;
    tool_ = tool;
    update();
}

void DrawingView::SetSnap(bool on) {
    snap_ = on;
    snap_mark_.reset();
    update();
}

Point2 DrawingView::Snapped(QPointF device) {
    Point2 p = DrawingAt(device);
    if (!snap_ || !document_) return p;
    auto snap = SnapAt(document_->drawing(), p, kAperturePixels / Transform().a);
    return snap ? snap->at : p;
}

void DrawingView::PaintSnapMark(QPainter& painter) {
    if (!snap_mark_ || (tool_ != Tool::Polyline && tool_ != Tool::Point)) return;
    // The marks CAD users know: a square at an endpoint, a square with a cross at an
    // insertion point, an hourglass for "nearest".
    QPointF c = DeviceOf(snap_mark_->at);
    const double r = 5;
    painter.setPen(QPen(QColor(0, 170, 0), 2));
    painter.setBrush(Qt::NoBrush);
    QRectF square(c.x() - r, c.y() - r, 2 * r, 2 * r);
    switch (snap_mark_->kind) {
        case Snap::Kind::Endpoint:
            painter.drawRect(square);
            break;
        case Snap::Kind::Insertion:
            painter.drawRect(square);
            painter.drawLine(square.topLeft(), square.bottomRight());
            painter.drawLine(square.topRight(), square.bottomLeft());
            break;
        case Snap::Kind::Nearest: {
            QPolygonF glass;
            glass << square.topLeft() << square.topRight() << square.bottomLeft()
                  << square.bottomRight() << square.topLeft();
            painter.drawPolyline(glass);
            break;
        }
    }
}

void DrawingView::EndPoints(bool accept) {
    SetTool(Tool::Select);
    if (on_end) on_end(accept);
}

void DrawingView::ClearSelection() {
    selection_.clear();
    update();
}

void DrawingView::Invalidate() {
    cache_valid_ = false;
    // Entities erased meanwhile (an undo, a command) can no longer be taken.
    std::erase_if(selection_, [](EntityBase* e) { return e->erased; });
    update();
}

Box DrawingView::View() const {
    Box view = document_ ? document_->View() : Box{0, 0, 420, 297};
    // A drawing of one point has extents of no size: show ten units around it.
    if (view.max_x - view.min_x <= 1e-9 && view.max_y - view.min_y <= 1e-9)
        view = Box{view.min_x - 5, view.min_y - 5, view.max_x + 5, view.max_y + 5};
    return view;
}

Box DrawingView::Visible() const {
    // The widget inside the painter's margin: a box of the widget's shape, never flat,
    // even when the view asked for is a line.
    Box box;
    box.Add(DrawingAt(QPointF(kMargin, height() - kMargin)));
    box.Add(DrawingAt(QPointF(width() - kMargin, kMargin)));
    return box;
}

void DrawingView::SetView(const Box& view, bool push) {
    if (!document_ || !view.valid() || view.max_x - view.min_x <= 0 || view.max_y - view.min_y <= 0)
        return;
    auto& views = document_->views();
    if (push || views.empty())
        views.push_back(view);
    else
        views.back() = view;
    Invalidate();
}

Affine DrawingView::Transform() const {
    return cad::embedded::DeviceTransform(View(), std::max(width(), 1), std::max(height(), 1),
                                          kMargin);
}

QPointF DrawingView::DeviceOf(Point2 p) const {
    Point2 d = Transform()(p);
    return {d.x, d.y};
}

Point2 DrawingView::DrawingAt(QPointF device) const {
    Affine t = Transform();  // axis-parallel: x' = a x + c, y' = e y + f
    return {(device.x() - t.c) / t.a, (device.y() - t.f) / t.e};
}

void DrawingView::ZoomExtents() {
    if (!document_) return;
    auto extents = document_->drawing().Extents();
    SetView(extents ? *extents : Box{0, 0, 420, 297}, true);
}

void DrawingView::ZoomTo(const Box& window) { SetView(window, true); }

void DrawingView::ZoomPrevious() {
    if (!document_ || document_->views().empty()) return;
    document_->views().pop_back();
    Invalidate();
}

void DrawingView::Toggle(EntityBase* e) {
    auto it = std::find(selection_.begin(), selection_.end(), e);
    if (it == selection_.end())
        selection_.push_back(e);
    else
        selection_.erase(it);
}

void DrawingView::Take(const std::vector<EntityBase*>& entities) {
    for (EntityBase* e : entities)
        if (std::find(selection_.begin(), selection_.end(), e) == selection_.end())
            selection_.push_back(e);
}

void DrawingView::EndPolyline(bool keep) {
    std::vector<Point2> points = std::exchange(vertices_, {});
    tool_ = Tool::Select;
    update();
    if (keep && points.size() >= 2 && on_polyline) on_polyline(points);
}

// --- Painting ---

void DrawingView::resizeEvent(QResizeEvent*) { cache_valid_ = false; }

void DrawingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!document_) {
        painter.fillRect(rect(), QColor(200, 200, 200));
        return;
    }
    if (!cache_valid_ || cache_.size() != size()) {
        cache_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        cache_.fill(Qt::white);
        QPainter p(&cache_);
        QtPaintBackend backend(p);
        // The painter fits its window inside a margin; give it the whole widget plus that
        // margin so that the drawing lands where DeviceOf says.
        Point2 a = DrawingAt(QPointF(0, height())), b = DrawingAt(QPointF(width(), 0));
        Box visible;
        visible.Add(a), visible.Add(b);
        p.translate(-kMargin, -kMargin);
        cad::embedded::Paint(document_->drawing(), visible, width() + 2 * kMargin,
                             height() + 2 * kMargin, backend);
        cache_valid_ = true;
    }
    painter.drawImage(0, 0, cache_);
    PaintHighlight(painter);

    painter.setRenderHint(QPainter::Antialiasing, true);
    if (tool_ == Tool::Polyline && !vertices_.empty()) {
        QPolygonF line;
        for (const Point2& v : vertices_) line << DeviceOf(v);
        line << (snap_mark_ ? DeviceOf(snap_mark_->at) : cursor_);
        painter.setPen(QPen(QColor(0, 120, 215), 1.5));
        painter.drawPolyline(line);
    }
    PaintSnapMark(painter);
    if (dragging_ && (tool_ == Tool::Select || tool_ == Tool::ZoomWindow)) {
        QRectF box = QRectF(press_, cursor_).normalized();
        bool crossing = tool_ == Tool::Select && cursor_.x() < press_.x();
        // As CAD programs show it: a window solid and blue, a crossing dashed and green.
        QColor colour = crossing ? QColor(0, 160, 0) : QColor(0, 90, 220);
        QPen pen(colour, 1, crossing ? Qt::DashLine : Qt::SolidLine);
        painter.setPen(pen);
        colour.setAlpha(40);
        painter.setBrush(colour);
        painter.drawRect(box);
    }
}

void DrawingView::PaintHighlight(QPainter& painter) {
    if (selection_.empty()) return;
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor(255, 140, 0), 3, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    HighlightSink sink(painter);
    Affine t = Transform();
    for (EntityBase* e : selection_)
        if (!e->erased) document_->drawing().Primitives(*e, t, sink);
}

// --- Input ---

void DrawingView::wheelEvent(QWheelEvent* event) {
    if (!document_) return;
    double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    double factor = std::pow(kWheelFactor, -steps);  // forward zooms in
    Point2 p = DrawingAt(event->position());
    Box v = Visible();
    // Scaling the window about the cursor's point keeps that point under the cursor.
    Box next{p.x + (v.min_x - p.x) * factor, p.y + (v.min_y - p.y) * factor,
             p.x + (v.max_x - p.x) * factor, p.y + (v.max_y - p.y) * factor};
    SetView(next, false);
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
    setFocus();
    cursor_ = event->position();
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && tool_ == Tool::Pan)) {
        panning_ = true;
        press_ = event->position();
        return;
    }
    if (event->button() != Qt::LeftButton || !document_) return;
    if (tool_ == Tool::Polyline) {
        vertices_.push_back(Snapped(event->position()));
        update();
        return;
    }
    if (tool_ == Tool::Point) {
        if (on_point) on_point(Snapped(event->position()), kAperturePixels / Transform().a);
        return;
    }
    press_ = event->position();
    dragging_ = true;
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
    QPointF previous = cursor_;
    cursor_ = event->position();
    if (panning_) {
        Affine t = Transform();
        double dx = (cursor_.x() - previous.x()) / t.a, dy = (cursor_.y() - previous.y()) / t.e;
        Box v = Visible();
        SetView({v.min_x - dx, v.min_y - dy, v.max_x - dx, v.max_y - dy}, false);
    }
    if (on_cursor && document_) on_cursor(DrawingAt(cursor_));
    if (tool_ == Tool::Polyline || tool_ == Tool::Point) {
        auto was = snap_mark_;
        snap_mark_.reset();
        if (snap_ && document_)
            snap_mark_ =
                SnapAt(document_->drawing(), DrawingAt(cursor_), kAperturePixels / Transform().a);
        if (snap_mark_.has_value() != was.has_value()) update();
    }
    if (dragging_ || tool_ == Tool::Polyline || snap_mark_) update();
}

// A right click or Enter: what is being drawn is kept, what is being picked is taken.
void DrawingView::Accept() {
    if (tool_ == Tool::Polyline)
        EndPolyline(true);
    else if (tool_ == Tool::Pan)
        SetTool(Tool::Select);
    else if (tool_ == Tool::Point)
        EndPoints(true);
    else if (on_end)
        on_end(true);
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
    cursor_ = event->position();
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && tool_ == Tool::Pan)) {
        panning_ = false;
        return;
    }
    if (event->button() == Qt::RightButton) {
        Accept();
        return;
    }
    if (event->button() != Qt::LeftButton || !dragging_ || !document_) return;
    dragging_ = false;
    QPointF delta = cursor_ - press_;
    bool click = std::fabs(delta.x()) + std::fabs(delta.y()) < kDragPixels;
    Box box;
    box.Add(DrawingAt(press_)), box.Add(DrawingAt(cursor_));
    if (tool_ == Tool::ZoomWindow) {
        tool_ = Tool::Select;
        if (!click) ZoomTo(box);
        update();
        return;
    }
    const auto& drawing = document_->drawing();
    if (click) {
        double aperture = kAperturePixels / Transform().a;
        if (EntityBase* e = EntityAt(drawing, DrawingAt(cursor_), aperture, filter_)) Toggle(e);
    } else {
        Take(EntitiesIn(drawing, box, cursor_.x() < press_.x(), filter_));
    }
    update();
}

void DrawingView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Accept();
            return;
        case Qt::Key_Escape:
            if (tool_ == Tool::Polyline) {
                EndPolyline(false);
                return;
            }
            if (tool_ == Tool::Point) {
                EndPoints(false);
                return;
            }
            if (tool_ == Tool::Pan || tool_ == Tool::ZoomWindow) {  // ends the tool only
                SetTool(Tool::Select);
                return;
            }
            dragging_ = false;
            update();
            if (on_end) on_end(false);
            return;
        case Qt::Key_Delete:
            if (on_delete) on_delete();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace velorin::qt
