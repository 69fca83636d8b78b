// Reading and writing DXF: what the model takes from a file, and that saving keeps every
// byte it did not change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "base/text_file.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/dxf_tags.h"
#include "support/faulty_files.h"
#include "support/testing.h"

namespace velorin::cad::embedded {

std::string NewDrawingTemplate();  // compiled in from support/templates/new_drawing.dxf

namespace {

using ::testing::HasSubstr;
using velorin::testing::GbkCrlf;
using velorin::testing::TempDir;

// An R12 drawing as older survey programs write it: GBK names and texts, a block with an
// attribute-carrying reference, an old-style polyline and a record the host does not know.
std::string R12Drawing() {
    return GbkCrlf({"0",   "SECTION",
                    "2",   "HEADER",
                    "9",   "$ACADVER",
                    "1",   "AC1009",
                    "9",   "$DWGCODEPAGE",
                    "3",   "ANSI_936",
                    "9",   "$CLAYER",
                    "8",   "地_点位_图根",
                    "0",   "ENDSEC",
                    "0",   "SECTION",
                    "2",   "TABLES",
                    "0",   "TABLE",
                    "2",   "LAYER",
                    "70",  "2",
                    "0",   "LAYER",
                    "2",   "0",
                    "70",  "0",
                    "62",  "7",
                    "6",   "CONTINUOUS",
                    "0",   "LAYER",
                    "2",   "地_点位_图根",
                    "70",  "0",
                    "62",  "1",
                    "6",   "CONTINUOUS",
                    "0",   "ENDTAB",
                    "0",   "TABLE",
                    "2",   "STYLE",
                    "70",  "1",
                    "0",   "STYLE",
                    "2",   "STANDARD",
                    "70",  "0",
                    "40",  "0.0",
                    "41",  "1.0",
                    "3",   "txt",
                    "4",   "",
                    "0",   "ENDTAB",
                    "0",   "ENDSEC",
                    "0",   "SECTION",
                    "2",   "BLOCKS",
                    "0",   "BLOCK",
                    "8",   "0",
                    "2",   "高程点",
                    "70",  "2",
                    "10",  "0.0",
                    "20",  "0.0",
                    "30",  "0.0",
                    "0",   "CIRCLE",
                    "8",   "0",
                    "10",  "0.0",
                    "20",  "0.0",
                    "30",  "0.0",
                    "40",  "0.5",
                    "0",   "ENDBLK",
                    "8",   "0",
                    "0",   "ENDSEC",
                    "0",   "SECTION",
                    "2",   "ENTITIES",
                    "0",   "INSERT",
                    "8",   "地_点位_图根",
                    "66",  "1",
                    "2",   "高程点",
                    "10",  "100.5",
                    "20",  "200.25",
                    "30",  "12.345",
                    "0",   "ATTRIB",
                    "8",   "地_点位_图根",
                    "10",  "101.0",
                    "20",  "200.0",
                    "30",  "12.345",
                    "40",  "2.0",
                    "1",   "K1+020",
                    "2",   "点号",
                    "70",  "0",
                    "0",   "SEQEND",
                    "8",   "地_点位_图根",
                    "0",   "TEXT",
                    "8",   "地_点位_图根",
                    "10",  "5.0",
                    "20",  "6.0",
                    "30",  "0.0",
                    "40",  "2.5",
                    "1",   "图根点 A\\U+D55C",
                    "0",   "POLYLINE",
                    "8",   "0",
                    "66",  "1",
                    "70",  "1",
                    "0",   "VERTEX",
                    "8",   "0",
                    "10",  "0.0",
                    "20",  "0.0",
                    "0",   "VERTEX",
                    "8",   "0",
                    "10",  "10.0",
                    "20",  "0.0",
                    "42",  "1.0",
                    "0",   "VERTEX",
                    "8",   "0",
                    "10",  "10.0",
                    "20",  "10.0",
                    "0",   "SEQEND",
                    "8",   "0",
                    "0",   "WIPEOUTX",
                    "8",   "0",
                    "10",  "1.0",
                    "20",  "2.0",
                    "999", "kept as it is",
                    "0",   "ENDSEC",
                    "0",   "EOF"});
}

TEST(DxfRead, TakesTheModelFromAnR12DrawingInGbk) {
    Status status;
    auto d = Drawing::Parse(R12Drawing(), "r12.dxf", &status);
    ASSERT_TRUE(d) << status.message();
    EXPECT_EQ(d->version(), 1009);
    ASSERT_EQ(d->entities().size(), 4u);
    ASSERT_NE(d->FindLayer("地_点位_图根"), nullptr);
    EXPECT_EQ(d->FindLayer("地_点位_图根")->color, 1);
    EXPECT_EQ(d->layers()[d->current_layer]->name, "地_点位_图根");

    auto* insert = dynamic_cast<InsertEntity*>(d->entities()[0].get());
    ASSERT_NE(insert, nullptr);
    EXPECT_EQ(insert->Name(), "高程点");
    EXPECT_DOUBLE_EQ(insert->InsertionPoint().z, 12.345);
    ASSERT_EQ(insert->attributes.size(), 1u);
    EXPECT_EQ(insert->attributes[0].tag, "点号");
    EXPECT_EQ(insert->attributes[0].text, "K1+020");

    auto* text = dynamic_cast<TextEntity*>(d->entities()[1].get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->TextString(), "图根点 A한");  // GBK decoded, \U+ escape resolved

    auto* polyline = dynamic_cast<PolylineEntity*>(d->entities()[2].get());
    ASSERT_NE(polyline, nullptr);
    EXPECT_EQ(polyline->EntityName(), "POLYLINE");
    EXPECT_TRUE(polyline->closed);
    EXPECT_EQ(polyline->vertices.size(), 3u);
    EXPECT_DOUBLE_EQ(polyline->vertices[1].bulge, 1.0);

    EXPECT_EQ(d->entities()[3]->EntityName(), "WIPEOUTX");
    EXPECT_EQ(d->entities()[3]->Layer(), "0");
}

TEST(DxfRead, RefusesWhatIsNotDxfNamingFileAndLine) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"code line not a number", "0\r\nSECTION\r\n2\r\nHEADER\r\nabc\r\n$ACADVER\r\n",
         "第 5 行不是组码"},
        {"section never ends", "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\n0\r\n",
         "没有结束"},
        {"empty file", "", "不是 DXF"},
        {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "xx", "二进制"},
    };
    for (const Case& c : cases) {
        Status status;
        EXPECT_EQ(Drawing::Parse(c.bytes, "bad.dxf", &status), nullptr) << c.name;
        EXPECT_THAT(status.message(), HasSubstr("bad.dxf")) << c.name;
        EXPECT_THAT(status.message(), HasSubstr(c.message)) << c.name;
    }
}

TEST(DxfWrite, NewDrawingsStartFromTheTemplateFile) {
    std::string file = velorin::testing::ReadBytes(velorin::testing::SourceDir() +
                                                   "support/templates/new_drawing.dxf");
    ASSERT_GT(file.size(), 1000u);
    EXPECT_EQ(NewDrawingTemplate(), file);
    Status status;
    auto d = Drawing::Parse(file, "new_drawing.dxf", &status);
    ASSERT_TRUE(d) << status.message();
    EXPECT_EQ(d->Serialize(), Drawing::New()->Serialize());
}

TEST(DxfWrite, AnUnchangedDrawingIsWrittenByteForByte) {
    Status status;
    std::string r12 = R12Drawing();
    auto d = Drawing::Parse(r12, "r12.dxf", &status);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Serialize(), r12);

    auto fresh = Drawing::New();
    std::string once = fresh->Serialize();
    auto again = Drawing::Parse(once, "new.dxf", &status);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Serialize(), once);
}

TEST(DxfWrite, ChangesArePatchedAndTheRestStaysAsRead) {
    Status status;
    std::string r12 = R12Drawing();
    auto d = Drawing::Parse(r12, "r12.dxf", &status);
    ASSERT_TRUE(d);
    d->FindLayer("地_点位_图根")->SetColor(3);
    d->AddLayer("断_有效范围")->SetColor(3);
    ASSERT_EQ(d->entities()[1]->SetLayer("0"), kOk);  // the text moves to layer 0
    ASSERT_EQ(d->entities()[2]->Erase(), kOk);        // the polyline goes
    EXPECT_EQ(d->entities()[0]->SetLayer("no such layer"), kNotFound);
    std::string out = d->Serialize();

    auto back = Drawing::Parse(out, "out.dxf", &status);
    ASSERT_TRUE(back) << status.message();
    EXPECT_EQ(back->FindLayer("地_点位_图根")->color, 3);
    ASSERT_NE(back->FindLayer("断_有效范围"), nullptr);
    EXPECT_EQ(back->FindLayer("断_有效范围")->color, 3);
    ASSERT_EQ(back->entities().size(), 3u);
    EXPECT_EQ(back->entities()[1]->Layer(), "0");
    EXPECT_EQ(back->entities()[1]->TextString(), "图根点 A한");
    // The unknown record and the attribute-carrying reference are still the same bytes.
    EXPECT_THAT(out, HasSubstr(GbkCrlf({"0", "WIPEOUTX", "8", "0", "10", "1.0", "20", "2.0", "999",
                                        "kept as it is"})));
    EXPECT_THAT(out, HasSubstr(GbkCrlf({"0", "ATTRIB", "8", "地_点位_图根", "10", "101.0"})));
}

TEST(DxfWrite, TextsRoundTripInTheDrawingsOwnEncoding) {
    struct Case {
        const char* name;
        const char* acadver;
        const char* codepage;
        std::string text;
        std::string stored;  // how the text stands in the file
    };
    const Case cases[] = {
        {"GBK in R2000", "AC1015", "ANSI_936", "断面 K0+100", Utf8ToGbk("断面 K0+100")},
        {"outside GBK escaped", "AC1015", "ANSI_936", "한글", "\\U+D55C\\U+AE00"},
        {"UTF-8 from R2007", "AC1032", "ANSI_1252", "断面한", "断面한"},
        {"Western code page escapes Chinese", "AC1015", "ANSI_1252", "Ä中", "\xC4\\U+4E2D"},
    };
    for (const Case& c : cases) {
        std::string bytes =
            GbkCrlf({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", c.acadver, "9",
                     "$DWGCODEPAGE", "3", c.codepage, "0", "ENDSEC", "0", "EOF"});
        Status status;
        auto d = Drawing::Parse(bytes, "t.dxf", &status);
        ASSERT_TRUE(d) << c.name;
        d->AddText(c.text, {1, 2, 3}, 2.5);
        std::string out = d->Serialize();
        EXPECT_THAT(out, HasSubstr("\r\n  1\r\n" + c.stored + "\r\n")) << c.name;
        auto back = Drawing::Parse(out, "t.dxf", &status);
        ASSERT_TRUE(back) << c.name << ": " << status.message();
        ASSERT_EQ(back->entities().size(), 1u) << c.name;
        EXPECT_EQ(back->entities()[0]->TextString(), c.text) << c.name;
    }
}

TEST(DxfWrite, HandlesAreUniqueAndTheSeedLiesAboveThem) {
    auto d = Drawing::New();
    d->AddLayer("控_点位");
    d->AddStyle("地形");
    for (int i = 0; i < 20; ++i) d->AddText("P" + std::to_string(i), {double(i), 0, 0}, 1);
    auto shapes = Drawing::New();
    shapes->AddCircle({0, 0, 0}, 1);
    d->AddInsert(d->ImportBlock(*shapes, "高程点"), {5, 5, 9.5}, 1, 1, 1, 0);
    std::string out = d->Serialize();

    dxf::TagScanner s(out);
    dxf::Tag t;
    std::set<uint64_t> handles;
    uint64_t seed = 0;
    bool next_is_seed = false;
    while (s.Next(t)) {
        if (t.code == 9) {
            next_is_seed = t.value == "$HANDSEED";
        } else if (next_is_seed && t.code == 5) {
            seed = dxf::ToHandle(t.value), next_is_seed = false;
        } else if (t.code == 5 || t.code == 105) {
            EXPECT_TRUE(handles.insert(dxf::ToHandle(t.value)).second) << t.value;
        }
    }
    ASSERT_FALSE(handles.empty());
    EXPECT_GT(seed, *handles.rbegin());
}

TEST(DxfWrite, SavingInPlaceKeepsThePreviousFileAsBak) {
    TempDir dir;
    std::string path = dir.File("plot.dxf");
    auto d = Drawing::New();
    d->AddText("first", {0, 0, 0}, 1);
    ASSERT_TRUE(d->Save(path).ok());
    std::string first = velorin::testing::ReadBytes(path);

    d->AddText("second", {0, 5, 0}, 1);
    ASSERT_TRUE(d->Save(path).ok());
    EXPECT_EQ(velorin::testing::ReadBytes(dir.File("plot.bak")), first);
    Status status;
    auto back = Drawing::Load(path, &status);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->entities().size(), 2u);

    Status missing;
    EXPECT_EQ(Drawing::Load(dir.File("none.dxf"), &missing), nullptr);
    EXPECT_THAT(missing.message(), HasSubstr("none.dxf"));
}

TEST(DxfWrite, AFailedSaveKeepsTheDrawingAndSaysWhy) {
    for (const velorin::testing::SaveFault& fault : velorin::testing::kSaveFaults) {
        SCOPED_TRACE(fault.name);
        TempDir dir;
        std::string path = dir.File("图.dxf");
        auto d = Drawing::New();
        d->AddLine({0, 0, 0}, {1, 1, 0});
        ASSERT_TRUE(d->Save(path).ok());
        std::string before = velorin::testing::ReadBytes(path);
        d->AddLine({0, 0, 0}, {2, 2, 0});
        velorin::testing::FaultyFiles files;
        files.Fail(fault.step, fault.error);
        Status s = d->Save(path);
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.message().find("图形文件“" + path + "”无法保存："), 0u) << s.message();
        EXPECT_THAT(s.message(), HasSubstr(fault.cause));
        EXPECT_EQ(velorin::testing::ReadBytes(path), before);
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            EXPECT_EQ(e.path().filename().string().find("velorin-saving"), std::string::npos);
        files.Fail(fault.step, 0);
        ASSERT_TRUE(d->Save(path).ok());
        EXPECT_EQ(Drawing::Load(path, &s)->entities().size(), 2u);
    }
}

}  // namespace
}  // namespace velorin::cad::embedded
