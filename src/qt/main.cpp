// The desktop program: start-up, then the window until an exit button or the close box.
#include <QApplication>

#include "app/clock.h"
#include "app/module1.h"
#include "app/window/form1.h"
#include "base/paths.h"
#include "qt/main_window.h"
#include "qt/qt_ui.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    velorin::qt::UseChineseFont();
    velorin::qt::QtUi ui;
    std::unique_ptr<velorin::Program> program = velorin::Startup(velorin::ExecutableDir(), ui);
    if (!program) return 1;
    velorin::SystemClock clock;
    velorin::Context context{*program, ui, clock};
    velorin::Form1 form(context);
    velorin::qt::MainWindow window(form);
    ui.SetWindow(&window);
    form.Form_Load();
    window.Refresh();
    window.PlaceHome();
    window.show();
    return app.exec();
}
