// The DWG converter process on the sample DWG files and their DXF twins, on a damaged DWG,
// without the converter, and with converters that hang, eat memory or warn.
#include "cad/dwg_converter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/dxf_tags.h"
#include "support/testing.h"

namespace velorin::cad {
namespace {

using embedded::Affine;
using embedded::Drawing;
using embedded::InsertEntity;
using embedded::OtherEntity;
using embedded::TextEntity;

std::string InstalledConverter() { return testing::AppDir() + "dwg"; }

// CI installs the converter (scripts/setup) and sets CI; a developer's checkout may lack
// the npm package, and then these tests say so instead of failing.
#define REQUIRE_CONVERTER()                                                                   \
    do {                                                                                      \
        if (!PathExists(InstalledConverter() +                                                \
                        "/node_modules/@mlightcad/libredwg-web/package.json")) {              \
            if (std::getenv("CI")) FAIL() << "the DWG converter is not installed in CI";      \
            GTEST_SKIP() << "the DWG converter is not installed: run scripts/setup, rebuild"; \
        }                                                                                     \
    } while (0)

DwgConverter Installed() {
    DwgConverter c;
    c.folder = InstalledConverter();
    return c;
}

// The groups of a record as read: code -> its values in order.
std::map<int, std::vector<std::string>> Groups(const Drawing& d, embedded::Span raw) {
    std::map<int, std::vector<std::string>> out;
    embedded::dxf::TagScanner scan(d.source().substr(0, raw.end), raw.begin);
    for (embedded::dxf::Tag t; scan.Next(t);) out[t.code].push_back(d.codec().Decode(t.value));
    return out;
}

double Number(const std::map<int, std::vector<std::string>>& groups, int code, double none) {
    auto it = groups.find(code);
    if (it == groups.end()) return none;
    std::optional<double> value = ParseNumber(Trim(it->second.front()));
    EXPECT_TRUE(value) << "group " << code << ": " << it->second.front();
    return value.value_or(none);
}

// A table's block and where it stands. The twin keeps an ACAD_TABLE (its block in group
// 2, insertion 10/20, direction 11/21); a table LibreDWG cannot write comes from the
// converter as an INSERT of that "*T" block.
std::optional<std::pair<std::string, Affine>> TableOf(const Drawing& d,
                                                      const embedded::EntityBase& e) {
    if (auto* i = dynamic_cast<const InsertEntity*>(&e); i && i->Name().rfind("*T", 0) == 0) {
        const auto& base = d.blocks()[i->block]->base;
        return std::pair{i->Name(), Affine::Insert({i->position.x, i->position.y}, i->x_scale,
                                                   i->y_scale, i->rotation, {base.x, base.y})};
    }
    auto* other = dynamic_cast<const OtherEntity*>(&e);
    if (!other || other->type != "ACAD_TABLE") return std::nullopt;
    auto g = Groups(d, e.raw);
    if (!g.count(2)) return std::nullopt;
    int block = d.BlockIndex(g[2].front());
    if (block < 0) return std::nullopt;
    const auto& base = d.blocks()[block]->base;
    double degrees = std::atan2(Number(g, 21, 0), Number(g, 11, 1)) * 180 / M_PI;
    return std::pair{g[2].front(), Affine::Insert({Number(g, 10, 0), Number(g, 20, 0)}, 1, 1,
                                                  degrees, {base.x, base.y})};
}

// What a user sees of a drawing's model space and layers.
struct Contents {
    std::map<std::string, int> per_type_and_layer;  // "LINE on Tavolo 2" -> count
    std::vector<std::string> texts;                 // TEXT, MTEXT and ATTRIB values, sorted
    std::vector<std::string> table_texts;           // "test at 3584.545,834.113", sorted
    std::map<std::string, std::string> layers;      // name -> colour (negative: off), frozen
};

Contents Of(const Drawing& d) {
    Contents c;
    for (const auto& e : d.entities()) {
        if (e->erased || e->paper) continue;
        auto table = TableOf(d, *e);
        ++c.per_type_and_layer[(table ? "ACAD_TABLE" : e->EntityName()) + " on " + e->Layer()];
        if (auto* t = dynamic_cast<const TextEntity*>(e.get())) c.texts.push_back(t->text);
        if (auto* i = dynamic_cast<const InsertEntity*>(e.get()))
            for (const auto& a : i->attributes) c.texts.push_back(a.text);
        if (!table) continue;
        for (const auto& in : d.blocks()[d.BlockIndex(table->first)]->entities) {
            auto* t = dynamic_cast<const TextEntity*>(in.get());
            if (!t) continue;
            Point2 at = table->second({t->position.x, t->position.y});
            char where[64];
            std::snprintf(where, sizeof where, " at %.3f,%.3f", at.x, at.y);
            c.table_texts.push_back(t->text + where);
        }
    }
    std::sort(c.texts.begin(), c.texts.end());
    std::sort(c.table_texts.begin(), c.table_texts.end());
    for (const auto& l : d.layers()) {
        auto g = Groups(d, l->raw);
        bool frozen =
            g.count(70) && (static_cast<long>(ParseNumber(Trim(g[70].front())).value_or(0)) & 1);
        c.layers[l->name] = std::to_string(l->color) + (frozen ? " frozen" : "");
    }
    return c;
}

class Sample : public ::testing::TestWithParam<const char*> {};

TEST_P(Sample, TheConvertedDrawingHoldsWhatItsTwinHolds) {
    REQUIRE_CONVERTER();
    std::string base = testing::SamplesDir() + "dwg/" + GetParam();
    Status status;
    auto twin = Drawing::Load(base + ".dxf", &status);
    ASSERT_TRUE(twin) << status.message();
    auto converted = ConvertDwg(base + ".dwg", Installed(), &status);
    ASSERT_TRUE(converted) << status.message();
    EXPECT_EQ(converted->dxf.rfind("999", 0), std::string::npos);  // no leading comment
    EXPECT_NE(converted->dxf.find("$DWGCODEPAGE"), std::string::npos);
    auto drawing = Drawing::Parse(converted->dxf, base + ".dwg", &status);
    ASSERT_TRUE(drawing) << status.message();

    // Every entity of the twin is there, or the converter said which ones it could not
    // write ("未能转换的实体：TYPE N 个").
    Contents want = Of(*twin), got = Of(*drawing);
    EXPECT_GE(want.per_type_and_layer.size(), 10u);  // the samples are rich drawings
    std::map<std::string, int> reported;
    for (const auto& w : converted->warnings) {
        auto colon = w.find("：");
        auto space = w.rfind(' ', w.size() - 5);
        ASSERT_NE(colon, std::string::npos) << w;
        ASSERT_NE(space, std::string::npos) << w;
        reported[w.substr(colon + 3, space - colon - 3)] += std::atoi(w.c_str() + space + 1);
    }
    std::map<std::string, int> missing;
    for (const auto& [key, n] : want.per_type_and_layer) {
        auto it = got.per_type_and_layer.find(key);
        int have = it == got.per_type_and_layer.end() ? 0 : it->second;
        EXPECT_LE(have, n) << key;
        if (have < n) missing[key.substr(0, key.find(" on "))] += n - have;
    }
    EXPECT_EQ(missing, reported);
    for (const auto& [key, n] : got.per_type_and_layer) {
        if (!reported.count(key.substr(0, key.find(" on ")))) {
            EXPECT_EQ(n, want.per_type_and_layer[key]) << key;
        }
    }
    EXPECT_EQ(got.texts, want.texts);
    // Each sample holds a table; its cells' texts stand where the twin's do.
    EXPECT_FALSE(want.table_texts.empty());
    EXPECT_EQ(got.table_texts, want.table_texts);
    // The library writes every layer off and loses frozen states; the converter gives the
    // DWG's back (example_2000 has a frozen layer, ADSK_SYSTEM_LIGHTS).
    EXPECT_EQ(got.layers, want.layers);
    for (const auto& [name, colour] : got.layers) EXPECT_GT(std::stoi(colour), 0) << name;
}

INSTANTIATE_TEST_SUITE_P(DwgConverter, Sample,
                         ::testing::Values("example_2000", "example_2013", "example_2018"));

TEST(DwgConverter, ADamagedDwgGivesAMessageNamingTheFileAndNoHang) {
    REQUIRE_CONVERTER();
    testing::TempDir dir;
    std::string whole = testing::ReadBytes(testing::SamplesDir() + "dwg/example_2018.dwg");
    for (size_t keep : {size_t{0}, size_t{100}, whole.size() / 3}) {
        std::string path = dir.File("断了.dwg");
        testing::WriteBytes(path, whole.substr(0, keep));
        auto start = std::chrono::steady_clock::now();
        Status status;
        EXPECT_FALSE(ConvertDwg(path, Installed(), &status)) << keep;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
        EXPECT_NE(status.message().find(path), std::string::npos) << status.message();
        EXPECT_NE(status.message().find("损坏"), std::string::npos) << status.message();
    }
}

TEST(DwgConverter, WithoutTheConverterTheMessageSaysWhatToInstall) {
    testing::TempDir empty;
    std::string dwg = testing::SamplesDir() + "dwg/example_2000.dwg";
    DwgConverter c;
    c.folder = empty.path();
    Status status;
    EXPECT_FALSE(ConvertDwg(dwg, c, &status));
    for (const char* part :
         {"example_2000.dwg", "nodejs", "npm", "@mlightcad/libredwg-web", "scripts/setup"})
        EXPECT_NE(status.message().find(part), std::string::npos) << part << status.message();

    c = Installed();
    c.node = empty.File("node");  // no Node.js there
    EXPECT_FALSE(ConvertDwg(dwg, c, &status));
    EXPECT_NE(status.message().find("未找到 Node.js"), std::string::npos) << status.message();
    EXPECT_NE(status.message().find("apt-get install nodejs npm"), std::string::npos);
}

// A converter folder whose dwg2dxf.mjs is `script`, for the process limits.
std::string FakeConverter(const testing::TempDir& dir, const std::string& script) {
    std::string folder = dir.File("conv");
    EXPECT_TRUE(MakeFolder(folder + "/node_modules/@mlightcad/libredwg-web").ok());
    testing::WriteBytes(folder + "/node_modules/@mlightcad/libredwg-web/package.json", "{}");
    testing::WriteBytes(folder + "/dwg2dxf.mjs", script);
    return folder;
}

bool HaveNode() {
    if (!std::system("node --version >/dev/null 2>&1")) return true;
    if (std::getenv("CI")) ADD_FAILURE() << "Node.js is not installed in CI";
    return false;
}

TEST(DwgConverter, AConverterThatHangsIsStoppedAtTheTimeLimit) {
    if (!HaveNode()) GTEST_SKIP() << "Node.js is not installed";
    testing::TempDir dir;
    DwgConverter c;
    c.folder = FakeConverter(dir, "for (;;) {}\n");
    c.timeout_seconds = 1;
    int ticks = 0;
    c.tick = [&] { ++ticks; };
    auto start = std::chrono::steady_clock::now();
    Status status;
    EXPECT_FALSE(ConvertDwg(testing::SamplesDir() + "dwg/example_2000.dwg", c, &status));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(status.message().find("1 秒仍未完成"), std::string::npos) << status.message();
    EXPECT_GE(ticks, 3);  // the progress display was kept alive meanwhile
}

TEST(DwgConverter, AConverterThatEatsMemoryIsStoppedAtTheLimit) {
    if (!HaveNode()) GTEST_SKIP() << "Node.js is not installed";
    testing::TempDir dir;
    DwgConverter c;
    c.folder =
        FakeConverter(dir, "const keep = []; for (;;) keep.push(Buffer.alloc(16 << 20, 1));\n");
    c.memory_limit_mb = 200;
    Status status;
    EXPECT_FALSE(ConvertDwg(testing::SamplesDir() + "dwg/example_2000.dwg", c, &status));
    EXPECT_NE(status.message().find("内存超过 200 MB"), std::string::npos) << status.message();
}

TEST(DwgConverter, WarningsAndErrorsOfTheConverterReachTheUser) {
    if (!HaveNode()) GTEST_SKIP() << "Node.js is not installed";
    testing::TempDir dir;
    DwgConverter c;
    c.folder = FakeConverter(dir,
                             "import fs from 'node:fs';\n"
                             "console.log('noise on stdout');\n"
                             "process.stderr.write('Warning: the library talks\\n');\n"
                             "process.stderr.write('warning: 未能转换的实体：PROXY 2 个\\n');\n"
                             "fs.writeFileSync(process.argv[3], '  0\\nEOF\\n');\n");
    Status status;
    auto converted = ConvertDwg(testing::SamplesDir() + "dwg/example_2000.dwg", c, &status);
    ASSERT_TRUE(converted) << status.message();
    EXPECT_EQ(converted->dxf, "  0\nEOF\n");
    EXPECT_EQ(converted->warnings, std::vector<std::string>{"未能转换的实体：PROXY 2 个"});

    testing::WriteBytes(c.folder + "/dwg2dxf.mjs",
                        "process.stderr.write('error: 版本不受支持\\n'); process.exit(2);\n");
    EXPECT_FALSE(ConvertDwg(testing::SamplesDir() + "dwg/example_2000.dwg", c, &status));
    EXPECT_NE(status.message().find("example_2000.dwg”：版本不受支持"), std::string::npos)
        << status.message();
}

TEST(DwgConverter, ADwgIsSavedAsTheDxfBesideIt) {
    EXPECT_TRUE(IsDwgPath("a/图.DWG"));
    EXPECT_FALSE(IsDwgPath("a/图.dxf"));
    EXPECT_EQ(DxfBesideDwg("/x/断面.dwg"), "/x/断面.dxf");
}

}  // namespace
}  // namespace velorin::cad
