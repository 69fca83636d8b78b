// The view of one drawing in the drawing window: paints it through the shared QPainter
// backend, zooms with the wheel, pans with the middle button (or the left one with the
// pan tool), zooms to a window, and
// takes the user's clicks and drags for the current tool: selecting entities (for an
// edit or a command's pick), drawing a polyline, or a zoom window. It decides nothing
// about the drawing itself; the window acts on what the view reports.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "cad/embedded/host.h"
#include "qt/drawing/pick_rules.h"

namespace velorin::qt {

class DrawingView : public QWidget {
  public:
    enum class Tool { Select, Polyline, ZoomWindow, Pan, Point };

    explicit DrawingView(QWidget* parent = nullptr);

    // The drawing shown; nullptr shows an empty grey field.
    void SetDocument(cad::embedded::HostDocument* document);
    cad::embedded::HostDocument* document() const { return document_; }

    void SetTool(Tool tool);
    Tool tool() const { return tool_; }

    // The entities the user has taken, highlighted; clicks and drags add to them
    // (a click on a taken one lets it go). Only entities that pass the filter are taken.
    void SetFilter(const cad::Filter& filter) { filter_ = filter; }
    const std::vector<cad::embedded::EntityBase*>& selection() const { return selection_; }
    void ClearSelection();

    // Object snap while drawing a polyline or picking points: clicks take the snapped
    // point, and the point the next click would take is marked.
    void SetSnap(bool on);
    bool snap() const { return snap_; }
    const std::optional<Snap>& snap_mark() const { return snap_mark_; }

    // Zooms. Wheel and pan change the current view; these push a view that "previous"
    // goes back from, as the host's own zooms do.
    void ZoomExtents();
    void ZoomTo(const cad::embedded::Box& window);
    void ZoomPrevious();

    // What the widget shows now, in drawing units.
    cad::embedded::Box VisibleBox() const { return Visible(); }

    // The drawing changed outside the view: paint it again.
    void Invalidate();

    // Where a drawing point is on the widget, and back.
    QPointF DeviceOf(Point2 p) const;
    Point2 DrawingAt(QPointF device) const;

    // What the user finished: Enter or a right click (`accept`), or Esc.
    std::function<void(bool accept)> on_end;
    // A polyline drawn with the polyline tool (two vertices or more).
    std::function<void(const std::vector<Point2>&)> on_polyline;
    // A click with the point tool, and how far from it (drawing units) still counts as
    // the click's place, so the window can take an exact point there instead.
    std::function<void(Point2, double aperture)> on_point;
    // The Delete key while entities are taken.
    std::function<void()> on_delete;
    // The cursor's drawing coordinates, for the status line.
    std::function<void(Point2)> on_cursor;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    cad::embedded::Box View() const;
    cad::embedded::Box Visible() const;
    void SetView(const cad::embedded::Box& view, bool push);
    cad::embedded::Affine Transform() const;
    void Toggle(cad::embedded::EntityBase* e);
    void Take(const std::vector<cad::embedded::EntityBase*>& entities);
    void PaintHighlight(QPainter& painter);
    void Accept();
    void EndPolyline(bool keep);
    void EndPoints(bool accept);
    // Where a click at `device` lands: the snapped point when snap is on and finds one.
    Point2 Snapped(QPointF device);
    void PaintSnapMark(QPainter& painter);

    cad::embedded::HostDocument* document_ = nullptr;
    Tool tool_ = Tool::Select;
    cad::Filter filter_;
    std::vector<cad::embedded::EntityBase*> selection_;
    std::vector<Point2> vertices_;  // polyline being drawn
    QImage cache_;                  // the drawing at the current view
    bool cache_valid_ = false;
    bool dragging_ = false, panning_ = false;
    QPointF press_, cursor_;
    bool snap_ = true;
    std::optional<Snap> snap_mark_;
};

}  // namespace velorin::qt
