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
#include "cad/embedded/host.h"
#include "qt/paint/pdf_paint_backend.h"
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

constexpr int kPdfResolution = 1200;

// Qt writes the page's media box in whole points (A3: 1191 x 842); the paper is 1190.55 x
// 841.89. The box is written with six decimals either way, so the exact one takes the
// same bytes and the file's offsets stay right.
void TruePageSize(QByteArray& pdf, double width_mm, double height_mm) {
    const QByteArray key = "/MediaBox [0 0 ";
    QByteArray exact = key + QByteArray::number(width_mm / 25.4 * 72, 'f', 6) + " " +
                       QByteArray::number(height_mm / 25.4 * 72, 'f', 6) + "]";
    for (qsizetype at = pdf.indexOf(key); at >= 0; at = pdf.indexOf(key, at + 1)) {
        qsizetype end = pdf.indexOf(']', at);
        if (end < 0) return;
        if (end + 1 - at == exact.size()) pdf.replace(at, exact.size(), exact);
    }
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
        PdfPaintBackend backend(painter);
        const double units = PdfPaintBackend::kUnits;
        cad::embedded::Paint(drawing, window, page.width() * units, page.height() * units, backend,
                             10 * units);
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

Status RenderSheetsPdf(const cad::embedded::Drawing& drawing,
                       const std::vector<cad::embedded::Box>& sheets, double width_mm,
                       double height_mm, const std::string& path) {
    if (sheets.empty()) return Status::Error("没有图纸可输出到“" + path + "”");
    EnsureGuiApplication();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        QPageSize size(QSizeF(std::min(width_mm, height_mm), std::max(width_mm, height_mm)),
                       QPageSize::Millimeter);
        pdf.setPageLayout(
            QPageLayout(size, width_mm > height_mm ? QPageLayout::Landscape : QPageLayout::Portrait,
                        QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        pdf.setResolution(kPdfResolution);
        pdf.setTitle(QString::fromUtf8(path.c_str()));
        QPainter painter(&pdf);
        // One backend for every page: a string laid out on one sheet is not laid out again.
        PdfPaintBackend backend(painter);
        for (size_t k = 0; k < sheets.size(); ++k) {
            if (k > 0) pdf.newPage();
            // The page in painter units as the paper is, not rounded to whole points.
            const double width = width_mm / 25.4 * kPdfResolution * PdfPaintBackend::kUnits,
                         height = height_mm / 25.4 * kPdfResolution * PdfPaintBackend::kUnits;
            const cad::embedded::Box& sheet = sheets[k];
            // The painter keeps a margin of 10 units around what it fits; the window it is
            // given is the sheet less that margin, so the sheet fills the page.
            double s = width / (sheet.max_x - sheet.min_x), m = 10 / s;
            cad::embedded::Box window{sheet.min_x + m, sheet.min_y + m, sheet.max_x - m,
                                      sheet.max_y - m};
            cad::embedded::Paint(drawing, window, width, height, backend);
        }
        painter.end();
    }
    TruePageSize(bytes, width_mm, height_mm);
    return WriteFileAtomically(
        path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

Status WriteSheetPlotPdf(const plots::SheetPlot& plot, const std::string& path) {
    if (!plot.doc) return Status::Error("没有图纸可输出到“" + path + "”");
    std::vector<cad::embedded::Box> boxes;
    for (const auto& f : plot.sheets) boxes.push_back({f.min_x, f.min_y, f.max_x, f.max_y});
    const auto& drawing = static_cast<const cad::embedded::HostDocument*>(plot.doc)->drawing();
    return RenderSheetsPdf(drawing, boxes, plot.paper_width, plot.paper_height, path);
}

}  // namespace velorin::qt
