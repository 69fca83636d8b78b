// The PDF backend paints what the screen backend paints: the same texts (turned, stretched,
// in several colours, between lines), circles, lines and areas, painted by both into
// pictures, come out the same to within the edges' smoothing, and the painter has its
// transform back afterwards.
#include "qt/paint/pdf_paint_backend.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>

#include "qt/paint/qt_paint_backend.h"

namespace velorin::qt {
namespace {

using cad::embedded::Rgb;

void EnsureApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velorin_qt_paint_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

// Paints a scene given in pixels, each length times `unit`, into a white picture.
template <typename Backend>
QImage Picture(double unit, QTransform* after = nullptr) {
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QTransform before = painter.transform();
    Backend out(painter);
    const QTransform start = painter.transform();
    auto at = [&](double x, double y) { return Point2{x * unit, y * unit}; };
    const Rgb black{0, 0, 0}, red{255, 0, 0}, blue{0, 0, 255};
    out.Polyline({at(20, 380), at(580, 380), at(580, 20)}, false, black, 0);
    out.Text("K1+234.5", at(40, 80), 30 * unit, 0, 0, false, blue);
    out.Text("98.368", at(40, 140), 30 * unit, 0, 200 * unit, false, blue);   // stretched
    out.Text("98.369", at(300, 140), 30 * unit, 0, 200 * unit, false, blue);  // same transform
    out.Text("断1～断1'", at(40, 200), 24 * unit, 0, 0, false, red);          // another colour
    out.Circle(at(420, 250), 40 * unit, red);
    out.Text("1+100.0", at(500, 360), 20 * unit, M_PI / 2, 0, false, black);  // turned
    out.Polygon({at(100, 300), at(250, 280), at(250, 300), at(100, 320)}, red);
    out.Text("高程", at(300, 330), 28 * unit, 0, 0, false, black);
    out.Text("高程", at(300, 250), 28 * unit, 0, 0, true, black);  // seen from below
    out.Area({{at(20, 20), at(120, 20), at(120, 60), at(20, 60)},
              {at(40, 30), at(100, 30), at(100, 50), at(40, 50)}},
             blue);  // a ring with a hole
    out.Lines({at(150, 20), at(250, 60), at(150, 60), at(250, 20)}, red);
    out.Flush();
    if (after) *after = painter.transform() * start.inverted() * before;
    return image;
}

TEST(PdfPaintBackend, PaintsWhatTheScreenBackendPaints) {
    EnsureApplication();
    QImage a = Picture<QtPaintBackend>(1);
    QTransform after;
    QImage b = Picture<PdfPaintBackend>(PdfPaintBackend::kUnits, &after);
    // Back to the transform it set up (its own scale), texts' turns and scales undone.
    EXPECT_TRUE(after.isIdentity()) << after.m11() << " " << after.m22() << " " << after.dx();

    int inked = 0, different = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            inked += p != Qt::white;
            different += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                             std::abs(p.blue() - q.blue()) >
                         192;
        }
    EXPECT_GT(inked, 5000);
    EXPECT_LT(different, inked / 100) << different << " of " << inked;
}

}  // namespace
}  // namespace velorin::qt
