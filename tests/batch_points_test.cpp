// velorin-batch plot-points and preview as a script runs them: the sample traverse from
// raw file to a drawing whose point blocks carry their elevations, the preview picture,
// and the refusals with their exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "base/numbers.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "support/testing.h"

namespace velorin {
namespace {

namespace fs = std::filesystem;

struct Batch : testing::BatchProgram {
    Batch() {
        for (const char* name : {"traverse/traverse.dat", "traverse/traverse.ctl"})
            CopyExample(name);
    }
    // The block references of a drawing as ezdxf reads them: "layer name x,y,z" lines.
    std::vector<std::string> Inserts(const std::string& drawing) {
        testing::WriteBytes(
            dir.File("inserts.py"),
            "import sys, ezdxf\n"
            "doc = ezdxf.readfile(sys.argv[1])\n"
            "for e in doc.modelspace().query('INSERT'):\n"
            "    p = e.dxf.insert\n"
            "    print(e.dxf.layer, e.dxf.name, '%.3f,%.3f,%.3f' % (p.x, p.y, p.z))\n");
        std::string command = "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + dir.File("inserts.py") +
                              "' '" + drawing + "' >'" + dir.File("ezdxf.txt") + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << testing::ReadBytes(dir.File("ezdxf.txt"));
        return SplitLines(testing::ReadBytes(dir.File("ezdxf.txt")));
    }
};

TEST(BatchPlotPoints, SampleTraversePlotsWithItsElevations) {
    Batch b;
    b.Run("convert '" + b.dir.File("traverse.dat") + "'");
    b.Run("compute '" + b.dir.File("traverse.sur") + "' --ctl '" + b.dir.File("traverse.ctl") +
          "'");
    ASSERT_EQ(b.status, 0);
    std::string drawing = b.dir.File("site.dxf");
    b.Run("plot-points '" + b.dir.File("traverse.cor") + "' --drawing '" + drawing +
          "' --elevations");
    EXPECT_EQ(b.status, 0);
    ASSERT_EQ(b.err.size(), 1u);
    EXPECT_TRUE(EndsWith(b.err[0], "展点完成！")) << b.err[0];

    // Every point of the coordinate file is a symbol at (easting, northing, elevation);
    // a point without elevation sits at 0 and gets no elevation symbol.
    std::vector<std::string> expected;
    std::vector<std::string> elevation_symbols;
    TextLines cor = ReadTextLines(b.dir.File("traverse.cor"));
    for (const std::string& line : cor.lines) {
        if (line.empty() || line[0] == ';') continue;
        auto f = Split(line, ',');
        std::string z = f[3].empty() ? "0.000" : f[3];
        expected.push_back("地_点位_traverse.cor 纯坐标展点 " + f[1] + "," + f[2] + "," + z);
        if (!f[3].empty())
            elevation_symbols.push_back("它_高程注记 高程点 " + f[1] + "," + f[2] + "," + f[3]);
    }
    ASSERT_EQ(expected.size(), 12u);
    std::vector<std::string> inserts = b.Inserts(drawing);
    std::vector<std::string> terrain, marks;
    for (const auto& line : inserts) (StartsWith(line, "地_") ? terrain : marks).push_back(line);
    EXPECT_EQ(terrain, expected);
    EXPECT_EQ(marks, elevation_symbols);
    EXPECT_EQ(marks.size(), 11u);  // P6 has no elevation

    // The control points go into the same drawing, which keeps what it held.
    b.Run("plot-points '" + b.dir.File("traverse.ctl") + "' --drawing '" + drawing +
          "' --class GPS点");
    EXPECT_EQ(b.status, 0);
    inserts = b.Inserts(drawing);
    EXPECT_EQ(inserts.size(), 12u + 11u + 3u);
    EXPECT_EQ(inserts.back(), "控_点位 GPS点 512560.000,3500060.000,43.900");
}

TEST(BatchPlotPoints, WrongOptionsAreUsageErrorsAndNothingIsWritten) {
    struct Row {
        const char* name;
        std::string args;
        int status;
    };
    const Row rows[] = {
        {"no file", "--drawing d.dxf", 2},
        {"no drawing", "FILE", 2},
        {"unknown type", "FILE --drawing d.dxf --type dat", 2},
        {"scale without 1:", "FILE --drawing d.dxf --scale 500", 2},
        {"both label options", "FILE --drawing d.dxf --with-elevation --without-elevation", 2},
        {"unknown class", "FILE --drawing d.dxf --class 三角点", 2},
        {"text height not a number", "FILE --drawing d.dxf --point-text x", 2},
        {"file not in the folder", "MISSING --drawing d.dxf", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Batch b;
        std::string args = ReplaceAll(row.args, "MISSING", "'" + b.dir.File("gone.ctl") + "'");
        args = ReplaceAll(args, "FILE", "'" + b.dir.File("traverse.ctl") + "'");
        args = ReplaceAll(args, "d.dxf", "'" + b.dir.File("d.dxf") + "'");
        b.Run("plot-points " + args);
        EXPECT_EQ(b.status, row.status);
        EXPECT_FALSE(b.err.empty());
        EXPECT_FALSE(fs::exists(b.dir.File("d.dxf")));
    }
}

// A file without a single point is not a plot: the command says which file and fails,
// and no drawing is made.
TEST(BatchPlotPoints, AFileWithNoPointsSaysSoAndFails) {
    struct Row {
        const char* name;
        const char* file;
        std::string bytes;
    };
    const Row rows[] = {
        {"empty coordinate file", "e.cor", ""},
        {"coordinate file of blank lines", "b.cor", "\r\n\r\n"},
        {"empty control file", "e.ctl", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Batch b;
        testing::WriteBytes(b.dir.File(row.file), row.bytes);
        b.Run("plot-points '" + b.dir.File(row.file) + "' --drawing '" + b.dir.File("d.dxf") + "'");
        EXPECT_EQ(b.status, 1);
        EXPECT_EQ(b.err, std::vector<std::string>{"地形展点: 文件“" + b.dir.File(row.file) +
                                                  "”中没有点，没有展点。"});
        EXPECT_FALSE(fs::exists(b.dir.File("d.dxf")));
    }
}

TEST(BatchPreview, PrintsTheGridValuesAndWritesThePicture) {
    Batch b;
    b.Run("preview '" + b.dir.File("traverse.ctl") + "' --scale 1:500 --out '" +
          b.dir.File("p.png") + "'");
    EXPECT_EQ(b.status, 0) << (b.err.empty() ? "" : b.err[0]);
    // K1..K3 span 512180..512560 east, 3500060..3500250 north: 250 m grid.
    EXPECT_EQ(b.out, (std::vector<std::string>{"512000", "512250", "512500", "3499750", "3500000",
                                               "3500250"}));
    std::string png = testing::ReadBytes(b.dir.File("p.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
               (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
    };
    EXPECT_EQ(be32(16), 1000u);  // width
    EXPECT_EQ(be32(20), 1000u);  // height
}

TEST(BatchPreview, NoPointsNoPicture) {
    Batch b;
    testing::WriteBytes(b.dir.File("empty.cor"), testing::GbkCrlf({"; 坐标文件： empty.cor", ""}));
    b.Run("preview '" + b.dir.File("empty.cor") + "' --out '" + b.dir.File("p.png") + "'");
    EXPECT_EQ(b.status, 1);
    EXPECT_TRUE(b.out.empty());
    EXPECT_FALSE(fs::exists(b.dir.File("p.png")));
}

}  // namespace
}  // namespace velorin
