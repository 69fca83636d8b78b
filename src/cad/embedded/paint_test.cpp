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

TEST(Paint, TextCodesAreShownAsTheyArePrinted) {
    using Stroke = ShownLine::Stroke;
    struct Case {
        const char* name;
        Kind kind;
        std::string stored;
        std::vector<ShownLine> lines;
    };
    const ShownLine::Run under{0, 2, Stroke::Under};
    const Case cases[] = {
        {"degree, diameter, plus-minus, percent",
         Kind::Text,
         "45%%d %%C8 %%p0.05 100%%%",
         {{"45° ⌀8 ±0.05 100%", {}}}},
        {"character numbers", Kind::Text, "%%065%%177", {{"A±", {}}}},
        {"a control number stays as written", Kind::Text, "%%009", {{"%%009", {}}}},
        {"underline on and off", Kind::Text, "%%uK0%%u+100", {{"K0+100", {under}}}},
        {"underline and overline to the end",
         Kind::Text,
         "%%u%%o断面",
         {{"断面", {{0, 6, Stroke::Under}, {0, 6, Stroke::Over}}}}},
        {"GBK double byte", Kind::Text, "\\M+1B6CF\\M+5C3E6", {{"断面", {}}}},
        {"not a GBK character", Kind::Text, "\\M+1FFFF", {{"\\M+1FFFF", {}}}},
        {"another code page stays as written", Kind::Text, "\\M+2A4A4", {{"\\M+2A4A4", {}}}},
        {"MTEXT paragraphs", Kind::MText, "第一行\\P第二行", {{"第一行", {}}, {"第二行", {}}}},
        {"MTEXT font and height codes",
         Kind::MText,
         "{\\fSimSun|b0;\\H2.5;高程}12.3",
         {{"高程12.3", {}}}},
        {"MTEXT stacked fraction", Kind::MText, "1\\S1/2;", {{"11/2", {}}}},
        {"MTEXT escaped braces", Kind::MText, "\\{a\\}", {{"{a}", {}}}},
        {"MTEXT underline ends with its group", Kind::MText, "{\\LK0}+1", {{"K0+1", {under}}}},
        {"MTEXT underline goes on to the next line",
         Kind::MText,
         "\\LK0\\PK1\\l2",
         {{"K0", {under}}, {"K12", {under}}}},
        {"MTEXT percent codes and GBK", Kind::MText, "%%c\\M+1B6CF", {{"⌀断", {}}}},
    };
    for (const Case& c : cases) {
        TextEntity t(c.kind, nullptr);
        t.text = c.stored;
        auto shown = DisplayText(t);
        ASSERT_EQ(shown.size(), c.lines.size()) << c.name;
        for (size_t k = 0; k < shown.size(); ++k) {
            EXPECT_EQ(shown[k].text, c.lines[k].text) << c.name;
            EXPECT_EQ(shown[k].runs, c.lines[k].runs) << c.name;
        }
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
