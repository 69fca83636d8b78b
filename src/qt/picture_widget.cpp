#include "qt/picture_widget.h"

#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace velorin::qt {

QColor ColorOf(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

PictureWidget::PictureWidget(window::PictureBox& model, QWidget* parent)
    : QFrame(parent), model_(model) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setMinimumSize(80, 60);
}

void PictureWidget::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    model_.width_px = width();
    model_.height_px = height();
    model_.line_px = fontMetrics().height();
}

void PictureWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = model_.scale_width != 0 ? model_.scale_width : 1;
    const double h = model_.scale_height != 0 ? model_.scale_height : 1;
    auto px = [&](double x) { return (x - model_.scale_left) / w * width(); };
    auto py = [&](double y) { return (y - model_.scale_top) / h * height(); };
    const int ascent = painter.fontMetrics().ascent();
    for (const window::PictureOp& op : model_.ops) {
        QColor color = ColorOf(op.color);
        painter.setPen(color);
        painter.setBrush(Qt::NoBrush);
        switch (op.kind) {
            case window::PictureOp::Kind::Line:
                painter.drawLine(QPointF(px(op.x1), py(op.y1)), QPointF(px(op.x2), py(op.y2)));
                break;
            case window::PictureOp::Kind::FilledBox:
                painter.setBrush(color);
                [[fallthrough]];
            case window::PictureOp::Kind::Box:
                painter.drawRect(
                    QRectF(QPointF(px(op.x1), py(op.y1)), QPointF(px(op.x2), py(op.y2)))
                        .normalized());
                break;
            case window::PictureOp::Kind::Circle: {
                // Round on screen: the radius is measured along x, as picture boxes do.
                double r = std::abs(op.x2 / w * width());
                painter.drawEllipse(QPointF(px(op.x1), py(op.y1)), r, r);
                break;
            }
            case window::PictureOp::Kind::Text:
                painter.drawText(QPointF(px(op.x1), py(op.y1) + ascent),
                                 QString::fromStdString(op.text));
                break;
        }
    }
}

}  // namespace velorin::qt
