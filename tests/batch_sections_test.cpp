// End to end through velorin-batch on a DXF drawing with known points: centre points
// marked, valid ranges outlined, the batch run, the auxiliary lines removed; the data
// file holds the expected chainages and elevations and the drawing keeps the numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/text_file.h"
#include "cad/embedded/drawing.h"
#include "support/testing.h"

namespace velorin {
namespace {

namespace emb = cad::embedded;
using testing::TempDir;

struct Result {
    int status;
    std::vector<std::string> out, err;
};

class BatchEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::CopyStoreInto(dir.path());
        std::filesystem::create_directories(dir.File("main"));
        auto d = emb::Drawing::New();
        auto symbol = emb::Drawing::New();
        symbol->AddCircle({0, 0, 0}, 0.3);
        int block = d->ImportBlock(*symbol, "纯坐标展点");
        auto on = [&](emb::EntityBase* e, const std::string& layer) {
            d->AddLayer(layer);
            e->SetLayer(layer);
        };
        // Road along y = 50; section lines across it at x = 20, 40 (drawn backwards) and 60.
        on(d->AddPolyline({{5, 50}, {105, 50}}), "道路");
        on(d->AddPolyline({{20, 40}, {20, 60}}), "断_断面线");
        on(d->AddPolyline({{40, 60}, {40, 40}}), "断_断面线");
        on(d->AddPolyline({{60, 40}, {60, 60}}), "断_断面线");
        struct P {
            double x, y, z;
        } points[] = {{20.5, 42, 10.1}, {19.5, 50, 10.5}, {20.3, 55, 10.9},
                      {40, 45, 11},     {41, 52, 12},     {60, 47, 13},
                      {60.2, 53, 14},   {59, 58, 15},     {80, 50, 99}};  // beside no section line
        for (const auto& p : points)
            on(d->AddInsert(block, {p.x, p.y, p.z}, 1, 1, 1, 0), "地_点位_地形");
        ASSERT_TRUE(d->Save(drawing).ok());
    }

    Result Run(const std::string& args) {
        std::string out = dir.File("out.txt"), err = dir.File("err.txt");
        std::string command = "'" + testing::AppDir() + "velorin-batch' --program-dir '" +
                              dir.path() + "' --main-dir '" + dir.File("main") + "' " + args +
                              " >'" + out + "' 2>'" + err + "'";
        int raw = std::system(command.c_str());
        return {WEXITSTATUS(raw), ReadTextLines(out).lines, ReadTextLines(err).lines};
    }

    std::vector<emb::EntityBase*> On(const emb::Drawing& d, const std::string& layer) {
        std::vector<emb::EntityBase*> out;
        for (const auto& e : d.entities())
            if (!e->erased && e->Layer() == layer) out.push_back(e.get());
        return out;
    }

    TempDir dir;
    std::string drawing = dir.File("road.dxf");
};

TEST_F(BatchEndToEnd, MarkOutlineBatchAndCleanUp) {
    // The centre blocks of the first and last sections; the last has two.
    Result r = Run("centre-points --page 6 --drawing '" + drawing +
                   "' --pick 19.8,50 --pick 60.3,47 --pick 60.5,53 --centre-layer 断_中心点");
    ASSERT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    Status s;
    auto d = emb::Drawing::Load(drawing, &s);
    ASSERT_TRUE(d) << s.message();
    EXPECT_EQ(On(*d, "断_中心点").size(), 3u);

    r = Run("valid-range --drawing '" + drawing + "' --pick 30,50 --mark-start");
    ASSERT_EQ(r.status, 0);
    ASSERT_FALSE(r.out.empty());
    EXPECT_EQ(r.out.back(), "累计：穿越该线的横断面一共有 3 条");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), "× 检查结果：第 2 条断面方向错误") +
                  std::count(r.out.begin(), r.out.end(), "× 检查结果：第 3 条断面方向错误"),
              1);

    // The backwards line is turned round before the batch.
    r = Run("reverse-lines --drawing '" + drawing + "' --pick 40,55");
    ASSERT_EQ(r.status, 0);

    std::string plot = dir.File("plots.dxf");
    r = Run("batch --drawing '" + drawing +
            "' --pick 30,50 --centre --centre-layer 断_中心点 --prefix 断 --start 1 "
            "--plot '" +
            plot + "'");
    ASSERT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    EXPECT_EQ(r.out, (std::vector<std::string>{"断1", "断2", "断3"}));
    auto dm = ReadTextLines(dir.File("main/断面数据/断1～断3.dm"));
    ASSERT_TRUE(dm.status.ok()) << dm.status.message();
    EXPECT_EQ(dm.lines,
              (std::vector<std::string>{"; 批量断面", "; 断面号：断1～断3", "", "Dmh,断1",
                                        "-8.000,10.100", "0.000,10.500", "5.000,10.900", "",
                                        "Dmh,断2", "5.000,11.000", "12.000,12.000", "", "Dmh,断3",
                                        "0.000,13.000", "6.000,14.000", "11.000,15.000"}));
    // Bytes as users' files hold them: GBK with CR LF.
    std::string bytes = testing::ReadBytes(dir.File("main/断面数据/断1～断3.dm"));
    EXPECT_EQ(bytes.substr(0, 12), Utf8ToGbk("; 批量断面") + "\r\n");
    EXPECT_TRUE(std::filesystem::exists(plot));

    r = Run("delete-aux --drawing '" + drawing + "'");
    ASSERT_EQ(r.status, 0);
    d = emb::Drawing::Load(drawing, &s);
    ASSERT_TRUE(d) << s.message();
    EXPECT_TRUE(On(*d, "断_有效范围").empty());
    EXPECT_EQ(On(*d, "断_断面号").size(), 6u);
    EXPECT_EQ(On(*d, "断_断面线").size(), 3u);
    EXPECT_EQ(On(*d, "地_点位_地形").size(), 6u);
}

TEST_F(BatchEndToEnd, SingleSectionWithItsPlotAndFile) {
    Result r = Run("section --drawing '" + drawing +
                   "' --pick 20,45 --section-no K0+020 --centre-layer 地_点位_地形 "
                   "--cross '" +
                   dir.File("cross.dxf") + "'");
    ASSERT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    // The vertical line's start moves 0.001 left, which the offsets show.
    EXPECT_EQ(r.out, (std::vector<std::string>{"2.000,10.100,0.501,地_点位_地形",
                                               "10.000,10.500,0.499,地_点位_地形",
                                               "15.000,10.900,0.300,地_点位_地形"}));
    auto dm = ReadTextLines(dir.File("main/断面数据/K0+020.dm"));
    EXPECT_EQ(dm.lines, (std::vector<std::string>{"; 横断面图", "", "Dmh,K0+020", "0.000,10.100",
                                                  "8.000,10.500", "13.000,10.900"}));
    EXPECT_TRUE(std::filesystem::exists(dir.File("cross.dxf")));

    // The profile on an A3 sheet with its PDF: one framed sheet, one page.
    r = Run("section --drawing '" + drawing + "' --pick 20,45 --section-no K0+020 --profile '" +
            dir.File("profile.dxf") + "' --sheets A3 --pdf '" + dir.File("profile.pdf") + "'");
    ASSERT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    Status loaded;
    auto sheet = emb::Drawing::Load(dir.File("profile.dxf"), &loaded);
    ASSERT_TRUE(sheet) << loaded.message();
    EXPECT_EQ(On(*sheet, "图_图框").size(), 2u);
    std::string pdf = testing::ReadBytes(dir.File("profile.pdf"));
    size_t pages = 0;
    for (size_t at = pdf.find("/Type /Page\n"); at != std::string::npos;
         at = pdf.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_EQ(pages, 1u);
}

TEST_F(BatchEndToEnd, SampleRoadGivesTheFileItsScriptComputed) {
    std::string sample = testing::SourceDir() + "examples/sections/";
    std::filesystem::copy_file(sample + "road.dxf", drawing,
                               std::filesystem::copy_options::overwrite_existing);
    auto picks = ReadTextLines(sample + "centre_picks.txt");
    ASSERT_FALSE(picks.lines.empty());
    ASSERT_EQ(Run("centre-points --page 6 --drawing '" + drawing + "' --centre-layer 断_中心点 " +
                  picks.lines[0])
                  .status,
              0);
    Result r =
        Run("batch --drawing '" + drawing + "' --pick 1050,510 --centre --prefix 断 --start 1");
    ASSERT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    EXPECT_EQ(testing::ReadBytes(dir.File("main/断面数据/断1～断5.dm")),
              testing::ReadBytes(sample + "road_expected.dm"));
}

TEST_F(BatchEndToEnd, UsageErrorsAndRefusals) {
    EXPECT_EQ(Run("batch --pick 30,50").status, 2);
    EXPECT_EQ(Run("batch --drawing '" + drawing + "' --pick 30").status, 2);
    Result r = Run("batch --drawing '" + drawing + "' --pick 30,50 --valid-offset 0");
    EXPECT_EQ(r.status, 1);
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err[0], "批量断面: “有效偏距”值无效！");
    // Page 5 puts only its profile on sheets.
    r = Run("section --drawing '" + drawing + "' --pick 20,45 --cross '" + dir.File("c.dxf") +
            "' --sheets A3");
    EXPECT_EQ(r.status, 2);
    ASSERT_FALSE(r.err.empty());
    EXPECT_NE(r.err[0].find("--sheets 只用于纵断面图（--profile）"), std::string::npos) << r.err[0];
}

// Commands that work on a drawing refuse a missing one by name instead of making an
// empty drawing and reporting on it.
TEST_F(BatchEndToEnd, AMissingDrawingIsRefusedByName) {
    const std::string missing = dir.File("no such.dxf");
    const std::pair<const char*, std::string> rows[] = {
        {"section", " --pick 30,50"},     {"delete-aux", ""},         {"centre-points", ""},
        {"valid-range", " --pick 30,50"}, {"batch", " --pick 30,50"}, {"reverse-lines", ""},
    };
    for (const auto& [command, rest] : rows) {
        SCOPED_TRACE(command);
        Result r = Run(std::string(command) + " --drawing '" + missing + "'" + rest);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::vector<std::string>{std::string(command) + ": 找不到图形文件“" +
                                                  missing + "”，该命令需要一个已有的图形。"});
        EXPECT_FALSE(std::filesystem::exists(missing));
    }
}

// A pick that takes nothing says where; a command none of whose picks took anything had
// nothing to work on and fails, leaving the drawing as it was.
TEST_F(BatchEndToEnd, APickThatFindsNothingSaysSo) {
    struct Row {
        const char* name;
        std::string args;  // after the drawing
        int status;
        std::vector<std::string> misses;  // the lines that name a pick taking nothing
    };
    const Row rows[] = {
        {"crossing line missed",
         "valid-range --pick 90,10 --mark-start",
         1,
         {"选择：在 90,10 处没有找到对象"}},
        {"line to reverse missed",
         "reverse-lines --pick 90.5,10.25",
         1,
         {"选择：在 90.5,10.25 处没有找到对象"}},
        {"batch crossing line missed",
         "batch --pick 90,10 --prefix 断 --start 1",
         1,
         {"选择：在 90,10 处没有找到对象"}},
        {"centre point missed",
         "centre-points --page 6 --pick 90,10 --centre-layer 断_中心点",
         1,
         {"选择：在 90,10 处没有找到对象"}},
        {"one of two centre points missed",
         "centre-points --page 6 --pick 19.8,50 --pick 90,10 --centre-layer 断_中心点",
         0,
         {"选择：在 90,10 处没有找到对象"}},
        {"line to reverse found", "reverse-lines --pick 40,55", 0, {}},
    };
    const std::string before = testing::ReadBytes(drawing);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::WriteBytes(drawing, before);
        std::string command = row.args.substr(0, row.args.find(' '));
        Result r = Run(command + " --drawing '" + drawing + "'" + row.args.substr(command.size()));
        EXPECT_EQ(r.status, row.status);
        std::vector<std::string> misses;
        for (const std::string& line : r.err)
            if (line.starts_with("选择：")) misses.push_back(line);
        EXPECT_EQ(misses, row.misses);
        if (row.status == 1) {
            ASSERT_FALSE(r.err.empty());
            EXPECT_EQ(r.err.back(), "velorin-batch: 所选位置没有可用的对象，命令未完成。");
            EXPECT_TRUE(testing::ReadBytes(drawing) == before) << "the drawing was saved";
        }
    }
}

// A drawing whose block inserts itself still serves the command, and the user is told which
// block it is, whatever the command.
TEST(BatchDrawings, ABlockThatInsertsItselfIsNamed) {
    testing::BatchProgram p;
    const std::string path = p.dir.File("self.dxf");
    std::string dxf;
    for (const char* line :
         {"0",  "SECTION", "2",  "HEADER", "9",  "$ACADVER", "1",  "AC1015",   "0", "ENDSEC",
          "0",  "SECTION", "2",  "BLOCKS", "0",  "BLOCK",    "8",  "0",        "2", "LOOP",
          "70", "0",       "10", "0",      "20", "0",        "0",  "LINE",     "8", "0",
          "10", "0",       "20", "0",      "11", "1",        "21", "1",        "0", "INSERT",
          "8",  "0",       "2",  "LOOP",   "10", "5",        "20", "0",        "0", "ENDBLK",
          "8",  "0",       "0",  "ENDSEC", "0",  "SECTION",  "2",  "ENTITIES", "0", "INSERT",
          "8",  "0",       "2",  "LOOP",   "10", "0",        "20", "0",        "0", "ENDSEC",
          "0",  "EOF"})
        dxf += std::string(line) + "\n";
    testing::WriteBytes(path, dxf);
    for (const std::string& command :
         {"render '" + path + "' --out '" + p.dir.File("self.png") + "'",
          "delete-aux --drawing '" + path + "'"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(p.Run(command), 0);
        bool told = false;
        for (const std::string& line : p.err)
            told = told || line.find("块 “LOOP” 引用了自身") != std::string::npos;
        EXPECT_TRUE(told);
    }
}

}  // namespace
}  // namespace velorin
