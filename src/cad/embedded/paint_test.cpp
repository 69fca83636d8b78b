// What the painter hands a backend: colours by layer and by block, blocks expanded,
// texts with their words, nothing from layers that are off or entities that are gone.
#include "cad/embedded/paint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

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

// A drawing read from DXF text written as code and value pairs separated by blanks (no
// value holds one), "@" standing for `layer`. R12: no code page, no block records.
std::unique_ptr<Drawing> Parsed(const std::string& pairs, const std::string& layer) {
    std::istringstream words(pairs);
    std::string text, word;
    while (words >> word) text += (word == "@" ? layer : word) + "\n";
    Status status;
    auto d = Drawing::Parse(text, "layers.dxf", &status);
    EXPECT_TRUE(status.ok()) << status.message();
    return d;
}

TEST(Paint, NothingOnALayerThatIsOffOrFrozenIsDrawn) {
    // Block "B" holds a circle on layer 0 and a line on each of the three layers; the
    // reference carries an attribute on layer 0. Both stand for the reference's layer.
    const char* drawing = R"(
        0 SECTION 2 TABLES 0 TABLE 2 LAYER
        0 LAYER 2 0 70 0 62 7
        0 LAYER 2 ON 70 0 62 1
        0 LAYER 2 OFF 70 0 62 -5
        0 LAYER 2 FROZEN 70 1 62 3
        0 ENDTAB 0 ENDSEC
        0 SECTION 2 BLOCKS
        0 BLOCK 8 0 2 B 70 0 10 0 20 0 30 0
        0 CIRCLE 8 0 10 0 20 0 30 0 40 1
        0 LINE 8 ON 10 0 20 0 30 0 11 5 21 0 31 0
        0 LINE 8 OFF 10 0 20 1 30 0 11 5 21 1 31 0
        0 LINE 8 FROZEN 10 0 20 2 30 0 11 5 21 2 31 0
        0 ENDBLK 8 0 0 ENDSEC
        0 SECTION 2 ENTITIES
        0 LINE 8 @ 10 0 20 20 30 0 11 50 21 20 31 0
        0 INSERT 8 @ 66 1 2 B 10 10 20 10 30 0
        0 ATTRIB 8 0 10 10 20 5 30 0 40 1 1 A1 2 TAG 70 0
        0 SEQEND 8 @
        0 ENDSEC 0 EOF)";
    struct Case {
        const char* layer;
        std::vector<Kind_> drawn;  // in painting order
    } cases[] = {
        {"ON", {Kind_::Polyline, Kind_::Circle, Kind_::Polyline, Kind_::Text}},
        // Off: what the block holds on a layer that is on still shows.
        {"OFF", {Kind_::Polyline}},
        // Frozen: the reference shows nothing, whatever the layers inside.
        {"FROZEN", {}},
    };
    for (const Case& c : cases) {
        std::string layer = c.layer;
        auto d = Parsed(drawing, layer);
        ASSERT_TRUE(d) << c.layer;
        RecordingBackend out;
        Paint(*d, Box{0, 0, 50, 50}, 1000, 1000, out);
        std::vector<Kind_> drawn;
        for (const auto& item : out.items) drawn.push_back(item.kind);
        EXPECT_EQ(drawn, c.drawn) << "reference and line on layer " << c.layer;
        if (layer == "ON" && drawn == c.drawn) {
            // Layer 0 inside the block and the attribute take the reference's colour.
            EXPECT_EQ(out.items[1].colour, AciColour(1));
            EXPECT_EQ(out.items[3].text, "A1");
            EXPECT_EQ(out.items[3].colour, AciColour(1));
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
