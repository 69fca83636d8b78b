// Writes a picture of each of the seven pages of the real window: page1.png to page7.png
// in the folder given; then the drawing window with a sample drawing (drawing.png, the
// drawing saved as sample.dxf) and while a command picks in it (drawing-pick.png). Uses
// the program folder it is built into, like the program, but never writes the settings
// file.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "app/clock.h"
#include "app/module1.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "cad/embedded/host.h"
#include "cad/preparation.h"
#include "qt/drawing/drawing_window.h"
#include "qt/main_window.h"
#include "window/form1.h"

namespace {

// Messages go to the terminal: nobody is there to close a box.
class ConsoleUi : public velorin::app::Ui {
  public:
    void MessageBox(velorin::app::MessageIcon, std::string_view title,
                    std::string_view text) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

// A stretch of road as a surveyor has it before taking sections: point blocks with names
// and elevations, a centre line, centre points, and section lines on "断_断面线".
void DrawSample(velorin::cad::embedded::HostDocument& doc, const std::string& program_dir) {
    using velorin::cad::Point3;
    auto& app = doc.host();
    auto& space = doc.ModelSpace();
    velorin::cad::UseLayer(doc, "道路中线", 4);
    std::vector<double> centre;
    for (int i = 0; i <= 12; ++i)
        centre.push_back(i * 20.0), centre.push_back(8 * std::sin(i / 4.0));
    space.AddLightWeightPolyline(centre);
    for (int k = 0; k <= 10; ++k) {
        double x = 10 + k * 20.0, y = 8 * std::sin(x / 80.0);
        velorin::cad::UseLayer(doc, "断_断面线", 1);
        space.AddLightWeightPolyline({x - 1.5, y - 22, x + 1.5, y + 22});
        velorin::cad::UseLayer(doc, "断_中心点", 3);
        space.AddCircle({x, y, 0}, 0.8);
        for (int j = -3; j <= 3; ++j) {
            double px = x + j * 0.2 + (k % 3) * 0.4, py = y + j * 6.5 + 1.2;
            double h = 35.2 - std::abs(j) * 0.6 + k * 0.05;
            velorin::cad::UseLayer(doc, "地_点位_sample.cor", 1);
            velorin::cad::InsertSymbol(app, space, program_dir, {px, py, h}, "纯坐标展点",
                                       "纯坐标展点.Dwg", 0.5);
            velorin::cad::UseLayer(doc, "地_点号_sample.cor", 5);
            space.AddText(std::to_string(k * 7 + j + 4), {px + 0.2, py, 0}, 1.0);
            velorin::cad::UseLayer(doc, "它_高程注记", 7);
            space.AddText(velorin::Format(h, "#0.00"), {px + 0.2, py - 1.3, 0}, 0.8);
        }
    }
    velorin::cad::UseLayer(doc, "横_标题", 7);
    space.AddText("样例道路 K0+000～K0+240", {60, 30, 0}, 3.0);
}

bool Save(QWidget& widget, const QString& file) {
    QApplication::processEvents();
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", file.toLocal8Bit().constData());
    return true;
}

void Mouse(QWidget* view, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
}

// The drawing window with the sample drawing, then during a pick of section lines.
bool DrawingPictures(const QString& out_dir, const std::string& program_dir) {
    ConsoleUi alerts;
    // Saving the sample records it as a recent file: kept in the pictures' folder, not
    // in the user's own list.
    qputenv("XDG_CONFIG_HOME", QFileInfo(out_dir).absoluteFilePath().toUtf8());
    velorin::cad::embedded::Host host(velorin::JoinPath(program_dir, "Support"), &alerts);
    velorin::qt::DrawingWindow window(host);
    auto* doc = window.NewDrawing();
    DrawSample(*doc, program_dir);
    velorin::cad::UseLayer(*doc, "断_断面线", 1);
    window.SaveDrawingAs(doc, (out_dir + "/sample.dxf").toStdString());
    window.resize(1200, 760);
    window.show();
    window.Refresh();
    window.view()->ZoomExtents();
    if (!Save(window, out_dir + "/drawing.png")) return false;

    bool saved = false;
    QTimer::singleShot(0, [&] {
        auto* view = window.view();
        auto at = [&](double x, double y) { return view->DeviceOf({x, y}); };
        // A crossing from right to left over two section lines, then a window being dragged.
        Mouse(view, QEvent::MouseButtonPress, at(76, -12), Qt::LeftButton);
        Mouse(view, QEvent::MouseMove, at(46, -16), Qt::LeftButton);
        Mouse(view, QEvent::MouseButtonRelease, at(46, -16), Qt::NoButton);
        Mouse(view, QEvent::MouseButtonPress, at(125, -24), Qt::LeftButton);
        Mouse(view, QEvent::MouseMove, at(175, 22), Qt::LeftButton);
        saved = Save(window, out_dir + "/drawing-pick.png");
        Mouse(view, QEvent::MouseButtonRelease, at(175, 22), Qt::NoButton);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(view, &esc);
    });
    doc->Utility().Prompt("标注“有效范围”：请选择断面线……");
    velorin::cad::SelectionSet* set = velorin::cad::NewSelectionSet(*doc);
    set->SelectOnScreen({{0, 8}, {"LWPOLYLINE", "断_断面线"}});
    set->Delete();
    if (!saved) return false;

    // A query between two plotted points: the snap mark on the first, then the result.
    std::vector<velorin::cad::Point3> points;
    for (const auto& e : doc->drawing().entities())
        if (!e->erased && e->kind == velorin::cad::embedded::Kind::Insert)
            points.push_back(e->InsertionPoint());
    if (points.size() < 2) return true;
    auto* view = window.view();
    auto near = [&](const velorin::cad::Point3& p) {
        return view->DeviceOf({p.x, p.y}) + QPointF(3, 2);
    };
    window.StartQuery();
    Mouse(view, QEvent::MouseMove, near(points[0]), Qt::NoButton);
    if (!Save(window, out_dir + "/drawing-snap.png")) return false;
    Mouse(view, QEvent::MouseButtonPress, near(points[0]), Qt::LeftButton);
    Mouse(view, QEvent::MouseButtonRelease, near(points[0]), Qt::NoButton);
    Mouse(view, QEvent::MouseButtonPress, near(points.back()), Qt::LeftButton);
    Mouse(view, QEvent::MouseButtonRelease, near(points.back()), Qt::NoButton);
    if (!Save(window, out_dir + "/drawing-query.png")) return false;
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(view, &esc);

    // A command that erased the section lines, taken back with Ctrl+Z.
    velorin::cad::SelectionSet* lines = velorin::cad::NewSelectionSet(*doc);
    lines->Select(5, {{8}, {"断_断面线"}});
    doc->Utility().Prompt("已删除 " + std::to_string(lines->Count()) + " 条断面线");
    lines->Erase();
    lines->Delete();
    window.CommandAttached();
    window.CommandEnded("删辅助线");
    if (!Save(window, out_dir + "/drawing-command.png")) return false;
    window.Undo();
    return Save(window, out_dir + "/drawing-undo.png");
}

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
    velorin::qt::UseChineseTranslations();
    ConsoleUi ui;
    std::unique_ptr<velorin::app::Program> program =
        velorin::app::Startup(velorin::ExecutableDir(), ui);
    if (!program) return 1;
    if (argc > 2 && velorin::IsFolder(argv[2])) program->settings.MainDir = argv[2];
    velorin::app::SystemClock clock;
    velorin::app::Context context{*program, ui, clock};
    velorin::window::Form1 form(context);
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
    return DrawingPictures(out_dir, program->ProgramDir) ? 0 : 1;
}
