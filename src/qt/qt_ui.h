// The user interface service on Qt: message boxes over the top-most main window, the
// window stepping aside to the right edge of the screen and back, and the program's end.
#pragma once

#include <QWidget>

#include "app/ui.h"

namespace velorin::qt {

class MainWindow;

class QtUi : public app::Ui {
  public:
    void SetWindow(MainWindow* window) { window_ = window; }

    void MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) override;
    void WindowAside(bool aside) override;
    void Activate() override;
    void EndProgram() override;

  private:
    MainWindow* window_ = nullptr;
};

}  // namespace velorin::qt
