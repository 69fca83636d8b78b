// Drawings from anywhere: damaged and foreign DXF files open and save without losing or
// corrupting anything, or are refused with a message naming the file, the line and the
// cause.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "cad/embedded/drawing.h"
#include "cad/embedded/dxf_tags.h"
#include "support/testing.h"

namespace velorin::cad::embedded {
namespace {

using ::testing::HasSubstr;
using velorin::testing::TempDir;

std::string Dxf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

std::string WithEntities(const std::vector<std::string>& entities, const char* version = "AC1015") {
    std::vector<std::string> lines{"0", "SECTION", "2", "HEADER",  "9", "$ACADVER", "1", version,
                                   "0", "ENDSEC",  "0", "SECTION", "2", "ENTITIES"};
    lines.insert(lines.end(), entities.begin(), entities.end());
    for (const char* l : {"0", "ENDSEC", "0", "EOF"}) lines.push_back(l);
    return Dxf(lines);
}

std::unique_ptr<Drawing> Read(const std::string& bytes, Status* status = nullptr) {
    Status own;
    auto d = Drawing::Parse(bytes, "foreign.dxf", status ? status : &own);
    return d;
}

TEST(DamagedDrawing, ModelSpaceBlockReferringToMissingBlocksOpens) {
    struct Row {
        const char* name;
        const char* type;
    };
    for (const Row& row : {Row{"insert", "INSERT"}, Row{"dimension", "DIMENSION"}}) {
        std::string bytes =
            Dxf({"0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "2", "*Model_Space", "0", row.type,
                 "2", "X", "0", "ENDBLK", "0", "ENDSEC", "0", "EOF"});
        auto d = Read(bytes);
        ASSERT_TRUE(d) << row.name;
        // The block is written back as it was read.
        EXPECT_THAT(d->Serialize(), HasSubstr(bytes.substr(0, bytes.find("0\nEOF")))) << row.name;
        EXPECT_FALSE(d->Extents().has_value()) << row.name;
    }
}

TEST(DamagedDrawing, CountsAreHintsNotSizes) {
    for (const char* count : {"999999999999", "-1", "abc"}) {
        auto d = Read(WithEntities({"0", "LWPOLYLINE", "8", "0", "90", count, "10", "1", "20", "2",
                                    "10", "3", "20", "4"}));
        ASSERT_TRUE(d) << count;
        const auto& p = static_cast<const PolylineEntity&>(*d->entities()[0]);
        ASSERT_EQ(p.vertices.size(), 2u) << count;
        EXPECT_EQ(p.vertices[1].x, 3) << count;
    }
}

TEST(DamagedDrawing, CommentBeforeTheFirstSectionIsKept) {
    std::string bytes =
        "999\ndxflib 3.26.4.0\n" + WithEntities({"0", "POINT", "8", "0", "10", "1", "20", "2"});
    auto d = Read(bytes);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->entities().size(), 1u);
    EXPECT_THAT(d->Serialize(), ::testing::StartsWith("999\ndxflib 3.26.4.0\n0\nSECTION\n"));
}

TEST(DamagedDrawing, ASecondSectionOfTheSameNameIsRefusedNamingItsLine) {
    std::string bytes = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "POINT",    "8", "0",
                             "0", "ENDSEC",  "0", "SECTION",  "2", "ENTITIES", "0", "POINT",
                             "8", "0",       "0", "ENDSEC",   "0", "EOF"});
    Status status;
    EXPECT_EQ(Read(bytes, &status), nullptr);
    EXPECT_THAT(status.message(), HasSubstr("foreign.dxf"));
    EXPECT_THAT(status.message(), HasSubstr("第 11 行"));
    EXPECT_THAT(status.message(), HasSubstr("ENTITIES"));
}

TEST(DamagedDrawing, MissingLayerGetsARecordWithAHandle) {
    auto d = Read(Dxf(
        {"0", "SECTION", "2",  "HEADER",   "9",  "$ACADVER", "1", "AC1015", "9", "$HANDSEED",
         "5", "40",      "0",  "ENDSEC",   "0",  "SECTION",  "2", "TABLES", "0", "TABLE",
         "2", "LAYER",   "5",  "2",        "70", "1",        "0", "LAYER",  "5", "10",
         "2", "0",       "70", "0",        "62", "7",        "0", "ENDTAB", "0", "ENDSEC",
         "0", "SECTION", "2",  "ENTITIES", "0",  "POINT",    "5", "20",     "8", "Missing_Layer",
         "0", "ENDSEC",  "0",  "EOF"}));
    ASSERT_TRUE(d);
    Layer* layer = d->FindLayer("Missing_Layer");
    ASSERT_NE(layer, nullptr);
    EXPECT_GE(layer->handle, 0x40u);  // above the seed, unlike any other record
    std::string saved = d->Serialize();
    EXPECT_THAT(saved, HasSubstr("LAYER\n  5\n" + dxf::HandleText(layer->handle) + "\n"));
}

TEST(DamagedDrawing, MTextEmbeddedObjectDoesNotOverwriteTheText) {
    auto d =
        Read(WithEntities({"0",   "MTEXT", "8",    "0",  "10", "5",  "20", "6",   "40",
                           "2.5", "1",     "桩号", "11", "1",  "21", "0",  "101", "Embedded Object",
                           "70",  "1",     "10",   "0",  "20", "1",  "11", "900", "21",
                           "900", "40",    "1000", "41", "0"},
                          "AC1032"));
    ASSERT_TRUE(d);
    const auto& t = static_cast<const TextEntity&>(*d->entities()[0]);
    EXPECT_EQ(t.position.x, 5);
    EXPECT_EQ(t.position.y, 6);
    EXPECT_EQ(t.height, 2.5);
    EXPECT_EQ(t.rotation, 0);
    EXPECT_EQ(t.TextString(), "桩号");
}

TEST(DamagedDrawing, NumbersBeyondRangeGiveFiniteOrNoGeometry) {
    struct Row {
        const char* name;
        std::vector<std::string> entity;
    };
    const Row rows[] = {
        {"arc end angle 1e18",
         {"0", "ARC", "8", "0", "10", "0", "20", "0", "40", "1", "50", "0", "51", "1e18"}},
        {"arc radius 1e308",
         {"0", "ARC", "8", "0", "10", "0", "20", "0", "40", "1e308", "50", "0", "51", "1e300"}},
        {"bulge 1e300",
         {"0", "LWPOLYLINE", "8", "0", "10", "0", "20", "0", "42", "1e300", "10", "1", "20", "0"}},
    };
    for (const Row& row : rows) {
        auto d = Read(WithEntities(row.entity));
        ASSERT_TRUE(d) << row.name;
        if (auto box = d->Extents(*d->entities()[0])) {
            EXPECT_FALSE(std::isnan(box->min_x)) << row.name;
            EXPECT_FALSE(std::isnan(box->max_y)) << row.name;
        }
    }
}

// A number group the host reads whose value is not a number refuses the drawing, naming
// the line and the group, rather than becoming 0; in a group the host does not read it is
// kept as the file wrote it.
TEST(DamagedDrawing, ANumberThatIsNoNumberIsRefusedWhereTheHostReadsIt) {
    struct Row {
        const char* name;
        std::vector<std::string> entity;  // from line 15 on
        const char* refusal;              // nullptr: opens, and the record is saved as read
    };
    const Row rows[] = {
        {"coordinate",
         {"0", "LINE", "8", "0", "10", "abc", "20", "0"},
         "第 20 行：组码 10 的值“abc”不是数"},
        {"radius left empty",
         {"0", "CIRCLE", "8", "0", "10", "0", "20", "0", "40", ""},
         "第 24 行：组码 40 的值“”不是数"},
        {"angle with a decimal comma",
         {"0", "ARC", "8", "0", "40", "1", "50", "0", "51", "1,5"},
         "第 24 行：组码 51 的值“1,5”不是数"},
        {"parameter infinite",
         {"0", "ELLIPSE", "8", "0", "11", "1", "40", "0.5", "42", "inf"},
         "第 24 行：组码 42 的值“inf”不是数"},
        {"colour in GBK",
         {"0", "POINT", "8", "0", "62", "\xBA\xEC"},
         "第 20 行：组码 62 的值“红”不是数"},
        {"polyline vertex",
         {"0", "LWPOLYLINE", "8", "0", "10", "1", "20", "2..5"},
         "第 22 行：组码 20 的值“2..5”不是数"},
        {"text height",
         {"0", "TEXT", "8", "0", "40", "2.5m", "1", "K1"},
         "第 20 行：组码 40 的值“2.5m”不是数"},
        {"blanks around a number", {"0", "LINE", "8", "0", "10", "  1.5e3 ", "20", "+2"}, nullptr},
        {"thickness, which the host does not read", {"0", "LINE", "8", "0", "39", ""}, nullptr},
        {"record the host keeps as read", {"0", "HATCH", "8", "0", "41", "abc"}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string bytes = WithEntities(row.entity);
        Status status;
        auto d = Read(bytes, &status);
        if (row.refusal) {
            EXPECT_FALSE(d);
            EXPECT_EQ(status.message(),
                      std::string("图形文件“foreign.dxf”无法读取：") + row.refusal);
        } else {
            ASSERT_TRUE(d) << status.message();
            EXPECT_THAT(d->Serialize(), HasSubstr(Dxf(row.entity)));
        }
    }
    auto d = Read(WithEntities({"0", "LINE", "8", "0", "10", "  1.5e3 ", "20", "+2"}));
    ASSERT_TRUE(d);
    const auto& line = static_cast<const LineEntity&>(*d->entities()[0]);
    EXPECT_EQ(line.a.x, 1500);
    EXPECT_EQ(line.a.y, 2);
}

TEST(DamagedDrawing, MirroredEntitiesLieWhereTheirExtrusionPutsThem) {
    struct Row {
        const char* name;
        std::vector<std::string> entity;
        double min_x, max_x;
    };
    const Row rows[] = {
        {"circle",
         {"0", "CIRCLE", "8", "0", "10", "10", "20", "0", "40", "1", "230", "-1"},
         -11,
         -9},
        {"line keeps world coordinates",
         {"0", "LINE", "8", "0", "10", "10", "20", "0", "11", "12", "21", "0", "230", "-1"},
         10,
         12},
        {"polyline",
         {"0", "LWPOLYLINE", "8", "0", "10", "2", "20", "0", "10", "4", "20", "0", "230", "-1"},
         -4,
         -2},
    };
    for (const Row& row : rows) {
        auto d = Read(WithEntities(row.entity));
        ASSERT_TRUE(d) << row.name;
        auto box = d->Extents(*d->entities()[0]);
        ASSERT_TRUE(box) << row.name;
        EXPECT_NEAR(box->min_x, row.min_x, 1e-9) << row.name;
        EXPECT_NEAR(box->max_x, row.max_x, 1e-9) << row.name;
        EXPECT_FALSE(d->Candidates(Box{row.min_x, -0.5, row.max_x, 0.5}).empty()) << row.name;
    }
}

TEST(DamagedDrawing, MirroredBlockReferenceDrawsItsBlockMirrored) {
    std::string bytes =
        Dxf({"0",  "SECTION",  "2",   "BLOCKS", "0", "BLOCK",  "2",  "P",      "10", "0",
             "20", "0",        "0",   "LINE",   "8", "0",      "10", "0",      "20", "0",
             "11", "5",        "21",  "0",      "0", "ENDBLK", "0",  "ENDSEC", "0",  "SECTION",
             "2",  "ENTITIES", "0",   "INSERT", "8", "0",      "2",  "P",      "10", "100",
             "20", "0",        "230", "-1",     "0", "ENDSEC", "0",  "EOF"});
    auto d = Read(bytes);
    ASSERT_TRUE(d);
    auto box = d->Extents(*d->entities()[0]);
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->min_x, -105, 1e-9);
    EXPECT_NEAR(box->max_x, -100, 1e-9);
    struct Sink : PrimitiveSink {
        Box box;
        void Segment(Point2 a, Point2 b) override { box.Add(a), box.Add(b); }
        void Circle(Point2, double) override {}
    } sink;
    d->Primitives(*d->entities()[0], Affine{}, sink);
    EXPECT_NEAR(sink.box.min_x, -105, 1e-9);
    EXPECT_NEAR(sink.box.max_x, -100, 1e-9);
}

TEST(DamagedDrawing, SaveRefusesNonFiniteNumbersAndKeepsTheOldFile) {
    TempDir dir;
    std::string path = dir.File("图.dxf");
    auto d = Drawing::New();
    d->AddLine({0, 0, 0}, {1, 1, 0});
    ASSERT_TRUE(d->Save(path).ok());
    std::string before = velorin::testing::ReadBytes(path);
    for (double bad : {std::numeric_limits<double>::infinity(), std::nan("")}) {
        auto* line = d->AddLine({0, 0, 0}, {bad, 1, 0});
        Status status = d->Save(path);
        EXPECT_FALSE(status.ok());
        EXPECT_THAT(status.message(), HasSubstr(path));
        EXPECT_THAT(status.message(), HasSubstr(line->Handle()));
        EXPECT_EQ(velorin::testing::ReadBytes(path), before);
        line->Erase();
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& f : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
    EXPECT_TRUE(d->Save(path).ok());
}

TEST(DamagedDrawing, DrawingWithoutCodePageDeclaresItOnlyOnceChineseIsWritten) {
    std::string bytes =
        Dxf({"0", "SECTION", "2",  "HEADER",   "9", "$ACADVER", "1", "AC1009", "0", "ENDSEC",
             "0", "SECTION", "2",  "TABLES",   "0", "TABLE",    "2", "LAYER",  "0", "LAYER",
             "2", "0",       "62", "7",        "0", "ENDTAB",   "0", "TABLE",  "2", "STYLE",
             "0", "STYLE",   "2",  "STANDARD", "3", "txt",      "0", "ENDTAB", "0", "ENDSEC",
             "0", "SECTION", "2",  "ENTITIES", "0", "POINT",    "8", "0",      "0", "ENDSEC",
             "0", "EOF"});
    struct Row {
        const char* name;
        std::string layer;  // added by the host; empty: none
        bool declared;
    };
    const Row rows[] = {{"unchanged", "", false},
                        {"plain layer name", "K1", false},
                        {"Chinese layer name", "控_点位", true}};
    for (const Row& row : rows) {
        auto d = Read(bytes);
        ASSERT_TRUE(d) << row.name;
        if (!row.layer.empty()) d->AddLayer(row.layer);
        std::string saved = d->Serialize();
        EXPECT_EQ(saved.find("$DWGCODEPAGE\n  3\nANSI_936\n") != std::string::npos, row.declared)
            << row.name;
        if (row.layer.empty()) {
            EXPECT_EQ(saved, bytes);
        }
    }
}

TEST(DamagedDrawing, RegressionInputsFoundByFuzzingOpenOrAreRefused) {
    std::string folder = velorin::testing::SourceDir() + "tests/data/fuzz-regressions/dxf";
    size_t replayed = 0;
    for (const auto& f : std::filesystem::directory_iterator(folder)) {
        Status status;
        auto d =
            Drawing::Parse(velorin::testing::ReadBytes(f.path().string()), "fuzz.dxf", &status);
        if (d) {
            d->Serialize();
            d->Extents();
        } else {
            EXPECT_THAT(status.message(), HasSubstr("fuzz.dxf")) << f.path();
        }
        ++replayed;
    }
    EXPECT_GT(replayed, 0u);
}

}  // namespace
}  // namespace velorin::cad::embedded
