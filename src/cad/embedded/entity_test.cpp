// The entity table: every type it lists reads, names, writes and draws through its entry;
// ELLIPSE, added as one file and one entry, goes the whole way; the block walk is shared
// by selection geometry and painting and stays bounded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "cad/embedded/block_cycles.h"
#include "cad/embedded/block_walk.h"
#include "cad/embedded/entity_type.h"
#include "cad/embedded/paint.h"

namespace velorin::cad::embedded {
namespace {

// A DXF text from its lines, one group code or value a line.
std::string Dxf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// An R2000 drawing whose ENTITIES section holds `entities` (and BLOCKS holds `blocks`),
// complete enough that the writer adds nothing to it.
std::string Drawing2000(const std::vector<std::string>& entities,
                        const std::vector<std::string>& blocks = {"0", "BLOCK", "2", "EMPTY", "0",
                                                                  "ENDBLK"}) {
    // The seed is written the writer's way (codes right-aligned), so it comes back the same.
    std::vector<std::string> lines{
        "0",   "SECTION",  "2", "HEADER", "9", "$ACADVER", "1", "AC1015", "  9", "$HANDSEED",
        "  5", "FFF",      "0", "ENDSEC", "0", "SECTION",  "2", "TABLES", "0",   "TABLE",
        "2",   "LAYER",    "0", "LAYER",  "5", "10",       "2", "0",      "62",  "7",
        "0",   "ENDTAB",   "0", "TABLE",  "2", "STYLE",    "0", "STYLE",  "5",   "11",
        "2",   "Standard", "3", "txt",    "0", "ENDTAB",   "0", "ENDSEC", "0",   "SECTION",
        "2",   "BLOCKS"};
    lines.insert(lines.end(), blocks.begin(), blocks.end());
    for (const char* l : {"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"}) lines.push_back(l);
    lines.insert(lines.end(), entities.begin(), entities.end());
    for (const char* l : {"0", "ENDSEC", "0", "EOF"}) lines.push_back(l);
    return Dxf(lines);
}

std::unique_ptr<Drawing> Read(const std::string& bytes) {
    Status status;
    auto d = Drawing::Parse(bytes, "test.dxf", &status);
    EXPECT_TRUE(d) << status.message();
    return d;
}

class CountingSink : public PrimitiveSink {
  public:
    long segments = 0, circles = 0;
    Box box;
    void Segment(Point2 a, Point2 b) override { ++segments, box.Add(a), box.Add(b); }
    void Circle(Point2 c, double r) override {
        ++circles, box.Add(Point2{c.x - r, c.y - r}), box.Add(Point2{c.x + r, c.y + r});
    }
};

// Counts what is painted, without keeping it.
class CountingBackend : public PaintBackend {
  public:
    long circles = 0, others = 0;
    void Polyline(const std::vector<Point2>&, bool, Rgb, double) override { ++others; }
    void Polygon(const std::vector<Point2>&, Rgb) override { ++others; }
    void Area(const std::vector<std::vector<Point2>>&, Rgb) override { ++others; }
    void Lines(const std::vector<Point2>&, Rgb) override { ++others; }
    void Circle(Point2, double, Rgb) override { ++circles; }
    void Text(const std::string&, Point2, double, double, double, bool, Rgb) override { ++others; }
};

TEST(EntityTable, EveryRecordTypeReadsAndNamesThroughItsEntry) {
    struct Row {
        const char* type;
        std::vector<std::string> groups;
        Kind kind;
    };
    const Row rows[] = {
        {"LINE", {"10", "1", "20", "2", "11", "3", "21", "4"}, Kind::Line},
        {"ARC", {"10", "0", "20", "0", "40", "1", "50", "0", "51", "90"}, Kind::Arc},
        {"CIRCLE", {"10", "0", "20", "0", "40", "1"}, Kind::Circle},
        {"LWPOLYLINE", {"90", "2", "10", "0", "20", "0", "10", "1", "20", "1"}, Kind::LwPolyline},
        {"TEXT", {"10", "0", "20", "0", "40", "1", "1", "A"}, Kind::Text},
        {"MTEXT", {"10", "0", "20", "0", "40", "1", "1", "A"}, Kind::MText},
        {"POINT", {"10", "5", "20", "5"}, Kind::Point},
        {"SOLID", {"10", "0", "20", "0", "11", "1", "21", "0", "12", "0", "22", "1"}, Kind::Solid},
        {"TRACE", {"10", "0", "20", "0", "11", "1", "21", "0", "12", "0", "22", "1"}, Kind::Solid},
        {"3DFACE", {"10", "0", "20", "0", "11", "1", "21", "0", "12", "0", "22", "1"}, Kind::Solid},
        {"ELLIPSE", {"10", "0", "20", "0", "11", "2", "21", "0", "40", "0.5"}, Kind::Other},
        {"SPLINE", {"71", "1", "11", "0", "21", "0", "11", "1", "21", "1"}, Kind::Other},
        {"WIPEOUT", {"10", "0", "20", "0"}, Kind::Other},
    };
    for (const Row& row : rows) {
        std::vector<std::string> lines{"0", row.type, "5", "2A", "8", "0"};
        lines.insert(lines.end(), row.groups.begin(), row.groups.end());
        std::string bytes = Drawing2000(lines);
        auto d = Read(bytes);
        ASSERT_TRUE(d) << row.type;
        ASSERT_EQ(d->entities().size(), 1u) << row.type;
        const EntityBase& e = *d->entities()[0];
        EXPECT_EQ(e.EntityName(), row.type);
        EXPECT_EQ(e.kind, row.kind) << row.type;
        EXPECT_EQ(e.Handle(), "2A") << row.type;
        // Types the host draws give extents; the one it only keeps gives none.
        EXPECT_EQ(d->Extents(e).has_value(), std::string(row.type) != "WIPEOUT") << row.type;
        EXPECT_EQ(d->Serialize(), bytes) << row.type;
    }
}

TEST(EntityTable, TypeNamesLookUpTheirOwnEntries) {
    for (const EntityType* t : EntityTypes()) {
        ASSERT_NE(t->name, nullptr);
        EXPECT_EQ(&TypeNamed(t->name), t) << t->name;
        EXPECT_NE(t->read, nullptr) << t->name;
    }
    EXPECT_EQ(TypeNamed("WIPEOUT").name, nullptr);  // the fallback keeps the record's name
    EXPECT_STREQ(TypeOfKind(Kind::Circle).name, "CIRCLE");
}

std::vector<std::string> Ellipse(const char* normal_z, const char* start, const char* end) {
    return {"0",           "ELLIPSE", "5",   "30", "8",   "0",  "100", "AcDbEntity", "100",
            "AcDbEllipse", "10",      "10",  "20", "5",   "30", "0",   "11",         "4",
            "21",          "0",       "31",  "0",  "210", "0",  "220", "0",          "230",
            normal_z,      "40",      "0.5", "41", start, "42", end};
}

TEST(EllipseEntity, FullEllipseHasItsBoxAndIsPaintedAsACurve) {
    auto d = Read(Drawing2000(Ellipse("1", "0", "6.283185307179586")));
    ASSERT_TRUE(d);
    auto box = d->Extents(*d->entities()[0]);
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->min_x, 6, 1e-3);
    EXPECT_NEAR(box->max_x, 14, 1e-3);
    EXPECT_NEAR(box->min_y, 3, 1e-3);
    EXPECT_NEAR(box->max_y, 7, 1e-3);

    RecordingBackend out;
    Paint(*d, Box{0, 0, 20, 10}, 200, 100, out);
    ASSERT_EQ(out.items.size(), 1u);
    ASSERT_EQ(out.items[0].kind, RecordingBackend::Item::Kind::Polyline);
    // Every painted point lies on the ellipse, back in drawing coordinates.
    Affine device = DeviceTransform(Box{0, 0, 20, 10}, 200, 100);
    for (Point2 p : out.items[0].points) {
        double x = (p.x - device.c) / device.a, y = (p.y - device.f) / device.e;
        double u = (x - 10) / 4, v = (y - 5) / 2;
        EXPECT_NEAR(u * u + v * v, 1, 1e-6);
    }
}

TEST(EllipseEntity, ArcRunsTheOtherWaySeenFromBelow) {
    struct Row {
        const char* name;
        const char* normal_z;
        double min_y, max_y;  // the half of the ellipse the arc covers
    };
    const Row rows[] = {{"normal up: upper half", "1", 5, 7},
                        {"normal down: lower half", "-1", 3, 5}};
    for (const Row& row : rows) {
        auto d = Read(Drawing2000(Ellipse(row.normal_z, "0", "3.141592653589793")));
        ASSERT_TRUE(d);
        CountingSink sink;
        d->Primitives(*d->entities()[0], Affine{}, sink);
        EXPECT_GT(sink.segments, 10) << row.name;
        EXPECT_NEAR(sink.box.min_y, row.min_y, 1e-6) << row.name;
        EXPECT_NEAR(sink.box.max_y, row.max_y, 1e-6) << row.name;
        EXPECT_NEAR(sink.box.min_x, 6, 1e-6) << row.name;
        EXPECT_NEAR(sink.box.max_x, 14, 1e-6) << row.name;
    }
}

TEST(EllipseEntity, KeepsItsBytesMovesLayerAndIsCopiedIntoBlocks) {
    std::string bytes = Drawing2000(Ellipse("1", "0", "1.5"));
    auto d = Read(bytes);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Serialize(), bytes);

    d->AddLayer("椭圆");
    ASSERT_EQ(d->entities()[0]->SetLayer("椭圆"), kOk);
    auto moved = Read(d->Serialize());
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->entities()[0]->Layer(), "椭圆");
    EXPECT_EQ(moved->entities()[0]->EntityName(), "ELLIPSE");

    // Copied into a block of a new drawing, it is written from the model.
    auto target = Drawing::New();
    int block = target->ImportBlock(*d, "椭圆块");
    ASSERT_GE(block, 0);
    ASSERT_EQ(target->blocks()[block]->entities.size(), 1u);
    auto again = Read(target->Serialize());
    ASSERT_TRUE(again);
    int index = again->BlockIndex("椭圆块");
    ASSERT_GE(index, 0);
    const Block& b = *again->blocks()[index];
    bool found = false;
    for (const auto& e : b.entities) {
        if (e->EntityName() != "ELLIPSE") continue;
        found = true;
        auto box = again->Extents(*e);
        ASSERT_TRUE(box);
        EXPECT_NEAR(box->max_x, 14, 1e-6);  // the arc from 0 to 1.5 rad starts at (14, 5)
    }
    EXPECT_TRUE(found);
}

// Drawing coordinates of what was painted on a device of 1000 x 1000 for `window`.
std::vector<Point2> Undevice(const Box& window, std::vector<Point2> points) {
    MapPoints(DeviceTransform(window, 1000, 1000).Inverse(), points);
    return points;
}

// A HATCH over the square 0..10 with a round island of radius 2 about (5, 5); `fill` is
// the groups from the hatch style on.
std::vector<std::string> Hatch(bool solid, const std::vector<std::string>& fill) {
    std::vector<std::string> lines{
        "0",         "HATCH", "5", "40", "8", "0",  "100", "AcDbEntity", "100",
        "AcDbHatch", "10",    "0", "20", "0", "30", "0",   "2",          solid ? "SOLID" : "USER"};
    lines.insert(lines.end(), {"70", solid ? "1" : "0"});
    // The square as a polyline path, the island as an edge path of one full circle.
    const char* boundary[] = {"71", "0",  "91", "2",  "92", "3",   "72", "0",  "73", "1",
                              "93", "4",  "10", "0",  "20", "0",   "10", "10", "20", "0",
                              "10", "10", "20", "10", "10", "0",   "20", "10", "97", "0",
                              "92", "16", "93", "1",  "72", "2",   "10", "5",  "20", "5",
                              "40", "2",  "50", "0",  "51", "360", "73", "1",  "97", "0"};
    lines.insert(lines.end(), std::begin(boundary), std::end(boundary));
    lines.insert(lines.end(), fill.begin(), fill.end());
    return lines;
}

TEST(HatchEntity, FillsInsideTheBoundaryAndOutsideItsIslandsAndKeepsItsBytes) {
    const double spacing = std::sqrt(2.0);  // lines at 45 degrees, offset (-1, 1)
    const std::vector<std::string> pattern{"75", "0", "76", "1",  "52", "0",  "41", "1",
                                           "77", "0", "78", "1",  "53", "45", "43", "0",
                                           "44", "0", "45", "-1", "46", "1",  "79"};
    auto with = [&](std::vector<std::string> dashes) {
        std::vector<std::string> groups = pattern;
        groups.push_back(std::to_string(dashes.size() / 2));
        groups.insert(groups.end(), dashes.begin(), dashes.end());
        groups.insert(groups.end(), {"98", "0"});
        return groups;
    };
    const double area = 100 - M_PI * 4;
    struct Row {
        const char* name;
        std::vector<std::string> fill;
        double length;  // of all pattern lines together
    };
    const Row rows[] = {
        {"continuous lines", with({}), area / spacing},
        {"dashes half of each line", with({"49", "0.5", "49", "-0.5"}), area / spacing / 2},
    };
    const Box window{0, 0, 10, 10};
    for (const Row& row : rows) {
        std::string bytes = Drawing2000(Hatch(false, row.fill));
        auto d = Read(bytes);
        ASSERT_TRUE(d) << row.name;
        EXPECT_EQ(d->Serialize(), bytes) << row.name;
        RecordingBackend out;
        Paint(*d, window, 1000, 1000, out);
        ASSERT_EQ(out.items.size(), 1u) << row.name;
        ASSERT_EQ(out.items[0].kind, RecordingBackend::Item::Kind::Lines) << row.name;
        std::vector<Point2> ends = Undevice(window, out.items[0].points);
        double length = 0;
        for (size_t k = 0; k + 1 < ends.size(); k += 2) {
            Point2 a = ends[k], b = ends[k + 1], mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
            length += std::hypot(b.x - a.x, b.y - a.y);
            EXPECT_TRUE(mid.x > 0 && mid.x < 10 && mid.y > 0 && mid.y < 10) << row.name;
            EXPECT_GT(std::hypot(mid.x - 5, mid.y - 5), 2) << row.name;
            // On a line of the family: its distance across from the base a whole spacing.
            double across = (a.y - a.x) / std::sqrt(2.0) / spacing;
            EXPECT_NEAR(across, std::round(across), 1e-6) << row.name;
        }
        EXPECT_NEAR(length, row.length, row.length * 0.03) << row.name;
    }

    auto d = Read(Drawing2000(Hatch(true, {"75", "0", "76", "1", "98", "0"})));
    ASSERT_TRUE(d);
    RecordingBackend out;
    Paint(*d, window, 1000, 1000, out);
    ASSERT_EQ(out.items.size(), 1u);
    ASSERT_EQ(out.items[0].kind, RecordingBackend::Item::Kind::Area);
    EXPECT_EQ(out.items[0].size, 2);  // the square and its island, filled even-odd
    auto box = d->Extents(*d->entities()[0]);
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->max_x, 10, 1e-9);
}

// An elliptic edge gives the angles of its ends as seen from the centre, and a clockwise
// arc edge 360 less its angles.
TEST(HatchEntity, EdgeAnglesAreReadAsTheFileMeansThem) {
    struct Row {
        const char* name;
        std::vector<std::string> edge;
        double min_x, max_x, min_y, max_y;
    };
    // Ends of the elliptic arc (axes 4 and 2) on the rays at 30 and 150 degrees.
    double t = std::atan2(std::sin(M_PI / 6) / 0.5, std::cos(M_PI / 6));
    const Row rows[] = {
        {"elliptic",
         {"72", "3", "10", "0", "20", "0", "11", "4", "21", "0", "40", "0.5", "50", "30", "51",
          "150", "73", "1"},
         -4 * std::cos(t),
         4 * std::cos(t),
         2 * std::sin(t),
         2},
        {"clockwise arc over the left from 90 to 200 degrees",
         {"72", "2", "10", "0", "20", "0", "40", "1", "50", "160", "51", "270", "73", "0"},
         -1,
         0,
         std::sin(200 * M_PI / 180),
         1},
    };
    for (const Row& row : rows) {
        std::vector<std::string> lines{"0",  "HATCH", "5",  "41", "8",  "0", "2",  "SOLID",
                                       "70", "1",     "91", "1",  "92", "1", "93", "1"};
        lines.insert(lines.end(), row.edge.begin(), row.edge.end());
        lines.insert(lines.end(), {"97", "0", "75", "0", "76", "1", "98", "0"});
        auto d = Read(Drawing2000(lines));
        ASSERT_TRUE(d) << row.name;
        auto box = d->Extents(*d->entities()[0]);
        ASSERT_TRUE(box) << row.name;
        EXPECT_NEAR(box->min_x, row.min_x, 1e-3) << row.name;
        EXPECT_NEAR(box->max_x, row.max_x, 1e-3) << row.name;
        EXPECT_NEAR(box->min_y, row.min_y, 1e-3) << row.name;
        EXPECT_NEAR(box->max_y, row.max_y, 1e-3) << row.name;
    }
}

TEST(FaceEntity, IsDrawnAsItsVisibleEdges) {
    struct Row {
        const char* flags;
        std::vector<std::vector<int>> runs;  // corners each painted line goes through
    };
    const Row rows[] = {
        {"0", {{0, 1, 2, 3, 0}}},  // painted closed: four corners
        {"1", {{1, 2, 3, 0}}},    {"5", {{1, 2}, {3, 0}}}, {"10", {{2, 3}, {0, 1}}}, {"15", {}},
    };
    const Point2 corners[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const Box window{0, 0, 10, 10};
    for (const Row& row : rows) {
        auto d = Read(Drawing2000({"0",  "3DFACE", "8",  "0",  "10", "0",      "20", "0",
                                   "11", "10",     "21", "0",  "12", "10",     "22", "10",
                                   "13", "0",      "23", "10", "70", row.flags}));
        ASSERT_TRUE(d) << row.flags;
        RecordingBackend out;
        Paint(*d, window, 1000, 1000, out);
        ASSERT_EQ(out.items.size(), row.runs.size()) << row.flags;
        for (size_t k = 0; k < row.runs.size(); ++k) {
            std::vector<int> run = row.runs[k];
            if (out.items[k].text == "closed") run.pop_back();
            std::vector<Point2> got = Undevice(window, out.items[k].points);
            ASSERT_EQ(got.size(), run.size()) << row.flags;
            for (size_t i = 0; i < run.size(); ++i) {
                EXPECT_NEAR(got[i].x, corners[run[i]].x, 1e-9) << row.flags;
                EXPECT_NEAR(got[i].y, corners[run[i]].y, 1e-9) << row.flags;
            }
        }
    }
    // A triangle that leaves out its fourth corner closes at its third, not at (0, 0).
    auto d = Read(Drawing2000({"0", "3DFACE", "8", "0", "10", "2", "20", "2", "11", "10", "21", "2",
                               "12", "10", "22", "10"}));
    ASSERT_TRUE(d);
    auto box = d->Extents(*d->entities()[0]);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->min_x, 2);
    EXPECT_EQ(box->min_y, 2);
}

TEST(InsertEntity, HiddenAttributesAreNotDrawnAlignedAndMirroredOnesStandWhereTheySay) {
    std::vector<std::string> lines{"0",  "INSERT", "8",  "0", "2",  "B",
                                   "10", "0",      "20", "0", "66", "1"};
    auto attrib = [&](std::vector<std::string> groups) {
        lines.insert(lines.end(), {"0", "ATTRIB", "8", "0", "40", "2"});
        lines.insert(lines.end(), groups.begin(), groups.end());
    };
    attrib({"10", "1", "20", "1", "1", "A", "2", "A", "70", "0"});
    attrib({"10", "100", "20", "100", "1", "H", "2", "H", "70", "1"});
    attrib({"10", "0", "20", "0", "11", "20", "21", "5", "72", "1", "1", "CC", "2", "C"});
    attrib({"10", "-30", "20", "5", "230", "-1", "1", "M", "2", "M"});
    lines.insert(lines.end(), {"0", "SEQEND", "8", "0"});
    auto d = Read(Drawing2000(lines, {"0", "BLOCK", "8", "0", "2", "B", "70", "2", "10", "0", "20",
                                      "0", "0", "ENDBLK", "8", "0"}));
    ASSERT_TRUE(d);
    auto box = d->Extents(*d->entities()[0]);
    ASSERT_TRUE(box);
    EXPECT_LT(box->max_x, 100);  // the hidden attribute takes no room

    const Box window{-40, -40, 40, 40};
    RecordingBackend out;
    Paint(*d, window, 1000, 1000, out);
    std::map<std::string, RecordingBackend::Item> texts;
    for (const auto& item : out.items) texts[item.text] = item;
    EXPECT_THAT(texts, ::testing::ElementsAre(::testing::Key("A"), ::testing::Key("CC"),
                                              ::testing::Key("M")));
    // Two letters 2 high are 2.8 wide: centred on (20, 5).
    Point2 centred = Undevice(window, texts["CC"].points)[0];
    EXPECT_NEAR(centred.x, 18.6, 1e-9);
    EXPECT_NEAR(centred.y, 5, 1e-9);
    // Seen from below: it starts at drawing (30, 5) and reads backwards, leftwards.
    Point2 mirrored = Undevice(window, texts["M"].points)[0];
    EXPECT_NEAR(mirrored.x, 30, 1e-9);
    EXPECT_TRUE(texts["M"].mirrored);
    EXPECT_NEAR(std::fabs(texts["M"].rotation), M_PI, 1e-9);
    EXPECT_FALSE(texts["CC"].mirrored);
}

TEST(DimensionEntity, WithoutItsBlockDrawsItsLinesAndMeasurement) {
    struct Row {
        const char* name;
        std::vector<std::string> groups;
        size_t lines;
        const char* text;  // "" none
    };
    const Row rows[] = {
        {"aligned",
         {"70", "1", "13", "0", "23", "0", "14", "10", "24", "0", "10", "10", "20", "5"},
         3,
         "10"},
        {"rotated to measure upwards",
         {"70", "0", "50", "90", "13", "0", "23", "0", "14", "3", "24", "4", "10", "8", "20", "0"},
         3,
         "4"},
        {"measurement given, text around it",
         {"70", "1", "42", "12.345", "1", "<> m", "13", "0", "23", "0", "14", "10", "24", "0"},
         3,
         "12.35 m"},
        {"radius", {"70", "4", "10", "0", "20", "0", "15", "3", "25", "4"}, 1, "R5"},
        {"diameter", {"70", "3", "10", "0", "20", "0", "15", "6", "25", "8"}, 1, "⌀10"},
        {"angle between two lines",
         {"70", "2", "13", "0", "23", "0", "14", "10", "24", "0", "10", "0", "20", "0", "15", "0",
          "25", "10"},
         2,
         "90°"},
        {"text suppressed",
         {"70", "4", "1", " ", "10", "0", "20", "0", "15", "3", "25", "4"},
         1,
         ""},
    };
    for (const Row& row : rows) {
        std::vector<std::string> lines{"0",   "DIMENSION", "8", "0",  "2",
                                       "*D7", "11",        "5", "21", "9"};
        lines.insert(lines.end(), row.groups.begin(), row.groups.end());
        auto d = Read(Drawing2000(lines));
        ASSERT_TRUE(d) << row.name;
        RecordingBackend out;
        Paint(*d, Box{-20, -20, 20, 20}, 1000, 1000, out);
        size_t polylines = 0;
        std::string text;
        for (const auto& item : out.items) {
            if (item.kind == RecordingBackend::Item::Kind::Polyline) ++polylines;
            if (item.kind == RecordingBackend::Item::Kind::Text) text += item.text;
        }
        EXPECT_EQ(polylines, row.lines) << row.name;
        EXPECT_EQ(text, row.text) << row.name;
        EXPECT_TRUE(d->Extents(*d->entities()[0])) << row.name;
    }
}

// Blocks that nest: "B0" holds a circle, "Bk" inserts "Bk-1" `fan` times side by side.
std::vector<std::string> NestedBlocks(int levels, int fan) {
    std::vector<std::string> lines;
    for (int k = 0; k < levels; ++k) {
        std::string name = "B" + std::to_string(k);
        for (const char* l : {"0", "BLOCK", "8", "0", "2"}) lines.push_back(l);
        lines.push_back(name);
        for (const char* l : {"70", "0", "10", "0", "20", "0"}) lines.push_back(l);
        if (k == 0) {
            for (const char* l : {"0", "CIRCLE", "8", "0", "10", "0", "20", "0", "40", "1"})
                lines.push_back(l);
        }
        for (int i = 0; k > 0 && i < fan; ++i) {
            for (const char* l : {"0", "INSERT", "8", "0", "2"}) lines.push_back(l);
            lines.push_back("B" + std::to_string(k - 1));
            lines.push_back("10");
            lines.push_back(std::to_string(i * 3));
            lines.push_back("20");
            lines.push_back("0");
        }
        for (const char* l : {"0", "ENDBLK", "8", "0"}) lines.push_back(l);
    }
    return lines;
}

TEST(BlockWalk, DeepNestingIsBoundedAndExtentsComeFromEachBlockOnce) {
    auto d = Read(Drawing2000({"0", "INSERT", "8", "0", "2", "B9", "10", "0", "20", "0"},
                              NestedBlocks(10, 10)));
    ASSERT_TRUE(d);
    const EntityBase& top = *d->entities()[0];
    auto box = d->Extents(top);
    ASSERT_TRUE(box);
    // Each level spreads its ten references over 27 units more.
    EXPECT_NEAR(box->max_x, 27 * 9 + 1, 1e-9);
    EXPECT_NEAR(box->min_x, -1, 1e-9);

    CountingSink sink;
    d->Primitives(top, Affine{}, sink);
    EXPECT_GT(sink.circles, 0);
    EXPECT_LE(sink.circles, kMaxWalkLeaves);

    CountingBackend out;
    Paint(*d, *box, 100, 100, out);
    EXPECT_GT(out.circles, 0);
    EXPECT_LE(out.circles, kMaxWalkLeaves);
}

TEST(BlockWalk, ABlockThatInsertsItselfIsNotOpenedAgain) {
    struct Row {
        const char* name;
        std::vector<std::string> blocks;
        std::vector<std::string> reported;
    };
    auto block = [](const char* name, const char* inserts) {
        return std::vector<std::string>{"0",  "BLOCK",  "8",  "0",      "2",  name,    "70", "0",
                                        "10", "0",      "20", "0",      "0",  "LINE",  "8",  "0",
                                        "10", "0",      "20", "0",      "11", "1",     "21", "1",
                                        "0",  "INSERT", "8",  "0",      "2",  inserts, "10", "5",
                                        "20", "0",      "0",  "ENDBLK", "8",  "0"};
    };
    std::vector<std::string> pair = block("A", "B");
    for (const std::string& l : block("B", "A")) pair.push_back(l);
    std::vector<std::string> chain = block("C", "A");  // refers to the pair, is not on it
    chain.insert(chain.end(), pair.begin(), pair.end());
    const Row rows[] = {{"directly", block("A", "A"), {"A"}},
                        {"through another", pair, {"A", "B"}},
                        {"through another, with one outside", chain, {"A", "B"}}};
    for (const Row& row : rows) {
        auto d = Read(
            Drawing2000({"0", "INSERT", "8", "0", "2", "A", "10", "0", "20", "0"}, row.blocks));
        ASSERT_TRUE(d) << row.name;
        auto box = d->Extents(*d->entities()[0]);
        ASSERT_TRUE(box) << row.name;
        EXPECT_TRUE(std::isfinite(box->max_x)) << row.name;
        CountingSink sink;
        d->Primitives(*d->entities()[0], Affine{}, sink);
        EXPECT_GE(sink.segments, 1) << row.name;
        EXPECT_LE(sink.segments, 1 + kMaxBlockDepth) << row.name;
        RecordingBackend out;
        Paint(*d, *box, 100, 100, out);
        EXPECT_GE(out.items.size(), 1u) << row.name;
        EXPECT_LE(out.items.size(), static_cast<size_t>(1 + kMaxBlockDepth)) << row.name;
        // The user is told which blocks they are.
        EXPECT_EQ(SelfReferringBlocks(*d), row.reported) << row.name;
        auto warnings = DrawingWarnings(*d, "foreign.dxf");
        ASSERT_EQ(warnings.size(), 1u) << row.name;
        EXPECT_NE(warnings[0].find("“A”"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("foreign.dxf"), std::string::npos) << warnings[0];
    }
    // Blocks nested ten deep refer to nothing above them: nothing to tell.
    auto nested = Read(Drawing2000({}, NestedBlocks(10, 2)));
    ASSERT_TRUE(nested);
    EXPECT_TRUE(SelfReferringBlocks(*nested).empty());
    EXPECT_TRUE(DrawingWarnings(*nested, "n.dxf").empty());
}

}  // namespace
}  // namespace velorin::cad::embedded
