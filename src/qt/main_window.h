// The Qt face of Form1: a top-most window with the tab strip and the seven pages laid
// out from the window model. It forwards user actions to the model and shows the model
// again after each of them.
#pragma once

#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "qt/binder.h"
#include "qt/paint/picture.h"
#include "window/form1.h"

namespace velorin::qt {

class MainWindow : public QWidget {
  public:
    explicit MainWindow(window::Form1& form);

    // Shows the models again, the chosen tab and the field that asks for the cursor.
    void Refresh();
    // Size and place of the window on its screen, from the window's twips.
    void PlaceHome();
    void StepAside(bool aside);
    // Lets the window close without running the close-box exit again.
    void EndProgram();
    // What the page-1 button "图形窗口" (and F2 anywhere) does: brings the drawing
    // window back after the user closed it.
    void SetShowDrawingWindow(std::function<void()> show);

    QTabWidget* tabs() const { return tabs_; }
    Binder& binder() { return binder_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    qt::PdfSheetPrinter sheet_printer_;  // the pages' "输出PDF"
    QWidget* BuildPage1();
    QWidget* BuildPage2();
    QWidget* BuildPage3();
    QWidget* BuildPage4();
    QWidget* BuildPage5();
    QWidget* BuildPage6();
    QWidget* BuildPage7();

    window::Form1& form_;
    Binder binder_;
    QTabWidget* tabs_ = nullptr;
    bool ending_ = false;
    QPushButton* show_drawing_ = nullptr;
    std::function<void()> show_drawing_window_;
};

class DrawingWindow;
class QtUi;

// Ties the main window to the drawing window as the program runs them: exiting asks about
// the unsaved drawings before anything closes, and each button's drawing command becomes
// one undo step in every drawing it changed.
void JoinDrawingWindow(QtUi& ui, MainWindow& window, DrawingWindow& drawing);

// The application font: a CJK font that shows the Chinese captions, at a size that
// fits the pages.
void UseChineseFont();

// Qt's own texts in Chinese (standard buttons, file dialogs, context menus), from the
// translations Debian ships. Returns false, having said why on standard error, when they
// are not installed: the program still runs, with those texts in English.
bool UseChineseTranslations();

// Twips to pixels at the screen's resolution, and back.
int TwipsToPixels(int twips, double dots_per_inch);
int PixelsToTwips(int pixels, double dots_per_inch);

}  // namespace velorin::qt
