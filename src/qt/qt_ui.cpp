#include "qt/qt_ui.h"

#include <QApplication>

#include "qt/drawing/drawing_window.h"
#include "qt/main_window.h"

namespace velorin::qt {

void QtUi::MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) {
    // The main window stays above others; its message boxes must not hide behind it.
    ShowMessage(window_, icon, title, text, /*stays_on_top=*/true);
}

void QtUi::WindowAside(bool aside) {
    if (window_) window_->StepAside(aside);
}

void QtUi::Activate() {
    if (!window_) return;
    window_->raise();
    window_->activateWindow();
}

bool QtUi::MayEnd() { return !before_end_ || before_end_(); }

void QtUi::EndProgram() {
    if (window_) window_->EndProgram();
    QApplication::quit();
}

}  // namespace velorin::qt
