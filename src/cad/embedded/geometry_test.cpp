// The exact tests behind selection: segments, circles and polygons, bulge arcs, and the
// transform of a block reference. Tolerances are stated where a result is computed.
#include "cad/embedded/geometry.h"

#include <gtest/gtest.h>

namespace velorin::cad::embedded {
namespace {

const std::vector<Point2> kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};

TEST(Geometry, SegmentsMeetWhenTheyCrossOrTouch) {
    struct Case {
        const char* name;
        Point2 a, b, c, d;
        bool meet;
    };
    const Case cases[] = {
        {"crossing", {0, 0}, {10, 10}, {0, 10}, {10, 0}, true},
        {"end on the other", {0, 0}, {5, 5}, {5, 5}, {10, 0}, true},
        {"end on the middle of the other", {5, 0}, {5, 5}, {0, 5}, {10, 5}, true},
        {"parallel apart", {0, 0}, {10, 0}, {0, 1}, {10, 1}, false},
        {"collinear overlapping", {0, 0}, {6, 0}, {4, 0}, {10, 0}, true},
        {"collinear apart", {0, 0}, {3, 0}, {4, 0}, {10, 0}, false},
        {"would cross if longer", {0, 0}, {4, 4}, {10, 0}, {6, 4}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(SegmentsIntersect(c.a, c.b, c.c, c.d), c.meet) << c.name;
}

TEST(Geometry, ShapesAgainstAPolygonsArea) {
    struct Case {
        const char* name;
        Point2 a, b;
        bool touches;
    };
    const Case segments[] = {
        {"inside", {2, 2}, {8, 8}, true},
        {"through", {-5, 5}, {15, 5}, true},
        {"ends on the edge", {-5, 5}, {0, 5}, true},
        {"outside", {11, 0}, {11, 10}, false},
        {"past a corner", {9, 11.5}, {11.5, 9}, false},
    };
    for (const Case& c : segments)
        EXPECT_EQ(SegmentTouchesPolygon(c.a, c.b, kSquare), c.touches) << c.name;

    struct CircleCase {
        const char* name;
        Point2 centre;
        double radius;
        bool touches;
    };
    const CircleCase circles[] = {
        {"inside", {5, 5}, 2, true},
        {"crossing an edge", {10, 5}, 1, true},
        {"around the whole polygon", {5, 5}, 20, false},
        {"outside", {15, 5}, 2, false},
        {"tangent to an edge", {12, 5}, 2, true},
        {"near a corner but off it", {11, 11}, 1.4, false},
    };
    for (const CircleCase& c : circles)
        EXPECT_EQ(CircleTouchesPolygon(c.centre, c.radius, kSquare), c.touches) << c.name;
}

TEST(Geometry, BulgesBecomeArcsOnTheRightSide) {
    // Bulge 1 from (0,0) to (2,0): a half circle about (1,0), counter-clockwise, so below.
    std::vector<Point2> pts{{0, 0}};
    BulgePoints({0, 0}, {2, 0}, 1, pts);
    double lowest = 0;
    for (const Point2& p : pts) {
        EXPECT_NEAR(std::hypot(p.x - 1, p.y), 1, 1e-9);
        lowest = std::min(lowest, p.y);
    }
    EXPECT_NEAR(lowest, -1, 1e-3);  // chords stay within 1/2000 of the radius
    EXPECT_DOUBLE_EQ(pts.back().x, 2);
    // Negative bulge: the same half circle above.
    std::vector<Point2> above{{0, 0}};
    BulgePoints({0, 0}, {2, 0}, -1, above);
    EXPECT_GT(above[above.size() / 2].y, 0.99);
    // No bulge: the straight segment.
    std::vector<Point2> straight{{0, 0}};
    BulgePoints({0, 0}, {2, 0}, 0, straight);
    EXPECT_EQ(straight.size(), 2u);
}

TEST(Geometry, BlockReferenceTransform) {
    // Base point (1,1), scale 2, turned 90 degrees, inserted at (10,20).
    Affine t = Affine::Insert({10, 20}, 2, 2, 90, {1, 1});
    Point2 p = t({2, 1});  // one unit right of the base
    EXPECT_NEAR(p.x, 10, 1e-12);
    EXPECT_NEAR(p.y, 22, 1e-12);
    EXPECT_TRUE(t.Conformal());
    EXPECT_NEAR(t.Scale(), 2, 1e-12);
    EXPECT_TRUE(Affine::Insert({0, 0}, -1, 1, 0, {0, 0}).Conformal());  // mirrored
    EXPECT_FALSE(Affine::Insert({0, 0}, 2, 1, 0, {0, 0}).Conformal());
    EXPECT_DOUBLE_EQ(TextAdvance("K0+100"), 6 * 0.7);
    EXPECT_DOUBLE_EQ(TextAdvance("断面"), 2.0);
}

}  // namespace
}  // namespace velorin::cad::embedded
