// Writes a picture of each of the seven pages of the real window: page1.png to page7.png
// in the folder given. Uses the program folder it is built into, like the program, but
// never writes the settings file.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "app/clock.h"
#include "app/module1.h"
#include "app/window/form1.h"
#include "base/paths.h"
#include "qt/main_window.h"

namespace {

// Messages go to the terminal: nobody is there to close a box.
class ConsoleUi : public velorin::Ui {
public:
    void MessageBox(velorin::MessageIcon, std::string_view title, std::string_view text) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: velorin-screenshots OUTDIR [MAINDIR]\n");
        return 2;
    }
    QString out_dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out_dir);
    velorin::qt::UseChineseFont();
    ConsoleUi ui;
    std::unique_ptr<velorin::Program> program = velorin::Startup(velorin::ExecutableDir(), ui);
    if (!program) return 1;
    if (argc > 2 && velorin::IsFolder(argv[2])) program->settings.MainDir = argv[2];
    velorin::SystemClock clock;
    velorin::Context context{*program, ui, clock};
    velorin::Form1 form(context);
    velorin::qt::MainWindow window(form);
    form.Form_Load();
    window.Refresh();
    window.PlaceHome();
    window.show();
    for (int tab = 1; tab <= 7; ++tab) {
        form.Strip1_Click(tab);
        window.Refresh();
        app.processEvents();
        QString file = out_dir + QStringLiteral("/page%1.png").arg(tab);
        if (!window.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%s\n", file.toLocal8Bit().constData());
    }
    return 0;
}
