// Paints what a picture box model holds, in its user coordinates, and tells the model
// its size on screen so that printed lines advance by a real text height.
#pragma once

#include <QFrame>

#include "window/controls.h"

namespace velorin::qt {

class PictureWidget : public QFrame {
  public:
    PictureWidget(window::PictureBox& model, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    window::PictureBox& model_;
};

// 0xBBGGRR, the colour numbers the commands use, as a Qt colour.
QColor ColorOf(uint32_t bgr);

}  // namespace velorin::qt
