// What the painter hands a backend: colours by layer and by block, blocks expanded,
// texts with their words, nothing from layers that are off or entities that are gone.
#include "cad/embedded/paint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velorin::cad::embedded {
namespace {

using Kind_ = RecordingBackend::Item::Kind;

TEST(Paint, ColoursBlocksAndTextsReachTheBackend) {
    auto d = Drawing::New();
    d->AddLayer("红")->SetColor(1);
    d->AddLayer("蓝")->SetColor(5);
    auto* off = d->AddLayer("关");
    off->color = -3;  // a layer switched off
    auto shapes = Drawing::New();
    shapes->AddCircle({0, 0, 0}, 1);  // on layer 0: takes the reference's colour
    int block = d->ImportBlock(*shapes, "点");

    d->current_layer = d->LayerIndex("红");
    d->AddLine({0, 0, 0}, {100, 0, 0});
    d->AddText("断面 K0+100", {10, 10, 0}, 5);
    d->current_layer = d->LayerIndex("蓝");
    d->AddInsert(block, {50, 50, 12}, 2, 2, 2, 0);
    auto* green = d->AddCircle({80, 80, 0}, 3);
    green->color = 3;
    d->current_layer = d->LayerIndex("关");
    d->AddLine({0, 100, 0}, {100, 100, 0});
    d->current_layer = d->LayerIndex("红");
    d->AddLine({0, 90, 0}, {100, 90, 0})->Erase();

    RecordingBackend out;
    Paint(*d, Box{0, 0, 100, 100}, 1000, 1000, out);
    const Rgb red{255, 0, 0}, blue{0, 0, 255}, green_rgb{0, 255, 0};
    ASSERT_EQ(out.items.size(), 4u);
    EXPECT_EQ(out.items[0].kind, Kind_::Polyline);
    EXPECT_EQ(out.items[0].colour, red);
    EXPECT_EQ(out.items[1].kind, Kind_::Text);
    EXPECT_EQ(out.items[1].text, "断面 K0+100");
    EXPECT_EQ(out.items[1].colour, red);
    EXPECT_EQ(out.items[2].kind, Kind_::Circle);
    EXPECT_EQ(out.items[2].colour, blue);
    // Scale 2 of a unit circle, on a page of 980 pixels for 100 units (tolerance 1e-6).
    EXPECT_NEAR(out.items[2].size, 2 * 9.8, 1e-6);
    EXPECT_NEAR(out.items[2].points[0].x, 10 + 50 * 9.8, 1e-6);
    EXPECT_NEAR(out.items[2].points[0].y, 10 + 50 * 9.8, 1e-6);  // y turned downwards
    EXPECT_EQ(out.items[3].colour, green_rgb);
}

TEST(Paint, MtextFormattingIsResolvedIntoLines) {
    struct Case {
        const char* name;
        Kind kind;
        std::string stored;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"degree sign in TEXT", Kind::Text, "45%%d", {"45°"}},
        {"paragraphs", Kind::MText, "第一行\\P第二行", {"第一行", "第二行"}},
        {"font and height codes", Kind::MText, "{\\fSimSun|b0;\\H2.5;高程}12.3", {"高程12.3"}},
        {"stacked fraction", Kind::MText, "1\\S1/2;", {"11/2"}},
        {"escaped braces", Kind::MText, "\\{a\\}", {"{a}"}},
    };
    for (const Case& c : cases) {
        TextEntity t(c.kind, nullptr);
        t.text = c.stored;
        EXPECT_EQ(DisplayLines(t), c.lines) << c.name;
    }
}

TEST(Paint, HostColourNumbers) {
    EXPECT_EQ(AciColour(1), (Rgb{255, 0, 0}));
    EXPECT_EQ(AciColour(3), (Rgb{0, 255, 0}));
    EXPECT_EQ(AciColour(5), (Rgb{0, 0, 255}));
    EXPECT_EQ(AciColour(7), (Rgb{0, 0, 0}));  // black on white paper
    EXPECT_EQ(AciColour(8), (Rgb{128, 128, 128}));
    EXPECT_EQ(AciColour(-1), AciColour(1));  // an off layer keeps its colour
    EXPECT_EQ(AciColour(10), (Rgb{255, 0, 0}));
}

}  // namespace
}  // namespace velorin::cad::embedded
