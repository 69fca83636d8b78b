// The desktop program: start-up, then the window until an exit button or the close box.
#include <QApplication>

#include "app/clock.h"
#include "app/module1.h"
#include "base/paths.h"
#include "cad/embedded/host.h"
#include "qt/drawing/drawing_window.h"
#include "qt/main_window.h"
#include "qt/qt_ui.h"
#include "window/form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    velorin::qt::UseChineseFont();
    velorin::qt::UseChineseTranslations();
    velorin::qt::QtUi ui;
    std::unique_ptr<velorin::app::Program> program =
        velorin::app::Startup(velorin::ExecutableDir(), ui);
    if (!program) return 1;
    velorin::app::SystemClock clock;
    // The embedded drawing host, shown and picked in the drawing window; the drawing
    // commands attach to it and report their progress there.
    velorin::qt::DrawingAlerts alerts;
    velorin::cad::embedded::Host host(velorin::JoinPath(program->ProgramDir, "Support"), &alerts);
    velorin::qt::DrawingWindow drawing(host);
    alerts.window = &drawing;
    velorin::qt::DrawingConnector connector(drawing);
    velorin::app::Context context{*program, ui, clock, &connector, &drawing};
    velorin::window::Form1 form(context);
    velorin::qt::MainWindow window(form);
    ui.SetWindow(&window);
    // Exiting asks about unsaved drawings before anything closes; "取消" keeps both windows.
    ui.SetBeforeEnd([&drawing] { return drawing.CloseAllDrawings(); });
    form.Form_Load();
    window.Refresh();
    window.PlaceHome();
    window.SetShowDrawingWindow([&drawing] {
        drawing.show();
        drawing.raise();
        drawing.activateWindow();
    });
    // Drawings named on the command line open in the drawing window.
    for (const QString& path : app.arguments().mid(1)) drawing.OpenDrawing(path.toStdString());
    drawing.show();
    window.show();
    return app.exec();
}
