// The user interface service on Qt: message boxes over the top-most main window, the
// window stepping aside to the right edge of the screen and back, and the program's end.
#pragma once

#include <QWidget>
#include <functional>

#include "app/ui.h"

namespace velorin::qt {

class MainWindow;

class QtUi : public app::Ui {
  public:
    void SetWindow(MainWindow* window) { window_ = window; }

    void MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) override;
    void WindowAside(bool aside) override;
    void Activate() override;
    bool MayEnd() override;
    void EndProgram() override;
    // What must be asked before the program ends (the drawing window's unsaved drawings).
    void SetBeforeEnd(std::function<bool()> ask) { before_end_ = std::move(ask); }

  private:
    MainWindow* window_ = nullptr;
    std::function<bool()> before_end_;
};

}  // namespace velorin::qt
