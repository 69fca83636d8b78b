// Section geometry against hand-computed values: rectangles, feet, chainages and
// offsets, the line cut, directions, the nudges and the next section number.
#include "sections/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velorin::sections {
namespace {

constexpr double kTolerance = 1e-9;

struct RectangleCase {
    const char* name;
    Point2 p, n;
    double r;
    std::array<Point2, 4> corners;
};

TEST(RangeRectangle, CornersOfSlopedSegments) {
    // Slope ±4/3: the perpendicular of length 2 is (1.6, ∓1.2).
    const RectangleCase cases[] = {
        {"rising", {10, 10}, {13, 14}, 2, {{{11.6, 8.8}, {14.6, 12.8}, {11.4, 15.2}, {8.4, 11.2}}}},
        {"falling", {10, 10}, {13, 6}, 2, {{{11.6, 11.2}, {14.6, 7.2}, {11.4, 4.8}, {8.4, 8.8}}}},
        {"running back",
         {13, 14},
         {10, 10},
         2,
         {{{14.6, 12.8}, {11.6, 8.8}, {8.4, 11.2}, {11.4, 15.2}}}},
        {"half a metre",
         {100, 50},
         {106, 58},
         0.5,
         {{{100.4, 49.7}, {106.4, 57.7}, {105.6, 58.3}, {99.6, 50.3}}}},
    };
    for (const auto& c : cases) {
        auto k = RangeRectangle(WalkSegment(c.p, c.n), c.r);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(k[i].x, c.corners[i].x, kTolerance) << c.name << " K" << i + 1;
            EXPECT_NEAR(k[i].y, c.corners[i].y, kTolerance) << c.name << " K" << i + 1;
        }
    }
}

struct StationCase {
    const char* name;
    Point2 q;
    double chainage, offset;
    Point2 foot;
};

TEST(SegmentFoot, ChainageAndOffsetOnBothSides) {
    // Along (10,10)→(13,14) the unit direction is (0.6, 0.8), its right normal (0.8, -0.6).
    Segment s = WalkSegment({10, 10}, {13, 14});
    const StationCase cases[] = {
        {"right of the line", {12.3, 11.4}, 2.5, 1, {11.5, 12}},
        {"left of the line", {10.7, 12.6}, 2.5, 1, {11.5, 12}},
        {"on the line", {12.4, 13.2}, 4, 0, {12.4, 13.2}},
        {"at the start vertex, aside", {11.6, 8.8}, 0, 2, {10, 10}},
        {"at the end vertex, aside", {11.4, 15.2}, 5, 2, {13, 14}},
    };
    for (const auto& c : cases) {
        Point2 f = SegmentFoot(s, c.q);
        EXPECT_NEAR(f.x, c.foot.x, kTolerance) << c.name;
        EXPECT_NEAR(f.y, c.foot.y, kTolerance) << c.name;
        Station at = StationOf(s, c.q);
        EXPECT_NEAR(at.chainage, c.chainage, kTolerance) << c.name;
        EXPECT_NEAR(at.offset, c.offset, kTolerance) << c.name;
    }
}

TEST(Nudges, VerticalAndHorizontalSegmentsMoveOneMillimetre) {
    struct Case {
        const char* name;
        Segment s;
        Point2 p, n;
    } cases[] = {
        {"walk, vertical: start moves left", WalkSegment({5, 1}, {5, 9}), {4.999, 1}, {5, 9}},
        {"walk, horizontal: start moves down", WalkSegment({1, 5}, {9, 5}), {1, 4.999}, {9, 5}},
        {"section, vertical: end moves right", SectionSegment({5, 1}, {5, 9}), {5, 1}, {5.001, 9}},
        {"section, horizontal: end moves up", SectionSegment({1, 5}, {9, 5}), {1, 5}, {9, 5.001}},
        {"sloped: nothing moves", WalkSegment({1, 2}, {4, 6}), {1, 2}, {4, 6}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.s.p.x, c.p.x) << c.name;
        EXPECT_EQ(c.s.p.y, c.p.y) << c.name;
        EXPECT_EQ(c.s.n.x, c.n.x) << c.name;
        EXPECT_EQ(c.s.n.y, c.n.y) << c.name;
        EXPECT_TRUE(std::isfinite(c.s.k) && c.s.k != 0) << c.name;
    }
    // The nudged start lengthens the segment.
    EXPECT_NEAR(WalkSegment({5, 1}, {5, 9}).Length(), std::sqrt(64 + 1e-6), 1e-12);
}

TEST(LineCutDistance, FromTheFirstPointToTheMeetingPoint) {
    struct Case {
        const char* name;
        double x1, y1, x2, y2, x3, y3, x4, y4;
        std::optional<double> distance;
    } cases[] = {
        {"diagonals meet in the middle", 0, 0, 10, 10, 0, 10, 10, 0, std::sqrt(50.0)},
        {"beyond the segments' ends", 0, 0, 1, 1, 0, 10, 10, 0, std::sqrt(50.0)},
        {"behind the first point: still positive", 10, 10, 20, 20, 0, 10, 10, 0, std::sqrt(50.0)},
        {"crossing line along x", 100, 50, 200, 50.001, 150, 40, 150.001, 60, 50.0},
        {"vertical first line", 0, 0, 0, 10, 0, 10, 10, 0, std::nullopt},
        {"vertical second line", 0, 0, 10, 10, 5, 0, 5, 10, std::nullopt},
        {"parallel lines", 0, 0, 10, 10, 0, 5, 10, 15, std::nullopt},
    };
    for (const auto& c : cases) {
        auto d = LineCutDistance(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4);
        ASSERT_EQ(d.has_value(), c.distance.has_value()) << c.name;
        if (d) {
            EXPECT_NEAR(*d, *c.distance, 1e-3) << c.name;
        }
    }
}

TEST(DirectionAngle, QuadrantsFromTheXAxis) {
    struct Case {
        const char* name;
        Point2 to;
        double degrees;
    } cases[] = {
        {"first quadrant", {1, 1}, 45},
        {"second quadrant", {-1, 1}, 135},
        {"third quadrant", {-1, -1}, 225},
        {"fourth quadrant", {1, -1}, 315},
        {"steep", {1, 2}, std::atan(2.0) / 3.1415926535 * 180},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(DirectionAngle({0, 0}, c.to), c.degrees, 1e-6) << c.name;
}

TEST(NextSectionNumber, TrailingDigitsCountUp) {
    struct Case {
        const char* name;
        std::string number, next;
    } cases[] = {
        {"one digit", "断1", "断2"},
        {"carry to two digits", "断9", "断10"},
        {"leading zeros dropped", "K1+020", "K1+21"},
        {"digits only stay", "12", "12"},
        {"no digits", "断", "断1"},
        {"digits inside kept", "A2B", "A2B1"},
    };
    for (const auto& c : cases) EXPECT_EQ(NextSectionNumber(c.number), c.next) << c.name;
}

}  // namespace
}  // namespace velorin::sections
