// The desktop program: start-up, then the window until an exit button or the close box.
// Files named on the command line (the menu entry passes what the user opens with
// Velorin) open where a double click would open them.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "app/clock.h"
#include "app/module1.h"
#include "base/paths.h"
#include "cad/embedded/host.h"
#include "qt/drawing/drawing_window.h"
#include "qt/main_window.h"
#include "qt/qt_ui.h"
#include "window/form1.h"
#include "window/open_files.h"

namespace {

int terminate_pipe[2] = {-1, -1};

void OnTerminate(int) {
    char byte = 1;
    // Only an async-signal-safe write here; the event loop does the rest.
    [[maybe_unused]] ssize_t n = write(terminate_pipe[1], &byte, 1);
}

// A logout or `kill` ends the program as the close box does, so the settings edited in
// this run are kept. Returns false when the signal cannot be caught (it then ends the
// program as before).
bool CatchTermination() {
    if (pipe2(terminate_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGHUP, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Caught from the first moment: a termination during start-up (while a message box
    // waits, say) closes that box and then the window, like the close box.
    velorin::qt::MainWindow* shown = nullptr;
    bool terminating = false;
    std::unique_ptr<QSocketNotifier> termination;
    if (CatchTermination()) {
        termination = std::make_unique<QSocketNotifier>(terminate_pipe[0], QSocketNotifier::Read);
        QObject::connect(termination.get(), &QSocketNotifier::activated, [&] {
            char byte;
            while (read(terminate_pipe[0], &byte, 1) > 0) {
            }
            terminating = true;
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
            if (shown) shown->close();
        });
    }
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
    velorin::qt::JoinDrawingWindow(ui, window, drawing);
    form.Form_Load();
    window.Refresh();
    window.PlaceHome();
    window.SetShowDrawingWindow([&drawing] {
        drawing.show();
        drawing.raise();
        drawing.activateWindow();
    });
    QStringList files = app.arguments().mid(1);
    for (const QString& path : files)
        if (velorin::window::KindOf(path.toStdString()) == velorin::window::FileKind::Drawing)
            drawing.OpenDrawing(path.toStdString());
    drawing.show();
    window.show();
    // The other files on their pages, in the order given, once the window is there to
    // carry the pages' messages.
    for (const QString& path : files)
        if (velorin::window::KindOf(path.toStdString()) != velorin::window::FileKind::Drawing)
            velorin::window::OpenOnPage(form, ui, path.toStdString());
    window.Refresh();
    shown = &window;
    // Asked to end before the window stood: close it as soon as the event loop runs.
    if (terminating) QTimer::singleShot(0, &window, [&window] { window.close(); });
    return app.exec();
}
