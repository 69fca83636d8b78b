// Writes the symbol drawings of support/: one DXF per block, the block named as the
// file, drawn about its insertion point in paper millimetres (inserted at scale 1 it
// measures its size on paper; a plot at 1:500 inserts it at 0.5). Shapes follow the
// national topographic map symbols where one applies. Run by hand after a change:
//   cmake --build BUILD --target velorin_make_symbols && BUILD/app/velorin_make_symbols support/
#include <cstdio>
#include <string>
#include <vector>

#include "cad/embedded/drawing.h"

using namespace velorin::cad::embedded;
using velorin::cad::Point3;

namespace {

// A filled dot: a closed two-arc polyline as wide as its radius.
void Dot(Drawing& d, double diameter) {
    auto* p = d.AddPolyline({{-diameter / 4, 0}, {diameter / 4, 0}});
    p->vertices[0].bulge = p->vertices[1].bulge = 1;
    p->closed = true;
    p->constant_width = diameter / 2;
}

void Polygon(Drawing& d, const std::vector<Vec2>& points) {
    auto* p = d.AddPolyline(points);
    p->closed = true;
}

std::vector<Vec2> Triangle(double side) {
    double h = side * std::sqrt(3.0) / 2;  // centroid at the insertion point
    return {{-side / 2, -h / 3}, {side / 2, -h / 3}, {0, 2 * h / 3}};
}

std::vector<Vec2> Square(double side) {
    double s = side / 2;
    return {{-s, -s}, {s, -s}, {s, s}, {-s, s}};
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : "support/";
    if (!folder.empty() && folder.back() != '/') folder += '/';
    struct Symbol {
        const char* name;
        void (*draw)(Drawing&);
    };
    const Symbol symbols[] = {
        // Plotted coordinates: a dot 0.6 mm across.
        {"纯坐标展点", [](Drawing& d) { Dot(d, 0.6); }},
        // Elevation point: the map's 0.5 mm dot.
        {"高程点", [](Drawing& d) { Dot(d, 0.5); }},
        // Plotted point with a ring, so that it stands out from elevation points.
        {"展点",
         [](Drawing& d) {
             Dot(d, 0.5);
             d.AddCircle({0, 0, 0}, 0.8);
         }},
        // GPS control point: triangle of 3.0 mm with its centre dot.
        {"GPS点",
         [](Drawing& d) {
             Polygon(d, Triangle(3.0));
             Dot(d, 0.5);
         }},
        // Traverse point: circle of 2.0 mm with its centre dot.
        {"导线点",
         [](Drawing& d) {
             d.AddCircle({0, 0, 0}, 1.0);
             Dot(d, 0.5);
         }},
        // Monumented control point: square of 2.0 mm with its centre dot.
        {"埋石图根点",
         [](Drawing& d) {
             Polygon(d, Square(2.0));
             Dot(d, 0.5);
         }},
        // Unmonumented control point: circle of 1.6 mm with its centre dot.
        {"不埋石图根点",
         [](Drawing& d) {
             d.AddCircle({0, 0, 0}, 0.8);
             Dot(d, 0.5);
         }},
    };
    for (const Symbol& s : symbols) {
        auto shapes = Drawing::New();
        s.draw(*shapes);
        auto out = Drawing::New();
        int block = out->ImportBlock(*shapes, s.name);
        out->AddInsert(block, Point3{0, 0, 0}, 1, 1, 1, 0);
        std::string path = folder + s.name + ".dxf";
        auto status = out->Save(path);
        if (!status.ok()) {
            std::fprintf(stderr, "%s\n", status.message().c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
