#include "qt/paint/picture.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>

#include "base/strings.h"
#include "base/text_file.h"
#include "qt/paint/qt_paint_backend.h"

namespace velorin::qt {

namespace {

// Painting text needs the GUI application object; a command-line run has none.
void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session (cron, ssh, CI) Qt warns on standard error, where velorin-batch's
    // messages go; give it the private folder it would fall back to anyway.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QByteArray runtime =
            QDir::tempPath().toLocal8Bit() + "/runtime-" + QByteArray::number(getuid());
        if (mkdir(runtime.constData(), 0700) == 0 || errno == EEXIST)
            qputenv("XDG_RUNTIME_DIR", runtime);
    }
    static int argc = 1;
    static char name[] = "velorin";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

cad::embedded::Box Window(const cad::embedded::Drawing& drawing) {
    auto extents = drawing.Extents();
    return extents ? *extents : cad::embedded::Box{0, 0, 420, 297};
}

}  // namespace

Status RenderPicture(const cad::embedded::Drawing& drawing, const std::string& path, int width,
                     int height) {
    EnsureGuiApplication();
    cad::embedded::Box window = Window(drawing);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (EndsWith(UpperCase(path), ".PDF")) {
        QPdfWriter pdf(&buffer);
        bool landscape = window.max_x - window.min_x >= window.max_y - window.min_y;
        pdf.setPageSize(QPageSize(QPageSize::A3));
        pdf.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        pdf.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(QString::fromUtf8(path.c_str()));
        QPainter painter(&pdf);
        QRect page = painter.viewport();
        QtPaintBackend backend(painter, 1.0);
        cad::embedded::Paint(drawing, window, page.width(), page.height(), backend);
        painter.end();
    } else if (EndsWith(UpperCase(path), ".PNG")) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QtPaintBackend backend(painter, 1.0);
            cad::embedded::Paint(drawing, window, width, height, backend);
        }
        if (!image.save(&buffer, "PNG")) return Status::Error("图片“" + path + "”无法生成");
    } else {
        return Status::Error("图片“" + path + "”的类型不认识：应为 .png 或 .pdf");
    }
    return WriteFileAtomically(
        path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace velorin::qt
