// The preview picture: the square window with its margin, the circles and the grid the
// user sees for a few typical spreads of points.
#include "cad/preview.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velorin::cad {
namespace {

constexpr double kTolerance = 1e-9;  // metres

std::vector<double> Xs(const std::vector<PreviewPicture::GridLine>& lines) {
    std::vector<double> out;
    for (const auto& l : lines) out.push_back(l.x1);
    return out;
}
std::vector<double> Ys(const std::vector<PreviewPicture::GridLine>& lines) {
    std::vector<double> out;
    for (const auto& l : lines) out.push_back(l.y1);
    return out;
}
std::vector<std::string> Labels(const std::vector<PreviewPicture::GridLine>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(l.label);
    return out;
}

TEST(PreviewWindow, SquareAboutThePointsWithAFiveMetreMargin) {
    struct Row {
        const char* name;
        std::vector<Point2> points;
        PreviewWindow window;
        double radius;
    };
    const Row rows[] = {
        {"one point: a 10 m picture centred on it, circle of radius 0",
         {{500, 300}},
         {500, 500, 300, 300},
         0},
        {"1000 m east-west, 200 m north-south: 1000 m high, centred vertically",
         {{0, 0}, {1000, 200}},
         {0, 1000, 600, -400},
         5},
        {"tall spread widened east and west", {{100, 0}, {300, 1000}}, {-300, 700, 1000, 0}, 5},
        {"square spread kept", {{-50, -50}, {50, 50}}, {-50, 50, 50, -50}, 0.5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PreviewPicture pic = MakePreview(row.points, 0.5);
        EXPECT_NEAR(pic.window.left, row.window.left, kTolerance);
        EXPECT_NEAR(pic.window.right, row.window.right, kTolerance);
        EXPECT_NEAR(pic.window.top, row.window.top, kTolerance);
        EXPECT_NEAR(pic.window.bottom, row.window.bottom, kTolerance);
        EXPECT_NEAR(pic.scale_x1, row.window.left - 5, kTolerance);
        EXPECT_NEAR(pic.scale_y1, row.window.top + 5, kTolerance);
        EXPECT_NEAR(pic.scale_x2, row.window.right + 5, kTolerance);
        EXPECT_NEAR(pic.scale_y2, row.window.bottom - 5, kTolerance);
        // The picture is square: the same extent both ways.
        EXPECT_NEAR(pic.scale_x2 - pic.scale_x1, pic.scale_y1 - pic.scale_y2, kTolerance);
        ASSERT_EQ(pic.points.size(), row.points.size());
        for (size_t i = 0; i < row.points.size(); ++i) {
            EXPECT_EQ(pic.points[i].x, row.points[i].x);
            EXPECT_EQ(pic.points[i].y, row.points[i].y);
            EXPECT_NEAR(pic.points[i].radius, row.radius, kTolerance);
        }
    }
}

TEST(PreviewGrid, LinesOnMultiplesOfTheScaledStep) {
    struct Row {
        const char* name;
        std::vector<Point2> points;
        double scale;
        std::vector<double> xs, ys;
    };
    const Row rows[] = {
        {"1:500 every 250 m", {{100, 100}, {700, 400}}, 0.5, {0, 250, 500}, {-250, 0, 250, 500}},
        {"1:100 every 50 m", {{10, 10}, {120, 60}}, 0.1, {0, 50, 100}, {-50, 0, 50}},
        {"1:1000 every 500 m, negative coordinates start at or below the edge",
         {{-1200, -800}, {-300, -100}},
         1,
         {-1500, -1000, -500},
         {-1000, -500, 0}},
        {"a point on a multiple", {{250, 250}}, 0.5, {250}, {250}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PreviewPicture pic = MakePreview(row.points, row.scale);
        EXPECT_EQ(Xs(pic.vertical), row.xs);
        EXPECT_EQ(Ys(pic.horizontal), row.ys);
        EXPECT_FALSE(pic.grid_thinned);
        for (const auto& l : pic.vertical) {
            EXPECT_EQ(l.x2, l.x1);
            EXPECT_NEAR(l.y1, pic.window.bottom - 5, kTolerance);
            EXPECT_NEAR(l.y2, pic.window.top + 5, kTolerance);
            EXPECT_EQ(l.label_x, l.x1);
            EXPECT_NEAR(l.label_y, pic.window.top + 4, kTolerance);
        }
        for (const auto& l : pic.horizontal) {
            EXPECT_EQ(l.y2, l.y1);
            EXPECT_NEAR(l.x1, pic.window.left - 5, kTolerance);
            EXPECT_NEAR(l.x2, pic.window.right + 5, kTolerance);
            EXPECT_NEAR(l.label_x, pic.window.left + 1, kTolerance);
            EXPECT_EQ(l.label_y, l.y1);
        }
    }
}

TEST(PreviewGrid, LabelsAreTheWholeValues) {
    PreviewPicture pic = MakePreview({{512200, 3500060}, {512560, 3500250}}, 0.5);
    EXPECT_EQ(Labels(pic.vertical), (std::vector<std::string>{"512000", "512250", "512500"}));
    EXPECT_EQ(Labels(pic.horizontal), (std::vector<std::string>{"3499750", "3500000", "3500250"}));
}

TEST(PreviewGrid, ScalesThatCannotMakeAGridLeaveItOut) {
    struct Row {
        const char* name;
        std::vector<Point2> points;
        double scale;
        bool thinned;
    };
    const Row rows[] = {
        {"scale 0", {{0, 0}, {100, 100}}, 0, false},
        {"negative scale", {{0, 0}, {100, 100}}, -1, false},
        {"a typing slip makes the points 3.5e9 m apart", {{0, 0}, {3.5e9, 0}}, 0.1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PreviewPicture pic = MakePreview(row.points, row.scale);
        EXPECT_TRUE(pic.vertical.empty());
        EXPECT_TRUE(pic.horizontal.empty());
        EXPECT_EQ(pic.grid_thinned, row.thinned);
        EXPECT_EQ(pic.points.size(), row.points.size());
    }
}

TEST(PreviewWindow, NoPointsNoPicture) {
    PreviewPicture pic = MakePreview({}, 0.5);
    EXPECT_TRUE(pic.points.empty());
    EXPECT_TRUE(pic.vertical.empty());
    EXPECT_TRUE(pic.horizontal.empty());
}

}  // namespace
}  // namespace velorin::cad
