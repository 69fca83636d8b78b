// Our drawings in other programs and theirs in ours: ezdxf (Debian's python3-ezdxf),
// GDAL's ogrinfo and LibreCAD read what the host writes; drawings ezdxf writes keep
// every entity through our save; velorin-batch render pictures a drawing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "base/strings.h"
#include "cad/embedded/host.h"
#include "cad/preparation.h"
#include "support/testing.h"

namespace velorin {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using velorin::testing::TempDir;

std::string Quote(const std::string& s) { return "'" + ReplaceAll(s, "'", "'\\''") + "'"; }

// Runs a shell command; its standard output, and its exit status in `status`.
std::string Shell(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    int rc = pclose(pipe);
    if (status) *status = WEXITSTATUS(rc);
    return out;
}

std::string Probe() {
    return "/usr/bin/python3 " +
           Quote(velorin::testing::SourceDir() + "tests/interop/dxf_probe.py");
}

// What ezdxf sees in a file.
struct Seen {
    int audit_errors = -1, audit_fixes = -1;
    std::map<std::string, int> layers;
    struct Entity {
        std::string type, layer, text, insert;
    };
    std::map<std::string, Entity> entities;  // by handle
    std::vector<std::string> texts;
};

Seen Describe(const std::string& path) {
    Seen seen;
    std::istringstream in(Shell(Probe() + " describe " + Quote(path)));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f = Split(line, '\t');
        if (f[0] == "audit" && f.size() >= 3) {
            seen.audit_errors = std::stoi(f[1]);
            seen.audit_fixes = std::stoi(f[2]);
        } else if (f[0] == "layer" && f.size() >= 3) {
            seen.layers[f[1]] = std::stoi(f[2]);
        } else if (f[0] == "entity" && f.size() >= 6) {
            seen.entities[f[2]] = {f[1], f[3], f[4], f[5]};
            if (!f[4].empty()) seen.texts.push_back(f[4]);
        }
    }
    return seen;
}

// A small survey drawing made the way the drawing commands make one.
std::string WriteSurveyDrawing(const TempDir& dir) {
    cad::embedded::Host host(velorin::testing::SourceDir() + "support/");
    cad::embedded::EmbeddedConnector connector(host);
    app::Settings settings = app::Settings::Defaults(dir.path());
    cad::HostHandles h =
        cad::PrepareDrawing(connector, host, cad::DocumentChoice::Current, cad::VariableSet::All);
    cad::SetupTextStyle(host, *h.doc, settings, "地形");
    cad::MakeLayerCurrent(host, *h.doc, "地_点位_图根", cad::kRed);
    for (int i = 0; i < 3; ++i)
        cad::InsertSymbol(host, *h.space, velorin::testing::AppDir(), {100.0 + i, 200, 10.5 + i},
                          "高程点", "高程点.Dwg", 0.5);
    cad::MakeLayerCurrent(host, *h.doc, "地_点号_图根", cad::kBlue);
    h.space->AddText("T1 图根点", {101, 201, 10.5}, 2);
    cad::Entity* centred = h.space->AddText("中", {110, 210, 0}, 2);
    centred->SetHorizontalAlignment(cad::HorizontalAlignment::Center);
    centred->SetTextAlignmentPoint({110, 210, 0});
    cad::UseLayer(*h.doc, "横_断面线", cad::kRed);
    cad::Entity* line = h.space->AddLightWeightPolyline({90, 190, 120, 190, 120, 220});
    line->SetWidth(0, 0.2, 0.2);
    h.space->AddCircle({105, 205, 0}, 3);
    std::string path = dir.File("survey.dxf");
    EXPECT_TRUE(static_cast<cad::embedded::HostDocument*>(h.doc)->Save(path).ok());
    return path;
}

TEST(Interop, OurDrawingsOpenInEzdxfGdalAndLibreCad) {
    TempDir dir;
    std::string path = WriteSurveyDrawing(dir);

    Seen seen = Describe(path);
    EXPECT_EQ(seen.audit_errors, 0);
    EXPECT_EQ(seen.audit_fixes, 0);
    EXPECT_EQ(seen.layers["地_点位_图根"], 1);
    EXPECT_EQ(seen.layers["地_点号_图根"], 5);
    EXPECT_EQ(seen.layers["横_断面线"], 1);
    std::map<std::string, int> types;
    std::vector<std::string> inserts;
    for (const auto& [handle, e] : seen.entities) {
        ++types[e.type];
        if (e.type == "INSERT") inserts.push_back(e.insert);
    }
    EXPECT_EQ(types, (std::map<std::string, int>{
                         {"CIRCLE", 1}, {"INSERT", 3}, {"LWPOLYLINE", 1}, {"TEXT", 2}}));
    EXPECT_THAT(inserts,
                ::testing::UnorderedElementsAre("高程点@10.500", "高程点@11.500", "高程点@12.500"));
    EXPECT_THAT(seen.texts, ::testing::UnorderedElementsAre("T1 图根点", "中"));

    std::string ogr = Shell("ogrinfo -q -al " + Quote(path));
    for (const char* expected : {"Layer (String) = 地_点位_图根", "Layer (String) = 横_断面线",
                                 "Text (String) = T1 图根点", "POINT Z (101 201 10.5)"})
        EXPECT_THAT(ogr, HasSubstr(expected));
    // GDAL draws block references out (in the plane: ezdxf above checks their elevations).
    size_t references = 0;
    for (size_t at = ogr.find("AcDbBlockReference"); at != std::string::npos;
         at = ogr.find("AcDbBlockReference", at + 1))
        ++references;
    EXPECT_EQ(references, 3u);
    EXPECT_THAT(ogr, HasSubstr("LINESTRING (101.9375 200.0,"));

    std::string out = dir.File("librecad");
    int status = -1;
    Shell("mkdir -p " + Quote(out) +
              " && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a -t " + Quote(out) +
              " " + Quote(path),
          &status);
    EXPECT_EQ(status, 0);
    EXPECT_THAT(velorin::testing::ReadBytes(out + "/survey.pdf"), StartsWith("%PDF"));
}

class EzdxfDrawings : public ::testing::TestWithParam<const char*> {};

TEST_P(EzdxfDrawings, KeepEveryEntityThroughOurSave) {
    TempDir dir;
    std::string path = dir.File(std::string("ezdxf_") + GetParam() + ".dxf");
    int status = -1;
    Shell(Probe() + " make " + Quote(path) + " " + GetParam(), &status);
    ASSERT_EQ(status, 0) << "ezdxf could not write the drawing";
    Seen before = Describe(path);
    ASSERT_EQ(before.audit_errors, 0);

    cad::embedded::Host host("");
    Status opened;
    cad::embedded::HostDocument* doc = host.Open(path, &opened);
    ASSERT_NE(doc, nullptr) << opened.message();
    // Texts arrive intact, Chinese included.
    std::vector<std::string> texts;
    for (const auto& e : doc->drawing().entities())
        if (e->EntityName() == "TEXT" || e->EntityName() == "MTEXT")
            texts.push_back(e->TextString());
    EXPECT_THAT(texts, ::testing::UnorderedElementsAre("图根点 T1", "横断面\\P第二行 K0+100"));

    // A command changes the drawing: a layer's colour, a new text, a line to another layer.
    doc->Layers().Add("断_断面线")->SetColor(5);
    doc->SetVariable("CLayer", std::string("地_点位_图根"));
    doc->ModelSpace().AddText("新增 K0+120", {5, 5, 0}, 2.5);
    cad::SelectionSet* lines = doc->SelectionSets().Add("lines");
    lines->Select(5, {{0}, {"LINE"}});
    ASSERT_EQ(lines->Count(), 1);
    lines->Item(0)->SetLayer("地_点位_图根");
    ASSERT_TRUE(doc->Save().ok());
    EXPECT_TRUE(
        velorin::testing::ReadBytes(dir.File(std::string("ezdxf_") + GetParam() + ".bak")).size() >
        0);

    Seen after = Describe(path);
    EXPECT_EQ(after.audit_errors, 0);
    EXPECT_EQ(after.layers["断_断面线"], 5);
    for (const auto& [handle, e] : before.entities) {
        auto it = after.entities.find(handle);
        ASSERT_NE(it, after.entities.end()) << e.type << " " << handle << " lost";
        EXPECT_EQ(it->second.type, e.type) << handle;
        EXPECT_EQ(it->second.text, e.text) << handle;
        EXPECT_EQ(it->second.insert, e.insert) << handle;
        if (e.type != "LINE")
            EXPECT_EQ(it->second.layer, e.layer) << handle;
        else
            EXPECT_EQ(it->second.layer, "地_点位_图根");
    }
    EXPECT_EQ(after.entities.size(), before.entities.size() + 1);
    EXPECT_THAT(after.texts, ::testing::Contains("新增 K0+120"));

    // GDAL and LibreCAD open the saved drawing too (GDAL reads R2007 and later as UTF-8
    // only when told).
    std::string ogr = Shell("ogrinfo -q -al --config DXF_ENCODING " +
                            std::string(std::string(GetParam()) == "R2018" ? "UTF-8" : "CP936") +
                            " " + Quote(path));
    EXPECT_THAT(ogr, HasSubstr("Text (String) = 新增 K0+120"));
    EXPECT_THAT(ogr, HasSubstr("Layer (String) = 断_断面线"));
    std::string out = dir.File("librecad");
    Shell("mkdir -p " + Quote(out) +
              " && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a -t " + Quote(out) +
              " " + Quote(path),
          &status);
    EXPECT_EQ(status, 0);
    EXPECT_THAT(velorin::testing::ReadBytes(out + "/ezdxf_" + GetParam() + ".pdf"),
                StartsWith("%PDF"));
}

INSTANTIATE_TEST_SUITE_P(Versions, EzdxfDrawings, ::testing::Values("R2000", "R2018"));

// Drawings from other programs that the host changes: an R12 drawing declaring no code
// page gets one once Chinese is written into it, and a layer the LAYER table lacked gets a
// record with a handle; ezdxf and GDAL then read every name right.
TEST(Interop, ForeignDrawingsChangedByUsOpenWithTheirNamesRight) {
    struct Row {
        const char* name;
        std::vector<std::string> lines;
    };
    const std::vector<std::string> r12{
        "0", "SECTION", "2",  "HEADER", "9",  "$ACADVER", "1",  "AC1009",   "0",  "ENDSEC",
        "0", "SECTION", "2",  "TABLES", "0",  "TABLE",    "2",  "LAYER",    "70", "1",
        "0", "LAYER",   "2",  "0",      "70", "0",        "62", "7",        "6",  "CONTINUOUS",
        "0", "ENDTAB",  "0",  "ENDSEC", "0",  "SECTION",  "2",  "ENTITIES", "0",  "LINE",
        "8", "0",       "10", "0",      "20", "0",        "11", "1",        "21", "1",
        "0", "ENDSEC",  "0",  "EOF"};
    std::vector<std::string> r2000_missing_layer = r12;
    r2000_missing_layer[7] = "AC1015";
    r2000_missing_layer[41] = "Missing";  // the LINE's layer
    const Row rows[] = {{"R12 without code page", r12},
                        {"R2000 entity on a missing layer", r2000_missing_layer}};
    for (const Row& row : rows) {
        TempDir dir;
        std::string path = dir.File("foreign.dxf");
        std::string bytes;
        for (const std::string& l : row.lines) bytes += l + "\r\n";
        velorin::testing::WriteBytes(path, bytes);
        Status status;
        auto d = cad::embedded::Drawing::Load(path, &status);
        ASSERT_TRUE(d) << status.message();
        d->AddLayer("控_点位");
        d->current_layer = d->LayerIndex("控_点位");
        d->AddText("图根点", {1, 2, 0}, 2.5);
        ASSERT_TRUE(d->Save(path).ok()) << row.name;

        Seen seen = Describe(path);
        EXPECT_EQ(seen.audit_errors, 0) << row.name;
        EXPECT_EQ(seen.layers.count("控_点位"), 1u) << row.name;
        EXPECT_THAT(seen.texts, ::testing::Contains("图根点")) << row.name;
        std::string ogr = Shell("ogrinfo -q -al " + Quote(path));
        EXPECT_THAT(ogr, HasSubstr("Layer (String) = 控_点位")) << row.name;
        EXPECT_THAT(ogr, HasSubstr("Text (String) = 图根点")) << row.name;
    }
}

// The template every new drawing starts from is a file of its own that ezdxf accepts as
// it is.
TEST(Interop, NewDrawingTemplateAuditsClean) {
    Seen seen = Describe(velorin::testing::SourceDir() + "support/templates/new_drawing.dxf");
    EXPECT_EQ(seen.audit_errors, 0);
    EXPECT_EQ(seen.audit_fixes, 0);
    EXPECT_EQ(seen.layers.count("0"), 1u);
}

TEST(Interop, RenderMakesPngAndPdfPictures) {
    TempDir dir;
    std::string path = WriteSurveyDrawing(dir);
    std::string batch = Quote(velorin::testing::AppDir() + "velorin-batch");
    std::string program = " --program-dir " + Quote(velorin::testing::AppDir());
    for (const char* picture : {"survey.png", "survey.pdf"}) {
        int status = -1;
        Shell(batch + program + " render " + Quote(path) + " --out " + Quote(dir.File(picture)),
              &status);
        EXPECT_EQ(status, 0) << picture;
    }
    EXPECT_THAT(velorin::testing::ReadBytes(dir.File("survey.png")), StartsWith("\x89PNG"));
    EXPECT_THAT(velorin::testing::ReadBytes(dir.File("survey.pdf")), StartsWith("%PDF"));
    int status = -1;
    Shell(batch + program + " render " + Quote(path) + " --out " + Quote(dir.File("survey.bmp")),
          &status);
    EXPECT_EQ(status, 2);
    Shell(batch + program + " render " + Quote(dir.File("missing.dxf")) + " --out " +
              Quote(dir.File("m.png")),
          &status);
    EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace velorin
