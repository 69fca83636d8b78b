// libFuzzer harness for the DXF reader: whatever the bytes, reading must end with a
// drawing or a message; a drawing read must also serialize, give its extents, and paint
// (hatch patterns, dimensions and blocks are where painting does the most work).
#include <cstddef>
#include <cstdint>
#include <string>

#include "cad/embedded/drawing.h"
#include "cad/embedded/paint.h"

namespace {

// Takes what is painted and keeps nothing: the work, not the picture, is under test.
class NullBackend : public velorin::cad::embedded::PaintBackend {
  public:
    using Rgb = velorin::cad::embedded::Rgb;
    using Point2 = velorin::Point2;
    void Polyline(const std::vector<Point2>&, bool, Rgb, double) override {}
    void Polygon(const std::vector<Point2>&, Rgb) override {}
    void Area(const std::vector<std::vector<Point2>>&, Rgb) override {}
    void Lines(const std::vector<Point2>&, Rgb) override {}
    void Circle(Point2, double, Rgb) override {}
    void Text(const std::string&, Point2, double, double, double, bool, Rgb) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using velorin::cad::embedded::Drawing;
    velorin::Status status;
    auto d =
        Drawing::Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.dxf", &status);
    if (!d) return 0;
    d->Serialize();
    auto extents = d->Extents();
    if (extents && extents->valid()) {
        NullBackend out;
        velorin::cad::embedded::Paint(*d, *extents, 800, 600, out);
    }
    return 0;
}
