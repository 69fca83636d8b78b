#include "qt/qt_ui.h"

#include <QApplication>
#include <QMessageBox>

#include "qt/main_window.h"

namespace velorin::qt {

void QtUi::MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) {
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
        case app::MessageIcon::Critical:
            qicon = QMessageBox::Critical;
            break;
        case app::MessageIcon::Question:
            qicon = QMessageBox::Question;
            break;
        case app::MessageIcon::Exclamation:
            qicon = QMessageBox::Warning;
            break;
        case app::MessageIcon::Information:
            qicon = QMessageBox::Information;
            break;
    }
    QMessageBox box(qicon, QString::fromUtf8(title.data(), static_cast<int>(title.size())),
                    QString::fromUtf8(text.data(), static_cast<int>(text.size())), QMessageBox::Ok,
                    window_);
    // The main window stays above others; its message boxes must not hide behind it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void QtUi::WindowAside(bool aside) {
    if (window_) window_->StepAside(aside);
}

void QtUi::Activate() {
    if (!window_) return;
    window_->raise();
    window_->activateWindow();
}

void QtUi::EndProgram() {
    if (window_) window_->EndProgram();
    QApplication::quit();
}

}  // namespace velorin::qt
